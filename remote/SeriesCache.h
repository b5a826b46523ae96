#pragma once
// The per-user cache of retrieved series.

#include <cstdint>
#include <string>

#include "wexlanremote_export.h"

namespace wexlan::remote {

/// Whether `uid` is a DICOM UID (digits and dots, at most 64 characters, no empty
/// component): UIDs name the cache's folders and go into request paths, so nothing else
/// is let through.
WEXLANREMOTE_EXPORT bool IsDicomUid(const std::string& uid);

/// The cache's usual root: `varq/dicomweb` in the user's cache folder (wexlan::UserFolder:
/// `$XDG_CACHE_HOME`, or `~/.cache`); "" when no home folder is known, and a cache with an
/// empty root refuses to fill (never a folder shared with other users).
WEXLANREMOTE_EXPORT std::string DefaultCacheRoot();

/// Retrieved series under a root folder (the host passes
/// `$XDG_CACHE_HOME/varq/dicomweb`): one folder per series, named by its UID. A series is
/// filled into a temporary folder (".filling-<uid>-XXXXXX") and renamed into place only
/// when complete, so a folder named by a UID always holds a whole series. The root is
/// made private to the user (0700). Beyond the size limit, the series used longest ago
/// go first.
class WEXLANREMOTE_EXPORT SeriesCache {
public:
    static constexpr std::uint64_t kDefaultLimit = 10ull * 1000 * 1000 * 1000;

    explicit SeriesCache(std::string root, std::uint64_t limitBytes = kDefaultLimit);

    const std::string& Root() const { return m_root; }

    /// The folder of the complete series `uid`, marked as just used; "" when the cache
    /// does not hold it.
    std::string Complete(const std::string& uid) const;

    /// Makes a new temporary folder for series `uid` into `folder`; removes what killed
    /// retrieves left more than an hour ago. @return "" or why not.
    std::string Begin(const std::string& uid, std::string& folder) const;

    /// Renames the filled temporary `filling` into place as series `uid` (keeping the copy
    /// already there, if another retrieve finished first), sets `folder` to it, then trims
    /// the cache to its limit, never removing this series. @return "" or why not (the
    /// temporary folder is then removed).
    std::string Commit(const std::string& uid, const std::string& filling,
                       std::string& folder) const;

    /// Removes a temporary folder that will not be committed.
    void Discard(const std::string& filling) const;

    /// Removes the series used longest ago until the cache holds at most the limit,
    /// keeping series `keep`.
    void Trim(const std::string& keep) const;

private:
    std::string m_root;
    std::uint64_t m_limit;
};

}  // namespace wexlan::remote
