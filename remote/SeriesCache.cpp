#include "SeriesCache.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#include "UserFolder.h"

namespace wexlan::remote {

namespace fs = std::filesystem;

namespace {

constexpr char kFillingPrefix[] = ".filling-";
constexpr auto kAbandonedAfter = std::chrono::hours(1);

std::uint64_t FolderBytes(const fs::path& folder) {
    std::uint64_t total = 0;
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        std::error_code sizeError;
        if (it->is_regular_file(sizeError)) {
            const auto size = it->file_size(sizeError);
            total += sizeError ? 0 : size;
        }
    }
    return total;
}

}  // namespace

std::string DefaultCacheRoot() {
    const std::string cache = UserFolder("XDG_CACHE_HOME", ".cache");
    return cache.empty() ? std::string() : cache + "/varq/dicomweb";
}

bool IsDicomUid(const std::string& uid) {
    if (uid.empty() || uid.size() > 64 || uid.front() == '.' || uid.back() == '.' ||
        uid.find("..") != std::string::npos) {
        return false;
    }
    return uid.find_first_not_of("0123456789.") == std::string::npos;
}

SeriesCache::SeriesCache(std::string root, std::uint64_t limitBytes)
    : m_root(std::move(root)), m_limit(limitBytes) {}

std::string SeriesCache::Complete(const std::string& uid) const {
    if (!IsDicomUid(uid)) {
        return "";
    }
    const fs::path folder = fs::path(m_root) / uid;
    std::error_code error;
    if (!fs::is_directory(folder, error)) {
        return "";
    }
    // The folder's time is its last use: Trim removes the least recently used first.
    fs::last_write_time(folder, fs::file_time_type::clock::now(), error);
    return folder.string();
}

std::string SeriesCache::Begin(const std::string& uid, std::string& folder) const {
    folder.clear();
    if (!IsDicomUid(uid)) {
        return "\"" + uid + "\" is not a DICOM UID";
    }
    if (m_root.empty()) {
        return "no home folder is known, so there is no cache folder for retrieved series";
    }
    std::error_code error;
    if (fs::create_directories(m_root, error); error) {
        return "cannot make the cache folder " + m_root + ": " + error.message();
    }
    fs::permissions(m_root, fs::perms::owner_all, error);
    const auto now = fs::file_time_type::clock::now();
    for (fs::directory_iterator it(m_root, error), end; !error && it != end; it.increment(error)) {
        std::error_code entryError;
        if (it->path().filename().string().rfind(kFillingPrefix, 0) == 0 &&
            now - it->last_write_time(entryError) > kAbandonedAfter && !entryError) {
            fs::remove_all(it->path(), entryError);
        }
    }
    std::string pattern = m_root + "/" + kFillingPrefix + uid + "-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) {
        return "cannot make a folder in the cache " + m_root + ": " +
               std::error_code(errno, std::generic_category()).message();
    }
    folder = pattern;
    return "";
}

std::string SeriesCache::Commit(const std::string& uid, const std::string& filling,
                                std::string& folder) const {
    folder.clear();
    const fs::path target = fs::path(m_root) / uid;
    std::error_code error;
    fs::rename(filling, target, error);
    if (error) {
        Discard(filling);
        // Another retrieve of the same series finished first: its copy is as good.
        folder = Complete(uid);
        if (folder.empty()) {
            return "cannot move the series into the cache " + m_root + ": " + error.message();
        }
    } else {
        folder = target.string();
    }
    Trim(uid);
    return "";
}

void SeriesCache::Discard(const std::string& filling) const {
    std::error_code error;
    fs::remove_all(filling, error);
}

void SeriesCache::Trim(const std::string& keep) const {
    struct Entry {
        fs::path path;
        fs::file_time_type used;
        std::uint64_t bytes;
    };
    std::vector<Entry> series;
    std::uint64_t total = 0;
    std::error_code error;
    for (fs::directory_iterator it(m_root, error), end; !error && it != end; it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code entryError;
        if (!IsDicomUid(name) || !it->is_directory(entryError)) {
            continue;
        }
        const std::uint64_t bytes = FolderBytes(it->path());
        total += bytes;
        if (name != keep) {
            series.push_back({it->path(), it->last_write_time(entryError), bytes});
        }
    }
    std::sort(series.begin(), series.end(),
              [](const Entry& a, const Entry& b) { return a.used < b.used; });
    for (const Entry& entry : series) {
        if (total <= m_limit) {
            break;
        }
        std::error_code removeError;
        fs::remove_all(entry.path, removeError);
        total -= entry.bytes;
    }
}

}  // namespace wexlan::remote
