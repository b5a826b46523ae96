#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <limits>

#include <QApplication>
#include <QFrame>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include "CWexlanPreviewUI.h"
#include "GreyPicture.h"
#include "VqSlice.h"
#include "VqWriter.h"

using wexlan::VqSlice;

namespace {

int argc = 1;
char arg0[] = "preview_tests";
char* argv[] = {arg0, nullptr};
QApplication& App() {
    static QApplication app(argc, argv);
    return app;
}

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        panel_.OnInitDialog();
        panel_.resize(410, 310);  // a 400 x 300 preview area
        panel_.show();
    }
    std::string Path(const std::string& name) const {
        return dir_.filePath(QString::fromStdString(name)).toStdString();
    }

    struct ApplicationFirst {
        ApplicationFirst() { App(); }
    } application_;  // constructed before the panel
    QTemporaryDir dir_;
    CWexlanPreviewUI panel_;
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
    EXPECT_EQ(check(VqFile{}), "");
    VqFile bad;
    bad.signature[5] = 0x1E;
    EXPECT_EQ(check(bad), VqSlice::kCorruptedMessage);
    bad = {};
    bad.headerValue = 0;
    EXPECT_EQ(check(bad), VqSlice::kCorruptedMessage);
    for (int type : {0, 2, 4}) {
        bad = {};
        bad.fileType = type;
        EXPECT_EQ(check(bad), "error: unrecognized file type") << type;
    }
    bad = {};
    bad.fileType = 3;
    EXPECT_EQ(check(bad), "");
    for (int axis = 0; axis < 3; ++axis) {
        bad = {};
        bad.dimensions[axis] = axis == 1 ? -4 : 0;
        EXPECT_EQ(check(bad), VqSlice::kCorruptedMessage) << axis;
    }
    bad = {};
    bad.dataType = 16;
    EXPECT_EQ(check(bad), "error: unrecoginized data type");
    bad = {};
    bad.dataType = 64;  // accepted; the slice is read as 32-bit values all the same
    EXPECT_EQ(check(bad), "");
    // The order of the checks: a bad file type is reported before bad dimensions.
    bad = {};
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
    EXPECT_EQ(slice.Read(dir.path().toStdString()), "error: " + dir.path().toStdString() + " is a folder");
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
    for (std::uint32_t i = 0; i < 35; ++i) {
        file.voxels.push_back(i);
    }
    file.Write(path);
    VqSlice slice;
    ASSERT_EQ(slice.Read(path, 3), "");  // every third value of every third row
    EXPECT_EQ(slice.width, 3);
    EXPECT_EQ(slice.height, 2);
    EXPECT_EQ(slice.values, (std::vector<std::uint32_t>{0, 3, 6, 21, 24, 27}));

    // 32768 x 32768 values (4 GiB, sparse): only the picture's values are read.
    file.dimensions[0] = file.dimensions[1] = 32768;
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

TEST(VqSliceTest, ReadsOnlyTheFirstSliceRowByRow) {
    QTemporaryDir dir;
    const std::string path = dir.filePath("two.vq").toStdString();
    VqFile file;
    file.dimensions[0] = 2;  // rows
    file.dimensions[1] = 3;  // values per row
    file.dimensions[2] = 2;
    file.voxels = {1, 2, 3, 4, 5, 6, 100, 100, 100, 100, 100, 100};
    file.Write(path);
    VqSlice slice;
    ASSERT_EQ(slice.Read(path), "");
    EXPECT_EQ(slice.width, 3);
    EXPECT_EQ(slice.height, 2);
    EXPECT_EQ(slice.values, (std::vector<std::uint32_t>{1, 2, 3, 4, 5, 6}));
}

TEST(GreyPictureTest, LevelsAreScaledToTheLargestValue) {
    const std::uint32_t ramp[3] = {0, 1, 2};
    QImage picture = wexlan::GreyPicture(ramp, 3, 1);
    ASSERT_EQ(picture.format(), QImage::Format_Indexed8);
    EXPECT_EQ(picture.pixelIndex(0, 0), 0);
    EXPECT_EQ(picture.pixelIndex(1, 0), 127);
    EXPECT_EQ(picture.pixelIndex(2, 0), 255);
    EXPECT_EQ(picture.color(127), qRgb(127, 127, 127));

    const std::uint32_t black[4] = {0, 0, 0, 0};
    picture = wexlan::GreyPicture(black, 2, 2);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(picture.pixelIndex(i % 2, i / 2), 0);
    }
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

TEST_F(PreviewTest, FrameKeepsAFivePixelMargin) {
    EXPECT_EQ(panel_.GetPreviewArea(), QRect(5, 5, 400, 300));
    panel_.resize(200, 100);
    EXPECT_EQ(panel_.GetPreviewArea(), QRect(5, 5, 190, 90));
    CWexlanPreviewUI unopened;
    unopened.resize(100, 100);
    unopened.show();
    EXPECT_EQ(unopened.GetPreviewArea(), QRect());
}

TEST_F(PreviewTest, OnlyNamesEndingInLowerCaseVqArePreviewedAndOthersClearThePicture) {
    VqFile file;
    file.dimensions[0] = file.dimensions[1] = 256;
    file.voxels.assign(256 * 256, 5u);
    const auto show = [&](const std::string& name) {
        panel_.SetFilename(Path(name));
        panel_.Preview();
        return !panel_.GetPicture().isNull();
    };
    file.Write(Path("scanvq"));  // the dot is not looked at
    ASSERT_TRUE(show("scanvq"));
    EXPECT_EQ(panel_.GetFilename(), Path("scanvq"));
    EXPECT_EQ(panel_.GetPictureRect(), QRect(55, 5, 300, 300));
    EXPECT_EQ(panel_.GetErrMsg(), "");
    // The next file cannot be shown: the picture of the last one goes.
    for (const char* name : {"scan.VQ", "scan.mha"}) {
        file.Write(Path(name));
        ASSERT_TRUE(show("scanvq"));
        EXPECT_FALSE(show(name)) << name;
        EXPECT_EQ(panel_.GetPictureRect(), QRect()) << name;
        EXPECT_EQ(panel_.GetErrMsg(), "") << name;  // not previewing other files is no error
    }
    ASSERT_TRUE(show("scanvq"));
    EXPECT_FALSE(show("absent.vq"));
    EXPECT_NE(panel_.GetErrMsg(), "");
}

TEST_F(PreviewTest, FailuresAreKeptAsTheErrorMessageAndDrawNothing) {
    VqFile bad;
    bad.fileType = 2;
    bad.Write(Path("bad.vq"));
    panel_.SetFilename(Path("bad.vq"));
    panel_.Preview();
    EXPECT_EQ(panel_.GetErrMsg(), "error: unrecognized file type");
    EXPECT_TRUE(panel_.GetPicture().isNull());

    VqFile good;
    good.voxels.assign(6, 1u);
    good.Write(Path("good.vq"));
    panel_.PreviewVQ(Path("good.vq"));
    EXPECT_FALSE(panel_.GetPicture().isNull());
    EXPECT_EQ(panel_.GetErrMsg(), "error: unrecognized file type");  // an earlier message stays
    panel_.DrawImageFromDataPtr(nullptr, 4, 4);                      // ignored
    EXPECT_EQ(panel_.GetPicture().width(), 3);
}
