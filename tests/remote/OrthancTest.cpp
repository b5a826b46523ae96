// The client against a real DICOMweb server (OrthancServer.h), filled with generated series
// through its REST interface. Skipped when Orthanc is not installed.

#include <gtest/gtest.h>

#include <memory>
#include <set>

#include <QTemporaryDir>

#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include "DicomWebClient.h"
#include "DicomWriting.h"
#include "OrthancServer.h"
#include "RemoteTestSupport.h"
#include "SeriesCache.h"
#include "wFileReader.h"

namespace {

using namespace wexlan::remote;
using wexlan::io::test::DicomSlice;

struct Study {
    const char* patientName;
    const char* patientId;
    const char* studyUid;
    const char* seriesUid;
    const char* date;
};
const Study kStudies[] = {
    {"Doe^Ana", "P1", "1.2.826.0.1.3680043.8.498.71", "1.2.826.0.1.3680043.8.498.711", "20240105"},
    {"Doe^Ben", "P2", "1.2.826.0.1.3680043.8.498.72", "1.2.826.0.1.3680043.8.498.721", "20240210"},
    {"Roe^Cy", "P3", "1.2.826.0.1.3680043.8.498.73", "1.2.826.0.1.3680043.8.498.731", "20240315"},
};
constexpr int kSlices = 3;

// Slice k of study s: a 4 x 3 CT image, values that differ per study and slice.
bool WriteSlice(const std::string& path, int s, int k) {
    DicomSlice slice;
    slice.studyUid = kStudies[s].studyUid;
    slice.seriesUid = kStudies[s].seriesUid;
    slice.patientName = kStudies[s].patientName;
    slice.patientId = kStudies[s].patientId;
    slice.studyDate = kStudies[s].date;
    slice.studyDescription = std::string("Study of ") + kStudies[s].patientId;
    std::vector<int> values;
    for (int i = 0; i < 12; ++i) {
        values.push_back(1000 * s + 100 * k + i);
    }
    slice.pixels = wexlan::io::test::Pixels16(values);
    slice.position = std::array<double, 3>{0, 0, 2.0 * k};
    slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
    slice.pixelSpacing = std::array<double, 2>{0.5, 0.5};
    slice.instanceNumber = k + 1;
    return wexlan::io::test::WriteDicom(path, slice);
}

class Orthanc : public testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureApplication();
        s_server = std::make_unique<wexlan::test::OrthancServer>();
        if (!s_server->Skip().empty()) {
            return;
        }
        for (int s = 0; s < 3; ++s) {
            for (int k = 0; k < kSlices; ++k) {
                QDir().mkpath(s_server->Folder() + QString("/local-%1").arg(s));
                const QString path = s_server->Folder() + QString("/local-%1/%2.dcm").arg(s).arg(k);
                ASSERT_TRUE(WriteSlice(path.toStdString(), s, k));
                ASSERT_EQ(s_server->Upload(path), "");
            }
        }
    }

    static void TearDownTestSuite() { s_server.reset(); }

    void SetUp() override {
        if (!s_server->Skip().empty()) {
            GTEST_SKIP() << s_server->Skip();
        }
    }

    static DicomWebClient Client() {
        return DicomWebClient({"orthanc", s_server->DicomWeb().toStdString(), "", ""});
    }
    static std::string Local(int s) {
        return (s_server->Folder() + QString("/local-%1/0.dcm").arg(s)).toStdString();
    }
    static std::uint16_t FreePort() { return wexlan::test::FreeLoopbackPort(); }

    QTemporaryDir m_cache;

    static inline std::unique_ptr<wexlan::test::OrthancServer> s_server;
};

TEST_F(Orthanc, ListsPagesAndSearchesStudiesAndTheirSeries) {
    DicomWebClient client = Client();
    std::vector<StudyRecord> all;
    ASSERT_EQ(client.Studies({}, all), "");
    ASSERT_EQ(all.size(), 3u);

    std::set<std::string> paged;
    for (int offset = 0; offset < 4; offset += 2) {
        std::vector<StudyRecord> page;
        StudyQuery query;
        query.limit = 2;
        query.offset = offset;
        ASSERT_EQ(client.Studies(query, page), "");
        EXPECT_EQ(page.size(), offset == 0 ? 2u : 1u);
        for (const StudyRecord& study : page) {
            paged.insert(study.uid);
        }
    }
    EXPECT_EQ(paged.size(), 3u);

    std::vector<StudyRecord> found;
    ASSERT_EQ(client.Studies({"Doe*"}, found), "");
    EXPECT_EQ(found.size(), 2u);
    ASSERT_EQ(client.Studies({"Roe*"}, found), "");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].uid, kStudies[2].studyUid);
    EXPECT_EQ(found[0].patientName, "Roe^Cy");
    EXPECT_EQ(found[0].patientId, "P3");
    EXPECT_EQ(found[0].date, "20240315");
    EXPECT_EQ(found[0].description, "Study of P3");
    EXPECT_EQ(found[0].modalities, std::vector<std::string>{"CT"});

    StudyQuery range;
    range.dateFrom = "20240201";
    range.dateTo = "20240310";
    ASSERT_EQ(client.Studies(range, found), "");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].patientId, "P2");
    StudyQuery modality;
    modality.modality = "MR";
    ASSERT_EQ(client.Studies(modality, found), "");
    EXPECT_TRUE(found.empty());
    modality.modality = "CT";
    ASSERT_EQ(client.Studies(modality, found), "");
    EXPECT_EQ(found.size(), 3u);

    std::vector<SeriesRecord> series;
    ASSERT_EQ(client.Series(kStudies[2].studyUid, series), "");
    ASSERT_EQ(series.size(), 1u);
    EXPECT_EQ(series[0].uid, kStudies[2].seriesUid);
    EXPECT_EQ(series[0].modality, "CT");
    EXPECT_EQ(series[0].instances, kSlices);
    std::string study;
    ASSERT_EQ(client.StudyOfSeries(kStudies[1].seriesUid, study), "");
    EXPECT_EQ(study, kStudies[1].studyUid);
    EXPECT_NE(client.StudyOfSeries("1.2.3.4", study).find("no series 1.2.3.4"), std::string::npos);
}

TEST_F(Orthanc, RetrievedSeriesReadsAsTheLocalOneAndOpensFromTheCacheWithoutTheServer) {
    const SeriesCache cache(m_cache.path().toStdString());
    std::string folder;
    int instances = 0;
    ASSERT_EQ(Client().RetrieveSeries(kStudies[1].studyUid, kStudies[1].seriesUid, cache, folder,
                                      [&](std::uint64_t, int count) { instances = count; }),
              "");
    EXPECT_EQ(instances, kSlices);
    EXPECT_EQ(folder, m_cache.path().toStdString() + "/" + kStudies[1].seriesUid);

    wFileReader local, remote;
    local.SetFilename(Local(1));
    remote.SetFilename(folder + "/000001.dcm");
    ASSERT_TRUE(local.Read()) << local.GetErrorMessage();
    ASSERT_TRUE(remote.Read()) << remote.GetErrorMessage();
    auto* a = vtkImageData::SafeDownCast(local.GetOutput());
    auto* b = vtkImageData::SafeDownCast(remote.GetOutput());
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->GetNumberOfPoints(), 12 * kSlices);
    ASSERT_EQ(b->GetNumberOfPoints(), a->GetNumberOfPoints());
    for (vtkIdType i = 0; i < a->GetNumberOfPoints(); ++i) {
        ASSERT_EQ(a->GetPointData()->GetScalars()->GetTuple1(i),
                  b->GetPointData()->GetScalars()->GetTuple1(i));
    }

    // A server that is not there: the cached series opens without a request.
    DicomWebClient down({"down", "http://127.0.0.1:" + std::to_string(FreePort()), "", ""});
    std::string again;
    ASSERT_EQ(down.RetrieveSeries(kStudies[1].studyUid, kStudies[1].seriesUid, cache, again), "");
    EXPECT_EQ(again, folder);
    std::vector<StudyRecord> studies;
    const std::string refused = down.Studies({}, studies);
    EXPECT_NE(refused.find("cannot connect to http://127.0.0.1:"), std::string::npos) << refused;
    EXPECT_NE(refused.find("refused"), std::string::npos) << refused;
}

TEST_F(Orthanc, CancelledRetrieveLeavesNothingInTheCache) {
    const SeriesCache cache(m_cache.path().toStdString());
    std::atomic<bool> cancel{false};
    std::string folder;
    const std::string why = Client().RetrieveSeries(
        kStudies[0].studyUid, kStudies[0].seriesUid, cache, folder,
        [&](std::uint64_t, int) { cancel = true; }, &cancel);
    EXPECT_NE(why.find("was cancelled"), std::string::npos) << why;
    EXPECT_TRUE(test::Entries(m_cache.path()).isEmpty());
}

}  // namespace
