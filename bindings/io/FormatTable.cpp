#include "FormatTable.h"

#include <vtkDataSetReader.h>
#include <vtkImageData.h>
#include <vtkTIFFReader.h>
#include <vtkXMLImageDataReader.h>
#include <vtkXMLPolyDataReader.h>
#include <vtkXMLUnstructuredGridReader.h>

#include "ByuParser.h"
#include "DicomHeader.h"
#include "DicomReader.h"
#include "FcsvParser.h"
#include "GltfScene.h"
#include "LegacyVtkCheck.h"
#include "MappedFile.h"
#include "MarkupsJsonParser.h"
#include "MetaImageReader.h"
#include "NiftiReader.h"
#include "NrrdParser.h"
#include "ObjParser.h"
#include "OffParser.h"
#include "PcdParser.h"
#include "PickedPointsParser.h"
#include "PlyParser.h"
#include "StlParser.h"
#include "TextCursor.h"
#include "TiffCheck.h"
#include "VqParser.h"
#include "VtkReaderGuard.h"
#include "VtkXmlCheck.h"
#include "XyzParser.h"

namespace wexlan::io {

namespace {

// Own parsers: they read the mapped bytes.
template <typename Parser>
vtkSmartPointer<vtkDataSet> ReadMapped(const std::string& path) {
    MappedFile file(path);
    return Parser(file).Parse();
}

// Own parsers that open the file themselves (they read into their own buffers).
template <typename Parser>
vtkSmartPointer<vtkDataSet> ReadByPath(const std::string& path) {
    return Parser(path).Parse();
}

// VTK's readers, each behind its header check and the guard.
vtkSmartPointer<vtkDataSet> ReadLegacyVtk(const std::string& path) {
    {
        MappedFile file(path);
        CheckLegacyVtkFile(file);
    }
    auto reader = vtkSmartPointer<vtkDataSetReader>::New();
    reader->SetFileName(path.c_str());
    // Every array in the file, not just the first of each kind.
    reader->ReadAllScalarsOn();
    reader->ReadAllVectorsOn();
    reader->ReadAllNormalsOn();
    reader->ReadAllTensorsOn();
    reader->ReadAllColorScalarsOn();
    reader->ReadAllTCoordsOn();
    reader->ReadAllFieldsOn();
    return RunGuarded(reader, "VTK");
}

template <typename Reader>
vtkSmartPointer<vtkDataSet> ReadVtkXml(const std::string& path, const char* type) {
    {
        MappedFile file(path);
        CheckVtkXmlFile(file, type);
    }
    auto reader = vtkSmartPointer<Reader>::New();
    reader->SetFileName(path.c_str());
    return RunGuarded(reader, "VTK XML");
}

vtkSmartPointer<vtkDataSet> ReadVtp(const std::string& path) {
    return ReadVtkXml<vtkXMLPolyDataReader>(path, "PolyData");
}
vtkSmartPointer<vtkDataSet> ReadVtu(const std::string& path) {
    return ReadVtkXml<vtkXMLUnstructuredGridReader>(path, "UnstructuredGrid");
}
vtkSmartPointer<vtkDataSet> ReadVti(const std::string& path) {
    return ReadVtkXml<vtkXMLImageDataReader>(path, "ImageData");
}

vtkSmartPointer<vtkDataSet> ReadNii(const std::string& path) {
    return ReadNiftiFile(path, false);
}
vtkSmartPointer<vtkDataSet> ReadNiiGz(const std::string& path) {
    return ReadNiftiFile(path, true);
}

vtkSmartPointer<vtkDataSet> ReadTiff(const std::string& path) {
    const TiffMessages messages;  // libtiff would print on the terminal
    CheckTiffFile(path);
    auto reader = vtkSmartPointer<vtkTIFFReader>::New();
    reader->SetFileName(path.c_str());
    vtkSmartPointer<vtkDataSet> data = RunGuarded(reader, "TIFF");
    if (const std::string error = TiffMessages::FirstError(); !error.empty()) {
        Fail("the TIFF content is damaged: ", error);
    }
    return data;
}

vtkSmartPointer<vtkDataSet> ReadGltf(const std::string& path) {
    return ReadGltfScene(path);
}

vtkSmartPointer<vtkDataSet> ReadDicom(const std::string& path) {
    return ReadDicomVolume(path);
}

}  // namespace

const std::vector<FileFormat>& SupportedFormats() {
    static const std::vector<FileFormat> kFormats = {
        {"vtk", "VTK legacy data", ReadLegacyVtk, false},
        {"vtp", "VTK XML poly data", ReadVtp, false},
        {"stl", "Stereolithography surface", ReadMapped<StlParser>, false},
        {"obj", "Wavefront OBJ model", ReadMapped<ObjParser>, false},
        {"ply", "Stanford PLY polygon file", ReadMapped<PlyParser>, false},
        {"off", "Object File Format surface", ReadMapped<OffParser>, false},
        {"gltf", "glTF scene", ReadGltf, false},
        {"glb", "Binary glTF scene", ReadGltf, false},
        {"g", "BYU surface", ReadMapped<ByuParser>, false},
        {"fcsv", "Fiducial marker list", ReadMapped<FcsvParser>, true},
        {"mrk.json", "Markups JSON marker list", ReadMapped<MarkupsJsonParser>, true},
        {"pp", "MeshLab picked points", ReadMapped<PickedPointsParser>, true},
        {"xyz", "XYZ point cloud", ReadMapped<XyzParser>, false},
        {"pcd", "Point Cloud Data", ReadMapped<PcdParser>, false},
        {"dcm", "DICOM image or series", ReadDicom, false},
        {"mha", "MetaImage volume", ReadMetaImage, false},
        {"mhd", "MetaImage header with separate data", ReadMetaImage, false},
        {"vti", "VTK XML image data", ReadVti, false},
        {"nrrd", "NRRD volume", ReadByPath<NrrdParser>, false},
        {"nhdr", "NRRD header with separate data", ReadByPath<NrrdParser>, false},
        {"nii", "NIfTI volume", ReadNii, false},
        {"nii.gz", "Compressed NIfTI volume", ReadNiiGz, false},
        {"hdr", "Analyze or NIfTI header of a split image", ReadNiftiPairFiles, false},
        {"img", "Analyze or NIfTI data of a split image", ReadNiftiPairFiles, false},
        {"tif", "TIFF image stack", ReadTiff, false},
        {"tiff", "TIFF image stack", ReadTiff, false},
        {"vq", "VQ image volume", ReadByPath<VqParser>, false},
        {"vtu", "VTK XML unstructured grid", ReadVtu, false},
    };
    return kFormats;
}

const FileFormat& DicomFormat() {
    static const FileFormat& dicom = *FindFormat("series.dcm");
    return dicom;
}

const FileFormat* FindFormat(const std::string& path) {
    const std::string lower = ToLowerAscii(path);
    const FileFormat* best = nullptr;
    std::size_t bestLength = 0;
    for (const FileFormat& f : SupportedFormats()) {
        const std::string suffix = std::string(".") + f.extension;
        if (lower.size() > suffix.size() &&
            lower.compare(lower.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            suffix.size() > bestLength) {
            best = &f;
            bestLength = suffix.size();
        }
    }
    return best;
}

}  // namespace wexlan::io
