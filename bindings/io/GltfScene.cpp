#include "GltfScene.h"

#include <vtkAppendPolyData.h>
#include <vtkDataObjectTreeIterator.h>
#include <vtkGLTFReader.h>
#include <vtkMultiBlockDataSet.h>

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "GltfCheck.h"
#include "ReadError.h"
#include "VtkReaderGuard.h"

namespace wexlan::io {

namespace {

// The copy of the scene VTK's reader reads, removed when the read is over.
class TemporaryGlb {
public:
    TemporaryGlb() {
        m_path = (std::filesystem::temp_directory_path() / "wexlan-scene-XXXXXX.glb").string();
        const int fd = ::mkstemps(m_path.data(), 4);
        if (fd < 0) {
            Fail("a copy of the scene for VTK's reader cannot be made (", std::strerror(errno),
                 ")");
        }
        ::close(fd);
    }
    ~TemporaryGlb() { ::unlink(m_path.c_str()); }
    TemporaryGlb(const TemporaryGlb&) = delete;
    TemporaryGlb& operator=(const TemporaryGlb&) = delete;

    const std::string& Path() const { return m_path; }

private:
    std::string m_path;
};

}  // namespace

vtkSmartPointer<vtkPolyData> ReadGltfScene(const std::string& path) {
    const TemporaryGlb copy;
    CheckGltfFile(path, copy.Path());
    auto reader = vtkSmartPointer<vtkGLTFReader>::New();
    reader->SetFileName(copy.Path().c_str());
    UpdateGuarded(reader, "glTF");
    vtkMultiBlockDataSet* scene = reader->GetOutput();
    if (scene == nullptr) {
        Fail("the glTF reader produced no data");
    }
    auto append = vtkSmartPointer<vtkAppendPolyData>::New();
    auto leaves = vtkSmartPointer<vtkDataObjectTreeIterator>::New();
    leaves->SetDataSet(scene);
    leaves->VisitOnlyLeavesOn();
    int meshes = 0;
    for (leaves->InitTraversal(); !leaves->IsDoneWithTraversal(); leaves->GoToNextItem()) {
        auto* mesh = vtkPolyData::SafeDownCast(leaves->GetCurrentDataObject());
        if (mesh == nullptr || mesh->GetNumberOfPoints() == 0) {
            continue;
        }
        CheckDataSet(mesh);  // before appending follows its indices
        append->AddInputData(mesh);
        ++meshes;
    }
    if (meshes == 0) {
        Fail("the glTF scene contains no mesh with points");
    }
    UpdateGuarded(append, "glTF");
    auto surface = vtkSmartPointer<vtkPolyData>::New();
    surface->ShallowCopy(append->GetOutput());
    CheckDataSet(surface);
    return surface;
}

}  // namespace wexlan::io
