#include "CWexlanLayerUI.h"

#include <QKeyEvent>
#include <QResizeEvent>
#include <QTreeWidget>

#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "LayerIcons.h"
#include "LayerTreeRules.h"
#include "Prompts.h"
#include "wLayer.h"
#include "wProp.h"
#include "wViewer.h"

namespace {
constexpr int kMargin = 5;
}

CWexlanLayerUI::CWexlanLayerUI(QWidget* parent) : QWidget(parent) {
    setObjectName("layerPanel");
    setWindowTitle(QStringLiteral("Layers"));
    resize(220, 240);
}

CWexlanLayerUI::~CWexlanLayerUI() = default;

bool CWexlanLayerUI::OnInitDialog() {
    if (m_initialised) {
        return true;
    }
    m_tree = new QTreeWidget(this);
    m_tree->setObjectName("layerTree");
    m_tree->setColumnCount(1);
    m_tree->setHeaderHidden(true);
    m_tree->setRootIsDecorated(true);  // expand buttons, lines at the root
    m_tree->setIconSize(QSize(24, 24));
    m_tree->setMouseTracking(true);  // tracks the item under the mouse
    m_tree->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tree->setSelectionBehavior(QAbstractItemView::SelectRows);  // whole rows
    m_tree->setAllColumnsShowFocus(true);
    // The selection stays visible when the tree loses the focus.
    QPalette colours = m_tree->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText}) {
        colours.setColor(QPalette::Inactive, role, colours.color(QPalette::Active, role));
    }
    m_tree->setPalette(colours);
    m_tree->setContextMenuPolicy(Qt::NoContextMenu);
    m_tree->installEventFilter(this);
    connect(m_tree, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* current) { OnTvnSelchangedTree(current); });

    InsertRoot();
    InsertChild(wexlan::kNoLayersLabel);
    m_root->setExpanded(true);
    m_tree->setGeometry(kMargin, kMargin, width() - 2 * kMargin, height() - 2 * kMargin);
    m_tree->show();
    m_initialised = true;
    return true;
}

void CWexlanLayerUI::UpdateUI() {
    if (GetBoss() == nullptr || m_tree == nullptr) {
        return;
    }
    {
        const QSignalBlocker blocker(m_tree);  // a rebuild is not a selection
        m_tree->clear();
        InsertRoot();
    }
    if (wViewer* viewer = CurrentViewer()) {
        for (int i = 0; i < viewer->GetNumberOfItems(); ++i) {
            AddLayer(i);
        }
    } else {
        InsertChild(wexlan::kNoLayersLabel);
    }
    m_root->setExpanded(true);
}

void CWexlanLayerUI::AddLayer(int index) {
    wViewer* viewer = CurrentViewer();
    wLayer* layer = viewer != nullptr ? viewer->GetInput(index) : nullptr;
    if (layer != nullptr) {
        InsertChild(layer->GetLayerName());
    }
}

void CWexlanLayerUI::ShowViewCtrlUI() {
    if (GetBoss() == nullptr || GetBoss()->GetModules() == nullptr || m_properties == nullptr) {
        return;
    }
    wViewer* viewer = CurrentViewer();
    if (viewer == nullptr) {
        wProp placeholder;
        placeholder.SetName("Viewer");
        placeholder.SetType("Empty Viewer");
        m_properties->UpdateProperty(&placeholder);
        return;
    }
    m_properties->RemoveAll();
    m_properties->UpdateProperty(static_cast<wRenderable*>(viewer));
}

void CWexlanLayerUI::ShowLayerCtrlUI(const std::string& name) {
    wViewer* viewer = CurrentViewer();
    if (viewer == nullptr || m_properties == nullptr) {
        return;
    }
    wLayer* layer = viewer->GetInput(name);
    m_properties->RemoveAll();
    m_properties->UpdateProperty(static_cast<wRenderable*>(viewer));
    m_properties->UpdateProperty(static_cast<wRenderable*>(layer));
}

void CWexlanLayerUI::RemoveSelectedItem() {
    if (m_tree == nullptr) {
        return;
    }
    QTreeWidgetItem* item = m_tree->currentItem();
    if (item == nullptr) {
        return;
    }
    if (item == m_root) {
        m_root = nullptr;
    }
    delete item;
}

void CWexlanLayerUI::OnTvnSelchangedTree(QTreeWidgetItem* item) {
    if (item == nullptr) {
        return;
    }
    const std::string text = item->text(0).toStdString();
    if (wexlan::IsViewLabel(text)) {
        ShowViewCtrlUI();
    } else {
        ShowLayerCtrlUI(text);
    }
}

void CWexlanLayerUI::OnTvnKeydownTree(int key) {
    if (key != Qt::Key_Delete || m_tree == nullptr || m_tree->currentItem() == nullptr) {
        return;
    }
    const std::string text = m_tree->currentItem()->text(0).toStdString();
    wViewer* viewer = CurrentViewer();
    switch (wexlan::DeleteActionFor(text, viewer != nullptr)) {
        case wexlan::LayerDeleteAction::Nothing:
            return;
        case wexlan::LayerDeleteAction::WarnNoLayers:
            wexlan::Prompts::Instance().ShowMessage(wexlan::kNoLayersDeleteMessage,
                                                    wexlan::MessageButtons::Ok);
            return;
        case wexlan::LayerDeleteAction::AskToRemove:
            break;
    }
    if (wexlan::Prompts::Instance().ShowMessage(wexlan::RemoveLayerQuestion(text),
                                                wexlan::MessageButtons::YesNo) !=
        wexlan::MessageAnswer::Yes) {
        return;
    }
    // The sheet may show rows of the layer that goes: empty it first.
    if (m_properties != nullptr) {
        m_properties->RemoveAll();
    }
    {
        const wexlan::ChangeScope change(m_recorder, {"Remove " + text, "", ""});
        viewer->RemoveInput(text);
    }
    {
        const QSignalBlocker blocker(m_tree);
        RemoveSelectedItem();
        if (m_tree->topLevelItemCount() == 1 && m_root != nullptr && m_root->childCount() == 0) {
            InsertChild(wexlan::kNoLayersLabel);
        }
    }
    ShowSelection();
}

void CWexlanLayerUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_initialised) {
        m_tree->setGeometry(kMargin, kMargin, event->size().width() - 2 * kMargin,
                            event->size().height() - 2 * kMargin);
    }
}

bool CWexlanLayerUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Delete) {
            OnTvnKeydownTree(key);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

wViewer* CWexlanLayerUI::CurrentViewer() const {
    if (GetBoss() == nullptr || GetBoss()->GetModules() == nullptr) {
        return nullptr;
    }
    return GetBoss()->GetModules()->GetViewer();
}

QTreeWidgetItem* CWexlanLayerUI::InsertChild(const std::string& label) {
    if (m_root == nullptr) {
        InsertRoot();
    }
    auto* item = new QTreeWidgetItem(m_root, {QString::fromStdString(label)});
    item->setIcon(0, wexlan::LayerIcon());
    return item;
}

void CWexlanLayerUI::InsertRoot() {
    m_root = new QTreeWidgetItem(m_tree, {QString::fromLatin1(wexlan::kViewLabel)});
    m_root->setIcon(0, wexlan::ViewerIcon());
}

void CWexlanLayerUI::ShowSelection() {
    QTreeWidgetItem* current = m_tree->currentItem();
    if (current != nullptr) {
        OnTvnSelchangedTree(current);
    } else {
        ShowViewCtrlUI();
    }
}
