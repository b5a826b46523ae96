// What the workspace tree shows of DICOMweb servers: the search box's text, the pages of
// studies, the captions and the line of a failed search.
#include <gtest/gtest.h>

#include "RemoteNodes.h"

namespace {

using wexlan::remote::StudyQuery;
using wexlan::remote::StudyRecord;

TEST(RemoteNodes, SearchTextGivesTheQueryOrTheReasonItCannot) {
    StudyQuery query;
    ASSERT_EQ(
        wexlan::ParseStudySearch(" doe  ana id=P1 from=2024-01-31 to=20241231 modality=CT", query),
        "");
    EXPECT_EQ(query.patientName, "doe ana*");
    EXPECT_EQ(query.patientId, "P1");
    EXPECT_EQ(query.dateFrom, "20240131");
    EXPECT_EQ(query.dateTo, "20241231");
    EXPECT_EQ(query.modality, "CT");
    ASSERT_EQ(wexlan::ParseStudySearch("Do?^A*", query), "");
    EXPECT_EQ(query.patientName, "Do?^A*");  // the user's own wildcards stay
    ASSERT_EQ(wexlan::ParseStudySearch("to=2024-02-01", query), "");
    EXPECT_EQ(query.patientName, "");
    EXPECT_EQ(query.dateFrom, "");

    EXPECT_EQ(wexlan::ParseStudySearch("from=2024-13-01", query),
              "from= needs a date like 2024-01-31, not \"2024-13-01\"");
    EXPECT_NE(wexlan::ParseStudySearch("to=yesterday", query), "");
    EXPECT_EQ(wexlan::ParseStudySearch("sex=F", query),
              "unknown search key \"sex=\" (id=, from=, to=, modality=)");
}

TEST(RemoteNodes, PagesAskOneStudyMoreToKnowWhetherAnotherFollows) {
    StudyQuery search;
    search.patientName = "Doe*";
    const StudyQuery query = wexlan::StudyPageQuery(search, 20, 10);
    EXPECT_EQ(query.patientName, "Doe*");
    EXPECT_EQ(query.offset, 20);
    EXPECT_EQ(query.limit, 11);

    const auto studies = [](int count) {
        std::vector<StudyRecord> records(count);
        for (int i = 0; i < count; ++i) {
            records[i].uid = "1.2." + std::to_string(i + 1);
        }
        return records;
    };
    wexlan::StudyPage page = wexlan::TakeStudyPage(studies(11), 20, 10);
    ASSERT_EQ(page.shown.size(), 10u);
    EXPECT_EQ(page.shown.back().uid, "1.2.10");
    EXPECT_TRUE(page.more);
    EXPECT_EQ(page.nextOffset, 30);
    page = wexlan::TakeStudyPage(studies(10), 20, 10);  // exactly the last page
    EXPECT_EQ(page.shown.size(), 10u);
    EXPECT_FALSE(page.more);
    page = wexlan::TakeStudyPage(studies(25), 0, 10);  // the server ignored the limit
    EXPECT_EQ(page.shown.size(), 25u);
    EXPECT_FALSE(page.more);
}

TEST(RemoteNodes, CaptionsLeaveOutWhatTheServerDidNotSay) {
    EXPECT_EQ(wexlan::StudyCaption({"1.2", "Doe^Ana^^^", "P1", "20240105", "Chest", {"CT", "PT"}}),
              "Doe Ana  2024-01-05  Chest  CT/PT");
    EXPECT_EQ(wexlan::StudyCaption({"1.2", "", "P1", "", "", {}}), "Study 1.2");
    EXPECT_EQ(wexlan::SeriesCaption({"1.3", "", -1, ""}), "Series 1.3");
    EXPECT_EQ(wexlan::SeriesCaption({"1.3", "CT", 300, "Lung 1mm"}), "CT  Lung 1mm  300 images");
    EXPECT_EQ(wexlan::SeriesCaption({"1.3", "MR", -1, ""}), "MR");
    EXPECT_EQ(wexlan::SeriesCaption({"1.3", "", 1, ""}), "1 image");

    EXPECT_EQ(wexlan::RetrievePercent(150, 300), 50);
    EXPECT_EQ(wexlan::RetrievePercent(300, 300), 99);  // 100 only once the series is whole
    EXPECT_EQ(wexlan::RetrievePercent(400, 300), 99);
    EXPECT_EQ(wexlan::RetrievePercent(5, -1), 0);
}

TEST(RemoteNodes, AFailedSearchIsOneLineWithItsReasonAsTooltip) {
    const std::string url = "http://127.0.0.1:9/dicom-web/studies";
    const std::pair<std::string, std::string> reasons[] = {
        {"cannot connect to " + url + ": Connection refused", "Cannot reach the server"},
        {"no answer from " + url + " within 10 s", "The server does not answer"},
        {url + " sent nothing for 30 s", "The server does not answer"},
        {"the server answered 500 Internal Server Error to " + url,
         "The server refused the search"},
        {"the answer of " + url + " is not JSON (illegal value at byte 0)",
         "The server's answer cannot be read"},
        {"the server " + url + " listed a study without a valid UID",
         "The server's answer cannot be read"},
        {"the transfer from " + url + " was cancelled", "Search cancelled"},
        {"the credentials file /x can be read by its group", "Cannot search this server"},
    };
    for (const auto& [reason, caption] : reasons) {
        const wexlan::FailureLine line = wexlan::SearchFailureLine(reason);
        EXPECT_EQ(line.caption, caption) << reason;
        EXPECT_EQ(line.tooltip, reason);
    }
}

}  // namespace
