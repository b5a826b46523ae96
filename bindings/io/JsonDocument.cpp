#include "JsonDocument.h"

#include <algorithm>
#include <string>

#include "ReadError.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

using Json = nlohmann::json;

struct TooDeep {};

// nlohmann-json's document builder with a count of the open lists and objects.
class DepthLimitedBuilder : public nlohmann::detail::json_sax_dom_parser<Json> {
public:
    explicit DepthLimitedBuilder(Json& document)
        : nlohmann::detail::json_sax_dom_parser<Json>(document, true) {}

    bool start_object(std::size_t size) {
        Open();
        return json_sax_dom_parser::start_object(size);
    }
    bool end_object() {
        --m_depth;
        return json_sax_dom_parser::end_object();
    }
    bool start_array(std::size_t size) {
        Open();
        return json_sax_dom_parser::start_array(size);
    }
    bool end_array() {
        --m_depth;
        return json_sax_dom_parser::end_array();
    }

private:
    void Open() {
        if (++m_depth > kMaxJsonDepth) {
            throw TooDeep{};
        }
    }

    int m_depth = 0;
};

}  // namespace

Json ParseJsonDocument(const char* begin, const char* end, const char* what) {
    Json document;
    DepthLimitedBuilder builder(document);
    try {
        Json::sax_parse(begin, end, &builder);
    } catch (const Json::parse_error& e) {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: why"
        std::string why = e.what();
        const std::size_t colon = why.find(": ");
        why = colon == std::string::npos ? why : why.substr(colon + 2);
        const auto size = static_cast<std::size_t>(end - begin);
        const std::size_t at = std::min<std::size_t>(e.byte > 0 ? e.byte - 1 : 0, size);
        const TextCursor text(begin, end, begin);
        text.FailAt(begin + at, what, " is damaged (", Excerpt(why, 160), ")");
    } catch (const TooDeep&) {
        Fail(what, " nests deeper than ", kMaxJsonDepth, " levels");
    }
    return document;
}

}  // namespace wexlan::io
