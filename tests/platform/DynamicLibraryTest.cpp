#include <dlfcn.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <string>

#include "DamagedLibrary.h"
#include "DynamicLibrary.h"
#include "WorkingDirectory.h"

namespace wexlan {
namespace {

// Each test loads its own copies of the fixtures, so "still mapped" concerns that test alone.
class DynamicLibraryTest : public ::testing::Test {
protected:
    std::string Copy(const std::string& name) {
        std::filesystem::copy_file(FIXTURE_LIBRARY, m_root + "/" + name);
        return m_root + "/" + name;
    }
    static bool Mapped(const std::string& path) {
        void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
        return handle != nullptr && dlclose(handle) == 0;
    }
    static bool Says(const DynamicLibrary& library, const std::string& part) {
        return library.ErrorText().find(part) != std::string::npos;
    }
    QTemporaryDir m_folder;
    const std::string m_root = m_folder.path().toStdString();
};

TEST_F(DynamicLibraryTest, LoadsByAbsolutePathOnlyAndKeepsTheReasonOfAFailure) {
    const std::string path = Copy("fixture.so");
    std::ofstream(m_root + "/notes.so") << "not a library\n";
    ScopedWorkingDirectory inFolder(m_root);
    DynamicLibrary library;
    for (const std::string name : {"fixture.so", "./fixture.so", "libc.so.6", ""}) {
        EXPECT_FALSE(library.Load(name)) << name;  // never through a search path
        EXPECT_TRUE(Says(library, "not an absolute")) << library.ErrorText();
    }
    ASSERT_TRUE(library.Load(path)) << library.ErrorText();
    EXPECT_EQ(library.Path(), path);
    EXPECT_EQ(library.Symbol("NoSuchEntry"), nullptr);
    EXPECT_TRUE(Says(library, "NoSuchEntry")) << library.ErrorText();
    auto answer = reinterpret_cast<int (*)()>(library.Symbol("WexlanFixtureAnswer"));
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(answer(), 42);
    EXPECT_EQ(library.ErrorText(), "");

    EXPECT_FALSE(library.Load(m_root + "/notes.so"));
    EXPECT_EQ(library.ErrorText(), m_root + "/notes.so is not an ELF library");
    EXPECT_FALSE(library.Load(m_root + "/missing.so"));
    EXPECT_TRUE(Says(library, "No such file")) << library.ErrorText();
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Symbol("WexlanFixtureAnswer"), nullptr);
    EXPECT_TRUE(Says(library, "no library loaded"));
}

// What the loader would hang or crash on is refused before it sees the file, in plain words.
TEST_F(DynamicLibraryTest, RefusesFilesTheLoaderCannotTakeWhole) {
    DynamicLibrary library;
    const std::string fifo = m_root + "/fifo.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(library.Load(fifo));  // the loader's open() would wait for a writer forever
    EXPECT_EQ(library.ErrorText(), fifo + " is not a regular file");
    EXPECT_FALSE(library.Load(m_root));
    EXPECT_EQ(library.ErrorText(), m_root + " is not a regular file");

    // Cut anywhere inside its segments, the library would be mapped and fault with SIGBUS.
    const std::string whole = Copy("whole.so");
    const std::uint64_t fileSize = std::filesystem::file_size(whole);
    const std::uint64_t segmentsEnd = damage::SegmentsEnd(whole);
    ASSERT_LT(segmentsEnd, fileSize);  // the section headers come after the segments
    for (const std::uint64_t size : {std::uint64_t{700}, segmentsEnd / 2, segmentsEnd - 1}) {
        const std::string cut = Copy("cut" + std::to_string(size) + ".so");
        damage::Truncate(cut, size);
        EXPECT_FALSE(library.Load(cut));
        EXPECT_EQ(library.ErrorText(), cut + " is truncated (its segments end at byte " +
                                           std::to_string(segmentsEnd) + ", the file has " +
                                           std::to_string(size) + ")");
    }
    const std::string headerOnly = Copy("header.so");
    damage::Truncate(headerOnly, 100);
    EXPECT_FALSE(library.Load(headerOnly));
    EXPECT_TRUE(Says(library, "is truncated (its program headers end at byte"))
        << library.ErrorText();
    const std::string lastByte = Copy("last.so");
    damage::Truncate(lastByte, fileSize - 1);
    EXPECT_FALSE(library.Load(lastByte));
    EXPECT_TRUE(
        Says(library, "is truncated (its section headers end at byte " + std::to_string(fileSize)))
        << library.ErrorText();

    // Built for something else: said as such, not as a missing file (a foreign machine is
    // checked through plug-in discovery in the controller tests).
    const std::string narrow = Copy("narrow.so");
    damage::Patch(narrow, EI_CLASS, {ELFCLASS32});
    EXPECT_FALSE(library.Load(narrow));
    EXPECT_EQ(library.ErrorText(), narrow + " is built for 32-bit programs, not 64-bit ones");
    const std::string program = Copy("program.so");
    damage::Patch(program, offsetof(ElfW(Ehdr), e_type), {ET_EXEC, 0});
    EXPECT_FALSE(library.Load(program));
    EXPECT_EQ(library.ErrorText(), program + " is not a shared library (ELF type 2)");

    ASSERT_TRUE(library.Load(whole)) << library.ErrorText();  // the undamaged copy loads
}

// Free, a new or failed Load, the destructor, a move and Adopt each let go exactly once.
TEST_F(DynamicLibraryTest, EveryWayOfLettingGoUnloadsOnce) {
    const std::string first = Copy("first.so"), second = Copy("second.so");
    {
        DynamicLibrary library;
        ASSERT_TRUE(library.Load(first));
        library.Free();
        EXPECT_FALSE(library.IsLoaded() || Mapped(first));
        EXPECT_EQ(library.Path(), "");
        ASSERT_TRUE(library.Load(first) && library.Load(second));
        EXPECT_FALSE(Mapped(first));
        EXPECT_FALSE(library.Load(first + ".missing"));
        EXPECT_FALSE(Mapped(second));
        ASSERT_TRUE(library.Load(second));
    }
    EXPECT_FALSE(Mapped(second));

    DynamicLibrary source, target;
    ASSERT_TRUE(source.Load(first) && target.Load(second));
    DynamicLibrary moved(std::move(source));
    EXPECT_FALSE(source.IsLoaded());
    EXPECT_NE(moved.Symbol("WexlanFixtureAnswer"), nullptr);
    target = std::move(moved);
    EXPECT_FALSE(Mapped(second));
    EXPECT_EQ(target.Path(), first);

    void* handle = target.Release();
    EXPECT_FALSE(target.IsLoaded());
    EXPECT_TRUE(Mapped(first));  // released, not freed
    {
        DynamicLibrary adopted = DynamicLibrary::Adopt(handle, first);
        EXPECT_EQ(adopted.Path(), first);
        EXPECT_NE(adopted.Symbol("WexlanFixtureAnswer"), nullptr);
    }
    EXPECT_FALSE(Mapped(first));  // the adopting object freed it
    EXPECT_FALSE(DynamicLibrary::Adopt(nullptr, first).IsLoaded());
}

}  // namespace
}  // namespace wexlan
