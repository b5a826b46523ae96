// The property panel and its rows as widgets (building the sheet, committing values, the
// opacity slider and the four dialog rows), and the slice, contrast and matrix dialogs
// driven through their handlers, their timers and the keyboard, against recording
// renderables.

#include <fstream>
#include <tuple>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "CColorPickerEdit.h"
#include "CContrastDialog.h"
#include "CCustomDlgProp.h"
#include "CMatrixUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CSliderDialog.h"
#include "CSliderProp.h"
#include "QtPrompts.h"
#include "Recording.h"
#include "ScriptedPrompts.h"
#include "TestApp.h"
#include "wResource.h"
#include "wUtil.h"

using proptest::Answer;
using proptest::RecordingRenderable;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

class PropertySheetTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void SetUp() override {
        m_panel.OnInitDialog();
        m_panel.resize(320, 420);
        m_panel.show();
        m_layer.m_set = wProp("ImageLayer");
        m_layer.m_set.SetValue("IsA", "ImageLayer");
        // The list rows offer what real viewers and layers report.
        wViewer viewer;
        wImage3DLayer volume(proptest::SmallVolume(), "volume");
        proptest::CopyItem(volume, "Visibility", m_layer.m_set);
        m_layer.m_set.SetColor(1, 0.5, 0);
        m_layer.m_set.SetValue("Opacity", "0.25");
        proptest::CopyItem(viewer, "Axes", m_layer.m_set);
        proptest::CopyItem(volume, "Cursor", m_layer.m_set);
        m_layer.m_set.SetValue("Size", "null");
        m_layer.m_set.SetSliceRange(std::array<int, 6>{0, 10, 0, 20, 0, 30}.data());
        m_layer.m_set.SetSlice(3, 4, 5);
        m_layer.m_set.SetScalarRange(-1024.7, 3071.2);
        m_layer.m_set.SetContrast(10.9, 200.2);
        m_layer.m_set.SetValue("Transform", "identity");
        m_layer.m_set.SetValue("Color Map", "False");
    }

    CPropertyGridCtrl& Grid() { return *m_panel.GetGrid(); }
    CPropertyGridProperty* Row(const std::string& name) {
        return Grid().FindRow("ImageLayer", name);
    }
    std::vector<std::string> RowNames(int group) {
        std::vector<std::string> names;
        for (int i = 0; i < Grid().GetProperty(group)->GetSubItemsCount(); ++i) {
            names.push_back(Grid().GetProperty(group)->GetSubItem(i)->GetName());
        }
        return names;
    }
    static std::string Shown(CPropertyGridProperty* row) { return row->GetValue().ToDisplayText(); }
    template <typename Editor>
    Editor* Edit(CPropertyGridProperty* row) {
        return qobject_cast<Editor*>(Grid().BeginEdit(row));
    }

    CPropertyUI m_panel;
    RecordingRenderable m_layer;
};

// Lets the product's prompts show the dialog called `name`, and empties the sheet while it is
// open (as removing the layer from elsewhere would) before accepting it with `file` selected.
void EmptySheetWhileShown(CPropertyUI& panel, const char* name, const std::string& file = "") {
    wexlan::WhenShown(name, [&panel, file](QWidget* dialog) {
        panel.RemoveAll();
        if (auto* files = qobject_cast<QFileDialog*>(dialog)) {
            files->selectFile(QString::fromStdString(file));
        }
        static_cast<QDialog*>(dialog)->accept();
    });
}

class StubRegistry : public wResource {
public:
    int GetNumberOfItems() const override { return 0; }
};

}  // namespace

TEST_F(PropertySheetTest, RecordsAreShownReadOnlyAndReplaceTheSheet) {
    m_panel.UpdateProperty(&m_layer);
    wProp record;
    record.SetName("bunny");
    record.SetFilename("null");
    record.SetValue("Points", "35947");
    m_panel.UpdateProperty(&record);
    ASSERT_EQ(Grid().GetPropertyCount(), 1);
    EXPECT_EQ(Grid().GetProperty(0)->GetName(), "VARQ");
    EXPECT_THAT(RowNames(0), ElementsAre("Name", "Points"));
    CPropertyGridProperty* points = Grid().FindRow("VARQ", "Points");
    EXPECT_FALSE(points->IsEnabled());
    EXPECT_FALSE(Grid().CommitValue(points, CPropertyValue::Text("1")));
    EXPECT_EQ(Grid().BeginEdit(points), nullptr);
    EXPECT_EQ(Shown(points), "35947");

    StubRegistry registry;
    m_panel.UpdateProperty(&registry);  // registries show nothing and change nothing
    EXPECT_EQ(Grid().GetPropertyCount(), 1);
    m_panel.UpdateProperty(static_cast<wProp*>(nullptr));
    EXPECT_EQ(Grid().GetPropertyCount(), 0);
}

TEST_F(PropertySheetTest, RenderablesAppendTheirGroupsWithBoundRows) {
    RecordingRenderable viewer("Viewer");
    viewer.m_set = wProp("Viewer");
    viewer.m_set.SetBackgroundColor(0.1, 0.1, 0.2);
    m_panel.UpdateProperty(static_cast<wRenderable*>(nullptr));
    m_panel.UpdateProperty(&viewer);
    m_panel.UpdateProperty(&m_layer);
    ASSERT_EQ(Grid().GetPropertyCount(), 2);
    EXPECT_EQ(Grid().GetProperty(0)->GetName(), "Viewer");
    EXPECT_THAT(RowNames(1), ElementsAre("Visibility", "Color", "Opacity", "Axes", "Cursor",
                                         "Slice", "Contrast", "Transform", "Color Map", "IsA"));
    auto* background = dynamic_cast<CMyColorProp*>(Grid().FindRow("Viewer", "Background"));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->GetRenderable(), &viewer);
    EXPECT_EQ(background->GetColor(), 26u + (26u << 8) + (51u << 16));
    auto* opacity = dynamic_cast<CSliderProp*>(Row("Opacity"));
    ASSERT_NE(opacity, nullptr);
    EXPECT_EQ(opacity->GetRenderable(), &m_layer);
    EXPECT_EQ(Shown(opacity), "25");
    for (const char* name : {"Slice", "Contrast", "Transform", "Color Map"}) {
        auto* row = dynamic_cast<CCustomDlgProp*>(Row(name));
        ASSERT_NE(row, nullptr) << name;
        EXPECT_EQ(row->GetRenderable(), &m_layer);
        EXPECT_EQ(Grid().BeginEdit(row), nullptr) << name << " is not typed into";
    }
    EXPECT_FALSE(Row("IsA")->IsEnabled());
    EXPECT_EQ(Shown(Row("Color")), "255, 128, 0");

    Grid().SetCurrentProperty(background);  // the description area follows the current row
    EXPECT_EQ(Grid().GetDescriptionText(), "Specifies background color");
    auto* area = Grid().findChild<QLabel*>("descriptionArea");
    EXPECT_TRUE(area->isVisible());
    Grid().SetCurrentProperty(Row("Axes"));  // no description: the rows get the room
    EXPECT_FALSE(area->isVisible());
    m_panel.RemoveAll();
    EXPECT_EQ(Grid().GetTree()->topLevelItemCount(), 0);
}

TEST_F(PropertySheetTest, CommittedValuesActOnTheBoundRenderable) {
    m_layer.m_set.SetChoice("Cursor", "Partly", {"On", "Off"});  // none of its choices
    m_panel.UpdateProperty(&m_layer);
    EXPECT_TRUE(Grid().CommitValue(Row("Visibility"), CPropertyValue::Text("False")));
    EXPECT_EQ(Grid().ItemOf(Row("Visibility"))->text(1), "False");

    // "Axes" takes typed text; "Cursor" offers its two options only, and shows its value
    // outside them until a choice is made.
    auto* axes = Edit<QComboBox>(Row("Axes"));
    ASSERT_NE(axes, nullptr);
    EXPECT_TRUE(axes->isEditable());
    axes->setEditText("on");
    Grid().EndEdit(true);
    EXPECT_EQ(Shown(Row("Axes")), "on");
    auto* cursor = Edit<QComboBox>(Row("Cursor"));
    ASSERT_NE(cursor, nullptr);
    EXPECT_FALSE(cursor->isEditable());
    EXPECT_EQ(cursor->count(), 2);
    EXPECT_EQ(cursor->currentIndex(), -1);
    EXPECT_EQ(cursor->placeholderText(), "Partly");
    Grid().EndEdit(true);  // left without a choice
    EXPECT_EQ(Grid().ItemOf(Row("Cursor"))->text(1), "Partly");
    EXPECT_THAT(m_layer.m_calls, ElementsAre("VisibilityOff", "Update", "Update"));
    cursor = Edit<QComboBox>(Row("Cursor"));
    cursor->setCurrentIndex(0);
    emit cursor->activated(0);  // a choice ends the edit at once
    EXPECT_EQ(Grid().GetEditor(), nullptr);
    EXPECT_EQ(Shown(Row("Cursor")), "On");
    QTest::keyClick(Grid().BeginEdit(Row("Visibility")), Qt::Key_Escape);  // changes nothing
    EXPECT_THAT(m_layer.m_calls, ElementsAre("VisibilityOff", "Update", "Update", "Update"));

    // Colours: applied with a bound renderable, rejected without one.
    auto* color = dynamic_cast<CMyColorProp*>(Row("Color"));
    auto* picker = Edit<QComboBox>(color);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->itemText(picker->count() - 1), "Other...");
    picker->setCurrentIndex(3);  // red
    emit picker->activated(3);
    EXPECT_EQ(color->GetColor(), 0x0000FFu);
    color->SetRenderable(nullptr);
    EXPECT_FALSE(Grid().CommitValue(color, CPropertyValue::Color(0x00FF00u)));
    EXPECT_EQ(color->GetColor(), 0x0000FFu);
    EXPECT_THAT(std::vector<std::string>(m_layer.m_calls.begin() + 4, m_layer.m_calls.end()),
                ElementsAre("SetColor(1,0,0)", "Update"));
}

// Every row says what it accepts, and the grid commits nothing else: the row keeps its
// value and the renderable is not called.
TEST_F(PropertySheetTest, RowsRefuseValuesTheyCannotApply) {
    m_layer.m_set.SetValue("Text Size", "12");
    m_panel.UpdateProperty(&m_layer);
    const auto refused = [&](const std::string& row, const std::string& text) {
        CPropertyValue value;
        const std::string before = Shown(Row(row));
        const std::string refusal = Row(row)->ValueFromText(text, value);
        EXPECT_EQ(Shown(Row(row)), before);
        return refusal;
    };
    EXPECT_EQ(refused("Color", "300, -5, 20"),
              "the row \"Color\" accepts a colour: #rrggbb, a colour name, or r, g, b with each a "
              "whole number 0..255");
    EXPECT_EQ(refused("Visibility", "Bogus"), "the row \"Visibility\" accepts one of True, False");
    EXPECT_EQ(refused("Opacity", "150"), "the row \"Opacity\" accepts a whole number 0..100");
    EXPECT_THAT(refused("Transform", "[1, 2, 3]"), ::testing::HasSubstr("accepts 16 numbers"));
    EXPECT_EQ(refused("Slice", "1e308"),
              "the row \"Slice\" accepts three whole numbers x, y, z within 0..10, 0..20, 0..30");
    EXPECT_EQ(refused("Text Size", "65"), "the row \"Text Size\" accepts a whole number 1..64");
    for (const auto& [row, text] :
         std::vector<std::pair<const char*, const char*>>{{"Color", "1.5, 2, 3"},
                                                          {"Opacity", "50%"},
                                                          {"Slice", "3, 21, 5"},
                                                          {"Contrast", "[5, 1]"},
                                                          {"Color Map", "True"}}) {
        EXPECT_NE(refused(row, text), "") << row << " = " << text;
    }
    // The grid itself refuses what a row refuses, whoever commits it.
    EXPECT_FALSE(Grid().CommitValue(Row("Visibility"), CPropertyValue::Text("Maybe")));
    EXPECT_FALSE(Grid().CommitValue(Row("Opacity"), CPropertyValue::Integer(-1)));
    EXPECT_FALSE(Grid().CommitValue(Row("Color"), CPropertyValue::Color(0x1000000u)));
    EXPECT_FALSE(Grid().CommitValue(Row("Color"), CPropertyValue::Text("red")));
    EXPECT_THAT(m_layer.m_calls, IsEmpty());

    // What is accepted is applied: brackets optional, any text on a list that allows
    // typing, a typed opacity like the slider.
    for (const auto& [row, text] :
         std::vector<std::pair<const char*, const char*>>{{"Color", "255, 0, 128"},
                                                          {"Slice", "10, 20, 0"},
                                                          {"Contrast", "[-5, 7.5]"},
                                                          {"Contrast", "-50, 150"},
                                                          {"Axes", "anything"},
                                                          {"Opacity", "40"}}) {
        CPropertyValue value;
        EXPECT_EQ(Row(row)->ValueFromText(text, value), "") << row;
        EXPECT_TRUE(Grid().CommitValue(Row(row), value)) << row;
    }
    EXPECT_THAT(m_layer.m_calls,
                ElementsAre("SetColor(1,0,0.501961)", "Update", "SetSlice(10,20,0)", "Update",
                            "SetContrast(-5,7.5)", "Update", "SetContrast(-50,150)", "Update",
                            "Update", "SetOpacity(0.4)", "Render", "Update"));
}

// The slider acts while it moves, Enter commits, Escape undoes; a single click on the
// value opens it at the row's value and moves nothing (0.58 shows 58, not 57).
TEST_F(PropertySheetTest, OpacitySliderActsWhileItMovesAndAClickMovesNothing) {
    m_panel.UpdateProperty(&m_layer);
    auto* opacity = dynamic_cast<CSliderProp*>(Row("Opacity"));
    qRegisterMetaType<CPropertyGridProperty*>();
    QSignalSpy changed(&Grid(), &CPropertyGridCtrl::PropertyChanged);
    auto* slider = Edit<CPropSliderCtrl>(opacity);
    ASSERT_NE(slider, nullptr);
    EXPECT_EQ(slider->maximum(), 100);
    EXPECT_EQ(slider->value(), 25);
    // The number stays visible: the slider starts a row height plus 5 pixels into the cell.
    QTreeWidget* tree = Grid().GetTree();
    const QRect cell = tree->visualItemRect(Grid().ItemOf(opacity));
    const int valueX = tree->header()->sectionViewportPosition(1);
    EXPECT_EQ(slider->geometry().left(), valueX + cell.height() + 5);
    slider->setValue(37);
    EXPECT_THAT(m_layer.m_calls, ElementsAre("SetOpacity(0.37)", "Render", "Update"));
    EXPECT_EQ(Shown(opacity), "37");
    QTest::keyClick(slider, Qt::Key_Right);
    QTest::keyClick(slider, Qt::Key_Return);
    QCoreApplication::processEvents();  // Enter commits from the event loop
    EXPECT_EQ(Grid().GetEditor(), nullptr);
    EXPECT_EQ(Shown(opacity), "38");
    EXPECT_EQ(changed.count(), 2);
    slider = Edit<CPropSliderCtrl>(opacity);
    m_layer.m_calls.clear();
    QTest::keyClick(slider, Qt::Key_PageUp);
    QTest::keyClick(slider, Qt::Key_Escape);
    EXPECT_EQ(Shown(opacity), "38");
    EXPECT_THAT(m_layer.m_calls, ElementsAre("SetOpacity(0.48)", "Render", "Update",
                                             "SetOpacity(0.38)", "Render", "Update"));

    m_layer.m_set.SetValue("Opacity", "0.58");
    m_panel.UpdateProperty(static_cast<wProp*>(nullptr));
    m_panel.UpdateProperty(&m_layer);
    m_layer.m_calls.clear();
    EXPECT_EQ(Shown(Row("Opacity")), "58");
    for (int x : {valueX + 4, valueX + cell.height() + 40, cell.right() - 4}) {
        QTest::mouseClick(
            tree->viewport(), Qt::LeftButton, {},
            QPoint(x, tree->visualItemRect(Grid().ItemOf(Row("Opacity"))).center().y()));
        QCoreApplication::processEvents();
        auto* clicked = qobject_cast<QSlider*>(Grid().GetEditor());
        ASSERT_NE(clicked, nullptr) << x;
        EXPECT_EQ(clicked->value(), 58) << x;
        Grid().EndEdit(true);
    }
    EXPECT_EQ(Shown(Row("Opacity")), "58");
    EXPECT_THAT(m_layer.m_calls, IsEmpty());
}

// "Other..." asks for a colour through the prompts and commits it like a picked one.
TEST_F(PropertySheetTest, OtherColourGoesThroughThePromptsAndIsCommitted) {
    m_panel.UpdateProperty(&m_layer);
    auto* color = dynamic_cast<CMyColorProp*>(Row("Color"));
    const auto chooseOther = [&] {
        auto* picker = Edit<CColorPickerEdit>(color);
        ASSERT_NE(picker, nullptr);
        picker->setCurrentIndex(picker->GetOtherIndex());
        emit picker->activated(picker->GetOtherIndex());
        EXPECT_EQ(Grid().GetEditor(), nullptr);
    };
    {
        wexlan::ScopedScriptedPrompts prompts;
        prompts->QueueColor(std::nullopt);  // cancelled: nothing changes
        prompts->QueueColor(0x336699u);
        chooseOther();
        EXPECT_EQ(color->GetColor(), 0x0080FFu);
        EXPECT_THAT(m_layer.m_calls, IsEmpty());
        chooseOther();
        ASSERT_EQ(prompts->Calls().size(), 2u);
        EXPECT_EQ(prompts->Calls()[1].kind, wexlan::PromptKind::Color);
        EXPECT_EQ(prompts->Calls()[1].initialColor, 0x0080FFu) << "starts at the row's colour";
    }
    EXPECT_EQ(color->GetColor(), 0x336699u);
    EXPECT_EQ(Grid().ItemOf(color)->text(1), "153, 102, 51");
    EXPECT_THAT(m_layer.m_calls, ElementsAre("SetColor(0.6,0.4,0.2)", "Update"));

    // The sheet emptied while the chooser is open: nothing is committed.
    m_layer.m_calls.clear();
    wexlan::ScopedPrompts real(std::make_unique<wexlan::QtPrompts>());
    EmptySheetWhileShown(m_panel, "chooseColorDialog");
    chooseOther();
    EXPECT_EQ(Grid().GetPropertyCount(), 0);
    EXPECT_THAT(m_layer.m_calls, IsEmpty());
}

// The slice, contrast and transform rows: the dialog's live moves, then OK's commit
// through the row as a typed value would be; Cancel puts back what the dialog opened with.
TEST_F(PropertySheetTest, DialogRowsCommitAfterOkAndCancelPutsTheValueBack) {
    m_layer.m_transform[3] = 5;
    m_panel.UpdateProperty(&m_layer);
    bool accept = true;
    {
        auto runner = Answer<CSliderDialog>([&](CSliderDialog& dialog) {
            dialog.findChild<QSlider*>("sliderX")->setValue(7);
            accept ? dialog.OnOK() : dialog.OnCancel();
        });
        Grid().SetCurrentProperty(Row("Slice"));
        QTest::keyClick(Grid().GetTree(), Qt::Key_F2);  // the keyboard presses the button
        EXPECT_EQ(Shown(Row("Slice")), "7, 4, 5");
        EXPECT_THAT(m_layer.m_calls,
                    ElementsAre("SetSlice(7,4,5)", "Render", "SetSlice(7,4,5)", "Update"));
        accept = false;
        m_layer.m_set.SetSlice(1, 1, 1);
        Grid().ClickButton(Row("Slice"));
        EXPECT_EQ(Shown(Row("Slice")), "7, 4, 5");

        // The single-slice form of a 2D layer writes one number.
        RecordingRenderable image("ImageLayer");
        image.m_set = wProp("Image2D");
        image.m_set.SetSlice(2);
        image.m_set.SetSliceRange(std::array<int, 6>{0, 9, -1, -1, -1, -1}.data());
        m_panel.UpdateProperty(&image);
        accept = true;
        Grid().ClickButton(Grid().FindRow("Image2D", "Slice"));
        EXPECT_EQ(Shown(Grid().FindRow("Image2D", "Slice")), "7");
        EXPECT_THAT(image.m_calls, ElementsAre("SetSlice(7,-999,-999)", "Render",
                                               "SetSlice(7,-999,-999)", "Update"));
    }
    m_layer.m_calls.clear();
    for (bool ok : {false, true}) {
        auto runner = Answer<CContrastDialog>([&](CContrastDialog& dialog) {
            QSlider* minSlider = dialog.findChild<QSlider*>("minSlider");
            // -1024.7 .. 3071.2 and 10.9 .. 200.2 arrive truncated.
            EXPECT_EQ(minSlider->minimum(), -1024);
            EXPECT_EQ(minSlider->maximum(), 3071);
            EXPECT_EQ(minSlider->value(), 10);
            minSlider->setValue(ok ? 60 : 50);
            ok ? dialog.OnOK() : dialog.OnCancel();
        });
        Grid().ClickButton(Row("Contrast"));
        EXPECT_EQ(Shown(Row("Contrast")), ok ? "[60.0, 200.0]" : "[10.9, 200.2]");
    }
    EXPECT_THAT(m_layer.m_calls,
                ElementsAre("SetContrast(50,200)", "Update", "SetContrast(10.9,200.2)", "Update",
                            "SetContrast(60,200)", "Update", "SetContrast(60,200)", "Update"));
    m_layer.m_calls.clear();
    for (bool ok : {true, false}) {
        auto runner = Answer<CMatrixUI>([&](CMatrixUI& dialog) {
            dialog.findChild<QSlider*>("sliderTx")->setValue(60);
            m_layer.m_set.SetValue("Transform", ok ? "moved" : "cancelled");
            ok ? dialog.OnOK() : dialog.OnCancel();
        });
        Grid().ClickButton(Row("Transform"));
        EXPECT_EQ(Shown(Row("Transform")), "moved");
    }
    // The dialog starts from the renderable's transform: 5, then 15.
    const std::string at15 = "SetTransform(1,0,0,15,0,1,0,0,0,0,1,0,0,0,0,1)";
    EXPECT_THAT(m_layer.m_calls, ElementsAre(at15, "Update", at15, "Update",
                                             "SetTransform(1,0,0,25,0,1,0,0,0,0,1,0,0,0,0,1)",
                                             "Update", at15, "Update"));
}

TEST_F(PropertySheetTest, ColorMapRowReadsTheFileForMeshLayersOnly) {
    QTemporaryDir folder;
    const std::string small = folder.filePath("small.txt").toStdString();
    const std::string big = folder.filePath("big.txt").toStdString();
    std::ofstream(small) << "1.5, 2\n3";
    std::ofstream numbers(big);
    for (int i = 0; i < 102410; ++i) {
        numbers << i << ' ';
    }
    numbers.close();
    wexlan::ScopedScriptedPrompts prompts;
    RecordingRenderable mesh("MeshLayer");
    mesh.m_set = wProp("MeshLayer");
    mesh.m_set.SetValue("Color Map", "False");
    RecordingRenderable image("ImageLayer");
    image.m_set = wProp("ImageLayer");
    image.m_set.SetValue("Color Map", "False");
    m_panel.UpdateProperty(&mesh);
    m_panel.UpdateProperty(&image);
    CPropertyGridProperty* meshMap = Grid().FindRow("MeshLayer", "Color Map");
    Grid().ClickButton(meshMap);  // cancelled
    for (const std::string& path : {small, big}) {
        prompts->QueueFileName(path);
        Grid().ClickButton(meshMap);
    }
    EXPECT_THAT(mesh.m_calls, ElementsAre("SetColorMap(3,1.5,2,3)", "Update",
                                          "SetColorMap(102400,0,1,2)", "Update"));
    EXPECT_EQ(Shown(meshMap), "True");
    const wexlan::PromptCall& call = prompts->Calls()[1];
    EXPECT_EQ(call.kind, wexlan::PromptKind::OpenFile);
    EXPECT_EQ(call.filterText, "");
    EXPECT_TRUE(call.options.hideReadOnly && call.options.promptOverwrite);

    prompts->QueueFileName(small);
    Grid().ClickButton(Row("Color Map"));
    EXPECT_THAT(image.m_calls, IsEmpty());
    EXPECT_EQ(Shown(Row("Color Map")), "False");
    EXPECT_THAT(prompts->MessageTexts(),
                ElementsAre(HasSubstr("\"Color Map\" accepts nothing on this layer")));

    // The sheet emptied (the layer removed) while the file dialog is open: the row and
    // the layer are not touched afterwards.
    mesh.m_calls.clear();
    wexlan::ScopedPrompts real(std::make_unique<wexlan::QtPrompts>());
    EmptySheetWhileShown(m_panel, "openFileDialog", small);
    Grid().ClickButton(meshMap);
    EXPECT_EQ(Grid().GetPropertyCount(), 0);
    EXPECT_THAT(mesh.m_calls, IsEmpty());
}

TEST_F(PropertySheetTest, DialogRowsWithoutRenderableOrRowAfterwards) {
    int runs = 0;
    wexlan::ScopedModalRunner runner([&](QDialog& dialog) {
        ++runs;
        m_panel.RemoveAll();  // the row that opened the dialog is gone when it returns
        dialog.accept();
        return dialog.result();
    });
    auto* group = new CPropertyGridProperty("Loose");
    auto* loose = new CCustomDlgProp("Slice", "1");
    group->AddSubItem(loose);
    Grid().AddProperty(group);
    EXPECT_TRUE(Grid().ClickButton(loose));
    EXPECT_EQ(runs, 0) << "no renderable: no dialog";
    EXPECT_FALSE(Grid().ClickButton(group));
    for (const char* name : {"Slice", "Transform", "Contrast"}) {
        m_panel.RemoveAll();
        m_panel.UpdateProperty(&m_layer);
        EXPECT_TRUE(Grid().ClickButton(Row(name)));
        EXPECT_EQ(Grid().GetPropertyCount(), 0);
    }
    EXPECT_EQ(runs, 3);
}

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

class SliceDialogTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void Open(std::array<int, 6> range, std::array<int, 3> slice) {
        m_layer.m_set.SetSliceRange(range.data());
        m_dialog.SetSliceRange(range.data());
        m_dialog.SetSlice(slice.data());
        m_dialog.SetLayer(&m_layer);
        m_dialog.OnInitDialog();
    }
    std::array<int, 3> Slice() const {
        std::array<int, 3> xyz;
        m_dialog.GetSlice(xyz.data());
        return xyz;
    }
    QSlider* Slider(const char* name) { return Child<QSlider>(m_dialog, name); }
    QPushButton* Button(const char* name) { return Child<QPushButton>(m_dialog, name); }

    RecordingRenderable m_layer{"Image3DLayer"};
    CSliderDialog m_dialog;
};

}  // namespace

TEST_F(SliceDialogTest, OpeningShowsEachAxisOrNull) {
    Open({0, 10, -1, -1, 2, 30}, {4, 7, 9});
    EXPECT_EQ(Slider("sliderX")->maximum(), 10);
    EXPECT_EQ(Slider("sliderX")->value(), 4);
    EXPECT_EQ(Slider("sliderZ")->minimum(), 2);
    EXPECT_EQ(Text(m_dialog, "sliceZ"), "9");
    EXPECT_FALSE(Slider("sliderY")->isEnabled());
    EXPECT_FALSE(Button("playY")->isEnabled());
    EXPECT_EQ(Text(m_dialog, "sliceY"), "NULL");
    EXPECT_THAT(m_layer.m_calls, IsEmpty()) << "opening applies nothing";
    m_dialog.OnOK();
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_THAT(Slice(), ElementsAre(4, 7, 9)) << "the NULL axis keeps the caller's y";
}

// An axis without a slice (-999) moves no plane, but OK takes its slider.
TEST_F(SliceDialogTest, SlidersMoveOnlyAxesWithASliceAndOkTakesThemAll) {
    Open({0, 10, 0, 10, 0, 10}, {3, -999, 5});
    EXPECT_TRUE(Slider("sliderY")->isEnabled());
    Slider("sliderY")->setValue(6);
    EXPECT_EQ(Text(m_dialog, "sliceY"), "-999");
    m_dialog.show();
    QSlider* z = Slider("sliderZ");
    z->setFocus();
    QTest::keyClick(z, Qt::Key_Right);
    QTest::keyClick(z, Qt::Key_PageUp);
    EXPECT_EQ(Text(m_dialog, "sliceZ"), "10");
    EXPECT_THAT(m_layer.m_calls, ElementsAre("SetSlice(3,-999,5)", "Render", "SetSlice(3,-999,6)",
                                             "Render", "SetSlice(3,-999,10)", "Render"));
    QTest::keyClick(z, Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    EXPECT_THAT(Slice(), ElementsAre(3, 6, 10));
}

TEST_F(SliceDialogTest, EachTickShowsTheSliceAndDrawsOneFrame) {
    Open({0, 10, 0, 10, 0, 10}, {9, 1, 1});
    m_dialog.OnTimer(0);
    EXPECT_EQ(Text(m_dialog, "sliceX"), "0");
    EXPECT_EQ(Slider("sliderX")->value(), 0);
    m_layer.m_set.SetSliceRange(std::array<int, 6>{0, 10, 5, 8, 0, 10}.data());
    m_dialog.OnTimer(1);  // the range is read from the layer at each tick
    EXPECT_EQ(Text(m_dialog, "sliceY"), "5");
    EXPECT_EQ(Slider("sliderY")->minimum(), 5) << "the slider follows the range";
    EXPECT_EQ(Slider("sliderY")->maximum(), 8);
    EXPECT_THAT(m_layer.m_calls,
                ElementsAre("SetSlice(0,1,1)", "Render", "SetSlice(0,5,1)", "Render"));

    // A layer whose slice range is empty plays nothing: the axis stops where it is.
    m_layer.m_calls.clear();
    m_dialog.OnPlay(0);
    m_layer.m_set.SetSliceRange(std::array<int, 6>{0, 0, 5, 8, 0, 10}.data());
    m_dialog.OnTimer(0);
    EXPECT_FALSE(m_dialog.IsPlaying(0));
    EXPECT_EQ(m_dialog.GetTimerInterval(0), -1);
    EXPECT_EQ(Text(m_dialog, "sliceX"), "0");
    EXPECT_THAT(m_layer.m_calls, IsEmpty());
    m_layer.m_set.SetSliceRange(std::array<int, 6>{0, 10, 5, 8, 0, 10}.data());

    // The real timer: ticks keep coming, one frame each, until the axis stops.
    m_dialog.OnFrameRate(30.0);
    m_dialog.OnPlay(2);
    QTest::qWait(200);
    m_dialog.OnPlay(2);
    ASSERT_GE(m_layer.m_calls.size(), 6u);
    for (std::size_t i = 0; i < m_layer.m_calls.size(); i += 2) {
        EXPECT_EQ(m_layer.m_calls[i], "SetSlice(0,5," + std::to_string((i / 2 + 2) % 10) + ")");
        EXPECT_EQ(m_layer.m_calls[i + 1], "Render");
    }
}

// Each axis plays at the rate chosen when it started; every way of closing stops them all.
TEST_F(SliceDialogTest, PlayButtonsRunTimersUntilTheDialogCloses) {
    Open({0, 10, 0, 10, 0, 10}, {1, 1, 1});
    Button("playX")->click();
    EXPECT_EQ(Button("playX")->text(), "||");
    EXPECT_EQ(m_dialog.GetTimerInterval(0), 66);
    Button("rate30")->click();
    EXPECT_EQ(m_dialog.GetTimerInterval(0), 66) << "a running axis keeps its rate";
    Button("playY")->click();
    EXPECT_EQ(m_dialog.GetTimerInterval(1), 33);
    Button("rate7_5")->click();
    Button("playZ")->click();
    EXPECT_EQ(m_dialog.GetTimerInterval(2), 133);
    Button("playX")->click();
    EXPECT_EQ(Button("playX")->text(), ">");
    EXPECT_EQ(m_dialog.GetTimerInterval(0), -1);
    EXPECT_EQ(m_dialog.GetTimerInterval(1), 33);

    for (const auto& close : std::vector<std::function<void()>>{
             [&] { m_dialog.OnOK(); }, [&] { m_dialog.OnCancel(); },
             [&] { QTest::keyClick(&m_dialog, Qt::Key_Escape); }, [&] { m_dialog.close(); }}) {
        m_dialog.show();
        m_dialog.OnPlay(0);
        m_dialog.OnPlay(2);
        close();
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_FALSE(m_dialog.IsPlaying(axis));
            EXPECT_EQ(m_dialog.GetTimerInterval(axis), -1);
        }
        EXPECT_EQ(Button("playZ")->text(), ">");
    }
}

TEST(ContrastDialog, OpensAtTheContrastAppliesEachMoveAndCancelPutsItBack) {
    wexlan::EnsureTestApplication();
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
    EXPECT_THAT(layer.m_calls, IsEmpty());

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
    EXPECT_THAT(layer.m_calls,
                ElementsAre("SetContrast(-50,200)", "Update", "SetContrast(-50,199)", "Update",
                            "SetContrast(-50,2000)", "Update", "SetContrast(-300,2000)", "Update"));
    layer.m_calls.clear();
    // Presets set both bounds from window and level, clamped to the range, and apply them.
    for (const auto& [preset, low, high] : std::vector<std::tuple<int, int, int>>{
             {3, -500, 1500}, {4, -1024, 150}, {0, -1024, 2000}}) {
        Child<QPushButton>(dialog, QStringLiteral("contrastPreset%1").arg(preset))->click();
        EXPECT_EQ(minSlider->value(), low);
        EXPECT_EQ(maxSlider->value(), high);
        EXPECT_EQ(layer.m_calls.front(),
                  "SetContrast(" + std::to_string(low) + "," + std::to_string(high) + ")");
        layer.m_calls.clear();
    }
    QTest::keyClick(maxSlider, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
    EXPECT_THAT(layer.m_calls, ElementsAre("SetContrast(-1024.5,200.25)", "Update"));
}

namespace {

class MatrixDialogTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void SetUp() override { m_dialog.SetRenderable(&m_target); }
    std::vector<std::string> GridRow(int row) {
        std::vector<std::string> texts;
        for (const char* column : {"A", "B", "C", "D"}) {
            texts.push_back(
                Text(m_dialog, QStringLiteral("cell%1%2").arg(column).arg(row)).toStdString());
        }
        return texts;
    }
    QSlider* Slider(const char* name) { return Child<QSlider>(m_dialog, name); }

    RecordingRenderable m_target;
    CMatrixUI m_dialog;
};

}  // namespace

TEST_F(MatrixDialogTest, OpensWithTheMatrixAndShowsARotationAboutZ) {
    const double m[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0, 0, 0, 1};
    m_dialog.SetMatrix(m);
    m_dialog.OnInitDialog();
    EXPECT_THAT(GridRow(3), ElementsAre("9.000000", "10.000000", "11.000000", "12.000000"));
    EXPECT_EQ(Text(m_dialog, "valueRz"), "0");
    EXPECT_EQ(Slider("sliderTy")->value(), 50);
    EXPECT_EQ(Slider("sliderRz")->maximum(), 360);
    EXPECT_THAT(m_target.m_calls, IsEmpty());

    // Translation offsets from the base are checked through the transform row.
    m_dialog.SetMatrix(
        std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}.data());
    Slider("sliderRz")->setValue(270);
    EXPECT_EQ(Text(m_dialog, "valueRz"), "90");
    const auto zero = [](const std::string& t) { return t == "0.000000" || t == "-0.000000"; };
    const auto row1 = GridRow(1);
    const auto row2 = GridRow(2);
    EXPECT_TRUE(zero(row1[0]) && row1[1] == "1.000000" && zero(row1[2]) && zero(row1[3]));
    EXPECT_TRUE(row2[0] == "-1.000000" && zero(row2[1]) && zero(row2[2]) && zero(row2[3]));
    EXPECT_EQ(m_target.m_transform[0], 0.0) << "applied as read back, with six decimals";
    EXPECT_EQ(m_target.m_transform[4], -1.0);
}

TEST_F(MatrixDialogTest, LoadAndSaveGoThroughThePrompts) {
    QTemporaryDir folder;
    const std::string path = folder.filePath("shift.mat").toStdString();
    const double shift[16] = {1, 0, 0, 1, 0, 1, 0, 2, 0, 0, 1, 3, 0, 0, 0, 1};
    ASSERT_TRUE(wUtil::SaveMat(path, shift));
    wexlan::ScopedScriptedPrompts prompts;
    m_dialog.OnInitDialog();
    Slider("sliderTy")->setValue(60);
    m_target.m_calls.clear();

    m_dialog.OnLoad();  // cancelled: nothing
    prompts->QueueFileName(path);
    Child<QPushButton>(m_dialog, "loadButton")->click();
    EXPECT_EQ(Text(m_dialog, "cellD2"), "2.000000");
    EXPECT_EQ(Text(m_dialog, "valueTy"), "10") << "sliders and renderable are left alone";
    EXPECT_THAT(m_target.m_calls, IsEmpty());
    const wexlan::PromptCall& load = prompts->Calls()[1];
    EXPECT_EQ(load.kind, wexlan::PromptKind::OpenFile);
    EXPECT_EQ(load.filterText, "Matrix (*.mat) | *.mat|");
    EXPECT_TRUE(load.options.hideReadOnly && load.options.promptOverwrite);

    Slider("sliderTx")->setValue(45);  // composes onto the loaded matrix
    EXPECT_THAT(GridRow(1), ElementsAre("1.000000", "0.000000", "0.000000", "-4.000000"));
    EXPECT_EQ(Text(m_dialog, "cellD2"), "12.000000");

    Child(m_dialog, "cellA1")->setText("abc");
    Child(m_dialog, "cellD3")->setText("7.25 mm");
    const std::string saved = folder.filePath("out.mat").toStdString();
    prompts->QueueFileName(saved);
    Child<QPushButton>(m_dialog, "saveButton")->click();
    EXPECT_EQ(prompts->Calls()[2].kind, wexlan::PromptKind::SaveFile);
    EXPECT_EQ(prompts->Calls()[2].filterText, "Matrix (*.mat) | *.mat|");
    double written[16];
    ASSERT_TRUE(wUtil::LoadMat(saved, written));
    EXPECT_EQ(written[0], 0.0) << "letters read as 0";
    EXPECT_EQ(written[11], 7.25);
}

TEST_F(MatrixDialogTest, ResetOkAndCancel) {
    const double m[16] = {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 1};
    m_dialog.SetMatrix(m);
    m_dialog.OnInitDialog();
    Slider("sliderRx")->setValue(200);
    m_target.m_calls.clear();
    Child<QPushButton>(m_dialog, "resetButton")->click();
    EXPECT_EQ(Slider("sliderRx")->value(), 180);
    EXPECT_EQ(Text(m_dialog, "valueRx"), "0");
    EXPECT_THAT(m_target.m_calls,
                ElementsAre("SetTransform(1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1)", "Update"));

    Slider("sliderTz")->setValue(51);
    EXPECT_EQ(m_target.m_transform[11], 1.0);
    m_target.m_calls.clear();
    m_dialog.OnCancel();  // after Reset and moves alike: the opening matrix goes back
    EXPECT_THAT(m_target.m_calls,
                ElementsAre("SetTransform(2,0,0,0,0,2,0,0,0,0,2,0,0,0,0,1)", "Update"));
    EXPECT_EQ(m_dialog.result(), QDialog::Rejected);

    // OK takes the grid, typed text included, and applies nothing itself.
    Child(m_dialog, "cellB2")->setText("2.5abc");
    Slider("sliderTz")->setValue(51);
    m_target.m_calls.clear();
    m_dialog.show();
    QTest::keyClick(Child(m_dialog, "cellB2"), Qt::Key_Return);  // Enter is OK
    EXPECT_EQ(m_dialog.result(), QDialog::Accepted);
    double result[16];
    m_dialog.GetMatrix(result);
    EXPECT_EQ(result[5], 2.5);
    EXPECT_EQ(result[11], 1.0);
    EXPECT_THAT(m_target.m_calls, IsEmpty());
}
