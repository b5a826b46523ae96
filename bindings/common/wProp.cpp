#include "wProp.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string_view>

#include "wText.h"

namespace {

// Record tags in display order; the slot of a record is its position here.
const char* const kRecordTags[] = {"Name", "Type", "File", "Description", "Version"};
constexpr int kNameSlot = 0;
constexpr int kTypeSlot = 1;
constexpr int kFileSlot = 2;
constexpr int kDescriptionSlot = 3;
constexpr int kVersionSlot = 4;

const char* const kColorTag = "Color";
const char* const kBackgroundTag = "Background";
const char* const kSliceTag = "Slice";
const char* const kContrastTag = "Contrast";

int RecordSlot(const std::string& tag) {
    for (int slot = 0; slot < 5; ++slot) {
        if (tag == kRecordTags[slot]) {
            return slot;
        }
    }
    return -1;
}

bool IsTypedTag(const std::string& tag) {
    return tag == kColorTag || tag == kBackgroundTag || tag == kSliceTag || tag == kContrastTag;
}

double ClampUnit(double value) {
    if (std::isnan(value)) {
        return 0.0;
    }
    return std::clamp(value, 0.0, 1.0);
}

double FiniteOrZero(double value) {
    return std::isfinite(value) ? value : 0.0;
}

std::string ColorText(const std::array<double, 3>& rgb) {
    return wexlan::ShortestNumber(rgb[0]) + ", " + wexlan::ShortestNumber(rgb[1]) + ", " +
           wexlan::ShortestNumber(rgb[2]);
}

// Splits "[a, b, c]" (brackets optional) into its trimmed comma-separated parts.
std::vector<std::string_view> SplitList(std::string_view text) {
    text = wexlan::Trim(text);
    if (text.size() >= 2 && text.front() == '[' && text.back() == ']') {
        text = text.substr(1, text.size() - 2);
    }
    std::vector<std::string_view> parts;
    while (true) {
        const auto comma = text.find(',');
        parts.push_back(wexlan::Trim(text.substr(0, comma)));
        if (comma == std::string_view::npos) {
            break;
        }
        text.remove_prefix(comma + 1);
    }
    return parts;
}

template <std::size_t N>
bool ParseDoubles(const std::string& text, std::array<double, N>& out) {
    const auto parts = SplitList(text);
    if (parts.size() != N) {
        return false;
    }
    std::array<double, N> values{};
    for (std::size_t i = 0; i < N; ++i) {
        if (!wexlan::ParseDouble(parts[i], values[i])) {
            return false;
        }
    }
    out = values;
    return true;
}

template <typename T, std::size_t N>
bool Fill(const std::optional<std::array<T, N>>& value, T* out) {
    for (std::size_t i = 0; i < N; ++i) {
        out[i] = value ? (*value)[i] : T{};
    }
    return value.has_value();
}

}  // namespace

wProp::wProp(std::string typeText) : m_typeText(std::move(typeText)) {}

void wProp::SetName(const std::string& name) {
    SetRecord(kNameSlot, name);
}

void wProp::SetType(const std::string& type) {
    SetRecord(kTypeSlot, type);
    m_typeText = type;
}

void wProp::SetFilename(const std::string& path) {
    SetRecord(kFileSlot, path);
}

void wProp::SetDescription(const std::string& description) {
    SetRecord(kDescriptionSlot, description);
}

void wProp::SetVersion(const std::string& version) {
    SetRecord(kVersionSlot, version);
}

void wProp::SetRecord(int slot, const std::string& value) {
    m_records[slot] = value;
}

bool wProp::SetValue(const std::string& tag, const std::string& value, DataType type) {
    if (tag.empty()) {
        return false;
    }
    const int slot = RecordSlot(tag);
    if (slot == kTypeSlot) {
        SetType(value);
        return true;
    }
    if (slot >= 0) {
        SetRecord(slot, value);
        return true;
    }
    if (IsTypedTag(tag)) {
        return SetTypedText(tag, value);
    }
    PutItem(tag, value, type);
    return true;
}

bool wProp::SetTypedText(const std::string& tag, const std::string& value) {
    if (value == Null) {
        ForgetTypedValue(tag);
        const DataType type = tag == kSliceTag      ? IntVector
                              : tag == kContrastTag ? DoubleVector
                                                    : Color;
        PutItem(tag, value, type);
        return true;
    }
    if (tag == kColorTag || tag == kBackgroundTag) {
        std::array<double, 3> rgb{};
        if (!ParseDoubles(value, rgb)) {
            return false;
        }
        if (tag == kColorTag) {
            SetColor(rgb[0], rgb[1], rgb[2]);
        } else {
            SetBackgroundColor(rgb[0], rgb[1], rgb[2]);
        }
        return true;
    }
    if (tag == kContrastTag) {
        std::array<double, 2> range{};
        if (!ParseDoubles(value, range)) {
            return false;
        }
        SetContrast(range[0], range[1]);
        return true;
    }
    // Slice: "x" or "x, y, z".
    const auto parts = SplitList(value);
    std::array<int, 3> xyz = {0, NoSlice, NoSlice};
    if (parts.size() != 1 && parts.size() != 3) {
        return false;
    }
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (!wexlan::ParseInt(parts[i], xyz[i])) {
            return false;
        }
    }
    SetSlice(xyz[0], xyz[1], xyz[2]);
    return true;
}

void wProp::ForgetTypedValue(const std::string& tag) {
    if (tag == kColorTag) {
        m_color.reset();
    } else if (tag == kBackgroundTag) {
        m_background.reset();
    } else if (tag == kSliceTag) {
        m_slice.reset();
    } else if (tag == kContrastTag) {
        m_contrast.reset();
    }
}

bool wProp::SetChoice(const std::string& tag, const std::string& value,
                      std::vector<std::string> options, bool othersAllowed) {
    if (tag.empty() || RecordSlot(tag) >= 0 || IsTypedTag(tag)) {
        return false;
    }
    Item& item = PutItem(tag, value, Choice);
    item.options = std::move(options);
    item.othersAllowed = othersAllowed;
    return true;
}

wProp::Item& wProp::PutItem(const std::string& tag, const std::string& value, DataType type) {
    auto it = std::find_if(m_items.begin(), m_items.end(),
                           [&](const Item& item) { return item.tag == tag; });
    if (it == m_items.end()) {
        it = m_items.insert(it, Item{tag, value, type, {}, false});
    } else {
        *it = Item{tag, value, type, {}, false};
    }
    return *it;
}

bool wProp::RemoveValue(const std::string& tag) {
    const int slot = RecordSlot(tag);
    if (slot >= 0) {
        const bool had = m_records[slot].has_value();
        m_records[slot].reset();
        return had;
    }
    ForgetTypedValue(tag);
    const auto it = std::find_if(m_items.begin(), m_items.end(),
                                 [&](const Item& item) { return item.tag == tag; });
    if (it == m_items.end()) {
        return false;
    }
    m_items.erase(it);
    return true;
}

void wProp::Clear() {
    for (auto& record : m_records) {
        record.reset();
    }
    m_items.clear();
    m_color.reset();
    m_background.reset();
    m_slice.reset();
    m_sliceRange.reset();
    m_scalarRange.reset();
    m_contrast.reset();
}

int wProp::GetNumberOfItems() const {
    const auto records = std::count_if(m_records.begin(), m_records.end(),
                                       [](const auto& record) { return record.has_value(); });
    return static_cast<int>(records + m_items.size());
}

void wProp::Locate(int index, int& recordSlot, int& itemIndex) const {
    recordSlot = -1;
    itemIndex = -1;
    if (index < 0) {
        throw std::invalid_argument("wProp: item index " + std::to_string(index) + " out of range");
    }
    int remaining = index;
    for (int slot = 0; slot < kRecordCount; ++slot) {
        if (m_records[slot]) {
            if (remaining == 0) {
                recordSlot = slot;
                return;
            }
            --remaining;
        }
    }
    if (static_cast<std::size_t>(remaining) >= m_items.size()) {
        throw std::invalid_argument("wProp: item index " + std::to_string(index) + " out of range");
    }
    itemIndex = remaining;
}

std::string wProp::GetTag(int index) const {
    int slot = -1;
    int item = -1;
    Locate(index, slot, item);
    return slot >= 0 ? kRecordTags[slot] : m_items[item].tag;
}

std::string wProp::GetValue(int index) const {
    int slot = -1;
    int item = -1;
    Locate(index, slot, item);
    return slot >= 0 ? *m_records[slot] : m_items[item].value;
}

wProp::DataType wProp::GetPropertyDataType(int index) const {
    int slot = -1;
    int item = -1;
    Locate(index, slot, item);
    return slot >= 0 ? Record : m_items[item].type;
}

const wProp::Item* wProp::ItemAt(int index) const {
    int slot = -1;
    int item = -1;
    Locate(index, slot, item);
    return slot >= 0 ? nullptr : &m_items[item];
}

const std::vector<std::string>& wProp::GetOptions(int index) const {
    static const std::vector<std::string> none;
    const Item* item = ItemAt(index);
    return item != nullptr ? item->options : none;
}

bool wProp::AllowsOtherValues(int index) const {
    const Item* item = ItemAt(index);
    return item != nullptr && item->othersAllowed;
}

std::string wProp::GetValue(const std::string& tag) const {
    const int slot = RecordSlot(tag);
    if (slot >= 0) {
        return m_records[slot] ? *m_records[slot] : std::string(Null);
    }
    for (const Item& item : m_items) {
        if (item.tag == tag) {
            return item.value;
        }
    }
    return Null;
}

int wProp::FindTag(const std::string& tag) const {
    const int count = GetNumberOfItems();
    for (int i = 0; i < count; ++i) {
        if (GetTag(i) == tag) {
            return i;
        }
    }
    return -1;
}

void wProp::SetColor(double red, double green, double blue) {
    m_color = std::array<double, 3>{ClampUnit(red), ClampUnit(green), ClampUnit(blue)};
    PutItem(kColorTag, ColorText(*m_color), Color);
}

bool wProp::GetColor(double rgb[3]) const {
    return Fill(m_color, rgb);
}

void wProp::SetBackgroundColor(double red, double green, double blue) {
    m_background = std::array<double, 3>{ClampUnit(red), ClampUnit(green), ClampUnit(blue)};
    PutItem(kBackgroundTag, ColorText(*m_background), Color);
}

bool wProp::GetBackgroundColor(double rgb[3]) const {
    return Fill(m_background, rgb);
}

void wProp::SetSlice(int x, int y, int z) {
    m_slice = std::array<int, 3>{x, y, z};
    const bool single = x >= 0 && y == NoSlice && z == NoSlice;
    const std::string text =
        single ? std::to_string(x)
               : std::to_string(x) + ", " + std::to_string(y) + ", " + std::to_string(z);
    PutItem(kSliceTag, text, IntVector);
}

bool wProp::GetSlice(int xyz[3]) const {
    return Fill(m_slice, xyz);
}

void wProp::SetSliceRange(const int range[6]) {
    std::array<int, 6> copy{};
    std::copy(range, range + 6, copy.begin());
    m_sliceRange = copy;
}

bool wProp::GetSliceRange(int range[6]) const {
    return Fill(m_sliceRange, range);
}

void wProp::SetScalarRange(double minimum, double maximum) {
    m_scalarRange = std::array<double, 2>{FiniteOrZero(minimum), FiniteOrZero(maximum)};
}

bool wProp::GetScalarRange(double range[2]) const {
    return Fill(m_scalarRange, range);
}

void wProp::SetContrast(double minimum, double maximum) {
    m_contrast = std::array<double, 2>{FiniteOrZero(minimum), FiniteOrZero(maximum)};
    PutItem(kContrastTag,
            "[" + wexlan::FixedNumber((*m_contrast)[0], 1) + ", " +
                wexlan::FixedNumber((*m_contrast)[1], 1) + "]",
            DoubleVector);
}

bool wProp::GetContrast(double range[2]) const {
    return Fill(m_contrast, range);
}
