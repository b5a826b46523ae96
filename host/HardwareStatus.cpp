#include "HardwareStatus.h"

#include <sstream>
#include <vector>

#include "CWexlanCPEXE.h"
#include "wProtocol.h"

std::string HardwareStatus::Text(const CWexlanCPEXE& controller) {
    std::string text;
    for (int i = 0; i < controller.GetNumberOfHardResources(); ++i) {
        const std::string name = controller.GetHardResourceName(i);
        const std::string path = controller.GetHardResourceDLL(i);
        auto live = m_live.find(path);
        if (live == m_live.end()) {
            wexlan::DynamicLibrary library;
            if (library.Load(path) && library.Symbol(wexlan::kLiveStatusEntry) != nullptr) {
                live = m_live.emplace(path, std::move(library)).first;
            }
        }
        if (live == m_live.end()) {
            text += name + "\tno live data\t-\t-\n";
            continue;
        }
        const auto status = reinterpret_cast<wexlan::LiveStatusFunction>(
            live->second.Symbol(wexlan::kLiveStatusEntry));
        // Asked twice: the text may grow between the calls, the second copy is cut to fit.
        std::vector<char> buffer(static_cast<std::size_t>(status(nullptr, 0)) + 256);
        status(buffer.data(), static_cast<int>(buffer.size()));
        std::istringstream lines(buffer.data());
        for (std::string line; std::getline(lines, line);) {
            if (line.empty()) {
                continue;
            }
            text += name + (line.front() == '\t' ? "" : "/") + line + "\n";
        }
    }
    return text;
}
