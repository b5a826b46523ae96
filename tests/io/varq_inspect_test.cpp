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
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, n);
    const int status = pclose(pipe);
    Result result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, {}};
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);)
        result.lines.push_back(line);
    return result;
}

using VarqInspect = ReaderTest;

TEST_F(VarqInspect, PrintsTypePointsCellsAndBoundsPerFileAndExitsWithOneOnAFailure) {
    const std::string obj = Write("tri.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");
    const std::string xyz = Write("cloud.xyz", "0 0 0\n1 2 3\n");
    const std::string pp = Write(
        "points.pp", "<PickedPoints><point x=\"1\" y=\"2\" z=\"3\" name=\"a\"/></PickedPoints>");
    std::filesystem::create_directory(Path("ct"));
    for (int k = 0; k < 3; ++k) {
        DicomSlice slice;
        slice.pixels = Pixels16(std::vector<int>(12, 1000 + k));
        slice.position = std::array<double, 3>{0, 0, 2.0 * k};
        slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
        slice.intercept = -1024;
        ASSERT_TRUE(WriteDicom(Path("ct/IM" + std::to_string(k)), slice));
    }
    const Result r = RunInspect(obj + " " + xyz + " " + pp + " " + Path("ct/IM1"));
    EXPECT_EQ(r.status, 0);
    EXPECT_THAT(r.lines, ElementsAre(StartsWith(obj + "\t16\t3\t1\t"),
                                     StartsWith(xyz + "\t64\t2\t2\t0,1,0,2,0,3\t"),
                                     StartsWith(pp + "\t32\t1\t1\t"),
                                     StartsWith(Path("ct/IM1") + "\t4\t36\t12\t0,3,0,2,0,4")));
    const std::string missing = Path("gone.stl");
    const Result failed = RunInspect(missing + " " + obj);
    EXPECT_EQ(failed.status, 1);
    EXPECT_THAT(failed.lines,
                ElementsAre(missing + "\terror: " + missing + ": the file does not exist",
                            StartsWith(obj + "\t16\t")));
}

TEST_F(VarqInspect, ListsFormatsAndRefusesBadUsage) {
    const Result formats = RunInspect("--formats");
    EXPECT_EQ(formats.status, 0);
    wFileReader reader;
    ASSERT_EQ(formats.lines.size(),
              static_cast<std::size_t>(reader.GetNumberOfSupportedFileFormat()));
    EXPECT_EQ(formats.lines[0],
              reader.GetSupportedFileExt(0) + "\t" + reader.GetSupportedFileDesc(0));
    for (const char* usage : {"", "--bogus file.stl", "--formats extra"}) {
        EXPECT_EQ(RunInspect(usage).status, 2) << usage;
    }
    // "--" lets a file name start with a dash.
    const Result dashed = RunInspect("-- -missing.stl");
    EXPECT_EQ(dashed.status, 1);
    EXPECT_THAT(dashed.lines.at(0), ::testing::HasSubstr("does not exist"));
}

}  // namespace
}  // namespace wexlan::io::test
