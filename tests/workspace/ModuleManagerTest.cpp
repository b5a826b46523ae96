#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>
#include <QTreeWidget>
#include <functional>
#include <stdexcept>

#include "CWexlanModuleManager.h"
#include "TestApplication.h"

namespace {

class ModuleManagerTest : public ::testing::Test {
protected:
    ModuleManagerTest() { wexlan::EnsureTestApplication(); }

    // Shows the dialog modally, lets `act` play the user, and returns the result.
    int Run(CWexlanModuleManager& dialog, std::function<void(CWexlanModuleManager&)> act) {
        wexlan::WhenShown("moduleManagerDialog", [&](QWidget*) { act(dialog); });
        return dialog.exec();
    }
    static void ClickRow(CWexlanModuleManager& dialog, int row) {
        QTreeWidget* list = dialog.GetList();
        const QRect place = list->visualItemRect(list->topLevelItem(row));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, place.center());
    }
    static void Press(CWexlanModuleManager& dialog, const char* button) {
        dialog.findChild<QPushButton*>(button)->click();
    }
};

}  // namespace

TEST_F(ModuleManagerTest, RowsAndColumns) {
    CWexlanModuleManager dialog;
    dialog.AddItem("Alpha", "1.0", "/app/Modules/alpha.so");
    dialog.AddItem("Beta", "2.0", "/app/Modules/beta.so");
    EXPECT_EQ(dialog.GetNumberOfItems(), 2);
    EXPECT_EQ(dialog.GetItemName(1), "Beta");
    EXPECT_THROW(dialog.GetItemName(2), std::invalid_argument);
    EXPECT_THROW(dialog.GetItemName(-1), std::invalid_argument);
    dialog.SetLoaded(1);
    dialog.SetLoaded(500);  // no such mark: ignored
    EXPECT_TRUE(dialog.IsLoaded(1));
    dialog.SetNotLoaded(1);
    EXPECT_FALSE(dialog.IsLoaded(1));

    // The rows' columns: WorkspacePanelTest.ModuleManagerListsEveryModule.
}

TEST_F(ModuleManagerTest, SelectionAfterOkAndCancel) {
    CWexlanModuleManager empty;
    EXPECT_EQ(Run(empty, [](auto& d) { Press(d, "okButton"); }), QDialog::Accepted);
    EXPECT_EQ(empty.GetSelected(), -1);

    CWexlanModuleManager three;
    for (const char* name : {"A", "B", "C"}) {
        three.AddItem(name, "1", "/m.so");
    }
    EXPECT_EQ(three.GetSelected(), -1);
    Run(three, [](auto& d) { Press(d, "okButton"); });
    EXPECT_EQ(three.GetSelected(), 0);  // no click: the first row

    Run(three, [](auto& d) {
        ClickRow(d, 2);
        Press(d, "okButton");
    });
    EXPECT_EQ(three.GetSelected(), 2);
    EXPECT_EQ(three.GetItemName(three.GetSelected()), "C");

    CWexlanModuleManager cancelled;
    cancelled.AddItem("A", "1", "/m.so");
    cancelled.AddItem("B", "1", "/m.so");
    EXPECT_EQ(Run(cancelled,
                  [](auto& d) {
                      ClickRow(d, 1);
                      Press(d, "cancelButton");
                  }),
              QDialog::Rejected);
    EXPECT_EQ(cancelled.GetSelected(), 0);  // showing marked the first row
}
