#include "RemoteCommands.h"

#include <sstream>
#include <stdexcept>

#include "DicomWebClient.h"
#include "DicomWebServers.h"
#include "RemoteNodes.h"
#include "SeriesCache.h"
#include "wText.h"

namespace {

using namespace wexlan::remote;

// Splits off the first blank-separated word of `text`.
std::string TakeWord(std::string& text) {
    const std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) {
        text.clear();
        return "";
    }
    const std::size_t end = text.find_first_of(" \t", start);
    std::string word = text.substr(start, end - start);
    text = end == std::string::npos ? "" : text.substr(end);
    return word;
}

void Check(const std::string& why) {
    if (!why.empty()) {
        throw std::invalid_argument(why);
    }
}

DicomWebServer Server(const std::string& folder, const std::string& name) {
    if (name.empty()) {
        throw std::invalid_argument("remote needs a server name");
    }
    DicomWebServer server;
    Check(FindServer(folder, name, server));
    return server;
}

}  // namespace

RemoteCommands::RemoteCommands(std::string configurationFolder, std::string cacheRoot)
    : m_configurationFolder(std::move(configurationFolder)), m_cacheRoot(std::move(cacheRoot)) {}

std::string RemoteCommands::Run(const std::string& argument) {
    std::string rest = argument;
    const std::string word = TakeWord(rest);
    std::ostringstream out;
    if (word == "servers") {
        std::vector<DicomWebServer> servers;
        Check(ReadServers(m_configurationFolder, servers));
        for (const DicomWebServer& server : servers) {
            out << (out.tellp() > 0 ? "\n" : "") << server.name << "  " << server.url;
        }
        return out.str();
    }
    if (word == "add") {
        DicomWebServer server;
        server.name = TakeWord(rest);
        server.url = TakeWord(rest);
        for (std::string option = TakeWord(rest); !option.empty(); option = TakeWord(rest)) {
            if (option.rfind("user=", 0) == 0) {
                server.user = option.substr(5);
            } else if (option.rfind("credentials=", 0) == 0) {
                // The file's name is the rest of the line: it may hold blanks.
                server.credentialsFile = std::string(wexlan::Trim(option.substr(12) + rest, " \t"));
                rest.clear();
            } else {
                throw std::invalid_argument("remote add: unknown option \"" + option + "\"");
            }
        }
        Check(AddServer(m_configurationFolder, server));
        return "server " + server.name + " added";
    }
    if (word == "studies") {
        DicomWebClient client(Server(m_configurationFolder, TakeWord(rest)));
        StudyQuery query;
        query.patientName = std::string(wexlan::Trim(rest, " \t"));
        std::vector<StudyRecord> studies;
        Check(client.Studies(query, studies));
        for (const StudyRecord& study : studies) {
            out << (out.tellp() > 0 ? "\n" : "") << study.uid << "  " << study.patientName << "  "
                << study.date << "  " << study.description;
        }
        return out.str();
    }
    if (word == "series") {
        DicomWebClient client(Server(m_configurationFolder, TakeWord(rest)));
        std::vector<SeriesRecord> series;
        Check(client.Series(std::string(wexlan::Trim(rest, " \t")), series));
        for (const SeriesRecord& entry : series) {
            out << (out.tellp() > 0 ? "\n" : "") << entry.uid << "  " << entry.modality << "  "
                << (entry.instances < 0 ? std::string("?") : std::to_string(entry.instances))
                << "  " << entry.description;
        }
        return out.str();
    }
    throw std::invalid_argument(
        "remote needs servers, add NAME URL, studies NAME [PATIENT], series NAME STUDY_UID or "
        "open NAME SERIES_UID");
}

std::string RemoteCommands::Retrieve(const std::string& argument,
                                     const std::function<void(int percent)>& progress,
                                     const std::atomic<bool>* cancel) {
    std::string rest = argument;
    DicomWebClient client(Server(m_configurationFolder, TakeWord(rest)));
    const std::string seriesUid = std::string(wexlan::Trim(rest, " \t"));
    const SeriesCache cache(m_cacheRoot);
    std::string folder = cache.Complete(seriesUid);
    if (folder.empty()) {
        std::string studyUid;
        Check(client.StudyOfSeries(seriesUid, studyUid));
        // The series' size, for the percentage; unknown when the server does not say.
        int expected = -1;
        std::vector<SeriesRecord> series;
        if (progress && client.Series(studyUid, series).empty()) {
            for (const SeriesRecord& entry : series) {
                expected = entry.uid == seriesUid ? entry.instances : expected;
            }
        }
        int told = -1;
        Check(client.RetrieveSeries(
            studyUid, seriesUid, cache, folder,
            [&](std::uint64_t, int instances) {
                const int percent = wexlan::RetrievePercent(instances, expected);
                if (progress && percent > told) {
                    told = percent;
                    progress(percent);
                }
            },
            cancel));
    }
    return folder + "/000001.dcm";
}
