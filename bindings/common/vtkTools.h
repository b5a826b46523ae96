#pragma once

#include <string>

#include "wexlancommon_export.h"

class vtkDataSet;

/// VTK helpers of the common library.
class WEXLANCOMMON_EXPORT vtkTools {
public:
    vtkTools() = delete;

    /// Writes `data` to `path`, the format chosen by the file extension (compared
    /// ignoring case):
    ///
    /// | extension | format                          | data sets it holds   |
    /// |-----------|---------------------------------|----------------------|
    /// | .vtk      | VTK legacy, binary              | any vtkDataSet       |
    /// | .vtp      | VTK XML poly data               | vtkPolyData          |
    /// | .vtu      | VTK XML unstructured grid       | vtkUnstructuredGrid  |
    /// | .vti      | VTK XML image data              | vtkImageData         |
    /// | .vts      | VTK XML structured grid         | vtkStructuredGrid    |
    /// | .vtr      | VTK XML rectilinear grid        | vtkRectilinearGrid   |
    ///
    /// The file is replaced atomically (written beside the target, then renamed over
    /// it): an existing file is either left intact or replaced whole.
    ///
    /// @param data  not taken over; the caller keeps its reference.
    /// @return true when the file was written. False, writing nothing and leaving any
    ///         existing file intact, for: null data, an empty path, an unknown
    ///         extension, a data set that the format cannot hold, a writer error, or
    ///         a path that cannot be written. VTK's error messages are caught and
    ///         never reach the terminal.
    static bool vtkSave(vtkDataSet* data, const std::string& path);

    /// The same, with `reason` set on failure to a short reason that reads after the
    /// path ("cannot hold this data set in the format of its extension", or
    /// wAtomicWrite's reason, e.g. "cannot be written (its folder does not exist)").
    static bool vtkSave(vtkDataSet* data, const std::string& path, std::string& reason);
};
