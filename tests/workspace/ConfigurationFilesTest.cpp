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

    // Without a current-directory line the first folder line is current.
    EXPECT_EQ(ParseConfiguration("## [CurrentDirectory]\n/a\n/b\n").currentDirectory, "/a");
    // A header right after the header: no current directory, and that section counts.
    const auto headerFirst =
        ParseConfiguration("## [CurrentDirectory]\n## [CurrentDirectory]\n/c\n");
    EXPECT_EQ(headerFirst.currentDirectory, "/c");
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
    // A round trip gives back the current directory and the list.
    const auto back = ParseConfiguration(ComposeConfiguration("/cur", {"/a", "/cur", "/b"}));
    EXPECT_EQ(back.currentDirectory, "/cur");
    EXPECT_THAT(back.folders, ElementsAre("/cur", "/a", "/b"));
}

TEST(FolderSettings, SortedListsAndFolders) {
    const std::vector<std::string> list = {"/a", "/B", "/c"};
    EXPECT_EQ(SortedInsertPosition(list, "/b"), 2);  // after its equal
    EXPECT_EQ(SortedInsertPosition(list, "/0"), 0);
    EXPECT_EQ(SortedInsertPosition(list, "/Z"), 3);
    EXPECT_TRUE(ListHoldsFolder(list, "/C"));
    EXPECT_FALSE(ListHoldsFolder(list, "/d"));
    EXPECT_EQ(ParentFolder("/app/Modules"), "/app");
    EXPECT_EQ(ParentFolder("/Modules"), "");
    EXPECT_EQ(FileInFolder("", "Wexlan.conf"), "");
    EXPECT_THAT(SplitLines("a\r\nb\n\nc"), ElementsAre("a", "b", "", "c"));
}

TEST(FolderSettings, LeftoverTemporaryFilesAreRemovedAndOthersKept) {
    EXPECT_TRUE(IsLeftoverTemporaryFile("Wexlan.conf.AbCdEf", "Wexlan.conf"));
    EXPECT_TRUE(IsLeftoverTemporaryFile("Wexlan.conf.x1Y2z3", "Wexlan.conf"));
    EXPECT_FALSE(IsLeftoverTemporaryFile("Wexlan.conf.backup", "Wexlan.conf"));
    EXPECT_FALSE(IsLeftoverTemporaryFile("Wexlan.conf.AbCdE", "Wexlan.conf"));
    EXPECT_FALSE(IsLeftoverTemporaryFile("Wexlan.conf.AbC-Ef", "Wexlan.conf"));
    EXPECT_FALSE(IsLeftoverTemporaryFile("Other.conf.AbCdEf", "Wexlan.conf"));

    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    for (const char* name :
         {"Wexlan.conf.AbCdEf", "RecentFiles.conf.QQQQQQ", "Wexlan.conf.backup", "Wexlan.conf"}) {
        WorkspaceFolder::Write(folder + "/" + name, "x");
    }
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder, {"Wexlan.conf", "RecentFiles.conf"}), 2);
    EXPECT_TRUE(std::filesystem::exists(folder + "/Wexlan.conf.backup"));
    EXPECT_TRUE(std::filesystem::exists(folder + "/Wexlan.conf"));
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder + "/missing", {"Wexlan.conf"}), 0);
}

TEST(RecentFiles, ReadingSkipsMalformedLinesAndStopsStoringAtTen) {
    std::string text = "\n  # comment\n,lead\nnocomma\n  two,/a,b  \r\nempty,\n";
    for (int i = 0; i < 10; ++i) {
        text += "n" + std::to_string(i) + ",/p" + std::to_string(i) + "\n";
    }
    const RecentFileTable table = ParseRecentFiles(text);
    const auto used = Used(table);
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0], (RecentFileEntry{"two", "/a,b"}));
    EXPECT_EQ(used[1], (RecentFileEntry{"empty", ""}));
    EXPECT_EQ(used[9].name, "n7");  // n8 and n9 are ignored

    // Same names are both stored; lookups find the later slot.
    const RecentFileTable twice = ParseRecentFiles("x,/first\nx,/second\n");
    EXPECT_EQ(twice.Count(), 2);
    EXPECT_EQ(twice.FindPath("x"), "/second");
    EXPECT_EQ(twice.FindPath("X"), "");
}

TEST(RecentFiles, AddingPutsNewEntriesFirstAndDropsSlotNine) {
    RecentFileTable table = TableOf(10);
    EXPECT_FALSE(table.Add("f3", "/elsewhere/f3.vtk"));  // listed: not moved, path kept
    EXPECT_EQ(table.FindPath("f3"), "/d/f3.vtk");
    EXPECT_FALSE(table.Add("", "/d/noname"));  // the free slots "hold" the empty name
    EXPECT_TRUE(table.Add("new", "/d/new.vtk"));
    const auto used = Used(table);
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0].name, "new");
    EXPECT_EQ(used[1].name, "f1");
    EXPECT_EQ(used[9].name, "f9");  // f10 was dropped
    EXPECT_EQ(table.FindPath("f10"), "");
    EXPECT_EQ(TableOf(3).Slot(0).name, "f1");
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
    EXPECT_EQ(ComposeRecentFiles(ParseRecentFiles(ComposeRecentFiles(TableOf(4)))),
              ComposeRecentFiles(TableOf(4)));
    EXPECT_EQ(ComposeRecentFiles(RecentFileTable()), "");
}
