#pragma once
// Shared by the reader tests: a scratch folder per test, file writers, and reading a
// file through a wFileReader that lives as long as the test.

#include <gtest/gtest.h>
#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "FileBytes.h"
#include "wFileReader.h"

namespace wexlan::io::test {

class ReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Full path of `name` in this test's scratch folder.
    std::string Path(const std::string& name) const { return m_dir + "/" + name; }
    /// Writes `bytes` to `name`, making its folders, and returns the full path.
    std::string Write(const std::string& name, const std::string& bytes) const;
    /// The bytes of `name` in the scratch folder.
    std::string Contents(const std::string& name) const;

    /// Reads `name` (or an absolute path) with the test's reader; true on success.
    bool Read(const std::string& name);
    /// Expects the read to fail with a message naming the file and holding every part.
    void ExpectFailure(const std::string& name, std::initializer_list<const char*> parts);
    /// Writes `bytes` to `name`, then expects the read to fail as above.
    void ExpectFailure(const std::string& name, const std::string& bytes,
                       std::initializer_list<const char*> parts);
    /// Expects success with the given output type, point and cell counts.
    void ExpectRead(const std::string& name, int type, vtkIdType points, vtkIdType cells);
    /// Writes `bytes` to `name`, then expects it read as above.
    void ExpectRead(const std::string& name, const std::string& bytes, int type, vtkIdType points,
                    vtkIdType cells);

    /// Point `i` of the output.
    std::array<double, 3> PointAt(vtkIdType i);

    vtkPolyData* Poly() { return vtkPolyData::SafeDownCast(m_reader.GetOutput()); }
    vtkImageData* Volume() { return vtkImageData::SafeDownCast(m_reader.GetOutput()); }

    wFileReader m_reader;
    std::string m_dir;
};

/// The first value of the string array `name` in the field data, or "" without one.
std::string FieldText(vtkDataSet* data, const char* name);

/// The point array "Label" of the output's markers, empty without one.
std::vector<std::string> Labels(vtkDataSet* data);

/// Expects two images alike in dimensions, spacing, origin, direction and scalars
/// (type, name, components and every byte).
void ExpectSameImage(vtkImageData* ours, vtkImageData* theirs);

}  // namespace wexlan::io::test
