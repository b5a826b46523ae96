#pragma once

#include <string>

#include "wexlancp_export.h"

class wRenderable;

/// What an edit of a property row does to the viewer or layer the row is bound to.
/// Each function dispatches on the row's name (the property tag, exact comparison) and
/// calls the rendering library at once; none shows a message.
namespace wexlan {

/// A text or list row's committed value `value`:
///
/// | tag                | action on the renderable                        | then      |
/// |--------------------|-------------------------------------------------|-----------|
/// | "Visibility"       | "False" VisibilityOff, "True" VisibilityOn      | Render    |
/// | "Axes"             | viewer: "On" AxiesOn, any other text AxiesOff   | Render    |
/// | "Color Bar"        | viewer: SetColorBar 0..4 for Off, Left, Right,  | Render    |
/// |                    | Top, Bottom                                     |           |
/// | "Visibi. XY"       | "False"/"True": PlaneVisibilityOff/On(2)        | nothing   |
/// | "Visibi. XZ"       | the same with 1                                 | nothing   |
/// | "Visibi. YZ"       | the same with 0                                 | nothing   |
/// | "Bounding Box"     | "On"/"Off": BoundingBoxOn/Off                   | Update    |
/// | "Clipping"         | "On"/"Off": ClippingOn/Off                      | Update    |
/// | "Representation"   | SetRepresentation 0..2 for Surface, Wireframe,  | Update    |
/// |                    | Points                                          |           |
/// | "Size"             | d = leading number; if d >= 0: landmark layer   | Update if |
/// |                    | SetLandmarkSize(d)                              | d >= 0    |
/// | "Lookup Table"     | image layer: SetLookupTable(value) as it is     | Update    |
/// | "Orientation"      | image layer: XY, XZ or YZ Plane, the plane shown | Update    |
/// |                    | (wImageLayer::SetOrientation, camera turns too) |           |
/// | "Cursor"           | 3D image layer: "On" CursorOn, other CursorOff  | Update    |
/// | "Text Size"        | n = leading integer; if 1 <= n <= 64: text      | Update if |
/// |                    | layer SetTextSize(n)                            | in range  |
/// | "Transform"        | SetTransform(the 16 numbers)                    | Update    |
/// | "Slice"            | SetSlice(x, y, z), or SetSlice(x, -999, -999)   | Update    |
/// | "Contrast"         | SetContrast(minimum, maximum)                   | Update    |
/// | "Color Map"        | mesh layer: SetColorMap(the numbers of the file | Update    |
/// |                    | named by the value, at most kColorMapCapacity)  |           |
/// | anything else      | nothing                                         | nothing   |
///
/// The rows commit only values that TextEditRefusal accepts. A value outside a tag's
/// words changes nothing but still gets the Render or Update.
/// An action for a kind of renderable ("viewer:", "image layer:") is skipped when the
/// renderable is of another kind; the Render or Update still follows.
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
