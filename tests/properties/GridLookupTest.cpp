// Finding sheet rows by typed text, the sheet as text, and colours read from text.

#include <gtest/gtest.h>

#include "CPropertyGridCtrl.h"
#include "CPropertyGridProperty.h"
#include "ColorText.h"
#include "PropertyGridLookup.h"
#include "TestApp.h"

using wexlan::ColorFromText;
using wexlan::FindRowAtStartOf;

namespace {

CPropertyGridProperty* AddRow(CPropertyGridProperty* group, const std::string& name,
                              const CPropertyValue& value, bool enabled = true) {
    auto* row = new CPropertyGridProperty(name, value, "");
    row->Enable(enabled);
    group->AddSubItem(row);
    return row;
}

}  // namespace

TEST(PropertyGridLookup, FindsTheLongestNameAndTheLastGroupsRow) {
    wexlan::EnsureTestApplication();
    CPropertyGridCtrl grid;
    auto* viewer = new CPropertyGridProperty("Viewer");
    CPropertyGridProperty* viewerTransform =
        AddRow(viewer, "Transform", CPropertyValue::Text("identity"));
    AddRow(viewer, "Bounding", CPropertyValue::Text("off"));
    auto* layer = new CPropertyGridProperty("MeshLayer");
    CPropertyGridProperty* box = AddRow(layer, "Bounding Box", CPropertyValue::Text("on"));
    CPropertyGridProperty* transform = AddRow(layer, "Transform", CPropertyValue::Text("x"));
    AddRow(layer, "Color", CPropertyValue::Color(0x0080FF), false);
    grid.AddProperty(viewer);
    grid.AddProperty(layer);

    const auto [boxRow, boxValue] = FindRowAtStartOf(&grid, "Bounding Box off on");
    EXPECT_EQ(boxRow, box);
    EXPECT_EQ(boxValue, "off on");
    const auto [transformRow, matrix] = FindRowAtStartOf(&grid, "Transform 1 0 0");
    EXPECT_EQ(transformRow, transform);
    EXPECT_NE(transformRow, viewerTransform);
    EXPECT_EQ(matrix, "1 0 0");
    // The name alone, a name without its blank, a name inside another word: no row.
    for (const char* text : {"Transform", "Transform1 2", "Color", "Colour red", "", " Color x"}) {
        EXPECT_EQ(FindRowAtStartOf(&grid, text).row, nullptr) << text;
    }
    EXPECT_EQ(FindRowAtStartOf(nullptr, "Color red").row, nullptr);

    EXPECT_EQ(wexlan::PropertySheetText(&grid),
              "Viewer\tTransform\tidentity\tenabled\n"
              "Viewer\tBounding\toff\tenabled\n"
              "MeshLayer\tBounding Box\ton\tenabled\n"
              "MeshLayer\tTransform\tx\tenabled\n"
              "MeshLayer\tColor\t255, 128, 0\tdisabled\n");
    EXPECT_EQ(wexlan::PropertySheetText(nullptr), "");
}

TEST(ColorText, ReadsHexNamesAndComponentsAndRefusesTheRest) {
    wexlan::EnsureTestApplication();
    // Red in the lowest byte.
    EXPECT_EQ(ColorFromText("#ff8000"), 0x0080FFu);
    EXPECT_EQ(ColorFromText("orange"), 0x00A5FFu);
    EXPECT_EQ(ColorFromText("255, 128, 0"), 0x0080FFu);
    EXPECT_EQ(ColorFromText("[0, 0, 255]"), 0xFF0000u);
    for (const char* bad : {"", "nocolour", "#ff80", "1, 2", "1, 2, 3, 4", "256, 0, 0", "-1, 0, 0",
                            "1.5, 0, 0", "1, 2, x"}) {
        EXPECT_EQ(ColorFromText(bad), std::nullopt) << bad;
    }
    for (const unsigned int color : {0x000000u, 0x0080FFu, 0xFF0001u, 0xFFFFFFu}) {
        EXPECT_EQ(ColorFromText(wexlan::ColorName(color)), color);
    }
    EXPECT_EQ(wexlan::ColorName(0x0080FF), "#ff8000");
}
