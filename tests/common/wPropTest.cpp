#include <clocale>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "wObject.h"
#include "wProp.h"

namespace {

using Items = std::vector<std::pair<std::string, std::string>>;

Items AllItems(const wProp& prop) {
    Items items;
    for (int i = 0; i < prop.GetNumberOfItems(); ++i) {
        items.emplace_back(prop.GetTag(i), prop.GetValue(i));
    }
    return items;
}

TEST(wProp, RecordsComeFirstInFixedOrderThenOthersAsInserted) {
    wProp prop("caption");
    EXPECT_EQ(prop.GetNumberOfItems(), 0);  // the caption is not an item
    prop.SetValue("Opacity", "0.5", wProp::Double);
    prop.SetVersion("2.1");
    prop.SetValue("Axes", "On", wProp::Choice);
    prop.SetValue("File", "/a.vtk");  // a record tag, whichever setter
    prop.SetName("first");
    prop.SetType("Resource");
    prop.SetName("skull");                          // replaces, stays first
    prop.SetValue("Opacity", "1", wProp::Integer);  // replaced in place

    EXPECT_EQ(AllItems(prop), (Items{{"Name", "skull"},
                                     {"Type", "Resource"},
                                     {"File", "/a.vtk"},
                                     {"Version", "2.1"},
                                     {"Opacity", "1"},
                                     {"Axes", "On"}}));
    EXPECT_EQ(prop.GetType(), "Resource");
    EXPECT_EQ(prop.GetPropertyDataType(2), wProp::Record);
    EXPECT_EQ(prop.GetPropertyDataType(4), wProp::Integer);
    EXPECT_EQ(prop.GetPropertyDataType(5), wProp::Choice);
}

TEST(wProp, ChoicesCarryTheirOptionsUntilSetAgain) {
    using Words = std::vector<std::string>;
    wProp prop;
    prop.SetName("n");
    EXPECT_TRUE(prop.SetChoice("Axes", "On", {"On", "Off"}, true));
    EXPECT_TRUE(prop.SetChoice("Shading", "Flat", {"Flat", "Smooth"}));
    EXPECT_FALSE(prop.SetChoice("Name", "x", {"x"})) << "a record is no choice";
    EXPECT_FALSE(prop.SetChoice("Color", "1, 0, 0", {"1, 0, 0"})) << "nor a typed value";
    EXPECT_EQ(prop.GetValue("Name"), "n");
    EXPECT_EQ(prop.GetPropertyDataType(1), wProp::Choice);
    EXPECT_EQ(prop.GetOptions(1), (Words{"On", "Off"}));
    EXPECT_TRUE(prop.AllowsOtherValues(1));
    EXPECT_FALSE(prop.AllowsOtherValues(2));
    EXPECT_TRUE(prop.GetOptions(0).empty());
    prop.SetValue("Axes", "Off", wProp::Choice);  // a plain value: the options go
    EXPECT_TRUE(prop.GetOptions(1).empty());
    EXPECT_FALSE(prop.AllowsOtherValues(1));
    EXPECT_EQ(prop.GetOptions(2), (Words{"Flat", "Smooth"}));
    EXPECT_THROW(prop.GetOptions(3), std::invalid_argument);
}

TEST(wProp, LookupsRemovalAndBadIndices) {
    wProp prop("Viewer");
    prop.SetName("n");
    prop.SetValue("A", "1");
    EXPECT_EQ(prop.GetValue("A"), "1");
    EXPECT_EQ(prop.GetValue("a"), "null");
    EXPECT_EQ(prop.GetValue("Version"), "null");
    EXPECT_EQ(prop.FindTag("A"), 1);
    EXPECT_EQ(prop.FindTag("B"), -1);
    EXPECT_FALSE(prop.SetValue("", "x"));
    for (int bad : {-1, 2}) {
        EXPECT_THROW(prop.GetTag(bad), std::invalid_argument);
        EXPECT_THROW(prop.GetValue(bad), std::invalid_argument);
        EXPECT_THROW(prop.GetPropertyDataType(bad), std::invalid_argument);
    }
    EXPECT_TRUE(prop.RemoveValue("Name"));
    EXPECT_FALSE(prop.RemoveValue("Name"));
    EXPECT_EQ(AllItems(prop), (Items{{"A", "1"}}));
    prop.SetColor(1, 1, 1);
    prop.Clear();
    double rgb[3];
    EXPECT_EQ(prop.GetNumberOfItems(), 0);
    EXPECT_FALSE(prop.GetColor(rgb));
    EXPECT_EQ(prop.GetType(), "Viewer");
}

TEST(wProp, TypedValuesKeepNumbersAndCanonicalTexts) {
    wProp prop;
    double d[3] = {7, 7, 7};
    int xyz[3] = {7, 7, 7};
    EXPECT_FALSE(prop.GetColor(d));  // never set: false and zeros
    EXPECT_FALSE(prop.GetSlice(xyz));
    EXPECT_EQ(d[2], 0.0);
    EXPECT_EQ(xyz[2], 0);

    prop.SetColor(1.0, 0.5, 0.1);
    prop.SetBackgroundColor(-0.5, 2.0, 0.25);
    prop.SetSlice(7);
    prop.SetContrast(0, 255.46);
    EXPECT_EQ(prop.GetValue("Color"), "1, 0.5, 0.1");
    EXPECT_EQ(prop.GetValue("Background"), "0, 1, 0.25");  // clamped
    EXPECT_EQ(prop.GetValue("Slice"), "7");
    EXPECT_EQ(prop.GetValue("Contrast"), "[0.0, 255.5]");
    EXPECT_EQ(prop.GetPropertyDataType(0), wProp::Color);
    EXPECT_EQ(prop.GetPropertyDataType(2), wProp::IntVector);
    EXPECT_EQ(prop.GetPropertyDataType(3), wProp::DoubleVector);

    ASSERT_TRUE(prop.GetColor(d));
    EXPECT_EQ(d[2], 0.1);
    ASSERT_TRUE(prop.GetSlice(xyz));
    EXPECT_EQ(xyz[1], wProp::NoSlice);
    ASSERT_TRUE(prop.GetContrast(d));
    EXPECT_EQ(d[1], 255.46);  // full precision behind the one-decimal text

    prop.SetSlice(1, 2, 3);
    EXPECT_EQ(prop.GetValue("Slice"), "1, 2, 3");
    prop.SetSlice(-1);  // neither form: shown in full
    EXPECT_EQ(prop.GetValue("Slice"), "-1, -999, -999");

    const int range[6] = {0, 511, 0, 511, 0, 99};
    prop.SetSliceRange(range);
    prop.SetScalarRange(-1024, 3071);
    EXPECT_EQ(prop.GetNumberOfItems(), 4);  // ranges have no display item
    int slices[6];
    ASSERT_TRUE(prop.GetSliceRange(slices));
    EXPECT_EQ(slices[5], 99);
    ASSERT_TRUE(prop.GetScalarRange(d));
    EXPECT_EQ(d[0], -1024.0);
}

TEST(wProp, TextOfATypedTagIsParsedOrRefused) {
    wProp prop;
    EXPECT_TRUE(prop.SetValue("Color", " 0.2,0.4 , 0.6 "));
    EXPECT_EQ(prop.GetValue("Color"), "0.2, 0.4, 0.6");
    double rgb[3];
    ASSERT_TRUE(prop.GetColor(rgb));
    EXPECT_EQ(rgb[1], 0.4);
    EXPECT_TRUE(prop.SetValue("Slice", "4"));
    int xyz[3];
    ASSERT_TRUE(prop.GetSlice(xyz));
    EXPECT_EQ(xyz[2], wProp::NoSlice);
    EXPECT_TRUE(prop.SetValue("Contrast", "[10, 20.25]"));
    EXPECT_EQ(prop.GetValue("Contrast"), "[10.0, 20.2]");

    for (const char* bad : {"red", "1, 0", "1, 0, 0, 0", "1,,0", "nan, 0, 0"}) {
        EXPECT_FALSE(prop.SetValue("Color", bad)) << bad;
    }
    EXPECT_FALSE(prop.SetValue("Slice", "1, 2"));
    EXPECT_FALSE(prop.SetValue("Slice", "1.5"));
    EXPECT_EQ(prop.GetValue("Color"), "0.2, 0.4, 0.6");
    EXPECT_EQ(prop.GetValue("Slice"), "4");

    // "null" keeps a hidden item but forgets the numbers; removal does too.
    EXPECT_TRUE(prop.SetValue("Color", "null"));
    EXPECT_EQ(prop.FindTag("Color"), 0);
    EXPECT_FALSE(prop.GetColor(rgb));
    EXPECT_TRUE(prop.RemoveValue("Slice"));
    EXPECT_FALSE(prop.GetSlice(xyz));
}

TEST(wProp, NumberTextsIgnoreTheProcessLocale) {
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8") && !std::setlocale(LC_NUMERIC, "de_DE.utf8")) {
        GTEST_SKIP() << "no German locale installed";
    }
    wProp prop;
    prop.SetContrast(1.5, 2);
    const bool parsed = prop.SetValue("Color", "0.5, 0.25, 1");
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(prop.GetValue("Contrast"), "[1.5, 2.0]");
    EXPECT_TRUE(parsed);
    EXPECT_EQ(prop.GetValue("Color"), "0.5, 0.25, 1");
}

// Reports a counter, to see the set rebuilt from the object's state.
class Counter : public wObject {
public:
    int value = 0;

protected:
    void FillProperty(wProp& prop) override {
        prop.SetValue("Value", std::to_string(value), wProp::Integer);
    }
};

TEST(wObject, PropertySetIsRebuiltOnEveryCall) {
    Counter counter;
    counter.SetType("Demo");
    wProp* prop = counter.GetProperty();
    EXPECT_EQ(prop->GetType(), "Demo");
    EXPECT_EQ(prop->GetValue("Value"), "0");
    prop->SetValue("Stale", "x");
    counter.value = 5;
    prop = counter.GetProperty();
    EXPECT_EQ(AllItems(*prop), (Items{{"Value", "5"}}));
    EXPECT_EQ(wObject().GetProperty()->GetNumberOfItems(), 0);
}

}  // namespace
