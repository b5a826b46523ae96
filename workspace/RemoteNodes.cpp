#include "RemoteNodes.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace wexlan {
namespace {

bool StartsWith(const std::string& text, const std::string& start) {
    return text.compare(0, start.size(), start) == 0;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// "2024-01-31" or "20240131" as "20240131"; "" when it is not a date.
std::string DicomDate(std::string text) {
    text.erase(std::remove(text.begin(), text.end(), '-'), text.end());
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; })) {
        return "";
    }
    const int month = std::stoi(text.substr(4, 2));
    const int day = std::stoi(text.substr(6, 2));
    return month >= 1 && month <= 12 && day >= 1 && day <= 31 ? text : "";
}

void Append(std::string& line, const std::string& part) {
    if (!part.empty()) {
        line += (line.empty() ? "" : "  ") + part;
    }
}

}  // namespace

std::string ParseStudySearch(const std::string& text, remote::StudyQuery& query) {
    query = {};
    std::istringstream words(text);
    std::string name;
    for (std::string word; words >> word;) {
        const std::size_t equals = word.find('=');
        if (equals == std::string::npos) {
            name += (name.empty() ? "" : " ") + word;
            continue;
        }
        const std::string key = word.substr(0, equals);
        const std::string value = word.substr(equals + 1);
        if (key == "id") {
            query.patientId = value;
        } else if (key == "modality") {
            query.modality = value;
        } else if (key == "from" || key == "to") {
            const std::string date = DicomDate(value);
            if (date.empty()) {
                return key + "= needs a date like 2024-01-31, not \"" + value + "\"";
            }
            (key == "from" ? query.dateFrom : query.dateTo) = date;
        } else {
            return "unknown search key \"" + key + "=\" (id=, from=, to=, modality=)";
        }
    }
    if (!name.empty() && name.find_first_of("*?") == std::string::npos) {
        name += '*';
    }
    query.patientName = name;
    return "";
}

remote::StudyQuery StudyPageQuery(remote::StudyQuery search, int offset, int pageSize) {
    search.offset = offset;
    search.limit = pageSize + 1;
    return search;
}

StudyPage TakeStudyPage(std::vector<remote::StudyRecord> studies, int offset, int pageSize) {
    StudyPage page;
    if (studies.size() == static_cast<std::size_t>(pageSize) + 1) {
        studies.pop_back();
        page.more = true;
        page.nextOffset = offset + pageSize;
    }
    page.shown = std::move(studies);
    return page;
}

std::string StudyCaption(const remote::StudyRecord& study) {
    std::string line;
    std::string name = study.patientName;
    std::replace(name.begin(), name.end(), '^', ' ');
    Append(line, name.substr(0, name.find_last_not_of(' ') + 1));
    if (study.date.size() == 8) {
        Append(line, study.date.substr(0, 4) + "-" + study.date.substr(4, 2) + "-" +
                         study.date.substr(6, 2));
    } else {
        Append(line, study.date);
    }
    Append(line, study.description);
    std::string modalities;
    for (const std::string& modality : study.modalities) {
        modalities += (modalities.empty() ? "" : "/") + modality;
    }
    Append(line, modalities);
    return line.empty() ? "Study " + study.uid : line;
}

std::string SeriesCaption(const remote::SeriesRecord& series) {
    std::string line;
    Append(line, series.modality);
    Append(line, series.description);
    if (series.instances >= 0) {
        Append(line,
               std::to_string(series.instances) + (series.instances == 1 ? " image" : " images"));
    }
    return line.empty() ? "Series " + series.uid : line;
}

FailureLine SearchFailureLine(const std::string& reason) {
    std::string caption = "Cannot search this server";
    if (StartsWith(reason, "cannot connect")) {
        caption = "Cannot reach the server";
    } else if (StartsWith(reason, "no answer from") || Contains(reason, " sent nothing for ")) {
        caption = "The server does not answer";
    } else if (StartsWith(reason, "the server answered")) {
        caption = "The server refused the search";
    } else if (Contains(reason, "was cancelled")) {
        caption = "Search cancelled";
    } else if (StartsWith(reason, "the answer of") || Contains(reason, "without a valid UID") ||
               Contains(reason, "content type")) {
        caption = "The server's answer cannot be read";
    }
    return {caption, reason};
}

int RetrievePercent(int instances, int expected) {
    if (expected <= 0) {
        return 0;
    }
    return std::min(99, static_cast<int>(100LL * instances / expected));
}

}  // namespace wexlan
