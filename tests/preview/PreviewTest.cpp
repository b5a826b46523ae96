#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <limits>

#include <QFrame>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CWexlanPreviewUI.h"
#include "GreyPicture.h"
#include "TestApplication.h"
#include "VqSlice.h"
#include "VqWriter.h"

using wexlan::VqSlice;

namespace {

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_panel.OnInitDialog();
        m_panel.resize(410, 310);  // a 400 x 300 preview area
        m_panel.show();
    }
    std::string Path(const std::string& name) const {
        return m_dir.filePath(QString::fromStdString(name)).toStdString();
    }

    struct ApplicationFirst {
        ApplicationFirst() { wexlan::EnsureTestApplication(); }
    } m_application;  // constructed before the panel
    QTemporaryDir m_dir;
    CWexlanPreviewUI m_panel;
};

}  // namespace

TEST(VqSliceTest, EachHeaderCheckHasItsMessage) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("scan.vq").toStdString();
    auto check = [&](VqFile file) {
        file.voxels.assign(6, 7u);
        file.Write(path);
        VqSlice slice;
        return slice.Read(path);
    };
    // {what is wrong, the message}; "" for headers that are read.
    const std::vector<std::pair<std::function<void(VqFile&)>, std::string>> cases = {
        {[](VqFile&) {}, ""},
        {[](VqFile& f) { f.signature[5] = 0x1E; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.headerValue = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.fileType = 0; }, "error: unrecognized file type"},
        {[](VqFile& f) { f.fileType = 4; }, "error: unrecognized file type"},
        {[](VqFile& f) { f.fileType = 3; }, ""},
        {[](VqFile& f) { f.dimensions[0] = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dimensions[1] = -4; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dimensions[2] = 0; }, VqSlice::kCorruptedMessage},
        {[](VqFile& f) { f.dataType = 16; }, "error: unrecoginized data type"},
        {[](VqFile& f) { f.dataType = 64; }, ""},  // read as 32-bit values all the same
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        VqFile file;
        cases[i].first(file);
        EXPECT_EQ(check(file), cases[i].second) << "case " << i;
    }
    VqFile bad;
    // The order of the checks: a bad file type is reported before bad dimensions.
    bad.fileType = 2;
    bad.dimensions[0] = 0;
    bad.dataType = 16;
    EXPECT_EQ(check(bad), "error: unrecognized file type");
}

TEST(VqSliceTest, ShortFilesAreCorruptedAndOtherPathsSayWhatTheyAre) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("short.vq").toStdString();
    VqSlice slice;
    const std::string missing = dir.filePath("missing.vq").toStdString();
    EXPECT_EQ(slice.Read(missing), "error: " + missing + " does not exist");
    EXPECT_EQ(slice.Read(dir.path().toStdString()),
              "error: " + dir.path().toStdString() + " is a folder");
    const std::string fifo = dir.filePath("fifo.vq").toStdString();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);  // a plain open would wait for a writer
    EXPECT_EQ(slice.Read(fifo), "error: " + fifo + " is not a regular file (it is a pipe)");
    for (std::size_t size :
         {std::size_t{3}, std::size_t{53}, std::size_t{8192}, std::size_t{8192 + 23}}) {
        VqFile file;
        file.voxels.assign(6, 1u);
        file.truncateTo = size;
        file.Write(path);
        EXPECT_EQ(slice.Read(path), VqSlice::kCorruptedMessage) << size;
        EXPECT_TRUE(slice.values.empty());
    }
    // A header claiming a huge slice in a small file reads nothing.
    VqFile huge;
    for (std::int32_t side : {1 << 30, std::numeric_limits<std::int32_t>::max()}) {
        huge.dimensions[0] = huge.dimensions[1] = side;
        huge.Write(path);
        EXPECT_EQ(slice.Read(path), VqSlice::kCorruptedMessage) << side;
    }
}

TEST(VqSliceTest, LargeSlicesAreReadSubSampledToThePicture) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("wide.vq").toStdString();
    VqFile file;
    file.dimensions[0] = 5;  // rows
    file.dimensions[1] = 7;  // values per row
    file.dimensions[2] = 2;  // the second slice is never read
    for (std::uint32_t i = 0; i < 70; ++i) {
        file.voxels.push_back(i < 35 ? i : 1000);
    }
    file.Write(path);
    VqSlice slice;
    ASSERT_EQ(slice.Read(path), "");
    EXPECT_EQ(slice.values.size(), 35u);
    EXPECT_EQ(slice.values.back(), 34u);
    ASSERT_EQ(slice.Read(path, 3), "");  // every third value of every third row
    EXPECT_EQ(slice.width, 3);
    EXPECT_EQ(slice.height, 2);
    EXPECT_EQ(slice.values, (std::vector<std::uint32_t>{0, 3, 6, 21, 24, 27}));

    // 32768 x 32768 values (4 GiB, sparse): only the picture's values are read.
    file.dimensions[0] = file.dimensions[1] = 32768;
    file.dimensions[2] = 1;
    file.voxels.clear();
    file.Write(path);
    std::filesystem::resize_file(path, VqSlice::kHeaderSize + std::uint64_t{32768} * 32768 * 4);
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(slice.Read(path), "");
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(slice.width, VqSlice::kMaxSide);
    EXPECT_EQ(slice.height, VqSlice::kMaxSide);
    EXPECT_EQ(slice.values.size(), std::size_t{VqSlice::kMaxSide} * VqSlice::kMaxSide);
}

TEST(GreyPictureTest, LevelsAreScaledToTheLargestValue) {
    const std::uint32_t ramp[3] = {0, 1, 2};
    QImage picture = wexlan::GreyPicture(ramp, 3, 1);
    ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(picture.pixelIndex(0, 0), 0);
    EXPECT_EQ(picture.pixelIndex(1, 0), 127);
    EXPECT_EQ(picture.pixelIndex(2, 0), 255);
    EXPECT_EQ(picture.color(127), qRgb(127, 127, 127));

    const std::uint32_t black[2] = {0, 0};  // no division by the largest value, 0
    EXPECT_EQ(wexlan::GreyPicture(black, 2, 1).pixelIndex(1, 0), 0);
    // Row 0 at the top, value i in row i / width.
    const std::uint32_t rows[6] = {0, 0, 0, 9, 9, 9};
    picture = wexlan::GreyPicture(rows, 3, 2);
    EXPECT_EQ(picture.pixelIndex(2, 0), 0);
    EXPECT_EQ(picture.pixelIndex(0, 1), 255);
    const std::uint32_t big[2] = {0xFFFFFFFFu, 0x7FFFFFFFu};
    picture = wexlan::GreyPicture(big, 2, 1);
    EXPECT_EQ(picture.pixelIndex(0, 0), 255);
    EXPECT_EQ(picture.pixelIndex(1, 0), 127);
}

TEST(GreyPictureTest, PlacementKeepsTheAspectAndCentres) {
    EXPECT_EQ(wexlan::PicturePlacement(256, 256, QRect(5, 5, 400, 300)), QRect(55, 5, 300, 300));
    EXPECT_EQ(wexlan::PicturePlacement(800, 100, QRect(0, 0, 400, 300)), QRect(0, 125, 400, 50));
    EXPECT_EQ(wexlan::PicturePlacement(3, 3, QRect(0, 0, 0, 300)), QRect());
}

TEST_F(PreviewTest, OnlyNamesEndingInLowerCaseVqArePreviewedAndOthersClearThePicture) {
    VqFile file;
    file.dimensions[0] = file.dimensions[1] = 256;
    file.voxels.assign(256 * 256, 5u);
    const auto show = [&](const std::string& name) {
        m_panel.SetFilename(Path(name));
        m_panel.Preview();
        return !m_panel.GetPicture().isNull();
    };
    file.Write(Path("scanvq"));  // the dot is not looked at
    ASSERT_TRUE(show("scanvq"));
    EXPECT_EQ(m_panel.GetFilename(), Path("scanvq"));
    EXPECT_EQ(m_panel.GetPictureRect(), QRect(55, 5, 300, 300));
    EXPECT_EQ(m_panel.GetErrMsg(), "");
    // The next file cannot be shown: the picture of the last one goes.
    for (const char* name : {"scan.VQ", "scan.mha"}) {
        file.Write(Path(name));
        ASSERT_TRUE(show("scanvq"));
        EXPECT_FALSE(show(name)) << name;
        EXPECT_EQ(m_panel.GetPictureRect(), QRect()) << name;
        EXPECT_EQ(m_panel.GetErrMsg(), "") << name;  // not previewing other files is no error
    }
    // A file that cannot be read: its message is kept and nothing is drawn; a later
    // picture leaves the message as it was.
    VqFile bad;
    bad.fileType = 2;
    bad.Write(Path("bad.vq"));
    ASSERT_TRUE(show("scanvq"));
    EXPECT_FALSE(show("bad.vq"));
    EXPECT_EQ(m_panel.GetErrMsg(), "error: unrecognized file type");
    m_panel.PreviewVQ(Path("scanvq"));
    EXPECT_FALSE(m_panel.GetPicture().isNull());
    EXPECT_EQ(m_panel.GetErrMsg(), "error: unrecognized file type");
    m_panel.DrawImageFromDataPtr(nullptr, 4, 4);  // ignored
    EXPECT_EQ(m_panel.GetPicture().width(), 256);

    // The area keeps a five-pixel margin as the panel is resized.
    m_panel.resize(200, 100);
    EXPECT_EQ(m_panel.GetPreviewArea(), QRect(5, 5, 190, 90));
}
