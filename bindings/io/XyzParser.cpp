#include "XyzParser.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

#include "DataBuilders.h"
#include "ReadProgress.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

inline bool IsSeparator(char c) {
    return c == ' ' || c == '\t' || c == ',' || c == ';' || c == '\r';
}

}  // namespace

vtkSmartPointer<vtkPolyData> XyzParser::Parse() {
    TextCursor text(m_file.Begin(), m_file.End(), m_file.Begin());
    text.SkipByteOrderMark();

    // The numbers are parsed straight into the output buffer, sized for lines of about
    // 24 characters and grown when the lines are shorter.
    GrowableArray<float> xyz;
    xyz.Resize(3 * (m_file.Size() / 24 + 16));
    float* out = xyz.Data();
    float* limit = out + xyz.Size();

    const char* p = text.Position();
    const char* const end = m_file.End();
    ProgressTicker ticker;  // the loop reads the bytes itself, not through the cursor
    while (p < end) {
        if (ticker.Due()) {
            ReportProgress(static_cast<std::size_t>(p - m_file.Begin()), m_file.Size());
        }
        const char* lineStart = p;
        while (p < end && IsSeparator(*p)) {
            ++p;
        }
        if (p == end) {
            break;
        }
        if (*p == '\n' || *p == '#' || (*p == '/' && p + 1 < end && p[1] == '/')) {
            const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            p = nl ? static_cast<const char*>(nl) + 1 : end;
            continue;
        }
        if (out == limit) {
            const std::size_t used = xyz.Size();
            xyz.Resize(2 * used);
            out = xyz.Data() + used;
            limit = xyz.Data() + xyz.Size();
        }
        for (int c = 0; c < 3; ++c) {
            while (p < end && IsSeparator(*p)) {
                ++p;
            }
            if (p < end && *p == '+') {
                ++p;
            }
            float value = 0;
            const auto [next, ec] = std::from_chars(p, end, value);
            const bool ended = next == end || IsSeparator(*next) || *next == '\n';
            if (ec != std::errc() || !ended || !std::isfinite(value)) {
                const char* lineEnd = static_cast<const char*>(
                    std::memchr(lineStart, '\n', static_cast<std::size_t>(end - lineStart)));
                text.FailAt(
                    lineStart, "expected three numbers (x y z) but found \"",
                    Excerpt(std::string_view(lineStart, (lineEnd ? lineEnd : end) - lineStart), 40),
                    "\"");
            }
            *out++ = value;
            p = next;
        }
        // Further columns are not looked at.
        const void* nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
        p = nl ? static_cast<const char*>(nl) + 1 : end;
    }
    const std::size_t values = static_cast<std::size_t>(out - xyz.Data());
    if (values == 0) {
        Fail("the file contains no points");
    }
    xyz.Resize(values);
    return MakePointSet(xyz);
}

}  // namespace wexlan::io
