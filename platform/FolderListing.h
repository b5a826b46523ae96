#pragma once

#include <string>
#include <vector>

#include "wexlanplatform_export.h"

namespace wexlan {

/// One entry of a folder as ListFolder() reports it.
struct FolderEntry {
    std::string name;         ///< the entry's own name, e.g. "Case1" or "a.vtk"
    std::string path;         ///< the folder and the name joined with "/"
    bool isFolder = false;    ///< a folder, or a symbolic link to one
    bool isDotEntry = false;  ///< "." or ".."; callers that walk a tree skip these
};

/// Whether name matches a folder-listing pattern. "*" stands for any run of characters (none
/// included), "?" for exactly one; every other character, "[" and "\" included, stands for itself,
/// and case matters ("*.so" does not match "A.SO"). A pattern ending in ".*" also matches names
/// without that dot, as the Windows listing does: "*.*" matches every name, "readme.*" matches
/// "readme". A leading dot gets no special treatment: "*" matches ".hidden". Characters are
/// compared as bytes, so for non-ASCII names "?" stands for one byte of the UTF-8 text.
WEXLANPLATFORM_EXPORT bool MatchesNamePattern(const std::string& name, const std::string& pattern);

/// The entries of folder whose names match pattern (see MatchesNamePattern), not descending into
/// subfolders.
///
/// Order: "." and ".." come first, flagged as dot entries, when the pattern matches them (as "*.*"
/// and "*" do), like the Windows listing that callers were designed against; then the other
/// entries in the order in which the file system lists them, unsorted.
///
/// Symbolic links are followed, as a Windows program sees a link as its target: a link to a folder
/// is reported as a folder, a link to a file and a dangling link as files (so a dangling link
/// named "x.so" is listed and then fails to load like any other unusable file).
///
/// A missing or unreadable folder, an empty folder name or a path that is not a folder gives an
/// empty list; a read error half-way gives the entries read until then. Never throws.
WEXLANPLATFORM_EXPORT std::vector<FolderEntry> ListFolder(const std::string& folder,
                                                          const std::string& pattern);

/// Whether something exists at path: a file or a folder, following symbolic links (a dangling
/// link does not exist). This is the Windows program's "exists" test; callers that need a
/// readable file still have to cope with opening it failing. False for "". Never throws.
WEXLANPLATFORM_EXPORT bool FileExists(const std::string& path);

}  // namespace wexlan
