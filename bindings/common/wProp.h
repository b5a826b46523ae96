#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "wexlancommon_export.h"

/// An ordered set of properties: what a property sheet shows for one viewer, layer
/// or record, as (tag, value text, data type) items.
///
/// Order of the items:
///  - The five *record* items come first, always in the order Name, Type, File,
///    Description, Version (only those that were set), whatever order their setters
///    were called in. Property sheets show them as read-only rows.
///  - All other items follow in the order their tags were first set. Setting a tag
///    again replaces its value in place; it does not move the item.
///
/// The value text "null" (wProp::Null) means "nothing to show": a property sheet
/// never makes a row for such an item, and GetValue(tag) answers "null" for a tag the
/// set does not hold.
///
/// Typed values. Colours, the slice triple, the slice range, the scalar range and
/// the contrast are kept as numbers as well. Their setters store the numbers and
/// write the matching display item with its canonical text, and setting a display
/// item's text through SetValue parses it back into the numbers, so the two can
/// never disagree:
///
///  - SetColor: tag "Color", data type Color, text "r, g, b" with each number in its
///    shortest exact form, e.g. "1, 0.5, 0".
///  - SetBackgroundColor: tag "Background", as for "Color".
///  - SetSlice: tag "Slice", data type IntVector, text "x, y, z", or "x" for the
///    single-slice form (x >= 0, y = z = -999).
///  - SetContrast: tag "Contrast", data type DoubleVector, text "[min, max]" with one
///    decimal, e.g. "[0.0, 255.5]".
///  - SetSliceRange, SetScalarRange: numbers only, no display item.
///
/// Choices. An item set with SetChoice also carries the option texts a property sheet
/// offers for it, in the order offered, and whether a text outside them may be typed.
/// The object that reports the set (a viewer, a layer) is the one place that knows its
/// choices; a sheet makes its list rows from them.
///
/// Number texts never depend on the process locale (a decimal point, never a comma).
///
/// Copyable value type; not thread-safe (everything runs on the UI thread).
class WEXLANCOMMON_EXPORT wProp {
public:
    /// What kind of value an item holds, so that a property sheet can pick its row.
    enum DataType {
        Text = 0,      ///< free text, edited as typed
        Record,        ///< one of the five record items (Name, Type, File, ...): read-only text
        Integer,       ///< a decimal integer, e.g. "42"
        Double,        ///< a decimal number, e.g. "0.25"
        Boolean,       ///< "True" or "False"
        Choice,        ///< one of a fixed list of option texts, e.g. "Surface"
        Color,         ///< three components 0..1 as "r, g, b"
        IntVector,     ///< integers separated by ", ", e.g. a slice triple "3, 4, 5"
        DoubleVector,  ///< numbers in brackets, e.g. a contrast "[0.0, 255.0]"
    };

    /// The value text that property sheets never show.
    static constexpr const char* Null = "null";
    /// The y and z of the single-slice form of a slice triple (x, -999, -999).
    static constexpr int NoSlice = -999;

    /// An empty set whose type text (the group caption of a property sheet) is
    /// `typeText`. No item is added: use SetType for a visible "Type" record.
    explicit wProp(std::string typeText = "");

    /// The type text: the constructor's argument or the last SetType value.
    const std::string& GetType() const { return m_typeText; }

    /// @name Records
    /// Each sets (or replaces) one record item. SetType also sets the type text.
    /// @{
    void SetName(const std::string& name);
    void SetType(const std::string& type);
    void SetFilename(const std::string& path);  ///< the item's tag is "File"
    void SetDescription(const std::string& description);
    void SetVersion(const std::string& version);
    /// @}

    /// Sets the item `tag` to `value`: replaces the value (and data type) of an
    /// existing item in place, dropping its options, else appends a new item.
    ///
    /// Special tags behave like their dedicated setters, whatever `type` says:
    ///  - a record tag ("Name", "Type", "File", "Description", "Version") sets that
    ///    record (data type Record; "Type" also sets the type text);
    ///  - a display tag of a typed value ("Color", "Background", "Slice", "Contrast")
    ///    parses `value` (the canonical form; blanks around numbers and missing
    ///    brackets are tolerated) into the numbers and stores the canonical text.
    ///    The value "null" keeps the item but forgets the numbers (their getter
    ///    then returns false).
    ///
    /// @return false, changing nothing, for an empty tag or a typed value's text
    ///         that does not parse; true otherwise.
    bool SetValue(const std::string& tag, const std::string& value, DataType type = Text);

    /// Sets the item `tag` to `value` with data type Choice, offering `options` in their
    /// order; `othersAllowed` says whether a sheet keeps a typed text outside them. Replaces
    /// an existing item in place, like SetValue. A record or typed value's tag (see
    /// SetValue) is not a choice: the call changes nothing and returns false.
    bool SetChoice(const std::string& tag, const std::string& value,
                   std::vector<std::string> options, bool othersAllowed = false);

    /// Removes the item `tag` (a typed value's display item takes its numbers with
    /// it). @return whether there was such an item.
    bool RemoveValue(const std::string& tag);

    /// Removes every item and typed value; the type text stays.
    void Clear();

    /// @name Items by index (0 .. GetNumberOfItems() - 1, in the order described above)
    /// The indexed getters throw std::invalid_argument for an index out of range.
    /// @{
    int GetNumberOfItems() const;
    std::string GetTag(int index) const;
    std::string GetValue(int index) const;
    DataType GetPropertyDataType(int index) const;
    /// The options of a choice item in the order offered; empty for any other item.
    const std::vector<std::string>& GetOptions(int index) const;
    /// Whether a sheet keeps a typed text outside a choice item's options; false for any
    /// other item.
    bool AllowsOtherValues(int index) const;
    /// @}

    /// The value text of item `tag` (tags compare exactly), or "null" if absent.
    std::string GetValue(const std::string& tag) const;
    /// The index of item `tag`, or -1 if absent.
    int FindTag(const std::string& tag) const;

    /// @name Typed values
    /// Getters fill the caller's array and return true; when the value was never set
    /// (or was removed) they fill zeros and return false.
    /// @{

    /// Layer colour, tag "Color". Components are clamped to 0..1 (NaN becomes 0).
    void SetColor(double red, double green, double blue);
    bool GetColor(double rgb[3]) const;

    /// Viewer background colour, tag "Background". Clamped like SetColor.
    void SetBackgroundColor(double red, double green, double blue);
    bool GetBackgroundColor(double rgb[3]) const;

    /// Slice triple, tag "Slice". SetSlice(x) (y = z = NoSlice) with x >= 0 is the
    /// single-slice form, shown as "x"; every other triple is shown as "x, y, z".
    void SetSlice(int x, int y = NoSlice, int z = NoSlice);
    bool GetSlice(int xyz[3]) const;

    /// Slice range xmin, xmax, ymin, ymax, zmin, zmax; no display item.
    void SetSliceRange(const int range[6]);
    bool GetSliceRange(int range[6]) const;

    /// Scalar range min, max; no display item. Non-finite numbers become 0.
    void SetScalarRange(double minimum, double maximum);
    bool GetScalarRange(double range[2]) const;

    /// Contrast window min, max, tag "Contrast", shown as "[min, max]" with one
    /// decimal (the numbers keep full precision). Non-finite numbers become 0.
    void SetContrast(double minimum, double maximum);
    bool GetContrast(double range[2]) const;
    /// @}

private:
    struct Item {
        std::string tag;
        std::string value;
        DataType type;
        std::vector<std::string> options;  // a choice's option texts
        bool othersAllowed = false;        // a choice that keeps typed texts
    };

    static constexpr int kRecordCount = 5;

    void SetRecord(int slot, const std::string& value);
    // Sets or appends the item `tag`; returns it, its options emptied.
    Item& PutItem(const std::string& tag, const std::string& value, DataType type);
    // The item at `index`, or null for a record; throws like Locate.
    const Item* ItemAt(int index) const;
    bool SetTypedText(const std::string& tag, const std::string& value);
    void ForgetTypedValue(const std::string& tag);
    // Index into the record slots, or into m_items after the present records;
    // throws std::invalid_argument when out of range.
    void Locate(int index, int& recordSlot, int& itemIndex) const;

    std::string m_typeText;
    std::array<std::optional<std::string>, kRecordCount> m_records;
    std::vector<Item> m_items;

    std::optional<std::array<double, 3>> m_color;
    std::optional<std::array<double, 3>> m_background;
    std::optional<std::array<int, 3>> m_slice;
    std::optional<std::array<int, 6>> m_sliceRange;
    std::optional<std::array<double, 2>> m_scalarRange;
    std::optional<std::array<double, 2>> m_contrast;
};
