#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <QUrl>
#include <filesystem>
#include <optional>

#include "CComponentUI.h"
#include "CMyTabCtrl.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModuleManager.h"
#include "CWexlanModules.h"
#include "RecordingDisplay.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "WorkspaceFolder.h"
#include "wDataResource.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using ::testing::StartsWith;
using wexlan::MessageAnswer;

namespace {

std::vector<std::string> Texts(QTreeWidgetItem* parent) {
    std::vector<std::string> texts;
    for (int i = 0; i < parent->childCount(); ++i) {
        texts.push_back(parent->child(i)->text(0).toStdString());
    }
    return texts;
}

// The calls of the test modules that a click makes: commands and viewer deletions.
std::vector<std::string> ModuleCalls() {
    std::vector<std::string> calls;
    for (const std::string& entry : calllog::Entries()) {
        if (entry.find(":Command(") != std::string::npos ||
            entry.find(":DelViewer") != std::string::npos) {
            calls.push_back(entry);
        }
    }
    return calls;
}

class WorkspacePanelTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    // Builds controller and panel from what the test put into the application folder.
    CWexlanCPUI& Panel() {
        if (!m_panel) {
            m_controller = std::make_unique<CWexlanCPEXE>();
            m_components = std::make_unique<CComponentUI>();
            m_components->OnInitDialog();
            m_panel = std::make_unique<CWexlanCPUI>();
            m_panel->SetBoss(m_controller.get());
            m_panel->SetPropertyDisplay(&m_display);
            m_panel->SetComponentUI(m_components.get());
            m_panel->SetParentHWND(&m_host);
            m_panel->OnInitDialog();
        }
        return *m_panel;
    }
    void Rebuild() {
        m_panel.reset();
        m_controller.reset();
        Panel();
    }
    QTreeWidget* Tree() { return Panel().GetTree(); }
    QTreeWidgetItem* Root(const std::string& text) {
        const auto found = Tree()->findItems(QString::fromStdString(text), Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }
    QTreeWidgetItem* Child(const std::string& parent, const std::string& text) {
        QTreeWidgetItem* node = Root(parent);
        for (int i = 0; node != nullptr && i < node->childCount(); ++i) {
            if (node->child(i)->text(0).toStdString() == text) {
                return node->child(i);
            }
        }
        return nullptr;
    }
    void Select(QTreeWidgetItem* item) { Tree()->setCurrentItem(item); }
    void PressDelete() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
        QCoreApplication::sendEvent(Tree(), &press);
    }
    QPushButton* Button(const std::string& caption) {
        for (int i = 0; QPushButton* button = Panel().GetComponentButton(i); ++i) {
            if (button->text().toStdString() == caption) {
                return button;
            }
        }
        return nullptr;
    }
    QPushButton* Named(const char* name) { return Panel().findChild<QPushButton*>(name); }
    std::string Recent() { return WorkspaceFolder::Read(m_folder.Config("RecentFiles.conf")); }
    std::string Mesh(const std::string& name) { return m_folder.Surface(m_folder.Data(name)); }

    WorkspaceFolder m_folder;
    wexlan::ScopedScriptedPrompts m_prompts;
    RecordingDisplay m_display;
    wexlan::NotifiedHost m_host;
    std::unique_ptr<CWexlanCPEXE> m_controller;
    std::unique_ptr<CComponentUI> m_components;
    std::unique_ptr<CWexlanCPUI> m_panel;
};

}  // namespace

TEST_F(WorkspacePanelTest, RootsThenHardwareAndTheConfigurationReadWrittenAndCleanedUp) {
    m_folder.App().AddHardware("hard_scanner", "a.so");
    m_folder.App().AddHardware("hard_scanner_lower", "b.so");
    Panel();
    EXPECT_THAT(
        Texts(Tree()->invisibleRootItem()),
        ElementsAre("Meshes", "Markers", "PointCloud", "Images", "Recent Files", "LocalRepository",
                    "Hardware [0] " + m_controller->GetHardResourceName(0),
                    "Hardware [1] " + m_controller->GetHardResourceName(1)));
    EXPECT_TRUE(Tree()->isVisibleTo(&Panel()));
    EXPECT_FALSE(Root("Meshes")->icon(0).isNull());
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/"));  // no Wexlan.conf

    WorkspaceFolder::Write(m_folder.Config("Wexlan.conf"),
                           "## [CurrentDirectory]\r\n/data/b\r\n/data/a\r\n");
    WorkspaceFolder::Write(m_folder.Config("Wexlan.conf.AbCdEf.varq-partial"), "half");
    std::filesystem::create_directories(m_folder.Local("Case"));  // the user's file is kept
    Rebuild();
    EXPECT_EQ(Panel().GetCurDir(), "/data/b");
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/data/a", "/data/b"));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Config("Wexlan.conf.AbCdEf.varq-partial")));

    Panel().SetCurDir("/data/new");  // the edit text only; the list stays
    Panel().AddRecentFolder("/DATA/A");
    Panel().AddRecentFolder("/data/B2");
    Panel().WriteConfiguration();
    EXPECT_EQ(WorkspaceFolder::Read(m_folder.Config("Wexlan.conf")),
              "## [CurrentDirectory]\n/data/new\n/data/a\n/data/b\n/data/B2\n");

    m_prompts->QueueFolder("/picked");  // the browse button, then a cancelled one
    Named("browseFolderButton")->click();
    Named("browseFolderButton")->click();
    EXPECT_EQ(Panel().GetCurDir(), "/picked");
    EXPECT_EQ(Panel().GetFolderList().back(), "/picked");
    EXPECT_TRUE(m_prompts->Calls().size() == 2 && m_prompts->MessageTexts().empty());
}

TEST_F(WorkspacePanelTest, ConfigurationFilesThatAreLinksAreNeverWrittenThrough) {
    namespace fs = std::filesystem;
    const std::string target = WorkspaceFolder::Write(m_folder.Root() + "/mine/notes.txt", "mine");
    const std::string dangling = m_folder.Root() + "/mine/absent.txt";
    fs::create_symlink(target, m_folder.Config("Wexlan.conf"));
    fs::create_symlink(dangling, m_folder.Config("RecentFiles.conf"));
    Panel().OpenFile(Mesh("bunny.stl"));
    Panel().OpenFile(Mesh("leg.stl"));
    Panel().WriteConfiguration();

    EXPECT_EQ(WorkspaceFolder::Read(target), "mine");
    EXPECT_FALSE(fs::exists(dangling));
    EXPECT_TRUE(fs::is_symlink(m_folder.Config("Wexlan.conf")));
    // Each file is told once, however often it is written.
    EXPECT_THAT(m_prompts->MessageTexts(),
                ElementsAre(StartsWith(m_folder.Config("RecentFiles.conf") + " is a symbolic"),
                            StartsWith(m_folder.Config("Wexlan.conf") + " is a symbolic")));
    EXPECT_THAT(Texts(Root("Recent Files")), ElementsAre("leg", "bunny"));  // kept for the session
}

TEST_F(WorkspacePanelTest, TheFirstStartSeedsTheUsersFolder) {
    namespace fs = std::filesystem;
    fs::remove_all(m_folder.Root() + "/config");
    for (const char* sample : {"Spleen", "kidney", "Liver"}) {
        fs::create_directories(m_folder.Local(sample));
    }
    WorkspaceFolder::Write(m_folder.Local("notes.txt"), "not a case");
    Panel();
    const std::string seeded = "## [CurrentDirectory]\n" + m_folder.Local("kidney") + "\n" +
                               m_folder.Local("Liver") + "\n" + m_folder.Local("Spleen") + "\n";
    EXPECT_EQ(WorkspaceFolder::Read(m_folder.Config("Wexlan.conf")), seeded);
    EXPECT_EQ(fs::status(m_folder.Config()).permissions(), fs::perms::owner_all);
    EXPECT_EQ(Panel().GetCurDir(), m_folder.Local("kidney"));

    // A configuration the install ships is the first one instead; without XDG_CONFIG_HOME
    // (or with a relative one) the folder is in the home folder.
    const std::string shipped = "## [CurrentDirectory]\n/site/cases\n";
    WorkspaceFolder::Write(m_folder.Root() + "/SystemRegistry/Wexlan.conf", shipped);
    const ScopedVariable home("HOME", m_folder.Root() + "/home");
    for (const char* xdg : {static_cast<const char*>(nullptr), "relative"}) {
        fs::remove_all(m_folder.Root() + "/home");
        const ScopedVariable unset("XDG_CONFIG_HOME", xdg ? xdg : std::optional<std::string>());
        Rebuild();
        EXPECT_EQ(WorkspaceFolder::Read(m_folder.Root() + "/home/.config/varq/Wexlan.conf"),
                  shipped);
        EXPECT_EQ(Panel().GetCurDir(), "/site/cases");
    }
    EXPECT_THAT(m_prompts->MessageTexts(), IsEmpty());
}

TEST_F(WorkspacePanelTest, AFolderThatCannotBeMadeIsToldOnceAndTheSessionGoesOn) {
    const std::string blocked = WorkspaceFolder::Write(m_folder.Root() + "/blocked", "a file");
    const ScopedVariable xdg("XDG_CONFIG_HOME", blocked);
    Panel().OpenFile(Mesh("bunny.stl"));
    Panel().WriteConfiguration();
    EXPECT_THAT(m_prompts->MessageTexts(),
                ElementsAre(blocked + "/varq cannot be created (Not a directory)."));
    EXPECT_THAT(Texts(Root("Recent Files")), ElementsAre("bunny"));
    EXPECT_EQ(WorkspaceFolder::Read(blocked), "a file");
}

// Which entries the recent-file table keeps and how nodes are captioned: RecentFiles tests.
TEST_F(WorkspacePanelTest, OpeningFilesFillsTreeRecentFilesAndFolders) {
    WorkspaceFolder::Write(m_folder.Config("RecentFiles.conf"), "old,/old/old.stl\n");
    EXPECT_EQ(Root("Recent Files")->child(0)->toolTip(0).toStdString(), "/old/old.stl");
    EXPECT_EQ(Panel().OpenFile(Mesh("bunny.stl")), 16);
    // Another workstation writes meanwhile: its entries are merged, not overwritten.
    WorkspaceFolder::Write(m_folder.Config("RecentFiles.conf"), "liver,/other/liver.stl\n");
    EXPECT_EQ(Panel().OpenFile(m_folder.Cloud(m_folder.Data("scan.xyz"))), 64);
    EXPECT_EQ(Panel().OpenFile(m_folder.Markers(m_folder.Data("tips.fcsv"))), 32);
    EXPECT_EQ(Panel().OpenFile(m_folder.Volume(m_folder.Data("head.vtk"))), 4);
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("bunny"));
    EXPECT_THAT(Texts(Root("PointCloud")), ElementsAre("scan"));
    EXPECT_THAT(Texts(Root("Markers")), ElementsAre("tips"));
    EXPECT_THAT(Texts(Root("Images")), ElementsAre("head"));
    EXPECT_TRUE(Root("Images")->isExpanded());
    EXPECT_FALSE(Root("Meshes")->isExpanded());  // expanding one collapses the others
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/", m_folder.Root() + "/data"));
    const std::string data = m_folder.Root() + "/data/";
    EXPECT_THAT(Recent(), StartsWith("head," + data + "head.vtk\ntips,"));
    EXPECT_THAT(Recent(), ::testing::EndsWith("\nliver,/other/liver.stl\nbunny," + data +
                                              "bunny.stl\nold,/old/old.stl\n"));

    // The same name from another folder is another recent file: both nodes show their paths.
    m_controller->Remove("bunny");
    const std::string other = m_folder.Surface(m_folder.Root() + "/other/bunny.stl");
    EXPECT_EQ(Panel().OpenFile(other), 16);
    EXPECT_THAT(Texts(Root("Recent Files")),
                ElementsAre("bunny (" + other + ")", "head", "tips", "scan",
                            "bunny (" + data + "bunny.stl)", "old"));

    // Refused: the empty path, a file loaded already, an unreadable file.
    EXPECT_EQ(Panel().OpenFile(""), -1);
    EXPECT_EQ(Panel().OpenFile(other), -1);
    EXPECT_EQ(Panel().OpenFile(WorkspaceFolder::Write(m_folder.Root() + "/bad/x.stl", "solid")),
              -1);
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("bunny", "bunny"));
    EXPECT_EQ(Panel().GetFolderList().size(), 3u);
    EXPECT_EQ(m_prompts->MessageTexts().size(), 1u);  // the reader's complaint only
}

TEST_F(WorkspacePanelTest, OpenCommandDroppedFilesAndTheRepository) {
    WorkspaceFolder::Write(m_folder.Local("Case1/Leg.stl"), "");
    Panel().SetCurDir("/start");
    m_prompts->QueueFileName(Mesh("leg.stl"));
    m_prompts->QueueFileName(Mesh("leg.stl"));  // loaded already: nothing happens
    for (int i = 0; i < 3; ++i) {               // the last one cancelled
        Panel().OnBnClickedButtonLoadmodel();
    }
    EXPECT_EQ(m_prompts->Calls().at(0).initialFolder, "/start");
    EXPECT_THAT(Panel().GetLastOpenFilenames(), IsEmpty());
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("leg"));

    // Dropped files load one after the other; one message lists exactly those that failed.
    const auto url = [](const std::string& path) {
        return QUrl::fromLocalFile(QString::fromStdString(path));
    };
    const std::string bad1 = WorkspaceFolder::Write(m_folder.Data("bad1.stl"), "solid");
    const std::string bad2 = WorkspaceFolder::Write(m_folder.Data("bad2.ply"), "ply\n");
    QMimeData dropped;
    dropped.setUrls({url(m_folder.Cloud(m_folder.Data("c.xyz"))), url(m_folder.Root()),
                     QUrl("https://example.org/a.stl"), url(bad1), url(Mesh("leg.stl")),
                     url(bad2)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Panel(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Panel(), &drop);
    EXPECT_THAT(Texts(Root("PointCloud")), ElementsAre("c"));
    ASSERT_EQ(m_prompts->MessageTexts().size(), 1u);  // the folder and the URL were not opened
    EXPECT_THAT(m_prompts->MessageTexts()[0],
                ::testing::MatchesRegex("2 of 4 files could not be opened:\n" + bad1 +
                                        ": [^\n]+\n" + bad2 + ": [^\n]+"));

    // The repository is a snapshot until refreshed.
    EXPECT_EQ(Child("LocalRepository", "Case1")->child(0)->toolTip(0).toStdString(),
              m_folder.Local("Case1/Leg.stl"));
    WorkspaceFolder::Write(m_folder.Local("Case2/Arm.stl"), "");
    EXPECT_EQ(Root("LocalRepository")->childCount(), 1);
    Panel().RefreshLocalRepository();
    EXPECT_NE(Child("LocalRepository", "Case2"), nullptr);
}

// What each kind of node shows is TreeSelection's; here: the panel shows it and deletes.
TEST_F(WorkspacePanelTest, SelectionFillsThePropertyDisplayAndDeleteKeyAsks) {
    const std::string scanner = m_folder.App().AddHardware("hard_scanner", "scanner.so");
    Panel().OpenFile(Mesh("Bone.stl"));
    const auto shows = [this](QTreeWidgetItem* item) {
        m_display.shown.clear();
        Select(item);
        return m_display.shown;
    };
    EXPECT_THAT(shows(Root("Hardware [0] Scanner")),
                ElementsAre("record{Name=Scanner, File=" + scanner +
                            ", Description=Test device, Version=2.0}"));
    EXPECT_THAT(shows(Child("Meshes", "Bone")),
                ElementsAre("clear", "record{Name=Bone, Type=Resource}"));
    EXPECT_EQ(Panel().GetParentItemText(), "Meshes");
    EXPECT_EQ(m_controller->GetSelItemText(), "Bone");
    {
        const QSignalBlocker quiet(Tree());  // moved without a notification
        Select(Root("Images"));
    }
    EXPECT_EQ(Panel().GetSelectedItemText(), "Bone");

    Select(Child("Meshes", "Bone"));
    m_prompts->QueueAnswer(MessageAnswer::No);
    PressDelete();
    EXPECT_EQ(m_controller->GetModel()->GetNumberOfItems(), 1);
    m_prompts->QueueAnswer(MessageAnswer::Yes);
    PressDelete();
    EXPECT_EQ(m_controller->GetModel()->GetNumberOfItems(), 0);
    EXPECT_THAT(Texts(Root("Meshes")), IsEmpty());
    EXPECT_EQ(m_prompts->MessageTexts().back(), "Are you sure to remove object Bone?");
    EXPECT_EQ(m_prompts->Calls()[1].buttons, wexlan::MessageButtons::YesNo);
    Select(Root("Meshes"));  // fixed nodes are never removed, nothing is asked
    PressDelete();
    EXPECT_EQ(m_prompts->Calls().size(), 2u);
    EXPECT_NE(Root("Meshes"), nullptr);
}

// Which command each node sends is TreeSelection's; here: files open first, switching asks.
TEST_F(WorkspacePanelTest, ComponentButtonsSendTheirModulesCommands) {
    m_folder.App().AddModule("module_alpha", "alpha.so");
    m_folder.App().AddModule("module_beta", "beta.so");
    WorkspaceFolder::Surface(m_folder.Local("Case1/Leg.stl"));
    WorkspaceFolder::Write(m_folder.Config("RecentFiles.conf"), "knee," + Mesh("knee.stl"));
    ASSERT_NE(Button("Alpha"), nullptr);
    QWidget alphaPage, betaPage;
    m_components->AddTabItem(0, "Beta", &betaPage);
    m_components->AddTabItem(1, "ALPHA", &alphaPage);
    CWexlanModules* modules = m_controller->GetModules();

    Button("Alpha")->click();  // no viewing tab yet
    EXPECT_THAT(m_prompts->MessageTexts(), ElementsAre("error: no viewing tab available, please "
                                                       "create a new one by using ctrl + N"));
    EXPECT_EQ(m_host.Delivered(), 0);
    m_controller->ViewingTabPlusPlus();
    calllog::Clear();
    const auto click = [&](QTreeWidgetItem* item, const std::string& caption = "Alpha") {
        Select(item);
        Button(caption)->click();
    };
    click(Root("Images"));
    EXPECT_EQ(modules->GetActivatedModuleId(), modules->FindModule("Alpha"));
    EXPECT_EQ(m_components->GetTabCtrl()->GetCurSel(), 1);
    click(Child("Recent Files", "knee"));
    click(Child("LocalRepository", "Case1")->child(0));
    EXPECT_THAT(ModuleCalls(), ElementsAre("Alpha:Command(coolstart)", "Alpha:Command(add knee)",
                                           "Alpha:Command(add Leg)"));
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("knee", "Leg"));
    EXPECT_EQ(m_host.Delivered(), 3);
    EXPECT_EQ(m_prompts->MessageTexts().size(), 1u);  // the same module asks nothing

    // Another module is active: No stops all but the notification, Yes deletes its viewer first.
    calllog::Clear();
    m_prompts->QueueAnswer(MessageAnswer::No);
    click(nullptr, "Beta");
    EXPECT_THAT(ModuleCalls(), IsEmpty());
    EXPECT_EQ(modules->GetActivatedModuleId(), modules->FindModule("Alpha"));
    EXPECT_EQ(m_host.Delivered(), 4);
    m_prompts->QueueAnswer(MessageAnswer::Yes);
    click(Root("Meshes"), "Beta");
    EXPECT_THAT(ModuleCalls(), ElementsAre("Alpha:DelViewer", "Beta:Command(coolstart)"));
    EXPECT_EQ(m_components->GetTabCtrl()->GetCurSel(), 0);
    EXPECT_EQ(m_prompts->MessageTexts().back(), "Clear current viewer?");

    // A caption that names no module: no command, only the notification.
    calllog::Clear();
    Button("Beta")->setText("Gamma");
    m_prompts->QueueAnswer(MessageAnswer::Yes);
    click(nullptr, "Gamma");
    EXPECT_THAT(ModuleCalls(), ElementsAre("Beta:DelViewer"));
    EXPECT_EQ(m_host.Delivered(), 6);
}

// The figures are PanelLayout's; here: the panel lays itself out from its first resize on.
TEST_F(WorkspacePanelTest, LayoutShowButtonAndModuleManager) {
    const std::string alpha = m_folder.App().AddModule("module_alpha", "alpha.so");
    CWexlanCPUI& panel = Panel();
    panel.resize(300, 600);
    panel.show();
    const int h = panel.findChild<QComboBox*>("currentDirectoryBox")->height();
    EXPECT_EQ(panel.GetTree()->geometry(), QRect(5, h + 10, 290, 600 - 15 - h - 50));
    EXPECT_FALSE(Named("showButton")->isVisible());
    EXPECT_FALSE(panel.close());  // close requests are ignored
    CWexlanCPUI unopened;         // before initialisation a resize lays nothing out
    const QRect before = unopened.GetTree()->geometry();
    unopened.resize(300, 600);
    unopened.show();
    EXPECT_EQ(unopened.GetTree()->geometry(), before);

    // The show button hands the item parsed from the caption to the active module.
    panel.AddTreeItemSurface("Surface [3] x");
    m_controller->GetModules()->SetActivatedModule(0);
    calllog::Clear();
    Select(Child("Meshes", "Surface [3] x"));
    Named("showButton")->click();
    Select(Root("Meshes"));  // no index in the caption: nothing is shown
    Named("showButton")->click();
    EXPECT_THAT(calllog::Entries(), ElementsAre("Alpha:GetViewer", "Alpha:AddSecondaryData(2,3)"));

    std::vector<std::string> row;
    wexlan::WhenShown("moduleManagerDialog", [&](QWidget* shown) {
        auto* dialog = static_cast<CWexlanModuleManager*>(shown);
        for (int column = 0; column < 4; ++column) {
            row.push_back(dialog->GetList()->topLevelItem(0)->text(column).toStdString());
        }
        row.push_back(dialog->IsLoaded(0) ? "loaded" : "not loaded");
        dialog->accept();
    });
    panel.OnToolsModulemanager();
    EXPECT_THAT(row, ElementsAre("0", "Alpha", "1.0", alpha, "loaded"));
}
