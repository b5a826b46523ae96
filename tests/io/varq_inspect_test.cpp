// varq-inspect as scripts use it: one tab-separated line per file, exit status 0, 1 or 2.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdio>
#include <filesystem>
#include <sstream>

#include "DicomWriting.h"
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

TEST_F(VarqInspect, ReadsADicomSeriesAndTheOtherToolsMarkers) {
    std::filesystem::create_directory(Path("ct"));
    for (int k = 0; k < 3; ++k) {
        DicomSlice slice;
        slice.pixels = Pixels16(std::vector<int>(12, 1000 + k));
        slice.position = std::array<double, 3>{0, 0, 2.0 * k};
        slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
        slice.intercept = -1024;
        ASSERT_TRUE(WriteDicom(Path("ct/IM" + std::to_string(k)), slice));
    }
    const std::string json =
        Write("points.mrk.json", R"({"markups": [{"controlPoints": [{"position": [1, 2, 3]}]}]})");
    const std::string pp = Write(
        "points.pp", "<PickedPoints><point x=\"1\" y=\"2\" z=\"3\" name=\"a\"/></PickedPoints>");
    const Result r = RunInspect(Path("ct/IM1") + " " + json + " " + pp);
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.lines.size(), 3u);
    const auto series = Columns(r.lines[0]);
    ASSERT_GE(series.size(), 5u);
    EXPECT_THAT(std::vector<std::string>(series.begin(), series.begin() + 5),
                ElementsAre(Path("ct/IM1"), "4", "36", "12", "0,3,0,2,0,4"));
    EXPECT_THAT(r.lines[1], StartsWith(json + "\t32\t1\t1\t"));
    EXPECT_THAT(r.lines[2], StartsWith(pp + "\t32\t1\t1\t"));
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
