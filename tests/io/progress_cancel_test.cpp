// Progress and cancel of one read of each kind (own parser, compressed data, a guarded
// VTK reader, a DICOM series read on all cores), and readers on two threads at once.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkFloatArray.h>
#include <vtkImageData.h>
#include <vtkPointData.h>
#include <vtkXMLImageDataWriter.h>
#include <zlib.h>

#include <atomic>
#include <filesystem>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

#include "DicomWriting.h"
#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::string bytes(count, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

// Binary STL of `triangles` triangles with corners on a grid, so points are shared.
std::string BinaryStl(std::uint32_t triangles) {
    std::string bytes(80, ' ');
    bytes.append(reinterpret_cast<const char*>(&triangles), 4);
    for (std::uint32_t t = 0; t < triangles; ++t) {
        const float x = static_cast<float>(t % 1000);
        const float y = static_cast<float>(t / 1000);
        const float facet[12] = {0, 0, 1, x, y, 0, x + 1, y, 0, x, y + 1, 0};
        bytes.append(reinterpret_cast<const char*>(facet), sizeof facet);
        bytes.append(2, '\0');
    }
    return bytes;
}

// NRRD of 16 MiB of random voxels, zlib-compressed (so the input barely shrinks).
std::string CompressedNrrd() {
    const std::string voxels = RandomBytes(std::size_t{256} * 256 * 256, 7);
    uLongf size = compressBound(static_cast<uLong>(voxels.size()));
    std::string packed(size, '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size,
              reinterpret_cast<const Bytef*>(voxels.data()), static_cast<uLong>(voxels.size()), 1);
    packed.resize(size);
    return "NRRD0004\ntype: uchar\ndimension: 3\nsizes: 256 256 256\nencoding: gzip\n\n" + packed;
}

// An XYZ cloud of `points` lines.
std::string XyzCloud(int points) {
    std::string text;
    for (int i = 0; i < points; ++i) {
        text += std::to_string(i % 1000) + " " + std::to_string(i / 1000) + " 0.5\n";
    }
    return text;
}

// The reader kinds, each a file of some megabytes in the scratch folder.
struct Inputs {
    std::vector<std::string> All() const { return {stl, xyz, nrrd, vti, dicom}; }

    std::string stl, xyz, nrrd, vti, dicom;
};

class ReadProgressAndCancel : public ReaderTest {
protected:
    Inputs WriteInputs() {
        Inputs inputs;
        inputs.stl = Write("big.stl", BinaryStl(300000));
        inputs.xyz = Write("cloud.xyz", XyzCloud(300000));
        inputs.nrrd = Write("big.nrrd", CompressedNrrd());
        auto image = vtkSmartPointer<vtkImageData>::New();
        image->SetDimensions(128, 128, 128);
        auto values = vtkSmartPointer<vtkFloatArray>::New();
        values->SetNumberOfValues(128 * 128 * 128);
        for (vtkIdType i = 0; i < values->GetNumberOfValues(); ++i) {
            values->SetValue(i, static_cast<float>(i % 977));
        }
        image->GetPointData()->SetScalars(values);
        inputs.vti = Path("big.vti");
        auto writer = vtkSmartPointer<vtkXMLImageDataWriter>::New();
        writer->SetInputData(image);
        writer->SetFileName(inputs.vti.c_str());
        writer->SetCompressorTypeToNone();
        writer->SetDataModeToAppended();
        writer->EncodeAppendedDataOff();
        writer->Write();
        std::filesystem::create_directories(Path("series"));
        for (int k = 0; k < 40; ++k) {
            DicomSlice s;
            s.rows = s.columns = 128;
            s.pixels = RandomBytes(128 * 128 * 2, static_cast<unsigned>(k));
            s.position = std::array<double, 3>{0, 0, 1.5 * k};
            s.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
            s.pixelSpacing = std::array<double, 2>{1, 1};
            s.instanceNumber = k + 1;
            EXPECT_TRUE(WriteDicom(Path("series/" + std::to_string(k) + ".dcm"), s));
        }
        inputs.dicom = Path("series/0.dcm");
        return inputs;
    }
};

TEST_F(ReadProgressAndCancel, ProgressGrowsToOneAndACancelAtAnyReportFailsAndLeavesTheReaderReady) {
    const Inputs inputs = WriteInputs();
    std::atomic<bool> cancel{false};
    m_reader.SetCancelFlag(&cancel);
    for (const std::string& path : inputs.All()) {
        SCOPED_TRACE(path);
        std::vector<double> seen;
        std::vector<std::string> texts;
        m_reader.SetProgressCallback([&](double f, const std::string& text) {
            seen.push_back(f);
            texts.push_back(text);
        });
        ASSERT_TRUE(Read(path)) << m_reader.GetErrorMessage();
        // Several steps, never a flood, always growing, ending at exactly 1 once.
        ASSERT_GE(seen.size(), 4u);
        EXPECT_LE(seen.size(), 102u);
        for (std::size_t i = 1; i < seen.size(); ++i) {
            EXPECT_GT(seen[i], seen[i - 1]);
        }
        EXPECT_EQ(seen.back(), 1.0);
        EXPECT_LT(seen[seen.size() - 2], 1.0);
        if (path == inputs.dicom) {
            EXPECT_THAT(texts, ::testing::Contains(::testing::HasSubstr(" of 40")));
        }

        // A cancel set from the callback at the first report, at half way and near the
        // end (how many reports a read of files on several threads gives varies) stops
        // the read with no report after it; the next read of the reader works.
        for (const double at : {0.0, 0.5, 0.9}) {
            std::size_t calls = 0, setAt = 0;
            m_reader.SetProgressCallback([&](double f, const std::string&) {
                ++calls;
                if (setAt == 0 && f >= at) {
                    cancel = true;
                    setAt = calls;
                }
            });
            EXPECT_FALSE(Read(path)) << "cancelled at " << at;
            EXPECT_EQ(m_reader.GetErrorMessage(), path + ": cancelled");
            EXPECT_EQ(m_reader.GetOutput(), nullptr);
            EXPECT_EQ(calls, setAt);
            cancel = false;
        }
        m_reader.SetProgressCallback({});
        EXPECT_TRUE(Read(path)) << m_reader.GetErrorMessage();

        // A cancel from another thread at a random moment ends the read soon after.
        std::mt19937 random(17);
        for (int round = 0; round < 3; ++round) {
            cancel = false;
            const auto delay = std::chrono::microseconds(random() % 20000);
            std::chrono::steady_clock::time_point setAt;
            std::thread canceller([&] {
                std::this_thread::sleep_for(delay);
                setAt = std::chrono::steady_clock::now();
                cancel = true;
            });
            const bool read = Read(path);
            const auto endedAt = std::chrono::steady_clock::now();
            canceller.join();
            if (!read) {
                EXPECT_EQ(m_reader.GetErrorMessage(), path + ": cancelled");
                EXPECT_LT(endedAt - setAt, std::chrono::milliseconds(250));
            }
        }
        cancel = false;
    }
    m_reader.SetCancelFlag(nullptr);
}

TEST_F(ReadProgressAndCancel, ReadersOnTwoThreadsKeepTheirOwnResultsAndMessages) {
    const Inputs inputs = WriteInputs();
    const std::string vti = Contents("big.vti");
    const std::string damaged = Write("damaged.vti", vti.substr(0, vti.size() / 2));
    const std::string other = Write("other.vti", vti.substr(0, vti.find("<AppendedData")));
    std::string alone[2];
    const std::string paths[2] = {damaged, other};
    for (int i = 0; i < 2; ++i) {
        wFileReader reader;
        reader.SetFilename(paths[i]);
        ASSERT_FALSE(reader.Read());
        alone[i] = reader.GetErrorMessage();
    }
    ASSERT_NE(alone[0].substr(damaged.size()), alone[1].substr(other.size()));

    // Two failing reads at once say what each says alone; a good read beside a
    // failing one succeeds.
    const auto readOften = [](const std::string& path, std::vector<std::string>& messages) {
        wFileReader reader;
        reader.SetFilename(path);
        for (int round = 0; round < 6; ++round) {
            messages.push_back(reader.Read() ? std::string("read") : reader.GetErrorMessage());
        }
    };
    std::vector<std::string> first, second, good;
    std::thread a([&] { readOften(damaged, first); });
    std::thread b([&] { readOften(other, second); });
    std::thread c([&] { readOften(inputs.stl, good); });
    a.join();
    b.join();
    c.join();
    EXPECT_THAT(first, ::testing::Each(alone[0]));
    EXPECT_THAT(second, ::testing::Each(alone[1]));
    EXPECT_THAT(good, ::testing::Each(std::string("read")));
}

}  // namespace
}  // namespace wexlan::io::test
