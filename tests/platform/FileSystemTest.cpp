#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include "ExecutablePath.h"
#include "FolderListing.h"
#include "RegularFile.h"
#include "WorkingDirectory.h"

namespace wexlan {
namespace {

namespace fs = std::filesystem;
using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

// A plug-in folder as discovery sees it: libraries, other files, a subfolder and links.
class FolderListingTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* file : {"b.so", "ab.so", "a.txt", ".hidden", "Sub/inner.so"}) {
            fs::create_directories(fs::path(m_root + "/" + file).parent_path());
            std::ofstream(m_root + "/" + file) << "x";
        }
        fs::create_directory_symlink(m_root + "/Sub", m_root + "/LinkToSub");
        fs::create_symlink(m_root + "/gone", m_root + "/gone.so");
    }
    std::vector<std::string> Names(const std::string& folder, const std::string& pattern) {
        std::vector<std::string> names;
        for (const FolderEntry& entry : ListFolder(folder, pattern)) {
            names.push_back(entry.name);
        }
        return names;
    }
    QTemporaryDir m_folder;
    const std::string m_root = m_folder.path().toStdString();
};

TEST_F(FolderListingTest, ListsDotEntriesFirstThenInFileSystemOrderAndByPattern) {
    std::vector<std::string> expected = {".", ".."};
    for (const fs::directory_entry& entry : fs::directory_iterator(m_root)) {
        expected.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(Names(m_root, "*.*"), expected);
    EXPECT_EQ(Names(m_root, "*"), expected);
    for (const FolderEntry& entry : ListFolder(m_root, "*.*")) {
        const bool dot = entry.name == "." || entry.name == "..";
        EXPECT_EQ(entry.isDotEntry, dot) << entry.name;
        EXPECT_EQ(entry.isFolder, dot || entry.name == "Sub" || entry.name == "LinkToSub");
        EXPECT_EQ(entry.path, m_root + "/" + entry.name);
    }
    // Patterns select entries of this folder only; dangling links do not exist.
    EXPECT_THAT(Names(m_root, "*.so"), UnorderedElementsAre("b.so", "ab.so", "gone.so"));
    EXPECT_THAT(Names(m_root, "?.so"), ElementsAre("b.so"));
    EXPECT_THAT(Names(m_root, "*.SO"), ElementsAre());
    EXPECT_EQ(ListFolder(m_root + "/", "b.so").at(0).path, m_root + "/b.so");
    for (const std::string& folder : {m_root + "/Missing", m_root + "/b.so", std::string()}) {
        EXPECT_TRUE(ListFolder(folder, "*.*").empty()) << folder;
    }
    EXPECT_TRUE(FileExists(m_root + "/b.so") && FileExists(m_root + "/LinkToSub"));
    EXPECT_FALSE(FileExists(m_root + "/gone.so") || FileExists(m_root + "/missing"));
    EXPECT_FALSE(FileExists(""));
}

TEST(NamePatternTest, MatchesLikeTheWindowsListing) {
    const std::vector<std::tuple<const char*, const char*, bool>> cases = {
        {"a.so", "*.so", true},
        {"a.so.1", "*.so", false},
        {".so", "*.so", true},
        {"abc", "a?c", true},
        {"ac", "a?c", false},
        {"readme", "*.*", true},
        {"readme", "readme.*", true},
        {"readme", "read.*", false},
        {"x[1].so", "x[1].so", true},
        {"x1.so", "x[1].so", false},
        {"aXbXc", "a*b*c", true},
        {"aXbX", "a*b*c", false},
        {"", "*", true},
        {"a", "", false}};
    for (const auto& [name, pattern, matches] : cases) {
        EXPECT_EQ(MatchesNamePattern(name, pattern), matches) << name << " / " << pattern;
    }
}

TEST(ExecutablePathTest, NamesThisProgramUnlessOverridden) {
    const std::string real = ExecutablePath();
    EXPECT_TRUE(FileExists(real));
    EXPECT_EQ(ExecutableFolder() + "/platform_unit_tests", real);
    SetExecutablePathOverride("/tmp/app/varq");
    EXPECT_EQ(ExecutablePath(), "/tmp/app/varq");
    {
        ScopedExecutablePathOverride inner("/varq");
        EXPECT_EQ(ExecutableFolder(), "");
    }
    EXPECT_EQ(ExecutableFolder(), "/tmp/app");
    ClearExecutablePathOverride();
    EXPECT_EQ(ExecutablePath(), real);
}

class WorkingDirectoryTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(m_root + "/Modules"); }
    QTemporaryDir m_folder;
    const std::string m_root = fs::canonical(m_folder.path().toStdString()).string();
    const std::string m_start = CurrentDirectory();
};

TEST_F(WorkingDirectoryTest, ChangesOnlyIntoExistingFoldersAndScopesRestore) {
    {
        ScopedWorkingDirectory outer(m_root);
        EXPECT_TRUE(outer.Entered());
        EXPECT_TRUE(ChangeDirectory("Modules"));  // relative to the current folder
        EXPECT_FALSE(ChangeDirectory(m_root + "/Hard") || ChangeDirectory(""));
        EXPECT_EQ(CurrentDirectory(), m_root + "/Modules");
        ScopedWorkingDirectory missing(m_root + "/Hard");
        EXPECT_FALSE(missing.Entered());
        fs::remove(m_root + "/Modules");  // a removed working directory reads as empty
        EXPECT_EQ(CurrentDirectory(), "");
    }
    EXPECT_EQ(CurrentDirectory(), m_start);
}

// Workspace and command files are read with ReadSmallTextFile: whatever the path names, the
// read ends at once with the file's text or a reason naming it (the reasons for a missing
// file, a folder and a pipe are RegularFile's, checked by the preview tests).
TEST(SmallTextFileTest, ReadsRegularFilesAndRefusesEverythingElseAtOnce) {
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    std::string text = "stale";

    std::ofstream(root + "/a.f", std::ios::binary) << "line 1\r\nline 2\n";
    EXPECT_EQ(ReadSmallTextFile(root + "/a.f", text), "");
    EXPECT_EQ(text, "line 1\r\nline 2\n");

    EXPECT_EQ(ReadSmallTextFile(root + "/none.f", text), root + "/none.f does not exist");
    EXPECT_EQ(text, "");

    // A device never ends.
    fs::create_symlink("/dev/zero", root + "/zero.f");
    EXPECT_EQ(ReadSmallTextFile(root + "/zero.f", text),
              root + "/zero.f is not a regular file (it is a device)");

    // A sparse file costs nothing to make and must cost nothing to refuse.
    fs::resize_file(root + "/a.f", kSmallTextFileLimit + 1);
    EXPECT_EQ(ReadSmallTextFile(root + "/a.f", text), root + "/a.f is larger than 4 MiB");
    EXPECT_EQ(text, "");
    fs::resize_file(root + "/a.f", 10);
    EXPECT_EQ(ReadSmallTextFile(root + "/a.f", text, 10), "");
    EXPECT_EQ(text.size(), 10u);
    EXPECT_EQ(ReadSmallTextFile(root + "/a.f", text, 9), root + "/a.f is larger than 9 bytes");
}

}  // namespace
}  // namespace wexlan
