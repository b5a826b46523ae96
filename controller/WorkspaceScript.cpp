#include "WorkspaceScript.h"

#include "wProtocol.h"

namespace wexlan {

const char* const kWorkspaceVendorAddress = "https://varq.example.org";

std::string ComposeWorkspaceScript(const std::string& modelScript, const std::string& volumeScript,
                                   const std::optional<ActiveModuleScript>& module) {
    std::string text = "# workspace created by VARQ\n";
    text += std::string("# Visit ") + kWorkspaceVendorAddress + " for more information\n";
    text += "\n";
    text += "# MODELS\n";
    text += modelScript;  // ends with its own line feed when not empty
    text += "# VOLUMES\n";
    text += volumeScript;
    text += "# activated component\n";
    if (module) {
        text += module->moduleName + "\n";
        text += std::string(wexlan::kCoolStartCommand) + "\n";
        text += "# Layers\n";
        for (const std::string& layer : module->layerScripts) {
            text += layer + "\n";
        }
    } else {
        text += "# No component\n";
    }
    text += "# THE END";
    return text;
}

}  // namespace wexlan
