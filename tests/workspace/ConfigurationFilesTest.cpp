#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>

#include "ConfigurationFiles.h"
#include "RecentFiles.h"
#include "WorkspaceFolder.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace wexlan;

namespace {

std::vector<RecentFileEntry> Used(const RecentFileTable& table) {
    std::vector<RecentFileEntry> used;
    for (int i = 0; i < RecentFileTable::kSlots; ++i) {
        if (!table.Slot(i).name.empty()) {
            used.push_back(table.Slot(i));
        }
    }
    return used;
}

RecentFileTable TableOf(int count) {
    RecentFileTable table;
    for (int i = count; i >= 1; --i) {  // f1 ends up most recent
        table.Add("f" + std::to_string(i), "/d/f" + std::to_string(i) + ".vtk");
    }
    return table;
}

}  // namespace

TEST(FolderSettings, ReadingTakesTheSectionsFirstLineAsCurrentAndListsAllItsLines) {
    const auto settings = ParseConfiguration(
        "junk\r\n## [currentdirectory]\r\n/data/b\r\n\r\n/data/a\r\n## [Other]\r\n/skip\r\n"
        "## [CurrentDirectory]\n/late\n/x");
    EXPECT_EQ(settings.currentDirectory, "/late");  // a later section replaces it
    EXPECT_THAT(settings.folders, ElementsAre("/data/b", "/data/a", "/late", "/x"));
    // A header right after the header: that section counts.
    EXPECT_EQ(
        ParseConfiguration("## [CurrentDirectory]\n## [CurrentDirectory]\n/c\n").currentDirectory,
        "/c");
    EXPECT_FALSE(ParseConfiguration("## [CurrentDirectory]\n\n/a\n").currentDirectory);
    EXPECT_THAT(ParseConfiguration("/a\n/b\n").folders, IsEmpty());
}

TEST(FolderSettings, WritingLeavesOutBareNamesTheCurrentDirectoryAndUnreadableLines) {
    EXPECT_EQ(ComposeConfiguration("/data/cur", {"", "/A", "/DATA/CUR", "/b"}),
              "## [CurrentDirectory]\n/data/cur\n/A\n/b\n");
    EXPECT_EQ(ComposeConfiguration("bare", {"/a", "BARE"}), "## [CurrentDirectory]\n/a\n");
    EXPECT_EQ(ComposeConfiguration("C:\\data", {}), "## [CurrentDirectory]\nC:\\data\n");
    // A line break or a header-like text would read back as something else: refused.
    EXPECT_EQ(ComposeConfiguration("/a\nb", {"/x\r\ny", "## [Other]/z", "/ok"}),
              "## [CurrentDirectory]\n/ok\n");
}

TEST(FolderSettings, SortedListsAndFolders) {
    const std::vector<std::string> list = {"/a", "/B", "/c"};
    EXPECT_EQ(SortedInsertPosition(list, "/b"), 2);  // after its equal
    EXPECT_EQ(SortedInsertPosition(list, "/0"), 0);
    EXPECT_EQ(SortedInsertPosition(list, "/Z"), 3);
}

// Reading back what was written: the host's tests.
TEST(FolderSettings, AWindowLayoutCutShortOrNotInBase64IsNone) {
    EXPECT_FALSE(ParseWindowLayout("geometry=AAH/Cj0=\nstate=c3RhdGU="));
    EXPECT_FALSE(ParseWindowLayout("geometry=AA*/Cj0=\nstate=c3RhdGU=\n"));
    EXPECT_FALSE(ParseWindowLayout("geometry=AAH/Cj0=\n"));
}

TEST(FolderSettings, OnlyTheWritersOwnTemporaryFilesAreRemoved) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString() + "/";
    // {name, a leftover of the writer}: a user's own files look random too.
    const std::pair<std::string, bool> files[] = {{"Wexlan.conf.AbCdEf.varq-partial", true},
                                                  {"RecentFiles.conf.x1y2z3.varq-partial", true},
                                                  {"Wexlan.conf", false},
                                                  {"Wexlan.conf.Backup", false},
                                                  {"Wexlan.conf.AbCdEf", false},
                                                  {"Wexlan.conf.AbC-Ef.varq-partial", false},
                                                  {"Other.conf.AbCdEf.varq-partial", false},
                                                  {"Wexlan.conf.AbCdE.varq-partial", false}};
    for (const auto& [name, leftover] : files) {
        WorkspaceFolder::Write(folder + name, "x");
    }
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder, {"Wexlan.conf", "RecentFiles.conf"}), 2);
    for (const auto& [name, leftover] : files) {
        EXPECT_NE(std::filesystem::exists(folder + name), leftover) << name;
    }
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder + "missing", {"Wexlan.conf"}), 0);
}

TEST(RecentFiles, ReadingSkipsMalformedLinesAndStopsStoringAtTen) {
    std::string text = "\n  # comment\n,lead\nnocomma\n  two,/a,b  \r\nempty,\n";
    for (int i = 0; i < 10; ++i) {
        text += "n" + std::to_string(i) + ",/p" + std::to_string(i) + "\n";
    }
    const auto used = Used(ParseRecentFiles(text));
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0], (RecentFileEntry{"two", "/a,b"}));
    EXPECT_EQ(used[1], (RecentFileEntry{"empty", ""}));
    EXPECT_EQ(used[9].name, "n7");                                    // n8 and n9 are ignored
    EXPECT_EQ(ParseRecentFiles("x,/first\nx,/second\n").Count(), 2);  // same names both kept
}

TEST(RecentFiles, EntriesAreKeyedByPathNewOnesFirstSlotNineDropped) {
    RecentFileTable table = TableOf(10);
    EXPECT_FALSE(table.Add("f3", "/d/f3.vtk"));  // listed: not moved
    EXPECT_FALSE(table.Add("", "/d/noname"));
    EXPECT_TRUE(table.Add("f3", "/elsewhere/f3.vtk"));  // the same name from another folder
    const auto used = Used(table);
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0], (RecentFileEntry{"f3", "/elsewhere/f3.vtk"}));
    EXPECT_EQ(used[1].name, "f1");
    EXPECT_EQ(used[3], (RecentFileEntry{"f3", "/d/f3.vtk"}));
    EXPECT_EQ(used[9].name, "f9");  // f10 was dropped
    EXPECT_FALSE(table.ListsPath("/d/f10.vtk"));
}

TEST(RecentFiles, WritingGivesOneLinePerEntryAndLeavesOutWhatWouldNotReadBack) {
    RecentFileTable table;
    table.Add("a", "/d/a.vtk");
    table.Add("b,c", "/d/b,c.vtk");  // the comma would move into the path
    table.Add("#x", "/d/#x.vtk");
    table.Add("nl", "/d/x\ny.vtk");
    table.Add("sp", "/d/sp.vtk ");
    table.Add("e", "");
    EXPECT_EQ(ComposeRecentFiles(table), "e,\na,/d/a.vtk\n");
    EXPECT_EQ(table.Count(), 6);  // still listed for this session
}
