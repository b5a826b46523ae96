#include "TiffCheck.h"

#include <tiffio.h>

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "MappedFile.h"
#include "ReadError.h"

namespace wexlan::io {

namespace {

constexpr std::uint64_t kMaxInflateRatio = 1100;
constexpr int kMaxPages = 65536;

std::string g_firstError;  // reads happen on one thread at a time
TIFFErrorHandler g_previousError = nullptr;
TIFFErrorHandler g_previousWarning = nullptr;

void RecordError(const char* module, const char* format, va_list args) {
    if (g_firstError.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, args);
        g_firstError = text;
    }
}

void IgnoreWarning(const char*, const char*, va_list) {}

struct TiffClose {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};

// Bytes a page takes in the file: the sum of its strips or tiles.
std::uint64_t StoredBytes(TIFF* tiff) {
    const bool tiled = TIFFIsTiled(tiff) != 0;
    const std::uint32_t pieces = tiled ? TIFFNumberOfTiles(tiff) : TIFFNumberOfStrips(tiff);
    std::uint64_t* counts = nullptr;
    if (TIFFGetField(tiff, tiled ? TIFFTAG_TILEBYTECOUNTS : TIFFTAG_STRIPBYTECOUNTS, &counts) !=
            1 ||
        counts == nullptr) {
        return 0;
    }
    std::uint64_t total = 0;
    for (std::uint32_t i = 0; i < pieces; ++i) {
        total += counts[i];
    }
    return total;
}

}  // namespace

TiffMessages::TiffMessages() {
    g_firstError.clear();
    g_previousError = TIFFSetErrorHandler(RecordError);
    g_previousWarning = TIFFSetWarningHandler(IgnoreWarning);
}

TiffMessages::~TiffMessages() {
    TIFFSetErrorHandler(g_previousError);
    TIFFSetWarningHandler(g_previousWarning);
}

std::string TiffMessages::FirstError() {
    return g_firstError;
}

void CheckTiffFile(const std::string& path) {
    const std::uint64_t fileSize = MappedFile::CheckedFileSize(path);
    // "m": libtiff reads the file instead of mapping it (see MappedReadGuard).
    std::unique_ptr<TIFF, TiffClose> tiff(TIFFOpen(path.c_str(), "rm"));
    if (!tiff) {
        Fail("not a TIFF image, or its header is damaged",
             g_firstError.empty() ? std::string() : " (" + g_firstError + ")");
    }
    std::uint32_t width0 = 0, height0 = 0;
    std::uint16_t samples0 = 0, bits0 = 0;
    int page = 0;
    do {
        std::uint32_t width = 0, height = 0;
        std::uint16_t samples = 1, bits = 1, compression = COMPRESSION_NONE;
        TIFFGetField(tiff.get(), TIFFTAG_IMAGEWIDTH, &width);
        TIFFGetField(tiff.get(), TIFFTAG_IMAGELENGTH, &height);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_SAMPLESPERPIXEL, &samples);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tiff.get(), TIFFTAG_COMPRESSION, &compression);
        if (width == 0 || height == 0 || samples == 0 || bits == 0) {
            Fail("page ", page + 1, " of the TIFF file has no pixels (", width, " x ", height, ", ",
                 samples, " samples of ", bits, " bits)");
        }
        if (page == 0) {
            width0 = width, height0 = height, samples0 = samples, bits0 = bits;
        } else if (width != width0 || height != height0 || samples != samples0 || bits != bits0) {
            Fail("page ", page + 1, " of the TIFF file is ", width, " x ", height, " with ",
                 samples, " samples of ", bits, " bits, unlike the first page (", width0, " x ",
                 height0, ", ", samples0, " of ", bits0, "): the pages do not form a volume");
        }
        // In floating point: four 32-bit factors can overflow 64-bit integers.
        const double pageBytes =
            std::ceil(static_cast<double>(width) * height * samples * bits / 8);
        const std::uint64_t stored = std::min(StoredBytes(tiff.get()), fileSize);
        const double limit = compression == COMPRESSION_NONE
                                 ? static_cast<double>(stored)
                                 : static_cast<double>(stored) * kMaxInflateRatio;
        const bool fits = pageBytes <= limit;
        if (!fits) {
            Fail("page ", page + 1, " of the TIFF file (", width, " x ", height, " pixels) needs ",
                 pageBytes, " bytes, but the file holds only ", stored,
                 compression == COMPRESSION_NONE ? " bytes for it" : " compressed bytes for it");
        }
        if (++page > kMaxPages) {
            Fail("the TIFF file has more than ", kMaxPages, " pages");
        }
    } while (TIFFReadDirectory(tiff.get()) == 1);
    if (!g_firstError.empty()) {
        Fail("the TIFF file is damaged (", g_firstError, ")");
    }
}

}  // namespace wexlan::io
