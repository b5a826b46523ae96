// What landmark and text layers draw for their size and colour operations.

#include <gtest/gtest.h>

#include <memory>

#include "RenderTestSupport.h"
#include "wLandmarkLayer.h"
#include "wProp.h"
#include "wTextLayer.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

TEST(LandmarkLayer, DrawsSpheresOfTheSetSizeAndColour) {
    auto window = MakeWindow(64);
    wViewer viewer(window);
    viewer.SetBackgroundColor(0, 0, 0);
    auto owned = std::make_unique<wLandmarkLayer>(MakePoints({{0, 0, 0}, {10, 0, 0}}), "marks");
    wLandmarkLayer* marks = owned.get();
    EXPECT_DOUBLE_EQ(marks->GetLandmarkSize(), 10.0 / 20.0);
    viewer.AddInput(std::move(owned));
    const auto drawn = [&] {
        marks->Update();
        return Frame(window).Count(IsReddish);
    };
    const int small = drawn();
    EXPECT_GT(small, 0);
    marks->SetLandmarkSize(3);
    const int large = drawn();
    EXPECT_GT(large, small * 4);
    EXPECT_EQ(marks->GetProperty()->GetValue("Size"), "3");

    marks->SetLandmarkSize(-1);  // ignored
    EXPECT_EQ(marks->GetLandmarkSize(), 3.0);
    marks->SetColor(0, 1, 0);
    EXPECT_EQ(drawn(), 0);
    EXPECT_GT(Frame(window).Count(IsGreenish), small);
    marks->SetLandmarkSize(0);
    marks->Update();
    EXPECT_EQ(Frame(window).Count(IsGreenish), 0);
    EXPECT_EQ(marks->GetProperty()->GetValue("Color"), "0, 1, 0");
}

TEST(TextLayer, DrawsTheTextInItsSizeAndColour) {
    auto window = MakeWindow(128);
    wViewer viewer(window);
    viewer.SetBackgroundColor(0, 0, 0);
    auto owned = std::make_unique<wTextLayer>("WEXLAN");
    wTextLayer* text = owned.get();
    viewer.AddInput(std::move(owned));
    text->SetColor(1, 0, 0);
    const auto drawn = [&] {
        text->Update();
        return Frame(window).Count(IsReddish);
    };
    ASSERT_TRUE(text->SetTextSize(10));
    const int small = drawn();
    EXPECT_GT(small, 10);
    ASSERT_TRUE(text->SetTextSize(30));
    EXPECT_GT(drawn(), small * 3);
    EXPECT_EQ(text->GetProperty()->GetValue("Text Size"), "30");

    EXPECT_TRUE(text->SetTextSize(64));
    EXPECT_FALSE(text->SetTextSize(65));
    EXPECT_FALSE(text->SetTextSize(0));
    EXPECT_EQ(text->GetTextSize(), 64);

    text->VisibilityOff();
    EXPECT_EQ(drawn(), 0);
}

}  // namespace
