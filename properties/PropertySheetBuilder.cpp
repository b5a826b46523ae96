#include "PropertySheetBuilder.h"

#include <algorithm>
#include <cmath>

#include "wProp.h"
#include "wText.h"

namespace {

// Tags whose row opens a dialog of this folder (the slice row too, see EditableRow).
bool IsDialogTag(const std::string& tag) {
    return tag == "Contrast" || tag == "Transform" || tag == "Color Map";
}

}  // namespace

namespace wexlan {

unsigned int ColorRefFromRgb(const double rgb[3]) {
    unsigned int color = 0;
    for (int i = 0; i < 3; ++i) {
        const int byte = static_cast<int>(rgb[i] * 255.0 + 0.5) & 0xFF;
        color |= static_cast<unsigned int>(byte) << (8 * i);
    }
    return color;
}

void RgbFromColorRef(unsigned int color, double rgb[3]) {
    for (int i = 0; i < 3; ++i) {
        rgb[i] = static_cast<double>((color >> (8 * i)) & 0xFF) / 255.0;
    }
}

int OpacityPercent(const std::string& valueText) {
    // Rounded, not truncated: 0.58 * 100 is 57.99..., and a truncated 57 would lower the
    // opacity a little at each rebuild of the sheet.
    const double percent = std::clamp(LeadingDouble(valueText) * 100.0, 0.0, 100.0);
    return static_cast<int>(std::lround(percent));
}

bool IsShownSliceTriple(const int xyz[3]) {
    const bool single = xyz[0] >= 0 && xyz[1] == wProp::NoSlice && xyz[2] == wProp::NoSlice;
    const bool triple = xyz[0] >= 0 && xyz[1] >= 0 && xyz[2] >= 0;
    return single || triple;
}

}  // namespace wexlan

std::optional<RowSpec> CPropertySheetBuilder::EditableRow(const wProp& set, int index) {
    const std::string tag = set.GetTag(index);
    const std::string value = set.GetValue(index);
    if (value == wProp::Null) {
        return std::nullopt;
    }
    RowSpec row;
    row.name = tag;
    row.text = value;
    if (tag == "Background" || tag == "Color") {
        double rgb[3];
        if (tag == "Background") {
            set.GetBackgroundColor(rgb);
            row.description = "Specifies background color";
        } else {
            set.GetColor(rgb);
            row.description = "Specifies layer color";
        }
        row.kind = RowKind::Color;
        row.color = wexlan::ColorRefFromRgb(rgb);
        row.text.clear();
        return row;
    }
    if (tag == "Opacity") {
        row.kind = RowKind::Slider;
        row.number = wexlan::OpacityPercent(value);
        return row;
    }
    if (tag == "Slice") {
        int xyz[3];
        set.GetSlice(xyz);
        if (!wexlan::IsShownSliceTriple(xyz)) {
            return std::nullopt;
        }
        row.kind = RowKind::Dialog;
        row.allowTyping = false;
        return row;
    }
    if (IsDialogTag(tag)) {
        row.kind = RowKind::Dialog;
        row.allowTyping = false;
        return row;
    }
    if (!set.GetOptions(index).empty()) {
        row.kind = RowKind::List;
        row.options = set.GetOptions(index);
        row.allowTyping = set.AllowsOtherValues(index);
        return row;
    }
    row.kind = RowKind::Text;
    // What a layer reports but cannot take (its kind, a measured value) is shown only.
    row.enabled = tag != "IsA" && set.GetPropertyDataType(index) != wProp::Record;
    return row;
}

GroupSpec CPropertySheetBuilder::EditableGroup(const wProp& set) {
    GroupSpec group;
    group.caption = set.GetType();
    const int count = set.GetNumberOfItems();
    for (int i = 0; i < count; ++i) {
        if (auto row = EditableRow(set, i)) {
            group.rows.push_back(std::move(*row));
        }
    }
    // Rows that cannot be edited ("IsA") go last, so they never push the useful ones out
    // of sight.
    std::stable_partition(group.rows.begin(), group.rows.end(),
                          [](const RowSpec& row) { return row.enabled; });
    return group;
}

GroupSpec CPropertySheetBuilder::RecordGroup(const wProp& set) {
    GroupSpec group;
    group.caption = kRecordGroupCaption;
    const int count = set.GetNumberOfItems();
    for (int i = 0; i < count; ++i) {
        const std::string value = set.GetValue(i);
        if (value == wProp::Null) {
            continue;
        }
        RowSpec row;
        row.name = set.GetTag(i);
        row.text = value;
        row.enabled = false;
        group.rows.push_back(std::move(row));
    }
    return group;
}
