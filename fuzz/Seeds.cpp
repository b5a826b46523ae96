// Writes the seed corpus of every fuzz target into FOLDER/<target>/: the good files of the
// reader targets' formats (behind the extension-picking byte where a target reads several)
// and a few typical and borderline texts for the text targets.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "FuzzSupport.h"
#include "IgtlSender.h"
#include "MutationSeeds.h"
#include "VqWriter.h"

namespace {

namespace fs = std::filesystem;

struct ReaderTarget {
    const char* name;
    const char* extensions;  // comma-separated
};

const ReaderTarget kReaderTargets[] = {
#include "ReaderTargets.inc"
};

void WriteTexts(const fs::path& folder, const std::vector<std::string>& texts) {
    fs::create_directories(folder);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        wexlan::io::WriteFileBytes(folder / ("seed" + std::to_string(i)), texts[i]);
    }
}

// The reader targets' seeds: each good file whose extension the target reads.
int WriteReaderSeeds(const fs::path& out) {
    const fs::path goodFiles = out / "good-files";
    fs::create_directories(goodFiles);
    const auto seeds = wexlan::io::mutation::WriteSeeds(goodFiles.string());
    int written = 0;
    for (const ReaderTarget& target : kReaderTargets) {
        const std::vector<std::string> extensions = wexlan::fuzz::SplitAtCommas(target.extensions);
        const fs::path folder = out / target.name;
        fs::create_directories(folder);
        for (const auto& seed : seeds) {
            // Everything after the first dot of the name: "nii.gz", not "gz".
            const std::string name = fs::path(seed.name).filename().string();
            const auto match =
                std::find(extensions.begin(), extensions.end(), name.substr(name.find('.') + 1));
            if (match == extensions.end()) {
                continue;
            }
            std::string bytes = wexlan::io::ReadFileBytes(seed.path);
            if (extensions.size() > 1) {
                bytes.insert(bytes.begin(), static_cast<char>(match - extensions.begin()));
            }
            std::string fileName = seed.name;
            std::replace(fileName.begin(), fileName.end(), '/', '_');
            wexlan::io::WriteFileBytes(folder / fileName, bytes);
            ++written;
        }
    }
    fs::remove_all(goodFiles);
    return written;
}

// A VQ file of `rows` x `columns` x `slices` voxels (the preview reads the first slice).
void WriteVq(const fs::path& path, std::int32_t rows, std::int32_t columns, std::int32_t slices,
             std::int32_t fileType, std::int32_t dataType) {
    VqFile file;
    file.dimensions[0] = rows;
    file.dimensions[1] = columns;
    file.dimensions[2] = slices;
    file.fileType = fileType;
    file.dataType = dataType;
    for (std::int32_t i = 0; i < rows * columns * slices; ++i) {
        file.voxels.push_back(static_cast<std::uint32_t>(i * 37u));
    }
    file.Write(path.string());
}

// A message's bytes as a seed text.
std::string Text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

const double kIdentity[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const fs::path out(argv[1]);
    fs::remove_all(out);
    int written = WriteReaderSeeds(out);

    const std::pair<const char*, std::vector<std::string>> texts[] = {
        {"fuzz_configuration",
         {"## [CurrentDirectory]\n/data/cases/kidney\n/data/cases/liver\n/home/ana/scans\n",
          "# comment\r\n## [currentdirectory]\r\nC:\\data\\case 1\r\nD:\\more\r\n"
          "## [Other]\r\n/skipped\r\n## [CurrentDirectory]\r\n/second\r\n",
          "## [CurrentDirectory]\n\n/after-empty\n## [Next\n/x"}},
        {"fuzz_recent_files",
         {"liver,/data/cases/liver/liver.stl\nkidney,/data/k.vq\n",
          "# recent files\r\n  spleen , /data/a,b.vtk \r\n,no-name\nnocomma\n",
          "a,1\nb,2\nc,3\nd,4\ne,5\nf,6\ng,7\nh,8\ni,9\nj,10\nk,11\n"}},
        {"fuzz_matrix_file",
         {"# 4x4 matrix, row-major\n1 0 0 0\n0 1 0 0\n0 0 1 0\n0 0 0 1\n",
          "1,0,0,10.5\n0,1,0,-2e3\n0,0,1,0.125\n0,0,0,1\n",
          "1 2 3 4 5 6 7 8 9 10 11 12 13 14 15\n"}},
        {"fuzz_double_array",
         {std::string(1, '\x10') + "1, 2,3\n4 -5.5e-3\t6", std::string(1, '\x02') + "1 2 3",
          std::string(1, '\x08') + "0.1 nan 7", std::string(1, '\x3f') + "1e308 1e309"}},
        {"fuzz_multipart",
         {std::string(1, '\x03') + "--XyZ\r\nContent-Type: application/dicom\r\n\r\nDICM\r\n"
                                    "--XyZ \r\nA: b\r\n\r\n\r\n--XyZ--\r\nend",
          std::string(1, '\x00') + "pre\r\n--XyZ\r\n\r\n\r\n--Xy\r\n--XyZ--",
          std::string(1, '\x05') + "--XyZ\r\nA: 1\r\n\r\ntruncated"}},
        {"fuzz_igtl",
         {"\x01" + Text(wexlan::testing::IgtlSender::Transform("Stylus", kIdentity)) +
              Text(wexlan::testing::IgtlSender::Image("Probe", 2, 2, 1, 7)) + "\x01",
          std::string(1, '\0') +
              Text(wexlan::testing::IgtlSender::Image("Probe", 3, 1, 2, 9)).substr(0, 90)}},
    };
    for (const auto& [target, seedTexts] : texts) {
        WriteTexts(out / target, seedTexts);
        written += static_cast<int>(seedTexts.size());
    }
    const fs::path preview = out / "fuzz_vq_preview";
    fs::create_directories(preview);
    WriteVq(preview / "volume.vq", 3, 4, 2, 1, 32);
    WriteVq(preview / "type3.vq", 2, 2, 1, 3, 64);
    WriteVq(preview / "unknown-type.vq", 1, 1, 1, 2, 32);
    written += 3;
    std::printf("%d seed files written to %s\n", written, out.c_str());
    return 0;
}
