#include "LayerTreeRules.h"

#include "wText.h"

namespace wexlan {

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
