#include "PluginDiscovery.h"

#include "LibraryFolder.h"
#include "PluginCall.h"
#include "Prompts.h"

namespace wexlan {

namespace {

// Asks `query` of a loaded library and stores the answer in `record`.
// @return "" or why the query failed (CallPlugin's sentence).
std::string Ask(PluginRecord& record, const PluginQuery& query) {
    void* symbol = record.library.Symbol(query.entryPoint);
    if (symbol == nullptr) {
        return std::string();
    }
    if (query.answer == PluginAnswer::DataType) {
        auto call = reinterpret_cast<int (*)()>(symbol);
        return CallPlugin(query.entryPoint, [&] { record.dataType = call(); });
    }
    std::string& text = query.answer == PluginAnswer::Name      ? record.name
                        : query.answer == PluginAnswer::Version ? record.version
                                                                : record.description;
    auto call = reinterpret_cast<const char* (*)()>(symbol);
    return CallPlugin(query.entryPoint, [&] {
        // Texts stay the plug-in's: copied at once, a null text counts as "".
        const char* answer = call();
        text = answer != nullptr ? std::string(answer) : std::string();
    });
}

// Loads, checks and asks one library; the record keeps the library only when Loaded.
void Load(PluginRecord& record, const PluginKind& kind) {
    if (!record.library.Load(record.path)) {
        record.state = PluginState::Failed;
        record.reason = record.library.ErrorText();
        return;
    }
    record.reason = kind.check(record.library);
    record.state = record.reason.empty() ? PluginState::Loaded : PluginState::Refused;
    for (const PluginQuery& query : kind.queries) {
        if (record.state != PluginState::Loaded) {
            break;
        }
        record.reason = Ask(record, query);
        if (!record.reason.empty()) {
            record.state = PluginState::Failed;
        }
    }
    if (record.state != PluginState::Loaded) {
        record.library.Free();
    }
}

}  // namespace

const char* PluginStateName(PluginState state) {
    switch (state) {
        case PluginState::Found:
            return "found";
        case PluginState::Loaded:
            return "loaded";
        case PluginState::Refused:
            return "refused";
        case PluginState::Failed:
            return "failed";
    }
    return "";
}

std::vector<PluginRecord> DiscoverPlugins(const std::string& folder, const PluginKind& kind,
                                          int room) {
    std::vector<PluginRecord> records;
    int loaded = 0;
    for (const std::string& path : ListLibraries(folder)) {
        PluginRecord& record = records.emplace_back();
        record.path = path;
        if (loaded >= room) {
            record.reason = kind.fullReason;  // not even loaded: it could not be registered
            continue;
        }
        Load(record, kind);
        if (record.state == PluginState::Loaded) {
            ++loaded;
        }
    }
    return records;
}

void ReportPluginFailures(const std::vector<PluginRecord>& records, const PluginKind& kind) {
    const PluginRecord* firstLeftOut = nullptr;
    std::size_t leftOut = 0;
    for (const PluginRecord& record : records) {
        if (record.state == PluginState::Found) {
            firstLeftOut = firstLeftOut != nullptr ? firstLeftOut : &record;
            ++leftOut;
        } else if (record.state == PluginState::Failed ||
                   (record.state == PluginState::Refused && kind.reportRefusals)) {
            Prompts::Instance().ShowMessage("Couldn't load module", MessageButtons::Ok,
                                            record.path + "\n" + record.reason);
        }
    }
    if (firstLeftOut == nullptr) {
        return;
    }
    const std::string count =
        leftOut == 1 ? std::string("1 library was") : std::to_string(leftOut) + " libraries were";
    Prompts::Instance().ShowMessage("Couldn't load module", MessageButtons::Ok,
                                    count + " not loaded: " + kind.fullReason +
                                        ".\nThe first not loaded: " + firstLeftOut->path);
}

}  // namespace wexlan
