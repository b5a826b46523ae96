// Which rows a property set makes, and what each edit does to a renderable.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vtkPolyData.h>

#include "EditActions.h"
#include "PropertySheetBuilder.h"
#include "Recording.h"
#include "wMeshLayer.h"

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

// A kind the sheet knows nothing about: its choices bring their own options.
TEST(SheetBuilder, EveryItemMakesItsKindOfRow) {
    wProp set("NewLayer");
    set.SetValue("IsA", "NewLayer");
    set.SetBackgroundColor(0, 0, 1);
    set.SetColor(1, 0.5, 0);
    set.SetValue("Opacity", "0.257");
    set.SetContrast(0, 255);
    set.SetChoice("Shading", "Flat", {"Flat", "Smooth", "Toon"});
    set.SetChoice("Label", "Off", {"On", "Off"}, true);
    set.SetValue("Mode", "Fast", wProp::Choice);  // a choice without options: typed
    for (const char* tag : {"Transform", "Color Map", "Size"}) {
        set.SetValue(tag, "v");
    }
    set.SetSlice(1, 2, 3);
    const GroupSpec group = CPropertySheetBuilder::EditableGroup(set);
    EXPECT_EQ(group.caption, "NewLayer");
    EXPECT_EQ(group.rows.size(), 12u);
    const struct {
        const char* tag;
        RowKind kind;
        std::vector<std::string> options;
        bool typing;
    } table[] = {
        {"Shading", RowKind::List, {"Flat", "Smooth", "Toon"}, false},
        {"Label", RowKind::List, {"On", "Off"}, true},
        {"Mode", RowKind::Text, {}, true},
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
    EXPECT_EQ(wexlan::OpacityPercent("0.29"), 29);
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

// The dialog rows' numbers go to the renderable's operations; every other row's value
// goes to the renderable's own reading of its item. An Update follows either way.
TEST(EditActions, DialogNumbersAndTheRenderablesOwnItems) {
    const struct {
        const char* tag;
        const char* value;
        std::vector<std::string> calls;
    } cases[] = {
        {"Slice", "1, 2, 3", {"SetSlice(1,2,3)", "Update"}},
        {"Slice", "4.0", {"SetSlice(4,-999,-999)", "Update"}},
        {"Contrast", "[2, 9]", {"SetContrast(2,9)", "Update"}},
        {"Transform",
         "[1, 0, 0, 7; 0, 1, 0, 0; 0, 0, 1, 0; 0, 0, 0, 1]",
         {"SetTransform(1,0,0,7,0,1,0,0,0,0,1,0,0,0,0,1)", "Update"}},
        {"Visibility", "False", {"VisibilityOff", "Update"}},
        {"Visibility", "True", {"VisibilityOn", "Update"}},
        {"Visibility", "maybe", {"Update"}},
        {"Bounding Box", "On", {"BoundingBoxOn", "Update"}},
        {"Bounding Box", "on", {"Update"}},
        {"Clipping", "Off", {"ClippingOff", "Update"}},
        // Items the renderable does not report change nothing.
        {"Axes", "On", {"Update"}},
        {"Lookup Table", "Red", {"Update"}},
    };
    for (const auto& c : cases) {
        RecordingRenderable target;
        for (const char* tag : {"Visibility", "Bounding Box", "Clipping"}) {
            target.m_Set.SetValue(tag, "Off");
        }
        wexlan::ApplyTextEdit(target, c.tag, c.value);
        EXPECT_EQ(target.m_Calls, c.calls) << c.tag << " = " << c.value;
    }
    // Only the opacity row has a slider; a slice of neither form shows no text.
    RecordingRenderable target;
    wexlan::ApplySliderMove(target, "Alpha", 10);
    EXPECT_THAT(target.m_Calls, IsEmpty());
    const int none[3] = {-1, 4, 5};
    EXPECT_EQ(wexlan::SliceRowText(none), "");
}

// The rows a kind adds act through the layer's own reading of its items; a typed word
// of neither option changes nothing, and number items take a number in any form.
TEST(EditActions, KindSpecificRowsOnRealClasses) {
    wViewer viewer;
    wexlan::ApplyTextEdit(viewer, "Axes", "On");
    wexlan::ApplyTextEdit(viewer, "Axes", "on");
    wexlan::ApplyTextEdit(viewer, "Color Bar", "Top");
    wexlan::ApplyTextEdit(viewer, "Color Bar", "Middle");
    EXPECT_TRUE(viewer.GetAxesVisibility());
    EXPECT_EQ(viewer.GetColorBar(), wViewer::ColorBarTop);

    wImage3DLayer volume(proptest::SmallVolume(), "volume");
    wexlan::ApplyTextEdit(volume, "Lookup Table", "Magent");
    wexlan::ApplyTextEdit(volume, "Cursor", "On");
    wexlan::ApplyTextEdit(volume, "Cursor", "yes");
    wexlan::ApplyTextEdit(volume, "Visibi. XZ", "False");
    EXPECT_EQ(volume.GetLookupTableName(), "Magent");
    EXPECT_TRUE(volume.GetCursor());
    EXPECT_TRUE(volume.GetPlaneVisibility(0) && !volume.GetPlaneVisibility(1) &&
                volume.GetPlaneVisibility(2));

    wMeshLayer mesh(vtkSmartPointer<vtkPolyData>::New(), "mesh");
    wexlan::ApplyTextEdit(mesh, "Representation", "Points");
    wexlan::ApplyTextEdit(mesh, "Representation", "Solid");
    EXPECT_EQ(mesh.GetRepresentation(), 2);

    wLandmarkLayer marks(nullptr, "marks");
    wTextLayer text("hello");
    for (const auto& [layer, tag, typed, size] :
         std::vector<std::tuple<wRenderable*, const char*, const char*, double>>{
             {&marks, "Size", "0", 0},
             {&marks, "Size", "-2", 0},
             {&marks, "Size", "2.50", 2.5},
             {&marks, "Size", "[3]", 3},
             {&text, "Text Size", "64", 64},
             {&text, "Text Size", "65", 64},
             {&text, "Text Size", "12.0", 12}}) {
        wexlan::ApplyTextEdit(*layer, tag, typed);
        EXPECT_EQ(layer == &marks ? marks.GetLandmarkSize() : text.GetTextSize(), size) << typed;
    }
}
