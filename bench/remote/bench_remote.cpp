// A 300-image series (512 x 512, 16 bits) on Orthanc at 127.0.0.1: retrieved by the
// DICOMweb client into the series cache against curl fetching the same WADO-RS answer into
// a file, taken in turn, the fastest of nine each; then read by wFileReader from the cache
// against the same files in a local folder, in turn, the fastest of nine each.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <random>

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include "BenchFigures.h"
#include "DicomWebClient.h"
#include "DicomWriting.h"
#include "OrthancServer.h"
#include "SeriesCache.h"
#include "wFileReader.h"

namespace {

using wexlan::bench::Format;
using wexlan::bench::PrintFigure;
using Clock = std::chrono::steady_clock;

constexpr int kImages = 300;
constexpr int kSide = 512;
constexpr int kRounds = 9;
constexpr char kSeries[] = "1.2.826.0.1.3680043.8.498.1";

double Seconds(const std::function<bool()>& run, bool& ok) {
    const auto start = Clock::now();
    ok = run() && ok;
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Slice k: noise over a gradient, as a CT's pixels do not pack well either.
bool WriteSlice(const std::string& path, int k, std::mt19937& random) {
    wexlan::io::test::DicomSlice slice;
    slice.rows = kSide;
    slice.columns = kSide;
    std::vector<int> values(kSide * kSide);
    std::uniform_int_distribution<int> noise(0, 200);
    for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = 1000 + static_cast<int>(i % kSide) + noise(random);
    }
    slice.pixels = wexlan::io::test::Pixels16(values);
    slice.position = std::array<double, 3>{0, 0, 1.0 * k};
    slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
    slice.pixelSpacing = std::array<double, 2>{0.7, 0.7};
    slice.instanceNumber = k + 1;
    return wexlan::io::test::WriteDicom(path, slice);
}

bool ReadSeries(const std::string& first) {
    wFileReader reader;
    reader.SetFilename(first);
    return reader.Read();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QString curl = QStandardPaths::findExecutable("curl");
    wexlan::test::OrthancServer server;
    if (!server.Skip().empty() || curl.isEmpty()) {
        std::fprintf(stderr, "bench_remote: %s\n",
                     curl.isEmpty() ? "curl is not installed" : server.Skip().c_str());
        return 1;
    }
    const std::string local = server.Folder().toStdString() + "/local";
    std::filesystem::create_directories(local);
    std::mt19937 random(7);
    for (int k = 0; k < kImages; ++k) {
        const std::string path = local + Format("/%03d.dcm", k);
        if (!WriteSlice(path, k, random) || !server.Upload(QString::fromStdString(path)).empty()) {
            std::fprintf(stderr, "bench_remote: slice %d was not stored\n", k);
            return 1;
        }
    }
    wexlan::remote::DicomWebClient client({"bench", server.DicomWeb().toStdString(), "", ""});
    std::string study;
    if (const std::string why = client.StudyOfSeries(kSeries, study); !why.empty()) {
        std::fprintf(stderr, "bench_remote: %s\n", why.c_str());
        return 1;
    }
    const QString url =
        server.DicomWeb() + "/studies/" + QString::fromStdString(study) + "/series/" + kSeries;
    const QString answer = server.Folder() + "/answer";

    double ours = 1e9, theirs = 1e9;
    bool ok = true;
    std::string folder;
    for (int round = 0; round < kRounds; ++round) {
        QTemporaryDir cache;
        ours = std::min(
            ours, Seconds(
                      [&] {
                          return client
                              .RetrieveSeries(
                                  study, kSeries,
                                  wexlan::remote::SeriesCache(cache.path().toStdString()), folder)
                              .empty();
                      },
                      ok));
        theirs =
            std::min(theirs, Seconds(
                                 [&] {
                                     return QProcess::execute(curl, {"-sf", "-o", answer, "-H",
                                                                     "Accept: multipart/related; "
                                                                     "type=\"application/dicom\"",
                                                                     url}) == 0;
                                 },
                                 ok));
    }
    const double megabytes = QFileInfo(answer).size() / 1e6;
    const double retrieveRatio = ours / theirs;
    PrintFigure(Format("retrieve %d images of 512 x 512 (%.0f MB) from Orthanc on 127.0.0.1",
                       kImages, megabytes),
                Format("%.2f s (curl %.2f s)", ours, theirs), "<= 1.2 x curl",
                Format("%.2f", retrieveRatio),
                ok ? wexlan::bench::Met(retrieveRatio <= 1.2) : "no");

    // The series stays in one cache for the reads.
    QTemporaryDir cache;
    const wexlan::remote::SeriesCache kept(cache.path().toStdString());
    ok = client.RetrieveSeries(study, kSeries, kept, folder).empty() && ok;
    double cached = 1e9, plain = 1e9;
    for (int round = 0; round < kRounds; ++round) {
        cached = std::min(cached, Seconds([&] { return ReadSeries(folder + "/000001.dcm"); }, ok));
        plain = std::min(plain, Seconds([&] { return ReadSeries(local + "/000.dcm"); }, ok));
    }
    const double openRatio = cached / plain;
    PrintFigure(Format("open a %d-image series from the cache", kImages),
                Format("%.3f s (local folder %.3f s)", cached, plain), "<= 1.05 x local",
                Format("%.2f", openRatio), ok ? wexlan::bench::Met(openRatio <= 1.05) : "no");
    return ok ? 0 : 1;
}
