#include "DicomCheck.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

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

std::string TagText(std::uint32_t tag) {
    char text[16];
    std::snprintf(text, sizeof text, "(%04X,%04X)", tag >> 16, tag & 0xFFFF);
    return text;
}

class Walker {
public:
    Walker(const MappedFile& file, ByteOrder order, bool explicitVr, bool headerOnly)
        : base_(file.Begin()), order_(order), explicit_(explicitVr), headerOnly_(headerOnly) {}

    // Elements from `pos` up to `end`, or (with `until`) up to that delimiter tag.
    const char* Elements(const char* pos, const char* end, int depth, bool implicitInside,
                         std::uint32_t until = 0) {
        if (depth > kMaxDepth) {
            FailAt(pos, "the DICOM sequences nest deeper than ", kMaxDepth, " levels");
        }
        const bool isExplicit = explicit_ && !implicitInside;
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
                CheckDelimiterLength(pos, tag, FromBytes<std::uint32_t>(pos + 4, order_));
                return pos + 8;
            }
            if (until == 0 && depth == 0 && tag == 0 && AllZero(pos, end)) {
                return end;  // zero padding up to the end of the file
            }
            if (headerOnly_ && depth == 0 && tag >= kPixelData) {
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
                    length = FromBytes<std::uint32_t>(pos + 8, order_);
                    value = pos + 12;
                } else {
                    length = FromBytes<std::uint16_t>(pos + 6, order_);
                    value = pos + 8;
                }
            } else {
                length = FromBytes<std::uint32_t>(pos + 4, order_);
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
            const std::uint32_t length = FromBytes<std::uint32_t>(pos + 4, order_);
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
    void ExpectRle() { rle_ = true; }

    /// GDCM asserts on impossible pixel descriptions (five samples per pixel, a high
    /// bit beyond the allocated bits): the values read on the walk are checked here.
    void CheckPixelDescription() const {
        if (bitsAllocated_ < 0) {
            if (pixelData_ || rows_ > 0 || columns_ > 0) {
                // GDCM guesses the pixel layout then and aborts on what it guessed.
                Fail("the DICOM image description lacks Bits Allocated (0028,0100)");
            }
            return;  // no image
        }
        const int stored = bitsStored_ < 0 ? bitsAllocated_ : bitsStored_;
        const int high = highBit_ < 0 ? stored - 1 : highBit_;
        const bool valid = (samples_ == 1 || samples_ == 3) &&
                           (bitsAllocated_ == 8 || bitsAllocated_ == 16 || bitsAllocated_ == 32 ||
                            bitsAllocated_ == 64) &&
                           stored >= 1 && stored <= bitsAllocated_ && high < bitsAllocated_ &&
                           high + 1 >= stored &&
                           (pixelRepresentation_ == 0 || pixelRepresentation_ == 1) &&
                           (planar_ == 0 || planar_ == 1);
        if (!valid) {
            Fail("the DICOM pixel description is damaged or not supported (", samples_,
                 " samples per pixel, ", bitsAllocated_, " bits allocated, ", stored,
                 " stored, high bit ", high, ", pixel representation ", pixelRepresentation_,
                 ", planar configuration ", planar_, ")");
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
            const std::uint32_t length = FromBytes<std::uint32_t>(pos + 4, order_);
            if (tag == kSequenceEnd) {
                CheckDelimiterLength(pos, tag, length);
                if (rle_ && fragment - 1 != frames_) {
                    FailAt(pos, "the run-length compressed pixel data has ", fragment - 1,
                           " fragments for ", frames_, " frames");
                }
                return pos + 8;
            }
            if (tag != kItem || length == kUndefined ||
                length > static_cast<std::uint64_t>(end - pos - 8)) {
                FailAt(pos, "the compressed DICOM pixel data is damaged");
            }
            if (rle_ && fragment > 0) {  // the first item is the table of frame offsets
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
        const std::uint64_t pixels = static_cast<std::uint64_t>(rows_) * columns_;
        const int expected = samples_ * (bitsAllocated_ / 8);
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
            const std::uint32_t length = explicit_ ? FromBytes<std::uint16_t>(pos + 6, order_)
                                                   : FromBytes<std::uint32_t>(pos + 4, order_);
            if (length != 2 || (explicit_ && std::memcmp(pos + 4, "US", 2) != 0)) {
                FailAt(pos, "DICOM element ", TagText(tag),
                       " of the image description is damaged (it must be one 16-bit number)");
            }
        }
        pixelData_ = pixelData_ || tag == kPixelData;
        const int number = FromBytes<std::uint16_t>(value, order_);
        switch (tag) {
            case 0x00280002:
                samples_ = number;
                break;
            case 0x00280010:
                rows_ = number;
                break;
            case 0x00280011:
                columns_ = number;
                break;
            case 0x00280006:
                planar_ = number;
                break;
            case 0x00280100:
                bitsAllocated_ = number;
                break;
            case 0x00280101:
                bitsStored_ = number;
                break;
            case 0x00280102:
                highBit_ = number;
                break;
            case 0x00280103:
                pixelRepresentation_ = number;
                break;
            case 0x00280008: {  // Number of Frames, decimal text
                const std::uint16_t length =
                    explicit_
                        ? FromBytes<std::uint16_t>(pos + 6, order_)
                        : static_cast<std::uint16_t>(FromBytes<std::uint32_t>(pos + 4, order_));
                frames_ = 0;
                for (const char* p = value; p < value + length && p < end; ++p) {
                    if (*p >= '0' && *p <= '9' && frames_ < 1000000) {
                        frames_ = frames_ * 10 + (*p - '0');
                    }
                }
                break;
            }
            default:
                break;
        }
    }

    std::uint32_t Tag(const char* p) const {
        return static_cast<std::uint32_t>(FromBytes<std::uint16_t>(p, order_)) << 16 |
               FromBytes<std::uint16_t>(p + 2, order_);
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
        Fail("byte ", p - base_, ": ", std::forward<Parts>(parts)...);
    }

    const char* base_;
    ByteOrder order_;
    bool explicit_;
    bool headerOnly_;
    bool rle_ = false;
    bool pixelData_ = false;
    int rows_ = 0, columns_ = 0, samples_ = 1, bitsAllocated_ = -1, frames_ = 1;
    int bitsStored_ = -1, highBit_ = -1, pixelRepresentation_ = 0, planar_ = 0;
};

}  // namespace

void CheckDicomStructure(const MappedFile& file, bool headerOnly) {
    const char* begin = file.Begin();
    const char* end = file.End();
    const char* pos = begin;
    if (file.Size() >= 132 && std::memcmp(begin + 128, "DICM", 4) == 0) {
        pos += 132;
    }
    const auto letters = [](const char* p) {
        return p[0] >= 'A' && p[0] <= 'Z' && p[1] >= 'A' && p[1] <= 'Z';
    };
    // The file meta group, always explicit little endian, names the encoding of the rest.
    std::string syntax;
    bool meta = false;
    while (end - pos >= 8 && pos[0] == 0x02 && pos[1] == 0) {
        meta = true;
        if (!letters(pos + 4) || !IsKnownVr(pos + 4)) {
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
            syntax.assign(value, length);
            while (!syntax.empty() && (syntax.back() == '\0' || syntax.back() == ' '))
                syntax.pop_back();
        }
        pos = value + length;
    }
    if (meta && syntax.empty()) {
        Fail("the DICOM file meta header is incomplete (it names no transfer syntax)");
    }
    if (end - pos < 8) {
        Fail("the DICOM file holds no data set after its header");
    }
    if (syntax == "1.2.840.10008.1.2.1.99") {
        return;  // deflated: the data set is only readable once inflated
    }
    const bool implicitVr =
        syntax.empty() ? (end - pos >= 6 && !letters(pos + 4)) : syntax == "1.2.840.10008.1.2";
    const ByteOrder order = syntax == "1.2.840.10008.1.2.2" ? ByteOrder::Big : ByteOrder::Little;
    Walker walker(file, order, !implicitVr, headerOnly);
    if (syntax == "1.2.840.10008.1.2.5") {
        walker.ExpectRle();
    }
    walker.Elements(pos, end, 0, false);
    walker.CheckPixelDescription();
}

}  // namespace wexlan::io
