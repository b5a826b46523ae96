#include "DataBuilders.h"

#include <vtkFieldData.h>
#include <vtkPointData.h>
#include <vtkStringArray.h>

#include <vtkTypeInt32Array.h>

namespace wexlan::io {

vtkSmartPointer<vtkPoints> MakePoints(GrowableArray<float>& xyz) {
    auto points = vtkSmartPointer<vtkPoints>::New();
    points->SetData(AdoptArray<vtkFloatArray>(xyz, 3, nullptr));
    return points;
}

vtkSmartPointer<vtkCellArray> MakeCells(GrowableArray<vtkIdType>& offsets,
                                        GrowableArray<vtkIdType>& connectivity) {
    auto cells = vtkSmartPointer<vtkCellArray>::New();
    if (offsets.Size() == 0) {
        offsets.PushBack(0);
    }
    auto off = AdoptArray<vtkIdTypeArray>(offsets, 1, nullptr);
    auto conn = AdoptArray<vtkIdTypeArray>(connectivity, 1, nullptr);
    cells->SetData(off.Get(), conn.Get());
    return cells;
}

vtkSmartPointer<vtkCellArray> MakeTriangles(GrowableArray<vtkIdType>& connectivity) {
    const std::size_t count = connectivity.Size() / 3;
    GrowableArray<vtkIdType> offsets;
    offsets.Resize(count + 1);
    for (std::size_t i = 0; i <= count; ++i) {
        offsets[i] = static_cast<vtkIdType>(3 * i);
    }
    return MakeCells(offsets, connectivity);
}

vtkSmartPointer<vtkCellArray> MakeVertexCells(vtkIdType pointCount) {
    if (pointCount >= (vtkIdType{1} << 31) - 1) {
        GrowableArray<vtkIdType> offsets;
        GrowableArray<vtkIdType> connectivity;
        offsets.Resize(static_cast<std::size_t>(pointCount) + 1);
        connectivity.Resize(static_cast<std::size_t>(pointCount));
        for (vtkIdType i = 0; i < pointCount; ++i) {
            offsets[i] = i;
            connectivity[i] = i;
        }
        offsets[pointCount] = pointCount;
        return MakeCells(offsets, connectivity);
    }
    // Point clouds have millions of vertices: 32-bit indices halve what is written.
    GrowableArray<vtkTypeInt32> offsets;
    GrowableArray<vtkTypeInt32> connectivity;
    const auto n = static_cast<vtkTypeInt32>(pointCount);
    offsets.Resize(static_cast<std::size_t>(n) + 1);
    connectivity.Resize(static_cast<std::size_t>(n));
    for (vtkTypeInt32 i = 0; i < n; ++i) {
        offsets[i] = i;
        connectivity[i] = i;
    }
    offsets[n] = n;
    auto cells = vtkSmartPointer<vtkCellArray>::New();
    auto off = AdoptArray<vtkTypeInt32Array>(offsets, 1, nullptr);
    auto conn = AdoptArray<vtkTypeInt32Array>(connectivity, 1, nullptr);
    cells->SetData(off.Get(), conn.Get());
    return cells;
}

vtkSmartPointer<vtkPolyData> MakePointSet(GrowableArray<float>& xyz) {
    const auto count = static_cast<vtkIdType>(xyz.Size() / 3);
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(xyz));
    poly->SetVerts(MakeVertexCells(count));
    return poly;
}

vtkSmartPointer<vtkPolyData> MakeMarkerList(GrowableArray<float>& xyz,
                                            const std::vector<std::string>& labels,
                                            const std::string& coordinateSystem) {
    auto poly = MakePointSet(xyz);
    auto labelArray = vtkSmartPointer<vtkStringArray>::New();
    labelArray->SetName("Label");
    labelArray->SetNumberOfValues(static_cast<vtkIdType>(labels.size()));
    for (std::size_t i = 0; i < labels.size(); ++i) {
        labelArray->SetValue(static_cast<vtkIdType>(i), labels[i]);
    }
    poly->GetPointData()->AddArray(labelArray);
    AddFieldText(poly, "CoordinateSystem", coordinateSystem);
    return poly;
}

void AddFieldText(vtkDataObject* data, const char* name, const std::string& value) {
    if (value.empty()) {
        return;
    }
    auto array = vtkSmartPointer<vtkStringArray>::New();
    array->SetName(name);
    array->InsertNextValue(value);
    data->GetFieldData()->AddArray(array);
}

}  // namespace wexlan::io
