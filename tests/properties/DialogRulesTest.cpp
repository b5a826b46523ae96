// The rules of the slice, contrast and matrix dialogs and of the layer tree, without
// widgets or timers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "ContrastWindow.h"
#include "LayerTreeRules.h"
#include "ModalDialogs.h"
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

// Playback runs from min to max - 1 and wraps, restarts an axis without a slice (-999)
// at its min, and stops an axis with nothing to play (no range reported, an empty or
// unusable one) where it is rather than sticking at 0. The intervals of the rates, the
// slider positions OK takes and the range read at each tick are checked through the dialog.
TEST(SlicePlayback, AdvanceRunsFromMinToMaxMinusOneAndWraps) {
    const int range[6] = {2, 6, 0, 10, 3, 9};
    CSlicePlayback playback = Playback({2, 6, 0, 10, 3, 9}, {4, 1, -999});
    std::vector<int> shown;
    for (int i = 0; i < 5; ++i) {
        EXPECT_TRUE(playback.Advance(0, range));
        shown.push_back(playback.Slice(0));
    }
    EXPECT_THAT(shown, ElementsAre(5, 2, 3, 4, 5));
    EXPECT_TRUE(playback.Advance(2, range));
    EXPECT_THAT(Slice(playback), ElementsAre(5, 1, 3));

    const int empty[6] = {0, 0, 0, 10, -1, -1};
    CSlicePlayback idle = Playback({0, 10, 0, 10, 0, 10}, {4, 5, 6});
    for (int axis : {0, 1, 2}) {
        idle.TogglePlaying(axis);
    }
    EXPECT_FALSE(idle.Advance(0, empty));
    EXPECT_FALSE(idle.Advance(2, empty));
    EXPECT_FALSE(idle.Advance(1, nullptr));
    EXPECT_THAT(Slice(idle), ElementsAre(4, 5, 6));
    EXPECT_FALSE(idle.IsPlaying(0) || idle.IsPlaying(1) || idle.IsPlaying(2));
}

TEST(ContrastWindow, BothBoundsFollowTheirSlidersWhateverTheirSign) {
    CContrastWindow window;
    window.SetRange(-1024, 3071);
    window.SetContrast(-1024, 2000);
    EXPECT_EQ(window.SliderPosition(-2000), -1024);
    window.TakeSliderPositions(1600, -300);  // crossed: passed on unordered
    EXPECT_EQ(window.Minimum(), 1600);
    EXPECT_EQ(window.Maximum(), -300);
    // Typed bounds are clamped to the scalar range, huge ones without overflow.
    EXPECT_EQ(window.TypedBound(-5000.5), -1024);
    EXPECT_EQ(window.TypedBound(1e300), 3071);

    CContrastWindow reversed;
    reversed.SetRange(10, 5);
    EXPECT_EQ(reversed.SliderMax(), 10);
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

// The tree's Delete key and selection (checked through the panel) rest on these.
TEST(LayerTreeRules, OnlyTheWordViewInAnyCaseIsTheViewLabel) {
    EXPECT_TRUE(wexlan::IsViewLabel("vIEW"));
    EXPECT_FALSE(wexlan::IsViewLabel("View 2"));
    EXPECT_EQ(wexlan::DeleteActionFor("bunny", false), wexlan::LayerDeleteAction::Nothing);
}
