#include "PickedPointsParser.h"

#include <expat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "DataBuilders.h"
#include "TextCursor.h"

namespace wexlan::io {

namespace {

struct State {
    XML_Parser parser = nullptr;
    int depth = 0;
    GrowableArray<float> xyz;
    std::vector<std::string> labels;
    std::string error;  ///< set by a handler, which then stops the parser
    unsigned long errorLine = 0;
};

// Handlers run inside expat's C code: they record a problem and stop the parser
// instead of throwing through it.
void Stop(State& state, std::string why) {
    if (state.error.empty()) {
        state.error = std::move(why);
        state.errorLine = XML_GetCurrentLineNumber(state.parser);
    }
    XML_StopParser(state.parser, XML_FALSE);
}

const char* Attribute(const XML_Char** attributes, const char* name) {
    for (int i = 0; attributes[i] != nullptr; i += 2) {
        if (std::strcmp(attributes[i], name) == 0) {
            return attributes[i + 1];
        }
    }
    return nullptr;
}

void StartElementOf(State& state, const XML_Char* name, const XML_Char** attributes) {
    if (state.depth++ == 0 && std::strcmp(name, "PickedPoints") != 0) {
        Stop(state, "not a MeshLab picked points file (its root element is <" + Excerpt(name) +
                        ">, not <PickedPoints>)");
        return;
    }
    if (state.depth != 2 || std::strcmp(name, "point") != 0) {
        return;
    }
    const char* active = Attribute(attributes, "active");
    if (active != nullptr && std::strcmp(active, "0") == 0) {
        return;
    }
    float xyz[3];
    const char* axes[3] = {"x", "y", "z"};
    for (int c = 0; c < 3; ++c) {
        const char* text = Attribute(attributes, axes[c]);
        if (text == nullptr || !ParseNumber(Trim(text, kBlanksInLine), xyz[c]) ||
            !std::isfinite(xyz[c])) {
            Stop(state, std::string("the point's ") + axes[c] + " coordinate " +
                            (text == nullptr ? "is missing"
                                             : "\"" + Excerpt(text) + "\" is not a number"));
            return;
        }
    }
    for (float v : xyz) {
        state.xyz.PushBack(v);
    }
    const char* label = Attribute(attributes, "name");
    state.labels.emplace_back(label != nullptr ? label : "");
}

void XMLCALL StartElement(void* data, const XML_Char* name, const XML_Char** attributes) {
    auto& state = *static_cast<State*>(data);
    try {
        StartElementOf(state, name, attributes);
    } catch (const std::exception&) {
        Stop(state, "not enough memory for the points");
    }
}

void XMLCALL EndElement(void* data, const XML_Char*) {
    --static_cast<State*>(data)->depth;
}

class ExpatParser {
public:
    ExpatParser() : m_parser(XML_ParserCreate(nullptr)) {
        if (m_parser == nullptr) {
            throw std::bad_alloc();
        }
    }
    ~ExpatParser() { XML_ParserFree(m_parser); }
    ExpatParser(const ExpatParser&) = delete;
    ExpatParser& operator=(const ExpatParser&) = delete;
    XML_Parser Get() const { return m_parser; }

private:
    XML_Parser m_parser;
};

}  // namespace

vtkSmartPointer<vtkPolyData> PickedPointsParser::Parse() {
    ExpatParser expat;
    State state;
    state.parser = expat.Get();
    XML_SetUserData(expat.Get(), &state);
    XML_SetElementHandler(expat.Get(), StartElement, EndElement);
    // Expat copies what it is given into its own buffer: it gets the file in pieces, so
    // that copy stays small and a damaged start ends the parse before the rest is seen.
    constexpr std::size_t kPiece = std::size_t{1} << 16;
    XML_Status status = XML_STATUS_OK;
    for (const char* piece = m_file.Begin(); status == XML_STATUS_OK;) {
        const auto size =
            std::min<std::size_t>(kPiece, static_cast<std::size_t>(m_file.End() - piece));
        const bool last = piece + size == m_file.End();
        status = XML_Parse(expat.Get(), piece, static_cast<int>(size), last ? XML_TRUE : XML_FALSE);
        piece += size;
        if (last) {
            break;
        }
    }
    if (!state.error.empty()) {
        Fail("line ", state.errorLine, ": ", state.error);
    }
    if (status != XML_STATUS_OK) {
        Fail("line ", XML_GetCurrentLineNumber(expat.Get()), ": the XML is damaged (",
             XML_ErrorString(XML_GetErrorCode(expat.Get())), ")");
    }
    if (state.labels.empty()) {
        Fail("the picked points file contains no active points");
    }
    return MakeMarkerList(state.xyz, state.labels, std::string());
}

}  // namespace wexlan::io
