// Which rows a property set makes, and what each edit does to a renderable.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "EditActions.h"
#include "PropertySheetBuilder.h"
#include "Recording.h"

using proptest::RecordingRenderable;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

const RowSpec* FindRow(const GroupSpec& group, const std::string& name) {
    for (const RowSpec& row : group.rows) {
        if (row.name == name) {
            return &row;
        }
    }
    return nullptr;
}

std::vector<std::string> Names(const GroupSpec& group) {
    std::vector<std::string> names;
    for (const RowSpec& row : group.rows) {
        names.push_back(row.name);
    }
    return names;
}

}  // namespace

TEST(SheetBuilder, EveryTagMakesItsKindOfRow) {
    wProp set("Image3DLayer");
    set.SetValue("IsA", "Image3DLayer");
    set.SetBackgroundColor(0, 0, 1);
    set.SetColor(1, 0.5, 0);
    set.SetValue("Opacity", "0.257");
    set.SetContrast(0, 255);
    for (const char* tag : {"Color Bar", "Visibility", "Visibi. XY", "Visibi. XZ", "Visibi. YZ",
                            "Orientation", "Representation", "Cursor", "Lookup Table", "Axes",
                            "Clipping", "Bounding Box", "Transform", "Color Map", "Size"}) {
        set.SetValue(tag, "v");
    }
    set.SetSlice(1, 2, 3);
    const GroupSpec group = CPropertySheetBuilder::EditableGroup(set);
    EXPECT_EQ(group.caption, "Image3DLayer");
    EXPECT_EQ(group.rows.size(), 21u);

    const std::vector<std::string> onOff = {"On", "Off"};
    const std::vector<std::string> trueFalse = {"True", "False"};
    const struct {
        const char* tag;
        RowKind kind;
        std::vector<std::string> options;
        bool typing;
    } table[] = {
        {"Color Bar", RowKind::List, {"Off", "Left", "Right", "Top", "Bottom"}, false},
        {"Visibility", RowKind::List, trueFalse, false},
        {"Visibi. XY", RowKind::List, trueFalse, false},
        {"Visibi. XZ", RowKind::List, trueFalse, false},
        {"Visibi. YZ", RowKind::List, trueFalse, false},
        {"Orientation", RowKind::List, {"XY Plane", "XZ Plane", "YZ Plane"}, false},
        {"Representation", RowKind::List, {"Surface", "Wireframe", "Points"}, false},
        {"Cursor", RowKind::List, onOff, false},
        {"Lookup Table",
         RowKind::List,
         {"None", "Red", "Green", "Blue", "Cyan", "Magent", "Yellow", "Rainbow"},
         false},
        {"Axes", RowKind::List, onOff, true},
        {"Clipping", RowKind::List, onOff, false},
        {"Bounding Box", RowKind::List, onOff, true},
        {"Contrast", RowKind::Dialog, {}, false},
        {"Transform", RowKind::Dialog, {}, false},
        {"Color Map", RowKind::Dialog, {}, false},
        {"Slice", RowKind::Dialog, {}, false},
        {"Size", RowKind::Text, {}, true},
    };
    for (const auto& expected : table) {
        SCOPED_TRACE(expected.tag);
        const RowSpec* row = FindRow(group, expected.tag);
        ASSERT_NE(row, nullptr);
        EXPECT_EQ(row->kind, expected.kind);
        EXPECT_EQ(row->options, expected.options);
        EXPECT_EQ(row->allowTyping, expected.typing);
        EXPECT_TRUE(row->enabled);
    }
    EXPECT_FALSE(FindRow(group, "IsA")->enabled);
    EXPECT_EQ(FindRow(group, "Contrast")->text, "[0.0, 255.0]");
    const RowSpec* background = FindRow(group, "Background");
    EXPECT_EQ(background->kind, RowKind::Color);
    EXPECT_EQ(background->color, 255u << 16);
    EXPECT_EQ(background->description, "Specifies background color");
    const RowSpec* color = FindRow(group, "Color");
    EXPECT_EQ(color->color, 255u + (128u << 8));  // 0.5 rounds up to 128
    EXPECT_EQ(color->description, "Specifies layer color");
    EXPECT_EQ(FindRow(group, "Opacity")->kind, RowKind::Slider);
    EXPECT_EQ(FindRow(group, "Opacity")->number, 26);
}

TEST(SheetBuilder, NullItemsAndSliceTriplesOfNeitherFormMakeNoRow) {
    wProp set("MeshLayer");
    set.SetValue("IsA", "MeshLayer");
    set.SetValue("Visibility", "null");
    set.SetValue("Representation", "Surface");
    set.SetValue("Color", "null");
    set.SetValue("Size", "2");
    // The disabled "IsA" row goes last: it must not push the useful rows out of sight.
    EXPECT_THAT(Names(CPropertySheetBuilder::EditableGroup(set)),
                ElementsAre("Representation", "Size", "IsA"));
    wProp allNull("Viewer");
    allNull.SetValue("Axes", "null");
    EXPECT_EQ(CPropertySheetBuilder::EditableGroup(allNull).caption, "Viewer");
    EXPECT_THAT(CPropertySheetBuilder::EditableGroup(allNull).rows, IsEmpty());

    for (const auto& [xyz, shown] :
         std::vector<std::pair<std::array<int, 3>, bool>>{{{5, -999, -999}, true},
                                                          {{0, 0, 0}, true},
                                                          {{3, -1, 4}, false},
                                                          {{-1, -999, -999}, false},
                                                          {{3, -999, 4}, false}}) {
        wProp image("ImageLayer");
        image.SetSlice(xyz[0], xyz[1], xyz[2]);
        EXPECT_EQ(FindRow(CPropertySheetBuilder::EditableGroup(image), "Slice") != nullptr, shown)
            << xyz[0] << "," << xyz[1] << "," << xyz[2];
    }
}

TEST(SheetBuilder, OpacityAndColourConversions) {
    // Rounded: 0.58 * 100 is 57.99..., which must not creep down to 57 at each rebuild.
    EXPECT_EQ(wexlan::OpacityPercent("0.58"), 58);
    EXPECT_EQ(wexlan::OpacityPercent("0.29"), 29);
    EXPECT_EQ(wexlan::OpacityPercent("0.257"), 26);
    EXPECT_EQ(wexlan::OpacityPercent("0.999"), 100);
    EXPECT_EQ(wexlan::OpacityPercent("1e300"), 100);
    EXPECT_EQ(wexlan::OpacityPercent("-0.2"), 0);
    EXPECT_EQ(wexlan::OpacityPercent("opaque"), 0);
    const double nearlyHalf[3] = {0.498, 0.002, 1.0};
    EXPECT_EQ(wexlan::ColorRefFromRgb(nearlyHalf), 127u + (1u << 8) + (255u << 16));
    double rgb[3];
    wexlan::RgbFromColorRef(0x0080FFu, rgb);
    EXPECT_THAT(rgb, ElementsAre(1.0, 128 / 255.0, 0.0));
}

TEST(SheetBuilder, RecordGroupIsReadOnlyVarq) {
    wProp record;
    record.SetName("bunny");
    record.SetDescription("null");
    record.SetValue("Points", "35947");
    const GroupSpec group = CPropertySheetBuilder::RecordGroup(record);
    EXPECT_EQ(group.caption, "VARQ");
    EXPECT_THAT(Names(group), ElementsAre("Name", "Points"));
    EXPECT_FALSE(group.rows[1].enabled);
    EXPECT_EQ(group.rows[1].text, "35947");
}

TEST(EditActions, EachTagCallsItsOperationThenRenderOrUpdate) {
    const struct {
        const char* tag;
        const char* value;
        std::vector<std::string> calls;
    } cases[] = {
        {"Visibility", "False", {"VisibilityOff", "Render"}},
        {"Visibility", "True", {"VisibilityOn", "Render"}},
        {"Visibility", "maybe", {"Render"}},
        {"Visibi. XY", "True", {"PlaneVisibilityOn(2)"}},
        {"Visibi. XZ", "False", {"PlaneVisibilityOff(1)"}},
        {"Visibi. YZ", "False", {"PlaneVisibilityOff(0)"}},
        {"Bounding Box", "On", {"BoundingBoxOn", "Update"}},
        {"Bounding Box", "on", {"Update"}},
        {"Clipping", "Off", {"ClippingOff", "Update"}},
        {"Representation", "Wireframe", {"SetRepresentation(1)", "Update"}},
        {"Representation", "Points", {"SetRepresentation(2)", "Update"}},
        {"Representation", "Solid", {"Update"}},
        // Kind-specific actions are skipped on another kind; the Render/Update stays.
        {"Axes", "On", {"Render"}},
        {"Lookup Table", "Red", {"Update"}},
        {"Size", "3", {"Update"}},
        {"Size", "-1", {}},
        {"Text Size", "65", {}},
        // Typed dialog values (the rows commit only well-formed ones).
        {"Slice", "1, 2, 3", {"SetSlice(1,2,3)", "Update"}},
        {"Slice", "4", {"SetSlice(4,-999,-999)", "Update"}},
        {"Contrast", "[2, 9]", {"SetContrast(2,9)", "Update"}},
        {"Orientation", "XZ Plane", {"Update"}},
    };
    for (const auto& c : cases) {
        RecordingRenderable target;
        wexlan::ApplyTextEdit(target, c.tag, c.value);
        EXPECT_EQ(target.calls, c.calls) << c.tag << " = " << c.value;
    }
}

TEST(EditActions, KindSpecificRowsOnRealClasses) {
    proptest::RecordingViewer viewer;
    for (const char* axes : {"On", "on"}) {  // anything but "On" switches off
        wexlan::ApplyTextEdit(viewer, "Axes", axes);
    }
    wexlan::ApplyTextEdit(viewer, "Color Bar", "Top");
    wexlan::ApplyTextEdit(viewer, "Color Bar", "Middle");
    EXPECT_THAT(viewer.calls, ElementsAre("Render axes=on bar=0", "Render axes=off bar=0",
                                          "Render axes=off bar=3", "Render axes=off bar=3"));

    auto image = proptest::SmallVolume();
    proptest::RecordingVolume volume(image);
    wexlan::ApplyTextEdit(volume, "Lookup Table", "Magent");
    wexlan::ApplyTextEdit(volume, "Cursor", "On");
    wexlan::ApplyTextEdit(volume, "Cursor", "yes");
    EXPECT_THAT(volume.calls,
                ElementsAre("Update lut=Magent cursor=off", "Update lut=Magent cursor=on",
                            "Update lut=Magent cursor=off"));

    proptest::RecordingLandmarks marks;
    for (const char* size : {"0", "-2", "2.5mm", "big"}) {
        wexlan::ApplyTextEdit(marks, "Size", size);
    }
    EXPECT_THAT(marks.calls, ElementsAre("Update size=0", "Update size=2.5", "Update size=0"));

    proptest::RecordingText text;
    for (const char* size : {"64", "65", "0", "12px"}) {
        wexlan::ApplyTextEdit(text, "Text Size", size);
    }
    EXPECT_THAT(text.calls, ElementsAre("Update size=64", "Update size=12"));
}

TEST(EditActions, ColourSliderAndDialogTexts) {
    RecordingRenderable target;
    wexlan::ApplyColorEdit(target, "Background", 0x0080FFu);
    wexlan::ApplyColorEdit(target, "Color", 0xFF0000u);
    wexlan::ApplySliderMove(target, "Opacity", 37);
    wexlan::ApplySliderMove(target, "Alpha", 10);
    EXPECT_THAT(target.calls,
                ElementsAre("SetBackgroundColor(1,0.501961,0)", "Update", "SetColor(0,0,1)",
                            "Update", "SetOpacity(0.37)", "Render", "Update"));
    const int triple[3] = {3, 4, 5};
    const int single[3] = {12, -1, -1};
    const int none[3] = {-1, 4, 5};
    EXPECT_EQ(wexlan::SliceRowText(triple), "3, 4, 5");
    EXPECT_EQ(wexlan::SliceRowText(single), "12");
    EXPECT_EQ(wexlan::SliceRowText(none), "");
    EXPECT_EQ(wexlan::ContrastRowText(-1024, 200), "[-1024.0, 200.0]");
}
