// The panel's DICOMweb nodes against Orthanc (skipped without it): a server expanded, a
// study expanded, a series opened by a double-click, and a server that is down.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include "CComponentUI.h"
#include "CWexlanCPEXE.h"
#include "CWexlanCPUI.h"
#include "DicomWebServers.h"
#include "DicomWriting.h"
#include "OrthancServer.h"
#include "RecordingDisplay.h"
#include "RemoteNodes.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "WorkspaceFolder.h"

namespace {

constexpr char kSeriesUid[] = "1.2.826.0.1.3680043.8.498.1";

// The first child of `parent` whose caption starts with `start`, or null.
QTreeWidgetItem* ChildStarting(QTreeWidgetItem* parent, const std::string& start) {
    for (int i = 0; parent != nullptr && i < parent->childCount(); ++i) {
        if (parent->child(i)->text(0).toStdString().rfind(start, 0) == 0) {
            return parent->child(i);
        }
    }
    return nullptr;
}

class RemotePanelTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void SetUp() override {
        if (!m_server.Skip().empty()) {
            GTEST_SKIP() << m_server.Skip();
        }
        for (int k = 0; k < 3; ++k) {
            wexlan::io::test::DicomSlice slice;
            slice.pixels = wexlan::io::test::Pixels16(std::vector<int>(12, 100 * k));
            slice.position = std::array<double, 3>{0, 0, 2.0 * k};
            slice.orientation = std::array<double, 6>{1, 0, 0, 0, 1, 0};
            slice.instanceNumber = k + 1;
            const QString path = m_server.Folder() + QString("/%1.dcm").arg(k);
            ASSERT_TRUE(wexlan::io::test::WriteDicom(path.toStdString(), slice));
            ASSERT_EQ(m_server.Upload(path), "");
        }
        const std::string down =
            "http://127.0.0.1:" + std::to_string(wexlan::test::FreeLoopbackPort()) + "/dicom-web";
        ASSERT_EQ(
            wexlan::remote::WriteServers(
                m_configuration.path().toStdString(),
                {{"orthanc", m_server.DicomWeb().toStdString(), "", ""}, {"down", down, "", ""}}),
            "");
        m_components.OnInitDialog();
        m_panel.SetBoss(&m_controller);
        m_panel.SetPropertyDisplay(&m_display);
        m_panel.SetComponentUI(&m_components);
        m_panel.SetRemoteFolders(m_configuration.path().toStdString(),
                                 m_cache.path().toStdString());
        m_panel.OnInitDialog();
    }

    // Expands `item` and waits until a child starting with `start` appears.
    QTreeWidgetItem* ExpandFor(QTreeWidgetItem* item, const std::string& start) {
        item->setExpanded(true);
        QTreeWidgetItem* found = nullptr;
        // No node by then: the caller's check of the result says so.
        static_cast<void>(QTest::qWaitFor(
            [&] { return (found = ChildStarting(item, start)) != nullptr; }, 15000));
        return found;
    }

    wexlan::test::OrthancServer m_server;
    WorkspaceFolder m_folder;
    wexlan::ScopedScriptedPrompts m_prompts;
    QTemporaryDir m_configuration, m_cache;
    RecordingDisplay m_display;
    CWexlanCPEXE m_controller;
    CComponentUI m_components;
    CWexlanCPUI m_panel;
};

TEST_F(RemotePanelTest, ExpandingAServerAndAStudyThenDoubleClickingASeriesLoadsIt) {
    QTreeWidget* tree = m_panel.GetTree();
    const auto roots = tree->findItems(wexlan::kRemoteRepositoryNode, Qt::MatchExactly);
    ASSERT_EQ(roots.size(), 1);
    ASSERT_EQ(roots[0]->childCount(), 2);
    // Right after "LocalRepository".
    EXPECT_EQ(tree->topLevelItem(tree->indexOfTopLevelItem(roots[0]) - 1)->text(0),
              "LocalRepository");

    QTreeWidgetItem* down = ExpandFor(roots[0]->child(1), "Cannot reach the server");
    ASSERT_NE(down, nullptr);
    EXPECT_NE(down->toolTip(0).toStdString().find("cannot connect to http://127.0.0.1:"),
              std::string::npos);

    QTreeWidgetItem* study = ExpandFor(roots[0]->child(0), "CT");  // no patient, no date
    ASSERT_NE(study, nullptr);
    EXPECT_EQ(ChildStarting(roots[0]->child(0), wexlan::kMoreStudiesCaption), nullptr);
    QTreeWidgetItem* series = ExpandFor(study, "CT");
    ASSERT_NE(series, nullptr);
    EXPECT_EQ(series->text(0), "CT  3 images");

    const std::string first = m_cache.path().toStdString() + "/" + kSeriesUid + "/000001.dcm";
    emit tree->itemActivated(series, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_controller.isFileLoaded(first) == 1; }, 15000));
    EXPECT_EQ(tree->findItems("Images", Qt::MatchExactly)[0]->childCount(), 1);
    EXPECT_TRUE(m_prompts->MessageTexts().empty());
}

}  // namespace
