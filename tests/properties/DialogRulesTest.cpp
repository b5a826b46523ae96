// The rules of the slice, contrast and matrix dialogs and of the layer tree, without
// widgets or timers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ContrastWindow.h"
#include "LayerTreeRules.h"
#include "SlicePlayback.h"
#include "TransformSliders.h"

using ::testing::ElementsAre;

namespace {

CSlicePlayback Playback(std::array<int, 6> range, std::array<int, 3> slice) {
    CSlicePlayback playback;
    playback.SetRange(range.data());
    playback.SetSlice(slice.data());
    return playback;
}

std::array<int, 3> Slice(const CSlicePlayback& playback) {
    std::array<int, 3> xyz;
    playback.GetSlice(xyz.data());
    return xyz;
}

}  // namespace

TEST(SlicePlayback, AdvanceRunsFromMinToMaxMinusOneAndWraps) {
    const int range[6] = {2, 6, 0, 10, 3, 9};
    CSlicePlayback playback = Playback({2, 6, 0, 10, 3, 9}, {4, 1, -999});
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        shown.push_back(playback.Advance(0, range));
    }
    EXPECT_THAT(shown, ElementsAre(5, 2, 3, 4, 5));
    EXPECT_EQ(playback.Advance(2, range), 3) << "-999 restarts at the min";
    EXPECT_THAT(Slice(playback), ElementsAre(5, 1, 3));

    // Each step takes the range the layer reports now.
    const int shrunk[6] = {2, 6, 0, 4, 3, 9};
    CSlicePlayback fresh = Playback({2, 6, 0, 10, 3, 9}, {4, 3, 3});
    EXPECT_EQ(fresh.Advance(1, shrunk), 0);
    EXPECT_EQ(fresh.Max(1), 4);
}

TEST(SlicePlayback, IntervalsFlagsAndSliderPositions) {
    EXPECT_EQ(CSlicePlayback::IntervalFor(7.5), 133);
    EXPECT_EQ(CSlicePlayback::IntervalFor(15.0), 66);
    EXPECT_EQ(CSlicePlayback::IntervalFor(30.0), 33);

    CSlicePlayback playback = Playback({0, 10, 0, 20, -1, -1}, {3, -999, -1});
    EXPECT_EQ(playback.GetFrameRate(), 15.0);
    EXPECT_TRUE(playback.TogglePlaying(1));
    EXPECT_FALSE(playback.TogglePlaying(1));
    EXPECT_FALSE(playback.IsAxisUsable(2));
    const int positions[3] = {7, 12, 0};
    playback.TakeSliderPositions(positions);  // y is -999: not taken while moving
    EXPECT_THAT(Slice(playback), ElementsAre(7, -999, -1));
    playback.AcceptSliderPositions(positions);  // OK takes every usable axis
    EXPECT_THAT(Slice(playback), ElementsAre(7, 12, -1));
}

TEST(ContrastWindow, BoundsFollowTheirSlidersUnlessNegative) {
    CContrastWindow window;
    window.SetRange(-1024, 3071);
    window.SetContrast(-500, 2000);
    EXPECT_EQ(window.SliderPosition(5000), 3071);
    EXPECT_EQ(window.SliderPosition(-2000), -1024);
    window.TakeSliderPositions(-100, 1500);
    EXPECT_EQ(window.Minimum(), -500);
    EXPECT_EQ(window.Maximum(), 1500);
    window.TakeSliderPositions(1600, 1500);    // still negative: the minimum stays
    window.AcceptSliderPositions(1600, 1500);  // OK takes both, unordered
    EXPECT_EQ(window.Minimum(), 1600);

    CContrastWindow reversed;
    reversed.SetRange(10, 5);
    EXPECT_EQ(reversed.SliderMax(), 10);
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

TEST(LayerTreeRules, SelectionAndDeleteDecisions) {
    using wexlan::LayerDeleteAction;
    EXPECT_TRUE(wexlan::IsViewLabel("vIEW"));
    EXPECT_FALSE(wexlan::IsViewLabel("View 2"));
    EXPECT_EQ(wexlan::DeleteActionFor("view", true), LayerDeleteAction::Nothing);
    EXPECT_EQ(wexlan::DeleteActionFor("no layers", false), LayerDeleteAction::WarnNoLayers);
    EXPECT_EQ(wexlan::DeleteActionFor("bunny", false), LayerDeleteAction::Nothing);
    EXPECT_EQ(wexlan::DeleteActionFor("bunny", true), LayerDeleteAction::AskToRemove);
    EXPECT_EQ(wexlan::RemoveLayerQuestion("bunny"), "Are you sure to remove layer bunny?");
}
