#pragma once
// The named colour scales of image layers, internal to WexlanRendering.
//
//   "None"     grey: black to white
//   "Red", "Green", "Blue", "Cyan", "Magent", "Yellow"
//              black to that colour ("Magent" is magenta, spelt as the property
//              sheet offers it)
//   "Rainbow"  blue through cyan, green and yellow to red
//
// Each has 256 entries from the low end of the contrast window to the high end;
// values outside the window take the end colours.

#include <string>
#include <vector>

class vtkLookupTable;

namespace wexlan::LookupTables {

/// The names above in the order the property sheet offers them: the ramps from "None"
/// to "Yellow", then "Rainbow".
const std::vector<std::string>& Names();

/// Whether `name` is one of the names above (exact comparison).
bool IsKnown(const std::string& name);

/// Fills `table` with the colours of `name`; returns false, leaving it alone, for an
/// unknown name. The table's range is not touched.
bool Fill(const std::string& name, vtkLookupTable* table);

}  // namespace wexlan::LookupTables
