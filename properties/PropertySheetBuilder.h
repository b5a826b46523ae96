#pragma once

#include <optional>
#include <string>
#include <vector>

#include "wexlancp_export.h"

class wProp;

/// The kinds of row a property sheet makes, each a row class of the sheet.
enum class RowKind {
    Text,    ///< CMyProp without options: free text (disabled for "IsA" and records)
    List,    ///< CMyProp with an option list
    Slider,  ///< CSliderProp: an integer 0..100 edited with a slider ("Opacity")
    Dialog,  ///< CCustomDlgProp: value text with a button that opens a dialog
    Color,   ///< CMyColorProp: a colour with a picker
};

/// Everything the sheet needs to make one row, decided from one property item.
struct RowSpec {
    RowKind kind = RowKind::Text;
    std::string name;                  ///< the item's tag
    std::string text;                  ///< value text of Text, List and Dialog rows
    int number = 0;                    ///< value of a Slider row
    unsigned int color = 0;            ///< value of a Color row: red + green*256 + blue*65536
    std::string description;           ///< shown in the description area; Color rows only
    std::vector<std::string> options;  ///< List rows: the choices, in the order offered
    bool allowTyping = true;           ///< List rows: whether a text outside the list is kept
    bool enabled = true;               ///< false for "IsA" and read-only records
};

/// One group of the sheet: its caption and its rows, top to bottom.
struct GroupSpec {
    std::string caption;
    std::vector<RowSpec> rows;
};

/// Decides the rows of a property sheet from a property set, without any widget.
///
/// The rows of an editable group (a viewer or a layer), tags compared exactly:
///
/// | item                                 | row                                     |
/// |--------------------------------------|-----------------------------------------|
/// | "Background", "Color"                | colour (1)                              |
/// | "Opacity"                            | slider (2)                              |
/// | "Contrast", "Transform", "Color Map" | dialog                                  |
/// | "Slice"                              | dialog, for two slice forms only (3)    |
/// | a choice with options (wProp)        | list of the item's options, typing      |
/// |                                      | allowed when the item allows other texts|
/// | "IsA"                                | text, disabled                          |
/// | any other item ("Size", "Text Size") | text                                    |
///
/// (1) From GetBackgroundColor / GetColor (the value text is not used), with the
///     description "Specifies background color" / "Specifies layer color".
/// (2) The value text read as a number, times 100, rounded to the nearest whole number
///     and kept within 0..100: 0.58 gives 58, 0.257 gives 26, a text that is not a
///     number 0.
/// (3) Only when GetSlice gives (x, -999, -999) with x >= 0, or (x, y, z) all >= 0; any
///     other triple makes no row.
///
/// The viewer or layer that reports the set decides the options of its list rows, so a
/// new kind of layer needs nothing here. Lists without typing allowed only take a choice
/// from their list. An item whose value text is exactly "null" never makes a row.
class WEXLANCP_EXPORT CPropertySheetBuilder {
public:
    /// The editable group of a viewer's or layer's set: caption = the set's type text,
    /// one row per item in the set's order (see the table), except that the disabled
    /// rows ("IsA") come after all the others.
    static GroupSpec EditableGroup(const wProp& set);

    /// The read-only group "VARQ": one disabled text row per item, value text as is.
    static GroupSpec RecordGroup(const wProp& set);

    /// The row for item `index` (0 .. GetNumberOfItems() - 1) of an editable set, or
    /// nothing when the item gets no row (value "null", or a "Slice" triple of neither
    /// form). `set` also gives the typed values.
    static std::optional<RowSpec> EditableRow(const wProp& set, int index);

    /// The caption of the read-only group.
    static constexpr const char* kRecordGroupCaption = "VARQ";
};

namespace wexlan {

/// A colour row's value from three components 0..1: each becomes component * 255 + 0.5
/// truncated toward zero (low 8 bits kept), packed red + green * 256 + blue * 65536.
WEXLANCP_EXPORT unsigned int ColorRefFromRgb(const double rgb[3]);

/// The three components 0..1 of a colour row's value: each byte divided by 255.
WEXLANCP_EXPORT void RgbFromColorRef(unsigned int color, double rgb[3]);

/// The opacity row's integer: the value text read as a decimal number, times 100,
/// rounded to the nearest whole number, kept within 0..100.
WEXLANCP_EXPORT int OpacityPercent(const std::string& valueText);

/// Whether a slice triple is one the "Slice" row shows: (x >= 0, -999, -999) or all >= 0.
WEXLANCP_EXPORT bool IsShownSliceTriple(const int xyz[3]);

}  // namespace wexlan
