#include "PropertyDisplay.h"

#include "wLayer.h"
#include "wProp.h"
#include "wViewer.h"

namespace wexlan {

PropertyDisplay::~PropertyDisplay() = default;

void ShowSelectionRecord(const SelectionDisplay& selection, PropertyDisplay& display) {
    wProp record;
    record.SetName(selection.name);
    switch (selection.view) {
        case SelectionView::MeshCategory:
        case SelectionView::PointsCategory:
        case SelectionView::PointCloudCategory:
        case SelectionView::ImageCategory:
            record.SetType("Category");
            display.RemoveAll();
            display.UpdateProperty(&record);
            return;
        case SelectionView::Record:
            record.SetType(selection.type);
            if (selection.hasFile) {
                record.SetFilename(selection.file);
            }
            display.UpdateProperty(&record);
            return;
        case SelectionView::HardwareResource:
        case SelectionView::DataItem:
            return;
    }
}

void ShowItemProperties(const std::string& name, wViewer* viewer, PropertyDisplay& display) {
    display.RemoveAll();
    if (viewer == nullptr) {
        wProp record;
        record.SetName(name);
        record.SetType("Resource");
        display.UpdateProperty(&record);
        return;
    }
    display.UpdateProperty(static_cast<wRenderable*>(viewer));
    wLayer* key = viewer->GetKeyLayerId() >= 0 ? viewer->GetKeyLayer() : nullptr;
    if (key != nullptr && key->SearchResource(name) >= 0) {
        display.UpdateProperty(static_cast<wRenderable*>(key));
        return;
    }
    const int index = viewer->FindInputIndex(name);
    if (index >= 0) {
        display.UpdateProperty(static_cast<wRenderable*>(viewer->GetInput(index)));
    }
}

}  // namespace wexlan
