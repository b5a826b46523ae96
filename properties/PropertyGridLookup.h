#pragma once

#include <string>

#include "wexlancp_export.h"

class CPropertyGridCtrl;
class CPropertyGridProperty;

/// Finding rows of the property sheet by what a person types, and the sheet as
/// text: what the command line's "set" and "props" act on.
namespace wexlan {

/// A row named at the start of a "ROW VALUE" text, and the text after it.
struct RowWithValue {
    CPropertyGridProperty* row = nullptr;  ///< null when no row's name starts the text
    std::string value;                     ///< the text after the name and one blank
};

/// The row whose name starts `text` followed by a blank. Row names may hold
/// blanks ("Bounding Box"): the longest matching name wins; of rows with that
/// name the last group's (the selected layer's, after the viewer's). A null grid
/// has no rows.
WEXLANCP_EXPORT RowWithValue FindRowAtStartOf(const CPropertyGridCtrl* grid,
                                              const std::string& text);

/// Every row of every group, one line each: group name, row name, value as
/// shown, "enabled" or "disabled", separated by tabs. "" for a null grid.
WEXLANCP_EXPORT std::string PropertySheetText(const CPropertyGridCtrl* grid);

}  // namespace wexlan
