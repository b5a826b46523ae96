#include "EditActions.h"

#include <vector>

#include "PropertySheetBuilder.h"
#include "RegularFile.h"
#include "TransformSliders.h"
#include "wProp.h"
#include "wRenderable.h"
#include "wText.h"
#include "wUtil.h"

namespace wexlan {

namespace {

// Whether every number is whole and within [low, high].
bool WholeWithin(const std::vector<double>& numbers, const int* low, const int* high) {
    for (std::size_t i = 0; i < numbers.size(); ++i) {
        if (numbers[i] != static_cast<double>(static_cast<long long>(numbers[i])) ||
            numbers[i] < low[i] || numbers[i] > high[i]) {
            return false;
        }
    }
    return true;
}

std::string SliceRule(wRenderable& target, const std::vector<double>& numbers, bool parsed) {
    const wProp* set = target.GetProperty();
    int range[6] = {0, 0, 0, 0, 0, 0};
    int xyz[3] = {0, 0, 0};
    set->GetSliceRange(range);
    set->GetSlice(xyz);
    const int low[3] = {range[0], range[2], range[4]};
    const int high[3] = {range[1], range[3], range[5]};
    const bool single = xyz[1] == wProp::NoSlice;
    if (parsed && numbers.size() == (single ? 1u : 3u) && WholeWithin(numbers, low, high)) {
        return "";
    }
    const auto span = [&](int axis) {
        return std::to_string(low[axis]) + ".." + std::to_string(high[axis]);
    };
    return single
               ? "a whole number " + span(0)
               : "three whole numbers x, y, z within " + span(0) + ", " + span(1) + ", " + span(2);
}

// The numbers of a colour-map file, or the reason there are none.
std::string ReadColorMap(const std::string& path, std::vector<double>& numbers) {
    const RegularFile file(path);  // never blocks on a FIFO nor reads a device
    if (!file.IsOpen()) {
        return file.Error();
    }
    numbers.resize(kColorMapCapacity);
    const int count = wUtil::ReadDoubleArray(path, numbers.data(), kColorMapCapacity);
    numbers.resize(count > 0 ? static_cast<std::size_t>(count) : 0u);
    return numbers.empty() ? path + " holds no numbers" : "";
}

}  // namespace

std::string TextEditRefusal(wRenderable& target, const std::string& tag, const std::string& value) {
    std::vector<double> numbers;
    const bool parsed = ParseNumberList(value, numbers);
    if (tag == "Size") {
        return parsed && numbers.size() == 1 && numbers[0] >= 0 ? "" : "a number 0 or more";
    }
    if (tag == "Text Size") {
        const int low = 1;
        const int high = 64;
        return parsed && numbers.size() == 1 && WholeWithin(numbers, &low, &high)
                   ? ""
                   : "a whole number 1..64";
    }
    if (tag == "Transform") {
        return parsed && numbers.size() == 16
                   ? ""
                   : "16 numbers, row after row ([1, 0, 0, 0; 0, 1, 0, 0; ...])";
    }
    if (tag == "Slice") {
        return SliceRule(target, numbers, parsed);
    }
    if (tag == "Contrast") {
        return parsed && numbers.size() == 2 && numbers[0] <= numbers[1]
                   ? ""
                   : "two numbers minimum, maximum (brackets optional) with minimum <= maximum";
    }
    if (tag == "Color Map") {
        if (target.IsA("MeshLayer") == 0) {
            return "nothing on this layer: only a mesh layer takes a colour map";
        }
        std::vector<double> colorMap;
        const std::string why = ReadColorMap(value, colorMap);
        return why.empty() ? "" : "the path of a file of numbers (" + why + ")";
    }
    return "";
}

void ApplyTextEdit(wRenderable& target, const std::string& tag, const std::string& value) {
    std::vector<double> n;
    const bool parsed = ParseNumberList(value, n);
    if (tag == "Color Map") {
        // The row holds the path of a file of numbers, not a value text of the layer.
        std::vector<double> colorMap;
        if (target.IsA("MeshLayer") != 0 && ReadColorMap(value, colorMap).empty()) {
            target.SetColorMap(colorMap.data(), static_cast<int>(colorMap.size()));
            target.Update();
        }
        return;
    }
    if (tag == "Transform" || tag == "Slice" || tag == "Contrast") {
        // The dialog rows commit these only in the forms TextEditRefusal accepts.
        if (tag == "Transform" && n.size() == 16) {
            target.SetTransform(n.data());
        } else if (tag == "Slice" && (n.size() == 1 || n.size() == 3)) {
            const int y = n.size() == 3 ? static_cast<int>(n[1]) : wProp::NoSlice;
            const int z = n.size() == 3 ? static_cast<int>(n[2]) : wProp::NoSlice;
            target.SetSlice(static_cast<int>(n[0]), y, z);
        } else if (tag == "Contrast" && n.size() == 2) {
            target.SetContrast(n[0], n[1]);
        }
        target.Update();
        return;
    }
    // Every other row shows an item of the renderable's own set, which reads the value
    // itself; a number item takes a number in any form the row accepted ("2.50", "[3]").
    const wProp* set = target.GetProperty();
    const int index = set->FindTag(tag);
    const bool numberItem = index >= 0 && (set->GetPropertyDataType(index) == wProp::Integer ||
                                           set->GetPropertyDataType(index) == wProp::Double);
    target.SetPropertyValue(tag,
                            numberItem && parsed && n.size() == 1 ? ShortestNumber(n[0]) : value);
    target.Update();
}

void ApplyColorEdit(wRenderable& target, const std::string& tag, unsigned int color) {
    double rgb[3];
    RgbFromColorRef(color, rgb);
    if (tag == "Background") {
        target.SetBackgroundColor(rgb[0], rgb[1], rgb[2]);
    } else if (tag == "Color") {
        target.SetColor(rgb[0], rgb[1], rgb[2]);
    }
    target.Update();
}

void ApplySliderMove(wRenderable& target, const std::string& tag, int percent) {
    if (tag != "Opacity") {
        return;
    }
    target.SetOpacity(percent / 100.0);
    target.Render();
    target.Update();
}

std::string SliceRowText(const int xyz[3]) {
    if (xyz[0] >= 0 && xyz[1] >= 0 && xyz[2] >= 0) {
        return std::to_string(xyz[0]) + ", " + std::to_string(xyz[1]) + ", " +
               std::to_string(xyz[2]);
    }
    if (xyz[0] >= 0) {
        return std::to_string(xyz[0]);
    }
    return "";
}

std::string TransformRowText(const double matrix[16]) {
    std::string text = "[";
    for (int i = 0; i < 16; ++i) {
        text += ElementText(matrix[i]) + (i == 15 ? "]" : i % 4 == 3 ? "; " : ", ");
    }
    return text;
}

std::string ContrastRowText(int minimum, int maximum) {
    return "[" + FixedNumber(minimum, 1) + ", " + FixedNumber(maximum, 1) + "]";
}

}  // namespace wexlan
