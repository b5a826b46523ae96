#include <sys/stat.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <numeric>

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CWexlanPreviewUI.h"
#include "GreyPicture.h"
#include "TestApplication.h"
#include "VqSlice.h"
#include "VqWriter.h"

using wexlan::VqSlice;

namespace {

class VqSliceTest : public ::testing::Test {
protected:
    // Writes `file` and reads it back. @return Read's message.
    std::string Check(const VqFile& file, int maxSide = VqSlice::kMaxSide) {
        file.Write(m_path);
        return m_slice.Read(m_path, maxSide);
    }

    QTemporaryDir m_dir;
    const std::string m_path = m_dir.filePath("scan.vq").toStdString();
    VqSlice m_slice;
};

}  // namespace

TEST_F(VqSliceTest, EachHeaderCheckHasItsMessageAndShortFilesAreCorrupted) {
    // {what is wrong, the message; "" when read}: the file type is checked before the dimensions.
    const std::vector<std::pair<std::function<void(VqFile&)>, std::string>> cases = {
        {[](VqFile&) {}, ""},
        {[](VqFile& f) { f.signature[5] = 0x1E; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.headerValue = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.fileType = 4; }, VqSlice::kUnknownFileTypeMessage},
        {[](VqFile& f) { f.fileType = 3; }, ""},
        {[](VqFile& f) { f.dimensions[0] = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dimensions[1] = -4; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dimensions[2] = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dataType = 16; }, VqSlice::kUnknownDataTypeMessage},
        {[](VqFile& f) { f.dataType = 64; }, ""},  // read as 32-bit values all the same
        {[](VqFile& f) { f.fileType = f.dimensions[0] = 0; }, VqSlice::kUnknownFileTypeMessage},
        {[](VqFile& f) { f.truncateTo = 53; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.truncateTo = 8192 + 23; }, VqSlice::kCorruptedMessage},
        // A header claiming a huge slice in a small file reads nothing.
        {[](VqFile& f) { f.dimensions[0] = f.dimensions[1] = 1 << 30; },
         VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dimensions[0] = f.dimensions[1] = INT32_MAX; },
         VqSlice::kCorruptedMessage},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        VqFile file;
        file.voxels.assign(6, 7u);
        cases[i].first(file);
        EXPECT_EQ(Check(file), cases[i].second) << "case " << i;
        EXPECT_EQ(m_slice.values.empty(), !cases[i].second.empty()) << "case " << i;
    }
    // Other paths say what they are; a plain open of a pipe would wait for a writer.
    const std::string fifo = m_dir.filePath("fifo.vq").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(m_slice.Read(fifo), "error: " + fifo + " is not a regular file (it is a pipe)");
    EXPECT_EQ(m_slice.Read(m_dir.path().toStdString()),
              "error: " + m_dir.path().toStdString() + " is a folder");
    EXPECT_EQ(m_slice.Read(fifo + "x"), "error: " + fifo + "x does not exist");
}

TEST_F(VqSliceTest, LargeSlicesAreReadSubSampledToThePicture) {
    VqFile file;
    file.dimensions[0] = 5;  // rows
    file.dimensions[1] = 7;  // values per row
    file.dimensions[2] = 2;  // the second slice is never read
    file.voxels.assign(70, 1000u);
    std::iota(file.voxels.begin(), file.voxels.begin() + 35, 0u);
    ASSERT_EQ(Check(file), "");
    EXPECT_EQ(m_slice.values.size(), 35u);
    EXPECT_EQ(m_slice.values.back(), 34u);
    ASSERT_EQ(Check(file, 3), "");  // every third value of every third row
    EXPECT_EQ(m_slice.width, 3);
    EXPECT_EQ(m_slice.values, (std::vector<std::uint32_t>{0, 3, 6, 21, 24, 27}));

    // 32768 x 32768 values (4 GiB, sparse): only the picture's values are read.
    file.dimensions[0] = file.dimensions[1] = 32768;
    file.voxels.clear();
    file.Write(m_path);
    std::filesystem::resize_file(m_path, VqSlice::kHeaderSize + std::uint64_t{32768} * 32768 * 8);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(m_slice.Read(m_path), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(m_slice.width, VqSlice::kMaxSide);
    EXPECT_EQ(m_slice.values.size(), std::size_t{VqSlice::kMaxSide} * VqSlice::kMaxSide);
}

TEST(GreyPictureTest, LevelsAreScaledToTheLargestValueAndPlacedCentred) {
    // Row 0 at the top, value i in row i / width; levels scaled to the largest, 0 alone black.
    const std::uint32_t values[8] = {0, 1, 2, 4, 0xFFFFFFFFu, 0x7FFFFFFFu, 0, 0};
    const QImage picture = wexlan::GreyPicture(values, 2, 3);
    ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ((std::vector<int>{picture.pixelIndex(1, 0), picture.pixelIndex(0, 1),
                                picture.pixelIndex(0, 2), picture.pixelIndex(1, 2)}),
              (std::vector<int>{0, 0, 255, 127}));
    EXPECT_EQ(picture.color(127), qRgb(127, 127, 127));
    EXPECT_EQ(wexlan::GreyPicture(values + 6, 2, 1).pixelIndex(1, 0), 0);  // largest 0: no division
    EXPECT_EQ(wexlan::PicturePlacement(800, 100, QRect(0, 0, 400, 300)), QRect(0, 125, 400, 50));
    EXPECT_EQ(wexlan::PicturePlacement(3, 3, QRect(0, 0, 0, 300)), QRect());
}

TEST(PreviewPanel, OnlyNamesEndingInLowerCaseVqArePreviewedAndOthersClearThePicture) {
    wexlan::EnsureTestApplication();
    QTemporaryDir dir;
    const auto path = [&](const char* name) { return dir.filePath(name).toStdString(); };
    CWexlanPreviewUI panel;
    panel.OnInitDialog();
    panel.resize(410, 310);  // a 400 x 300 preview area
    panel.show();
    const auto show = [&](const char* name) {
        panel.SetFilename(path(name));
        panel.Preview();
        return !panel.GetPicture().isNull();
    };
    VqFile file;
    file.dimensions[0] = file.dimensions[1] = 256;
    file.voxels.assign(256 * 256, 5u);
    file.Write(path("scanvq"));  // the dot is not looked at
    ASSERT_TRUE(show("scanvq"));
    EXPECT_EQ(panel.GetPictureRect(), QRect(55, 5, 300, 300));
    // A file that is not previewed is no error, but the last picture goes.
    for (const char* name : {"scan.VQ", "scan.mha"}) {
        file.Write(path(name));
        ASSERT_TRUE(show("scanvq"));
        EXPECT_FALSE(show(name)) << name;
        EXPECT_EQ(panel.GetPictureRect(), QRect()) << name;
        EXPECT_EQ(panel.GetErrMsg(), "") << name;
    }
    // A file that cannot be read: its message is kept, also past a later picture.
    file.fileType = 2;
    file.Write(path("bad.vq"));
    EXPECT_FALSE(show("bad.vq"));
    EXPECT_EQ(panel.GetErrMsg(), VqSlice::kUnknownFileTypeMessage);
    panel.PreviewVQ(path("scanvq"));
    EXPECT_EQ(panel.GetPicture().width(), 256);
    EXPECT_EQ(panel.GetErrMsg(), VqSlice::kUnknownFileTypeMessage);
    panel.DrawImageFromDataPtr(nullptr, 4, 4);  // ignored
    EXPECT_EQ(panel.GetPicture().width(), 256);
    panel.resize(200, 100);  // the area keeps a five-pixel margin
    EXPECT_EQ(panel.GetPreviewArea(), QRect(5, 5, 190, 90));
}
