#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <stdexcept>

#include "CWexlanModuleManager.h"
#include "TestApplication.h"

namespace {

// Shows the dialog modally, lets `act` play the user (click `row` unless -1, then press
// `button`), and returns the result.
int Play(CWexlanModuleManager& dialog, int row, const char* button) {
    wexlan::WhenShown("moduleManagerDialog", [&](QWidget*) {
        QTreeWidget* list = dialog.GetList();
        if (row >= 0) {
            const QRect place = list->visualItemRect(list->topLevelItem(row));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
        }
        dialog.findChild<QPushButton*>(button)->click();
    });
    return dialog.exec();
}

}  // namespace

// The rows' columns: WorkspacePanelTest.LayoutShowButtonAndModuleManager.
TEST(ModuleManager, RowsMarksAndTheSelectionAfterOkAndCancel) {
    wexlan::EnsureTestApplication();
    CWexlanModuleManager empty;
    EXPECT_EQ(Play(empty, -1, "okButton"), QDialog::Accepted);
    EXPECT_EQ(empty.GetSelected(), -1);

    CWexlanModuleManager three;
    for (const char* name : {"A", "B", "C"}) {
        three.AddItem(name, "1", "/m.so");
    }
    EXPECT_THROW(three.GetItemName(3), std::invalid_argument);
    EXPECT_THROW(three.GetItemName(-1), std::invalid_argument);
    three.SetLoaded(1);
    three.SetLoaded(500);  // no such mark: ignored
    EXPECT_TRUE(three.IsLoaded(1));
    three.SetNotLoaded(1);
    EXPECT_FALSE(three.IsLoaded(1));

    Play(three, -1, "okButton");
    EXPECT_EQ(three.GetSelected(), 0);  // no click: the first row
    Play(three, 2, "okButton");
    EXPECT_EQ(three.GetItemName(three.GetSelected()), "C");
    EXPECT_EQ(Play(three, 1, "cancelButton"), QDialog::Rejected);
    EXPECT_EQ(three.GetSelected(), 0);  // showing marked the first row
}
