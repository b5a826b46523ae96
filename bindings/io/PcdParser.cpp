#include "PcdParser.h"

#include <vtkFloatArray.h>
#include <vtkPointData.h>
#include <vtkUnsignedCharArray.h>

#include <cmath>
#include <cstring>

#include "ByteCursor.h"
#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

// LZF as the Point Cloud Library uses it: literal runs and back references. Every
// copy is checked against both buffers.
void DecompressLzf(const unsigned char* in, std::size_t inSize, unsigned char* out,
                   std::size_t outSize) {
    std::size_t ip = 0, op = 0;
    while (ip < inSize) {
        const unsigned ctrl = in[ip++];
        if (ctrl < 32) {
            const std::size_t run = ctrl + 1;
            if (ip + run > inSize || op + run > outSize) {
                Fail("the compressed point data is damaged (a literal run overflows)");
            }
            std::memcpy(out + op, in + ip, run);
            ip += run;
            op += run;
            continue;
        }
        std::size_t length = ctrl >> 5;
        if (length == 7) {
            if (ip >= inSize) {
                Fail("the compressed point data is damaged (it ends inside a reference)");
            }
            length += in[ip++];
        }
        if (ip >= inSize) {
            Fail("the compressed point data is damaged (it ends inside a reference)");
        }
        const std::size_t back = ((ctrl & 0x1f) << 8) + in[ip++] + 1;
        length += 2;
        if (back > op || op + length > outSize) {
            Fail("the compressed point data is damaged (a reference points outside the data)");
        }
        for (std::size_t i = 0; i < length; ++i, ++op) {
            out[op] = out[op - back];  // may overlap: byte by byte
        }
    }
    if (op != outSize) {
        Fail("the compressed point data is damaged (it unpacks to ", op, " bytes instead of ",
             outSize, ")");
    }
}

double LoadField(const char* p, const PcdParser::Field& f) {
    switch (f.type) {
        case 'F':
            return f.size == 4 ? FromBytes<float>(p, ByteOrder::Little)
                               : FromBytes<double>(p, ByteOrder::Little);
        case 'U':
            switch (f.size) {
                case 1:
                    return static_cast<unsigned char>(*p);
                case 2:
                    return FromBytes<std::uint16_t>(p, ByteOrder::Little);
                case 4:
                    return FromBytes<std::uint32_t>(p, ByteOrder::Little);
                default:
                    return static_cast<double>(FromBytes<std::uint64_t>(p, ByteOrder::Little));
            }
        default:
            switch (f.size) {
                case 1:
                    return static_cast<signed char>(*p);
                case 2:
                    return FromBytes<std::int16_t>(p, ByteOrder::Little);
                case 4:
                    return FromBytes<std::int32_t>(p, ByteOrder::Little);
                default:
                    return static_cast<double>(FromBytes<std::int64_t>(p, ByteOrder::Little));
            }
    }
}

// Packed colour: PCL stores 0x00RRGGBB (or AARRGGBB) in the bits of a float or uint32.
std::uint32_t PackedColour(const char* p) {
    return FromBytes<std::uint32_t>(p, ByteOrder::Little);
}

}  // namespace

void PcdParser::ParseHeader() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();
    std::vector<std::string_view> words;
    std::string_view line;
    std::uint64_t width = 0, height = 1;
    bool haveWidth = false, havePoints = false;
    std::vector<std::string_view> sizes, types, counts;
    while (m_data.empty()) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            Fail("the PCD header has no DATA line");
        }
        SplitFields(line, " \t\r", true, words);
        if (words.empty() || words[0].front() == '#') {
            continue;
        }
        const std::string key = LowerWord(words[0]);
        const auto number = [&](std::uint64_t& out) {
            if (words.size() != 2 || !ParseNumber(words[1], out)) {
                text.FailAt(lineStart, key, " must be a single whole number 0 or more, found \"",
                            Excerpt(line, 40), "\"");
            }
        };
        if (key == "version" || key == "viewpoint") {
            continue;
        } else if (key == "fields" || key == "columns") {
            m_fields.clear();
            for (std::size_t i = 1; i < words.size(); ++i) {
                Field f;
                f.name = LowerWord(words[i], 256);
                m_fields.push_back(f);
            }
        } else if (key == "size") {
            sizes.assign(words.begin() + 1, words.end());
        } else if (key == "type") {
            types.assign(words.begin() + 1, words.end());
        } else if (key == "count") {
            counts.assign(words.begin() + 1, words.end());
        } else if (key == "width") {
            number(width);
            haveWidth = true;
        } else if (key == "height") {
            number(height);
        } else if (key == "points") {
            number(m_points);
            havePoints = true;
        } else if (key == "data") {
            m_data = words.size() == 2 ? LowerWord(words[1]) : std::string("?");
        } else {
            text.FailAt(lineStart, "unknown PCD header line \"", Excerpt(line, 40), "\"");
        }
    }
    m_body = text.Position();

    if (m_fields.empty()) {
        Fail("the PCD header has no FIELDS line");
    }
    if (sizes.size() != m_fields.size() || types.size() != m_fields.size() ||
        (!counts.empty() && counts.size() != m_fields.size())) {
        Fail("the PCD header lists ", m_fields.size(), " fields but ", sizes.size(), " sizes, ",
             types.size(), " types and ", counts.size(), " counts");
    }
    std::size_t offset = 0;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        Field& f = m_fields[i];
        f.type = types[i].size() == 1 ? types[i][0] : '?';
        if (!ParseNumber(sizes[i], f.size) ||
            (f.size != 1 && f.size != 2 && f.size != 4 && f.size != 8) ||
            (f.type != 'I' && f.type != 'U' && f.type != 'F') || (f.type == 'F' && f.size < 4)) {
            Fail("the field \"", Excerpt(f.name), "\" has an unsupported size or type (",
                 Excerpt(sizes[i]), " ", Excerpt(types[i]), ")");
        }
        if (!counts.empty() &&
            (!ParseNumber(counts[i], f.count) || f.count == 0 || f.count > 100000)) {
            Fail("the field \"", Excerpt(f.name), "\" has an invalid COUNT \"", Excerpt(counts[i]),
                 "\"");
        }
        f.offset = offset;
        offset += f.size * f.count;
    }
    if (!haveWidth) {
        Fail("the PCD header has no WIDTH line");
    }
    std::uint64_t product = 0;
    if (!CheckedMul(width, height, product)) {
        Fail("WIDTH ", width, " times HEIGHT ", height, " is too large");
    }
    if (!havePoints) {
        m_points = product;
    } else if (m_points != product) {
        Fail("POINTS ", m_points, " does not equal WIDTH ", width, " times HEIGHT ", height);
    }
}

vtkSmartPointer<vtkPolyData> PcdParser::Parse() {
    ParseHeader();
    const Field* axis[3] = {nullptr, nullptr, nullptr};
    const Field* normal[3] = {nullptr, nullptr, nullptr};
    const Field* colour = nullptr;
    const Field* intensity = nullptr;
    std::size_t recordSize = 0;
    for (const Field& f : m_fields) {
        recordSize += f.size * f.count;
        const char* axes[3] = {"x", "y", "z"};
        const char* normals[3] = {"normal_x", "normal_y", "normal_z"};
        for (int c = 0; c < 3; ++c) {
            if (f.name == axes[c] && f.count == 1)
                axis[c] = &f;
            if (f.name == normals[c] && f.count == 1)
                normal[c] = &f;
        }
        if ((f.name == "rgb" || f.name == "rgba") && f.size == 4 && f.count == 1)
            colour = &f;
        if (f.name == "intensity" && f.count == 1)
            intensity = &f;
    }
    if (!axis[0] || !axis[1] || !axis[2]) {
        Fail("the PCD fields do not include x, y and z");
    }
    const bool haveNormals = normal[0] && normal[1] && normal[2];

    // The smallest space the declared points can take, checked before allocating.
    const std::uint64_t available = static_cast<std::uint64_t>(m_file.End() - m_body);
    std::vector<char> unpacked;
    const char* records = m_body;
    bool fieldByField = false;
    if (m_data == "binary" || m_data == "binary_compressed") {
        std::uint64_t needed = 0;
        if (!CheckedMul(m_points, recordSize, needed)) {
            Fail("the header announces ", m_points, " points, far more than the file can hold");
        }
        if (m_data == "binary") {
            if (needed > available) {
                Fail("the file ends too early: ", m_points, " points of ", recordSize,
                     " bytes need ", needed, " bytes but only ", available, " follow the header");
            }
        } else {
            ByteCursor bytes(m_body, m_file.End(), m_file.Begin(), ByteOrder::Little);
            const auto packed = bytes.Read<std::uint32_t>("the compressed size");
            const auto size = bytes.Read<std::uint32_t>("the uncompressed size");
            if (size != needed) {
                Fail("the compressed data unpacks to ", size, " bytes but ", m_points,
                     " points need ", needed);
            }
            // LZF expands at most about 256 times: a bound on the declared size.
            if (packed > bytes.Remaining() || needed > std::uint64_t{packed} * 256 + 1024) {
                Fail("the compressed data size (", packed, " bytes) does not fit the file");
            }
            unpacked.resize(size);
            DecompressLzf(reinterpret_cast<const unsigned char*>(bytes.Position()), packed,
                          reinterpret_cast<unsigned char*>(unpacked.data()), size);
            records = unpacked.data();
            fieldByField = true;
        }
    } else if (m_data == "ascii") {
        std::uint64_t values = 0;
        for (const Field& f : m_fields)
            values += f.count;
        if (m_points > available / (2 * values) + 1) {
            Fail("the header announces ", m_points, " points, more than the remaining ", available,
                 " bytes of text can hold");
        }
    } else {
        Fail("unsupported PCD data encoding \"", Excerpt(m_data),
             "\" (ascii, binary and "
             "binary_compressed are supported)");
    }

    const auto n = static_cast<std::size_t>(m_points);
    GrowableArray<float> xyz, normals, scalars;
    GrowableArray<unsigned char> rgb;
    xyz.Reserve(3 * n);
    if (haveNormals)
        normals.Reserve(3 * n);
    if (colour)
        rgb.Reserve(3 * n);
    if (intensity)
        scalars.Reserve(n);

    // Where field f of point i lies: records side by side, or each field's values side
    // by side (compressed data).
    const auto at = [&](const Field& f, std::size_t i) {
        return fieldByField ? records + f.offset * n + i * f.size * f.count
                            : records + i * recordSize + f.offset;
    };
    std::vector<double> values(m_fields.size());
    TextCursor text(m_body, m_file.End(), m_file.Begin());
    for (std::size_t i = 0; i < n; ++i) {
        double p[3], nv[3] = {0, 0, 0}, in = 0;
        std::uint32_t packedColour = 0;
        if (m_data == "ascii") {
            // One line per point; a field with COUNT > 1 takes that many values.
            for (std::size_t k = 0; k < m_fields.size(); ++k) {
                for (std::size_t c = 0; c < m_fields[k].count; ++c) {
                    const double v = text.Number<double>("a point value");
                    if (c == 0)
                        values[k] = v;
                }
            }
            const auto index = [&](const Field* f) {
                return static_cast<std::size_t>(f - m_fields.data());
            };
            for (int c = 0; c < 3; ++c)
                p[c] = values[index(axis[c])];
            if (haveNormals)
                for (int c = 0; c < 3; ++c)
                    nv[c] = values[index(normal[c])];
            if (colour) {
                const double v = values[index(colour)];
                if (colour->type == 'F') {
                    const float fv = static_cast<float>(v);
                    std::memcpy(&packedColour, &fv, 4);
                } else {
                    packedColour = static_cast<std::uint32_t>(v);
                }
            }
            if (intensity)
                in = values[index(intensity)];
        } else {
            for (int c = 0; c < 3; ++c)
                p[c] = LoadField(at(*axis[c], i), *axis[c]);
            if (haveNormals)
                for (int c = 0; c < 3; ++c)
                    nv[c] = LoadField(at(*normal[c], i), *normal[c]);
            if (colour)
                packedColour = PackedColour(at(*colour, i));
            if (intensity)
                in = LoadField(at(*intensity, i), *intensity);
        }
        if (!std::isfinite(p[0]) || !std::isfinite(p[1]) || !std::isfinite(p[2])) {
            continue;  // a hole in an organised cloud
        }
        for (int c = 0; c < 3; ++c)
            xyz.PushBack(static_cast<float>(p[c]));
        if (haveNormals)
            for (int c = 0; c < 3; ++c)
                normals.PushBack(static_cast<float>(nv[c]));
        if (colour) {
            rgb.PushBack(static_cast<unsigned char>(packedColour >> 16));
            rgb.PushBack(static_cast<unsigned char>(packedColour >> 8));
            rgb.PushBack(static_cast<unsigned char>(packedColour));
        }
        if (intensity)
            scalars.PushBack(static_cast<float>(in));
    }
    if (xyz.Size() == 0) {
        Fail("the PCD file contains no valid points");
    }
    auto poly = MakePointSet(xyz);
    if (haveNormals) {
        poly->GetPointData()->SetNormals(AdoptArray<vtkFloatArray>(normals, 3, "Normals"));
    }
    if (colour) {
        poly->GetPointData()->SetScalars(AdoptArray<vtkUnsignedCharArray>(rgb, 3, "RGB"));
    }
    if (intensity) {
        auto array = AdoptArray<vtkFloatArray>(scalars, 1, "Intensity");
        if (colour) {
            poly->GetPointData()->AddArray(array);
        } else {
            poly->GetPointData()->SetScalars(array);
        }
    }
    return poly;
}

}  // namespace wexlan::io
