#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTemporaryDir>
#include <fstream>

#include "QtPrompts.h"
#include "TestApplication.h"

namespace wexlan {
namespace {

class QtPromptsDialogTest : public ::testing::Test {
protected:
    void SetUp() override { EnsureTestApplication(); }
    QtPrompts m_prompts;
    QTemporaryDir m_folder;
    const std::string m_root = m_folder.path().toStdString();
};

TEST_F(QtPromptsDialogTest, MessageBoxesAreCaptionedAndAnswerWithTheButtonPressed) {
    QWidget host;
    host.show();
    QApplication::setActiveWindow(&host);
    WhenShown("promptMessageBox", [&host](QWidget* widget) {
        auto* box = static_cast<QMessageBox*>(widget);
        EXPECT_EQ(box->windowTitle() + box->text(), "VARQClear viewer?");
        EXPECT_EQ(box->parentWidget(), &host);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(m_prompts.ShowMessage("Clear viewer?", MessageButtons::YesNo), MessageAnswer::Yes);
    WhenShown("promptMessageBox", [](QWidget* box) { box->close(); });
    EXPECT_EQ(m_prompts.ShowMessage("Clear viewer?", MessageButtons::YesNo), MessageAnswer::No);
    WhenShown("promptMessageBox", [](QWidget* widget) {
        EXPECT_EQ(static_cast<QMessageBox*>(widget)->standardButtons(), QMessageBox::Ok);
        widget->close();
    });
    EXPECT_EQ(m_prompts.ShowMessage("Couldn't load module", MessageButtons::Ok), MessageAnswer::Ok);
}

TEST_F(QtPromptsDialogTest, FileDialogsFollowTheirOptions) {
    std::ofstream(m_root + "/model.vtk") << "existing";
    WhenShown("saveFileDialog", [this](QWidget* widget) {
        auto* dialog = static_cast<QFileDialog*>(widget);
        EXPECT_EQ(dialog->windowTitle(), "Save As");
        EXPECT_EQ(dialog->nameFilters(), QStringList({"VTK (*.vtk)"}));
        EXPECT_EQ(dialog->directory().absolutePath(), m_folder.path());
        dialog->selectFile("model");
        // An existing file, but overwriting was not to be confirmed (else accept() would ask).
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        dialog->testOption(QFileDialog::DontConfirmOverwrite)
            ? static_cast<QDialog*>(dialog)->accept()
            : dialog->reject();
    });
    FileDialogOptions options;
    options.defaultExtension = ".vtk";
    EXPECT_EQ(m_prompts.SaveFileName("VTK (*.vtk)|*.vtk;|", m_root, options),
              m_root + "/model.vtk");

    WhenShown("openFileDialog", [](QWidget* widget) {
        auto* dialog = static_cast<QFileDialog*>(widget);
        EXPECT_EQ(dialog->windowTitle(), "Load data");
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        EXPECT_EQ(dialog->nameFilters(), QStringList({"All files (*)"}));
        dialog->reject();
    });
    options.caption = "Load data";
    EXPECT_EQ(m_prompts.OpenFileName("", m_root, options), "");
}

TEST_F(QtPromptsDialogTest, FolderBrowserOffersFoldersOnly) {
    WhenShown("browseFolderDialog", [](QWidget* widget) {
        auto* dialog = static_cast<QFileDialog*>(widget);
        EXPECT_EQ(dialog->windowTitle(), "Choose a folder");
        EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
        static_cast<QDialog*>(dialog)->accept();
    });
    EXPECT_EQ(m_prompts.BrowseFolder("Choose a folder", m_root), m_root);
    WhenShown("browseFolderDialog", [](QWidget* widget) { widget->close(); });
    EXPECT_EQ(m_prompts.BrowseFolder("Choose a folder", m_root), "");
}

TEST(HostNotificationTest, IsPostedForLaterDeliveryAndANullHostIsIgnored) {
    EnsureTestApplication();
    NotifiedHost host;
    PostHostNotification(&host);
    PostHostNotification(nullptr);
    PostHostNotification(&host);
    EXPECT_EQ(host.Received(), 0);  // queued, not sent during the call
    QCoreApplication::processEvents();
    EXPECT_EQ(host.Received(), 2);
}

}  // namespace
}  // namespace wexlan
