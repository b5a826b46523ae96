#include "VtkReaderGuard.h"

#include <vtkAlgorithm.h>
#include <vtkCallbackCommand.h>
#include <vtkCellArray.h>
#include <vtkCellData.h>
#include <vtkCommand.h>
#include <vtkDataArray.h>
#include <vtkIdTypeArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkPolyData.h>
#include <vtkUnsignedCharArray.h>
#include <vtkUnstructuredGrid.h>

#include <exception>
#include <new>
#include <string>
#include <vector>

#include "MappedFile.h"
#include "ReadError.h"
#include "ReadProgress.h"
#include "VtkMessageCapture.h"

namespace wexlan::io {

namespace {

void RecordMessage(vtkObject*, unsigned long, void* clientData, void* callData) {
    auto* errors = static_cast<std::vector<std::string>*>(clientData);
    errors->emplace_back(callData != nullptr ? static_cast<const char*>(callData)
                                             : "unspecified error");
}

// Offsets must start at 0, never decrease and end at the connectivity size; every
// point index must name an existing point. VTK's readers copy these from the file
// unchecked, and a renderer would follow them out of bounds.
struct CellArrayCheck {
    vtkIdType pointCount;
    const char* kind;

    template <typename State>
    void operator()(State& state) const {
        auto* offsets = state.GetOffsets();
        auto* connectivity = state.GetConnectivity();
        const vtkIdType cells = offsets->GetNumberOfValues() - 1;
        const vtkIdType size = connectivity->GetNumberOfValues();
        if (cells < 0) {
            return;
        }
        const auto* off = offsets->GetPointer(0);
        if (off[0] != 0 || off[cells] != size) {
            Fail("the ", kind, " list is inconsistent (cell sizes do not add up)");
        }
        for (vtkIdType i = 0; i < cells; ++i) {
            if (off[i + 1] < off[i]) {
                Fail("the ", kind, " list is inconsistent (cell ", i, " has a negative size)");
            }
        }
        const auto* ids = connectivity->GetPointer(0);
        for (vtkIdType i = 0; i < size; ++i) {
            if (ids[i] < 0 || ids[i] >= pointCount) {
                Fail("a cell of the ", kind, " list refers to point ", ids[i], " but the data has ",
                     pointCount, " points");
            }
        }
    }
};

void CheckCells(vtkCellArray* cells, vtkIdType pointCount, const char* kind) {
    if (cells == nullptr || cells->GetNumberOfCells() == 0) {
        return;
    }
    cells->Visit(CellArrayCheck{pointCount, kind});
}

void CheckArrays(vtkFieldData* fields, vtkIdType needed, const char* what) {
    for (int i = 0; i < fields->GetNumberOfArrays(); ++i) {
        vtkAbstractArray* array = fields->GetAbstractArray(i);
        if (array != nullptr && array->GetNumberOfTuples() < needed) {
            const char* name = array->GetName();
            Fail("the ", what, " array \"", name ? name : "", "\" has ", array->GetNumberOfTuples(),
                 " values for ", needed, " ", what, "s");
        }
    }
}

// Polyhedra list their faces in a separate stream: per cell, the face count, then per
// face its point count and point indices, starting where FaceLocations says.
void CheckPolyhedronFaces(vtkUnstructuredGrid* grid, vtkIdType cells, vtkIdType points) {
    vtkIdTypeArray* faces = grid->GetFaces();
    vtkIdTypeArray* locations = grid->GetFaceLocations();
    if (faces == nullptr || locations == nullptr) {
        return;
    }
    if (locations->GetNumberOfValues() < cells) {
        Fail("the polyhedron face list is inconsistent (too few face locations)");
    }
    const vtkIdType size = faces->GetNumberOfValues();
    const vtkIdType* f = faces->GetPointer(0);
    for (vtkIdType c = 0; c < cells; ++c) {
        vtkIdType at = locations->GetValue(c);
        if (at < 0) {
            continue;  // not a polyhedron
        }
        if (at >= size || f[at] < 0) {
            Fail("the polyhedron face list of cell ", c, " is inconsistent");
        }
        const vtkIdType faceCount = f[at++];
        for (vtkIdType k = 0; k < faceCount; ++k) {
            if (at >= size || f[at] < 0 || f[at] > size - at - 1) {
                Fail("the polyhedron face list of cell ", c, " is inconsistent");
            }
            const vtkIdType n = f[at++];
            for (vtkIdType j = 0; j < n; ++j, ++at) {
                if (f[at] < 0 || f[at] >= points) {
                    Fail("a polyhedron face refers to point ", f[at], " but the data has ", points,
                         " points");
                }
            }
        }
    }
}

// VTK's progress events cannot throw through VTK: a cancelled read asks the reader to
// stop (AbortExecute) and is reported as cancelled once Update() returns.
void ForwardProgress(vtkObject* caller, unsigned long, void* clientData, void* callData) {
    auto* progress = static_cast<ReadProgress*>(clientData);
    auto* reader = static_cast<vtkAlgorithm*>(caller);
    try {
        const double share = callData != nullptr ? *static_cast<double*>(callData) : 0.0;
        progress->Report(static_cast<std::uint64_t>(share * 1000.0), 1000);
    } catch (const ReadCancelled&) {
        reader->SetAbortExecute(1);
    }
}

}  // namespace

void CheckDataSet(vtkDataSet* data) {
    if (data == nullptr) {
        Fail("no data could be read");
    }
    const vtkIdType points = data->GetNumberOfPoints();
    if (points <= 0) {
        Fail("the file contains no points");
    }
    if (auto* image = vtkImageData::SafeDownCast(data)) {
        vtkDataArray* scalars = image->GetPointData()->GetScalars();
        if (scalars == nullptr || scalars->GetNumberOfTuples() != points) {
            Fail("the image has no values for its ", points, " voxels");
        }
    } else if (auto* poly = vtkPolyData::SafeDownCast(data)) {
        CheckCells(poly->GetVerts(), points, "vertex");
        CheckCells(poly->GetLines(), points, "line");
        CheckCells(poly->GetPolys(), points, "polygon");
        CheckCells(poly->GetStrips(), points, "triangle strip");
    } else if (auto* grid = vtkUnstructuredGrid::SafeDownCast(data)) {
        CheckCells(grid->GetCells(), points, "cell");
        vtkUnsignedCharArray* types = grid->GetCellTypesArray();
        const vtkIdType cells = grid->GetCells() ? grid->GetCells()->GetNumberOfCells() : 0;
        if (cells > 0 && (types == nullptr || types->GetNumberOfValues() != cells)) {
            Fail("the cell types do not match the ", cells, " cells");
        }
        CheckPolyhedronFaces(grid, cells, points);
    }
    CheckArrays(data->GetPointData(), points, "point");
    CheckArrays(data->GetCellData(), data->GetNumberOfCells(), "cell");
}

void UpdateGuarded(vtkAlgorithm* reader, const char* formatName) {
    VtkMessageCapture capture;
    std::vector<std::string> errors;
    auto observer = vtkSmartPointer<vtkCallbackCommand>::New();
    observer->SetCallback(RecordMessage);
    observer->SetClientData(&errors);
    std::vector<std::string> warnings;
    auto warningObserver = vtkSmartPointer<vtkCallbackCommand>::New();
    warningObserver->SetCallback(RecordMessage);
    warningObserver->SetClientData(&warnings);
    reader->AddObserver(vtkCommand::ErrorEvent, observer);
    reader->AddObserver(vtkCommand::WarningEvent, warningObserver);
    ReadProgress* const watched = ReadProgress::Current();
    ReadProgress* const progress = watched != nullptr && watched->Watched() ? watched : nullptr;
    auto progressObserver = vtkSmartPointer<vtkCallbackCommand>::New();
    if (progress != nullptr) {
        progressObserver->SetCallback(ForwardProgress);
        progressObserver->SetClientData(progress);
        reader->AddObserver(vtkCommand::ProgressEvent, progressObserver);
        progress->ThrowIfCancelled();
    }

    const MappedReadGuard mappedReads;
    try {
        reader->Update();
    } catch (const std::bad_alloc&) {
        Fail("not enough memory to read the file (its sizes may be damaged)");
    } catch (const std::exception& e) {
        Fail("the ", formatName, " reader failed (", e.what(), ")");
    } catch (...) {
        Fail("the ", formatName, " reader failed");
    }
    reader->RemoveObserver(observer);
    reader->RemoveObserver(warningObserver);
    reader->RemoveObserver(progressObserver);
    if (progress != nullptr) {
        // An aborted reader leaves partial data behind: it is never used.
        progress->ThrowIfCancelled();
    }
    mappedReads.ThrowIfFaulted();

    errors.insert(errors.end(), capture.Errors().begin(), capture.Errors().end());
    // The MetaImage library reports damaged data only on the standard streams
    // ("Uncompress failed") and lets VTK return garbage.
    if (const std::string printed = capture.StreamText(); !printed.empty()) {
        errors.push_back(printed);
    }
    // The legacy reader only warns when the data ends early; other warnings (unknown
    // information keys, newer file versions) leave the data intact.
    for (const std::string& w : warnings) {
        if (w.find("Error reading ascii data") != std::string::npos ||
            w.find("Error reading binary data") != std::string::npos) {
            errors.push_back(w);
        }
    }
    if (!errors.empty()) {
        Fail("the ", formatName,
             " content is damaged or not supported: ", CleanVtkMessage(errors.front()));
    }
}

vtkSmartPointer<vtkDataSet> RunGuarded(vtkAlgorithm* reader, const char* formatName) {
    UpdateGuarded(reader, formatName);
    auto* output = vtkDataSet::SafeDownCast(reader->GetOutputDataObject(0));
    if (output == nullptr) {
        Fail("the ", formatName, " reader produced no data");
    }
    vtkSmartPointer<vtkDataSet> copy;
    copy.TakeReference(output->NewInstance());
    copy->ShallowCopy(output);
    CheckDataSet(copy);
    return copy;
}

}  // namespace wexlan::io
