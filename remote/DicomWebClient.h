#pragma once
// Searching and retrieving on a DICOMweb server: QIDO-RS for studies and series, WADO-RS
// for a series' instances.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "DicomWebServers.h"
#include "HttpClient.h"
#include "wexlanremote_export.h"

class QJsonObject;

namespace wexlan::remote {

class SeriesCache;

struct StudyRecord {
    std::string uid;
    std::string patientName;  ///< as the server writes it ("Doe^Ana")
    std::string patientId;
    std::string date;  ///< YYYYMMDD, or "" when the server gave none
    std::string description;
    std::vector<std::string> modalities;
};

struct SeriesRecord {
    std::string uid;
    std::string modality;
    int instances = -1;  ///< -1 when the server did not say
    std::string description;
};

/// What to search for; empty fields do not restrict the search.
struct StudyQuery {
    std::string patientName{};  ///< DICOM matching: "Doe*" for every name starting with Doe
    std::string patientId{};
    std::string dateFrom{};  ///< YYYYMMDD: studies of this day or later; "" for no bound
    std::string dateTo{};    ///< YYYYMMDD: studies of this day or earlier; "" for no bound
    std::string modality{};  ///< "CT": studies holding a series of this modality
    int limit = 0;   ///< at most this many studies, 0 for the server's own limit
    int offset = 0;  ///< skip this many first
};

/// How far a retrieve is.
using RetrieveProgress = std::function<void(std::uint64_t bytes, int instances)>;

/// Sizes beyond which an answer is refused.
struct DicomWebLimits {
    std::uint64_t searchBytes = 64ull << 20;   ///< a QIDO-RS answer
    std::uint64_t seriesBytes = 16ull << 30;   ///< a whole WADO-RS answer
    std::uint64_t instanceBytes = 2ull << 30;  ///< one instance in it
};

/// One server's studies and series. Every call waits for its answer (see HttpClient);
/// every failure is a message that names the server's address, never its credentials.
class WEXLANREMOTE_EXPORT DicomWebClient {
public:
    /// The server's user and credentials file override those of `settings`.
    DicomWebClient(DicomWebServer server, HttpClient::Settings settings = {},
                   DicomWebLimits limits = {});
    ~DicomWebClient();

    /// Searches end early, as cancelled, once `*stop` is set (null: never).
    void SetStop(const std::atomic<bool>* stop) { m_stop = stop; }

    /// QIDO-RS /studies. @return "" and the studies in the server's order, or why not.
    std::string Studies(const StudyQuery& query, std::vector<StudyRecord>& studies);

    /// QIDO-RS /studies/{studyUid}/series. @return "" or why not.
    std::string Series(const std::string& studyUid, std::vector<SeriesRecord>& series);

    /// The study a series belongs to (QIDO-RS /series?SeriesInstanceUID=).
    /// @return "" and sets `studyUid`, or why not ("no series ... on ...").
    std::string StudyOfSeries(const std::string& seriesUid, std::string& studyUid);

    /// The folder of series `seriesUid` in `cache`, retrieved with WADO-RS
    /// /studies/{studyUid}/series/{seriesUid} unless the cache holds it whole already
    /// (then nothing is requested). The instances are written as "000001.dcm"... in the
    /// order they arrive. `progress` is told the bytes and instances received so far;
    /// `cancel` stops the transfer. A failed or cancelled retrieve leaves nothing in the
    /// cache. @return "" and sets `folder`, or why not.
    std::string RetrieveSeries(const std::string& studyUid, const std::string& seriesUid,
                               const SeriesCache& cache, std::string& folder,
                               const RetrieveProgress& progress = {},
                               const std::atomic<bool>* cancel = nullptr);

private:
    // GETs base URL + path + query and reads the answer's JSON array of objects into
    // `records`. @return "" or why not.
    std::string Search(const std::string& path,
                       const std::vector<std::pair<std::string, std::string>>& query,
                       std::vector<QJsonObject>& records);

    DicomWebServer m_server;
    DicomWebLimits m_limits;
    HttpClient m_http;
    const std::atomic<bool>* m_stop = nullptr;
};

}  // namespace wexlan::remote
