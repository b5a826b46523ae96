#include "SampleWriters.h"

#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkMetaImageWriter.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>
#include <vtkXMLPolyDataWriter.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <stdexcept>

namespace wexlan::sample {

namespace {

std::ofstream Open(const std::string& path, bool binary) {
    std::ofstream out(path, binary ? std::ios::binary : std::ios::out);
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
    return out;
}

template <typename T>
void Put(std::ostream& out, T value) {
    out.write(reinterpret_cast<const char*>(&value), sizeof value);  // little-endian host
}

void Close(std::ofstream& out, const std::string& path) {
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + path);
    }
}

}  // namespace

void WriteBinaryStl(const std::string& path, const Mesh& mesh) {
    auto out = Open(path, true);
    std::string header = "VARQ sample surface";
    header.resize(80, ' ');
    out.write(header.data(), 80);
    Put(out, static_cast<std::uint32_t>(mesh.triangles.size()));
    for (const auto& t : mesh.triangles) {
        const Vec3 &a = mesh.points[t[0]], &b = mesh.points[t[1]], &c = mesh.points[t[2]];
        Vec3 n = {(b[1] - a[1]) * (c[2] - a[2]) - (b[2] - a[2]) * (c[1] - a[1]),
                  (b[2] - a[2]) * (c[0] - a[0]) - (b[0] - a[0]) * (c[2] - a[2]),
                  (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0])};
        const double len = std::max(1e-12, std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]));
        for (double v : n)
            Put(out, static_cast<float>(v / len));
        for (const Vec3* p : {&a, &b, &c}) {
            for (double v : *p)
                Put(out, static_cast<float>(v));
        }
        Put(out, std::uint16_t{0});
    }
    Close(out, path);
}

void WriteBinaryPly(const std::string& path, const Mesh& mesh) {
    auto out = Open(path, true);
    out << "ply\nformat binary_little_endian 1.0\ncomment VARQ sample surface\nelement vertex "
        << mesh.points.size() << "\nproperty float x\nproperty float y\nproperty float z\n"
        << "element face " << mesh.triangles.size()
        << "\nproperty list uchar int vertex_indices\nend_header\n";
    for (const Vec3& p : mesh.points) {
        for (double v : p)
            Put(out, static_cast<float>(v));
    }
    for (const auto& t : mesh.triangles) {
        Put(out, std::uint8_t{3});
        for (std::uint32_t i : t)
            Put(out, static_cast<std::int32_t>(i));
    }
    Close(out, path);
}

void WriteVtp(const std::string& path, const Mesh& mesh) {
    auto points = vtkSmartPointer<vtkPoints>::New();
    for (const Vec3& p : mesh.points)
        points->InsertNextPoint(p.data());
    auto polys = vtkSmartPointer<vtkCellArray>::New();
    for (const auto& t : mesh.triangles) {
        polys->InsertNextCell({vtkIdType(t[0]), vtkIdType(t[1]), vtkIdType(t[2])});
    }
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(points);
    poly->SetPolys(polys);
    auto writer = vtkSmartPointer<vtkXMLPolyDataWriter>::New();
    writer->SetInputData(poly);
    writer->SetFileName(path.c_str());
    if (writer->Write() != 1) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteFcsv(const std::string& path, const std::vector<Landmark>& landmarks) {
    auto out = Open(path, false);
    out << "# Markups fiducial file version = 4.11\n# CoordinateSystem = LPS\n"
        << "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n";
    out.precision(6);
    out << std::fixed;
    for (std::size_t i = 0; i < landmarks.size(); ++i) {
        const Landmark& m = landmarks[i];
        out << "vtkMRMLMarkupsFiducialNode_" << i << "," << m.position[0] << "," << m.position[1]
            << "," << m.position[2] << ",0,0,0,1,1,1,0," << m.label << ",,\n";
    }
    Close(out, path);
}

void WriteXyz(const std::string& path, const std::vector<Vec3>& points) {
    auto out = Open(path, false);
    out << "# VARQ sample surface scan: x y z in millimetres\n";
    out.precision(3);
    out << std::fixed;
    for (const Vec3& p : points)
        out << p[0] << ' ' << p[1] << ' ' << p[2] << '\n';
    Close(out, path);
}

void WritePcd(const std::string& path, const std::vector<Vec3>& points) {
    auto out = Open(path, true);
    out << "# .PCD v0.7 - Point Cloud Data file format\nVERSION 0.7\nFIELDS x y z rgb\n"
        << "SIZE 4 4 4 4\nTYPE F F F U\nCOUNT 1 1 1 1\nWIDTH " << points.size()
        << "\nHEIGHT 1\nVIEWPOINT 0 0 0 1 0 0 0\nPOINTS " << points.size() << "\nDATA binary\n";
    double zmin = 1e300, zmax = -1e300;
    for (const Vec3& p : points) {
        zmin = std::min(zmin, p[2]);
        zmax = std::max(zmax, p[2]);
    }
    for (const Vec3& p : points) {
        for (double v : p)
            Put(out, static_cast<float>(v));
        const double t = zmax > zmin ? (p[2] - zmin) / (zmax - zmin) : 0.5;
        const auto r = static_cast<std::uint32_t>(120 + 120 * t);
        const auto g = static_cast<std::uint32_t>(60 + 60 * t);
        const auto b = static_cast<std::uint32_t>(50);
        Put(out, (r << 16) | (g << 8) | b);
    }
    Close(out, path);
}

void WriteMha(const std::string& path, const Volume& volume) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(volume.nx, volume.ny, volume.nz);
    image->SetSpacing(volume.spacing[0], volume.spacing[1], volume.spacing[2]);
    image->SetOrigin(volume.origin[0], volume.origin[1], volume.origin[2]);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    std::memcpy(image->GetScalarPointer(), volume.values.data(), volume.values.size() * 2);
    auto writer = vtkSmartPointer<vtkMetaImageWriter>::New();
    writer->SetInputData(image);
    writer->SetFileName(path.c_str());
    writer->SetCompression(true);
    writer->Write();
    if (writer->GetErrorCode() != 0) {
        throw std::runtime_error("cannot write " + path);
    }
}

void WriteVq(const std::string& path, const Volume& volume) {
    std::string header(8192, '\0');
    const unsigned char signature[6] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};
    std::memcpy(header.data(), signature, 6);
    const auto put = [&header](std::size_t at, auto value) {
        std::memcpy(header.data() + at, &value, sizeof value);
    };
    put(6, std::int32_t{1});           // header value
    put(10, std::int32_t{1});          // file type
    put(14, std::int32_t{volume.ny});  // dimension 1: rows
    put(18, std::int32_t{volume.nx});  // dimension 2: columns
    put(22, std::int32_t{volume.nz});  // dimension 3: slices
    put(26, volume.spacing[1]);
    put(34, volume.spacing[0]);
    put(42, volume.spacing[2]);
    put(50, std::int32_t{32});  // data type: unsigned 32-bit voxels
    auto out = Open(path, true);
    out.write(header.data(), static_cast<std::streamsize>(header.size()));
    for (std::uint16_t v : volume.values)
        Put(out, static_cast<std::uint32_t>(v));
    Close(out, path);
}

}  // namespace wexlan::sample
