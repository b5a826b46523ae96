#include "DicomCheck.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "ByteCursor.h"
#include "ReadError.h"

namespace wexlan::io {

namespace {

constexpr std::uint32_t kUndefined = 0xFFFFFFFF;
constexpr int kMaxDepth = 32;
constexpr std::uint32_t kItem = 0xFFFEE000;
constexpr std::uint32_t kItemEnd = 0xFFFEE00D;
constexpr std::uint32_t kSequenceEnd = 0xFFFEE0DD;
constexpr std::uint32_t kPixelData = 0x7FE00010;

// Value representations whose length field has 4 bytes (after 2 reserved ones).
bool HasLongLength(const char* vr) {
    static const char* kLong[] = {"OB", "OD", "OF", "OL", "OV", "OW", "SQ",
                                  "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char* v : kLong) {
        if (std::memcmp(vr, v, 2) == 0)
            return true;
    }
    return false;
}

bool IsKnownVr(const char* vr) {
    static const char* kAll[] = {"AE", "AS", "AT", "CS", "DA", "DS", "DT", "FD", "FL",
                                 "IS", "LO", "LT", "PN", "SH", "SL", "SS", "ST", "TM",
                                 "UI", "UL", "US", "OB", "OD", "OF", "OL", "OV", "OW",
                                 "SQ", "SV", "UC", "UN", "UR", "UT", "UV"};
    for (const char* v : kAll) {
        if (std::memcmp(vr, v, 2) == 0)
            return true;
    }
    return false;
}

// Text values are padded with spaces (or a NUL for UIDs) to an even length.
std::string Unpadded(std::string text) {
    while (!text.empty() && (text.back() == '\0' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

std::string TagText(std::uint32_t tag) {
    char text[16];
    std::snprintf(text, sizeof text, "(%04X,%04X)", tag >> 16, tag & 0xFFFF);
    return text;
}

class Walker {
public:
    Walker(const char* base, ByteOrder order, bool explicitVr, bool headerOnly)
        : m_base(base), m_order(order), m_explicit(explicitVr), m_headerOnly(headerOnly) {}

    // Elements from `pos` up to `end`, or (with `until`) up to that delimiter tag.
    const char* Elements(const char* pos, const char* end, int depth, bool implicitInside,
                         std::uint32_t until = 0) {
        if (depth > kMaxDepth) {
            FailAt(pos, "the DICOM sequences nest deeper than ", kMaxDepth, " levels");
        }
        const bool isExplicit = m_explicit && !implicitInside;
        while (pos < end) {
            if (end - pos < 8) {
                // Some writers pad the file with a few zero bytes. In explicit files
                // GDCM reads four or more as the start of an element and aborts when
                // its value representation or length is cut off.
                if (until == 0 && depth == 0 && AllZero(pos, end) &&
                    (!isExplicit || end - pos < 4)) {
                    return end;
                }
                FailAt(pos, "the DICOM data ends inside an element");
            }
            const std::uint32_t tag = Tag(pos);
            if (until != 0 && tag == until) {
                CheckDelimiterLength(pos, tag, FromBytes<std::uint32_t>(pos + 4, m_order));
                return pos + 8;
            }
            if (until == 0 && depth == 0 && tag == 0 && AllZero(pos, end)) {
                return end;  // zero padding up to the end of the file
            }
            if (m_headerOnly && depth == 0 && tag >= kPixelData) {
                m_stop = pos;
                return end;
            }
            if (depth == 0) {
                Remember(tag, pos, end);
            }
            if (tag == kItemEnd || tag == kSequenceEnd || tag == kItem) {
                FailAt(pos, "a DICOM item delimiter ", TagText(tag), " stands outside a sequence");
            }
            std::uint32_t length;
            const char* value;
            bool sequence = false;
            bool unknown = false;
            if (isExplicit) {
                const char* vr = pos + 4;
                if (!IsKnownVr(vr)) {
                    FailAt(pos, "DICOM element ", TagText(tag),
                           " has no valid value representation");
                }
                sequence = std::memcmp(vr, "SQ", 2) == 0;
                unknown = std::memcmp(vr, "UN", 2) == 0;
                if (HasLongLength(vr)) {
                    if (end - pos < 12) {
                        FailAt(pos, "the DICOM data ends inside element ", TagText(tag));
                    }
                    length = FromBytes<std::uint32_t>(pos + 8, m_order);
                    value = pos + 12;
                } else {
                    length = FromBytes<std::uint16_t>(pos + 6, m_order);
                    value = pos + 8;
                }
            } else {
                length = FromBytes<std::uint32_t>(pos + 4, m_order);
                value = pos + 8;
            }
            if (length == kUndefined) {
                if (tag == kPixelData) {
                    pos = Fragments(value, end);
                } else if (sequence || unknown || !isExplicit) {
                    // Contents of undefined-length UN values are implicit little endian.
                    pos = Items(value, end, depth + 1, implicitInside || unknown, kSequenceEnd);
                } else {
                    FailAt(pos, "DICOM element ", TagText(tag), " has an undefined length");
                }
                continue;
            }
            if (length > static_cast<std::uint64_t>(end - value)) {
                if (tag == kPixelData) {
                    Fail("the file ends too early: its pixel data announces ", length,
                         " bytes but only ", end - value, " follow");
                }
                FailAt(pos, "DICOM element ", TagText(tag), " announces ", length,
                       " bytes but only ", end - value, " are left");
            }
            // Sequences of defined length; in implicit files any value that starts
            // like an item is one.
            if (sequence || (!isExplicit && length >= 8 && Tag(value) == kItem)) {
                Items(value, value + length, depth + 1, implicitInside, 0);
            }
            pos = value + length;
        }
        if (until != 0) {
            FailAt(end, "the DICOM data ends before the delimiter ", TagText(until));
        }
        return end;
    }

private:
    const char* Items(const char* pos, const char* end, int depth, bool implicitInside,
                      std::uint32_t until) {
        while (pos < end) {
            if (end - pos < 8) {
                FailAt(pos, "the DICOM data ends inside a sequence item");
            }
            const std::uint32_t tag = Tag(pos);
            const std::uint32_t length = FromBytes<std::uint32_t>(pos + 4, m_order);
            if (until != 0 && tag == until) {
                CheckDelimiterLength(pos, tag, length);
                return pos + 8;
            }
            if (tag != kItem) {
                FailAt(pos, "a DICOM sequence holds ", TagText(tag), " where an item should be");
            }
            if (length == kUndefined) {
                pos = Elements(pos + 8, end, depth, implicitInside, kItemEnd);
                continue;
            }
            if (length > static_cast<std::uint64_t>(end - pos - 8)) {
                FailAt(pos, "a DICOM sequence item announces ", length, " bytes but only ",
                       end - pos - 8, " are left");
            }
            Elements(pos + 8, pos + 8 + length, depth, implicitInside);
            pos += 8 + length;
        }
        if (until != 0) {
            FailAt(end, "the DICOM data ends before the end of a sequence");
        }
        return end;
    }

public:
    /// Run-length compressed pixel data is decoded by GDCM without bounds checks, so
    /// its fragments are checked in full (see CheckRleFragment).
    void ExpectRle() { m_rle = true; }

    /// Where a header-only walk stopped: the tag of the pixel data (or of a later
    /// element) at the top level; null when it did not get there.
    const char* Stop() const { return m_stop; }

    /// After a header-only walk that stopped at the pixel data: walks what follows its
    /// value, `begin` to `end` being the bytes from file offset `offset` to the end.
    void WalkAfterPixelData(const char* begin, const char* end, std::uint64_t offset) {
        m_base = begin;
        m_baseOffset = offset;
        m_headerOnly = false;
        m_pixelData = true;
        Elements(begin, end, 0, false);
    }

    /// The walked image description when its values can be read from the file as
    /// they are: one frame of grey values of 8, 16 or 32 bits, stored bits ending at the
    /// high bit.
    bool PlainGreyImage() const {
        return m_rows > 0 && m_columns > 0 && m_samples == 1 && m_frames == 1 &&
               (m_bitsAllocated == 8 || m_bitsAllocated == 16 || m_bitsAllocated == 32) &&
               m_bitsStored >= 1 && m_bitsStored <= m_bitsAllocated &&
               m_highBit == m_bitsStored - 1 &&
               (m_pixelRepresentation == 0 || m_pixelRepresentation == 1) &&
               (m_photometric == "MONOCHROME1" || m_photometric == "MONOCHROME2");
    }
    DicomRawPixels Raw() const {
        DicomRawPixels raw;
        raw.rows = m_rows;
        raw.columns = m_columns;
        raw.bitsAllocated = m_bitsAllocated;
        raw.bitsStored = m_bitsStored;
        raw.isSigned = m_pixelRepresentation == 1;
        raw.bigEndian = m_order == ByteOrder::Big;
        if (m_hasSopClass) {
            raw.sopClasses.push_back(m_sopClass);
        }
        return raw;
    }
    bool Explicit() const { return m_explicit; }
    std::uint32_t TagAt(const char* p) const { return Tag(p); }
    template <typename T>
    T NumberAt(const char* p) const {
        return FromBytes<T>(p, m_order);
    }

    /// GDCM asserts on impossible pixel descriptions (five samples per pixel, a high
    /// bit beyond the allocated bits): the values read on the walk are checked here.
    void CheckPixelDescription() const {
        if (m_bitsAllocated < 0) {
            if (m_pixelData || m_rows > 0 || m_columns > 0) {
                // GDCM guesses the pixel layout then and aborts on what it guessed.
                Fail("the DICOM image description lacks Bits Allocated (0028,0100)");
            }
            return;  // no image
        }
        const int stored = m_bitsStored < 0 ? m_bitsAllocated : m_bitsStored;
        const int high = m_highBit < 0 ? stored - 1 : m_highBit;
        const bool valid = (m_samples == 1 || m_samples == 3) &&
                           (m_bitsAllocated == 8 || m_bitsAllocated == 16 ||
                            m_bitsAllocated == 32 || m_bitsAllocated == 64) &&
                           stored >= 1 && stored <= m_bitsAllocated && high < m_bitsAllocated &&
                           high + 1 >= stored &&
                           (m_pixelRepresentation == 0 || m_pixelRepresentation == 1) &&
                           (m_planar == 0 || m_planar == 1);
        if (!valid) {
            Fail("the DICOM pixel description is damaged or not supported (", m_samples,
                 " samples per pixel, ", m_bitsAllocated, " bits allocated, ", stored,
                 " stored, high bit ", high, ", pixel representation ", m_pixelRepresentation,
                 ", planar configuration ", m_planar, ")");
        }
    }

private:
    // Compressed pixel data: an offset table and fragments, each an item of bytes.
    const char* Fragments(const char* pos, const char* end) {
        int fragment = 0;
        while (true) {
            if (end - pos < 8) {
                FailAt(pos, "the compressed DICOM pixel data ends early");
            }
            const std::uint32_t tag = Tag(pos);
            const std::uint32_t length = FromBytes<std::uint32_t>(pos + 4, m_order);
            if (tag == kSequenceEnd) {
                CheckDelimiterLength(pos, tag, length);
                if (m_rle && fragment - 1 != m_frames) {
                    FailAt(pos, "the run-length compressed pixel data has ", fragment - 1,
                           " fragments for ", m_frames, " frames");
                }
                return pos + 8;
            }
            if (tag != kItem || length == kUndefined ||
                length > static_cast<std::uint64_t>(end - pos - 8)) {
                FailAt(pos, "the compressed DICOM pixel data is damaged");
            }
            if (m_rle && fragment > 0) {  // the first item is the table of frame offsets
                CheckRleFragment(pos + 8, pos + 8 + length);
            }
            ++fragment;
            pos += 8 + length;
        }
    }

    // A delimiter's length is zero. GDCM reads a delimiter that announces more as a
    // value of that length and allocates it before reading, however short the file.
    void CheckDelimiterLength(const char* pos, std::uint32_t tag, std::uint32_t length) const {
        if (length != 0) {
            FailAt(pos, "the DICOM delimiter ", TagText(tag), " announces ", length,
                   " bytes where it has none");
        }
    }

    // One frame: a 64-byte header (segment count, then up to 15 segment offsets) and
    // one PackBits segment per byte of a sample, each decoding to one byte per pixel.
    void CheckRleFragment(const char* begin, const char* end) {
        const std::uint64_t pixels = static_cast<std::uint64_t>(m_rows) * m_columns;
        const int expected = m_samples * (m_bitsAllocated / 8);
        if (end - begin < 64 || pixels == 0 || expected < 1 || expected > 15) {
            FailAt(begin, "the run-length compressed frame or its image size is damaged");
        }
        const auto segments = FromBytes<std::uint32_t>(begin, ByteOrder::Little);
        if (segments != static_cast<std::uint32_t>(expected)) {
            FailAt(begin, "the run-length compressed frame has ", segments, " segments where ",
                   expected, " are needed");
        }
        for (std::uint32_t s = 0; s < segments; ++s) {
            const auto from = FromBytes<std::uint32_t>(begin + 4 + 4 * s, ByteOrder::Little);
            const auto to = s + 1 < segments
                                ? FromBytes<std::uint32_t>(begin + 8 + 4 * s, ByteOrder::Little)
                                : static_cast<std::uint32_t>(end - begin);
            if (from < 64 || to < from || to > static_cast<std::uint64_t>(end - begin)) {
                FailAt(begin, "the run-length compressed frame has damaged segment offsets");
            }
            // PackBits: n < 128 copies n + 1 bytes, n > 128 repeats one byte 257 - n times.
            // A segment is padded to an even length: its last byte may be no run at all.
            std::uint64_t out = 0;
            for (const char* p = begin + from; p < begin + to;) {
                if (p + 1 == begin + to && out >= pixels) {
                    break;
                }
                const auto n = static_cast<unsigned char>(*p++);
                if (n < 128) {
                    if (n + 1 > begin + to - p) {
                        FailAt(p, "a run-length compressed segment ends inside a run");
                    }
                    p += n + 1;
                    out += n + 1;
                } else if (n > 128) {
                    if (p == begin + to) {
                        FailAt(p, "a run-length compressed segment ends inside a run");
                    }
                    ++p;
                    out += 257 - n;
                }
            }
            // Encoders may pad a segment to an even length with one more byte.
            if (out < pixels || out > pixels + 1) {
                FailAt(begin + from, "a run-length compressed segment holds ", out, " bytes for ",
                       pixels, " pixels");
            }
        }
    }

    // The image attributes the run-length check needs, read as the walk passes them.
    void Remember(std::uint32_t tag, const char* pos, const char* end) {
        const char* value = pos + 8;
        if (value + 2 > end) {
            return;
        }
        // The image's sizes and pixel layout: GDCM asserts that each is one 16-bit number.
        const bool pixelModule =
            (tag >= 0x00280002 && tag <= 0x00280011 && tag != 0x00280004 && tag != 0x00280008) ||
            (tag >= 0x00280100 && tag <= 0x00280103);
        if (pixelModule) {
            const std::uint32_t length = m_explicit ? FromBytes<std::uint16_t>(pos + 6, m_order)
                                                    : FromBytes<std::uint32_t>(pos + 4, m_order);
            if (length != 2 || (m_explicit && std::memcmp(pos + 4, "US", 2) != 0)) {
                FailAt(pos, "DICOM element ", TagText(tag),
                       " of the image description is damaged (it must be one 16-bit number)");
            }
        }
        m_pixelData = m_pixelData || tag == kPixelData;
        const int number = FromBytes<std::uint16_t>(value, m_order);
        switch (tag) {
            case 0x00280002:
                m_samples = number;
                break;
            case 0x00280010:
                m_rows = number;
                break;
            case 0x00280011:
                m_columns = number;
                break;
            case 0x00280006:
                m_planar = number;
                break;
            case 0x00280004:  // Photometric Interpretation
                m_photometric = TextAt(pos, end);
                break;
            case 0x00080016:  // SOP Class UID
                m_sopClass = TextAt(pos, end);
                m_hasSopClass = true;
                break;
            case 0x00280100:
                m_bitsAllocated = number;
                break;
            case 0x00280101:
                m_bitsStored = number;
                break;
            case 0x00280102:
                m_highBit = number;
                break;
            case 0x00280103:
                m_pixelRepresentation = number;
                break;
            case 0x00280008: {  // Number of Frames, decimal text
                const std::uint16_t length =
                    m_explicit
                        ? FromBytes<std::uint16_t>(pos + 6, m_order)
                        : static_cast<std::uint16_t>(FromBytes<std::uint32_t>(pos + 4, m_order));
                m_frames = 0;
                for (const char* p = value; p < value + length && p < end; ++p) {
                    if (*p >= '0' && *p <= '9' && m_frames < 1000000) {
                        m_frames = m_frames * 10 + (*p - '0');
                    }
                }
                break;
            }
            default:
                break;
        }
    }

    // The text value of the short element at `pos`, without its padding.
    std::string TextAt(const char* pos, const char* end) const {
        const char* value = pos + 8;
        const std::uint32_t length = m_explicit ? FromBytes<std::uint16_t>(pos + 6, m_order)
                                                : FromBytes<std::uint32_t>(pos + 4, m_order);
        return Unpadded(std::string(value, std::min<std::size_t>(length, end - value)));
    }

    std::uint32_t Tag(const char* p) const {
        return static_cast<std::uint32_t>(FromBytes<std::uint16_t>(p, m_order)) << 16 |
               FromBytes<std::uint16_t>(p + 2, m_order);
    }

    static bool AllZero(const char* p, const char* end) {
        for (; p < end; ++p) {
            if (*p != 0)
                return false;
        }
        return true;
    }

    template <typename... Parts>
    [[noreturn]] void FailAt(const char* p, Parts&&... parts) const {
        Fail("byte ", m_baseOffset + static_cast<std::uint64_t>(p - m_base), ": ",
             std::forward<Parts>(parts)...);
    }

    const char* m_base;
    std::uint64_t m_baseOffset = 0;  // file offset of m_base
    ByteOrder m_order;
    bool m_explicit;
    bool m_headerOnly;
    bool m_rle = false;
    bool m_pixelData = false;
    int m_rows = 0, m_columns = 0, m_samples = 1, m_bitsAllocated = -1, m_frames = 1;
    int m_bitsStored = -1, m_highBit = -1, m_pixelRepresentation = 0, m_planar = 0;
    std::string m_photometric;
    std::string m_sopClass;
    bool m_hasSopClass = false;
    const char* m_stop = nullptr;  // where a header-only walk stopped
};

constexpr const char* kDeflated = "1.2.840.10008.1.2.1.99";
constexpr const char* kImplicitLittle = "1.2.840.10008.1.2";
constexpr const char* kExplicitLittle = "1.2.840.10008.1.2.1";
constexpr const char* kExplicitBig = "1.2.840.10008.1.2.2";

bool Letters(const char* p) {
    return p[0] >= 'A' && p[0] <= 'Z' && p[1] >= 'A' && p[1] <= 'Z';
}

// The file meta group: where the data set starts and the transfer syntax it names.
struct Encoding {
    const char* dataSet = nullptr;
    std::string syntax;  ///< empty for files without a meta group
    std::string mediaStorage;
    bool hasMediaStorage = false;
};

Encoding ReadEncoding(const char* begin, const char* end) {
    const char* pos = begin;
    if (end - begin >= 132 && std::memcmp(begin + 128, "DICM", 4) == 0) {
        pos += 132;
    }
    // The file meta group, always explicit little endian, names the encoding of the rest.
    Encoding encoding;
    bool meta = false;
    while (end - pos >= 8 && pos[0] == 0x02 && pos[1] == 0) {
        meta = true;
        if (!Letters(pos + 4) || !IsKnownVr(pos + 4)) {
            Fail("byte ", pos - begin, ": the DICOM file meta header is damaged");
        }
        const bool longLength = HasLongLength(pos + 4);
        if (longLength && end - pos < 12) {
            Fail("byte ", pos - begin, ": the DICOM file meta header is cut short");
        }
        const std::uint32_t length = longLength
                                         ? FromBytes<std::uint32_t>(pos + 8, ByteOrder::Little)
                                         : FromBytes<std::uint16_t>(pos + 6, ByteOrder::Little);
        const char* value = pos + (longLength ? 12 : 8);
        if (length > static_cast<std::uint64_t>(end - value)) {
            Fail("byte ", pos - begin,
                 ": the DICOM file meta header is damaged (an element "
                 "announces ",
                 length, " bytes but only ", end - value, " are left)");
        }
        if (pos[2] == 0x10 && pos[3] == 0) {  // (0002,0010) Transfer Syntax UID
            encoding.syntax = Unpadded(std::string(value, length));
        } else if (pos[2] == 0x02 && pos[3] == 0) {  // (0002,0002) Media Storage SOP Class
            encoding.mediaStorage = Unpadded(std::string(value, length));
            encoding.hasMediaStorage = true;
        }
        pos = value + length;
    }
    if (meta && encoding.syntax.empty()) {
        Fail("the DICOM file meta header is incomplete (it names no transfer syntax)");
    }
    if (end - pos < 8) {
        Fail("the DICOM file holds no data set after its header");
    }
    encoding.dataSet = pos;
    return encoding;
}

Walker MakeWalker(const Encoding& encoding, const char* begin, bool headerOnly) {
    // Without a meta group the data set shows its encoding: letters after the first tag.
    const bool implicitVr = encoding.syntax.empty() ? !Letters(encoding.dataSet + 4)
                                                    : encoding.syntax == kImplicitLittle;
    const ByteOrder order = encoding.syntax == kExplicitBig ? ByteOrder::Big : ByteOrder::Little;
    Walker walker(begin, order, !implicitVr, headerOnly);
    if (encoding.syntax == "1.2.840.10008.1.2.5") {
        walker.ExpectRle();
    }
    return walker;
}

// The first bytes of a file, read in growing pieces: a header is usually a few
// kilobytes, and the pixel data after it need not be read to walk it.
class FileStart {
public:
    explicit FileStart(const OpenedFile& file) : m_file(file) { Grow(); }
    const char* Begin() const { return m_bytes.data(); }
    const char* End() const { return m_bytes.data() + m_bytes.size(); }
    bool Whole() const { return m_bytes.size() == m_file.Size(); }
    /// Reads more of the file (eight times as much, up to all of it); false when all of
    /// it was read already.
    bool Grow() {
        const std::size_t had = m_bytes.size();
        const std::uint64_t want =
            std::min<std::uint64_t>(m_file.Size(), had == 0 ? 16384 : had * 8);
        if (want == had) {
            return false;
        }
        m_bytes.resize(static_cast<std::size_t>(want));
        m_file.ReadAt(had, m_bytes.data() + had, m_bytes.size() - had);
        return true;
    }

private:
    const OpenedFile& m_file;
    std::vector<char> m_bytes;
};

// Walks the header of `file` (up to the pixel data) on as few of its first bytes as
// decide the walk: a walk that stops at the pixel data has seen all it would see on
// the whole file, one that fails or runs out of bytes before is repeated on more.
// Calls `done(walker, encoding, start)` once decided; it returns what this returns.
template <typename Done>
auto WalkHeader(const OpenedFile& file, Done&& done) {
    FileStart start(file);
    while (true) {
        std::optional<Encoding> encoding;
        std::optional<Walker> walker;
        try {
            encoding = ReadEncoding(start.Begin(), start.End());
            walker.emplace(MakeWalker(*encoding, start.Begin(), true));
            if (encoding->syntax != kDeflated) {
                walker->Elements(encoding->dataSet, start.End(), 0, false);
            }
        } catch (const ReadError&) {
            if (start.Whole()) {
                throw;
            }
            walker.reset();
        }
        if (walker &&
            (encoding->syntax == kDeflated || walker->Stop() != nullptr || start.Whole())) {
            return done(*walker, *encoding, start);
        }
        start.Grow();
    }
}

}  // namespace

void CheckDicomStructure(const MappedFile& file, bool headerOnly) {
    const Encoding encoding = ReadEncoding(file.Begin(), file.End());
    if (encoding.syntax == kDeflated) {
        return;  // deflated: the data set is only readable once inflated
    }
    Walker walker = MakeWalker(encoding, file.Begin(), headerOnly);
    walker.Elements(encoding.dataSet, file.End(), 0, false);
    walker.CheckPixelDescription();
}

void CheckDicomHeaderStructure(const OpenedFile& file) {
    WalkHeader(file, [](const Walker& walker, const Encoding& encoding, const FileStart&) {
        if (encoding.syntax != kDeflated) {
            walker.CheckPixelDescription();
        }
        return 0;
    });
}

std::optional<DicomRawPixels> LocateRawPixels(const OpenedFile& file) {
    try {
        return WalkHeader(
            file,
            [&](Walker& walker, const Encoding& encoding,
                const FileStart& start) -> std::optional<DicomRawPixels> {
                const std::string& syntax = encoding.syntax;
                if ((syntax != kImplicitLittle && syntax != kExplicitLittle &&
                     syntax != kExplicitBig) ||
                    walker.Stop() == nullptr || !walker.PlainGreyImage()) {
                    return std::nullopt;
                }
                DicomRawPixels raw = walker.Raw();
                if (encoding.hasMediaStorage) {
                    raw.sopClasses.push_back(encoding.mediaStorage);
                }
                // GDCM swaps big-endian words of 16 bits only.
                if (raw.bigEndian && raw.bitsAllocated != 16) {
                    return std::nullopt;
                }
                // The pixel data element: its tag, a value representation (OB or OW) in
                // explicit files, its length, and the first bytes of its value.
                // Those bytes may lie beyond the start read so far.
                const char* tag = walker.Stop();
                const auto tagOffset = static_cast<std::uint64_t>(tag - start.Begin());
                const std::size_t headerBytes = walker.Explicit() ? 12 : 8;
                char element[16];
                if (file.Size() - tagOffset < headerBytes + 4) {
                    return std::nullopt;
                }
                if (static_cast<std::size_t>(start.End() - tag) < headerBytes + 4) {
                    file.ReadAt(tagOffset, element, headerBytes + 4);
                    tag = element;
                }
                if (walker.TagAt(tag) != kPixelData ||
                    (walker.Explicit() && std::memcmp(tag + 4, "OW", 2) != 0 &&
                     std::memcmp(tag + 4, "OB", 2) != 0)) {
                    return std::nullopt;
                }
                const auto length = walker.NumberAt<std::uint32_t>(tag + headerBytes - 4);
                const char* value = tag + headerBytes;
                raw.offset = tagOffset + headerBytes;
                const std::uint64_t needed = static_cast<std::uint64_t>(raw.rows) * raw.columns *
                                             static_cast<std::uint64_t>(raw.bitsAllocated / 8);
                // A value that starts like an item is walked as a sequence in implicit files.
                if (length == kUndefined || length < needed || length > file.Size() - raw.offset ||
                    (!walker.Explicit() && length >= 8 && walker.TagAt(value) == kItem)) {
                    return std::nullopt;
                }
                raw.bytes = needed;
                const std::uint64_t after = raw.offset + length;
                std::vector<char> rest(static_cast<std::size_t>(file.Size() - after));
                file.ReadAt(after, rest.data(), rest.size());
                walker.WalkAfterPixelData(rest.data(), rest.data() + rest.size(), after);
                walker.CheckPixelDescription();
                return raw;
            });
    } catch (const ReadError&) {
        return std::nullopt;  // CheckDicomStructure names the fault
    }
}

}  // namespace wexlan::io
