#pragma once
// Checks a TIFF image stack before VTK's reader sees it, and keeps libtiff quiet.
//
// A multi-page TIFF is read as a volume, one page per slice, so every page must have
// the size and sample layout of the first. Page sizes come from the file and VTK
// allocates the whole volume from them: uncompressed pages must be present in full,
// compressed ones can expand at most about 1100 times.

#include <string>

namespace wexlan::io {

/// While an instance lives, libtiff's errors and warnings are recorded instead of
/// printed on the standard error stream (libtiff's default). Instances do not nest.
class TiffMessages {
public:
    TiffMessages();
    ~TiffMessages();
    TiffMessages(const TiffMessages&) = delete;
    TiffMessages& operator=(const TiffMessages&) = delete;

    /// The first error libtiff reported, or empty.
    static std::string FirstError();
};

/// Throws ReadError with the reason. Call with a TiffMessages alive.
void CheckTiffFile(const std::string& path);

}  // namespace wexlan::io
