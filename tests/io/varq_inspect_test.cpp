// varq-inspect as scripts use it: one tab-separated line per file, exit status 0, 1 or 2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <sstream>

#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

struct Result {
    int status;
    std::vector<std::string> lines;
};

Result RunInspect(const std::string& arguments) {
    const std::string command = std::string(VARQ_INSPECT) + " " + arguments + " 2>/dev/null";
    std::FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    char buffer[4096];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}};
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        result.lines.push_back(line);
    return result;
}

std::vector<std::string> Columns(const std::string& line) {
    std::vector<std::string> columns;
    std::istringstream in(line);
    for (std::string c; std::getline(in, c, '\t');)
        columns.push_back(c);
    return columns;
}

using VarqInspect = ReaderTest;

TEST_F(VarqInspect, PrintsTypePointsAndCellsPerFile) {
    const std::string obj = Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string xyz = Write("cloud.xyz", "0 0 0\n1 2 3\n");
    const Result r = RunInspect(obj + " " + xyz);
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 2u);
    const auto first = Columns(r.lines[0]);
    ASSERT_GE(first.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(first.begin(), first.begin() + 4),
                ElementsAre(obj, "16", "3", "1"));
    const auto second = Columns(r.lines[1]);
    ASSERT_GE(second.size(), 6u);
    EXPECT_THAT(std::vector<std::string>(second.begin(), second.begin() + 5),
                ElementsAre(xyz, "64", "2", "2", "0,1,0,2,0,3"));
}

TEST_F(VarqInspect, ReportsEachFailureAndExitsWithOne) {
    const std::string good = Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string missing = Path("gone.stl");
    const Result r = RunInspect(missing + " " + good);
    EXPECT_EQ(r.status, 1);
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_EQ(r.lines[0], missing + "\terror: " + missing + ": the file does not exist");
    EXPECT_THAT(r.lines[1], StartsWith(good + "\t16\t"));
}

TEST_F(VarqInspect, ListsFormatsAndRefusesBadUsage) {
    const Result formats = RunInspect("--formats");
    EXPECT_EQ(formats.status, 0);
    wFileReader reader;
    ASSERT_EQ(formats.lines.size(),
              static_cast<std::size_t>(reader.GetNumberOfSupportedFileFormat()));
    EXPECT_EQ(formats.lines[0],
              reader.GetSupportedFileExt(0) + "\t" + reader.GetSupportedFileDesc(0));
    EXPECT_EQ(RunInspect("").status, 2);
    EXPECT_EQ(RunInspect("--bogus file.stl").status, 2);
    EXPECT_EQ(RunInspect("--formats extra").status, 2);
    // "--" lets a file name start with a dash.
    const Result dashed = RunInspect("-- -missing.stl");
    EXPECT_EQ(dashed.status, 1);
    EXPECT_THAT(dashed.lines.at(0), HasSubstr("does not exist"));
}

}  // namespace
}  // namespace wexlan::io::test
