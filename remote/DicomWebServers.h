#pragma once
// The DICOMweb servers the user has named: the file DicomWebServers.conf in the
// configuration folder.

#include <string>
#include <string_view>
#include <vector>

#include "wexlanremote_export.h"

namespace wexlan::remote {

/// The file's name in the configuration folder.
inline constexpr char kServersFileName[] = "DicomWebServers.conf";

/// One server. The file holds one line per server, fields separated by tabs: name, base
/// URL (the DICOMweb root, "https://pacs.example.org/dicom-web"), user, credentials file;
/// the last two may be left out. Lines starting with '#' and empty lines are ignored.
struct DicomWebServer {
    std::string name;             ///< no blanks
    std::string url;              ///< http or https, with a host, no user, query or fragment
    std::string user;             ///< basic authentication user (its password in the file)
    std::string credentialsFile;  ///< password, or bearer token when there is no user
};

/// "" when `server` can be kept and used, else why not (a name with blanks, an address
/// that is not http(s) or holds a user, query or fragment, a user without credentials).
WEXLANREMOTE_EXPORT std::string CheckServer(const DicomWebServer& server);

/// Reads the servers of `text` into `servers`. @return "" or the first faulty line's
/// number and why.
WEXLANREMOTE_EXPORT std::string ParseServers(std::string_view text,
                                             std::vector<DicomWebServer>& servers);

/// The file's text for `servers`.
WEXLANREMOTE_EXPORT std::string ComposeServers(const std::vector<DicomWebServer>& servers);

/// Reads `<folder>/DicomWebServers.conf`; a missing file is no server.
/// @return "" or why the file cannot be read or used.
WEXLANREMOTE_EXPORT std::string ReadServers(const std::string& folder,
                                            std::vector<DicomWebServer>& servers);

/// Replaces the file in `folder` (made if missing) by `servers`, written atomically
/// (AtomicWrite: never through a symbolic link). @return "" or why not (see CheckServer,
/// two servers of one name, the file not written); the file is then unchanged.
WEXLANREMOTE_EXPORT std::string WriteServers(const std::string& folder,
                                             const std::vector<DicomWebServer>& servers);

/// Adds `server` to the file in `folder` (made if missing), written atomically
/// (AtomicWrite: never through a symbolic link). @return "" or why not (see CheckServer,
/// a name already used, the file unreadable or not written).
WEXLANREMOTE_EXPORT std::string AddServer(const std::string& folder, const DicomWebServer& server);

/// Finds the server called `name` in the file in `folder`. @return "" or why not.
WEXLANREMOTE_EXPORT std::string FindServer(const std::string& folder, const std::string& name,
                                           DicomWebServer& server);

}  // namespace wexlan::remote
