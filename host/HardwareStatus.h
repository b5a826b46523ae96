#pragma once

#include <map>
#include <string>

#include "DynamicLibrary.h"

class CWexlanCPEXE;

/// The batch word "hardware": the hardware resources with their state and last value.
/// A library with live-data entry points (wexlan::kLiveStatusEntry) is kept loaded from
/// the first listing on, so that its connection stays up between listings.
class HardwareStatus {
public:
    /// One line per hardware resource, "name<TAB>state<TAB>rate<TAB>value"; a live device
    /// gives one line per stream it receives, "name/stream<TAB>...", its state while it
    /// has none ("waiting for 127.0.0.1:18944") and its last refused message. A resource
    /// without live data reads "name<TAB>no live data<TAB>-<TAB>-".
    std::string Text(const CWexlanCPEXE& controller);

private:
    std::map<std::string, wexlan::DynamicLibrary> m_live;  // by library path
};
