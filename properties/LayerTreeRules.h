#pragma once

#include <string>

#include "wexlancp_export.h"

/// The decisions of the layer tree panel, on item labels alone.
namespace wexlan {

/// The root item's label, and the placeholder child shown when there is no viewer.
constexpr const char* kViewLabel = "View";
constexpr const char* kNoLayersLabel = "No Layers";
/// The message shown when the placeholder is to be deleted.
constexpr const char* kNoLayersDeleteMessage = "You want to delete 'No Layers'???";

/// Whether selecting an item with this label shows the viewer alone: "view" in any case
/// (so a layer named "VIEW" behaves like the root).
WEXLANCP_EXPORT bool IsViewLabel(const std::string& label);

/// What the Delete key does on the item with this label.
enum class LayerDeleteAction {
    Nothing,       ///< the root (or a layer labelled "view" in any case), or no viewer
    WarnNoLayers,  ///< the placeholder "No Layers" in any case: kNoLayersDeleteMessage
    AskToRemove,   ///< ask RemoveLayerQuestion(label); on Yes remove the layer
};
WEXLANCP_EXPORT LayerDeleteAction DeleteActionFor(const std::string& label, bool hasViewer);

/// "Are you sure to remove layer <label>?"
WEXLANCP_EXPORT std::string RemoveLayerQuestion(const std::string& label);

}  // namespace wexlan
