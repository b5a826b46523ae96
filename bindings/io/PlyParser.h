#pragma once
// Stanford polygon files (.ply): ASCII, binary little-endian and binary big-endian.
//
// The header declares elements ("element vertex 8") with their properties; the body
// holds the elements in that order. Vertices give the points (x, y, z) and, when
// present, normals (nx, ny, nz), colours (red, green, blue, alpha) and texture
// coordinates (u, v or s, t); faces give polygons through their "vertex_indices" list.
// Any other element is skipped. Before anything is allocated, the smallest number of
// bytes the declared counts need is compared with what follows the header; every face
// index is checked against the vertex count.

#include <vtkPolyData.h>
#include <vtkSmartPointer.h>

#include <cstdint>
#include <string>
#include <vector>

#include "ByteCursor.h"
#include "DataBuilders.h"
#include "MappedFile.h"

namespace wexlan::io {

class TextCursor;

class PlyParser {
public:
    explicit PlyParser(const MappedFile& file) : m_file(file) {}
    /// Throws ReadError if the file is not a readable PLY mesh or point set.
    vtkSmartPointer<vtkPolyData> Parse();

    enum class Type : std::uint8_t { Int8, UInt8, Int16, UInt16, Int32, UInt32, Float32, Float64 };

private:
    enum class Encoding { Ascii, Binary };
    /// What a vertex property becomes in the output.
    enum class Role : std::uint8_t { None, X, Y, Z, NX, NY, NZ, Red, Green, Blue, Alpha, U, V };

    struct Property {
        std::string name;
        Type type = Type::Float32;
        bool isList = false;
        Type countType = Type::UInt8;
        Role role = Role::None;
    };
    struct Element {
        std::string name;
        std::uint64_t count = 0;
        std::vector<Property> properties;
    };

    void ParseHeader();
    void CheckDeclaredSizes() const;
    void PrepareVertexRoles();
    void ReadBinaryVertices(ByteCursor& bytes, const Element& element);
    void ReadBinaryFaces(ByteCursor& bytes, const Element& element);
    void SkipBinaryElement(ByteCursor& bytes, const Element& element);
    void ReadAsciiVertices(TextCursor& text, const Element& element);
    void ReadAsciiFaces(TextCursor& text, const Element& element);
    void SkipAsciiElement(TextCursor& text, const Element& element);
    void StoreVertexValue(std::uint64_t vertex, Role role, double value);
    void AddFaceIndex(std::uint64_t face, std::int64_t index);
    vtkSmartPointer<vtkPolyData> BuildOutput();

    const MappedFile& m_file;
    Encoding m_encoding = Encoding::Ascii;
    ByteOrder m_order = ByteOrder::Little;
    std::vector<Element> m_elements;
    const char* m_body = nullptr;
    std::uint64_t m_vertexCount = 0;
    bool m_hasNormals = false;
    int m_colourComponents = 0;  ///< 0, 3 (RGB) or 4 (RGBA)
    bool m_colourIsFloat = false;
    bool m_hasTexture = false;

    GrowableArray<float> m_points;
    GrowableArray<float> m_normals;
    GrowableArray<unsigned char> m_colours;
    GrowableArray<float> m_texture;
    GrowableArray<vtkIdType> m_offsets;
    GrowableArray<vtkIdType> m_connectivity;
};

}  // namespace wexlan::io
