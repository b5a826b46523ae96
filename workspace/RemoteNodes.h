#pragma once
// What the workspace tree shows of DICOMweb servers, decided without a screen.

#include <string>
#include <vector>

#include "DicomWebClient.h"
#include "wexlancp_export.h"

namespace wexlan {

/// The caption of the root node the configured DICOMweb servers are listed under.
inline constexpr char kRemoteRepositoryNode[] = "DICOMweb";

/// How many studies a server node lists at a time; a "More…" node loads the next ones.
inline constexpr int kStudiesPerPage = 50;

/// The caption of the node that loads the next page of studies.
inline constexpr char kMoreStudiesCaption[] = "More\u2026";

/// What the user typed in the search box of the servers' studies. Words are the patient's
/// name (a prefix: "doe" finds "Doe^Ana"; '*' and '?' are the server's wildcards);
/// "id=P1" is the patient ID; "from=2024-01-31" and "to=..." bound the study date (also
/// written 20240131); "modality=CT" keeps the studies holding a series of that modality.
/// Empty text searches every study.
/// @return "" and the query of the first page in `query` (limit and offset unset), or why
///         the text cannot be searched (an unknown key, a date that is not one).
WEXLANCP_EXPORT std::string ParseStudySearch(const std::string& text, remote::StudyQuery& query);

/// The query of the page of studies starting at `offset`: `pageSize` + 1 studies asked
/// for, so the answer tells whether another page follows.
WEXLANCP_EXPORT remote::StudyQuery StudyPageQuery(remote::StudyQuery search, int offset,
                                                  int pageSize = kStudiesPerPage);

/// One page of studies as the tree lists it.
struct StudyPage {
    std::vector<remote::StudyRecord> shown;
    bool more = false;  ///< a "More…" node follows, loading from `nextOffset`
    int nextOffset = 0;
};

/// The page of the answer `studies` to StudyPageQuery(..., offset, pageSize): at most
/// `pageSize` studies and "More…" when the server had one more. A server that ignored
/// the limit (answering more than pageSize + 1) sent everything: all are shown, no "More…".
WEXLANCP_EXPORT StudyPage TakeStudyPage(std::vector<remote::StudyRecord> studies, int offset,
                                        int pageSize = kStudiesPerPage);

/// A study's caption: patient name (its '^' as blanks), date as 2024-01-05, description
/// and modalities ("CT/PT"), separated by two blanks, empty fields left out; "Study UID"
/// when all are empty.
WEXLANCP_EXPORT std::string StudyCaption(const remote::StudyRecord& study);

/// A series' caption: modality, description and "300 images" (left out when the
/// server did not count them), separated by two blanks; "Series UID" when all are empty.
WEXLANCP_EXPORT std::string SeriesCaption(const remote::SeriesRecord& series);

/// The line shown under a node whose search failed, and its tooltip (the full reason).
struct FailureLine {
    std::string caption;
    std::string tooltip;
};

/// The one line for a failed search, from the client's reason: the server cannot be
/// reached, does not answer in time, answered with an error status, sent an answer that
/// cannot be used, or (anything else) cannot be searched.
WEXLANCP_EXPORT FailureLine SearchFailureLine(const std::string& reason);

/// The percentage of a retrieve that received `instances` of a series of `expected`
/// (-1: unknown, then 0 until done); never 100 before the retrieve ended.
WEXLANCP_EXPORT int RetrievePercent(int instances, int expected);

}  // namespace wexlan
