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

TEST(FolderSettings, OnlyTheWritersOwnTemporaryFilesAreRemoved) {
    QTemporaryDir dir;
    const std::string folder = dir.path().toStdString();
    const std::vector<std::string> leftovers = {"Wexlan.conf.AbCdEf.varq-partial",
                                                "RecentFiles.conf.x1y2z3.varq-partial"};
    // A user's own files beside the configuration, including names that look random.
    const std::vector<std::string> kept = {"Wexlan.conf",
                                           "Wexlan.conf.Backup",
                                           "Wexlan.conf.202405",
                                           "Wexlan.conf.AbCdEf",
                                           "Wexlan.conf.AbC-Ef.varq-partial",
                                           "Other.conf.AbCdEf.varq-partial",
                                           "Wexlan.conf.AbCdE.varq-partial"};
    for (const std::string& name : leftovers) {
        WorkspaceFolder::Write(folder + "/" + name, "x");
    }
    for (const std::string& name : kept) {
        WorkspaceFolder::Write(folder + "/" + name, "x");
    }
    EXPECT_EQ(RemoveLeftoverTemporaryFiles(folder, {"Wexlan.conf", "RecentFiles.conf"}), 2);
    for (const std::string& name : leftovers) {
        EXPECT_FALSE(std::filesystem::exists(folder + "/" + name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(std::filesystem::exists(folder + "/" + name)) << name;
    }
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

    EXPECT_EQ(ParseRecentFiles("x,/first\nx,/second\n").Count(), 2);  // same names both kept
}

TEST(RecentFiles, EntriesAreKeyedByPathNewOnesFirstSlotNineDropped) {
    RecentFileTable table = TableOf(10);
    EXPECT_FALSE(table.Add("f3", "/d/f3.vtk"));  // listed: not moved
    EXPECT_FALSE(table.Add("", "/d/noname"));
    // The same name from another folder is another file.
    EXPECT_TRUE(table.Add("f3", "/elsewhere/f3.vtk"));
    const auto used = Used(table);
    ASSERT_EQ(used.size(), 10u);
    EXPECT_EQ(used[0], (RecentFileEntry{"f3", "/elsewhere/f3.vtk"}));
    EXPECT_EQ(used[1].name, "f1");
    EXPECT_EQ(used[3], (RecentFileEntry{"f3", "/d/f3.vtk"}));
    EXPECT_EQ(used[9].name, "f9");  // f10 was dropped
    EXPECT_FALSE(table.ListsPath("/d/f10.vtk"));
}

TEST(RecentFiles, MergingKeepsWhatAnotherWorkstationWrote) {
    // This workstation read b and a, then opened n; another one wrote x and a meanwhile.
    const RecentFileTable session = ParseRecentFiles("n,/n\nb,/b\na,/a\n");
    const RecentFileTable onDisk = ParseRecentFiles("x,/x\na,/a\n");
    EXPECT_EQ(ComposeRecentFiles(MergeRecentFiles({"n", "/n"}, onDisk, session)),
              "n,/n\nx,/x\na,/a\nb,/b\n");
    EXPECT_EQ(MergeRecentFiles({"n", "/n"}, TableOf(10), TableOf(10)).Count(), 10);
    EXPECT_EQ(MergeRecentFiles({"n", "/n"}, TableOf(10), TableOf(10)).Slot(0).path, "/n");
}

TEST(RecentFiles, CaptionsShowThePathWhereNamesClash) {
    EXPECT_THAT(
        RecentNodeCaptions(
            {{"kidney", "/b/kidney.stl"}, {"liver", "/a/liver.stl"}, {"kidney", "/a/kidney.stl"}}),
        ElementsAre("kidney (/b/kidney.stl)", "liver", "kidney (/a/kidney.stl)"));
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
