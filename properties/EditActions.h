#pragma once

#include <string>

#include "wexlancp_export.h"

class wRenderable;

/// What an edit of a property row does to the viewer or layer the row is bound to.
/// Each function calls the rendering library at once; none shows a message.
namespace wexlan {

/// A text or list row's committed value `value` for the row named `tag`:
///
/// | tag             | action on the renderable                            | then      |
/// |-----------------|-----------------------------------------------------|-----------|
/// | "Transform"     | SetTransform(the 16 numbers)                        | Update    |
/// | "Slice"         | SetSlice(x, y, z), or SetSlice(x, -999, -999)       | Update    |
/// | "Contrast"      | SetContrast(minimum, maximum)                       | Update    |
/// | "Color Map"     | mesh layer: SetColorMap(the numbers of the file     | Update if |
/// |                 | named by the value, at most kColorMapCapacity)      | applied   |
/// | any other tag   | SetPropertyValue(tag, value): the renderable reads  | Update    |
/// |                 | the value of its own item; a number item (Integer,  |           |
/// |                 | Double) gets a single number in its shortest form   |           |
///
/// So the renderable that reports an item decides what its value does ("Visibility",
/// "Axes", "Lookup Table", ...), and a new kind of layer needs nothing here. A value
/// the renderable does not take changes nothing, and the Update then draws nothing.
/// The rows commit only values that TextEditRefusal accepts.
WEXLANCP_EXPORT void ApplyTextEdit(wRenderable& target, const std::string& tag,
                                   const std::string& value);

/// What a text or list row of tag `tag` bound to `target` accepts, in words, when
/// `value` is not one of those values; "" when the row can apply `value` (or the tag
/// takes any text; the choices of list rows are the rows' own rule):
///
/// | tag          | accepts                                                      |
/// |--------------|--------------------------------------------------------------|
/// | "Size"       | a number 0 or more                                           |
/// | "Text Size"  | a whole number 1..64                                         |
/// | "Transform"  | 16 numbers, row after row ("[1, 0, 0, 0; 0, 1, 0, 0; ...]")  |
/// | "Slice"      | whole numbers within the layer's slice range, in the form    |
/// |              | the row shows: "x", or "x, y, z"                             |
/// | "Contrast"   | two numbers, minimum <= maximum: "min, max" or "[min, max]"  |
/// | "Color Map"  | on a mesh layer, the path of a regular file holding numbers; |
/// |              | nothing on other layers                                      |
WEXLANCP_EXPORT std::string TextEditRefusal(wRenderable& target, const std::string& tag,
                                            const std::string& value);

/// A colour row's committed colour (red in the low byte): "Background" sets the
/// background colour, "Color" the colour, each byte / 255.0; then Update (for every tag).
WEXLANCP_EXPORT void ApplyColorEdit(wRenderable& target, const std::string& tag,
                                    unsigned int color);

/// A move of the opacity slider to `percent`: for the tag "Opacity" SetOpacity(percent /
/// 100.0), Render, Update; nothing for other tags.
WEXLANCP_EXPORT void ApplySliderMove(wRenderable& target, const std::string& tag, int percent);

/// The "Slice" row's text after the slice dialog: "x, y, z" when all three are >= 0,
/// else "x" when x >= 0, else "".
WEXLANCP_EXPORT std::string SliceRowText(const int xyz[3]);

/// The "Transform" row's text after the matrix dialog: the 16 elements row after row,
/// "[a, b, c, d; e, ...]", each "%f".
WEXLANCP_EXPORT std::string TransformRowText(const double matrix[16]);

/// The "Contrast" row's text after the contrast dialog: "[min, max]" with one decimal.
WEXLANCP_EXPORT std::string ContrastRowText(int minimum, int maximum);

/// The capacity of the buffer a "Color Map" file is read into; numbers beyond it are
/// not read.
constexpr int kColorMapCapacity = 102400;

}  // namespace wexlan
