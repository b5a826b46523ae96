#include "FormatTable.h"

#include <vtkDataSetReader.h>
#include <vtkImageData.h>
#include <vtkMetaImageReader.h>
#include <vtkNIFTIImageReader.h>
#include <vtkXMLImageDataReader.h>
#include <vtkXMLPolyDataReader.h>
#include <vtkXMLUnstructuredGridReader.h>

#include "FcsvParser.h"
#include "LegacyVtkCheck.h"
#include "MappedFile.h"
#include "MetaImageCheck.h"
#include "NiftiCheck.h"
#include "NrrdParser.h"
#include "ObjParser.h"
#include "OffParser.h"
#include "PcdParser.h"
#include "PlyParser.h"
#include "StlParser.h"
#include "TextCursor.h"
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

vtkSmartPointer<vtkDataSet> ReadMetaImage(const std::string& path) {
    CheckMetaImageFile(path);
    auto reader = vtkSmartPointer<vtkMetaImageReader>::New();
    reader->SetFileName(path.c_str());
    return RunGuarded(reader, "MetaImage");
}

vtkSmartPointer<vtkDataSet> ReadNifti(const std::string& path, bool compressed) {
    CheckNiftiFile(path, compressed);
    auto reader = vtkSmartPointer<vtkNIFTIImageReader>::New();
    reader->SetFileName(path.c_str());
    return RunGuarded(reader, "NIfTI");
}
vtkSmartPointer<vtkDataSet> ReadNii(const std::string& path) {
    return ReadNifti(path, false);
}
vtkSmartPointer<vtkDataSet> ReadNiiGz(const std::string& path) {
    return ReadNifti(path, true);
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
        {"fcsv", "Fiducial marker list", ReadMapped<FcsvParser>, true},
        {"xyz", "XYZ point cloud", ReadMapped<XyzParser>, false},
        {"pcd", "Point Cloud Data", ReadMapped<PcdParser>, false},
        {"mha", "MetaImage volume", ReadMetaImage, false},
        {"mhd", "MetaImage header with separate data", ReadMetaImage, false},
        {"vti", "VTK XML image data", ReadVti, false},
        {"nrrd", "NRRD volume", ReadByPath<NrrdParser>, false},
        {"nhdr", "NRRD header with separate data", ReadByPath<NrrdParser>, false},
        {"nii", "NIfTI volume", ReadNii, false},
        {"nii.gz", "Compressed NIfTI volume", ReadNiiGz, false},
        {"vq", "VQ image volume", ReadByPath<VqParser>, false},
        {"vtu", "VTK XML unstructured grid", ReadVtu, false},
    };
    return kFormats;
}

const FileFormat* FindFormat(const std::string& path) {
    const std::string lower = ToLower(path);
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
