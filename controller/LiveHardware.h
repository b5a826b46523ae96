#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "DynamicLibrary.h"
#include "wexlancp_export.h"

namespace wexlan {

class HardwareTable;

/// One line a live hardware resource gives about what it receives: a stream, or the
/// resource as a whole (no streams yet, or its last refused message).
struct LiveStream {
    std::string name;   ///< the stream's device name; "" for a line about the whole resource
    std::string state;  ///< "connected", "waiting for 127.0.0.1:18944", "no message for 3 s"...
    std::string rate;   ///< messages per second as the library writes it ("60.0"), or "-"
    std::string value;  ///< the last value (16 pose numbers, "image 256x256x1"), or "-"
};

/// The live side of the hardware resources. A library that exports the live-data entry
/// points (wexlan::kLiveStatusEntry) is loaded when first asked about and kept loaded from
/// then on, so that its connection to the device stays up between questions; a library
/// without them is loaded once to find out and not again. Every call into a library goes
/// through CallPlugin.
class WEXLANCP_EXPORT LiveHardware {
public:
    /// The lines of hardware resource `index` of `table`, in the library's order; none
    /// (std::nullopt) when its library delivers no live data, cannot be loaded, or its
    /// status entry point failed. Throws std::invalid_argument for an index outside the
    /// table.
    std::optional<std::vector<LiveStream>> Streams(const HardwareTable& table, int index);

    /// "name<TAB>state<TAB>rate<TAB>value" lines of every resource of `table`: a live
    /// resource's stream lines as "name/stream...", its lines about itself as "name...";
    /// a resource without live data as "name<TAB>no live data<TAB>-<TAB>-".
    std::string StatusText(const HardwareTable& table);

private:
    std::map<std::string, DynamicLibrary> m_live;  // by library path, kept loaded
    std::set<std::string> m_withoutLiveData;       // library paths asked once
};

}  // namespace wexlan
