#pragma once

#include <string>
#include <vector>

#include "wexlancp_export.h"

class wFileReader;

/// Filter texts of the open and save dialogs, in the form
/// "description|pattern|description|pattern|...|": every element ends with
/// "|", patterns are "*." extensions separated by ";".
namespace wexlan {

/// One file format a reader offers.
struct FileFormat {
    std::string description;
    std::string extension;  ///< without the dot, e.g. "nii.gz"
};

/// The formats `reader` supports, in its order.
WEXLANCP_EXPORT std::vector<FileFormat> SupportedFormats(const wFileReader& reader);

/// The open dialog's filter: first every format the reader supports at once,
/// then one entry per format. For two formats Alpha (aaa) and Beta (bbb):
/// "All supported file formats (*.aaa,*.bbb)|*.aaa;*.bbb;|Alpha (*.aaa)| *.aaa|Beta (*.bbb)| *.bbb||"
/// (each single pattern starts with a blank).
WEXLANCP_EXPORT std::string OpenDataFilterText(const std::vector<FileFormat>& formats);

/// The save dialog's filter for models: "VTK (*.vtk)|*.vtk;|".
WEXLANCP_EXPORT std::string SaveModelFilterText();

/// The save dialog's filter for workspace files: "Script file (*.f) | *.f |".
WEXLANCP_EXPORT std::string WorkspaceFilterText();

}  // namespace wexlan
