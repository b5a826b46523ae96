#pragma once
// A streaming reader of multipart/related bodies (a WADO-RS answer): fed the body in
// chunks as they arrive, it hands each part's headers and bytes to its caller without
// ever holding a whole part, so memory stays bounded whatever the server sends.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>

#include "wexlanremote_export.h"

namespace wexlan::remote {

/// The media type and parameters of a Content-Type header value, parsed strictly:
/// `type/subtype` then `; name=value` pairs, values as tokens or quoted strings.
struct ContentType {
    std::string mediaType;                      ///< lower case, "multipart/related"
    std::map<std::string, std::string> params;  ///< names lower case, values as written
};

/// Parses `text` into `result`. @return "" or why the value is malformed.
WEXLANREMOTE_EXPORT std::string ParseContentType(std::string_view text, ContentType& result);

/// The boundary of a multipart/related answer whose parts are `partType`
/// ("application/dicom"), from its Content-Type value. @return "" and sets `boundary`,
/// or why the value does not announce such an answer (another media type, a `type`
/// parameter naming something else, a missing or malformed boundary).
WEXLANREMOTE_EXPORT std::string MultipartBoundary(std::string_view contentType,
                                                  std::string_view partType, std::string& boundary);

/// Reads a multipart body: an optional preamble, parts separated by CRLF "--boundary"
/// lines (optionally followed by blanks), each part's header lines (CRLF ended, then an
/// empty line), its bytes, and the closing "--boundary--" after which everything is
/// ignored. Anything else (a bare LF, a header line without a colon, text after a
/// boundary, a part larger than the limit, headers or a preamble longer than 16 KiB) is an
/// error, after which the parser accepts nothing more.
class WEXLANREMOTE_EXPORT MultipartParser {
public:
    /// Called when a part's headers are complete (names lower case, values trimmed);
    /// returns "" to accept the part or why it is refused (which ends the parse).
    using PartBegin = std::function<std::string(const std::map<std::string, std::string>&)>;
    /// Called with the part's bytes as they arrive; returns "" or why to stop.
    using PartData = std::function<std::string(const char* data, std::size_t size)>;
    /// Called when the part is complete; returns "" or why to stop.
    using PartEnd = std::function<std::string()>;

    /// `boundary`: 1 to 70 characters, as MultipartBoundary checks them.
    /// `maxPartBytes`: the largest part body accepted.
    MultipartParser(std::string boundary, std::uint64_t maxPartBytes, PartBegin begin,
                    PartData data, PartEnd end);

    /// Reads the next bytes of the body. @return "" or the error (also kept in Error()).
    std::string Feed(const char* data, std::size_t size);

    /// The body ended. @return "" when the closing boundary was read, else why the body is
    /// incomplete or malformed.
    std::string Finish();

    const std::string& Error() const { return m_error; }
    /// The number of parts read whole so far.
    int Parts() const { return m_parts; }

private:
    enum class State { Preamble, BoundaryLine, Headers, Body, Epilogue, Failed };

    std::string Fail(std::string why);
    std::string Step(bool& progressed);
    std::string ReadHeaderLine(std::string_view line);

    std::string m_delimiter;  // CRLF "--" boundary
    std::uint64_t m_maxPartBytes;
    PartBegin m_begin;
    PartData m_data;
    PartEnd m_end;
    State m_state = State::Preamble;
    std::string m_buffer;
    std::size_t m_headerBytes = 0;
    std::size_t m_preambleBytes = 0;
    std::uint64_t m_partBytes = 0;
    std::map<std::string, std::string> m_headers;
    int m_parts = 0;
    std::string m_error;
};

}  // namespace wexlan::remote
