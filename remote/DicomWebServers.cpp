#include "DicomWebServers.h"

#include <sys/stat.h>

#include <cerrno>

#include <QUrl>

#include "RegularFile.h"
#include "wAtomicWrite.h"

namespace wexlan::remote {

namespace {

std::vector<std::string> SplitAtTabs(std::string_view line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string_view::npos;
         start = tab + 1) {
        fields.emplace_back(line.substr(start, tab - start));
    }
    fields.emplace_back(line.substr(start));
    return fields;
}

}  // namespace

std::string CheckServer(const DicomWebServer& server) {
    if (server.name.empty() || server.name.find_first_of(" \t\r\n") != std::string::npos) {
        return "a server name must be one word without blanks";
    }
    const QUrl url(QString::fromStdString(server.url), QUrl::StrictMode);
    if (!url.isValid() || (url.scheme() != "http" && url.scheme() != "https") ||
        url.host().isEmpty()) {
        return "the address of " + server.name + " is not an http or https URL with a host";
    }
    if (!url.userInfo().isEmpty() || url.hasQuery() || url.hasFragment()) {
        return "the address of " + server.name +
               " must hold no user, password, query or fragment (the user and credentials "
               "file are fields of their own)";
    }
    for (const std::string& field : {server.user, server.credentialsFile}) {
        if (field.find_first_of("\t\r\n") != std::string::npos) {
            return "the user and credentials file of " + server.name + " must be on one line";
        }
    }
    if (!server.user.empty() && server.credentialsFile.empty()) {
        return "the user of " + server.name + " needs a credentials file holding the password";
    }
    return "";
}

std::string ParseServers(std::string_view text, std::vector<DicomWebServer>& servers) {
    servers.clear();
    int number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        if (line.empty() || line.front() == '#') {
            continue;
        }
        const std::vector<std::string> fields = SplitAtTabs(line);
        if (fields.size() < 2 || fields.size() > 4) {
            return "line " + std::to_string(number) +
                   ": expected name, address, user and credentials file separated by tabs";
        }
        DicomWebServer server{fields[0], fields[1], fields.size() > 2 ? fields[2] : "",
                              fields.size() > 3 ? fields[3] : ""};
        if (std::string why = CheckServer(server); !why.empty()) {
            return "line " + std::to_string(number) + ": " + why;
        }
        servers.push_back(std::move(server));
    }
    return "";
}

std::string ComposeServers(const std::vector<DicomWebServer>& servers) {
    std::string text = "# DICOMweb servers: name, address, user, credentials file (tabs between)\n";
    for (const DicomWebServer& server : servers) {
        text += server.name + "\t" + server.url;
        if (!server.user.empty() || !server.credentialsFile.empty()) {
            text += "\t" + server.user + "\t" + server.credentialsFile;
        }
        text += "\n";
    }
    return text;
}

std::string ReadServers(const std::string& folder, std::vector<DicomWebServer>& servers) {
    servers.clear();
    const std::string path = folder + "/" + kServersFileName;
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0 && errno == ENOENT) {
        return "";
    }
    std::string text;
    if (std::string why = ReadSmallTextFile(path, text); !why.empty()) {
        return why;
    }
    if (std::string why = ParseServers(text, servers); !why.empty()) {
        return path + ", " + why;
    }
    return "";
}

std::string WriteServers(const std::string& folder, const std::vector<DicomWebServer>& servers) {
    for (std::size_t i = 0; i < servers.size(); ++i) {
        if (std::string why = CheckServer(servers[i]); !why.empty()) {
            return why;
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (servers[j].name == servers[i].name) {
                return "there is already a server called " + servers[i].name;
            }
        }
    }
    const std::string path = folder + "/" + kServersFileName;
    std::string reason;
    if (!AtomicWrite::Write(path, ComposeServers(servers), reason)) {
        return path + " " + reason;
    }
    return "";
}

std::string AddServer(const std::string& folder, const DicomWebServer& server) {
    std::vector<DicomWebServer> servers;
    if (std::string why = ReadServers(folder, servers); !why.empty()) {
        return why;
    }
    servers.push_back(server);
    return WriteServers(folder, servers);
}

std::string FindServer(const std::string& folder, const std::string& name, DicomWebServer& server) {
    std::vector<DicomWebServer> servers;
    if (std::string why = ReadServers(folder, servers); !why.empty()) {
        return why;
    }
    for (const DicomWebServer& known : servers) {
        if (known.name == name) {
            server = known;
            return "";
        }
    }
    return "no DICOMweb server called \"" + name + "\" (remote add NAME URL adds one)";
}

}  // namespace wexlan::remote
