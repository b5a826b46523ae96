// The files the workstation writes for the user ("Wexlan.conf", "RecentFiles.conf"
// and workspace files) under write failures: a read-only folder, a missing folder,
// a full disk, and a process killed in the middle of writing. Each time the earlier
// file stays whole (or the new one is complete), nothing is left half-written, the
// workstation does not crash, and it tells which files it could not write.
//
// The failures happen in a child process: there a test run as root can drop to an
// unprivileged user (so that folder permissions apply) and set a file size limit,
// which makes write() fail with EFBIG exactly as a full disk does with ENOSPC.
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

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
#include "WorkspaceScript.h"
#include "wAtomicWrite.h"

namespace fs = std::filesystem;

namespace {

struct ChildLimits {
    bool unprivileged = false;             // run as "nobody" when started as root
    rlim_t fileSizeLimit = RLIM_INFINITY;  // bytes any one file may grow to
};

// Runs `body` in a child process under `limits`. @return the child's exit status
// (body's result), or 128 + the signal that ended it.
int RunInChild(const std::function<int()>& body, ChildLimits limits = {}) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (limits.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            _exit(90);
        }
        if (limits.fileSizeLimit != RLIM_INFINITY) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails instead of killing
            const rlimit limit{limits.fileSizeLimit, limits.fileSizeLimit};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) {
                _exit(91);
            }
        }
        int status = 92;
        try {
            status = body();
        } catch (...) {
            status = 93;
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

enum class Fault { None, ReadOnlyFolders, MissingFolders, FullDisk };

std::string FaultName(const ::testing::TestParamInfo<Fault>& info) {
    const char* const names[] = {"NoFault", "ReadOnlyFolders", "MissingFolders", "FullDisk"};
    return names[static_cast<int>(info.param)];
}

class WriteFaultsTest : public ::testing::TestWithParam<Fault> {
protected:
    void SetUp() override {
        WorkspaceFolder::Write(m_folder.Registry("Wexlan.conf"), kOldConfiguration);
        WorkspaceFolder::Write(m_folder.Registry("RecentFiles.conf"), kOldRecentFiles);
        WorkspaceFolder::Write(Workspace(), kOldWorkspace);
        WorkspaceFolder::Surface(m_folder.Data("new.stl"));

        m_controller = std::make_unique<CWexlanCPEXE>();
        m_components.OnInitDialog();
        m_panel.SetBoss(m_controller.get());
        m_panel.SetPropertyDisplay(&m_display);
        m_panel.SetComponentUI(&m_components);
        m_panel.OnInitDialog();
    }
    void TearDown() override {
        // Give the folders back so that the temporary folder can be removed.
        std::error_code ec;
        fs::permissions(m_folder.Registry(), fs::perms::owner_all, fs::perm_options::add, ec);
        fs::permissions(Projects(), fs::perms::owner_all, fs::perm_options::add, ec);
    }

    std::string Projects() const { return m_folder.Root() + "/projects"; }
    std::string Workspace() const { return Projects() + "/session.f"; }

    // What a user's session writes: the current folder, a newly opened file (which
    // goes to the recent files at once) and the workspace. @return which files the
    // messages shown named, one bit each (kConfigurationBit...); 64 when a message
    // named none of them.
    int WriteEverything() {
        m_panel.SetCurDir("/data/changed");
        m_panel.WriteConfiguration();
        m_panel.OpenFile(m_folder.Data("new.stl"));
        m_prompts->QueueFileName(Workspace());
        m_controller->SaveWorkspace();
        int named = 0;
        for (const std::string& text : m_prompts->MessageTexts()) {
            const int before = named;
            named |= text.find(m_folder.Registry("Wexlan.conf")) == 0 ? kConfigurationBit : 0;
            named |= text.find(m_folder.Registry("RecentFiles.conf")) == 0 ? kRecentFilesBit : 0;
            named |= text.find(Workspace()) != std::string::npos ? kWorkspaceBit : 0;
            named |= named == before ? 64 : 0;
        }
        return named;
    }

    static constexpr int kConfigurationBit = 1, kRecentFilesBit = 2, kWorkspaceBit = 4;

    static constexpr const char* kOldConfiguration =
        "## [CurrentDirectory]\n/data/old\n/data/other\n";
    static constexpr const char* kOldRecentFiles = "liver,/data/old/liver.stl\n";
    static constexpr const char* kOldWorkspace = "# an earlier session, kept by the user\n";

    struct Application {
        Application() { wexlan::EnsureTestApplication(); }
    } m_application;
    WorkspaceFolder m_folder;
    wexlan::ScopedScriptedPrompts m_prompts;
    RecordingDisplay m_display;
    std::unique_ptr<CWexlanCPEXE> m_controller;
    CComponentUI m_components;
    CWexlanCPUI m_panel;
};

}  // namespace

TEST_P(WriteFaultsTest, EarlierFilesStayWholeAndNothingIsLeftBehind) {
    const Fault fault = GetParam();
    ChildLimits limits;
    switch (fault) {
        case Fault::None:
            break;
        case Fault::ReadOnlyFolders:
            // The root must stay reachable for the unprivileged child.
            fs::permissions(m_folder.Root(),
                            fs::perms::all & ~fs::perms::group_write & ~fs::perms::others_write);
            for (const std::string& folder : {m_folder.Registry(), Projects()}) {
                fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec |
                                            fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
            }
            fs::permissions(m_folder.Data(""), fs::perms::all);
            limits.unprivileged = true;
            break;
        case Fault::MissingFolders:
            fs::remove_all(m_folder.Registry());
            fs::remove_all(Projects());
            break;
        case Fault::FullDisk:
            limits.fileSizeLimit = 8;  // smaller than any of the three files
            break;
    }
    const std::vector<std::string> registryBefore = Listing(m_folder.Registry());
    const std::vector<std::string> projectsBefore = Listing(Projects());

    const int named = RunInChild([this] { return WriteEverything(); }, limits);

    // The child does not crash, and tells of every file it could not write.
    EXPECT_EQ(named,
              fault == Fault::None ? 0 : kConfigurationBit | kRecentFilesBit | kWorkspaceBit);
    const std::string configuration = WorkspaceFolder::Read(m_folder.Registry("Wexlan.conf"));
    const std::string recent = WorkspaceFolder::Read(m_folder.Registry("RecentFiles.conf"));
    const std::string workspace = WorkspaceFolder::Read(Workspace());
    if (fault == Fault::None) {
        // The same session without a fault writes all three files.
        EXPECT_EQ(configuration, "## [CurrentDirectory]\n/data/changed\n/data/old\n/data/other\n");
        EXPECT_EQ(recent, "new," + m_folder.Data("new.stl") + "\nliver,/data/old/liver.stl\n");
        EXPECT_THAT(workspace, ::testing::HasSubstr(m_folder.Data("new.stl")));
        return;
    }
    if (fault == Fault::MissingFolders) {
        EXPECT_FALSE(fs::exists(m_folder.Registry()));
        EXPECT_FALSE(fs::exists(Projects()));
        return;
    }
    EXPECT_EQ(configuration, kOldConfiguration);
    EXPECT_EQ(recent, kOldRecentFiles);
    EXPECT_EQ(workspace, kOldWorkspace);
    EXPECT_EQ(Listing(m_folder.Registry()), registryBefore);
    EXPECT_EQ(Listing(Projects()), projectsBefore);
}

INSTANTIATE_TEST_SUITE_P(Faults, WriteFaultsTest,
                         ::testing::Values(Fault::None, Fault::ReadOnlyFolders,
                                           Fault::MissingFolders, Fault::FullDisk),
                         FaultName);

// A writer killed at a random moment, again and again, while it replaces a file
// with one of two large versions (the same writer writes all three kinds of file): every time, the
// file is the earlier version or one of the new ones, whole; the temporary files a kill leaves are
// the ones the panel removes at its next start.
TEST(KilledWriter, LeavesTheOldOrTheNewFileNeverAMixture) {
    QTemporaryDir temporary;
    const std::string folder = temporary.path().toStdString();
    const struct {
        std::string name, old, a, b;
    } files[] = {
        {"session.f", "# old\n",
         wexlan::ComposeWorkspaceScript(std::string(1000000, 'a'), "", std::nullopt),
         wexlan::ComposeWorkspaceScript(std::string(1000000, 'b'), "", std::nullopt)},
    };

    std::mt19937 random(20261205);
    for (const auto& file : files) {
        const std::string path = folder + "/" + file.name;
        // Kills land anywhere within three writes, however fast this machine writes.
        const auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(wAtomicWrite::Write(path, file.a));
        const auto writeTime = std::chrono::duration_cast<std::chrono::microseconds>(
            std::chrono::steady_clock::now() - start);
        const auto window = static_cast<unsigned>(3 * writeTime.count() + 1000);
        WorkspaceFolder::Write(path, file.old);
        int replaced = 0;
        for (int kill = 0; kill < 25; ++kill) {
            // The writer reports each finished write; the kill comes after 0 to 2 of
            // them, so that some kills find a replaced file however slow the machine.
            int finished[2];
            ASSERT_EQ(pipe(finished), 0);
            const pid_t pid = fork();
            if (pid == 0) {
                close(finished[0]);
                for (int i = 0;; ++i) {
                    wAtomicWrite::Write(path, i % 2 == 0 ? file.a : file.b);
                    const char done = 1;
                    (void)!write(finished[1], &done, 1);
                }
            }
            close(finished[1]);
            char done = 0;
            for (unsigned n = random() % 3; n > 0; --n) {
                ASSERT_EQ(read(finished[0], &done, 1), 1);
            }
            std::this_thread::sleep_for(std::chrono::microseconds(random() % window));
            ::kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            close(finished[0]);

            const std::string now = WorkspaceFolder::Read(path);
            ASSERT_TRUE(now == file.old || now == file.a || now == file.b)
                << file.name << " is a mixture after kill " << kill << " (" << now.size()
                << " bytes)";
            replaced += now != file.old ? 1 : 0;
        }
        EXPECT_GT(replaced, 0) << file.name << ": the writer never got through once";
        for (const std::string& name : Listing(folder)) {
            if (name != file.name && name.rfind(file.name, 0) == 0) {
                EXPECT_TRUE(wAtomicWrite::IsTemporaryFileOf(name, file.name)) << name;
            }
        }
        wexlan::RemoveLeftoverTemporaryFiles(folder, {file.name});
    }
}
