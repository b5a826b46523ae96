#pragma once

#include <string>

#include "wexlancommon_export.h"

/// How a loaded item gets its name from the file it came from.
///
/// Paths are composed with "/", but paths written on other systems use "\\":
/// both count as folder separators (the last of either), and a drive colon
/// counts when neither occurs.
namespace wexlan {

/// The folder part of a path, without the separator: "/data/bunny.vtk" gives
/// "/data", "C:\\data\\bunny.vtk" gives "C:\\data", "C:bunny.vtk" gives "C".
/// A path without any separator is returned unchanged.
WEXLANCOMMON_EXPORT std::string ExtractFilePath(const std::string& path);

/// `name` inside `folder`: the two joined with one "/" between them. A folder
/// that already ends with "/" or "\\" (the root "/", "C:\\") gets none added,
/// and an empty folder gives `name` alone, so no path holds a doubled separator.
WEXLANCOMMON_EXPORT std::string JoinPath(const std::string& folder, const std::string& name);

/// The item name for a file: its file name without the last extension
/// ("/data/scan.part.mha" gives "scan.part"). Empty when the file name has no
/// "." or the path ends with a separator.
WEXLANCOMMON_EXPORT std::string ConstructDataName(const std::string& path);

}  // namespace wexlan
