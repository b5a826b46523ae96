#include "MutationSeeds.h"

#include <vtkBYUWriter.h>
#include <vtkBase64Utilities.h>
#include <vtkCellArray.h>
#include <vtkCellType.h>
#include <vtkFloatArray.h>
#include <vtkGLTFWriter.h>
#include <vtkImageData.h>
#include <vtkMetaImageWriter.h>
#include <vtkMultiBlockDataSet.h>
#include <vtkNIFTIImageWriter.h>
#include <vtkPointData.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataWriter.h>
#include <vtkSmartPointer.h>
#include <vtkTIFFWriter.h>
#include <vtkUnstructuredGrid.h>
#include <vtkUnstructuredGridWriter.h>
#include <vtkXMLImageDataWriter.h>
#include <vtkXMLPolyDataWriter.h>
#include <vtkXMLUnstructuredGridWriter.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include <nlohmann/json.hpp>

#include "DicomWriting.h"
#include "FileBytes.h"
#include "VqWriter.h"

namespace wexlan::io::mutation {

namespace {

// An octahedron: 6 points, 8 triangles.
const float kPoints[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const int kTriangles[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                              {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};

// A point's coordinates as text, `separator` between them.
std::string Text(const float (&p)[3], const char* separator = " ") {
    std::ostringstream out;
    out << p[0] << separator << p[1] << separator << p[2];
    return out.str();
}

vtkSmartPointer<vtkPolyData> Octahedron() {
    auto points = vtkSmartPointer<vtkPoints>::New();
    auto normals = vtkSmartPointer<vtkFloatArray>::New();  // a unit sphere's: the points
    normals->SetName("Normals");
    normals->SetNumberOfComponents(3);
    for (const auto& p : kPoints) {
        points->InsertNextPoint(p[0], p[1], p[2]);
        normals->InsertNextTuple3(p[0], p[1], p[2]);
    }
    auto polys = vtkSmartPointer<vtkCellArray>::New();
    for (const auto& t : kTriangles)
        polys->InsertNextCell({t[0], t[1], t[2]});
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(points);
    poly->SetPolys(polys);
    poly->GetPointData()->SetNormals(normals);
    return poly;
}

vtkSmartPointer<vtkUnstructuredGrid> TwoTetrahedra() {
    auto grid = vtkSmartPointer<vtkUnstructuredGrid>::New();
    auto points = vtkSmartPointer<vtkPoints>::New();
    for (int i = 0; i < 5; ++i)
        points->InsertNextPoint(kPoints[i][0], kPoints[i][1], kPoints[i][2]);
    grid->SetPoints(points);
    const vtkIdType a[4] = {0, 2, 3, 4}, b[4] = {1, 2, 3, 4};
    grid->InsertNextCell(VTK_TETRA, 4, a);
    grid->InsertNextCell(VTK_TETRA, 4, b);
    return grid;
}

vtkSmartPointer<vtkImageData> Volume() {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(6, 5, 4);
    image->SetSpacing(0.5, 0.5, 1.0);
    image->AllocateScalars(VTK_SHORT, 1);
    auto* v = static_cast<short*>(image->GetScalarPointer());
    for (int i = 0; i < 120; ++i)
        v[i] = static_cast<short>(i * 7 - 300);
    return image;
}

// Writes `data` to `path` with a VTK writer; `mode` is the legacy file type or the XML data
// mode, `configure` sets anything else before the write.
template <typename Writer>
void WriteVtk(const std::string& path, vtkDataObject* data, int mode = -1,
              const std::function<void(Writer*)>& configure = {}) {
    auto writer = vtkSmartPointer<Writer>::New();
    writer->SetInputData(data);
    if constexpr (std::is_same_v<Writer, vtkBYUWriter>) {
        writer->SetGeometryFileName(path.c_str());
    } else {
        writer->SetFileName(path.c_str());
    }
    if constexpr (std::is_base_of_v<vtkDataWriter, Writer>) {
        writer->SetFileType(mode);
    } else if constexpr (std::is_base_of_v<vtkXMLWriter, Writer>) {
        writer->SetDataMode(mode);
    }
    if (configure) {
        configure(writer);
    }
    writer->Write();
}

std::string DecodeBase64(const std::string& text) {
    std::string out(text.size() * 3 / 4 + 3, '\0');
    out.resize(vtkBase64Utilities::DecodeSafely(
        reinterpret_cast<const unsigned char*>(text.data()), text.size(),
        reinterpret_cast<unsigned char*>(out.data()), out.size()));
    return out;
}

// The binary form of a glTF file whose buffers are embedded as base64: all of them
// become the one binary chunk.
std::string GlbFrom(const std::string& gltfPath) {
    std::ifstream in(gltfPath);
    nlohmann::json doc = nlohmann::json::parse(in);
    std::string bin;
    std::vector<std::size_t> starts;
    for (auto& buffer : doc["buffers"]) {
        const std::string uri = buffer["uri"].get<std::string>();
        starts.push_back(bin.size());
        bin += DecodeBase64(uri.substr(uri.find(',') + 1));
        bin.append((4 - bin.size() % 4) % 4, '\0');
    }
    for (auto& view : doc["bufferViews"]) {
        const auto b = view["buffer"].get<std::size_t>();
        view["byteOffset"] = view.value("byteOffset", 0) + starts[b];
        view["buffer"] = 0;
    }
    doc["buffers"] = nlohmann::json::array({{{"byteLength", bin.size()}}});
    std::string json = doc.dump();
    json.append((4 - json.size() % 4) % 4, ' ');
    const auto total = static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size());
    return "glTF" + Bytes<std::uint32_t>(2) + Bytes(total) + Bytes<std::uint32_t>(json.size()) +
           "JSON" + json + Bytes<std::uint32_t>(bin.size()) + std::string("BIN\0", 4) + bin;
}

// The seeds of one folder, in the order they are written.
struct Seeds {
    std::string folder;
    std::vector<SeedFile> files;
    // Registers `name`, which the caller writes, and returns its path.
    std::string Written(const std::string& name, std::vector<std::string> companions = {}) {
        files.push_back({name, folder + "/" + name, std::move(companions)});
        return files.back().path;
    }
    void Add(const std::string& name, const std::string& bytes,
             std::vector<std::string> companions = {}) {
        WriteFileBytes(Written(name, std::move(companions)), bytes);
    }
};

using test::DicomSlice;
using test::Pixels16;
using test::WriteDicom;

DicomSlice CtSlice(int k) {
    DicomSlice s;
    s.rows = 5;
    s.columns = 6;
    s.bitsStored = 12;
    std::vector<int> values;
    for (int i = 0; i < 30; ++i)
        values.push_back(1000 + 50 * k + i);
    s.pixels = Pixels16(values);
    s.position = std::array<double, 3>{-10, -10, 5.0 + 2.5 * k};
    s.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
    s.pixelSpacing = std::array<double, 2>{0.5, 0.5};
    s.intercept = -1024;
    s.slope = 1;
    s.instanceNumber = k + 1;
    return s;
}

// DICOM (a series, implicit and compressed files, an enhanced multi-frame file),
// markers of other tools, TIFF, split NIfTI, glTF and BYU.
void AddMedicalSeeds(Seeds& seeds) {
    const std::string& folder = seeds.folder;
    std::filesystem::create_directories(folder + "/series");
    for (int k : {0, 2}) {
        WriteDicom(folder + "/series/ct" + std::to_string(k) + ".dcm", CtSlice(k));
    }
    // The middle slice is damaged; its neighbours stay good beside it.
    WriteDicom(seeds.Written("series/ct1.dcm", {"series/ct0.dcm", "series/ct2.dcm"}), CtSlice(1));
    DicomSlice implicit = CtSlice(0);
    implicit.seriesUid += ".2";
    implicit.encoding = "implicit";
    WriteDicom(seeds.Written("implicit.dcm"), implicit);
    DicomSlice rle = CtSlice(1);
    rle.seriesUid += ".3";
    rle.encoding = "rle";
    WriteDicom(seeds.Written("rle.dcm"), rle);
    DicomSlice enhanced = CtSlice(0);
    enhanced.seriesUid += ".4";
    enhanced.sopClassUid = "1.2.840.10008.5.1.4.1.1.2.1";
    enhanced.frames = 3;
    enhanced.pixels = CtSlice(0).pixels + CtSlice(1).pixels + CtSlice(2).pixels;
    enhanced.framePositions = {{{0, 0, 4}}, {{0, 0, 2}}, {{0, 0, 0}}};
    enhanced.frameRescales = {{{1, -1024}}, {{1, -1024}}, {{2, -1024}}};
    WriteDicom(seeds.Written("enhanced.dcm"), enhanced);

    std::ostringstream json, pp;
    json << "{\"@schema\": \"markups-schema-v1.0.3.json#\",\n \"markups\": [{\"type\": "
            "\"Fiducial\", \"coordinateSystem\": \"LPS\",\n  \"controlPoints\": [\n";
    pp << "<!DOCTYPE PickedPoints>\n<PickedPoints>\n <DocumentData>\n  <DataFileName "
          "name=\"shape.ply\"/>\n </DocumentData>\n";
    for (int i = 0; i < 6; ++i) {
        const auto& p = kPoints[i];
        json << "   {\"id\": \"" << i << "\", \"label\": \"F-" << i << "\", \"position\": ["
             << Text(p, ", ") << "], \"positionStatus\": \"defined\"}" << (i < 5 ? ",\n" : "\n");
        pp << " <point x=\"" << p[0] << "\" y=\"" << p[1] << "\" z=\"" << p[2] << "\" name=\"P" << i
           << "\" active=\"1\"/>\n";
    }
    json << "  ]}]\n}\n";
    pp << "</PickedPoints>\n";
    seeds.Add("points.mrk.json", json.str());
    seeds.Add("points.pp", pp.str());

    // TIFF holds unsigned values: the volume shifted to start at 0.
    vtkSmartPointer<vtkImageData> unsignedVolume = vtkSmartPointer<vtkImageData>::New();
    unsignedVolume->SetDimensions(Volume()->GetDimensions());
    unsignedVolume->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* values = static_cast<unsigned short*>(unsignedVolume->GetScalarPointer());
    for (int i = 0; i < 120; ++i)
        values[i] = static_cast<unsigned short>(i * 7);
    WriteVtk<vtkTIFFWriter>(seeds.Written("stack.tif"), unsignedVolume);
    WriteVtk<vtkNIFTIImageWriter>(seeds.Written("pair.hdr", {"pair.img"}), Volume());
    seeds.Written("pair.img", {"pair.hdr"});
    // Analyze 7.5: the same header without the magic code.
    std::string analyze = ReadFileBytes(folder + "/pair.hdr");
    analyze.replace(344, 4, std::string(4, '\0'));
    WriteFileBytes(folder + "/analyze.img", ReadFileBytes(folder + "/pair.img"));
    WriteFileBytes(seeds.Written("analyze.hdr", {"analyze.img"}), analyze);

    auto inner = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    inner->SetBlock(0, Octahedron());
    auto scene = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    scene->SetBlock(0, inner);
    const std::string gltf = seeds.Written("scene.gltf");
    WriteVtk<vtkGLTFWriter>(gltf, scene, -1, [](auto* w) { w->InlineDataOn(); });
    seeds.Add("scene.glb", GlbFrom(gltf));
    WriteVtk<vtkBYUWriter>(seeds.Written("surface.g"), Octahedron());
}

}  // namespace

std::vector<SeedFile> WriteSeeds(const std::string& folder) {
    Seeds seeds{folder, {}};

    // STL, binary and ASCII.
    std::string stl = std::string("octahedron") + std::string(70, ' ') + Bytes<std::uint32_t>(8);
    std::ostringstream stlText;
    stlText << "solid octahedron\n";
    for (const auto& t : kTriangles) {
        stl += std::string(12, '\0');
        stlText << " facet normal 0 0 0\n  outer loop\n";
        for (int c : t) {
            for (float v : kPoints[c])
                stl += Bytes(v);
            stlText << "   vertex " << Text(kPoints[c]) << "\n";
        }
        stl += std::string(2, '\0');
        stlText << "  endloop\n endfacet\n";
    }
    stlText << "endsolid octahedron\n";
    seeds.Add("binary.stl", stl);
    seeds.Add("ascii.stl", stlText.str());

    // PLY, binary with normals and colours, and ASCII.
    std::string ply =
        "ply\nformat binary_little_endian 1.0\nelement vertex 6\nproperty float x\n"
        "property float y\nproperty float z\nproperty float nx\nproperty float ny\n"
        "property float nz\nproperty uchar red\nproperty uchar green\n"
        "property uchar blue\nelement face 8\nproperty list uchar int vertex_indices\n"
        "end_header\n";
    std::ostringstream plyText;
    plyText << "ply\nformat ascii 1.0\ncomment octahedron\nelement vertex 6\nproperty float x\n"
               "property float y\nproperty float z\nelement face 8\n"
               "property list uchar int vertex_indices\nend_header\n";
    for (const auto& p : kPoints) {
        for (float v : p)
            ply += Bytes(v);
        for (float v : p)
            ply += Bytes(v);
        ply += "\x80\x40\x20";
        plyText << Text(p) << "\n";
    }
    for (const auto& t : kTriangles) {
        ply += '\3';
        for (int c : t)
            ply += Bytes<std::int32_t>(c);
        plyText << "3 " << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    seeds.Add("binary.ply", ply);
    seeds.Add("ascii.ply", plyText.str());

    // OBJ, OFF, XYZ, FCSV.
    std::ostringstream obj, off, xyz, fcsv;
    obj << "# octahedron\no shape\n";
    off << "OFF\n# octahedron\n6 8 12\n";
    fcsv << "# Markups fiducial file version = 4.11\n# CoordinateSystem = LPS\n"
            "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n";
    int id = 0;
    for (const auto& p : kPoints) {
        obj << "v " << Text(p) << "\nvn " << Text(p) << "\n";
        off << Text(p) << "\n";
        xyz << Text(p) << " 200 100 50\n";
        fcsv << "m" << id << "," << Text(p, ",") << ",0,0,0,1,1,1,0,F-" << id << ",\"note, " << id
             << "\",\n";
        ++id;
    }
    for (const auto& t : kTriangles) {
        obj << "f " << t[0] + 1 << "//" << t[0] + 1 << " " << t[1] + 1 << "//" << t[1] + 1 << " -"
            << 6 - t[2] << "\n";
        off << "3 " << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    seeds.Add("shape.obj", obj.str());
    seeds.Add("shape.off", off.str());
    seeds.Add("cloud.xyz", "# x y z r g b\n" + xyz.str());
    seeds.Add("markers.fcsv", fcsv.str());

    // PCD, ASCII and binary.
    const std::string pcdHead =
        "# .PCD v0.7\nVERSION 0.7\nFIELDS x y z intensity\nSIZE 4 4 4 4\n"
        "TYPE F F F F\nCOUNT 1 1 1 1\nWIDTH 6\nHEIGHT 1\n"
        "VIEWPOINT 0 0 0 1 0 0 0\nPOINTS 6\n";
    std::string pcd = pcdHead + "DATA binary\n";
    std::ostringstream pcdText;
    pcdText << pcdHead << "DATA ascii\n";
    for (const auto& p : kPoints) {
        for (float v : p)
            pcd += Bytes(v);
        pcd += Bytes(1.5f);
        pcdText << Text(p) << " 1.5\n";
    }
    seeds.Add("binary.pcd", pcd);
    seeds.Add("ascii.pcd", pcdText.str());

    // VQ and NRRD (raw, gzip, detached).
    VqFile vq{{0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D}, 1, 1, {5, 6, 4}, {0.5, 0.5, 1.0}, 32, {}, 0};
    for (std::uint32_t i = 0; i < 120; ++i)
        vq.voxels.push_back(i * 1000);
    vq.Write(seeds.Written("volume.vq"));
    const std::string nrrdHead =
        "NRRD0004\n# small volume\ntype: int16\ndimension: 3\nsizes: 6 5 4\n"
        "space: left-posterior-superior\n"
        "space directions: (0.5,0,0) (0,0.5,0) (0,0,1)\n"
        "space origin: (-10,-10,5)\nendian: little\n";
    std::string shorts;
    for (int i = 0; i < 120; ++i)
        shorts += Bytes<std::int16_t>(static_cast<std::int16_t>(i * 7 - 300));
    seeds.Add("raw.nrrd", nrrdHead + "encoding: raw\n\n" + shorts);
    seeds.Add("gzip.nrrd", nrrdHead + "encoding: gzip\n\n" + Gzip(shorts));
    WriteFileBytes(folder + "/detached.raw", shorts);
    seeds.Add("detached.nhdr", nrrdHead + "encoding: raw\ndata file: detached.raw\n",
              {"detached.raw"});

    // VTK's own formats, written by VTK.
    WriteVtk<vtkPolyDataWriter>(seeds.Written("ascii.vtk"), Octahedron(), VTK_ASCII);
    WriteVtk<vtkPolyDataWriter>(seeds.Written("binary.vtk"), Octahedron(), VTK_BINARY);
    WriteVtk<vtkUnstructuredGridWriter>(seeds.Written("grid.vtk"), TwoTetrahedra(), VTK_ASCII);
    WriteVtk<vtkXMLPolyDataWriter>(seeds.Written("ascii.vtp"), Octahedron(), vtkXMLWriter::Ascii);
    WriteVtk<vtkXMLPolyDataWriter>(seeds.Written("appended.vtp"), Octahedron(),
                                   vtkXMLWriter::Appended);
    WriteVtk<vtkXMLUnstructuredGridWriter>(seeds.Written("grid.vtu"), TwoTetrahedra(),
                                           vtkXMLWriter::Binary);
    WriteVtk<vtkXMLImageDataWriter>(seeds.Written("volume.vti"), Volume(), vtkXMLWriter::Binary);
    for (const char* name : {"volume.mha", "packed.mha", "volume.mhd"}) {
        WriteVtk<vtkMetaImageWriter>(seeds.Written(name), Volume(), -1, [&](auto* w) {
            w->SetCompression(name[0] == 'p');
            if (std::string(name) == "volume.mhd") {
                w->SetRAWFileName((folder + "/volume.raw").c_str());
                seeds.files.back().companions.push_back("volume.raw");
            }
        });
    }
    // MetaImage data in one file per slice: listed, and numbered by a pattern.
    const std::string metaHead =
        "ObjectType = Image\nNDims = 3\nDimSize = 6 5 4\n"
        "ElementSpacing = 0.5 0.5 1\nElementType = MET_SHORT\n";
    std::string list;
    std::vector<std::string> sliceFiles;
    for (int k = 0; k < 4; ++k) {
        const std::string name = "slice" + std::to_string(k + 1) + ".raw";
        WriteFileBytes(folder + "/" + name, shorts.substr(60 * k, 60));
        list += name + "\n";
        sliceFiles.push_back(name);
    }
    seeds.Add("list.mhd", metaHead + "ElementDataFile = LIST 2D\n" + list, sliceFiles);
    seeds.Add("numbered.mhd", metaHead + "ElementDataFile = slice%d.raw 1 4 1\n", sliceFiles);
    WriteVtk<vtkNIFTIImageWriter>(seeds.Written("volume.nii"), Volume());
    WriteVtk<vtkNIFTIImageWriter>(seeds.Written("volume.nii.gz"), Volume());
    // NIfTI-2 whose slices run against the qform (qfac -1): read in reverse.
    WriteVtk<vtkNIFTIImageWriter>(seeds.Written("flipped2.nii"), Volume(), -1, [](auto* w) {
        w->SetNIFTIVersion(2);
        w->SetQFac(-1);
    });
    AddMedicalSeeds(seeds);
    return seeds.files;
}

}  // namespace wexlan::io::mutation
