#include "NrrdParser.h"

#include <vtkDataArray.h>
#include <vtkMatrix3x3.h>
#include <vtkPointData.h>
#include <vtkVariant.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "ByteCursor.h"
#include "DataBuilders.h"
#include "Inflate.h"
#include "MappedFile.h"
#include "ReadProgress.h"
#include "TextCursor.h"
#include "VoxelBuffer.h"
#include "VoxelOrder.h"

namespace wexlan::io {

namespace {

constexpr std::size_t kMaxHeader = 1 << 20;
// zlib cannot expand data by more than about 1032 times.
constexpr std::uint64_t kMaxInflateRatio = 1100;

bool TypeFromName(const std::string& name, int& vtkType, std::size_t& size) {
    static const struct {
        const char* names;
        int type;
        std::size_t size;
    } kTypes[] = {
        {"|signed char|int8|int8_t|", VTK_SIGNED_CHAR, 1},
        {"|uchar|unsigned char|uint8|uint8_t|", VTK_UNSIGNED_CHAR, 1},
        {"|short|short int|signed short|signed short int|int16|int16_t|", VTK_SHORT, 2},
        {"|ushort|unsigned short|unsigned short int|uint16|uint16_t|", VTK_UNSIGNED_SHORT, 2},
        {"|int|signed int|int32|int32_t|", VTK_INT, 4},
        {"|uint|unsigned int|uint32|uint32_t|", VTK_UNSIGNED_INT, 4},
        {"|longlong|long long|long long int|signed long long|signed long long int|int64|int64_t|",
         VTK_LONG_LONG, 8},
        {"|ulonglong|unsigned long long|unsigned long long int|uint64|uint64_t|",
         VTK_UNSIGNED_LONG_LONG, 8},
        {"|float|", VTK_FLOAT, 4},
        {"|double|", VTK_DOUBLE, 8},
    };
    const std::string key = "|" + name + "|";
    for (const auto& t : kTypes) {
        if (std::strstr(t.names, key.c_str()) != nullptr) {
            vtkType = t.type;
            size = t.size;
            return true;
        }
    }
    return false;
}

// "(1,0,0) (0,1.5,0) none" -> one vector per axis, empty for "none".
bool ParseVectors(std::string_view text, std::vector<std::vector<double>>& out) {
    out.clear();
    std::size_t i = 0;
    while (true) {
        while (i < text.size() && IsBlank(text[i])) {
            ++i;
        }
        if (i == text.size()) {
            return true;
        }
        if (text.substr(i, 4) == "none") {
            out.emplace_back();
            i += 4;
            continue;
        }
        if (text[i] != '(') {
            return false;
        }
        const std::size_t close = text.find(')', i);
        if (close == std::string_view::npos) {
            return false;
        }
        std::vector<std::string_view> parts;
        SplitFields(text.substr(i + 1, close - i - 1), ",", false, parts);
        std::vector<double> v;
        for (std::string_view p : parts) {
            double d = 0;
            if (!ParseNumber(p, d) || !std::isfinite(d)) {
                return false;
            }
            v.push_back(d);
        }
        if (v.empty() || v.size() > 3) {
            return false;
        }
        out.push_back(std::move(v));
        i = close + 1;
    }
}

// Runs `read` on the data file; when that is a detached file, a problem with it names
// that file and not the header.
template <typename Read>
auto NameDataFile(const std::string& dataPath, bool detached, Read&& read) -> decltype(read()) {
    try {
        return read();
    } catch (const ReadError& e) {
        if (!detached) {
            throw;
        }
        Fail("its data file ", dataPath, ": ", e.what());
    }
}

std::string FolderOf(const std::string& path) {
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// The anatomical axes a "space" field names, as three letters: "right-anterior-superior"
// or "RAS" give "RAS"; the same for LAS and LPS. Scanner and plain spaces give "".
std::string AnatomicalAxes(std::string_view space) {
    const std::string lower = ToLowerAscii(space);
    for (const char* axes : {"RAS", "LAS", "LPS"}) {
        if (lower == ToLowerAscii(axes)) {
            return axes;
        }
    }
    const std::pair<const char*, const char*> kLongForms[] = {{"right-anterior-superior", "RAS"},
                                                              {"left-anterior-superior", "LAS"},
                                                              {"left-posterior-superior", "LPS"}};
    for (const auto& [name, axes] : kLongForms) {
        if (lower == name) {
            return axes;
        }
    }
    return "";
}

}  // namespace

std::size_t NrrdParser::ParseHeader(const char* begin, const char* end) {
    TextCursor text(begin, end, begin);
    std::string_view line;
    if (!text.NextLine(line) || line.substr(0, 4) != "NRRD") {
        Fail("not a NRRD file (it does not start with \"NRRD\")");
    }
    bool haveType = false, haveSizes = false;
    int dimension = 0;
    std::vector<std::string_view> words;
    while (true) {
        const char* lineStart = text.Position();
        if (!text.NextLine(line)) {
            break;  // a detached header may simply end
        }
        if (Trim(line, kBlanksInLine).empty()) {
            break;  // the blank line that ends the header
        }
        if (line.front() == '#' || line.find(":=") != std::string_view::npos) {
            continue;  // comments and key/value pairs
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string_view::npos) {
            text.FailAt(lineStart, "not a NRRD header field: \"", Excerpt(line, 40), "\"");
        }
        const std::string field = ToLowerAscii(line.substr(0, colon));
        const std::string_view value = Trim(line.substr(colon + 2), kBlanksInLine);
        SplitFields(value, " \t", true, words);
        const auto bad = [&]() {
            text.FailAt(lineStart, "the NRRD field \"", field, "\" has an invalid value \"",
                        Excerpt(value, 40), "\"");
        };
        if (field == "type") {
            haveType = TypeFromName(ToLowerAscii(value), m_h.vtkType, m_h.typeSize);
            if (!haveType) {
                text.FailAt(lineStart, "unsupported NRRD voxel type \"", Excerpt(value), "\"");
            }
        } else if (field == "dimension") {
            if (!ParseNumber(value, dimension) || dimension < 1 || dimension > 4) {
                text.FailAt(lineStart, "NRRD dimension ", Excerpt(value),
                            " is not supported (1 to 4 axes)");
            }
        } else if (field == "sizes") {
            m_h.sizes.clear();
            for (std::string_view w : words) {
                std::uint64_t s = 0;
                if (!ParseNumber(w, s) || s == 0) {
                    bad();
                }
                m_h.sizes.push_back(s);
            }
            haveSizes = true;
        } else if (field == "encoding") {
            m_h.encoding = ToLowerAscii(value);
            if (m_h.encoding == "gz")
                m_h.encoding = "gzip";
            if (m_h.encoding == "txt" || m_h.encoding == "ascii")
                m_h.encoding = "text";
            if (m_h.encoding != "raw" && m_h.encoding != "gzip" && m_h.encoding != "text") {
                text.FailAt(lineStart, "the NRRD encoding \"", Excerpt(value),
                            "\" is not supported (raw, gzip and text are)");
            }
        } else if (field == "endian") {
            if (value != "little" && value != "big") {
                bad();
            }
            m_h.bigEndian = value == "big";
        } else if (field == "byte skip" || field == "byteskip") {
            if (!ParseNumber(value, m_h.byteSkip) || m_h.byteSkip < -1) {
                bad();
            }
        } else if (field == "line skip" || field == "lineskip") {
            if (!ParseNumber(value, m_h.lineSkip)) {
                bad();
            }
        } else if (field == "data file" || field == "datafile") {
            if (words.size() != 1 || value == "LIST" || value.find('%') != std::string_view::npos) {
                text.FailAt(lineStart, "NRRD data split over several files is not supported");
            }
            m_h.dataFile = std::string(value);
        } else if (field == "kinds") {
            m_h.kinds.clear();
            for (std::string_view w : words) {
                m_h.kinds.push_back(ToLowerAscii(w));
            }
        } else if (field == "spacings") {
            m_h.spacings.clear();
            for (std::string_view w : words) {
                double d = 0;
                if (!ParseNumber(w, d)) {
                    bad();
                }
                m_h.spacings.push_back(d);
            }
        } else if (field == "space directions") {
            if (!ParseVectors(value, m_h.directions)) {
                bad();
            }
            m_h.haveDirections = true;
        } else if (field == "space origin") {
            std::vector<std::vector<double>> origin;
            if (!ParseVectors(value, origin) || origin.size() != 1 || origin[0].empty()) {
                bad();
            }
            m_h.origin = origin[0];
        } else if (field == "space") {
            m_h.space = AnatomicalAxes(value);
        }
        // Every other field (content, centers, units, min, max...) only describes.
    }
    if (!haveType || dimension == 0 || !haveSizes) {
        Fail("the NRRD header lacks its ",
             !haveType        ? "\"type\""
             : dimension == 0 ? "\"dimension\""
                              : "\"sizes\"",
             " field");
    }
    if (m_h.sizes.size() != static_cast<std::size_t>(dimension)) {
        Fail("the NRRD header has ", m_h.sizes.size(), " sizes for ", dimension, " axes");
    }
    if ((!m_h.kinds.empty() && m_h.kinds.size() != m_h.sizes.size()) ||
        (m_h.haveDirections && m_h.directions.size() != m_h.sizes.size()) ||
        (!m_h.spacings.empty() && m_h.spacings.size() != m_h.sizes.size())) {
        Fail("the NRRD header's kinds, spacings or space directions do not match its ", dimension,
             " axes");
    }
    return static_cast<std::size_t>(text.Position() - begin);
}

vtkSmartPointer<vtkImageData> NrrdParser::Parse() {
    std::size_t headerEnd = 0;
    {
        // The header is text at the start of the file; only that part is read here.
        OpenedFile file(m_path);
        std::string head(static_cast<std::size_t>(std::min<std::uint64_t>(file.Size(), kMaxHeader)),
                         '\0');
        file.ReadAt(0, head.data(), head.size());
        if (file.Size() > kMaxHeader && head.find("\n\n") == std::string::npos &&
            head.find("\r\n\r\n") == std::string::npos) {
            Fail("the NRRD header is longer than 1 MiB or has no end");
        }
        headerEnd = ParseHeader(head.data(), head.data() + head.size());
    }

    // Which axes are spatial: "kinds" says, else a "none" direction; otherwise all are.
    const std::size_t axes = m_h.sizes.size();
    std::vector<bool> spatial(axes, true);
    for (std::size_t a = 0; a < axes; ++a) {
        if (!m_h.kinds.empty()) {
            const std::string& k = m_h.kinds[a];
            spatial[a] = k == "domain" || k == "space" || k == "time" || k == "???" || k == "none";
        } else if (m_h.haveDirections) {
            spatial[a] = !m_h.directions[a].empty();
        }
    }
    const auto nonSpatial =
        static_cast<std::size_t>(std::count(spatial.begin(), spatial.end(), false));
    if (nonSpatial > 1 || (nonSpatial == 1 && spatial[0])) {
        Fail("only NRRD volumes whose one non-spatial axis comes first are supported");
    }
    if (axes - nonSpatial > 3 || axes == nonSpatial) {
        Fail("only NRRD volumes with one to three spatial axes are supported");
    }
    m_componentAxis = nonSpatial == 1 ? 0 : -1;
    if (m_componentAxis == 0 && m_h.sizes[0] > 4096) {
        Fail("voxels with ", m_h.sizes[0], " components are not supported");
    }

    std::uint64_t values = 1, bytes = 0;
    for (std::uint64_t size : m_h.sizes) {
        if (!CheckedMul(values, size, values)) {
            Fail("the NRRD sizes are too large");
        }
    }
    if (!CheckedMul(values, m_h.typeSize, bytes)) {
        Fail("the NRRD sizes are too large");
    }
    const std::uint64_t components = m_componentAxis == 0 ? m_h.sizes[0] : 1;
    vtkSmartPointer<vtkDataArray> scalars;
    ReadVoxels(scalars, values, bytes, components, headerEnd);
    return BuildImage(scalars);
}

void NrrdParser::ReadVoxels(vtkSmartPointer<vtkDataArray>& scalars, std::uint64_t values,
                            std::uint64_t bytes, std::uint64_t components, std::size_t headerEnd) {
    std::string dataPath = m_path;
    const bool detached = !m_h.dataFile.empty();
    std::uint64_t offset = headerEnd;
    if (!m_h.dataFile.empty()) {
        dataPath =
            m_h.dataFile.front() == '/' ? m_h.dataFile : FolderOf(m_path) + "/" + m_h.dataFile;
        offset = 0;
    }
    const auto needMessage = [&](std::uint64_t available) {
        std::string dims;
        for (std::uint64_t s : m_h.sizes) {
            dims += (dims.empty() ? "" : " x ") + std::to_string(s);
        }
        Fail("the ", m_h.dataFile.empty() ? "file" : "data file \"" + m_h.dataFile + "\"",
             " ends too early: ", dims, " values of ", m_h.typeSize, " bytes need ", bytes,
             " bytes but only ", available, " are there");
    };

    if (m_h.encoding == "gzip" && m_h.lineSkip == 0) {
        // Unpacked from the file in pieces, straight into the voxel buffer.
        OpenedFile data =
            NameDataFile(dataPath, detached, [&] { return OpenedFile(dataPath, true); });
        const std::uint64_t available = data.Size() > offset ? data.Size() - offset : 0;
        scalars = NameDataFile(dataPath, detached, [&] {
            return InflateVoxels(available, bytes, components, [&] {
                return std::make_unique<InflateStream>(data, offset, available);
            });
        });
    } else if (m_h.encoding == "raw" && m_h.lineSkip == 0) {
        // The common case: read straight into the voxel buffer.
        OpenedFile data =
            NameDataFile(dataPath, detached, [&] { return OpenedFile(dataPath, true); });
        if (m_h.byteSkip == -1) {
            if (data.Size() < bytes + offset) {
                needMessage(data.Size() > offset ? data.Size() - offset : 0);
            }
            offset = data.Size() - bytes;
        } else {
            offset += static_cast<std::uint64_t>(m_h.byteSkip);
        }
        const std::uint64_t available = data.Size() > offset ? data.Size() - offset : 0;
        if (bytes > available) {
            needMessage(available);
        }
        scalars = NewVoxelArray(m_h.vtkType, values / components, static_cast<int>(components));
        NameDataFile(dataPath, detached, [&] {
            data.ReadAt(offset, scalars->GetVoidPointer(0), static_cast<std::size_t>(bytes));
        });
    } else {
        const MappedFile data =
            NameDataFile(dataPath, detached, [&] { return MappedFile(dataPath, true); });
        TextCursor text(data.Begin() + std::min<std::uint64_t>(offset, data.Size()), data.End(),
                        data.Begin());
        std::string_view skipped;
        for (std::uint64_t i = 0; i < m_h.lineSkip; ++i) {
            if (!text.NextLine(skipped)) {
                Fail("the data ends within the ", m_h.lineSkip, " lines to skip");
            }
        }
        const char* start = text.Position();
        const auto available = static_cast<std::uint64_t>(data.End() - start);
        if (m_h.encoding == "raw") {
            if (m_h.byteSkip == -1) {
                start = data.End() - std::min<std::uint64_t>(bytes, available);
            } else {
                start +=
                    std::min<std::uint64_t>(static_cast<std::uint64_t>(m_h.byteSkip), available);
            }
            if (bytes > static_cast<std::uint64_t>(data.End() - start)) {
                needMessage(static_cast<std::uint64_t>(data.End() - start));
            }
            scalars = NewVoxelArray(m_h.vtkType, values / components, static_cast<int>(components));
            CopyWithProgress(scalars->GetVoidPointer(0), start, bytes);
        } else if (m_h.encoding == "gzip") {
            scalars = InflateVoxels(available, bytes, components, [&] {
                return std::make_unique<InflateStream>(start, available);
            });
        } else {
            // Text: at least one digit and one separator per value.
            if (values > available / 2 + 1) {
                needMessage(available);
            }
            scalars = NewVoxelArray(m_h.vtkType, values / components, static_cast<int>(components));
            text.SetPosition(start);
            for (std::uint64_t i = 0; i < values; ++i) {
                scalars->SetVariantValue(static_cast<vtkIdType>(i),
                                         vtkVariant(text.Number<double>("a voxel value")));
            }
            return;
        }
    }
    if (m_h.bigEndian && m_h.typeSize > 1) {
        SwapBytes(scalars->GetVoidPointer(0), values, m_h.typeSize);
    }
}

template <typename Open>
vtkSmartPointer<vtkDataArray> NrrdParser::InflateVoxels(std::uint64_t available,
                                                        std::uint64_t bytes,
                                                        std::uint64_t components, Open&& open) {
    if (m_h.byteSkip < 0) {
        Fail("\"byte skip: -1\" is only possible with raw data");
    }
    const auto skip = static_cast<std::uint64_t>(m_h.byteSkip);
    if (bytes + skip > available * kMaxInflateRatio) {
        Fail("the compressed data (", available, " bytes) is too small for ", bytes,
             " bytes of voxels");
    }
    vtkSmartPointer<vtkDataArray> scalars = NewVoxelArray(
        m_h.vtkType, (bytes / m_h.typeSize) / components, static_cast<int>(components));
    const std::unique_ptr<InflateStream> stream = open();
    stream->Read(nullptr, skip, skip + bytes);
    stream->Read(scalars->GetVoidPointer(0), bytes, skip + bytes);
    stream->ExpectEnd(skip + bytes);
    return scalars;
}

vtkSmartPointer<vtkImageData> NrrdParser::BuildImage(vtkDataArray* scalars) {
    int dims[3] = {1, 1, 1};
    double spacing[3] = {1, 1, 1};
    double origin[3] = {0, 0, 0};
    double direction[9] = {1, 0, 0, 0, 1, 0, 0, 0, 1};
    bool directionComplete = m_h.haveDirections;
    int j = 0;
    for (std::size_t a = (m_componentAxis == 0 ? 1 : 0); a < m_h.sizes.size(); ++a, ++j) {
        if (m_h.sizes[a] > static_cast<std::uint64_t>(INT32_MAX)) {
            Fail("an axis of ", m_h.sizes[a], " voxels is too long");
        }
        dims[j] = static_cast<int>(m_h.sizes[a]);
        if (m_h.haveDirections && !m_h.directions[a].empty()) {
            const std::vector<double>& d = m_h.directions[a];
            double norm = 0;
            for (double c : d)
                norm += c * c;
            norm = std::sqrt(norm);
            if (norm > 0 && d.size() == 3) {
                spacing[j] = norm;
                for (int r = 0; r < 3; ++r)
                    direction[3 * r + j] = d[r] / norm;
            } else {
                directionComplete = false;
                if (norm > 0)
                    spacing[j] = norm;
            }
        } else if (!m_h.spacings.empty() && std::isfinite(m_h.spacings[a]) && m_h.spacings[a] > 0) {
            spacing[j] = m_h.spacings[a];
        }
    }
    for (std::size_t i = 0; i < m_h.origin.size() && i < 3; ++i) {
        origin[i] = m_h.origin[i];
    }
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(dims);
    image->SetSpacing(spacing);
    image->SetOrigin(origin);
    if (directionComplete && j == 3) {
        image->SetDirectionMatrix(direction);
    }
    scalars->SetName("NRRD");
    image->GetPointData()->SetScalars(scalars);
    AddFieldText(image, "CoordinateSystem", m_h.space);
    return image;
}

}  // namespace wexlan::io
