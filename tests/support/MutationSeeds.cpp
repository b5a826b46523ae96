#include "Gzip.h"
#include "MutationSeeds.h"

#include <vtkBYUWriter.h>
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

#include <zlib.h>

#include <filesystem>

#include <nlohmann/json.hpp>
#include "DicomWriting.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

namespace wexlan::io::mutation {

namespace {

template <typename T>
std::string Le(T value) {
    std::string out(sizeof(T), '\0');
    std::memcpy(out.data(), &value, sizeof(T));
    return out;
}

void Save(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// An octahedron: 6 points, 8 triangles.
const float kPoints[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
const int kTriangles[8][3] = {{0, 2, 4}, {2, 1, 4}, {1, 3, 4}, {3, 0, 4},
                              {2, 0, 5}, {1, 2, 5}, {3, 1, 5}, {0, 3, 5}};

vtkSmartPointer<vtkPolyData> Octahedron() {
    auto points = vtkSmartPointer<vtkPoints>::New();
    for (const auto& p : kPoints)
        points->InsertNextPoint(p[0], p[1], p[2]);
    auto polys = vtkSmartPointer<vtkCellArray>::New();
    for (const auto& t : kTriangles)
        polys->InsertNextCell({t[0], t[1], t[2]});
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(points);
    poly->SetPolys(polys);
    auto normals = vtkSmartPointer<vtkFloatArray>::New();
    normals->SetName("Normals");
    normals->SetNumberOfComponents(3);
    for (const auto& p : kPoints)
        normals->InsertNextTuple3(p[0], p[1], p[2]);
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

template <typename Writer, typename Data>
void WriteVtk(const std::string& path, Data* data, int mode) {
    auto writer = vtkSmartPointer<Writer>::New();
    writer->SetInputData(data);
    writer->SetFileName(path.c_str());
    if constexpr (std::is_base_of_v<vtkDataWriter, Writer>) {
        writer->SetFileType(mode);
    } else {
        writer->SetDataMode(mode);
    }
    writer->Write();
}

std::string DecodeBase64(const std::string& text) {
    std::string out;
    std::uint32_t bits = 0;
    int count = 0;
    for (char c : text) {
        const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        const char* at = std::strchr(digits, c);
        if (c == '=' || at == nullptr || c == '\0')
            break;
        bits = bits << 6 | static_cast<std::uint32_t>(at - digits);
        if ((count += 6) >= 8) {
            count -= 8;
            out += static_cast<char>((bits >> count) & 0xFF);
        }
    }
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
    return "glTF" + Le<std::uint32_t>(2) + Le(total) + Le<std::uint32_t>(json.size()) + "JSON" +
           json + Le<std::uint32_t>(bin.size()) + std::string("BIN\0", 4) + bin;
}

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
void AddMedicalSeeds(const std::string& folder, std::vector<SeedFile>& seeds) {
    std::filesystem::create_directories(folder + "/series");
    for (int k = 0; k < 3; ++k) {
        WriteDicom(folder + "/series/ct" + std::to_string(k) + ".dcm", CtSlice(k));
    }
    // The middle slice is damaged; its neighbours stay good beside it.
    seeds.push_back(
        {"series/ct1.dcm", folder + "/series/ct1.dcm", {"series/ct0.dcm", "series/ct2.dcm"}});
    DicomSlice implicit = CtSlice(0);
    implicit.seriesUid += ".2";
    implicit.encoding = "implicit";
    WriteDicom(folder + "/implicit.dcm", implicit);
    seeds.push_back({"implicit.dcm", folder + "/implicit.dcm", {}});
    DicomSlice rle = CtSlice(1);
    rle.seriesUid += ".3";
    rle.encoding = "rle";
    WriteDicom(folder + "/rle.dcm", rle);
    seeds.push_back({"rle.dcm", folder + "/rle.dcm", {}});
    DicomSlice enhanced = CtSlice(0);
    enhanced.seriesUid += ".4";
    enhanced.sopClassUid = "1.2.840.10008.5.1.4.1.1.2.1";
    enhanced.frames = 3;
    enhanced.pixels = CtSlice(0).pixels + CtSlice(1).pixels + CtSlice(2).pixels;
    enhanced.framePositions = {{{0, 0, 4}}, {{0, 0, 2}}, {{0, 0, 0}}};
    enhanced.frameRescales = {{{1, -1024}}, {{1, -1024}}, {{2, -1024}}};
    WriteDicom(folder + "/enhanced.dcm", enhanced);
    seeds.push_back({"enhanced.dcm", folder + "/enhanced.dcm", {}});

    std::ostringstream json, pp;
    json << "{\"@schema\": \"markups-schema-v1.0.3.json#\",\n \"markups\": [{\"type\": "
            "\"Fiducial\", \"coordinateSystem\": \"LPS\",\n  \"controlPoints\": [\n";
    pp << "<!DOCTYPE PickedPoints>\n<PickedPoints>\n <DocumentData>\n  <DataFileName "
          "name=\"shape.ply\"/>\n </DocumentData>\n";
    for (int i = 0; i < 6; ++i) {
        const auto& p = kPoints[i];
        json << "   {\"id\": \"" << i << "\", \"label\": \"F-" << i << "\", \"position\": [" << p[0]
             << ", " << p[1] << ", " << p[2] << "], \"positionStatus\": \"defined\"}"
             << (i < 5 ? ",\n" : "\n");
        pp << " <point x=\"" << p[0] << "\" y=\"" << p[1] << "\" z=\"" << p[2] << "\" name=\"P" << i
           << "\" active=\"1\"/>\n";
    }
    json << "  ]}]\n}\n";
    pp << "</PickedPoints>\n";
    Save(folder + "/points.mrk.json", json.str());
    seeds.push_back({"points.mrk.json", folder + "/points.mrk.json", {}});
    Save(folder + "/points.pp", pp.str());
    seeds.push_back({"points.pp", folder + "/points.pp", {}});

    // TIFF holds unsigned values: the volume shifted to start at 0.
    vtkSmartPointer<vtkImageData> unsignedVolume = vtkSmartPointer<vtkImageData>::New();
    unsignedVolume->SetDimensions(Volume()->GetDimensions());
    unsignedVolume->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* values = static_cast<unsigned short*>(unsignedVolume->GetScalarPointer());
    for (int i = 0; i < 120; ++i)
        values[i] = static_cast<unsigned short>(i * 7);
    auto tiff = vtkSmartPointer<vtkTIFFWriter>::New();
    tiff->SetInputData(unsignedVolume);
    tiff->SetFileName((folder + "/stack.tif").c_str());
    tiff->Write();
    seeds.push_back({"stack.tif", folder + "/stack.tif", {}});
    auto pair = vtkSmartPointer<vtkNIFTIImageWriter>::New();
    pair->SetInputData(Volume());
    pair->SetFileName((folder + "/pair.hdr").c_str());
    pair->Write();
    seeds.push_back({"pair.hdr", folder + "/pair.hdr", {"pair.img"}});
    seeds.push_back({"pair.img", folder + "/pair.img", {"pair.hdr"}});
    // Analyze 7.5: the same header without the magic code.
    std::string analyze = Load(folder + "/pair.hdr");
    analyze.replace(344, 4, std::string(4, '\0'));
    Save(folder + "/analyze.hdr", analyze);
    Save(folder + "/analyze.img", Load(folder + "/pair.img"));
    seeds.push_back({"analyze.hdr", folder + "/analyze.hdr", {"analyze.img"}});

    auto inner = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    inner->SetBlock(0, Octahedron());
    auto scene = vtkSmartPointer<vtkMultiBlockDataSet>::New();
    scene->SetBlock(0, inner);
    auto gltf = vtkSmartPointer<vtkGLTFWriter>::New();
    gltf->SetInputData(scene);
    gltf->SetFileName((folder + "/scene.gltf").c_str());
    gltf->InlineDataOn();
    gltf->Write();
    seeds.push_back({"scene.gltf", folder + "/scene.gltf", {}});
    seeds.push_back({"scene.glb", folder + "/scene.glb", {}});
    Save(folder + "/scene.glb", GlbFrom(folder + "/scene.gltf"));
    auto byu = vtkSmartPointer<vtkBYUWriter>::New();
    byu->SetInputData(Octahedron());
    byu->SetGeometryFileName((folder + "/surface.g").c_str());
    byu->Write();
    seeds.push_back({"surface.g", folder + "/surface.g", {}});
}

}  // namespace

std::vector<SeedFile> WriteSeeds(const std::string& folder) {
    std::vector<SeedFile> seeds;
    const auto add = [&](const std::string& name, const std::string& bytes) {
        Save(folder + "/" + name, bytes);
        seeds.push_back({name, folder + "/" + name, {}});
    };
    const auto addWritten = [&](const std::string& name) {
        seeds.push_back({name, folder + "/" + name, {}});
        return folder + "/" + name;
    };

    // STL, binary and ASCII.
    std::string stl = std::string("octahedron") + std::string(70, ' ') + Le<std::uint32_t>(8);
    std::ostringstream stlText;
    stlText << "solid octahedron\n";
    for (const auto& t : kTriangles) {
        stl += std::string(12, '\0');
        stlText << " facet normal 0 0 0\n  outer loop\n";
        for (int c : t) {
            for (float v : kPoints[c])
                stl += Le(v);
            stlText << "   vertex " << kPoints[c][0] << " " << kPoints[c][1] << " " << kPoints[c][2]
                    << "\n";
        }
        stl += std::string(2, '\0');
        stlText << "  endloop\n endfacet\n";
    }
    stlText << "endsolid octahedron\n";
    add("binary.stl", stl);
    add("ascii.stl", stlText.str());

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
            ply += Le(v);
        for (float v : p)
            ply += Le(v);
        ply += "\x80\x40\x20";
        plyText << p[0] << " " << p[1] << " " << p[2] << "\n";
    }
    for (const auto& t : kTriangles) {
        ply += '\3';
        for (int c : t)
            ply += Le<std::int32_t>(c);
        plyText << "3 " << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    add("binary.ply", ply);
    add("ascii.ply", plyText.str());

    // OBJ, OFF, XYZ, FCSV.
    std::ostringstream obj, off, xyz, fcsv;
    obj << "# octahedron\no shape\n";
    off << "OFF\n# octahedron\n6 8 12\n";
    fcsv << "# Markups fiducial file version = 4.11\n# CoordinateSystem = LPS\n"
            "# columns = id,x,y,z,ow,ox,oy,oz,vis,sel,lock,label,desc,associatedNodeID\n";
    int id = 0;
    for (const auto& p : kPoints) {
        obj << "v " << p[0] << " " << p[1] << " " << p[2] << "\nvn " << p[0] << " " << p[1] << " "
            << p[2] << "\n";
        off << p[0] << " " << p[1] << " " << p[2] << "\n";
        xyz << p[0] << " " << p[1] << " " << p[2] << " 200 100 50\n";
        fcsv << "m" << id << "," << p[0] << "," << p[1] << "," << p[2] << ",0,0,0,1,1,1,0,F-" << id
             << ",\"note, " << id << "\",\n";
        ++id;
    }
    for (const auto& t : kTriangles) {
        obj << "f " << t[0] + 1 << "//" << t[0] + 1 << " " << t[1] + 1 << "//" << t[1] + 1 << " -"
            << 6 - t[2] << "\n";
        off << "3 " << t[0] << " " << t[1] << " " << t[2] << "\n";
    }
    add("shape.obj", obj.str());
    add("shape.off", off.str());
    add("cloud.xyz", "# x y z r g b\n" + xyz.str());
    add("markers.fcsv", fcsv.str());

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
            pcd += Le(v);
        pcd += Le(1.5f);
        pcdText << p[0] << " " << p[1] << " " << p[2] << " 1.5\n";
    }
    add("binary.pcd", pcd);
    add("ascii.pcd", pcdText.str());

    // VQ and NRRD (raw, gzip, detached).
    std::string vq(8192, '\0');
    const char signature[] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};
    std::memcpy(vq.data(), signature, 6);
    const auto put = [&vq](std::size_t at, const std::string& b) { vq.replace(at, b.size(), b); };
    put(6, Le<std::int32_t>(1));
    put(10, Le<std::int32_t>(1));
    put(14, Le<std::int32_t>(5));
    put(18, Le<std::int32_t>(6));
    put(22, Le<std::int32_t>(4));
    put(26, Le(0.5));
    put(34, Le(0.5));
    put(42, Le(1.0));
    put(50, Le<std::int32_t>(32));
    std::string voxels;
    for (std::uint32_t i = 0; i < 120; ++i)
        voxels += Le<std::uint32_t>(i * 1000);
    add("volume.vq", vq + voxels);
    const std::string nrrdHead =
        "NRRD0004\n# small volume\ntype: int16\ndimension: 3\nsizes: 6 5 4\n"
        "space: left-posterior-superior\n"
        "space directions: (0.5,0,0) (0,0.5,0) (0,0,1)\n"
        "space origin: (-10,-10,5)\nendian: little\n";
    std::string shorts;
    for (int i = 0; i < 120; ++i)
        shorts += Le<std::int16_t>(static_cast<std::int16_t>(i * 7 - 300));
    add("raw.nrrd", nrrdHead + "encoding: raw\n\n" + shorts);
    add("gzip.nrrd", nrrdHead + "encoding: gzip\n\n" + Gzip(shorts));
    Save(folder + "/detached.raw", shorts);
    add("detached.nhdr", nrrdHead + "encoding: raw\ndata file: detached.raw\n");
    seeds.back().companions.push_back("detached.raw");

    // VTK's own formats, written by VTK.
    WriteVtk<vtkPolyDataWriter>(addWritten("ascii.vtk"), Octahedron().Get(), VTK_ASCII);
    WriteVtk<vtkPolyDataWriter>(addWritten("binary.vtk"), Octahedron().Get(), VTK_BINARY);
    WriteVtk<vtkUnstructuredGridWriter>(addWritten("grid.vtk"), TwoTetrahedra().Get(), VTK_ASCII);
    WriteVtk<vtkXMLPolyDataWriter>(addWritten("ascii.vtp"), Octahedron().Get(),
                                   vtkXMLWriter::Ascii);
    WriteVtk<vtkXMLPolyDataWriter>(addWritten("appended.vtp"), Octahedron().Get(),
                                   vtkXMLWriter::Appended);
    WriteVtk<vtkXMLUnstructuredGridWriter>(addWritten("grid.vtu"), TwoTetrahedra().Get(),
                                           vtkXMLWriter::Binary);
    WriteVtk<vtkXMLImageDataWriter>(addWritten("volume.vti"), Volume().Get(), vtkXMLWriter::Binary);
    for (bool compressed : {false, true}) {
        auto writer = vtkSmartPointer<vtkMetaImageWriter>::New();
        writer->SetInputData(Volume());
        writer->SetFileName(addWritten(compressed ? "packed.mha" : "volume.mha").c_str());
        writer->SetCompression(compressed);
        writer->Write();
    }
    {
        auto writer = vtkSmartPointer<vtkMetaImageWriter>::New();
        writer->SetInputData(Volume());
        writer->SetFileName(addWritten("volume.mhd").c_str());
        writer->SetRAWFileName((folder + "/volume.raw").c_str());
        writer->SetCompression(false);
        writer->Write();
        seeds.back().companions.push_back("volume.raw");
    }
    // MetaImage data in one file per slice: listed, and numbered by a pattern.
    const std::string metaHead = "ObjectType = Image\nNDims = 3\nDimSize = 6 5 4\n"
                                 "ElementSpacing = 0.5 0.5 1\nElementType = MET_SHORT\n";
    std::string list;
    std::vector<std::string> sliceFiles;
    for (int k = 0; k < 4; ++k) {
        const std::string name = "slice" + std::to_string(k + 1) + ".raw";
        Save(folder + "/" + name, shorts.substr(60 * k, 60));
        list += name + "\n";
        sliceFiles.push_back(name);
    }
    add("list.mhd", metaHead + "ElementDataFile = LIST 2D\n" + list);
    seeds.back().companions = sliceFiles;
    add("numbered.mhd", metaHead + "ElementDataFile = slice%d.raw 1 4 1\n");
    seeds.back().companions = sliceFiles;
    for (const char* name : {"volume.nii", "volume.nii.gz", "flipped2.nii"}) {
        auto writer = vtkSmartPointer<vtkNIFTIImageWriter>::New();
        writer->SetInputData(Volume());
        writer->SetFileName(addWritten(name).c_str());
        if (name[0] == 'f') {
            // NIfTI-2 whose slices run against the qform (qfac -1): read in reverse.
            writer->SetNIFTIVersion(2);
            writer->SetQFac(-1);
        }
        writer->Write();
    }
    AddMedicalSeeds(folder, seeds);
    return seeds;
}

}  // namespace wexlan::io::mutation
