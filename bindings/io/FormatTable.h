#pragma once
// The formats the reader knows: extension, description, and the function that reads
// a file of that format. The order is the order of the open dialog's filter list.

#include <vtkDataSet.h>
#include <vtkSmartPointer.h>

#include <string>
#include <vector>

namespace wexlan::io {

/// Reads the file at `path`, or throws ReadError (or std::bad_alloc).
using ReadFunction = vtkSmartPointer<vtkDataSet> (*)(const std::string& path);

struct FileFormat {
    const char* extension;    ///< lower case, without the dot
    const char* description;  ///< for the open dialog and varq-inspect --formats
    ReadFunction read;
    bool markers;  ///< the content is a marker list (output type 32)
};

const std::vector<FileFormat>& SupportedFormats();

/// The format whose extension ends `path` (longest match, case ignored), or null.
const FileFormat* FindFormat(const std::string& path);

/// DICOM: also the format of files whose name does not tell (no extension, or a UID
/// as name) but whose content starts like DICOM.
const FileFormat& DicomFormat();

}  // namespace wexlan::io
