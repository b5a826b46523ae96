#pragma once
// Atomic file replacement, for every file the workstation writes on the user's behalf
// (matrices, data sets, configuration, workspace files).

#include <string>
#include <string_view>

#include "wexlancommon_export.h"

namespace wexlan::AtomicWrite {

/// Every temporary file of an atomic write is named `<target>.<six letters or digits>`
/// followed by this suffix, so that leftovers of a killed writer can be told from a
/// user's own files ("Wexlan.conf.backup") and removed safely.
inline constexpr char kTemporarySuffix[] = ".varq-partial";

/// Writes `bytes` to `path` atomically: the data goes to a new temporary file beside the
/// target (see kTemporarySuffix), is flushed to the disk, and the temporary file is
/// renamed over the target only when everything was written. An existing file is
/// therefore either kept intact or replaced whole, keeps its permissions, and a failure
/// leaves nothing behind.
///
/// A target that is a symbolic link is refused and left as it is: the writer never
/// follows a link onto another file, nor replaces a link the user made on purpose.
/// Likewise a folder or any other non-regular file is refused.
///
/// @return true when the file was written; false otherwise, with `reason` set to a short
///         plain-words reason that reads after the path ("is a symbolic link ...",
///         "cannot be written (No space left on device)"). Never throws.
WEXLANCOMMON_EXPORT bool Write(const std::string& path, std::string_view bytes,
                               std::string& reason);

/// The same, for callers that have no use for the reason.
WEXLANCOMMON_EXPORT bool Write(const std::string& path, std::string_view bytes);

/// Whether `fileName` (a name without folder) is a temporary file that an interrupted
/// atomic write of the file named `target` (also without folder) left behind.
WEXLANCOMMON_EXPORT bool IsTemporaryFileOf(std::string_view fileName, std::string_view target);

}  // namespace wexlan::AtomicWrite
