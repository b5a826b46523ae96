#include <QPushButton>
#include <QTreeWidget>
#include <algorithm>

#include "CComponentUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "CWexlanModuleManager.h"
#include "CWexlanModules.h"
#include "ConfigurationFiles.h"
#include "HostNotification.h"
#include "PanelLayout.h"
#include "Prompts.h"
#include "RemoteBrowser.h"
#include "TreeSelection.h"
#include "WorkspaceTree.h"

// The workspace panel's component buttons, one per module, and the module manager.

namespace wexlan {
namespace {

// Message texts of the component buttons.
constexpr char kNoViewingTab[] =
    "error: no viewing tab available, please create a new one by using ctrl + N";
constexpr char kClearViewer[] = "Clear current viewer?";

// A push button's caption shows "&" as a mnemonic unless doubled.
QString ButtonCaption(const std::string& text) {
    return QString::fromStdString(text).replace('&', "&&");
}

std::string CaptionText(const QAbstractButton* button) {
    return button->text().replace("&&", "&").toStdString();
}

}  // namespace
}  // namespace wexlan

QPushButton* CWexlanCPUI::GetComponentButton(int index) const {
    return index >= 0 && index < kComponentIdCount ? m_buttons[index] : nullptr;
}

void CWexlanCPUI::CreateComponentButton() {
    if (GetBoss() == nullptr) {
        return;
    }
    CWexlanModules* modules = GetBoss()->GetModules();
    const int count = std::min(modules->GetNumberOfModules(), wexlan::kMaxComponentButtons);
    const std::vector<QRect> places =
        wexlan::ProvisionalComponentButtons(m_tree->geometry(), count);
    for (int i = 0; i < count; ++i) {
        if (m_buttons[i] == nullptr) {
            m_buttons[i] = new QPushButton(this);
        }
        QPushButton* button = m_buttons[i];
        const unsigned int id = kFirstComponentId + i;
        button->setObjectName(QString("componentButton%1").arg(i));
        button->setProperty("controlId", id);
        button->setText(wexlan::ButtonCaption(modules->GetModuleName(i)));
        button->setToolTip(QString::fromStdString(modules->GetModuleDesc(i)));
        button->setGeometry(places[i]);
        connect(button, &QPushButton::clicked, this, [this, id] { OnBnClickedComponent(id); });
        button->show();
    }
}

void CWexlanCPUI::OnBnClickedComponent(unsigned int id) {
    QPushButton* button = GetComponentButton(static_cast<int>(id) - kFirstComponentId);
    if (GetBoss() == nullptr || button == nullptr) {
        return;
    }
    wexlan::Prompts& prompts = wexlan::Prompts::Instance();
    if (GetBoss()->hasAtLeastOneViewingTab() == 0) {
        prompts.ShowMessage(wexlan::kNoViewingTab, wexlan::MessageButtons::Ok);
        return;
    }
    CWexlanModules* modules = GetBoss()->GetModules();
    const std::string caption = wexlan::CaptionText(button);
    const int module = modules->FindModule(caption);
    const int active = modules->GetActivatedModuleId();
    if (active >= 0 && active != module) {
        if (prompts.ShowMessage(wexlan::kClearViewer, wexlan::MessageButtons::YesNo) !=
                wexlan::MessageAnswer::Yes ||
            (m_recorder != nullptr && !m_recorder->MayDiscardWork())) {
            // The viewer stays: the host shows it again in the property sheet and the
            // layer tree, which the tree selection before the click may have changed.
            wexlan::PostHostNotification(m_host);
            return;
        }
        modules->DeleteViewer();
    }
    if (module >= 0) {
        const wexlan::TreeSelection selection = m_nodes->SelectionOf(m_tree->currentItem());
        const wexlan::ChangeScope change(m_recorder, {"Add " + selection.selected, "", ""});
        modules->SetActivatedModule(module);
        if (m_componentUI != nullptr) {
            m_componentUI->SelectTab(caption);
        }
        // A remote series is added once retrieved and opened, as a repository file is.
        if (m_remote != nullptr && m_remote->IsSeries(m_tree->currentItem())) {
            m_remote->Retrieve(m_tree->currentItem(), [this, module](const std::string& file) {
                if (OpenFile(file) != -1 || GetBoss()->isFileLoaded(file) == 1) {
                    GetBoss()->GetModules()->Command(module, "add",
                                                     {GetBoss()->ConstructDataName(file)});
                }
                wexlan::PostHostNotification(m_host);
            });
            return;
        }
        const wexlan::ComponentCommand command =
            wexlan::ChooseComponentCommand(selection, wexlan::RepositoryRoot());
        if (command.opensFile) {
            OpenFile(command.file);  // sent all the same when the file does not open
        }
        modules->Command(module, command.word, command.arguments);
    }
    wexlan::PostHostNotification(m_host);
}

void CWexlanCPUI::OnToolsModulemanager() {
    CWexlanModuleManager dialog(nullptr);
    if (GetBoss() != nullptr) {
        CWexlanModules* modules = GetBoss()->GetModules();
        for (int i = 0; i < modules->GetNumberOfModules(); ++i) {
            dialog.AddItem(modules->GetModuleName(i), modules->GetModuleVer(i),
                           modules->GetModulePath(i));
            if (modules->isModuleLoaded(i) == 1) {
                dialog.SetLoaded(i);
            }
        }
    }
    dialog.exec();
}
