#include "MultipartParser.h"

#include <algorithm>
#include <cctype>

#include "wText.h"

namespace wexlan::remote {

namespace {

// Header blocks and preambles are a few hundred bytes in practice; more is a server
// sending something else.
constexpr std::size_t kMaxHeaderBytes = 16 * 1024;
constexpr std::size_t kMaxPreambleBytes = 16 * 1024;
constexpr std::size_t kMaxBoundaryPadding = 64;

bool IsTokenChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) ||
           std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

// Without the spaces and tabs HTTP allows around values.
std::string_view BlankTrimmed(std::string_view text) {
    return Trim(text, " \t");
}

std::string_view TakeToken(std::string_view& text) {
    std::size_t n = 0;
    while (n < text.size() && IsTokenChar(text[n])) {
        ++n;
    }
    const std::string_view token = text.substr(0, n);
    text.remove_prefix(n);
    return token;
}

}  // namespace

std::string ParseContentType(std::string_view text, ContentType& result) {
    result = {};
    text = BlankTrimmed(text);
    const std::string_view type = TakeToken(text);
    if (type.empty() || text.empty() || text.front() != '/') {
        return "the content type \"" + std::string(type) + "\" has no type/subtype form";
    }
    text.remove_prefix(1);
    const std::string_view subtype = TakeToken(text);
    if (subtype.empty()) {
        return "the content type has no subtype";
    }
    result.mediaType = ToLowerAscii(type) + "/" + ToLowerAscii(subtype);
    while (!(text = BlankTrimmed(text)).empty()) {
        if (text.front() != ';') {
            return "the content type has text where a parameter should start";
        }
        text = BlankTrimmed(text.substr(1));
        const std::string name = ToLowerAscii(TakeToken(text));
        if (name.empty() || text.empty() || text.front() != '=') {
            return "the content type has a parameter without name=value";
        }
        text.remove_prefix(1);
        std::string value;
        if (!text.empty() && text.front() == '"') {
            std::size_t i = 1;
            for (; i < text.size() && text[i] != '"'; ++i) {
                if (text[i] == '\\' && i + 1 < text.size()) {
                    ++i;
                }
                value += text[i];
            }
            if (i == text.size()) {
                return "the content type has an unterminated quoted value";
            }
            text.remove_prefix(i + 1);
        } else {
            // Servers write "type=application/dicom" without the quotes a "/" calls for.
            const std::size_t end = std::min(text.find_first_of(" \t;\""), text.size());
            value = std::string(text.substr(0, end));
            text.remove_prefix(end);
            if (value.empty()) {
                return "the content type's parameter " + name + " has no value";
            }
        }
        if (result.params.count(name) != 0) {
            return "the content type names the parameter " + name + " twice";
        }
        result.params[name] = value;
    }
    return "";
}

std::string MultipartBoundary(std::string_view contentType, std::string_view partType,
                              std::string& boundary) {
    boundary.clear();
    ContentType parsed;
    if (std::string why = ParseContentType(contentType, parsed); !why.empty()) {
        return why;
    }
    if (parsed.mediaType != "multipart/related") {
        return "the server answered with " + parsed.mediaType + ", not multipart/related";
    }
    const auto type = parsed.params.find("type");
    if (type != parsed.params.end() && ToLowerAscii(type->second) != ToLowerAscii(partType)) {
        return "the server answered with parts of type " + type->second + ", not " +
               std::string(partType);
    }
    const auto found = parsed.params.find("boundary");
    if (found == parsed.params.end()) {
        return "the multipart answer names no boundary";
    }
    const std::string& value = found->second;
    const bool valid =
        !value.empty() && value.size() <= 70 && value.back() != ' ' &&
        std::all_of(value.begin(), value.end(), [](char c) {
            return std::isalnum(static_cast<unsigned char>(c)) ||
                   std::string_view("'()+_,-./:=? ").find(c) != std::string_view::npos;
        });
    if (!valid) {
        return "the multipart answer's boundary is not 1 to 70 allowed characters";
    }
    boundary = value;
    return "";
}

MultipartParser::MultipartParser(std::string boundary, std::uint64_t maxPartBytes, PartBegin begin,
                                 PartData data, PartEnd end)
    : m_delimiter("\r\n--" + boundary),
      m_maxPartBytes(maxPartBytes),
      m_begin(std::move(begin)),
      m_data(std::move(data)),
      m_end(std::move(end)),
      // The first boundary line may open the body without a line break before it.
      m_buffer("\r\n") {}

std::string MultipartParser::Fail(std::string why) {
    m_state = State::Failed;
    m_buffer.clear();
    m_error = std::move(why);
    return m_error;
}

std::string MultipartParser::Feed(const char* data, std::size_t size) {
    if (m_state == State::Failed) {
        return m_error;
    }
    if (m_state == State::Epilogue) {
        return "";
    }
    m_buffer.append(data, size);
    bool progressed = true;
    while (progressed) {
        progressed = false;
        if (std::string why = Step(progressed); !why.empty()) {
            return Fail(std::move(why));
        }
    }
    return "";
}

std::string MultipartParser::Step(bool& progressed) {
    switch (m_state) {
        case State::Preamble: {
            const std::size_t at = m_buffer.find(m_delimiter);
            const std::size_t skipped =
                at != std::string::npos
                    ? at
                    : m_buffer.size() - std::min(m_buffer.size(), m_delimiter.size() - 1);
            m_preambleBytes += skipped;
            if (m_preambleBytes > kMaxPreambleBytes) {
                return "the multipart answer has no boundary line within its first 16 KiB";
            }
            if (at == std::string::npos) {
                m_buffer.erase(0, skipped);
                return "";
            }
            m_buffer.erase(0, at + m_delimiter.size());
            m_state = State::BoundaryLine;
            progressed = true;
            return "";
        }
        case State::BoundaryLine: {
            if (m_buffer.size() < 2) {
                return "";
            }
            if (m_buffer.compare(0, 2, "--") == 0) {
                m_buffer.clear();
                m_state = State::Epilogue;
                return "";
            }
            const std::size_t end = m_buffer.find("\r\n");
            // A CR at the end of what arrived may be the start of the line's CR LF.
            const std::size_t lineEnd = end != std::string::npos  ? end
                                        : m_buffer.back() == '\r' ? m_buffer.size() - 1
                                                                  : m_buffer.size();
            if (m_buffer.find_first_not_of(" \t") < lineEnd) {
                return "a boundary line of the multipart answer holds other text";
            }
            // The same limit whether the line arrived whole or in pieces.
            if (lineEnd > kMaxBoundaryPadding) {
                return "a boundary line of the multipart answer is padded with more than 64 "
                       "blanks";
            }
            if (end == std::string::npos) {
                return "";
            }
            m_buffer.erase(0, end + 2);
            m_headers.clear();
            m_headerBytes = 0;
            m_state = State::Headers;
            progressed = true;
            return "";
        }
        case State::Headers: {
            const std::size_t end = m_buffer.find("\r\n");
            if (m_headerBytes + std::min(end, m_buffer.size()) > kMaxHeaderBytes) {
                return "a part's headers in the multipart answer are longer than 16 KiB";
            }
            if (end == std::string::npos) {
                return "";
            }
            const std::string line = m_buffer.substr(0, end);
            m_buffer.erase(0, end + 2);
            m_headerBytes += end + 2;
            progressed = true;
            if (!line.empty()) {
                return ReadHeaderLine(line);
            }
            m_partBytes = 0;
            m_state = State::Body;
            return m_begin(m_headers);
        }
        case State::Body: {
            const std::size_t at = m_buffer.find(m_delimiter);
            const std::size_t ready =
                at != std::string::npos
                    ? at
                    : m_buffer.size() - std::min(m_buffer.size(), m_delimiter.size() - 1);
            m_partBytes += ready;
            if (m_partBytes > m_maxPartBytes) {
                return "a part of the multipart answer is larger than " +
                       std::to_string(m_maxPartBytes) + " bytes";
            }
            if (ready > 0) {
                if (std::string why = m_data(m_buffer.data(), ready); !why.empty()) {
                    return why;
                }
            }
            if (at == std::string::npos) {
                m_buffer.erase(0, ready);
                return "";
            }
            m_buffer.erase(0, at + m_delimiter.size());
            ++m_parts;
            m_state = State::BoundaryLine;
            progressed = true;
            return m_end();
        }
        case State::Epilogue:
        case State::Failed:
            return "";
    }
    return "";
}

std::string MultipartParser::ReadHeaderLine(std::string_view line) {
    if (line.find_first_of("\r\n") != std::string_view::npos) {
        return "a header line of the multipart answer does not end with CR LF";
    }
    std::string_view rest = line;
    const std::string name = ToLowerAscii(TakeToken(rest));
    if (name.empty() || rest.empty() || rest.front() != ':') {
        return "a header line of the multipart answer is not \"Name: value\"";
    }
    if (!m_headers.emplace(name, std::string(BlankTrimmed(rest.substr(1)))).second) {
        return "a part of the multipart answer has two " + name + " headers";
    }
    return "";
}

std::string MultipartParser::Finish() {
    switch (m_state) {
        case State::Epilogue:
            return "";
        case State::Failed:
            return m_error;
        case State::Preamble:
            return Fail("the multipart answer holds no boundary line");
        default:
            return Fail("the multipart answer ends inside a part: it is truncated");
    }
}

}  // namespace wexlan::remote
