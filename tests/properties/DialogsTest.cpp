// The slice, contrast and matrix dialogs driven through their handlers, their timers and
// the keyboard, against recording renderables.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "CContrastDialog.h"
#include "CMatrixUI.h"
#include "CSliderDialog.h"
#include "Recording.h"
#include "ScriptedPrompts.h"
#include "TestApp.h"
#include "wUtil.h"

using proptest::RecordingRenderable;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

template <typename T = QLineEdit>
T* Child(QWidget& dialog, const QString& name) {
    T* child = dialog.findChild<T*>(name);
    EXPECT_NE(child, nullptr) << name.toStdString();
    return child;
}
QString Text(QWidget& dialog, const QString& name) {
    return Child(dialog, name)->text();
}

class SliceDialogTest : public ::testing::Test, proptest::WithApplication {
protected:
    void Open(std::array<int, 6> range, std::array<int, 3> slice) {
        m_Layer.m_Set.SetSliceRange(range.data());
        m_Dialog.SetSliceRange(range.data());
        m_Dialog.SetSlice(slice.data());
        m_Dialog.SetLayer(&m_Layer);
        m_Dialog.OnInitDialog();
    }
    std::array<int, 3> Slice() const {
        std::array<int, 3> xyz;
        m_Dialog.GetSlice(xyz.data());
        return xyz;
    }
    QSlider* Slider(const char* name) { return Child<QSlider>(m_Dialog, name); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(m_Dialog, name); }

    RecordingRenderable m_Layer{"Image3DLayer"};
    CSliderDialog m_Dialog;
};

}  // namespace

TEST_F(SliceDialogTest, OpeningShowsEachAxisOrNull) {
    Open({0, 10, -1, -1, 2, 30}, {4, 7, 9});
    EXPECT_EQ(Slider("sliderX")->maximum(), 10);
    EXPECT_EQ(Slider("sliderX")->value(), 4);
    EXPECT_EQ(Slider("sliderZ")->minimum(), 2);
    EXPECT_EQ(Text(m_Dialog, "sliceZ"), "9");
    EXPECT_FALSE(Slider("sliderY")->isEnabled());
    EXPECT_FALSE(Button("playY")->isEnabled());
    EXPECT_EQ(Text(m_Dialog, "sliceY"), "NULL");
    EXPECT_THAT(m_Layer.m_Calls, IsEmpty()) << "opening applies nothing";
    m_Dialog.OnOK();
    EXPECT_EQ(m_Dialog.result(), QDialog::Accepted);
    EXPECT_THAT(Slice(), ElementsAre(4, 7, 9)) << "the NULL axis keeps the caller's y";
}

// An axis without a slice (-999) moves no plane, but OK takes its slider.
TEST_F(SliceDialogTest, SlidersMoveOnlyAxesWithASliceAndOkTakesThemAll) {
    Open({0, 10, 0, 10, 0, 10}, {3, -999, 5});
    EXPECT_TRUE(Slider("sliderY")->isEnabled());
    Slider("sliderY")->setValue(6);
    EXPECT_EQ(Text(m_Dialog, "sliceY"), "-999");
    m_Dialog.show();
    QSlider* z = Slider("sliderZ");
    z->setFocus();
    QTest::keyClick(z, Qt::Key_Right);
    QTest::keyClick(z, Qt::Key_PageUp);
    EXPECT_EQ(Text(m_Dialog, "sliceZ"), "10");
    EXPECT_THAT(m_Layer.m_Calls, ElementsAre("SetSlice(3,-999,5)", "Render", "SetSlice(3,-999,6)",
                                             "Render", "SetSlice(3,-999,10)", "Render"));
    QTest::keyClick(z, Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(m_Dialog.result(), QDialog::Accepted);
    EXPECT_THAT(Slice(), ElementsAre(3, 6, 10));
}

TEST_F(SliceDialogTest, EachTickShowsTheSliceAndDrawsOneFrame) {
    Open({0, 10, 0, 10, 0, 10}, {9, 1, 1});
    m_Dialog.OnTimer(0);
    EXPECT_EQ(Text(m_Dialog, "sliceX"), "0");
    EXPECT_EQ(Slider("sliderX")->value(), 0);
    m_Layer.m_Set.SetSliceRange(std::array<int, 6>{0, 10, 5, 8, 0, 10}.data());
    m_Dialog.OnTimer(1);  // the range is read from the layer at each tick
    EXPECT_EQ(Text(m_Dialog, "sliceY"), "5");
    EXPECT_EQ(Slider("sliderY")->minimum(), 5) << "the slider follows the range";
    EXPECT_EQ(Slider("sliderY")->maximum(), 8);
    EXPECT_THAT(m_Layer.m_Calls,
                ElementsAre("SetSlice(0,1,1)", "Render", "SetSlice(0,5,1)", "Render"));

    // A layer that reports no slice range plays nothing: the axis stops where it is.
    m_Layer.m_Calls.clear();
    m_Dialog.OnPlay(0);
    m_Layer.m_Set = wProp("Image3DLayer");
    m_Dialog.OnTimer(0);
    EXPECT_FALSE(m_Dialog.IsPlaying(0));
    EXPECT_EQ(m_Dialog.GetTimerInterval(0), -1);
    EXPECT_EQ(Text(m_Dialog, "sliceX"), "0");
    EXPECT_THAT(m_Layer.m_Calls, IsEmpty());
    m_Layer.m_Set.SetSliceRange(std::array<int, 6>{0, 10, 5, 8, 0, 10}.data());

    // The real timer: ticks keep coming, one frame each, until the axis stops.
    m_Dialog.OnFrameRate(30.0);
    m_Dialog.OnPlay(2);
    QTest::qWait(200);
    m_Dialog.OnPlay(2);
    ASSERT_GE(m_Layer.m_Calls.size(), 6u);
    for (std::size_t i = 0; i < m_Layer.m_Calls.size(); i += 2) {
        EXPECT_EQ(m_Layer.m_Calls[i], "SetSlice(0,5," + std::to_string((i / 2 + 2) % 10) + ")");
        EXPECT_EQ(m_Layer.m_Calls[i + 1], "Render");
    }
}

// Each axis plays at the rate chosen when it started; every way of closing stops them all.
TEST_F(SliceDialogTest, PlayButtonsRunTimersUntilTheDialogCloses) {
    Open({0, 10, 0, 10, 0, 10}, {1, 1, 1});
    Button("playX")->click();
    EXPECT_EQ(Button("playX")->text(), "||");
    EXPECT_EQ(m_Dialog.GetTimerInterval(0), 66);
    Button("rate30")->click();
    EXPECT_FALSE(Button("rate15")->isChecked());
    EXPECT_EQ(m_Dialog.GetTimerInterval(0), 66) << "a running axis keeps its rate";
    Button("playY")->click();
    EXPECT_EQ(m_Dialog.GetTimerInterval(1), 33);
    Button("rate7_5")->click();
    Button("playZ")->click();
    EXPECT_EQ(m_Dialog.GetTimerInterval(2), 133);
    Button("playX")->click();
    EXPECT_EQ(Button("playX")->text(), ">");
    EXPECT_EQ(m_Dialog.GetTimerInterval(0), -1);
    EXPECT_EQ(m_Dialog.GetTimerInterval(1), 33);

    for (const auto& close : std::vector<std::function<void()>>{
             [&] { m_Dialog.OnOK(); }, [&] { m_Dialog.OnCancel(); },
             [&] { QTest::keyClick(&m_Dialog, Qt::Key_Escape); }, [&] { m_Dialog.close(); }}) {
        m_Dialog.show();
        m_Dialog.OnPlay(0);
        m_Dialog.OnPlay(2);
        close();
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_FALSE(m_Dialog.IsPlaying(axis));
            EXPECT_EQ(m_Dialog.GetTimerInterval(axis), -1);
        }
        EXPECT_EQ(Button("playZ")->text(), ">");
    }
}

TEST(ContrastDialog, OpensAtTheContrastAppliesEachMoveAndCancelPutsItBack) {
    proptest::EnsureApplication();
    RecordingRenderable layer("ImageLayer");
    CContrastDialog dialog;
    dialog.SetRange(-1024, 2000);
    dialog.SetContrast(-1024.5, 200.25);
    dialog.SetLayer(&layer);
    dialog.OnInitDialog();
    QSlider* minSlider = Child<QSlider>(dialog, "minSlider");
    QSlider* maxSlider = Child<QSlider>(dialog, "maxSlider");
    EXPECT_EQ(minSlider->value(), -1024);
    EXPECT_EQ(maxSlider->value(), 200);
    EXPECT_EQ(maxSlider->maximum(), 2000);
    EXPECT_EQ(Text(dialog, "maxEdit"), "200");
    EXPECT_EQ(Child<QLabel>(dialog, "rangeLabel")->text(), "Scalar range: -1024 to 2000");
    EXPECT_THAT(layer.m_Calls, IsEmpty());

    minSlider->setValue(-50);  // a negative lower bound follows its slider
    EXPECT_EQ(Text(dialog, "minEdit"), "-50");
    dialog.show();
    maxSlider->setFocus();
    QTest::keyClick(maxSlider, Qt::Key_Left);
    // Typed bounds: applied on Enter, clamped to the scalar range, the dialog stays open.
    QLineEdit* maxEdit = Child(dialog, "maxEdit");
    maxEdit->setFocus();
    maxEdit->setText("5000");
    QTest::keyClick(maxEdit, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(maxSlider->value(), 2000);
    EXPECT_EQ(Text(dialog, "maxEdit"), "2000");
    QLineEdit* minEdit = Child(dialog, "minEdit");
    minEdit->setText("-300.5");
    QTest::keyClick(minEdit, Qt::Key_Enter);
    EXPECT_EQ(minSlider->value(), -300);
    minEdit->setText("low");  // no number: the bound is shown again, nothing applied
    QTest::keyClick(minEdit, Qt::Key_Return);
    EXPECT_EQ(Text(dialog, "minEdit"), "-300");
    EXPECT_THAT(layer.m_Calls,
                ElementsAre("SetContrast(-50,200)", "Update", "SetContrast(-50,199)", "Update",
                            "SetContrast(-50,2000)", "Update", "SetContrast(-300,2000)", "Update"));
    layer.m_Calls.clear();
    QTest::keyClick(maxSlider, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_THAT(layer.m_Calls, ElementsAre("SetContrast(-1024.5,200.25)", "Update"));
}

namespace {

class MatrixDialogTest : public ::testing::Test, proptest::WithApplication {
protected:
    void SetUp() override { m_Dialog.SetRenderable(&m_Target); }
    std::vector<std::string> GridRow(int row) {
        std::vector<std::string> texts;
        for (const char* column : {"A", "B", "C", "D"}) {
            texts.push_back(
                Text(m_Dialog, QStringLiteral("cell%1%2").arg(column).arg(row)).toStdString());
        }
        return texts;
    }
    QSlider* Slider(const char* name) { return Child<QSlider>(m_Dialog, name); }

    RecordingRenderable m_Target;
    CMatrixUI m_Dialog;
};

}  // namespace

TEST_F(MatrixDialogTest, OpensWithTheMatrixTranslationIsAnOffsetAndRotationAboutZ) {
    const double m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 1};
    m_Dialog.SetMatrix(m);
    m_Dialog.OnInitDialog();
    EXPECT_THAT(GridRow(3), ElementsAre("9.000000", "10.000000", "11.000000", "12.000000"));
    EXPECT_EQ(Text(m_Dialog, "valueRz"), "0");
    EXPECT_EQ(Slider("sliderTy")->value(), 50);
    EXPECT_EQ(Slider("sliderRz")->maximum(), 360);
    EXPECT_THAT(m_Target.m_Calls, IsEmpty());

    m_Dialog.SetMatrix(
        std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}.data());
    Slider("sliderTx")->setValue(60);
    EXPECT_EQ(Text(m_Dialog, "cellD1"), "10.000000");
    EXPECT_EQ(Text(m_Dialog, "valueTx"), "10");
    Slider("sliderTx")->setValue(55);  // from the base, not from the last move
    EXPECT_EQ(Text(m_Dialog, "cellD1"), "5.000000");
    EXPECT_THAT(m_Target.m_Calls,
                ElementsAre("SetTransform(1,0,0,10,0,1,0,0,0,0,1,0,0,0,0,1)", "Update",
                            "SetTransform(1,0,0,5,0,1,0,0,0,0,1,0,0,0,0,1)", "Update"));

    Slider("sliderTx")->setValue(50);
    Slider("sliderRz")->setValue(270);
    EXPECT_EQ(Text(m_Dialog, "valueRz"), "90");
    const auto zero = [](const std::string& t) { return t == "0.000000" || t == "-0.000000"; };
    const auto row1 = GridRow(1);
    const auto row2 = GridRow(2);
    EXPECT_TRUE(zero(row1[0]) && row1[1] == "1.000000" && zero(row1[2]) && zero(row1[3]));
    EXPECT_TRUE(row2[0] == "-1.000000" && zero(row2[1]) && zero(row2[2]) && zero(row2[3]));
    EXPECT_EQ(m_Target.m_Transform[0], 0.0) << "applied as read back, with six decimals";
    EXPECT_EQ(m_Target.m_Transform[4], -1.0);
}

TEST_F(MatrixDialogTest, LoadAndSaveGoThroughThePrompts) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("shift.mat").toStdString();
    const double shift[16] = {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
    ASSERT_TRUE(wUtil::SaveMat(path, shift));
    wexlan::ScopedScriptedPrompts prompts;
    m_Dialog.OnInitDialog();
    Slider("sliderTy")->setValue(60);
    m_Target.m_Calls.clear();

    m_Dialog.OnLoad();  // cancelled: nothing
    prompts->QueueFileName(path);
    Child<QPushButton>(m_Dialog, "loadButton")->click();
    EXPECT_EQ(Text(m_Dialog, "cellD2"), "2.000000");
    EXPECT_EQ(Text(m_Dialog, "valueTy"), "10") << "sliders and renderable are left alone";
    EXPECT_THAT(m_Target.m_Calls, IsEmpty());
    const wexlan::PromptCall& load = prompts->Calls()[1];
    EXPECT_EQ(load.kind, wexlan::PromptKind::OpenFile);
    EXPECT_EQ(load.filterText, "Matrix (*.mat) | *.mat|");
    EXPECT_TRUE(load.options.hideReadOnly && load.options.promptOverwrite);

    Slider("sliderTx")->setValue(45);  // composes onto the loaded matrix
    EXPECT_THAT(GridRow(1), ElementsAre("1.000000", "0.000000", "0.000000", "-4.000000"));
    EXPECT_EQ(Text(m_Dialog, "cellD2"), "12.000000");

    Child(m_Dialog, "cellA1")->setText("abc");
    Child(m_Dialog, "cellD3")->setText("7.25 mm");
    const std::string saved = folder.filePath("out.mat").toStdString();
    prompts->QueueFileName(saved);
    Child<QPushButton>(m_Dialog, "saveButton")->click();
    EXPECT_EQ(prompts->Calls()[2].kind, wexlan::PromptKind::SaveFile);
    EXPECT_EQ(prompts->Calls()[2].filterText, "Matrix (*.mat) | *.mat|");
    double written[16];
    ASSERT_TRUE(wUtil::LoadMat(saved, written));
    EXPECT_EQ(written[0], 0.0) << "letters read as 0";
    EXPECT_EQ(written[11], 7.25);
}

TEST_F(MatrixDialogTest, ResetOkAndCancel) {
    const double m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    m_Dialog.SetMatrix(m);
    m_Dialog.OnInitDialog();
    Slider("sliderRx")->setValue(200);
    m_Target.m_Calls.clear();
    Child<QPushButton>(m_Dialog, "resetButton")->click();
    EXPECT_EQ(Slider("sliderRx")->value(), 180);
    EXPECT_EQ(Text(m_Dialog, "valueRx"), "0");
    EXPECT_THAT(m_Target.m_Calls,
                ElementsAre("SetTransform(1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1)", "Update"));

    Slider("sliderTz")->setValue(51);
    EXPECT_EQ(m_Target.m_Transform[11], 1.0);
    m_Target.m_Calls.clear();
    m_Dialog.OnCancel();  // after Reset and moves alike: the opening matrix goes back
    EXPECT_THAT(m_Target.m_Calls,
                ElementsAre("SetTransform(2,0,0,0,0,2,0,0,0,0,2,0,0,0,0,1)", "Update"));
    EXPECT_EQ(m_Dialog.result(), QDialog::Rejected);

    // OK takes the grid, typed text included, and applies nothing itself.
    Child(m_Dialog, "cellB2")->setText("2.5abc");
    Slider("sliderTz")->setValue(51);
    m_Target.m_Calls.clear();
    m_Dialog.show();
    QTest::keyClick(Child(m_Dialog, "cellB2"), Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(m_Dialog.result(), QDialog::Accepted);
    double result[16];
    m_Dialog.GetMatrix(result);
    EXPECT_EQ(result[5], 2.5);
    EXPECT_EQ(result[11], 1.0);
    EXPECT_THAT(m_Target.m_Calls, IsEmpty());
}
