#include "LayerTreeRules.h"

#include <cctype>

namespace wexlan {

namespace {
bool EqualsIgnoringCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}
}  // namespace

bool IsViewLabel(const std::string& label) {
    return EqualsIgnoringCase(label, kViewLabel);
}

LayerDeleteAction DeleteActionFor(const std::string& label, bool hasViewer) {
    if (IsViewLabel(label)) {
        return LayerDeleteAction::Nothing;
    }
    if (EqualsIgnoringCase(label, kNoLayersLabel)) {
        return LayerDeleteAction::WarnNoLayers;
    }
    return hasViewer ? LayerDeleteAction::AskToRemove : LayerDeleteAction::Nothing;
}

std::string RemoveLayerQuestion(const std::string& label) {
    return "Are you sure to remove layer " + label + "?";
}

}  // namespace wexlan
