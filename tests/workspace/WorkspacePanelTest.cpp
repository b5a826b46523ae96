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

#include "CComponentUI.h"
#include "CMyTabCtrl.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModuleManager.h"
#include "CWexlanModules.h"
#include "HostNotification.h"
#include "RecordingDisplay.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "WorkspaceFolder.h"
#include "wDataResource.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using wexlan::MessageAnswer;

namespace {

std::vector<std::string> Texts(QTreeWidgetItem* parent, QTreeWidget* tree = nullptr) {
    std::vector<std::string> texts;
    const int count = parent != nullptr ? parent->childCount() : tree->topLevelItemCount();
    for (int i = 0; i < count; ++i) {
        texts.push_back(
            (parent != nullptr ? parent->child(i) : tree->topLevelItem(i))->text(0).toStdString());
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

// A host window that counts the notifications posted to it.
class Host : public QWidget {
public:
    int Delivered() {
        QCoreApplication::sendPostedEvents(this, wexlan::kHostNotificationEvent);
        return m_count;
    }

protected:
    bool event(QEvent* e) override {
        m_count += e->type() == wexlan::kHostNotificationEvent ? 1 : 0;
        return QWidget::event(e);
    }

private:
    int m_count = 0;
};

class WorkspacePanelTest : public ::testing::Test {
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
        for (int i = 0; i < 5; ++i) {
            QPushButton* button = Panel().GetComponentButton(i);
            if (button != nullptr && button->text().toStdString() == caption) {
                return button;
            }
        }
        return nullptr;
    }
    QComboBox* Box() { return Panel().findChild<QComboBox*>("currentDirectoryBox"); }

    struct Application {
        Application() { wexlan::EnsureTestApplication(); }
    } m_application;
    WorkspaceFolder m_folder;
    wexlan::ScopedScriptedPrompts m_prompts;
    RecordingDisplay m_display;
    Host m_host;
    std::unique_ptr<CWexlanCPEXE> m_controller;
    std::unique_ptr<CComponentUI> m_components;
    std::unique_ptr<CWexlanCPUI> m_panel;
};

}  // namespace

TEST_F(WorkspacePanelTest, FreshPanelHasTheSixRootsThenHardwareAndNoConfiguration) {
    m_folder.App().AddHardware("hard_scanner", "a.so");
    m_folder.App().AddHardware("hard_scanner_lower", "b.so");
    Panel();
    EXPECT_THAT(
        Texts(nullptr, Tree()),
        ElementsAre("Meshes", "Markers", "PointCloud", "Images", "Recent Files", "LocalRepository",
                    "Hardware [0] " + m_controller->GetHardResourceName(0),
                    "Hardware [1] " + m_controller->GetHardResourceName(1)));
    EXPECT_TRUE(Tree()->isVisibleTo(&Panel()));
    EXPECT_EQ(Root("LocalRepository")->childCount(), 0);  // no local/ folder
    EXPECT_EQ(Panel().GetCurDir(), "/");                  // no Wexlan.conf
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/"));
    EXPECT_EQ(Panel().GetComponentButton(0), nullptr);
    EXPECT_FALSE(Root("Meshes")->icon(0).isNull());
    EXPECT_TRUE(m_prompts->Calls().empty());
}

TEST_F(WorkspacePanelTest, ConfigurationIsReadWrittenAndLeftoversRemoved) {
    WorkspaceFolder::Write(m_folder.Registry("Wexlan.conf"),
                           "## [CurrentDirectory]\r\n/data/b\r\n/data/C\r\n/data/a\r\n");
    WorkspaceFolder::Write(m_folder.Registry("Wexlan.conf.AbCdEf.varq-partial"), "half");
    WorkspaceFolder::Write(m_folder.Registry("Wexlan.conf.backup"), "mine");
    EXPECT_EQ(Panel().GetCurDir(), "/data/b");
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/data/a", "/data/b", "/data/C"));
    EXPECT_FALSE(std::filesystem::exists(m_folder.Registry("Wexlan.conf.AbCdEf.varq-partial")));
    EXPECT_TRUE(std::filesystem::exists(m_folder.Registry("Wexlan.conf.backup")));

    Panel().SetCurDir("/data/new");  // the edit text only; the list stays
    Panel().AddRecentFolder("/DATA/A");
    Panel().AddRecentFolder("/data/B2");
    EXPECT_EQ(Panel().GetCurDir(), "/data/new");
    Panel().WriteConfiguration();
    const std::string saved =
        "## [CurrentDirectory]\n/data/new\n/data/a\n/data/b\n/data/B2\n/data/C\n";
    EXPECT_EQ(WorkspaceFolder::Read(m_folder.Registry("Wexlan.conf")), saved);
    Rebuild();
    EXPECT_EQ(Panel().GetCurDir(), "/data/new");
    EXPECT_THAT(Panel().GetFolderList(),
                ElementsAre("/data/a", "/data/b", "/data/B2", "/data/C", "/data/new"));

    EXPECT_TRUE(m_prompts->Calls().empty());
}

TEST_F(WorkspacePanelTest, ConfigurationFilesThatAreLinksAreNeverWrittenThrough) {
    namespace fs = std::filesystem;
    const std::string target = WorkspaceFolder::Write(m_folder.Root() + "/mine/notes.txt", "mine");
    const std::string dangling = m_folder.Root() + "/mine/absent.txt";
    fs::create_symlink(target, m_folder.Registry("Wexlan.conf"));
    fs::create_symlink(dangling, m_folder.Registry("RecentFiles.conf"));
    Rebuild();
    Panel().OpenFile(m_folder.Surface(m_folder.Data("bunny.stl")));
    Panel().OpenFile(m_folder.Surface(m_folder.Data("leg.stl")));
    Panel().WriteConfiguration();

    EXPECT_EQ(WorkspaceFolder::Read(target), "mine");
    EXPECT_FALSE(fs::exists(dangling));
    EXPECT_TRUE(fs::is_symlink(m_folder.Registry("Wexlan.conf")));
    EXPECT_TRUE(fs::is_symlink(m_folder.Registry("RecentFiles.conf")));
    // Each file is told once, however often it is written.
    ASSERT_EQ(m_prompts->MessageTexts().size(), 2u);
    EXPECT_THAT(
        m_prompts->MessageTexts()[0],
        ::testing::StartsWith(m_folder.Registry("RecentFiles.conf") + " is a symbolic link"));
    EXPECT_THAT(m_prompts->MessageTexts()[1],
                ::testing::StartsWith(m_folder.Registry("Wexlan.conf") + " is a symbolic link"));
    EXPECT_THAT(Texts(Root("Recent Files")), ElementsAre("leg", "bunny"));  // kept for the session
}

TEST_F(WorkspacePanelTest, RecentFilesOfAnotherWorkstationAreMergedNotOverwritten) {
    Panel().OpenFile(m_folder.Surface(m_folder.Data("bunny.stl")));
    // Another workstation writes its entries meanwhile.
    WorkspaceFolder::Write(m_folder.Registry("RecentFiles.conf"),
                           "liver,/other/liver.stl\nbunny," + m_folder.Data("bunny.stl") + "\n");
    Panel().OpenFile(m_folder.Surface(m_folder.Data("leg.stl")));
    EXPECT_EQ(WorkspaceFolder::Read(m_folder.Registry("RecentFiles.conf")),
              "leg," + m_folder.Data("leg.stl") + "\nliver,/other/liver.stl\nbunny," +
                  m_folder.Data("bunny.stl") + "\n");
}

TEST_F(WorkspacePanelTest, BrowseButtonSetsAndListsTheChosenFolder) {
    m_prompts->QueueFolder("/picked");
    Panel().findChild<QPushButton*>("browseFolderButton")->click();
    Panel().findChild<QPushButton*>("browseFolderButton")->click();  // cancelled
    EXPECT_EQ(Panel().GetCurDir(), "/picked");
    EXPECT_THAT(Panel().GetFolderList(), ElementsAre("/", "/picked"));
}

TEST_F(WorkspacePanelTest, OpeningFilesFillsTreeRecentFilesAndFolders) {
    std::string recent;
    for (int i = 1; i <= 10; ++i) {
        recent += "old" + std::to_string(i) + ",/old/old" + std::to_string(i) + ".stl\n";
    }
    WorkspaceFolder::Write(m_folder.Registry("RecentFiles.conf"), "# list\n" + recent);
    EXPECT_EQ(Texts(Root("Recent Files")).front(), "old1");
    EXPECT_EQ(Root("Recent Files")->child(0)->toolTip(0).toStdString(), "/old/old1.stl");

    EXPECT_EQ(Panel().OpenFile(m_folder.Surface(m_folder.Data("bunny.stl"))), 16);
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

    // Four new entries pushed old7 to old10 out of the table and the file, not the tree.
    const std::string data = m_folder.Root() + "/data/";
    const std::string written = WorkspaceFolder::Read(m_folder.Registry("RecentFiles.conf"));
    EXPECT_EQ(written.substr(0, written.find("old1")),
              "head," + data + "head.vtk\ntips," + data + "tips.fcsv\nscan," + data +
                  "scan.xyz\nbunny," + data + "bunny.stl\n");
    EXPECT_EQ(written.substr(written.find("old6")), "old6,/old/old6.stl\n");
    EXPECT_EQ(Root("Recent Files")->childCount(), 14);
    EXPECT_EQ(Texts(Root("Recent Files")).front(), "head");

    // The same name from another folder is another recent file: both nodes show
    // their paths, and each opens its own file.
    m_controller->Remove("bunny");
    const std::string other = m_folder.Surface(m_folder.Root() + "/other/bunny.stl");
    EXPECT_EQ(Panel().OpenFile(other), 16);
    EXPECT_THAT(WorkspaceFolder::Read(m_folder.Registry("RecentFiles.conf")),
                ::testing::StartsWith("bunny," + other + "\nhead,"));
    EXPECT_EQ(Texts(Root("Recent Files"))[0], "bunny (" + other + ")");
    EXPECT_EQ(Texts(Root("Recent Files"))[4], "bunny (" + data + "bunny.stl)");
    EXPECT_EQ(Panel().GetFolderList().back(), m_folder.Root() + "/other");

    // Refused: the empty path, a file loaded already, an unreadable file.
    EXPECT_EQ(Panel().OpenFile(""), -1);
    EXPECT_EQ(Panel().OpenFile(m_folder.Root() + "/other/bunny.stl"), -1);
    EXPECT_EQ(Panel().OpenFile(WorkspaceFolder::Write(m_folder.Root() + "/bad/x.stl", "solid")),
              -1);
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("bunny", "bunny"));
    EXPECT_EQ(Panel().GetFolderList().size(), 3u);
    EXPECT_EQ(m_prompts->MessageTexts().size(), 1u);  // the reader's complaint only
}

TEST_F(WorkspacePanelTest, OpenCommandAndDroppedFiles) {
    Panel().SetCurDir("/start");
    const std::string mesh = m_folder.Surface(m_folder.Data("leg.stl"));
    m_prompts->QueueFileName(mesh);
    Panel().OnBnClickedButtonLoadmodel();
    EXPECT_EQ(m_prompts->Calls().at(0).initialFolder, "/start");
    EXPECT_EQ(Panel().GetLastOpenFilename(), mesh);
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("leg"));
    m_prompts->QueueFileName(mesh);  // loaded already: nothing happens
    Panel().OnBnClickedButtonLoadmodel();
    Panel().OnBnClickedButtonLoadmodel();  // cancelled
    EXPECT_EQ(Panel().GetLastOpenFilename(), "");
    EXPECT_EQ(Root("Meshes")->childCount(), 1);

    QMimeData dropped;
    dropped.setUrls(
        {QUrl::fromLocalFile(QString::fromStdString(m_folder.Cloud(m_folder.Data("c.xyz")))),
         QUrl::fromLocalFile(QString::fromStdString(m_folder.Root())),
         QUrl("https://example.org/a.stl")});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Panel(), &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Panel(), &drop);
    EXPECT_THAT(Texts(Root("PointCloud")), ElementsAre("c"));
    EXPECT_EQ(m_prompts->MessageTexts().size(), 0u);  // the folder and the URL were not opened
}

TEST_F(WorkspacePanelTest, RepositoryIsListedAndRefreshed) {
    WorkspaceFolder::Write(m_folder.Local("Case1/Leg.stl"), "");
    WorkspaceFolder::Write(m_folder.Local("loose.obj"), "");
    EXPECT_THAT(Texts(Root("LocalRepository")), ElementsAre("Case1"));
    EXPECT_EQ(Child("LocalRepository", "Case1")->child(0)->toolTip(0).toStdString(),
              m_folder.Local("Case1/Leg.stl"));
    Panel().OpenFile(m_folder.Surface(m_folder.Data("bunny.stl")));

    WorkspaceFolder::Write(m_folder.Local("Case2/Arm.stl"), "");
    EXPECT_EQ(Root("LocalRepository")->childCount(), 1);  // a snapshot until refreshed
    Panel().RefreshLocalRepository();
    std::vector<std::string> folders = Texts(Root("LocalRepository"));
    std::sort(folders.begin(), folders.end());
    EXPECT_THAT(folders, ElementsAre("Case1", "Case2"));
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("bunny"));
    EXPECT_THAT(Texts(Root("Recent Files")), ElementsAre("bunny"));
}

TEST_F(WorkspacePanelTest, DeleteKeyAsksAndRemovesItemAndNode) {
    Panel().OpenFile(m_folder.Surface(m_folder.Data("Bone.stl")));
    Select(Child("Meshes", "Bone"));
    m_prompts->QueueAnswer(MessageAnswer::No);
    PressDelete();
    EXPECT_EQ(m_controller->GetModel()->GetNumberOfItems(), 1);
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("Bone"));
    m_prompts->QueueAnswer(MessageAnswer::Yes);
    PressDelete();
    EXPECT_EQ(m_controller->GetModel()->GetNumberOfItems(), 0);
    EXPECT_THAT(Texts(Root("Meshes")), IsEmpty());
    EXPECT_THAT(m_prompts->MessageTexts(), ElementsAre("Are you sure to remove object Bone?",
                                                       "Are you sure to remove object Bone?"));
    EXPECT_EQ(m_prompts->Calls()[1].buttons, wexlan::MessageButtons::YesNo);
    Select(Root("Meshes"));  // fixed nodes are never removed, nothing is asked
    PressDelete();
    EXPECT_EQ(m_prompts->Calls().size(), 2u);
    EXPECT_NE(Root("Meshes"), nullptr);
}

TEST_F(WorkspacePanelTest, SelectionFillsThePropertyDisplay) {
    const std::string scanner = m_folder.App().AddHardware("hard_scanner", "scanner.so");
    WorkspaceFolder::Write(m_folder.Registry("RecentFiles.conf"), "leg,/d/leg.stl\n");
    Panel().OpenFile(m_folder.Surface(m_folder.Data("bunny.stl")));
    const auto shows = [this](QTreeWidgetItem* item) {
        m_display.shown.clear();
        Select(item);
        return m_display.shown;
    };
    EXPECT_THAT(shows(Root("Markers")), ElementsAre("clear", "record{Name=Points, Type=Category}"));
    EXPECT_THAT(shows(Child("Recent Files", "leg")),
                ElementsAre("record{Name=leg, Type=Recent file, File=/d/leg.stl}"));
    EXPECT_THAT(shows(Root("Hardware [0] Scanner")),
                ElementsAre("record{Name=Scanner, File=" + scanner +
                            ", Description=Test device, Version=2.0}"));
    EXPECT_THAT(shows(Child("Meshes", "bunny")),
                ElementsAre("clear", "record{Name=bunny, Type=Resource}"));
    EXPECT_EQ(Panel().GetSelectedItemText(), "bunny");
    EXPECT_EQ(Panel().GetParentItemText(), "Meshes");
    EXPECT_EQ(m_controller->GetSelItemText(), "bunny");
    {
        const QSignalBlocker quiet(Tree());  // moved without a notification
        Select(Root("Images"));
    }
    EXPECT_EQ(Panel().GetSelectedItemText(), "bunny");
}

TEST_F(WorkspacePanelTest, ComponentButtonsSendTheirModulesCommands) {
    m_folder.App().AddModule("module_alpha", "alpha.so");
    m_folder.App().AddModule("module_beta", "beta.so");
    m_folder.App().AddHardware("hard_scanner", "scanner.so");
    WorkspaceFolder::Surface(m_folder.Local("Case1/Leg.stl"));
    const std::string knee = m_folder.Surface(m_folder.Data("knee.stl"));
    WorkspaceFolder::Write(m_folder.Registry("RecentFiles.conf"), "knee," + knee + "\n");
    Panel();
    ASSERT_NE(Button("Alpha"), nullptr);
    EXPECT_EQ(Button("Alpha")->property("controlId").toInt(),
              45000 + m_controller->GetModules()->FindModule("Alpha"));
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
    click(nullptr);
    EXPECT_EQ(modules->GetActivatedModuleId(), modules->FindModule("Alpha"));
    EXPECT_EQ(m_components->GetTabCtrl()->GetCurSel(), 1);
    click(Root("Images"));
    click(Child("LocalRepository", "Case1"));
    click(Child("Recent Files", "knee"));
    click(Child("LocalRepository", "Case1")->child(0));
    click(Child("Meshes", "knee"));
    click(Root("Hardware [0] Scanner"));
    EXPECT_THAT(ModuleCalls(), ElementsAre("Alpha:Command(coolstart)", "Alpha:Command(coolstart)",
                                           "Alpha:Command(coolstart)", "Alpha:Command(add knee)",
                                           "Alpha:Command(add Leg)", "Alpha:Command(add knee)",
                                           "Alpha:Command(add Hardware [0] Scanner)"));
    EXPECT_THAT(Texts(Root("Meshes")), ElementsAre("knee", "Leg"));  // both files were opened
    EXPECT_EQ(m_host.Delivered(), 7);
    EXPECT_EQ(m_prompts->MessageTexts().size(), 1u);  // the same module asks nothing

    // Another module is active: No stops everything but the notification (the host
    // shows what is shown again), Yes deletes its viewer first.
    calllog::Clear();
    m_prompts->QueueAnswer(MessageAnswer::No);
    click(nullptr, "Beta");
    EXPECT_THAT(ModuleCalls(), IsEmpty());
    EXPECT_EQ(modules->GetActivatedModuleId(), modules->FindModule("Alpha"));
    EXPECT_EQ(m_components->GetTabCtrl()->GetCurSel(), 1);
    EXPECT_EQ(m_host.Delivered(), 8);
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
    EXPECT_EQ(m_host.Delivered(), 10);

    // A recent entry dropped from the table opens nothing and adds the empty name.
    modules->SetActivatedModule(-1);
    QTreeWidgetItem* stale = new QTreeWidgetItem(QStringList("dropped"));
    Root("Recent Files")->addChild(stale);
    calllog::Clear();
    click(stale);
    EXPECT_THAT(ModuleCalls(), ElementsAre("Alpha:Command(add )"));
}

TEST_F(WorkspacePanelTest, LayoutOfFiveButtonsInAPanel300Wide) {
    for (const char* module : {"module_alpha", "module_beta", "module_alpha_lower",
                               "module_partial", "module_null_texts"}) {
        m_folder.App().AddModule(module, std::string(module) + ".so");
    }
    CWexlanCPUI& panel = Panel();
    panel.resize(300, 600);
    panel.show();  // the first resize after initialisation lays the panel out
    const int h = panel.findChild<QComboBox*>("currentDirectoryBox")->height();
    const QRect tree = panel.GetTree()->geometry();
    EXPECT_EQ(tree, QRect(5, h + 10, 290, 600 - 15 - h - 50));
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(panel.GetComponentButton(i)->geometry(),
                  QRect(5 + i * 59, tree.height() - 2 + h + 20, 54, 40));
        EXPECT_TRUE(panel.GetComponentButton(i)->isVisible());
    }
    const QRect box = Box()->geometry();
    const QRect browse = panel.findChild<QPushButton*>("browseFolderButton")->geometry();
    const int labelWidth = panel.findChild<QWidget*>("currentDirectoryLabel")->width();
    EXPECT_EQ(box, QRect(labelWidth + 5, 5, 300 - 15 - labelWidth - browse.width(), h));
    EXPECT_EQ(browse.left(), box.right() + 6);
    EXPECT_FALSE(panel.findChild<QPushButton*>("showButton")->isVisible());
    EXPECT_FALSE(panel.close());  // close requests are ignored
    EXPECT_TRUE(panel.isVisible());

    // Before initialisation a resize lays nothing out.
    CWexlanCPUI unopened;
    const QRect before = unopened.GetTree()->geometry();
    unopened.resize(300, 600);
    unopened.show();
    EXPECT_EQ(unopened.GetTree()->geometry(), before);
}

TEST_F(WorkspacePanelTest, ShowButtonHandsTheParsedItemToTheActiveModule) {
    m_folder.App().AddModule("module_alpha", "alpha.so");
    const std::string label = "Surface [3] x";
    Panel().AddTreeItemSurface(label);
    m_controller->GetModules()->SetActivatedModule(0);
    calllog::Clear();
    Select(Child("Meshes", label));
    Panel().findChild<QPushButton*>("showButton")->click();
    Select(Root("Meshes"));  // no index in the caption: nothing is shown
    Panel().findChild<QPushButton*>("showButton")->click();
    EXPECT_EQ(Panel().GetSelectedDataType(), 0);
    EXPECT_EQ(Panel().GetSelectedDataId(), -1);
    EXPECT_THAT(calllog::Entries(), ::testing::Contains("Alpha:AddSecondaryData(2,3)"));
    EXPECT_THAT(calllog::Entries(),
                ::testing::Not(::testing::Contains("Alpha:AddSecondaryData(0,-1)")));
}

TEST_F(WorkspacePanelTest, ModuleManagerListsEveryModule) {
    const std::string alpha = m_folder.App().AddModule("module_alpha", "alpha.so");
    Panel();
    std::vector<std::string> row;
    bool loaded = false;
    wexlan::WhenShown("moduleManagerDialog", [&](QWidget* shown) {
        auto* dialog = static_cast<CWexlanModuleManager*>(shown);
        QTreeWidgetItem* item = dialog->GetList()->topLevelItem(0);
        for (int column = 0; column < 4; ++column) {
            row.push_back(item->text(column).toStdString());
        }
        loaded = dialog->IsLoaded(0);
        dialog->accept();
    });
    Panel().OnToolsModulemanager();
    EXPECT_THAT(row, ElementsAre("0", "Alpha", "1.0", alpha));
    EXPECT_TRUE(loaded);
}
