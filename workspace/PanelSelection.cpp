#include <QKeyEvent>
#include <QTreeWidget>
#include <memory>

#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModules.h"
#include "ConfigurationFiles.h"
#include "HostNotification.h"
#include "Prompts.h"
#include "PropertyDisplay.h"
#include "RemoteBrowser.h"
#include "TreeSelection.h"
#include "WorkspaceTree.h"
#include "wProp.h"

// What the workspace panel shows for the selected node, and removing nodes.

namespace wexlan {
namespace {

// The property panel as a display for selections.
class CPropertyUIDisplay final : public wexlan::PropertyDisplay {
public:
    explicit CPropertyUIDisplay(CPropertyUI* panel) : m_panel(panel) {}
    void RemoveAll() override { m_panel->RemoveAll(); }
    void UpdateProperty(wProp* record) override { m_panel->UpdateProperty(record); }
    void UpdateProperty(wRenderable* renderable) override { m_panel->UpdateProperty(renderable); }

private:
    CPropertyUI* m_panel;
};

}  // namespace
}  // namespace wexlan

void CWexlanCPUI::SetPropertyUI(CPropertyUI* properties) {
    m_ownDisplay =
        properties != nullptr ? std::make_unique<wexlan::CPropertyUIDisplay>(properties) : nullptr;
    m_display = m_ownDisplay.get();
}

void CWexlanCPUI::SetPropertyDisplay(wexlan::PropertyDisplay* display) {
    m_ownDisplay.reset();
    m_display = display;
}

void CWexlanCPUI::RemoveSelectedItem() {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (item != nullptr && !m_nodes->IsFixedNode(item)) {
        delete item;
    }
}

void CWexlanCPUI::SelectItem() {
    m_selectedDataType = GetTypeFromStr(m_selectedItemText);
    m_selectedDataId = GetIdFromStr(m_selectedItemText);
}

void CWexlanCPUI::OnTvnKeydownTree1(int key) {
    QTreeWidgetItem* item = m_tree->currentItem();
    if (key != Qt::Key_Delete || item == nullptr || m_nodes->IsFixedNode(item) ||
        m_remote->Holds(item)) {
        return;
    }
    const std::string text = item->text(0).toStdString();
    const wexlan::MessageAnswer answer = wexlan::Prompts::Instance().ShowMessage(
        "Are you sure to remove object " + text + "?", wexlan::MessageButtons::YesNo);
    if (answer != wexlan::MessageAnswer::Yes) {
        return;
    }
    // The sheet may show rows of a layer that goes with the item: empty it first.
    if (m_display != nullptr) {
        m_display->RemoveAll();
    }
    if (GetBoss() != nullptr) {
        const wexlan::ChangeScope change(m_recorder, {"Remove " + text, "", ""});
        GetBoss()->Remove(text);
    }
    RemoveSelectedItem();
    wexlan::PostHostNotification(m_host);  // the layer tree and the sheet follow
}

bool CWexlanCPUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        OnTvnKeydownTree1(key);
        return key == Qt::Key_Delete;
    }
    return QWidget::eventFilter(watched, event);
}

void CWexlanCPUI::OnBnClickedButtonAttachdata() {
    SelectItem();
    if (m_selectedDataId >= 0 && GetBoss() != nullptr) {
        GetBoss()->Show(m_selectedDataType, m_selectedDataId);
    }
}

void CWexlanCPUI::OnTvnSelchangedTree1() {
    QTreeWidgetItem* selected = m_tree->currentItem();
    const wexlan::TreeSelection selection = m_nodes->SelectionOf(selected);
    m_selectedItemText = selection.selected;
    m_parentItemText = selection.parent;
    const std::string hardwareName = wexlan::HardwareNameOf(selection.selected);
    if (GetBoss() != nullptr) {
        GetBoss()->SetSelItemText(selection.selected);
    }
    // A DICOMweb node names no loaded data: nothing to describe.
    if (selected == nullptr || (m_remote != nullptr && m_remote->Holds(selected))) {
        if (m_display != nullptr) {
            m_display->RemoveAll();
        }
        return;
    }
    // A caption without "]" names no hardware resource, even one with an empty name.
    const bool isHardware = GetBoss() != nullptr && !hardwareName.empty() &&
                            GetBoss()->FindHardResource(hardwareName) >= 0;
    const wexlan::SelectionDisplay display =
        wexlan::ClassifySelection(selection, wexlan::RepositoryRoot(), isHardware);
    switch (display.view) {
        case wexlan::SelectionView::MeshCategory:
            ShowMeshProp();
            break;
        case wexlan::SelectionView::PointsCategory:
            ShowPointsProp();
            break;
        case wexlan::SelectionView::PointCloudCategory:
            ShowPointCloudProp();
            break;
        case wexlan::SelectionView::ImageCategory:
            ShowImageProp();
            break;
        case wexlan::SelectionView::Record:
            if (m_display != nullptr) {
                wexlan::ShowSelectionRecord(display, *m_display);
            }
            break;
        case wexlan::SelectionView::HardwareResource:
            ShowHardResourceProp(display.name);
            break;
        case wexlan::SelectionView::DataItem:
            ShowItemProp(display.name);
            break;
    }
}

void CWexlanCPUI::ShowCategory(wexlan::SelectionView view, const std::string& name) {
    if (m_display != nullptr) {
        wexlan::SelectionDisplay category;
        category.view = view;
        category.name = name;
        wexlan::ShowSelectionRecord(category, *m_display);
    }
}

void CWexlanCPUI::ShowMeshProp() {
    ShowCategory(wexlan::SelectionView::MeshCategory, "Meshes");
}

void CWexlanCPUI::ShowPointsProp() {
    ShowCategory(wexlan::SelectionView::PointsCategory, "Points");
}

void CWexlanCPUI::ShowPointCloudProp() {
    ShowCategory(wexlan::SelectionView::PointCloudCategory, "PointCloud");
}

void CWexlanCPUI::ShowImageProp() {
    ShowCategory(wexlan::SelectionView::ImageCategory, "Images");
}

void CWexlanCPUI::ShowHardResourceProp(const std::string& name) {
    if (GetBoss() == nullptr || m_display == nullptr) {
        return;
    }
    const int index = GetBoss()->FindHardResource(name);
    if (index < 0) {
        return;
    }
    wProp record;
    record.SetName(GetBoss()->GetHardResourceName(index));
    record.SetFilename(GetBoss()->GetHardResourceDLL(index));
    // A live resource's description goes on with what it receives, a line per stream.
    std::string description = GetBoss()->GetHardResourceDesc(index);
    if (const auto streams = GetBoss()->GetHardResourceStreams(index)) {
        for (const wexlan::LiveStream& stream : *streams) {
            description += "\n" + (stream.name.empty() ? "" : stream.name + ": ") + stream.state +
                           (stream.rate == "-" ? "" : ", " + stream.rate + " messages/s");
        }
    }
    record.SetDescription(description);
    record.SetVersion(GetBoss()->GetHardResourceVer(index));
    m_display->UpdateProperty(&record);
}

void CWexlanCPUI::ShowItemProp(const std::string& name) {
    if (m_display == nullptr) {
        return;
    }
    wViewer* viewer = GetBoss() != nullptr ? GetBoss()->GetModules()->GetViewer() : nullptr;
    wexlan::ShowItemProperties(name, viewer, *m_display);
}
