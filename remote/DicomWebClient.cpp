#include "DicomWebClient.h"

#include <cstdio>
#include <memory>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QUrl>
#include <QUrlQuery>

#include "MultipartParser.h"
#include "SeriesCache.h"

namespace wexlan::remote {

namespace {

constexpr char kJson[] = "application/dicom+json";

HttpClient::Settings WithServer(HttpClient::Settings settings, const DicomWebServer& server) {
    if (!server.credentialsFile.empty()) {
        settings.user = server.user;
        settings.credentialsFile = server.credentialsFile;
    }
    return settings;
}

// The first value of attribute `tag` ("0020000D") as text: a person name's alphabetic
// form, a number in decimal.
std::string FirstValue(const QJsonObject& record, const char* tag) {
    const QJsonArray values = record.value(tag).toObject().value("Value").toArray();
    if (values.isEmpty()) {
        return "";
    }
    const QJsonValue first = values.first();
    if (first.isObject()) {
        return first.toObject().value("Alphabetic").toString().toStdString();
    }
    if (first.isDouble()) {
        return std::to_string(first.toInt());
    }
    return first.toString().toStdString();
}

std::vector<std::string> AllValues(const QJsonObject& record, const char* tag) {
    std::vector<std::string> texts;
    for (const QJsonValue& value : record.value(tag).toObject().value("Value").toArray()) {
        texts.push_back(value.toString().toStdString());
    }
    return texts;
}

// The records of a QIDO-RS answer: a JSON array of objects (an empty answer is none).
std::string Records(const std::string& body, const std::string& where,
                    std::vector<QJsonObject>& records) {
    records.clear();
    if (body.find_first_not_of(" \t\r\n") == std::string::npos) {
        return "";
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(body), &error);
    if (error.error != QJsonParseError::NoError) {
        return "the answer of " + where + " is not JSON (" + error.errorString().toStdString() +
               " at byte " + std::to_string(error.offset) + ")";
    }
    if (!document.isArray()) {
        return "the answer of " + where + " is not a list of records";
    }
    for (const QJsonValue& value : document.array()) {
        if (!value.isObject()) {
            return "the answer of " + where + " holds something else than records";
        }
        records.push_back(value.toObject());
    }
    return "";
}

// A retrieve's temporary folder, removed unless committed.
class Filling {
public:
    explicit Filling(const SeriesCache& cache) : m_cache(cache) {}
    ~Filling() {
        if (!m_folder.empty()) {
            m_cache.Discard(m_folder);
        }
    }
    std::string& Folder() { return m_folder; }
    void Release() { m_folder.clear(); }

private:
    const SeriesCache& m_cache;
    std::string m_folder;
};

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

DicomWebClient::DicomWebClient(DicomWebServer server, HttpClient::Settings settings,
                               DicomWebLimits limits)
    : m_server(std::move(server)),
      m_limits(limits),
      m_http(WithServer(std::move(settings), m_server)) {}

DicomWebClient::~DicomWebClient() = default;

std::string DicomWebClient::Search(const std::string& path,
                                   const std::vector<std::pair<std::string, std::string>>& query,
                                   std::vector<QJsonObject>& records) {
    records.clear();
    QUrl url(QString::fromStdString(m_server.url + path));
    QUrlQuery items;
    for (const auto& [name, value] : query) {
        items.addQueryItem(QString::fromStdString(name), QString::fromStdString(value));
    }
    url.setQuery(items);
    std::string body, contentType;
    if (std::string why = m_http.GetAll(url, std::string(kJson) + ", application/json",
                                        m_limits.searchBytes, body, contentType, m_stop);
        !why.empty()) {
        return why;
    }
    return Records(body, m_server.url + path, records);
}

std::string DicomWebClient::Studies(const StudyQuery& query, std::vector<StudyRecord>& studies) {
    studies.clear();
    std::vector<std::pair<std::string, std::string>> items;
    if (query.limit > 0) {
        items.emplace_back("limit", std::to_string(query.limit));
    }
    if (query.offset > 0) {
        items.emplace_back("offset", std::to_string(query.offset));
    }
    if (!query.patientName.empty()) {
        items.emplace_back("PatientName", query.patientName);
    }
    if (!query.patientId.empty()) {
        items.emplace_back("PatientID", query.patientId);
    }
    if (!query.dateFrom.empty() || !query.dateTo.empty()) {
        items.emplace_back("StudyDate", query.dateFrom + "-" + query.dateTo);
    }
    if (!query.modality.empty()) {
        items.emplace_back("ModalitiesInStudy", query.modality);
    }
    // Servers leave out what a study search need not return unless asked.
    for (const char* field :
         {"PatientName", "PatientID", "StudyDate", "StudyDescription", "ModalitiesInStudy"}) {
        items.emplace_back("includefield", field);
    }
    std::vector<QJsonObject> records;
    if (std::string why = Search("/studies", items, records); !why.empty()) {
        return why;
    }
    for (const QJsonObject& record : records) {
        StudyRecord study{FirstValue(record, "0020000D"), FirstValue(record, "00100010"),
                          FirstValue(record, "00100020"), FirstValue(record, "00080020"),
                          FirstValue(record, "00081030"), AllValues(record, "00080061")};
        if (!IsDicomUid(study.uid)) {
            return "the server " + m_server.url + " listed a study without a valid UID";
        }
        studies.push_back(std::move(study));
    }
    return "";
}

std::string DicomWebClient::Series(const std::string& studyUid, std::vector<SeriesRecord>& series) {
    series.clear();
    if (!IsDicomUid(studyUid)) {
        return "\"" + studyUid + "\" is not a study UID";
    }
    const std::string path = "/studies/" + studyUid + "/series";
    const std::vector<std::pair<std::string, std::string>> items = {
        {"includefield", "Modality"},
        {"includefield", "SeriesDescription"},
        {"includefield", "NumberOfSeriesRelatedInstances"}};
    std::vector<QJsonObject> records;
    if (std::string why = Search(path, items, records); !why.empty()) {
        return why;
    }
    for (const QJsonObject& record : records) {
        SeriesRecord entry{FirstValue(record, "0020000E"), FirstValue(record, "00080060"), -1,
                           FirstValue(record, "0008103E")};
        const std::string count = FirstValue(record, "00201209");
        if (!count.empty() && count.find_first_not_of("0123456789") == std::string::npos &&
            count.size() < 10) {
            entry.instances = std::stoi(count);
        }
        if (!IsDicomUid(entry.uid)) {
            return "the server " + m_server.url + " listed a series without a valid UID";
        }
        series.push_back(std::move(entry));
    }
    return "";
}

std::string DicomWebClient::StudyOfSeries(const std::string& seriesUid, std::string& studyUid) {
    studyUid.clear();
    if (!IsDicomUid(seriesUid)) {
        return "\"" + seriesUid + "\" is not a series UID";
    }
    const std::vector<std::pair<std::string, std::string>> items = {
        {"SeriesInstanceUID", seriesUid}, {"includefield", "StudyInstanceUID"}};
    std::vector<QJsonObject> records;
    if (std::string why = Search("/series", items, records); !why.empty()) {
        return why;
    }
    for (const QJsonObject& record : records) {
        if (FirstValue(record, "0020000E") == seriesUid) {
            studyUid = FirstValue(record, "0020000D");
        }
    }
    if (!IsDicomUid(studyUid)) {
        studyUid.clear();
        return "no series " + seriesUid + " on " + m_server.url;
    }
    return "";
}

std::string DicomWebClient::RetrieveSeries(const std::string& studyUid,
                                           const std::string& seriesUid, const SeriesCache& cache,
                                           std::string& folder, const RetrieveProgress& progress,
                                           const std::atomic<bool>* cancel) {
    folder = cache.Complete(seriesUid);
    if (!folder.empty()) {
        return "";
    }
    if (!IsDicomUid(studyUid) || !IsDicomUid(seriesUid)) {
        return "\"" + studyUid + "\" / \"" + seriesUid + "\" is not a pair of DICOM UIDs";
    }
    Filling filling(cache);
    if (std::string why = cache.Begin(seriesUid, filling.Folder()); !why.empty()) {
        return why;
    }
    const QUrl url(
        QString::fromStdString(m_server.url + "/studies/" + studyUid + "/series/" + seriesUid));

    std::unique_ptr<MultipartParser> parser;
    std::unique_ptr<std::FILE, FileCloser> file;
    std::string fileName;
    std::uint64_t bytes = 0;
    int instances = 0;
    const auto partBegin = [&](const std::map<std::string, std::string>& headers) {
        const auto type = headers.find("content-type");
        ContentType parsed;
        if (type == headers.end() || !ParseContentType(type->second, parsed).empty() ||
            parsed.mediaType != "application/dicom") {
            return "a part of the answer of " + url.toDisplayString().toStdString() +
                   " is not application/dicom";
        }
        char name[32];
        std::snprintf(name, sizeof name, "/%06d.dcm", instances + 1);
        fileName = filling.Folder() + name;
        file.reset(std::fopen(fileName.c_str(), "wbx"));
        return file ? std::string() : "cannot write " + fileName + " in the cache";
    };
    const auto partData = [&](const char* data, std::size_t size) {
        if (std::fwrite(data, 1, size, file.get()) != size) {
            return "cannot write " + fileName + " in the cache";
        }
        return std::string();
    };
    const auto partEnd = [&]() {
        if (std::fclose(file.release()) != 0) {
            return "cannot write " + fileName + " in the cache";
        }
        ++instances;
        if (progress) {
            progress(bytes, instances);
        }
        return std::string();
    };
    HttpClient::Receiver receiver;
    receiver.headers = [&](const std::string& contentType) {
        std::string boundary;
        if (std::string why = MultipartBoundary(contentType, "application/dicom", boundary);
            !why.empty()) {
            return why + " (" + url.toDisplayString().toStdString() + ")";
        }
        parser = std::make_unique<MultipartParser>(boundary, m_limits.instanceBytes, partBegin,
                                                   partData, partEnd);
        return std::string();
    };
    receiver.data = [&](const char* data, std::size_t size) {
        bytes += size;
        if (!parser) {
            return std::string("the server's answer has no content type");
        }
        if (std::string why = parser->Feed(data, size); !why.empty()) {
            return why;
        }
        if (progress) {
            progress(bytes, instances);
        }
        return std::string();
    };
    const std::string accept = "multipart/related; type=\"application/dicom\"";
    if (std::string why = m_http.Get(url, accept, m_limits.seriesBytes, receiver, cancel);
        !why.empty()) {
        return why;
    }
    if (!parser) {
        return "the server sent no answer for " + url.toDisplayString().toStdString();
    }
    if (std::string why = parser->Finish(); !why.empty()) {
        return why + " (" + url.toDisplayString().toStdString() + ")";
    }
    if (instances == 0) {
        return "the server sent no image of series " + seriesUid;
    }
    if (std::string why = cache.Commit(seriesUid, filling.Folder(), folder); !why.empty()) {
        return why;
    }
    filling.Release();
    return "";
}

}  // namespace wexlan::remote
