#pragma once

#include <string>

#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTetra.h>
#include <vtkUnstructuredGrid.h>

#include "vtkTools.h"

// Small data files for controller tests, written with the common library.
namespace testdata {

inline std::string WriteTriangle(const std::string& path) {
    vtkNew<vtkPoints> points;
    points->InsertNextPoint(0, 0, 0);
    points->InsertNextPoint(1, 0, 0);
    points->InsertNextPoint(0, 1, 0);
    vtkNew<vtkCellArray> polys;
    const vtkIdType ids[3] = {0, 1, 2};
    polys->InsertNextCell(3, ids);
    vtkNew<vtkPolyData> mesh;
    mesh->SetPoints(points);
    mesh->SetPolys(polys);
    vtkTools::vtkSave(mesh, path);
    return path;
}

inline std::string WriteVolume(const std::string& path) {
    vtkNew<vtkImageData> image;
    image->SetDimensions(4, 4, 4);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    vtkTools::vtkSave(image, path);
    return path;
}

inline std::string WriteTetrahedron(const std::string& path) {
    vtkNew<vtkPoints> points;
    points->InsertNextPoint(0, 0, 0);
    points->InsertNextPoint(1, 0, 0);
    points->InsertNextPoint(0, 1, 0);
    points->InsertNextPoint(0, 0, 1);
    vtkNew<vtkUnstructuredGrid> grid;
    grid->SetPoints(points);
    const vtkIdType ids[4] = {0, 1, 2, 3};
    grid->InsertNextCell(VTK_TETRA, 4, ids);
    vtkTools::vtkSave(grid, path);
    return path;
}

}  // namespace testdata
