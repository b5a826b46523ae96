// The layer tree panel against a controller whose active module is this test program:
// it exports the module entry point "GetViewer", which returns the test's viewer.

#include <dlfcn.h>

#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QTest>
#include <QTreeWidget>

#include "AppFolder.h"
#include "CMyProp.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanLayerUI.h"
#include "CWexlanModules.h"
#include "ScriptedPrompts.h"
#include "TestApp.h"
#include "wMeshLayer.h"
#include "wViewer.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using wexlan::MessageAnswer;

namespace {
wViewer* g_viewer = nullptr;
}

extern "C" __attribute__((visibility("default"))) wViewer* GetViewer() {
    return g_viewer;
}

namespace {

class LayerTreeTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void SetUp() override {
        m_properties.OnInitDialog();
        m_panel.OnInitDialog();
        m_panel.SetPropertyUI(&m_properties);
        m_panel.show();
        m_panel.resize(200, 300);
    }
    void TearDown() override { g_viewer = nullptr; }

    // Makes this program the active module of the current render window.
    void ActivateSelf() {
        void* self = dlopen(nullptr, RTLD_NOW);
        ASSERT_EQ(m_Controller.GetModules()->AddModule(reinterpret_cast<unsigned long>(self),
                                                       "LayerTest", 2, "1.0", "", "/self"),
                  1);
        m_Controller.GetModules()->SetActivatedModule(0);
        m_panel.SetBoss(&m_Controller);
    }
    wLayer* AddLayer(const std::string& name) {
        m_viewer.AddInput(std::make_unique<wMeshLayer>(nullptr, name));
        return m_viewer.GetInput(m_viewer.GetNumberOfItems() - 1);
    }
    QTreeWidget& Tree() { return *m_panel.GetTree(); }
    QTreeWidgetItem* Root() { return Tree().topLevelItem(0); }
    std::vector<std::string> Labels() {
        std::vector<std::string> labels;
        for (int i = 0; Root() != nullptr && i < Root()->childCount(); ++i) {
            labels.push_back(Root()->child(i)->text(0).toStdString());
        }
        return labels;
    }
    std::vector<std::string> Groups() {
        std::vector<std::string> groups;
        for (int i = 0; i < m_properties.GetGrid()->GetPropertyCount(); ++i) {
            groups.push_back(m_properties.GetGrid()->GetProperty(i)->GetName());
        }
        return groups;
    }
    QTreeWidgetItem* Child(const std::string& label) {
        const auto found =
            Tree().findItems(QString::fromStdString(label),
                             Qt::MatchExactly | Qt::MatchCaseSensitive | Qt::MatchRecursive);
        return found.isEmpty() ? nullptr : found.front();
    }
    void PressDelete(QTreeWidgetItem* item) {
        Tree().setCurrentItem(item);
        QTest::keyClick(&Tree(), Qt::Key_Delete);
    }

    AppFolder m_app;  // empty: the controller finds no plug-ins
    wexlan::ScopedScriptedPrompts m_prompts;
    CWexlanCPEXE m_Controller;
    wViewer m_viewer;
    CPropertyUI m_properties;
    CWexlanLayerUI m_panel;
};

}  // namespace

TEST_F(LayerTreeTest, OpensWithNoLayersAndUpdatesFromTheCurrentViewer) {
    EXPECT_EQ(Root()->text(0), "View");
    EXPECT_THAT(Labels(), ElementsAre("No Layers"));
    EXPECT_TRUE(Root()->isExpanded());
    EXPECT_NE(Root()->icon(0).cacheKey(), Root()->child(0)->icon(0).cacheKey());
    EXPECT_EQ(Tree().geometry(), QRect(5, 5, 190, 290));

    AddLayer("bunny");
    g_viewer = &m_viewer;
    m_panel.UpdateUI();  // no boss yet: nothing happens
    EXPECT_THAT(Labels(), ElementsAre("No Layers"));
    m_panel.SetBoss(&m_Controller);
    m_panel.UpdateUI();  // no active module: no viewer
    EXPECT_THAT(Labels(), ElementsAre("No Layers"));

    ActivateSelf();
    AddLayer("skull");
    m_panel.UpdateUI();
    EXPECT_THAT(Labels(), ElementsAre("bunny", "skull"));
    EXPECT_THAT(Groups(), IsEmpty()) << "rebuilding does not fill the sheet";
    m_viewer.RemoveAllInputs();
    m_panel.UpdateUI();
    EXPECT_EQ(Tree().topLevelItemCount(), 1);
    EXPECT_THAT(Labels(), IsEmpty()) << "a viewer without layers: the root alone";
}

TEST_F(LayerTreeTest, SelectionFillsThePropertySheet) {
    ActivateSelf();
    m_panel.UpdateUI();
    Tree().setCurrentItem(Root());  // no viewer: the placeholder record
    EXPECT_THAT(Groups(), ElementsAre("VARQ"));
    CPropertyGridProperty* varq = m_properties.GetGrid()->GetProperty(0);
    ASSERT_EQ(varq->GetSubItemsCount(), 2);
    EXPECT_EQ(varq->GetSubItem(0)->GetValue().GetText(), "Viewer");
    EXPECT_EQ(varq->GetSubItem(1)->GetValue().GetText(), "Empty Viewer");
    Tree().setCurrentItem(Child("No Layers"));  // no viewer: nothing happens
    EXPECT_THAT(Groups(), ElementsAre("VARQ"));

    g_viewer = &m_viewer;
    AddLayer("bunny");
    AddLayer("View")->SetLayerName("VIEW");
    m_panel.UpdateUI();
    Tree().setCurrentItem(Child("bunny"));
    EXPECT_THAT(Groups(), ElementsAre("Viewer", "MeshLayer"));
    Tree().setCurrentItem(Root());
    EXPECT_THAT(Groups(), ElementsAre("Viewer"));
    Tree().setCurrentItem(Child("VIEW"));  // a layer labelled "view" is taken for the root
    EXPECT_THAT(Groups(), ElementsAre("Viewer"));

    m_viewer.RemoveAllInputs();
    g_viewer = nullptr;
    m_panel.UpdateUI();
    g_viewer = &m_viewer;
    Tree().setCurrentItem(Child("No Layers"));  // a viewer again: its rows only
    EXPECT_THAT(Groups(), ElementsAre("Viewer"));
    m_panel.ShowLayerCtrlUI("nothing by that name");
    EXPECT_THAT(Groups(), ElementsAre("Viewer"));
}

TEST_F(LayerTreeTest, DeleteKeyAsksAndRemovesTheLayerOfTheSelectedItem) {
    ActivateSelf();
    g_viewer = &m_viewer;
    AddLayer("bunny");
    AddLayer("skull");
    m_panel.UpdateUI();

    PressDelete(Root());
    g_viewer = nullptr;  // without a viewer the Delete key asks nothing
    PressDelete(Child("bunny"));
    EXPECT_THAT(m_prompts->Calls(), IsEmpty());
    g_viewer = &m_viewer;

    Tree().setCurrentItem(Child("skull"));
    EXPECT_THAT(Groups(), ElementsAre("Viewer", "MeshLayer"));
    m_prompts->QueueAnswer(MessageAnswer::No);
    PressDelete(Child("skull"));
    EXPECT_THAT(m_prompts->MessageTexts(), ElementsAre("Are you sure to remove layer skull?"));
    EXPECT_EQ(m_prompts->Calls()[0].buttons, wexlan::MessageButtons::YesNo);
    EXPECT_EQ(m_viewer.GetNumberOfItems(), 2);
    EXPECT_THAT(Labels(), ElementsAre("bunny", "skull"));

    m_prompts->QueueAnswer(MessageAnswer::Yes);
    PressDelete(Child("skull"));
    EXPECT_EQ(m_viewer.GetNumberOfItems(), 1);
    EXPECT_EQ(m_viewer.GetInput("skull"), nullptr);
    EXPECT_THAT(Labels(), ElementsAre("bunny"));
    // The sheet shows the new selection, never rows of the removed layer.
    CPropertyGridCtrl* grid = m_properties.GetGrid();
    for (int g = 0; g < grid->GetPropertyCount(); ++g) {
        for (int r = 0; r < grid->GetProperty(g)->GetSubItemsCount(); ++r) {
            auto* row = dynamic_cast<CMyProp*>(grid->GetProperty(g)->GetSubItem(r));
            if (row != nullptr) {
                EXPECT_TRUE(row->GetRenderable() == &m_viewer ||
                            row->GetRenderable() == m_viewer.GetInput("bunny"));
            }
        }
    }

    m_prompts->QueueAnswer(MessageAnswer::Yes);
    PressDelete(Child("bunny"));
    EXPECT_EQ(m_viewer.GetNumberOfItems(), 0);
    EXPECT_THAT(Labels(), ElementsAre("No Layers"));
    EXPECT_EQ(m_prompts->UnusedAnswers(), 0u);

    PressDelete(Child("No Layers"));
    EXPECT_EQ(m_prompts->MessageTexts().back(), "You want to delete 'No Layers'???");
    EXPECT_EQ(m_prompts->Calls().back().buttons, wexlan::MessageButtons::Ok);

    // Two layers of one name: the viewer removes its first, the tree the selected item.
    wLayer* first = AddLayer("twin");
    AddLayer("twin");
    m_panel.UpdateUI();
    m_prompts->QueueAnswer(MessageAnswer::Yes);
    PressDelete(Root()->child(1));
    EXPECT_NE(m_viewer.GetInput("twin"), first);
    EXPECT_THAT(Labels(), ElementsAre("twin"));
}
