#pragma once
// Checks a MetaImage header (.mha with its data inside, .mhd with a data file beside
// it) before VTK's reader sees it.
//
// The header is "Key = Value" text up to the ElementDataFile line. VTK's MetaImage
// reader trusts it: inflated sizes make it allocate without bound and some damaged
// headers make it loop for a very long time. This check reads the header itself and
// accepts only what it fully understands: 1 to 3 axes with positive sizes, a known
// element type, a single local or neighbouring data file (no file lists or patterns),
// and a data size that the file can hold (compressed data at most about 1100 times
// its stored size).

#include <string>

namespace wexlan::io {

/// Throws ReadError with the reason.
void CheckMetaImageFile(const std::string& path);

}  // namespace wexlan::io
