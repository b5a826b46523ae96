#include "LiveHardware.h"

#include <sstream>
#include <stdexcept>

#include "HardwareTable.h"
#include "PluginCall.h"
#include "wProtocol.h"

namespace wexlan {

namespace {

LiveStream ParseLine(const std::string& line) {
    LiveStream stream;
    std::istringstream fields(line);
    std::getline(fields, stream.name, '\t');
    std::getline(fields, stream.state, '\t');
    std::getline(fields, stream.rate, '\t');
    std::getline(fields, stream.value);
    for (std::string* field : {&stream.rate, &stream.value}) {
        if (field->empty()) {
            *field = "-";
        }
    }
    return stream;
}

}  // namespace

std::optional<std::vector<LiveStream>> LiveHardware::Streams(const HardwareTable& table,
                                                             int index) {
    const std::string path = table.LibraryPath(index);
    auto live = m_live.find(path);
    if (live == m_live.end()) {
        if (m_withoutLiveData.count(path) != 0) {
            return std::nullopt;
        }
        DynamicLibrary library;
        if (!library.Load(path) || library.Symbol(kLiveStatusEntry) == nullptr) {
            m_withoutLiveData.insert(path);
            return std::nullopt;
        }
        live = m_live.emplace(path, std::move(library)).first;
    }
    const auto status = reinterpret_cast<LiveStatusFunction>(live->second.Symbol(kLiveStatusEntry));
    std::vector<char> text;
    const std::string failure = CallPlugin(kLiveStatusEntry, [&] {
        // Asked for the length first; the text may grow before the second call, which
        // cuts it to fit.
        const int needed = status(nullptr, 0);
        text.assign(static_cast<std::size_t>(needed > 0 ? needed : 0) + 256, '\0');
        status(text.data(), static_cast<int>(text.size()));
        text.back() = '\0';
    });
    if (!failure.empty()) {
        return std::nullopt;
    }
    std::vector<LiveStream> streams;
    std::istringstream lines(text.data());
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty()) {
            streams.push_back(ParseLine(line));
        }
    }
    return streams;
}

std::string LiveHardware::StatusText(const HardwareTable& table) {
    std::string text;
    for (int i = 0; i < table.Count(); ++i) {
        const std::string name = table.Name(i);
        const std::optional<std::vector<LiveStream>> streams = Streams(table, i);
        if (!streams) {
            text += name + "\tno live data\t-\t-\n";
            continue;
        }
        for (const LiveStream& s : *streams) {
            text += name + (s.name.empty() ? "" : "/" + s.name) + "\t" + s.state + "\t" + s.rate +
                    "\t" + s.value + "\n";
        }
    }
    return text;
}

}  // namespace wexlan
