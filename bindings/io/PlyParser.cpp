#include "PlyParser.h"

#include <vtkFloatArray.h>
#include <vtkPointData.h>
#include <vtkUnsignedCharArray.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "TextCursor.h"

namespace wexlan::io {

namespace {

using Type = PlyParser::Type;

bool TypeFromName(std::string_view name, Type& type) {
    static const struct {
        const char* name;
        Type type;
    } kTypes[] = {{"char", Type::Int8},      {"int8", Type::Int8},       {"uchar", Type::UInt8},
                  {"uint8", Type::UInt8},    {"short", Type::Int16},     {"int16", Type::Int16},
                  {"ushort", Type::UInt16},  {"uint16", Type::UInt16},   {"int", Type::Int32},
                  {"int32", Type::Int32},    {"uint", Type::UInt32},     {"uint32", Type::UInt32},
                  {"float", Type::Float32},  {"float32", Type::Float32}, {"double", Type::Float64},
                  {"float64", Type::Float64}};
    for (const auto& t : kTypes) {
        if (name == t.name) {
            type = t.type;
            return true;
        }
    }
    return false;
}

std::size_t SizeOf(Type type) {
    switch (type) {
        case Type::Int8:
        case Type::UInt8:
            return 1;
        case Type::Int16:
        case Type::UInt16:
            return 2;
        case Type::Int32:
        case Type::UInt32:
        case Type::Float32:
            return 4;
        case Type::Float64:
            return 8;
    }
    return 8;
}

bool IsFloat(Type type) {
    return type == Type::Float32 || type == Type::Float64;
}

double LoadValue(const char* p, Type type, ByteOrder order) {
    switch (type) {
        case Type::Int8:
            return static_cast<std::int8_t>(*p);
        case Type::UInt8:
            return static_cast<std::uint8_t>(*p);
        case Type::Int16:
            return FromBytes<std::int16_t>(p, order);
        case Type::UInt16:
            return FromBytes<std::uint16_t>(p, order);
        case Type::Int32:
            return FromBytes<std::int32_t>(p, order);
        case Type::UInt32:
            return FromBytes<std::uint32_t>(p, order);
        case Type::Float32:
            return FromBytes<float>(p, order);
        case Type::Float64:
            return FromBytes<double>(p, order);
    }
    return 0;
}

std::int64_t LoadInteger(const char* p, Type type, ByteOrder order) {
    switch (type) {
        case Type::Int8:
            return static_cast<std::int8_t>(*p);
        case Type::UInt8:
            return static_cast<std::uint8_t>(*p);
        case Type::Int16:
            return FromBytes<std::int16_t>(p, order);
        case Type::UInt16:
            return FromBytes<std::uint16_t>(p, order);
        case Type::Int32:
            return FromBytes<std::int32_t>(p, order);
        case Type::UInt32:
            return FromBytes<std::uint32_t>(p, order);
        default: {
            // Lists with floating-point counts or indices exist; only whole numbers count.
            const double v = LoadValue(p, type, order);
            return (std::isfinite(v) && v == std::floor(v) && std::fabs(v) < 9e15)
                       ? static_cast<std::int64_t>(v)
                       : -1;
        }
    }
}

unsigned char ColourByte(double value, bool isFloat) {
    if (isFloat) {
        value *= 255.0;
    }
    if (!(value > 0)) {
        return 0;
    }
    return value >= 255 ? 255 : static_cast<unsigned char>(value + (isFloat ? 0.5 : 0.0));
}

const char* ElementWord(const std::string& name) {
    if (name == "vertex") {
        return "vertices";
    }
    if (name == "face") {
        return "faces";
    }
    return "elements";
}

}  // namespace

vtkSmartPointer<vtkPolyData> PlyParser::Parse() {
    ParseHeader();
    CheckDeclaredSizes();
    PrepareVertexRoles();

    if (m_encoding == Encoding::Binary) {
        ByteCursor bytes(m_body, m_file.End(), m_file.Begin(), m_order);
        for (const Element& element : m_elements) {
            if (element.name == "vertex") {
                ReadBinaryVertices(bytes, element);
            } else if (element.name == "face") {
                ReadBinaryFaces(bytes, element);
            } else {
                SkipBinaryElement(bytes, element);
            }
        }
    } else {
        TextCursor text(m_body, m_file.End(), m_file.Begin());
        for (const Element& element : m_elements) {
            if (element.name == "vertex") {
                ReadAsciiVertices(text, element);
            } else if (element.name == "face") {
                ReadAsciiFaces(text, element);
            } else {
                SkipAsciiElement(text, element);
            }
        }
    }
    return BuildOutput();
}

void PlyParser::ParseHeader() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    std::string_view line;
    if (!text.NextLine(line) || Trim(line, kBlanksInLine) != "ply") {
        Fail("not a PLY file (the first line is not \"ply\")");
    }
    bool haveFormat = false;
    std::vector<std::string_view> words;
    while (true) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            Fail("the PLY header has no \"end_header\" line");
        }
        SplitFields(line, " \t\r", true, words);
        if (words.empty() || words[0] == "comment" || words[0] == "obj_info") {
            continue;
        }
        if (words[0] == "end_header") {
            break;
        }
        if (words[0] == "format") {
            if (words.size() < 2) {
                text.FailAt(lineStart, "the format line names no format");
            }
            if (words[1] == "ascii") {
                m_encoding = Encoding::Ascii;
            } else if (words[1] == "binary_little_endian") {
                m_encoding = Encoding::Binary;
                m_order = ByteOrder::Little;
            } else if (words[1] == "binary_big_endian") {
                m_encoding = Encoding::Binary;
                m_order = ByteOrder::Big;
            } else {
                text.FailAt(lineStart, "unknown PLY format \"", Excerpt(words[1]), "\"");
            }
            haveFormat = true;
        } else if (words[0] == "element") {
            Element element;
            if (words.size() != 3 || !ParseNumber(words[2], element.count)) {
                text.FailAt(lineStart,
                            "an element line needs a name and a count that is 0 or "
                            "more (found \"",
                            Excerpt(line, 60), "\")");
            }
            element.name = std::string(words[1]);
            m_elements.push_back(std::move(element));
        } else if (words[0] == "property") {
            if (m_elements.empty()) {
                text.FailAt(lineStart, "a property is declared before any element");
            }
            Property property;
            bool ok = false;
            if (words.size() == 5 && words[1] == "list") {
                property.isList = true;
                ok = TypeFromName(words[2], property.countType) &&
                     TypeFromName(words[3], property.type) && !IsFloat(property.countType);
                property.name = std::string(words[4]);
            } else if (words.size() == 3) {
                ok = TypeFromName(words[1], property.type);
                property.name = std::string(words[2]);
            }
            if (!ok) {
                text.FailAt(lineStart, "cannot understand the property \"", Excerpt(line, 60),
                            "\"");
            }
            m_elements.back().properties.push_back(std::move(property));
        } else {
            text.FailAt(lineStart, "unexpected header line \"", Excerpt(line, 60), "\"");
        }
    }
    if (!haveFormat) {
        Fail("the PLY header has no format line");
    }
    m_body = text.Position();
}

void PlyParser::CheckDeclaredSizes() const {
    // The fewest bytes each element can take: fixed-size values, and lists with no
    // items; in text, one digit and one separator per value.
    const std::uint64_t available = static_cast<std::uint64_t>(m_file.End() - m_body);
    std::uint64_t needed = 0;
    bool haveVertices = false;
    for (const Element& element : m_elements) {
        std::uint64_t minimum = 0;
        for (const Property& p : element.properties) {
            minimum += m_encoding == Encoding::Ascii ? 2 : SizeOf(p.isList ? p.countType : p.type);
        }
        std::uint64_t bytes = 0;
        if (!CheckedMul(element.count, minimum, bytes) ||
            __builtin_add_overflow(needed, bytes, &needed) || needed > available + 1) {
            Fail("the header announces ", element.count, " ", ElementWord(element.name),
                 ", which need at least ",
                 ToDecimal(static_cast<unsigned __int128>(element.count) * minimum),
                 " bytes, but only ", available, " bytes follow the header");
        }
        if (element.properties.empty() && element.count > 0) {
            Fail("the element \"", Excerpt(element.name), "\" has no properties");
        }
        if (element.name == "vertex") {
            if (haveVertices) {
                Fail("the PLY header declares the vertex element twice");
            }
            haveVertices = true;
        }
    }
    if (!haveVertices) {
        Fail("the PLY header declares no vertex element");
    }
}

void PlyParser::PrepareVertexRoles() {
    static const struct {
        const char* name;
        Role role;
    } kRoles[] = {{"x", Role::X},
                  {"y", Role::Y},
                  {"z", Role::Z},
                  {"nx", Role::NX},
                  {"ny", Role::NY},
                  {"nz", Role::NZ},
                  {"red", Role::Red},
                  {"green", Role::Green},
                  {"blue", Role::Blue},
                  {"alpha", Role::Alpha},
                  {"diffuse_red", Role::Red},
                  {"diffuse_green", Role::Green},
                  {"diffuse_blue", Role::Blue},
                  {"u", Role::U},
                  {"v", Role::V},
                  {"s", Role::U},
                  {"t", Role::V},
                  {"texture_u", Role::U},
                  {"texture_v", Role::V}};
    for (Element& element : m_elements) {
        if (element.name == "face") {
            bool haveList = false;
            for (const Property& p : element.properties) {
                if (p.isList && (p.name == "vertex_indices" || p.name == "vertex_index")) {
                    haveList = true;
                }
            }
            if (!haveList) {
                Fail("the face element has no \"vertex_indices\" list");
            }
        }
        if (element.name != "vertex") {
            continue;
        }
        m_vertexCount = element.count;
        unsigned seen = 0;
        for (Property& p : element.properties) {
            for (const auto& r : kRoles) {
                if (!p.isList && p.name == r.name && !(seen & (1u << unsigned(r.role)))) {
                    p.role = r.role;
                    seen |= 1u << unsigned(r.role);
                    if (r.role >= Role::Red && r.role <= Role::Alpha && IsFloat(p.type)) {
                        m_colourIsFloat = true;
                    }
                }
            }
        }
        const auto has = [seen](Role r) { return (seen & (1u << unsigned(r))) != 0; };
        if (!has(Role::X) || !has(Role::Y) || !has(Role::Z)) {
            Fail("the PLY vertices have no x, y and z properties");
        }
        m_hasNormals = has(Role::NX) && has(Role::NY) && has(Role::NZ);
        if (has(Role::Red) && has(Role::Green) && has(Role::Blue)) {
            m_colourComponents = has(Role::Alpha) ? 4 : 3;
        }
        m_hasTexture = has(Role::U) && has(Role::V);
    }
    const auto n = static_cast<std::size_t>(m_vertexCount);
    m_points.Resize(3 * n);
    if (m_hasNormals) {
        m_normals.Resize(3 * n);
    }
    if (m_colourComponents > 0) {
        m_colours.Resize(static_cast<std::size_t>(m_colourComponents) * n);
    }
    if (m_hasTexture) {
        m_texture.Resize(2 * n);
    }
}

void PlyParser::StoreVertexValue(std::uint64_t vertex, Role role, double value) {
    switch (role) {
        case Role::X:
        case Role::Y:
        case Role::Z:
            if (!std::isfinite(value)) {
                Fail("vertex ", vertex, " has a coordinate that is not a finite number");
            }
            m_points[3 * vertex + (unsigned(role) - unsigned(Role::X))] = static_cast<float>(value);
            break;
        case Role::NX:
        case Role::NY:
        case Role::NZ:
            if (m_hasNormals) {
                m_normals[3 * vertex + (unsigned(role) - unsigned(Role::NX))] =
                    static_cast<float>(value);
            }
            break;
        case Role::Red:
        case Role::Green:
        case Role::Blue:
        case Role::Alpha:
            if (m_colourComponents > 0 && (role != Role::Alpha || m_colourComponents == 4)) {
                m_colours[m_colourComponents * vertex + (unsigned(role) - unsigned(Role::Red))] =
                    ColourByte(value, m_colourIsFloat);
            }
            break;
        case Role::U:
        case Role::V:
            if (m_hasTexture) {
                m_texture[2 * vertex + (role == Role::V ? 1 : 0)] = static_cast<float>(value);
            }
            break;
        case Role::None:
            break;
    }
}

void PlyParser::AddFaceIndex(std::uint64_t face, std::int64_t index) {
    if (index < 0 || static_cast<std::uint64_t>(index) >= m_vertexCount) {
        Fail("face ", face, " refers to vertex ", index, " but the file has ", m_vertexCount,
             " vertices");
    }
    m_connectivity.PushBack(static_cast<vtkIdType>(index));
}

void PlyParser::ReadBinaryVertices(ByteCursor& bytes, const Element& element) {
    std::size_t recordSize = 0;
    bool fixed = true;
    for (const Property& p : element.properties) {
        fixed = fixed && !p.isList;
        recordSize += SizeOf(p.isList ? p.countType : p.type);
    }
    for (std::uint64_t v = 0; v < element.count; ++v) {
        const char* record = fixed ? bytes.Take(recordSize, "a vertex") : nullptr;
        for (const Property& p : element.properties) {
            if (p.isList) {
                const std::int64_t n = LoadInteger(bytes.Take(SizeOf(p.countType), "a list size"),
                                                   p.countType, m_order);
                if (n < 0) {
                    Fail("vertex ", v, " has a list with a negative size");
                }
                bytes.Skip(static_cast<std::size_t>(n) * SizeOf(p.type), "a vertex list");
                continue;
            }
            const char* at = fixed ? record : bytes.Take(SizeOf(p.type), "a vertex value");
            if (p.role != Role::None) {
                StoreVertexValue(v, p.role, LoadValue(at, p.type, m_order));
            }
            if (fixed) {
                record += SizeOf(p.type);
            }
        }
    }
}

void PlyParser::ReadBinaryFaces(ByteCursor& bytes, const Element& element) {
    m_offsets.Reserve(static_cast<std::size_t>(element.count) + 1);
    m_offsets.PushBack(0);
    m_connectivity.Reserve(
        std::min<std::size_t>(static_cast<std::size_t>(element.count) * 3, bytes.Remaining()));
    for (std::uint64_t f = 0; f < element.count; ++f) {
        for (const Property& p : element.properties) {
            if (!p.isList) {
                bytes.Skip(SizeOf(p.type), "a face value");
                continue;
            }
            const std::int64_t n =
                LoadInteger(bytes.Take(SizeOf(p.countType), "a face size"), p.countType, m_order);
            const bool indices = p.name == "vertex_indices" || p.name == "vertex_index";
            if (n < 0 || (indices && n < 3)) {
                Fail("face ", f, " has ", n, " vertices (at least 3 are needed), at byte ",
                     bytes.Offset() - SizeOf(p.countType));
            }
            const std::size_t itemSize = SizeOf(p.type);
            const char* items = bytes.Take(static_cast<std::size_t>(n) * itemSize, "a face");
            if (!indices) {
                continue;
            }
            for (std::int64_t i = 0; i < n; ++i) {
                AddFaceIndex(f, LoadInteger(items + i * itemSize, p.type, m_order));
            }
            m_offsets.PushBack(static_cast<vtkIdType>(m_connectivity.Size()));
        }
    }
}

void PlyParser::SkipBinaryElement(ByteCursor& bytes, const Element& element) {
    for (std::uint64_t e = 0; e < element.count; ++e) {
        for (const Property& p : element.properties) {
            if (!p.isList) {
                bytes.Skip(SizeOf(p.type), "an element value");
                continue;
            }
            const std::int64_t n =
                LoadInteger(bytes.Take(SizeOf(p.countType), "a list size"), p.countType, m_order);
            if (n < 0) {
                Fail("a list of the element \"", Excerpt(element.name), "\" has a negative size");
            }
            bytes.Skip(static_cast<std::size_t>(n) * SizeOf(p.type), "a list");
        }
    }
}

namespace {

double AsciiValue(TextCursor& text, Type type) {
    if (IsFloat(type)) {
        return text.Number<double>("a number");
    }
    return static_cast<double>(text.Number<std::int64_t>("a whole number"));
}

std::int64_t AsciiCount(TextCursor& text) {
    const char* at = text.Position();
    const auto n = text.Number<std::int64_t>("a list size");
    if (n < 0) {
        text.FailAt(at, "a list has a negative size");
    }
    // Each item takes at least two characters: a bound before the loop below.
    if (static_cast<std::uint64_t>(n) > text.Remaining()) {
        text.FailAt(at, "a list announces ", n, " items but the file ends before them");
    }
    return n;
}

}  // namespace

void PlyParser::ReadAsciiVertices(TextCursor& text, const Element& element) {
    for (std::uint64_t v = 0; v < element.count; ++v) {
        for (const Property& p : element.properties) {
            if (p.isList) {
                const std::int64_t n = AsciiCount(text);
                for (std::int64_t i = 0; i < n; ++i) {
                    AsciiValue(text, p.type);
                }
                continue;
            }
            const char* at = text.Position();
            const double value = AsciiValue(text, p.type);
            if (p.role >= Role::X && p.role <= Role::Z && !std::isfinite(value)) {
                text.FailAt(at, "vertex ", v, " has a coordinate that is not a finite number");
            }
            StoreVertexValue(v, p.role, value);
        }
    }
}

void PlyParser::ReadAsciiFaces(TextCursor& text, const Element& element) {
    m_offsets.Reserve(static_cast<std::size_t>(element.count) + 1);
    m_offsets.PushBack(0);
    for (std::uint64_t f = 0; f < element.count; ++f) {
        for (const Property& p : element.properties) {
            if (!p.isList) {
                AsciiValue(text, p.type);
                continue;
            }
            const char* at = text.Position();
            const std::int64_t n = AsciiCount(text);
            const bool indices = p.name == "vertex_indices" || p.name == "vertex_index";
            if (indices && n < 3) {
                text.FailAt(at, "face ", f, " has ", n, " vertices (at least 3 are needed)");
            }
            for (std::int64_t i = 0; i < n; ++i) {
                const char* itemAt = text.Position();
                const auto index = text.Number<std::int64_t>("a vertex index");
                if (!indices) {
                    continue;
                }
                if (index < 0 || static_cast<std::uint64_t>(index) >= m_vertexCount) {
                    text.FailAt(itemAt, "face ", f, " refers to vertex ", index,
                                " but the file has ", m_vertexCount, " vertices");
                }
                m_connectivity.PushBack(static_cast<vtkIdType>(index));
            }
            if (indices) {
                m_offsets.PushBack(static_cast<vtkIdType>(m_connectivity.Size()));
            }
        }
    }
}

void PlyParser::SkipAsciiElement(TextCursor& text, const Element& element) {
    for (std::uint64_t e = 0; e < element.count; ++e) {
        for (const Property& p : element.properties) {
            const std::int64_t n = p.isList ? AsciiCount(text) : 1;
            for (std::int64_t i = 0; i < n; ++i) {
                AsciiValue(text, p.type);
            }
        }
    }
}

vtkSmartPointer<vtkPolyData> PlyParser::BuildOutput() {
    if (m_vertexCount == 0) {
        Fail("the PLY file contains no vertices");
    }
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(m_points));
    if (m_offsets.Size() > 1) {
        poly->SetPolys(MakeCells(m_offsets, m_connectivity));
    }
    if (m_hasNormals) {
        poly->GetPointData()->SetNormals(AdoptArray<vtkFloatArray>(m_normals, 3, "Normals"));
    }
    if (m_colourComponents > 0) {
        poly->GetPointData()->SetScalars(AdoptArray<vtkUnsignedCharArray>(
            m_colours, m_colourComponents, m_colourComponents == 4 ? "RGBA" : "RGB"));
    }
    if (m_hasTexture) {
        poly->GetPointData()->SetTCoords(AdoptArray<vtkFloatArray>(m_texture, 2, "TCoords"));
    }
    return poly;
}

}  // namespace wexlan::io
