// Pictures written by wSnapshot: the file is a PNG of the asked size that shows the
// data, and failures leave no file behind.

#include <vtkImageData.h>
#include <vtkPNGReader.h>

#include <unistd.h>

#include <filesystem>

#include "RenderTestSupport.h"
#include "wSnapshot.h"

using namespace rendertest;
using ::testing::ElementsAre;
using ::testing::Gt;

namespace {

class SnapshotTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(folder); }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string PathOf(const std::string& name) const { return (folder / name).string(); }

    // The picture's width and height, and how many pixels differ from its first one.
    std::array<int, 3> Read(const std::string& path) {
        auto reader = vtkSmartPointer<vtkPNGReader>::New();
        reader->SetFileName(path.c_str());
        reader->Update();
        vtkImageData* image = reader->GetOutput();
        const int* dims = image->GetDimensions();
        const auto* rgb = static_cast<const unsigned char*>(image->GetScalarPointer());
        const int step = image->GetNumberOfScalarComponents();
        int drawn = 0;
        for (int i = 0; i < dims[0] * dims[1]; ++i, rgb += step) {
            const auto* first = static_cast<const unsigned char*>(image->GetScalarPointer());
            drawn += std::abs(rgb[0] - first[0]) + std::abs(rgb[1] - first[1]) +
                         std::abs(rgb[2] - first[2]) >
                     30;
        }
        return {dims[0], dims[1], drawn};
    }

    std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("wsnapshot-" + std::to_string(::getpid()));
    std::string error;
};

TEST_F(SnapshotTest, WritesVolumeMarkerAndViewerPictures) {
    auto image = MakeVolume(16, [](int i, int j, int k) { return 50 + i + j + k; });
    ASSERT_TRUE(wSnapshot::Write(image, 4, PathOf("volume.png"), 80, 60, &error)) << error;
    EXPECT_THAT(Read(PathOf("volume.png")), ElementsAre(80, 60, Gt(80 * 60 / 8)));
    ASSERT_TRUE(wSnapshot::Write(MakePoints({{0, 0, 0}, {5, 5, 5}, {5, 0, 0}}), 32,
                                 PathOf("markers.png"), 128, 128, &error))
        << error;
    EXPECT_THAT(Read(PathOf("markers.png")), ElementsAre(128, 128, Gt(3 * 20)));

    Scene scene(48);
    scene.Add(std::make_unique<wMeshLayer>(MakeSphere(), "ball"));
    ASSERT_TRUE(wSnapshot::WriteViewer(*scene.viewer, PathOf("view.png"), &error)) << error;
    EXPECT_THAT(Read(PathOf("view.png")), ElementsAre(48, 48, Gt(0)));
    wViewer detached;
    EXPECT_FALSE(wSnapshot::WriteViewer(detached, PathOf("none.png"), &error));
}

TEST_F(SnapshotTest, RefusesWhatItCannotDrawOrWrite) {
    const std::string path = PathOf("never.png");
    EXPECT_FALSE(wSnapshot::Write(nullptr, 16, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 4, path, 64, 64, &error));
    EXPECT_NE(error.find("image"), std::string::npos) << error;
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 8, path, 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, path, 0, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, "", 64, 64, &error));
    EXPECT_FALSE(wSnapshot::Write(MakeSphere(), 16, PathOf("missing/x.png"), 64, 64, &error));
    EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
    EXPECT_TRUE(std::filesystem::is_empty(folder)) << "no partial file left";
}

}  // namespace
