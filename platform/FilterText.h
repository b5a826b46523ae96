#pragma once

#include <QStringList>
#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// Converts a file-dialog filter text to the name filters a QFileDialog takes.
///
/// A filter text is a sequence of fields, each ended by "|": a description followed by a pattern,
/// again and again, e.g. "Script file (*.f) | *.f |". A pattern holds one or more globs separated
/// by ";" ("*.aaa;*.bbb;"). Blanks around fields and globs are ignored.
///
/// Each pair becomes one Qt filter whose parenthesised part is exactly the pair's globs, separated
/// by blanks, because that part is what Qt filters by:
///   - a description ending in a parenthesised list of globs (holding "*" or "?") has that list
///     replaced: "Alpha (*.aaa)" + " *.aaa" gives "Alpha (*.aaa)", and
///     "All supported file formats (*.aaa,*.bbb)" + "*.aaa;*.bbb;" gives
///     "All supported file formats (*.aaa *.bbb)" (Qt would not understand the commas);
///   - any other description gets the globs appended: "Images" + "*.png;*.jpg" gives
///     "Images (*.png *.jpg)".
///
/// As in the Windows dialog, the list ends at the first empty field ("||" ends it, and so does the
/// end of the text). A description left without a pattern there, as in an odd number of fields,
/// is dropped; so is a pattern holding no glob (";").
///
/// Never returns an empty list: when no pair is usable (an empty text, for one) the result is
/// {"All files (*)"}, so the dialog shows every file. Never throws.
WEXLANPLATFORM_EXPORT QStringList QtNameFiltersFromFilterText(const std::string& filterText);

}  // namespace wexlan
