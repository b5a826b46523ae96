// Pictures written by wSnapshot: the file is a PNG of the asked size that shows the
// data, and failures leave no file behind.

#include <gtest/gtest.h>

#include <vtkImageData.h>
#include <vtkPNGReader.h>

#include <unistd.h>

#include <filesystem>
#include <memory>

#include "RenderTestSupport.h"
#include "wMeshLayer.h"
#include "wSnapshot.h"
#include "wViewer.h"

using namespace rendertest;

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override {
        folder =
            std::filesystem::temp_directory_path() / ("wsnapshot-" + std::to_string(::getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }

    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    // The picture's size and how many of its pixels differ from the background.
    struct Picture {
        int width = 0, height = 0, drawn = 0;
    };
    Picture Read(const std::string& path) {
        auto reader = vtkSmartPointer<vtkPNGReader>::New();
        reader->SetFileName(path.c_str());
        reader->Update();
        vtkImageData* image = reader->GetOutput();
        Picture picture;
        int dims[3];
        image->GetDimensions(dims);
        picture.width = dims[0];
        picture.height = dims[1];
        const double* background = nullptr;
        double first[3];
        for (int y = 0; y < dims[1]; ++y) {
            for (int x = 0; x < dims[0]; ++x) {
                double rgb[3];
                for (int c = 0; c < 3; ++c) {
                    rgb[c] = image->GetScalarComponentAsDouble(x, y, 0, c);
                }
                if (!background) {
                    std::copy(rgb, rgb + 3, first);
                    background = first;
                }
                picture.drawn += (std::abs(rgb[0] - first[0]) + std::abs(rgb[1] - first[1]) +
                                  std::abs(rgb[2] - first[2])) > 30;
            }
        }
        return picture;
    }

    std::filesystem::path folder;
};

TEST_F(SnapshotTest, WritesSurfaceVolumeAndMarkerPictures) {
    std::string error;
    const std::string surface = PathOf("surface.png");
    ASSERT_TRUE(wSnapshot::Write(MakeSphere(), 16, surface, 80, 60, &error)) << error;
    Picture picture = Read(surface);
    EXPECT_EQ(picture.width, 80);
    EXPECT_EQ(picture.height, 60);
    EXPECT_GT(picture.drawn, 80 * 60 / 8);

    const std::string volume = PathOf("volume.png");
    auto image = MakeVolume(16, [](int i, int j, int k) { return 50 + i + j + k; });
    ASSERT_TRUE(wSnapshot::Write(image, 4, volume, 64, 64, &error)) << error;
    EXPECT_GT(Read(volume).drawn, 64 * 64 / 8);

    const std::string markers = PathOf("markers.png");
    ASSERT_TRUE(wSnapshot::Write(MakePoints({{0, 0, 0}, {5, 5, 5}, {5, 0, 0}}), 32, markers, 128,
                                 128, &error))
        << error;
    EXPECT_GT(Read(markers).drawn, 3 * 20);
}

TEST_F(SnapshotTest, RefusesWhatItCannotDrawOrWrite) {
    std::string error;
    const std::string path = PathOf("never.png");
    EXPECT_FALSE(wSnapshot::Write(nullptr, 16, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 4, path, 64, 64, &error));
    EXPECT_NE(error.find("image"), std::string::npos) << error;
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 8, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, path, 0, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, "", 64, 64, &error));
    EXPECT_FALSE(std::filesystem::exists(path));

    const std::string unwritable = PathOf("missing/folder/x.png");
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, unwritable, 64, 64, &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no partial file left";
}

TEST_F(SnapshotTest, WritesAViewersWindow) {
    auto window = MakeWindow(48);
    wViewer viewer(window);
    viewer.AddInput(std::make_unique<wMeshLayer>(MakeSphere(), "ball"));
    std::string error;
    ASSERT_TRUE(wSnapshot::WriteViewer(viewer, PathOf("view.png"), &error)) << error;
    EXPECT_EQ(Read(PathOf("view.png")).width, 48);

    wViewer detached;
    EXPECT_FALSE(wSnapshot::WriteViewer(detached, PathOf("none.png"), &error));
}

}  // namespace
