#include "GltfScene.h"

#include <vtkAppendPolyData.h>
#include <vtkDataObjectTreeIterator.h>
#include <vtkGLTFReader.h>
#include <vtkMultiBlockDataSet.h>

#include "GltfCheck.h"
#include "ReadError.h"
#include "VtkReaderGuard.h"

namespace wexlan::io {

vtkSmartPointer<vtkPolyData> ReadGltfScene(const std::string& path) {
    CheckGltfFile(path);
    auto reader = vtkSmartPointer<vtkGLTFReader>::New();
    reader->SetFileName(path.c_str());
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
