#pragma once
// Bounded reader over text: lines, tokens and numbers.
//
// Text formats are parsed in place from the mapped file. Line numbers are not kept
// while reading (that would cost on every line of a large file); a failure counts the
// line breaks up to where it happened, so messages still say "line 12: ...".
// Line ends may be LF or CRLF; a UTF-8 byte order mark at the start is skipped.
// Lines and numbers read report progress (the share of the text behind the cursor)
// and check for cancel.

#include <charconv>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ReadError.h"
#include "ReadProgress.h"
#include "wText.h"

namespace wexlan::io {

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}
inline bool IsSpace(char c) {
    return IsBlank(c) || c == '\n';
}

/// Parses the whole of `text` as a number; a leading '+' is accepted. Returns false for
/// anything else (empty text, trailing characters, out of range).
template <typename T>
bool ParseNumber(std::string_view text, T& value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    auto [ptr, ec] = std::from_chars(first, last, value);
    return ec == std::errc() && ptr == last;
}

/// Lower-case copy of at most the first `maxLength` characters, for keywords: they are
/// short, so a cut token matches none, and a huge token of a damaged file is never copied.
inline std::string LowerWord(std::string_view token, std::size_t maxLength = 32) {
    return ToLowerAscii(token.substr(0, maxLength));
}
/// Splits `line` at any of `separators`. With `mergeRuns` a run of separators is one
/// break and leading or trailing ones are ignored (whitespace-separated columns);
/// without it every separator splits and the fields are trimmed (comma-separated).
void SplitFields(std::string_view line, std::string_view separators, bool mergeRuns,
                 std::vector<std::string_view>& fields);
/// Quotes a short excerpt of file text for a message, replacing control bytes.
std::string Excerpt(std::string_view text, std::size_t maxLength = 24);

class TextCursor {
public:
    /// Reads [begin, end); line numbers in messages count from `base`.
    TextCursor(const char* begin, const char* end, const char* base)
        : m_pos(begin), m_end(end), m_base(base) {}

    bool AtEnd() const { return m_pos >= m_end; }
    const char* Position() const { return m_pos; }
    const char* End() const { return m_end; }
    void SetPosition(const char* p) { m_pos = p; }
    std::size_t Remaining() const { return static_cast<std::size_t>(m_end - m_pos); }

    /// Skips "\xEF\xBB\xBF" if the text starts with it.
    void SkipByteOrderMark();

    /// Returns the next line without its line end and moves past it; false at the end.
    bool NextLine(std::string_view& line);

    /// Skips blanks and line ends; false if nothing is left.
    bool SkipSpace() {
        while (m_pos < m_end && IsSpace(*m_pos)) {
            ++m_pos;
        }
        return m_pos < m_end;
    }

    /// Skips blanks but stops at a line end.
    void SkipBlanks() {
        while (m_pos < m_end && IsBlank(*m_pos)) {
            ++m_pos;
        }
    }

    /// The next whitespace-delimited token (empty at the end of the text).
    std::string_view Token() {
        SkipSpace();
        const char* start = m_pos;
        while (m_pos < m_end && !IsSpace(*m_pos)) {
            ++m_pos;
        }
        return {start, static_cast<std::size_t>(m_pos - start)};
    }

    /// Skips the next whitespace-delimited token.
    void SkipToken() {
        SkipSpace();
        while (m_pos < m_end && !IsSpace(*m_pos)) {
            ++m_pos;
        }
    }

    /// Moves past the next token if it is `lowerWord` in any case; otherwise stays
    /// before that token and returns false.
    bool SkipWord(std::string_view lowerWord) {
        SkipSpace();
        const std::size_t n = lowerWord.size();
        if (static_cast<std::size_t>(m_end - m_pos) < n) {
            return false;
        }
        for (std::size_t i = 0; i < n; ++i) {
            if ((m_pos[i] | 0x20) != lowerWord[i]) {  // ASCII letters only
                return false;
            }
        }
        if (m_pos + n < m_end && !IsSpace(m_pos[n])) {
            return false;
        }
        m_pos += n;
        return true;
    }

    /// Reads the next whitespace-delimited number; throws naming `what` if the token is
    /// missing or not a number of that kind. Parsed in place: text parsers spend most
    /// of their time here.
    template <typename T>
    T Number(const char* what) {
        Tick();
        SkipSpace();
        const char* start = m_pos;
        if (start < m_end && *start == '+') {
            ++start;
        }
        T value{};
        const auto [next, ec] = std::from_chars(start, m_end, value);
        if (ec != std::errc() || (next < m_end && !IsSpace(*next))) {
            const std::string_view token = Token();
            if (token.empty()) {
                FailHere("the file ends where ", what, " was expected");
            }
            FailAt(token.data(), "expected ", what, " but found \"", Excerpt(token), "\"");
        }
        m_pos = next;
        return value;
    }

    /// Reads a finite floating-point coordinate.
    template <typename T>
    T Coordinate(const char* what) {
        const T value = Number<T>(what);
        if (!std::isfinite(value)) {
            FailAt(m_pos - 1, what, " is not a finite number");
        }
        return value;
    }

    /// 1-based line number of `p` (counts line breaks, so only used for messages).
    std::size_t LineNumberAt(const char* p) const;

    template <typename... Parts>
    [[noreturn]] void FailAt(const char* p, Parts&&... parts) const {
        Fail("line ", LineNumberAt(p), ": ", std::forward<Parts>(parts)...);
    }
    template <typename... Parts>
    [[noreturn]] void FailHere(Parts&&... parts) const {
        FailAt(m_pos, std::forward<Parts>(parts)...);
    }

private:
    void Tick() {
        if (m_ticker.Due()) {
            ReportProgress(static_cast<std::size_t>(m_pos - m_base),
                           static_cast<std::size_t>(m_end - m_base));
        }
    }

    const char* m_pos;
    const char* m_end;
    const char* m_base;
    ProgressTicker m_ticker;
};

}  // namespace wexlan::io
