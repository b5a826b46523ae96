#include <algorithm>
#include <cmath>
#include <filesystem>
#include <limits>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "TestFiles.h"
#include "wUtil.h"

namespace {

using testfiles::ReadFile;
using testfiles::TempDir;
using testfiles::WriteFile;

TEST(ConstructRow, PadsOverflowsAndDefaults) {
    EXPECT_EQ(wUtil::ConstructRow({"id", "name", "type"}, {8, 20, 20}),
              "id      name                type                ");
    // Too long, or exactly as long as the column: whole, then one blank.
    EXPECT_EQ(wUtil::ConstructRow({"abcdef", "abcd", "x"}, {4, 4, 2}), "abcdef abcd x ");
    // Missing and negative widths count as 0; surplus widths are ignored.
    EXPECT_EQ(wUtil::ConstructRow({"a", "b", "c"}, {-5, 3}), "a b  c ");
    EXPECT_EQ(wUtil::ConstructRow({"a"}, {2, 9}), "a ");
    EXPECT_EQ(wUtil::ConstructRow({}, {8}), "");
    EXPECT_EQ(wUtil::ConstructRow({"", "x"}, {3, 2}), "   x ");
    // Characters, not bytes: "Schädel" is 7 characters in 8 bytes.
    EXPECT_EQ(wUtil::ConstructRow({"Schädel", "x"}, {10, 1}), "Schädel   x ");
}

constexpr double kSentinel = 12345.0;

TEST(MatrixFile, RoundTripIsExactAndReadableAndHandWrittenFilesLoad) {
    TempDir dir;
    const double original[16] = {0.1,  1.0 / 3, -2.5e-300, 1e300, 0,   -0.0, 42, 7.25,
                                 M_PI, -M_E,    1e-5,      3,     0.5, 0,    0,  1};
    ASSERT_TRUE(wUtil::SaveMat(dir.Path("t.mat"), original));
    double loaded[16];
    ASSERT_TRUE(wUtil::LoadMat(dir.Path("t.mat"), loaded));
    EXPECT_TRUE(std::equal(original, original + 16, loaded));
    EXPECT_TRUE(std::signbit(loaded[5]));

    const double simple[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0.5, 0, 0, 1};
    ASSERT_TRUE(wUtil::SaveMat(dir.Path("t.mat"), simple));
    EXPECT_EQ(ReadFile(dir.Path("t.mat")),
              "# 4x4 matrix, row-major\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0.5 0 0 1\n");

    // Written by hand: comments, blank lines, indentation, tabs, signs and CR LF.
    WriteFile(dir.Path("c.mat"),
              "# by hand\r\n\r\n  1\t2 3 4\r\n# middle\r\n5 6 7 8\r\n9 10 11 12\r\n"
              "   # indented\r\n+13 14 15 -16e0\r\n\r\n");
    ASSERT_TRUE(wUtil::LoadMat(dir.Path("c.mat"), loaded));
    EXPECT_EQ(std::vector<double>(loaded, loaded + 16),
              (std::vector<double>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, -16}));
}

TEST(MatrixFile, BadFilesFailAndLeaveTheMatrixUntouched) {
    TempDir dir;
    const std::string rows3 = "1 0 0 0\n0 1 0 0\n0 0 1 0\n";
    const std::string cases[] = {
        "",
        "# nothing\n",
        rows3,
        rows3 + "0 0 0\n",
        rows3 + "0 0 0 1 1\n",
        rows3 + "0 0 0 1\n1 2 3 4\n",
        "1 0 0 0 0 1 0 0\n0 0 1 0 0 0 0 1\n",
        rows3 + "0 0 0 1x\n",
        "1,0,0,0\n0,1,0,0\n0,0,1,0\n0,0,0,1\n",
        rows3 + "0 0 0 1e999\n",
        rows3 + "0 0 0 1\n" + std::string(2 << 20, '#'),  // over 1 MiB
    };
    double m[16];
    std::fill(m, m + 16, kSentinel);
    for (const std::string& text : cases) {
        WriteFile(dir.Path("bad.mat"), text);
        EXPECT_FALSE(wUtil::LoadMat(dir.Path("bad.mat"), m)) << text.substr(0, 80);
    }
    EXPECT_FALSE(wUtil::LoadMat(dir.Path("missing.mat"), m));
    EXPECT_FALSE(wUtil::LoadMat(dir.Root(), m));
    EXPECT_TRUE(std::all_of(m, m + 16, [](double v) { return v == kSentinel; }));
}

TEST(MatrixFile, FailedSavesLeaveNothingAndKeepTheExistingFile) {
    TempDir dir;
    WriteFile(dir.Path("plain"), "x");
    double m[16];
    std::fill(m, m + 16, 0.12345678901234567);
    EXPECT_FALSE(wUtil::SaveMat(dir.Path("missing/t.mat"), m));
    EXPECT_FALSE(wUtil::SaveMat(dir.Path("plain/t.mat"), m));  // parent is a file
    EXPECT_FALSE(wUtil::SaveMat(dir.Root(), m));
    EXPECT_FALSE(wUtil::SaveMat("", m));

    const std::string before = "# precious\n";
    WriteFile(dir.Path("keep.mat"), before);
    {
        testfiles::FileSizeLimit limit(64);  // the new text is longer
        EXPECT_FALSE(wUtil::SaveMat(dir.Path("keep.mat"), m));
    }
    std::filesystem::create_symlink(dir.Path("keep.mat"), dir.Path("link.mat"));
    EXPECT_FALSE(wUtil::SaveMat(dir.Path("link.mat"), m));  // never written through a link
    m[3] = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(wUtil::SaveMat(dir.Path("keep.mat"), m));
    EXPECT_EQ(ReadFile(dir.Path("keep.mat")), before);
    EXPECT_EQ(dir.Entries(), (std::set<std::string>{"keep.mat", "link.mat", "plain"}));
}

constexpr double kGuard = -7777.0;

TEST(ReadDoubleArray, BlanksAndCommasSeparateANonNumberStopsAndNothingPassesTheCapacity) {
    TempDir dir;
    // {text, capacity, numbers read}
    const std::tuple<std::string, int, std::vector<double>> cases[] = {
        {"1, 2,3\n4\t-5.5e1 ,, +6\r\n\n0.125", 8, {1, 2, 3, 4, -55, 6, 0.125}},
        {"1 2 three 4", 8, {1, 2}},
        {"1 2 3x 4", 8, {1, 2}},
        {"1 nan 3", 8, {1}},
        {"inf 1", 8, {}},
        {"# note\n1", 8, {}},
        {"1 " + std::string(100, '9'), 8, {1}},
        {" \n\t, ", 8, {}},
        {"", 8, {}},
        {"1 2 3 4 5", 3, {1, 2, 3}},
        {"1 2 3", 3, {1, 2, 3}},
        {"1 2", 1, {1}},
        {"1 2", 0, {}},
    };
    for (const auto& [text, capacity, values] : cases) {
        WriteFile(dir.Path("n.txt"), text);
        std::vector<double> buffer(capacity + 1, kGuard);
        EXPECT_EQ(wUtil::ReadDoubleArray(dir.Path("n.txt"), buffer.data(), capacity),
                  static_cast<int>(values.size()))
            << text;
        std::vector<double> expected = values;
        expected.resize(capacity + 1, kGuard);  // nothing written past the numbers read
        EXPECT_EQ(buffer, expected) << text;
    }
    double buffer[1];
    EXPECT_EQ(wUtil::ReadDoubleArray(dir.Path("n.txt"), nullptr, 5), 0);
    EXPECT_EQ(wUtil::ReadDoubleArray(dir.Path("missing.txt"), buffer, 1), -1);
    EXPECT_EQ(wUtil::ReadDoubleArray(dir.Root(), buffer, 1), -1);
}

}  // namespace
