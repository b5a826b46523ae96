#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include <vtkCellArray.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkTetra.h>
#include <vtkUnstructuredGrid.h>

#include "AppFolder.h"
#include "ScriptedPrompts.h"
#include "vtkTools.h"

// Small data files for controller tests, written with the common library.
namespace testdata {

// The bytes of the file at `path`; empty when it cannot be read.
inline std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

inline vtkNew<vtkPoints> Corners(int count) {
    const double corners[4][3] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    vtkNew<vtkPoints> points;
    for (int i = 0; i < count; ++i) {
        points->InsertNextPoint(corners[i]);
    }
    return points;
}

inline std::string WriteTriangle(const std::string& path) {
    vtkNew<vtkCellArray> polys;
    polys->InsertNextCell({0, 1, 2});
    vtkNew<vtkPolyData> mesh;
    mesh->SetPoints(Corners(3));
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
    vtkNew<vtkUnstructuredGrid> grid;
    grid->SetPoints(Corners(4));
    const vtkIdType ids[4] = {0, 1, 2, 3};
    grid->InsertNextCell(VTK_TETRA, 4, ids);
    vtkTools::vtkSave(grid, path);
    return path;
}

// A test with its own application folder, a data folder in it, and scripted prompts.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(m_app.Root() + "/data"); }
    std::string Data(const std::string& name) const { return m_app.Root() + "/data/" + name; }

    AppFolder m_app;
    wexlan::ScopedScriptedPrompts m_prompts;
};

}  // namespace testdata
