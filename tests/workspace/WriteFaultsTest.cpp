// Configuration, recent files and workspace written under each fault: earlier files stay
// whole, nothing is left half-written, and the user is told which files failed.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CComponentUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "ConfigurationFiles.h"
#include "RecordingDisplay.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "WorkspaceFolder.h"

namespace fs = std::filesystem;

namespace {

enum class Fault { None, ReadOnlyFolders, MissingFolders, FullDisk, KilledWriter };

// Runs `body` in a child under `fault`: as "nobody" (folder permissions bind root too), or
// with a file-size limit (EFBIG as with ENOSPC, or SIGXFSZ). @return its status or 128 + signal.
int RunInChild(const std::function<int()>& body, Fault fault) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (fault == Fault::ReadOnlyFolders && geteuid() == 0 &&
            (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(90);
        }
        const rlimit limit{8, 8};  // bytes, smaller than any of the three files
        if (fault == Fault::FullDisk || fault == Fault::KilledWriter) {
            // Ignored, a write past the limit fails instead of killing the writer.
            signal(SIGXFSZ, fault == Fault::FullDisk ? SIG_IGN : SIG_DFL);
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                _exit(91);
            }
        }
        int status = 93;
        try {
            status = body();
        } catch (...) {
        }
        _exit(status);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The names in a folder, sorted; empty when it does not exist.
std::vector<std::string> Listing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

class WriteFaultsTest : public ::testing::TestWithParam<Fault>, wexlan::WithTestApplication {
protected:
    void SetUp() override {
        WorkspaceFolder::Write(m_folder.Config("Wexlan.conf"), kOldConfiguration);
        WorkspaceFolder::Write(m_folder.Config("RecentFiles.conf"), kOldRecentFiles);
        WorkspaceFolder::Write(Workspace(), kOldWorkspace);
        WorkspaceFolder::Surface(m_folder.Data("new.stl"));
        m_components.OnInitDialog();
        m_panel.SetBoss(&m_controller);
        m_panel.SetPropertyDisplay(&m_display);
        m_panel.SetComponentUI(&m_components);
        m_panel.OnInitDialog();
    }
    void TearDown() override {  // give the folders back so that they can be removed
        std::error_code ec;
        fs::permissions(m_folder.Config(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(Projects(), fs::perms::owner_all, fs::perm_options::add, ec);
    }
    std::string Projects() const { return m_folder.Root() + "/projects"; }
    std::string Workspace() const { return Projects() + "/session.f"; }

    // A session writing all three files. @return the files the messages named: configuration 1,
    // recent files 2, workspace 4; 64 when one named none of them.
    int WriteEverything() {
        m_panel.SetCurDir("/data/changed");
        m_panel.WriteConfiguration();
        m_panel.OpenFile(m_folder.Data("new.stl"));
        m_prompts->QueueFileName(Workspace());
        m_controller.SaveWorkspace();
        int named = 0;
        for (const std::string& text : m_prompts->MessageTexts()) {
            const int before = named;
            named |= text.find(m_folder.Config("Wexlan.conf")) == 0 ? 1 : 0;
            named |= text.find(m_folder.Config("RecentFiles.conf")) == 0 ? 2 : 0;
            named |= text.find(Workspace()) != std::string::npos ? 4 : 0;
            named |= named == before ? 64 : 0;
        }
        return named;
    }

    static constexpr const char* kOldConfiguration =
        "## [CurrentDirectory]\n/data/old\n/data/other\n";
    static constexpr const char* kOldRecentFiles = "liver,/data/old/liver.stl\n";
    static constexpr const char* kOldWorkspace = "# an earlier session, kept by the user\n";

    WorkspaceFolder m_folder;
    wexlan::ScopedScriptedPrompts m_prompts;
    RecordingDisplay m_display;
    CWexlanCPEXE m_controller;
    CComponentUI m_components;
    CWexlanCPUI m_panel;
};

}  // namespace

TEST_P(WriteFaultsTest, EarlierFilesStayWholeAndNothingIsLeftBehind) {
    const Fault fault = GetParam();
    if (fault == Fault::ReadOnlyFolders) {
        // The root stays reachable for the unprivileged child.
        fs::permissions(m_folder.Root(),
                        fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
        for (const std::string& folder : {m_folder.Config(), Projects()}) {
            fs::permissions(folder, fs::perms::all & ~fs::perms::owner_write &
                                        ~fs::perms::group_write & ~fs::perms::others_write);
        }
        fs::permissions(m_folder.Data(""), fs::perms::all);
    } else if (fault == Fault::MissingFolders) {
        fs::remove_all(m_folder.Config());
        fs::remove_all(Projects());
    }
    const std::vector<std::string> registryBefore = Listing(m_folder.Config());
    const std::vector<std::string> projectsBefore = Listing(Projects());

    // The child does not crash, and tells of every file it could not write.
    EXPECT_EQ(RunInChild([this] { return WriteEverything(); }, fault),
              fault == Fault::None           ? 0
              : fault == Fault::KilledWriter ? 128 + SIGXFSZ
                                             : 1 | 2 | 4);
    // What a kill leaves is what the panel removes at its next start.
    if (fault == Fault::KilledWriter) {
        EXPECT_EQ(wexlan::RemoveLeftoverTemporaryFiles(m_folder.Config(), {"Wexlan.conf"}), 1);
    }
    const std::string configuration = WorkspaceFolder::Read(m_folder.Config("Wexlan.conf"));
    const std::string recent = WorkspaceFolder::Read(m_folder.Config("RecentFiles.conf"));
    const std::string workspace = WorkspaceFolder::Read(Workspace());
    if (fault == Fault::None) {
        EXPECT_EQ(configuration, "## [CurrentDirectory]\n/data/changed\n/data/old\n/data/other\n");
        EXPECT_EQ(recent, "new," + m_folder.Data("new.stl") + "\nliver,/data/old/liver.stl\n");
        EXPECT_THAT(workspace, ::testing::HasSubstr(m_folder.Data("new.stl")));
    } else if (fault == Fault::MissingFolders) {
        EXPECT_FALSE(fs::exists(m_folder.Config()) || fs::exists(Projects()));
    } else {
        EXPECT_EQ(configuration, kOldConfiguration);
        EXPECT_EQ(recent, kOldRecentFiles);
        EXPECT_EQ(workspace, kOldWorkspace);
        EXPECT_EQ(Listing(m_folder.Config()), registryBefore);
        EXPECT_EQ(Listing(Projects()), projectsBefore);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaultsTest,
                         ::testing::Values(Fault::None, Fault::ReadOnlyFolders,
                                           Fault::MissingFolders, Fault::FullDisk,
                                           Fault::KilledWriter));
