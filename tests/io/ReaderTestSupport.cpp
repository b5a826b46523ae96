#include "ReaderTestSupport.h"

#include <vtkDataArray.h>
#include <vtkFieldData.h>
#include <vtkMatrix3x3.h>
#include <vtkPointData.h>
#include <vtkStringArray.h>

#include <cstring>
#include <filesystem>

namespace wexlan::io::test {

void ReaderTest::SetUp() {
    std::string pattern = (std::filesystem::temp_directory_path() / "wexlan-io-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    m_dir = pattern;
}

void ReaderTest::TearDown() {
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
}

std::string ReaderTest::Write(const std::string& name, const std::string& bytes) const {
    const std::string path = Path(name);
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    WriteFileBytes(path, bytes);
    return path;
}

std::string ReaderTest::Contents(const std::string& name) const {
    return ReadFileBytes(Path(name));
}

bool ReaderTest::Read(const std::string& name) {
    m_reader.SetFilename(name.empty() || name[0] == '/' ? name : Path(name));
    return m_reader.Read() != 0;
}

void ReaderTest::ExpectFailure(const std::string& name, std::initializer_list<const char*> parts) {
    EXPECT_FALSE(Read(name)) << name << " was read but should have failed";
    const std::string message = m_reader.GetErrorMessage();
    EXPECT_EQ(message.rfind(m_reader.GetFilename() + ": ", 0), 0u) << message;
    for (const char* part : parts) {
        EXPECT_NE(message.find(part), std::string::npos)
            << "message \"" << message << "\" lacks \"" << part << "\"";
    }
    EXPECT_EQ(m_reader.GetOutput(), nullptr);
    EXPECT_EQ(m_reader.GetOutputType(), 0);
}

void ReaderTest::ExpectFailure(const std::string& name, const std::string& bytes,
                               std::initializer_list<const char*> parts) {
    Write(name, bytes);
    ExpectFailure(name, parts);
}

void ReaderTest::ExpectRead(const std::string& name, int type, vtkIdType points, vtkIdType cells) {
    ASSERT_TRUE(Read(name)) << m_reader.GetErrorMessage();
    EXPECT_TRUE(m_reader.GetErrorMessage().empty());
    ASSERT_NE(m_reader.GetOutput(), nullptr);
    EXPECT_EQ(m_reader.GetOutputType(), type) << name;
    EXPECT_EQ(m_reader.GetOutput()->GetNumberOfPoints(), points) << name;
    EXPECT_EQ(m_reader.GetOutput()->GetNumberOfCells(), cells) << name;
}

void ReaderTest::ExpectRead(const std::string& name, const std::string& bytes, int type,
                            vtkIdType points, vtkIdType cells) {
    Write(name, bytes);
    ExpectRead(name, type, points, cells);
}

std::array<double, 3> ReaderTest::PointAt(vtkIdType i) {
    std::array<double, 3> p{};
    m_reader.GetOutput()->GetPoint(i, p.data());
    return p;
}

std::vector<std::string> Labels(vtkDataSet* data) {
    std::vector<std::string> labels;
    auto* array = vtkStringArray::SafeDownCast(data->GetPointData()->GetAbstractArray("Label"));
    for (vtkIdType i = 0; array != nullptr && i < array->GetNumberOfValues(); ++i)
        labels.push_back(array->GetValue(i));
    return labels;
}

std::string FieldText(vtkDataSet* data, const char* name) {
    auto* array = vtkStringArray::SafeDownCast(data->GetFieldData()->GetAbstractArray(name));
    return array != nullptr ? array->GetValue(0) : std::string();
}

void ExpectSameImage(vtkImageData* ours, vtkImageData* theirs) {
    ASSERT_NE(ours, nullptr);
    ASSERT_NE(theirs, nullptr);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(ours->GetDimensions()[i], theirs->GetDimensions()[i]) << "axis " << i;
        EXPECT_EQ(ours->GetSpacing()[i], theirs->GetSpacing()[i]) << "axis " << i;
        EXPECT_EQ(ours->GetOrigin()[i], theirs->GetOrigin()[i]) << "axis " << i;
    }
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(ours->GetDirectionMatrix()->GetData()[i],
                  theirs->GetDirectionMatrix()->GetData()[i]);
    }
    vtkDataArray* a = ours->GetPointData()->GetScalars();
    vtkDataArray* b = theirs->GetPointData()->GetScalars();
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(a->GetDataType(), b->GetDataType());
    EXPECT_STREQ(a->GetName(), b->GetName());
    ASSERT_EQ(a->GetNumberOfComponents(), b->GetNumberOfComponents());
    ASSERT_EQ(a->GetNumberOfTuples(), b->GetNumberOfTuples());
    const auto bytes = static_cast<std::size_t>(a->GetNumberOfValues() * a->GetDataTypeSize());
    EXPECT_EQ(std::memcmp(a->GetVoidPointer(0), b->GetVoidPointer(0), bytes), 0)
        << "the values differ";
}

}  // namespace wexlan::io::test
