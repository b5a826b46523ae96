#include "BenchInputs.h"

#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkMetaImageWriter.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkXMLPolyDataWriter.h>

#include "CtPhantom.h"
#include "DicomWriting.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <vector>

namespace wexlan::io::bench {

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Mesh {
    std::vector<std::array<float, 3>> points;
    std::vector<std::array<std::int32_t, 3>> triangles;
};

// A bumpy torus: closed, no two points alike, every point shared by six triangles.
Mesh MakeMesh() {
    Mesh mesh;
    const int n = kMeshRings;
    mesh.points.reserve(std::size_t(n) * n);
    for (int i = 0; i < n; ++i) {
        const double u = 2 * kPi * i / n;
        for (int j = 0; j < n; ++j) {
            const double v = 2 * kPi * j / n;
            const double r = 30 + 2 * std::sin(7 * u) * std::cos(5 * v);
            mesh.points.push_back({static_cast<float>((100 + r * std::cos(v)) * std::cos(u)),
                                   static_cast<float>((100 + r * std::cos(v)) * std::sin(u)),
                                   static_cast<float>(r * std::sin(v))});
        }
    }
    const auto at = [n](int i, int j) { return static_cast<std::int32_t>((i % n) * n + (j % n)); };
    mesh.triangles.reserve(std::size_t(2) * n * n);
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            mesh.triangles.push_back({at(i, j), at(i + 1, j), at(i + 1, j + 1)});
            mesh.triangles.push_back({at(i, j), at(i + 1, j + 1), at(i, j + 1)});
        }
    }
    return mesh;
}

// Text output through a large buffer; numbers in their shortest exact form.
class TextOut {
public:
    explicit TextOut(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {
        if (file_ == nullptr) {
            std::perror(path.c_str());
            std::exit(1);
        }
        buffer_.reserve(1 << 20);
    }
    ~TextOut() {
        Flush();
        std::fclose(file_);
    }
    TextOut& operator<<(const char* s) {
        buffer_ += s;
        return Check();
    }
    TextOut& operator<<(float v) { return Number(v); }
    TextOut& operator<<(std::int64_t v) { return Number(v); }

private:
    template <typename T>
    TextOut& Number(T v) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text, v).ptr;
        buffer_.append(text, end);
        return Check();
    }
    TextOut& Check() {
        if (buffer_.size() > (1 << 20) - 256)
            Flush();
        return *this;
    }
    void Flush() {
        std::fwrite(buffer_.data(), 1, buffer_.size(), file_);
        buffer_.clear();
    }
    std::FILE* file_;
    std::string buffer_;
};

void WriteStl(const Mesh& mesh, const std::string& binaryPath, const std::string& asciiPath) {
    {
        std::ofstream out(binaryPath, std::ios::binary);
        char header[80] = "benchmark torus";
        out.write(header, 80);
        const auto count = static_cast<std::uint32_t>(mesh.triangles.size());
        out.write(reinterpret_cast<const char*>(&count), 4);
        std::vector<char> record(50, 0);
        for (const auto& t : mesh.triangles) {
            for (int c = 0; c < 3; ++c)
                std::memcpy(record.data() + 12 + 12 * c, mesh.points[t[c]].data(), 12);
            out.write(record.data(), 50);
        }
    }
    TextOut out(asciiPath);
    out << "solid torus\n";
    for (const auto& t : mesh.triangles) {
        out << "facet normal 0 0 1\n outer loop\n";
        for (int c = 0; c < 3; ++c) {
            const auto& p = mesh.points[t[c]];
            out << "  vertex " << p[0] << " " << p[1] << " " << p[2] << "\n";
        }
        out << " endloop\nendfacet\n";
    }
    out << "endsolid torus\n";
}

void WritePly(const Mesh& mesh, const std::string& binaryPath, const std::string& asciiPath) {
    const auto header = [&mesh](const char* format) {
        return std::string("ply\nformat ") + format + " 1.0\nelement vertex " +
               std::to_string(mesh.points.size()) +
               "\nproperty float x\nproperty float y\nproperty float z\nelement face " +
               std::to_string(mesh.triangles.size()) +
               "\nproperty list uchar int vertex_indices\nend_header\n";
    };
    {
        std::ofstream out(binaryPath, std::ios::binary);
        out << header("binary_little_endian");
        out.write(reinterpret_cast<const char*>(mesh.points.data()),
                  static_cast<std::streamsize>(mesh.points.size() * 12));
        std::vector<char> faces;
        faces.reserve(mesh.triangles.size() * 13);
        for (const auto& t : mesh.triangles) {
            faces.push_back(3);
            faces.insert(faces.end(), reinterpret_cast<const char*>(t.data()),
                         reinterpret_cast<const char*>(t.data()) + 12);
        }
        out.write(faces.data(), static_cast<std::streamsize>(faces.size()));
    }
    TextOut out(asciiPath);
    out << header("ascii").c_str();
    for (const auto& p : mesh.points)
        out << p[0] << " " << p[1] << " " << p[2] << "\n";
    for (const auto& t : mesh.triangles) {
        out << "3 " << std::int64_t{t[0]} << " " << std::int64_t{t[1]} << " " << std::int64_t{t[2]}
            << "\n";
    }
}

void WriteObj(const Mesh& mesh, const std::string& path) {
    TextOut out(path);
    out << "# benchmark torus\n";
    for (const auto& p : mesh.points)
        out << "v " << p[0] << " " << p[1] << " " << p[2] << "\n";
    for (const auto& t : mesh.triangles) {
        out << "f " << std::int64_t{t[0] + 1} << " " << std::int64_t{t[1] + 1} << " "
            << std::int64_t{t[2] + 1} << "\n";
    }
}

void WriteVtp(const Mesh& mesh, const std::string& path) {
    auto points = vtkSmartPointer<vtkPoints>::New();
    points->SetNumberOfPoints(static_cast<vtkIdType>(mesh.points.size()));
    for (std::size_t i = 0; i < mesh.points.size(); ++i)
        points->SetPoint(vtkIdType(i), mesh.points[i].data());
    auto polys = vtkSmartPointer<vtkCellArray>::New();
    for (const auto& t : mesh.triangles)
        polys->InsertNextCell({vtkIdType(t[0]), vtkIdType(t[1]), vtkIdType(t[2])});
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(points);
    poly->SetPolys(polys);
    auto writer = vtkSmartPointer<vtkXMLPolyDataWriter>::New();
    writer->SetInputData(poly);
    writer->SetFileName(path.c_str());
    writer->Write();  // VTK's defaults: appended binary data, zlib-compressed
}

// The chest CT of the rendering benchmarks, stored as scanners often store CT: unsigned
// values with an offset of 1024 (air is 0). Its noise keeps gzip to the ratio real CTs
// have (about 2:1); a smooth synthetic volume would compress a hundred times and leave
// nothing for a decompressor to show.
std::vector<std::uint16_t> MakeVolume() {
    const int n = kVolumeSize;
    const double spacing[3] = {0.7, 0.7, 0.7};
    const vtkSmartPointer<vtkImageData> ct = wexlan::bench::ChestCt(n, n, n, spacing);
    const auto* hu = static_cast<const std::int16_t*>(ct->GetScalarPointer());
    std::vector<std::uint16_t> v(std::size_t(n) * n * n);
    std::transform(hu, hu + v.size(), v.begin(),
                   [](std::int16_t value) { return static_cast<std::uint16_t>(value + 1024); });
    return v;
}

void WriteVolumes(const std::string& folder) {
    const int n = kVolumeSize;
    const std::vector<std::uint16_t> volume = MakeVolume();
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(n, n, n);
    image->SetSpacing(0.5, 0.5, 0.5);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    std::memcpy(image->GetScalarPointer(), volume.data(), volume.size() * 2);
    auto mha = vtkSmartPointer<vtkMetaImageWriter>::New();
    mha->SetInputData(image);
    mha->SetFileName((folder + "/chest.mha").c_str());
    mha->SetCompression(false);
    mha->Write();
    for (const char* name : {"chest.nii", "chest.nii.gz", "chest_analyze.hdr"}) {
        auto nii = vtkSmartPointer<vtkNIFTIImageWriter>::New();
        nii->SetInputData(image);
        nii->SetFileName((folder + "/" + name).c_str());
        nii->Write();
    }
    {
        // Analyze 7.5: the split header without its NIfTI magic code.
        std::fstream header(folder + "/chest_analyze.hdr",
                            std::ios::in | std::ios::out | std::ios::binary);
        header.seekp(344);
        header.write("\0\0\0\0", 4);
    }
    {
        std::ofstream out(folder + "/chest.nrrd", std::ios::binary);
        out << "NRRD0004\ntype: ushort\ndimension: 3\nsizes: " << n << " " << n << " " << n
            << "\nspacings: 0.5 0.5 0.5\nencoding: raw\nendian: little\n\n";
        out.write(reinterpret_cast<const char*>(volume.data()),
                  static_cast<std::streamsize>(volume.size() * 2));
    }
    {
        std::string header(8192, '\0');
        const unsigned char signature[6] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};
        std::memcpy(header.data(), signature, 6);
        const std::int32_t fields[5] = {1, 1, n, n, n};
        std::memcpy(header.data() + 6, fields, sizeof fields);
        const double spacing[3] = {0.5, 0.5, 0.5};
        std::memcpy(header.data() + 26, spacing, sizeof spacing);
        const std::int32_t dataType = 32;
        std::memcpy(header.data() + 50, &dataType, 4);
        std::ofstream out(folder + "/chest.vq", std::ios::binary);
        out.write(header.data(), 8192);
        std::vector<std::uint32_t> wide(volume.begin(), volume.end());
        out.write(reinterpret_cast<const char*>(wide.data()),
                  static_cast<std::streamsize>(wide.size() * 4));
    }
}

// A CT-like stack: air around a body cylinder of soft tissue with a denser core, stored
// as scanners store CT (12 bits, intercept -1024), one file per slice; and the same
// rescaled volume as one MetaImage file.
void WriteCtSeries(const std::string& folder) {
    const int n = kCtSize;
    const std::string series = folder + "/ct_series";
    std::filesystem::create_directories(series);
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(n, n, kCtSlices);
    image->SetSpacing(0.7, 0.7, 1.25);
    image->SetOrigin(-179.2, -179.2, -200);
    image->AllocateScalars(VTK_SHORT, 1);
    auto* hu = static_cast<short*>(image->GetScalarPointer());
    std::vector<int> stored(static_cast<std::size_t>(n) * n);
    for (int z = 0; z < kCtSlices; ++z) {
        for (int y = 0; y < n; ++y) {
            for (int x = 0; x < n; ++x) {
                const double dx = x - n / 2.0, dy = y - n / 2.0;
                const double r2 = (dx * dx + dy * dy) / (0.4 * n * 0.4 * n);
                const int value =
                    r2 < 1 ? (r2 < 0.05 ? 700 : 40) + (x * 7 + y * 3 + z) % 20 : -1000;
                stored[static_cast<std::size_t>(y) * n + x] = value + 1024;
                *hu++ = static_cast<short>(value);
            }
        }
        test::DicomSlice slice;
        slice.rows = slice.columns = n;
        slice.bitsStored = 12;
        slice.pixels = test::Pixels16(stored);
        slice.position = std::array<double, 3>{-179.2, -179.2, -200 + 1.25 * z};
        slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
        slice.pixelSpacing = std::array<double, 2>{0.7, 0.7};
        slice.sliceThickness = 1.25;
        slice.intercept = -1024;
        slice.slope = 1;
        slice.instanceNumber = z + 1;
        char name[32];
        std::snprintf(name, sizeof name, "/IM%04d", z);
        test::WriteDicom(series + name, slice);
    }
    auto mha = vtkSmartPointer<vtkMetaImageWriter>::New();
    mha->SetInputData(image);
    mha->SetFileName((folder + "/ct_series.mha").c_str());
    mha->SetCompression(false);
    mha->Write();
}

void WriteCloud(const std::string& path) {
    std::mt19937 random(3);
    std::uniform_real_distribution<float> coordinate(-500.f, 500.f);
    TextOut out(path);
    out << "# x y z intensity\n";
    for (int i = 0; i < kCloudPoints; ++i) {
        out << coordinate(random) << " " << coordinate(random) << " " << coordinate(random) << " "
            << std::int64_t{i % 255} << "\n";
    }
}

// A markups file of one point list with `points` control points.
void WriteMarkups(const std::string& path, int points) {
    std::ofstream out(path);
    out << "{\"markups\": [{\"type\": \"Fiducial\", \"coordinateSystem\": \"LPS\", "
           "\"controlPoints\": [";
    for (int i = 0; i < points; ++i) {
        out << (i ? ",\n" : "\n") << "{\"id\": \"" << i + 1 << "\", \"label\": \"F-" << i + 1
            << "\", \"position\": [" << i % 1000 << ".5, " << i / 1000 << ".25, -" << i % 7
            << "], \"positionStatus\": \"defined\"}";
    }
    out << "\n]}]}\n";
}

}  // namespace

std::uint64_t FileSize(const std::string& path) {
    return std::filesystem::file_size(path);
}

const std::string& InputFolder() {
    static const std::string folder = [] {
        const char* env = std::getenv("WEXLAN_BENCH_DIR");
        const std::string dir = env ? env : "/tmp/wexlan-io-bench";
        std::filesystem::create_directories(dir);
        return dir;
    }();
    return folder;
}

std::string Input(const std::string& name) {
    // Inputs are written by group, a group whole when any of its files is missing, the
    // first time one of them is asked for (so a filtered run makes only what it reads).
    struct Group {
        std::vector<std::string> files;
        const char* what;
        void (*write)(const std::string& dir);
    };
    static const Group kGroups[] = {
        {{"mesh_binary.stl", "mesh_ascii.stl", "mesh_binary.ply", "mesh_ascii.ply", "mesh.obj",
          "mesh.vtp"},
         "mesh",
         [](const std::string& dir) {
             const Mesh mesh = MakeMesh();
             WriteStl(mesh, dir + "/mesh_binary.stl", dir + "/mesh_ascii.stl");
             WritePly(mesh, dir + "/mesh_binary.ply", dir + "/mesh_ascii.ply");
             WriteObj(mesh, dir + "/mesh.obj");
             WriteVtp(mesh, dir + "/mesh.vtp");
         }},
        {{"chest.mha", "chest.nii", "chest.nii.gz", "chest_analyze.hdr", "chest_analyze.img",
          "chest.nrrd", "chest.vq"},
         "volume",
         WriteVolumes},
        {{"ct_series/IM0150", "ct_series/IM0299", "ct_series.mha"}, "CT series", WriteCtSeries},
        {{"cloud.xyz"},
         "point cloud",
         [](const std::string& dir) { WriteCloud(dir + "/cloud.xyz"); }},
        {{"markers_160k.mrk.json"},
         "markups",
         [](const std::string& dir) { WriteMarkups(dir + "/markers_160k.mrk.json", kMarkers); }},
        {{"markers_640k.mrk.json"},
         "markups",
         [](const std::string& dir) {
             WriteMarkups(dir + "/markers_640k.mrk.json", 4 * kMarkers);
         }},
    };
    const std::string& dir = InputFolder();
    for (const Group& group : kGroups) {
        if (std::find(group.files.begin(), group.files.end(), name) == group.files.end()) {
            continue;
        }
        for (const std::string& file : group.files) {
            if (!std::filesystem::exists(dir + "/" + file)) {
                std::fprintf(stderr, "generating the %s inputs in %s ...\n", group.what,
                             dir.c_str());
                group.write(dir);
                break;
            }
        }
    }
    return dir + "/" + name;
}

}  // namespace wexlan::io::bench
