#pragma once
// Point Cloud Data files (.pcd) as the Point Cloud Library writes them.
//
// A text header (VERSION, FIELDS, SIZE, TYPE, COUNT, WIDTH, HEIGHT, VIEWPOINT, POINTS,
// DATA) and the points as text ("DATA ascii"), as fixed-size binary records
// ("DATA binary") or LZF-compressed and stored field by field ("DATA
// binary_compressed"). The fields x, y and z give the points; "rgb"/"rgba" become
// colours, "intensity" a scalar, normal_x/y/z normals. Points whose coordinates are NaN
// mark holes in organised clouds and are left out. Sizes are checked against the data
// before anything is allocated.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <string>
#include <vector>

#include "MappedFile.h"

namespace wexlan::io {

class PcdParser {
public:
    explicit PcdParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if the file is not a readable PCD point cloud.
    vtkSmartPointer<vtkPolyData> Parse();

    struct Field {
        std::string name;
        std::size_t size = 4;    ///< bytes per value
        char type = 'F';         ///< I signed, U unsigned, F floating point
        std::size_t count = 1;   ///< values per point
        std::size_t offset = 0;  ///< byte offset in a binary record
    };

private:
    void ParseHeader();

    const MappedFile& m_file;
    std::vector<Field> m_fields;
    std::uint64_t m_points = 0;
    std::string m_data;
    const char* m_body = nullptr;
};

}  // namespace wexlan::io
