#include "StlParser.h"

#include <cmath>
#include <cstring>

#include "ByteCursor.h"
#include "PointMerger.h"
#include "ReadProgress.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

constexpr std::size_t kHeaderSize = 84;  // 80 bytes of text, then the triangle count
constexpr std::size_t kTriangleSize = 50;

bool EqualsNoCase(std::string_view token, const char* word) {
    const std::size_t n = std::strlen(word);
    if (token.size() != n) {
        return false;
    }
    for (std::size_t i = 0; i < n; ++i) {
        char c = token[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != word[i]) {
            return false;
        }
    }
    return true;
}

bool StartsWithSolid(const char* p, const char* end) {
    while (p < end && IsSpace(*p)) {
        ++p;
    }
    return end - p >= 5 && EqualsNoCase(std::string_view(p, 5), "solid");
}

}  // namespace

StlParser::StlParser(const MappedFile& file) : m_file(file) {}
StlParser::~StlParser() = default;

bool StlParser::LooksBinary() const {
    if (m_file.Size() >= kHeaderSize) {
        const auto count = FromBytes<std::uint32_t>(m_file.Begin() + 80, ByteOrder::Little);
        if (kHeaderSize + std::uint64_t{count} * kTriangleSize == m_file.Size()) {
            return true;
        }
    }
    const char* begin = m_file.Begin();
    if (m_file.Size() >= 3 && std::memcmp(begin, "\xEF\xBB\xBF", 3) == 0) {
        begin += 3;
    }
    if (!StartsWithSolid(begin, m_file.End())) {
        return true;
    }
    // "solid" may open a binary header too; text has no control bytes after it.
    const std::size_t probe = std::min<std::size_t>(m_file.Size(), 512);
    for (std::size_t i = 0; i < probe; ++i) {
        const auto c = static_cast<unsigned char>(m_file.Begin()[i]);
        if (c < 0x09 || (c > 0x0d && c < 0x20)) {
            return true;
        }
    }
    return false;
}

void StlParser::AddTriangle(PointMerger& merger, const float c[9]) {
    const vtkIdType a = merger.Insert(c[0], c[1], c[2]);
    const vtkIdType b = merger.Insert(c[3], c[4], c[5]);
    const vtkIdType d = merger.Insert(c[6], c[7], c[8]);
    // A triangle whose corners merged is a line or a point, not a surface piece.
    if (a != b && a != d && b != d) {
        m_connectivity.PushBack(a);
        m_connectivity.PushBack(b);
        m_connectivity.PushBack(d);
    }
}

vtkSmartPointer<vtkPolyData> StlParser::Parse() {
    if (LooksBinary()) {
        if (m_file.Size() < kHeaderSize) {
            Fail("the file is too short to be an STL surface (", m_file.Size(),
                 " bytes; a binary STL file has an 84-byte header and an ASCII one starts "
                 "with \"solid\")");
        }
        const auto triangles = FromBytes<std::uint32_t>(m_file.Begin() + 80, ByteOrder::Little);
        const std::uint64_t needed = kHeaderSize + std::uint64_t{triangles} * kTriangleSize;
        if (needed > m_file.Size()) {
            Fail("the file ends too early: its header announces ", triangles,
                 " triangles, which need ", needed, " bytes, but the file has ", m_file.Size(),
                 " bytes");
        }
        if (triangles == 0) {
            Fail("the binary STL file contains no triangles");
        }
        ParseBinary(triangles);
    } else {
        ParseAscii();
    }
    if (m_merger->Count() == 0) {
        Fail("the STL file contains no triangles");
    }
    auto poly = vtkSmartPointer<vtkPolyData>::New();
    poly->SetPoints(MakePoints(m_merger->Points()));
    poly->SetPolys(MakeTriangles(m_connectivity));
    return poly;
}

void StlParser::ParseBinary(std::uint32_t triangles) {
    // A closed mesh has about half as many points as triangles.
    m_merger = std::make_unique<PointMerger>(triangles / 2 + 16);
    m_connectivity.Reserve(std::size_t{triangles} * 3);
    const char* p = m_file.Begin() + kHeaderSize;
    float corners[9];
    constexpr std::uint32_t kAhead = 8;  // triangles whose lookups are started early
    ProgressTicker ticker;
    for (std::uint32_t t = 0; t < triangles; ++t, p += kTriangleSize) {
        if (ticker.Due()) {
            ReportProgress(t, triangles);
        }
        if (t + kAhead < triangles) {
            float next[9];
            std::memcpy(next, p + kAhead * kTriangleSize + 12, sizeof next);
            for (int c = 0; c < 3; ++c) {
                m_merger->Prefetch(next[3 * c], next[3 * c + 1], next[3 * c + 2]);
            }
        }
        std::memcpy(corners, p + 12, sizeof corners);  // the facet normal comes first
        for (float v : corners) {
            if (!std::isfinite(v)) {
                Fail("triangle ", t + 1, " (at byte ", kHeaderSize + t * kTriangleSize,
                     ") has a corner coordinate that is not a finite number");
            }
        }
        AddTriangle(*m_merger, corners);
    }
}

void StlParser::ParseAscii() {
    // Each facet takes well over 100 bytes of text; that bounds the first reservation.
    m_merger = std::make_unique<PointMerger>(m_file.Size() / 256 + 16);
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();
    const auto skipRestOfLine = [&text] {
        std::string_view ignored;
        text.NextLine(ignored);
    };
    const auto expect = [&text](const char* word) {
        if (text.SkipWord(word)) {
            return;
        }
        const std::string_view token = text.Token();
        if (token.empty()) {
            text.FailHere("the file ends where \"", word, "\" was expected");
        }
        text.FailAt(token.data(), "expected \"", word, "\" but found \"", Excerpt(token), "\"");
    };
    expect("solid");
    skipRestOfLine();  // the solid's name
    m_connectivity.Reserve(m_file.Size() / 64);
    // Each facet's corners are merged only after the next facet has been parsed, so
    // that their hash table lookups have been started (prefetched) by then.
    float corners[9];
    float pending[9];
    bool havePending = false;
    while (true) {
        if (!text.SkipSpace()) {
            break;  // a missing "endsolid" at the very end is forgiven
        }
        if (text.SkipWord("endsolid") || text.SkipWord("solid")) {
            skipRestOfLine();
            continue;
        }
        if (!text.SkipWord("facet")) {
            const std::string_view token = text.Token();
            text.FailAt(token.data(), "expected \"facet\" or \"endsolid\" but found \"",
                        Excerpt(token), "\"");
        }
        expect("normal");
        for (int i = 0; i < 3; ++i) {
            text.SkipToken();  // the normal is recomputed from the corners when needed
        }
        expect("outer");
        expect("loop");
        for (int v = 0; v < 3; ++v) {
            expect("vertex");
            for (int i = 0; i < 3; ++i) {
                corners[3 * v + i] = text.Coordinate<float>("a vertex coordinate");
            }
        }
        if (text.SkipWord("vertex")) {
            text.FailHere("a facet has more than three vertices");
        }
        expect("endloop");
        expect("endfacet");
        for (int c = 0; c < 3; ++c) {
            m_merger->Prefetch(corners[3 * c], corners[3 * c + 1], corners[3 * c + 2]);
        }
        if (havePending) {
            AddTriangle(*m_merger, pending);
        }
        std::memcpy(pending, corners, sizeof corners);
        havePending = true;
    }
    if (havePending) {
        AddTriangle(*m_merger, pending);
    }
}

}  // namespace wexlan::io
