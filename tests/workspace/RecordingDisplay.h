#pragma once

#include <string>
#include <vector>

#include "PropertyDisplay.h"
#include "wLayer.h"
#include "wProp.h"

// A property display that writes down what it was asked to show:
// "clear", "record{Name=..., Type=...}", "viewer" or "layer:<name>".
class RecordingDisplay : public wexlan::PropertyDisplay {
public:
    void RemoveAll() override { shown.push_back("clear"); }
    void UpdateProperty(wProp* record) override {
        std::string text = "record{";
        for (int i = 0; i < record->GetNumberOfItems(); ++i) {
            text += (i > 0 ? ", " : "") + record->GetTag(i) + "=" + record->GetValue(i);
        }
        shown.push_back(text + "}");
    }
    void UpdateProperty(wRenderable* renderable) override {
        const auto* layer = dynamic_cast<wLayer*>(renderable);
        shown.push_back(layer != nullptr ? "layer:" + layer->GetLayerName() : "viewer");
    }

    std::vector<std::string> shown;
};
