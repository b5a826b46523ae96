#include <algorithm>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CWexlanModules.h"
#include "TestData.h"
#include "WorkingDirectory.h"
#include "wRendererManager.h"

#include <vtkNew.h>
#include <vtkRenderWindow.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::ScopedScriptedPrompts;

class ModulesTest : public testdata::AppTest {};

TEST_F(ModulesTest, MissingOrEmptyModuleFolder) {
    const std::string before = wexlan::CurrentDirectory();
    {
        CWexlanModules modules;
        modules.Initialise();
        EXPECT_EQ(modules.GetNumberOfModules(), 0);
        EXPECT_EQ(wexlan::CurrentDirectory(), before);  // nothing to enter
    }
    m_app.MakeEmptyFolders();
    CWexlanModules modules;
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 0);
    EXPECT_EQ(wexlan::CurrentDirectory(), m_app.Modules());  // entered all the same
    EXPECT_TRUE(m_prompts->Calls().empty());
    EXPECT_EQ(modules.GetInfo(),
              "id      name                description" + std::string(244, ' ') + "\n");
}

TEST_F(ModulesTest, FindModuleCommandLinesAndTheModuleTable) {
    m_app.AddModule("module_partial", "partial.so");
    m_app.AddModule("module_alpha", "alpha.so");
    m_app.AddModule("module_alpha_lower", "lower.so");
    CWexlanModules modules;
    modules.Initialise();
    calllog::Clear();
    // Names match ignoring case; of two, the one discovered last wins.
    EXPECT_EQ(modules.FindModule("ALPHA"), 1);
    EXPECT_EQ(modules.GetModuleName(1), "alpha");
    EXPECT_EQ(modules.FindModule("Gamma"), -1);
    const int partial = modules.FindModule("Partial");
    modules.Command(partial, "add", {"a", "b"});
    modules.Command(partial, "coolstart", {});
    modules.Command(partial, "add", {"two words"});
    EXPECT_THAT(calllog::Entries(),
                ElementsAre("Partial:Command(add a b)", "Partial:Command(coolstart)",
                            "Partial:Command(add two words)"));
    // Missing entry points do nothing.
    modules.SetPrimaryData(partial, 1);
    modules.AddSecondaryData(partial, 2, 3);
    EXPECT_EQ(modules.GetViewer(partial), nullptr);
    EXPECT_EQ(calllog::Entries().size(), 3u);

    const std::string info = modules.GetInfo();
    EXPECT_THAT(info, HasSubstr("0" + std::string(7, ' ') + "Alpha" + std::string(15, ' ') +
                                "Records every call"));
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 4);
}

TEST_F(ModulesTest, ActivationDetachBadIdsAndTeardown) {
    const std::string alpha = m_app.AddModule("module_alpha", "alpha.so");
    const std::string beta = m_app.AddModule("module_beta", "beta.so");
    {
        CWexlanModules modules;
        modules.Initialise();
        calllog::Clear();
        int fakeViewer = 0;
        calllog::SetPointer("Alpha:viewer", &fakeViewer);
        for (int id : {-1, 2}) {  // out of range: throw and call nothing
            EXPECT_THROW(modules.GetModule(id), std::invalid_argument);
            EXPECT_THROW(modules.GetModuleName(id), std::invalid_argument);
            EXPECT_THROW(modules.GetModuleVer(id), std::invalid_argument);
            EXPECT_THROW(modules.GetModuleDesc(id), std::invalid_argument);
            EXPECT_THROW(modules.GetModulePath(id), std::invalid_argument);
            EXPECT_THROW(modules.isModuleLoaded(id), std::invalid_argument);
            EXPECT_THROW(modules.GetViewer(id), std::invalid_argument);
            EXPECT_THROW(modules.SetPrimaryData(id, 0), std::invalid_argument);
            EXPECT_THROW(modules.AddSecondaryData(id, 2, 0), std::invalid_argument);
            EXPECT_THROW(modules.Command(id, "coolstart", {}), std::invalid_argument);
        }
        EXPECT_EQ(modules.GetTargetDataType(2), 0);  // unchecked, but never out of the table
        EXPECT_EQ(modules.GetTargetDataType(100000), 0);

        EXPECT_EQ(modules.GetActivatedModuleId(), -1);
        EXPECT_EQ(modules.GetViewer(), nullptr);
        modules.DetachData();  // nothing active: nothing called
        EXPECT_TRUE(calllog::Entries().empty());
        EXPECT_THROW(modules.DeleteViewer(), std::invalid_argument);

        modules.SetActivatedModule("alpha");
        EXPECT_EQ(modules.GetActivatedModuleId(), 0);
        EXPECT_EQ(static_cast<void*>(modules.GetViewer()), &fakeViewer);
        modules.DeleteViewer();
        modules.AddSecondaryData(0, 4, 1);
        modules.SetPrimaryData(0, 7);
        modules.DetachData();
        EXPECT_EQ(modules.GetActivatedModuleId(), -1);
        EXPECT_THAT(calllog::Entries(),
                    ElementsAre("Alpha:GetViewer", "Alpha:DelViewer", "Alpha:AddSecondaryData(4,1)",
                                "Alpha:SetPrimaryData(7)", "Alpha:DetachData"));
        modules.SetActivatedModule("nobody");
        EXPECT_EQ(modules.GetActivatedModuleId(), -1);
        modules.SetActivatedModule(0);
        modules.DetachData(99);  // no such window: nothing
        modules.DetachData(-1);
        EXPECT_EQ(modules.GetActivatedModuleId(), 0);

        calllog::Clear();
        modules.FreeModules();
        EXPECT_THAT(calllog::Entries(), ElementsAre("Alpha:ReleaseMemory", "Beta:ReleaseMemory"));
        EXPECT_FALSE(AppFolder::IsMapped(alpha) || AppFolder::IsMapped(beta));
        EXPECT_EQ(modules.GetNumberOfModules(), 2);  // rows stay
        EXPECT_EQ(modules.GetModule(0), 0ul);
        modules.Command(0, "coolstart", {});  // the module is gone: nothing happens
        calllog::Clear();
    }
    EXPECT_TRUE(calllog::Entries().empty());  // the destructor frees nothing twice
}

TEST_F(ModulesTest, EachRenderWindowHasItsOwnActiveModule) {
    m_app.AddModule("module_alpha", "alpha.so");
    m_app.AddModule("module_partial", "partial.so");
    CWexlanModules modules;
    modules.Initialise();
    wRendererManager renderers;
    modules.SetRenderer(&renderers);
    vtkNew<vtkRenderWindow> first, second;
    ASSERT_EQ(renderers.AddRenderWindow(first), 0);
    ASSERT_EQ(renderers.AddRenderWindow(second), 1);
    const int alpha = modules.FindModule("Alpha");
    const int partial = modules.FindModule("Partial");

    modules.SetActivatedModule(alpha);
    renderers.SetCurrentRenderWindow(1);
    EXPECT_EQ(modules.GetActivatedModuleId(), -1);
    modules.SetActivatedModule(partial);
    renderers.SetCurrentRenderWindow(0);
    EXPECT_EQ(modules.GetActivatedModuleId(), alpha);
    calllog::Clear();
    modules.DetachData(1);  // the other window's module: no "DetachData" to call, slot cleared
    EXPECT_TRUE(calllog::Entries().empty());
    renderers.SetCurrentRenderWindow(1);
    EXPECT_EQ(modules.GetActivatedModuleId(), -1);
    renderers.SetCurrentRenderWindow(0);
    EXPECT_EQ(modules.GetActivatedModuleId(), alpha);
}
