#include "ReaderTestSupport.h"

#include <filesystem>
#include <fstream>

namespace wexlan::io::test {

void ReaderTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wexlan-io-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_Dir = pattern;
}

void ReaderTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(m_Dir, ignored);
}

std::string ReaderTest::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

bool ReaderTest::Read(const std::string& name) {
    m_Reader.SetFilename(name.empty() || name[0] == '/' ? name : Path(name));
    return m_Reader.Read() != 0;
}

void ReaderTest::ExpectFailure(const std::string& name, std::initializer_list<const char*> parts) {
    EXPECT_FALSE(Read(name)) << name << " was read but should have failed";
    const std::string message = m_Reader.GetErrorMessage();
    EXPECT_EQ(message.rfind(m_Reader.GetFilename() + ": ", 0), 0u) << message;
    for (const char* part : parts) {
        EXPECT_NE(message.find(part), std::string::npos)
            << "message \"" << message << "\" lacks \"" << part << "\"";
    }
    EXPECT_EQ(m_Reader.GetOutput(), nullptr);
    EXPECT_EQ(m_Reader.GetOutputType(), 0);
}

void ReaderTest::ExpectRead(const std::string& name, int type, vtkIdType points, vtkIdType cells) {
    ASSERT_TRUE(Read(name)) << m_Reader.GetErrorMessage();
    EXPECT_TRUE(m_Reader.GetErrorMessage().empty());
    ASSERT_NE(m_Reader.GetOutput(), nullptr);
    EXPECT_EQ(m_Reader.GetOutputType(), type) << name;
    EXPECT_EQ(m_Reader.GetOutput()->GetNumberOfPoints(), points) << name;
    EXPECT_EQ(m_Reader.GetOutput()->GetNumberOfCells(), cells) << name;
}

std::string VqFile(std::int32_t fileType, std::int32_t d1, std::int32_t d2, std::int32_t d3,
                   std::int32_t dataType, const std::vector<std::uint32_t>& voxels,
                   double spacing) {
    std::string header(8192, '\0');
    const char signature[] = {0x4D, 0x08, 0x0F, 0x4D, 0x0B, 0x1D};
    std::memcpy(header.data(), signature, 6);
    const auto put = [&header](std::size_t at, const std::string& bytes) {
        std::memcpy(header.data() + at, bytes.data(), bytes.size());
    };
    put(6, Bytes<std::int32_t>(1));
    put(10, Bytes(fileType));
    put(14, Bytes(d1));
    put(18, Bytes(d2));
    put(22, Bytes(d3));
    put(26, Bytes(spacing));
    put(34, Bytes(spacing));
    put(42, Bytes(spacing));
    put(50, Bytes(dataType));
    std::string out = header;
    for (std::uint32_t v : voxels) {
        out += Bytes(v);
    }
    return out;
}

}  // namespace wexlan::io::test
