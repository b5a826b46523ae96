// Generates the sample cases of the embedded application folder:
//
//   make_sample_data OUTPUT_FOLDER
//
// writes OUTPUT_FOLDER/<Case>/ for each case: a surface, its landmarks, a surface scan
// (point cloud) and a CT-like volume as .mha and .vq, all in one millimetre frame whose
// origin is the volume's first voxel (VQ files carry no origin).

#include <cmath>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "OrganModel.h"
#include "SampleWriters.h"

namespace {

using namespace wexlan::sample;

constexpr double kPi = 3.14159265358979323846;

struct Case {
    const char* folder;
    const char* organ;
    OrganShape shape;  // centre filled in from the volume
    const char* surfaceFormat;
    const char* cloudFormat;
    std::vector<std::pair<const char*, std::pair<double, double>>> landmarks;  // theta, phi
};

void MakeCase(const std::filesystem::path& root, Case c) {
    const int nx = 128, ny = 128, nz = 64;
    const double spacing[3] = {1.5, 1.5, 3.0};
    c.shape.centre = {0.5 * (nx - 1) * spacing[0], 0.5 * (ny - 1) * spacing[1],
                      0.5 * (nz - 1) * spacing[2]};
    const std::filesystem::path dir = root / c.folder;
    std::filesystem::create_directories(dir);
    const std::string stem = (dir / c.organ).string();

    const Mesh mesh = Triangulate(c.shape, 48, 96);
    const std::string surface = c.surfaceFormat;
    if (surface == "stl")
        WriteBinaryStl(stem + ".stl", mesh);
    if (surface == "ply")
        WriteBinaryPly(stem + ".ply", mesh);
    if (surface == "vtp")
        WriteVtp(stem + ".vtp", mesh);

    std::vector<Landmark> landmarks;
    for (const auto& [label, angles] : c.landmarks) {
        landmarks.push_back({label, c.shape.PointAt(angles.first, angles.second)});
    }
    WriteFcsv(stem + "_landmarks.fcsv", landmarks);

    const std::vector<Vec3> scan = ScanPoints(c.shape, 20000, 0.4, 1234);
    if (std::string(c.cloudFormat) == "xyz")
        WriteXyz(stem + "_scan.xyz", scan);
    if (std::string(c.cloudFormat) == "pcd")
        WritePcd(stem + "_scan.pcd", scan);

    const Volume volume = Phantom(c.shape, nx, ny, nz, spacing);
    WriteMha(stem + "_ct.mha", volume);
    WriteVq(stem + "_ct.vq", volume);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
        return 2;
    }
    try {
        const std::filesystem::path root = argv[1];
        MakeCase(root, {"Kidney",
                        "kidney",
                        {{}, {28, 24, 52}, 0.28, 0.03, 0.0},
                        "stl",
                        "xyz",
                        {{"upper pole", {0.05, 0}},
                         {"lower pole", {kPi - 0.05, 0}},
                         {"hilum", {kPi / 2, kPi}},
                         {"lateral border", {kPi / 2, 0}}}});
        MakeCase(root, {"Liver",
                        "liver",
                        {{}, {75, 55, 40}, 0.0, 0.06, 0.35},
                        "ply",
                        "pcd",
                        {{"dome", {0.1, 0}},
                         {"left lobe tip", {kPi / 2, kPi}},
                         {"right lobe", {kPi / 2, 0}},
                         {"inferior edge", {2.6, kPi / 2}},
                         {"porta hepatis", {kPi / 2, 3 * kPi / 2}}}});
        MakeCase(root, {"Spleen",
                        "spleen",
                        {{}, {22, 45, 32}, 0.12, 0.05, -0.15},
                        "vtp",
                        "xyz",
                        {{"superior pole", {0.1, kPi / 2}},
                         {"inferior pole", {kPi - 0.1, kPi / 2}},
                         {"hilum", {kPi / 2, kPi}}}});
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_sample_data: %s\n", e.what());
        return 1;
    }
    return 0;
}
