#pragma once
// Runs one of VTK's readers so that nothing it does can escape to the caller.
//
// VTK's readers report errors as events (or on the output window), may throw
// std::bad_alloc on damaged sizes, and return empty or inconsistent data without
// complaint. The guard turns all of that into a ReadError: it listens to the reader's
// error events, captures everything printed, catches exceptions, and checks the output
// (see CheckDataSet) before anyone uses it. The size checks that must happen before
// VTK opens the file are each format's own (the *HeaderCheck files).

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

class vtkAlgorithm;

namespace wexlan::io {

/// Updates `reader` (already given its file name) and returns a copy of its output
/// that does not depend on the reader. `formatName` ("VTK XML") appears in messages.
/// Throws ReadError on any failure.
vtkSmartPointer<vtkDataSet> RunGuarded(vtkAlgorithm* reader, const char* formatName);

/// The first half of RunGuarded, for readers whose output is not a single data set
/// (glTF scenes): updates `reader` and throws ReadError for anything it reported. The
/// caller checks the output.
void UpdateGuarded(vtkAlgorithm* reader, const char* formatName);

/// Throws ReadError if `data` is empty or inconsistent: no points, cell point indices
/// out of range, offsets that go backwards, arrays shorter than the points or cells
/// they describe, an image without values for every voxel.
void CheckDataSet(vtkDataSet* data);

}  // namespace wexlan::io
