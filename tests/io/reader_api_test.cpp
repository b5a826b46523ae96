// The reader's interface: the format list, failures every format shares, reuse of one
// reader across files and ownership of the output (silence on the terminal: the mutation run).

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <vtkSmartPointer.h>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>

#include "MappedFile.h"
#include "ReadError.h"
#include "ReaderTestSupport.h"

namespace wexlan::io::test {
namespace {

using ::testing::HasSubstr;

// Which formats are listed is each format's tests' business; here the list's shape.
TEST(FormatList, ListsEachExtensionOnceWithADescriptionAndRefusesOtherIndices) {
    wFileReader reader;
    const int n = reader.GetNumberOfSupportedFileFormat();
    std::set<std::string> extensions;
    for (int i = 0; i < n; ++i) {
        const std::string ext = reader.GetSupportedFileExt(i);
        EXPECT_NE(ext.find('.'), 0u) << "no leading dot: " << ext;
        EXPECT_FALSE(reader.GetSupportedFileDesc(i).empty()) << ext;
        EXPECT_TRUE(extensions.insert(ext).second) << "listed twice: " << ext;
    }
    EXPECT_THROW(reader.GetSupportedFileExt(-1), std::invalid_argument);
    EXPECT_THROW(reader.GetSupportedFileExt(n), std::invalid_argument);
    EXPECT_THROW(reader.GetSupportedFileDesc(n), std::invalid_argument);
}

using ReaderApi = ReaderTest;

TEST_F(ReaderApi, FileSystemProblemsAndUnknownExtensionsAreNamed) {
    ExpectFailure(Path("missing.stl"), {"does not exist"});
    std::filesystem::create_directory(Path("folder.vtk"));
    ExpectFailure(Path("folder.vtk"), {"is a folder"});
    ExpectFailure(m_dir, {"is a folder"});
    ExpectFailure(Write("empty.stl", ""), {"the file is empty"});
    ExpectFailure(Write("notes.txt", "hello"), {"\".txt\"", "not a supported format", ".stl"});
    ExpectFailure(Write("README", "hello"), {"no extension"});
    // The file's own problem comes first.
    ExpectFailure(Path("missing.txt"), {"does not exist"});
}

std::string ErrorOf(const std::function<void()>& read) {
    try {
        read();
    } catch (const ReadError& e) {
        return e.what();
    }
    return "no error";
}

TEST_F(ReaderApi, FileBytesStayWhenTheFileShrinksAndChangesDuringTheReadAreRefused) {
    const std::string path = Write("cloud.xyz", std::string(100000, '1'));
    {
        const MappedFile file(path);
        std::filesystem::resize_file(path, 10);  // an exporter rewriting the file in place
        EXPECT_EQ(std::count(file.Begin(), file.End(), '1'), 100000);  // (a mapping faulted)
    }
    // Shorter, or as long but written again, between opening and reading.
    OpenedFile shortened(path);
    std::filesystem::resize_file(path, 4);
    EXPECT_THAT(ErrorOf([&] { MappedFile file(std::move(shortened)); }),
                HasSubstr("the file changed while it was being read"));
    OpenedFile rewritten(path);
    std::filesystem::last_write_time(
        path, std::filesystem::last_write_time(path) - std::chrono::hours(1));
    EXPECT_THAT(ErrorOf([&] { MappedFile file(std::move(rewritten)); }),
                HasSubstr("the file changed while it was being read"));
    const OpenedFile opened(path);
    std::filesystem::resize_file(path, 2);
    char bytes[4];
    EXPECT_THAT(ErrorOf([&] { opened.ReadAt(0, bytes, sizeof bytes); }),
                HasSubstr("the file changed while it was being read"));
}

TEST_F(ReaderApi, LibraryReadsOfAShortenedMappedFileAreCaughtWhileGuarded) {
    const std::string path = Write("stack.tif", std::string(65536, 'a'));
    const int fd = ::open(path.c_str(), O_RDONLY);
    ASSERT_GE(fd, 0);
    void* mapped = ::mmap(nullptr, 65536, PROT_READ, MAP_SHARED, fd, 0);  // as libtiff does
    ASSERT_NE(mapped, MAP_FAILED);
    std::filesystem::resize_file(path, 100);
    {
        const MappedReadGuard guard;
        EXPECT_EQ(static_cast<const volatile char*>(mapped)[50], 'a');
        guard.ThrowIfFaulted();
        EXPECT_EQ(static_cast<const volatile char*>(mapped)[40000], '\0');  // past the end
        EXPECT_THAT(ErrorOf([&] { guard.ThrowIfFaulted(); }),
                    HasSubstr("the file changed while it was being read"));
    }
    ::munmap(mapped, 65536);
    ::close(fd);
}

// Peak resident memory of this process since the last ResetPeakMemory.
std::uint64_t PeakResidentBytes() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stoull(line.substr(6)) * 1024;
        }
    }
    return 0;
}

void ResetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

TEST_F(ReaderApi, HolesAndZerosCostNoMemoryAndEveryFormatRefusesAHugeSparseFile) {
    // 512 MiB of holes under every extension, and 96 MiB of zeros written out.
    const int formats = m_reader.GetNumberOfSupportedFileFormat();
    std::vector<std::string> paths;
    for (int i = 0; i < formats; ++i) {
        paths.push_back(Write("zeros." + m_reader.GetSupportedFileExt(i), ""));
        std::filesystem::resize_file(paths.back(), std::uint64_t{512} << 20);
    }
    std::filesystem::resize_file(Write("sparse.bin", "solid"), std::uint64_t{4} << 30);
    Write("written.bin", std::string(std::size_t{96} << 20, '\0') + "end");
    ResetPeakMemory();
    const std::uint64_t before = PeakResidentBytes();
    const MappedFile holes(Path("sparse.bin")), written(Path("written.bin"));
    EXPECT_EQ(std::string(holes.Begin(), 5), "solid");
    EXPECT_EQ(std::string(written.End() - 4, 4), std::string("\0end", 4));
    for (const std::string& path : paths) {
        EXPECT_FALSE(Read(path)) << path;
    }
    EXPECT_LT(PeakResidentBytes() - before, std::uint64_t{64} << 20);
}

TEST_F(ReaderApi, OneReaderReadsFileAfterFileAndFailuresClearTheOutput) {
    EXPECT_EQ(m_reader.GetOutput(), nullptr);
    EXPECT_TRUE(m_reader.GetErrorMessage().empty());
    EXPECT_FALSE(m_reader.Read());
    EXPECT_THAT(m_reader.GetErrorMessage(), HasSubstr("no file name"));
    Write("TRI.OBJ", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n");  // extensions match ignoring case
    Write("bad.obj", "v 0 0 0\nf 1 2 3\n");
    Write("truncated.stl", std::string(84, '\0').replace(80, 4, Bytes<std::uint32_t>(1000)));
    vtkSmartPointer<vtkDataSet> kept;
    for (const char* bad : {"bad.obj", "truncated.stl", "missing.ply"}) {
        ExpectRead("TRI.OBJ", wFileReader::Surface, 3, 1);
        if (kept) {
            EXPECT_NE(kept.Get(), m_reader.GetOutput());  // every read gives new data
            EXPECT_EQ(kept->GetNumberOfPoints(), 3);
        }
        kept = m_reader.GetOutput();
        ExpectFailure(bad, {});
    }
}

}  // namespace
}  // namespace wexlan::io::test
