// The client against a real DICOMweb server: Orthanc with its DICOMweb plug-in, started on
// 127.0.0.1 on a free port with a temporary configuration and storage, filled with
// generated series through its REST interface. Skipped when Orthanc is not installed.

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <set>

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QThread>

#include <gdcmAttribute.h>
#include <gdcmReader.h>
#include <gdcmWriter.h>
#include <vtkDataArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include "DicomWebClient.h"
#include "DicomWriting.h"
#include "RemoteTestSupport.h"
#include "SeriesCache.h"
#include "wFileReader.h"

namespace {

using namespace wexlan::remote;
using namespace std::chrono_literals;
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
    slice.seriesUid = kStudies[s].seriesUid;
    std::vector<int> values;
    for (int i = 0; i < 12; ++i) {
        values.push_back(1000 * s + 100 * k + i);
    }
    slice.pixels = wexlan::io::test::Pixels16(values);
    slice.position = std::array<double, 3>{0, 0, 2.0 * k};
    slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
    slice.pixelSpacing = std::array<double, 2>{0.5, 0.5};
    slice.instanceNumber = k + 1;
    if (!wexlan::io::test::WriteDicom(path, slice)) {
        return false;
    }
    // The writer gives every file the same study and no patient: set them here.
    gdcm::Reader reader;
    reader.SetFileName(path.c_str());
    if (!reader.Read()) {
        return false;
    }
    gdcm::DataSet& ds = reader.GetFile().GetDataSet();
    const auto put = [&ds](std::uint16_t group, std::uint16_t element, gdcm::VR vr,
                           std::string value) {
        if (value.size() % 2 != 0) {
            value += vr == gdcm::VR::UI ? '\0' : ' ';
        }
        gdcm::DataElement data(gdcm::Tag(group, element));
        data.SetVR(vr);
        data.SetByteValue(value.data(), static_cast<std::uint32_t>(value.size()));
        ds.Replace(data);
    };
    put(0x0010, 0x0010, gdcm::VR::PN, kStudies[s].patientName);
    put(0x0010, 0x0020, gdcm::VR::LO, kStudies[s].patientId);
    put(0x0020, 0x000d, gdcm::VR::UI, kStudies[s].studyUid);
    put(0x0008, 0x0020, gdcm::VR::DA, kStudies[s].date);
    put(0x0008, 0x1030, gdcm::VR::LO, std::string("Study of ") + kStudies[s].patientId);
    gdcm::Writer writer;
    writer.SetFileName(path.c_str());
    writer.SetFile(reader.GetFile());
    return writer.Write();
}

std::uint16_t FreePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

class Orthanc : public testing::Test {
protected:
    static void SetUpTestSuite() {
        test::EnsureApplication();
        const QString binary = QStandardPaths::findExecutable("Orthanc", {"/usr/sbin", "/usr/bin"});
        const QString plugin = "/usr/share/orthanc/plugins/libOrthancDicomWeb.so";
        if (binary.isEmpty() || !QFile::exists(plugin)) {
            s_skip =
                "Orthanc or its DICOMweb plug-in is not installed "
                "(apt-get install orthanc orthanc-dicomweb)";
            return;
        }
        s_folder = std::make_unique<QTemporaryDir>();
        const QString storage = s_folder->path() + "/storage";
        s_port = FreePort();
        QFile config(s_folder->path() + "/orthanc.json");
        config.open(QIODevice::WriteOnly);
        config.write(QString(R"({"Name": "remote-tests", "RemoteAccessAllowed": false,
            "HttpPort": %1, "DicomServerEnabled": false, "AuthenticationEnabled": false,
            "StorageDirectory": "%2", "IndexDirectory": "%2", "Plugins": ["%3"],
            "DicomWeb": {"Enable": true, "Root": "/dicom-web/"}})")
                         .arg(s_port)
                         .arg(storage, plugin)
                         .toUtf8());
        config.close();
        s_process = std::make_unique<QProcess>();
        s_process->setProcessChannelMode(QProcess::MergedChannels);
        s_process->setStandardOutputFile(s_folder->path() + "/orthanc.log");
        s_process->start(binary, {config.fileName()});
        if (!s_process->waitForStarted(10000)) {
            s_skip = "Orthanc did not start";
            return;
        }
        HttpClient http({});
        std::string body, type;
        const auto deadline = std::chrono::steady_clock::now() + 30s;
        while (!http.GetAll(QUrl(Base() + "/system"), "application/json", 1 << 20, body, type)
                    .empty()) {
            if (std::chrono::steady_clock::now() > deadline) {
                s_skip = "Orthanc did not answer within 30 s";
                return;
            }
            QThread::msleep(100);
        }
        QNetworkAccessManager network;
        for (int s = 0; s < 3; ++s) {
            for (int k = 0; k < kSlices; ++k) {
                const QString path = s_folder->path() + QString("/local-%1/%2.dcm").arg(s).arg(k);
                QDir().mkpath(s_folder->path() + QString("/local-%1").arg(s));
                ASSERT_TRUE(WriteSlice(path.toStdString(), s, k));
                QFile file(path);
                file.open(QIODevice::ReadOnly);
                QNetworkRequest request(QUrl(Base() + "/instances"));
                request.setHeader(QNetworkRequest::ContentTypeHeader, "application/dicom");
                std::unique_ptr<QNetworkReply> reply(network.post(request, file.readAll()));
                QEventLoop loop;
                QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
                loop.exec();
                ASSERT_EQ(reply->error(), QNetworkReply::NoError)
                    << reply->errorString().toStdString();
            }
        }
    }

    static void TearDownTestSuite() {
        // A process that does not stop within 10 s is killed by the QProcess destructor.
        if (s_process) {
            s_process->terminate();
            s_process->waitForFinished(10000);
        }
        s_process.reset();
        s_folder.reset();
    }

    void SetUp() override {
        if (!s_skip.empty()) {
            GTEST_SKIP() << s_skip;
        }
    }

    static QString Base() { return QString("http://127.0.0.1:%1").arg(s_port); }
    static DicomWebClient Client() {
        return DicomWebClient({"orthanc", (Base() + "/dicom-web").toStdString(), "", ""});
    }
    static std::string Local(int s) {
        return (s_folder->path() + QString("/local-%1/0.dcm").arg(s)).toStdString();
    }

    QTemporaryDir m_cache;

    static inline std::string s_skip;
    static inline std::uint16_t s_port = 0;
    static inline std::unique_ptr<QTemporaryDir> s_folder;
    static inline std::unique_ptr<QProcess> s_process;
};

TEST_F(Orthanc, ListsPagesAndSearchesStudiesAndTheirSeries) {
    DicomWebClient client = Client();
    std::vector<StudyRecord> all;
    ASSERT_EQ(client.Studies({}, all), "");
    ASSERT_EQ(all.size(), 3u);

    std::set<std::string> paged;
    for (int offset = 0; offset < 4; offset += 2) {
        std::vector<StudyRecord> page;
        ASSERT_EQ(client.Studies({"", "", 2, offset}, page), "");
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
}

TEST_F(Orthanc, CancelledRetrieveAndServerDownLeaveNothingInTheCache) {
    const SeriesCache cache(m_cache.path().toStdString());
    std::atomic<bool> cancel{false};
    std::string folder;
    const std::string why = Client().RetrieveSeries(
        kStudies[0].studyUid, kStudies[0].seriesUid, cache, folder,
        [&](std::uint64_t, int) { cancel = true; }, &cancel);
    EXPECT_NE(why.find("was cancelled"), std::string::npos) << why;
    EXPECT_TRUE(test::Entries(m_cache.path()).isEmpty());

    DicomWebClient down({"down", "http://127.0.0.1:" + std::to_string(FreePort()), "", ""});
    const auto start = std::chrono::steady_clock::now();
    std::vector<StudyRecord> studies;
    const std::string refused = down.Studies({}, studies);
    EXPECT_NE(refused.find("cannot connect to http://127.0.0.1:"), std::string::npos) << refused;
    EXPECT_NE(refused.find("refused"), std::string::npos) << refused;
    EXPECT_LT(std::chrono::steady_clock::now() - start, 2s);
    EXPECT_NE(down.RetrieveSeries(kStudies[0].studyUid, kStudies[0].seriesUid, cache, folder), "");
    EXPECT_TRUE(test::Entries(m_cache.path()).isEmpty());
}

}  // namespace
