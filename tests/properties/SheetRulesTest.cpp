// Which rows a property set makes, what each edit does to a renderable, and the rules of
// the slice, contrast and matrix dialogs and of the layer tree, without widgets or timers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vtkPolyData.h>

#include "ContrastWindow.h"
#include "EditActions.h"
#include "ModalDialogs.h"
#include "PropertySheetBuilder.h"
#include "Recording.h"
#include "TransformSliders.h"
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
    set.SetColor(1, 0.5, 0);
    set.SetValue("Opacity", "1e300");
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
    EXPECT_EQ(group.rows.size(), 11u);
    const struct {
        const char* tag;
        RowKind kind;
        std::vector<std::string> options;
        bool typing;
    } table[] = {
        {"Shading", RowKind::List, {"Flat", "Smooth", "Toon"}, false},
        {"Label", RowKind::List, {"On", "Off"}, true},
        {"Mode", RowKind::Text, {}, true},
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
    const RowSpec* color = FindRow(group, "Color");
    EXPECT_EQ(color->color, 255u + (128u << 8));  // 0.5 rounds up to 128
    EXPECT_EQ(color->description, "Specifies layer color");
    EXPECT_EQ(FindRow(group, "Opacity")->number, 100);
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

// The dialog rows' numbers go to the renderable's operations; every other row's value
// goes to the renderable's own reading of its item. An Update follows either way.
TEST(EditActions, DialogNumbersAndTheRenderablesOwnItems) {
    const struct {
        const char* tag;
        const char* value;
        std::vector<std::string> calls;
    } cases[] = {
        {"Slice", "4.0", {"SetSlice(4,-999,-999)", "Update"}},
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
            target.m_set.SetValue(tag, "Off");
        }
        wexlan::ApplyTextEdit(target, c.tag, c.value);
        EXPECT_EQ(target.m_calls, c.calls) << c.tag << " = " << c.value;
    }
    // Only the opacity row has a slider; a slice of neither form shows no text.
    RecordingRenderable target;
    wexlan::ApplySliderMove(target, "Alpha", 10);
    EXPECT_THAT(target.m_calls, IsEmpty());
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

// The dialog's clamping of typed bounds and its Escape are checked through the dialog.
TEST(ContrastWindow, SlidersStayInAReversedRangeAndCrossedBoundsPassUnordered) {
    CContrastWindow window;
    window.SetRange(-1024, 3071);
    EXPECT_EQ(window.SliderPosition(-2000), -1024);
    window.TakeSliderPositions(1600, -300);
    EXPECT_EQ(window.Minimum(), 1600);
    EXPECT_EQ(window.Maximum(), -300);
    window.SetRange(10, 5);
    EXPECT_EQ(window.SliderMax(), 10);
}

// The dialogs open beside the view, so that the live preview stays in sight.
TEST(ModalDialogs, DialogsGoBesideTheViewInsideTheScreen) {
    const QRect screen(0, 0, 1280, 1024);
    // Room on the right, on the left only, below, above.
    EXPECT_EQ(wexlan::BesideView({300, 200}, QRect(100, 50, 800, 600), screen), QPoint(900, 50));
    EXPECT_EQ(wexlan::BesideView({300, 200}, QRect(400, 50, 800, 600), screen), QPoint(100, 50));
    EXPECT_EQ(wexlan::BesideView({600, 400}, QRect(330, 20, 720, 600), screen), QPoint(330, 620));
    EXPECT_EQ(wexlan::BesideView({600, 400}, QRect(330, 500, 720, 500), screen), QPoint(330, 100));
    // Room nowhere: where it covers the least of the view (here 30 rows below it).
    EXPECT_EQ(wexlan::BesideView({620, 430}, QRect(330, 20, 720, 605), screen), QPoint(330, 594));
    EXPECT_EQ(wexlan::BesideView({500, 200}, QRect(320, 30, 620, 900), screen), QPoint(780, 30));
    // Kept inside the screen, a dialog larger than the screen at its corner.
    EXPECT_EQ(wexlan::BesideView({300, 400}, QRect(100, 900, 500, 100), screen), QPoint(600, 624));
    EXPECT_EQ(wexlan::BesideView({2000, 2000}, QRect(100, 50, 800, 600), screen), QPoint(0, 0));
}

TEST(TransformSliders, FormulaOfTheSlidersAndTheOrderOfTheProduct) {
    // Rx 90 and Ry 90 together tell every entry of the formula apart.
    const int values[6] = {1, 2, 3, 90, 90, 0};
    double m[16];
    wexlan::SliderMatrix(values, m);
    const double expected[16] = {0, 0, -1, 1, 1, 0, 0, 2, 0, -1, 0, 3, 0, 0, 0, 1};
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(m[i], expected[i], 1e-6) << i;
    }
    const int positions[6] = {60, 50, 1, 180, 360, 270};
    int offsets[6];
    wexlan::SliderValues(positions, offsets);
    EXPECT_THAT(offsets, ElementsAre(10, 0, -49, 0, 180, 90));

    // The base on the left: its scale applies to the slider translation.
    const double base[16] = {2, 0, 0, 1, 0, 2, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1};
    const int tx[6] = {10, 0, 0, 0, 0, 0};
    double slider[16];
    double shown[16];
    wexlan::SliderMatrix(tx, slider);
    wexlan::MultiplyMatrices(base, slider, shown);
    EXPECT_EQ(shown[3], 21);
    EXPECT_EQ(shown[7], 2);
}
