#include <dlfcn.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanModules.h"
#include "FolderListing.h"
#include "ScriptedPrompts.h"
#include "WorkingDirectory.h"
#include "wRendererManager.h"

#include <vtkNew.h>
#include <vtkRenderWindow.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::ScopedScriptedPrompts;

namespace {

// The file names of a folder's libraries in the order discovery meets them.
std::vector<std::string> DiscoveryOrder(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : wexlan::ListFolder(folder, "*.so")) {
        if (!entry.isFolder && !entry.isDotEntry) {
            names.push_back(entry.name);
        }
    }
    return names;
}

bool Mapped(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    return handle != nullptr && dlclose(handle) == 0;
}

class ModulesTest : public ::testing::Test {
protected:
    AppFolder app_;
    ScopedScriptedPrompts prompts_;
};

}  // namespace

TEST_F(ModulesTest, DiscoveryRegistersEveryLibraryInFolderOrder) {
    app_.AddModule("module_alpha", "alpha.so");
    app_.AddModule("module_empty", "empty.so");
    app_.AddModule("module_partial", "partial.so");
    std::filesystem::create_directories(app_.Modules() + "/sub.so");  // folders are not libraries
    std::ofstream(app_.Modules() + "/readme.txt") << "not a module";

    CWexlanModules modules;
    modules.Initialise();

    EXPECT_EQ(wexlan::CurrentDirectory(), app_.Modules());
    const auto order = DiscoveryOrder(app_.Modules());
    ASSERT_EQ(modules.GetNumberOfModules(), 3);
    for (int id = 0; id < 3; ++id) {
        EXPECT_EQ(modules.GetModulePath(id), app_.Modules() + "/" + order[id]);
        EXPECT_EQ(modules.isModuleLoaded(id), 1);
    }
    const int alpha = modules.FindModule("Alpha");
    ASSERT_GE(alpha, 0);
    EXPECT_EQ(modules.GetModuleVer(alpha), "1.0");
    EXPECT_EQ(modules.GetModuleDesc(alpha), "Records every call");
    EXPECT_EQ(modules.GetTargetDataType(alpha), 2);
    // The four questions, once each, in this order.
    EXPECT_THAT(calllog::Entries(),
                ElementsAre("Alpha:GetModuleVer", "Alpha:GetModuleName", "Alpha:GetModuleDesc",
                            "Alpha:GetModuleTargetDataType"));

    const int empty = modules.FindModule("");  // exports nothing, registered all the same
    ASSERT_GE(empty, 0);
    EXPECT_EQ(modules.GetModuleVer(empty), "");
    EXPECT_EQ(modules.GetTargetDataType(empty), 0);
    EXPECT_TRUE(prompts_->Calls().empty());
}

TEST_F(ModulesTest, MissingOrEmptyModuleFolder) {
    const std::string before = wexlan::CurrentDirectory();
    {
        CWexlanModules modules;
        modules.Initialise();
        EXPECT_EQ(modules.GetNumberOfModules(), 0);
        EXPECT_EQ(wexlan::CurrentDirectory(), before);  // nothing to enter
    }
    app_.MakeEmptyFolders();
    CWexlanModules modules;
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 0);
    EXPECT_EQ(wexlan::CurrentDirectory(), app_.Modules());  // entered all the same
    EXPECT_TRUE(prompts_->Calls().empty());
    EXPECT_EQ(modules.GetInfo(), "id      name                description" + std::string(244, ' ') + "\n");
}

TEST_F(ModulesTest, ALibraryThatFailsToLoadIsReportedOnceWithItsReason) {
    app_.AddModule("module_alpha", "alpha.so");
    const std::string broken = app_.AddModule("module_unloadable", "broken.so");
    CWexlanModules modules;
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 1);
    ASSERT_EQ(prompts_->Calls().size(), 1u);
    EXPECT_EQ(prompts_->Calls()[0].text, "Couldn't load module");
    EXPECT_EQ(prompts_->Calls()[0].buttons, wexlan::MessageButtons::Ok);
    EXPECT_THAT(prompts_->Calls()[0].detail, HasSubstr(broken));
    EXPECT_THAT(prompts_->Calls()[0].detail, HasSubstr("WexlanTestSymbolThatDoesNotExist"));
    ASSERT_EQ(modules.GetLoadFailures().size(), 1u);
    EXPECT_EQ(modules.GetLoadFailures()[0].path, broken);
}

TEST_F(ModulesTest, TheRegistryHoldsAtMost128Modules) {
    const std::string first = app_.AddModule("module_alpha", "first.so");
    CWexlanModules modules;
    for (int i = 0; i < CWexlanModules::kMaxModules; ++i) {
        void* handle = dlopen(first.c_str(), RTLD_NOW | RTLD_LOCAL);
        ASSERT_EQ(modules.AddModule(reinterpret_cast<unsigned long>(handle), "m", 0, "", "", first), 1);
    }
    void* extra = dlopen(first.c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_EQ(modules.AddModule(reinterpret_cast<unsigned long>(extra), "m", 0, "", "", first), 0);
    dlclose(extra);  // a refused handle stays the caller's

    const std::string late = app_.AddModule("module_beta", "late.so");
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 128);
    EXPECT_FALSE(Mapped(late));  // refused and freed again, without a message
    EXPECT_TRUE(prompts_->Calls().empty());
    modules.FreeModules();
    EXPECT_FALSE(Mapped(first));  // every adopted reference was given back
}

TEST_F(ModulesTest, FindModuleIgnoresCaseAndTakesTheLastDiscovered) {
    app_.AddModule("module_alpha", "a1.so");
    app_.AddModule("module_alpha_lower", "a2.so");
    CWexlanModules modules;
    modules.Initialise();
    // Both names match; the one discovered second wins.
    const auto order = DiscoveryOrder(app_.Modules());
    EXPECT_EQ(modules.FindModule("ALPHA"), 1);
    EXPECT_EQ(modules.FindModule("alpha"), 1);
    EXPECT_EQ(modules.GetModuleName(1), order[1] == "a1.so" ? "Alpha" : "alpha");
    EXPECT_EQ(modules.FindModule("Gamma"), -1);
}

TEST_F(ModulesTest, CommandLinesAndTheModuleTable) {
    app_.AddModule("module_partial", "partial.so");
    app_.AddModule("module_alpha", "alpha.so");
    CWexlanModules modules;
    modules.Initialise();
    calllog::Clear();
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
    const int alpha = modules.FindModule("Alpha");
    const std::string alphaRow = std::to_string(alpha) + std::string(7, ' ') + "Alpha" +
                                 std::string(15, ' ') + "Records every call";
    EXPECT_THAT(info, HasSubstr(alphaRow));
    EXPECT_EQ(std::count(info.begin(), info.end(), '\n'), 3);
}

TEST_F(ModulesTest, ActivationDetachAndViewerOfTheCurrentWindow) {
    app_.AddModule("module_alpha", "alpha.so");
    CWexlanModules modules;
    modules.Initialise();
    calllog::Clear();
    int fakeViewer = 0;
    calllog::SetPointer("Alpha:viewer", &fakeViewer);

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
    EXPECT_THAT(calllog::Entries(), ElementsAre("Alpha:GetViewer", "Alpha:DelViewer",
                                                "Alpha:AddSecondaryData(4,1)",
                                                "Alpha:SetPrimaryData(7)", "Alpha:DetachData"));
    modules.SetActivatedModule("nobody");
    EXPECT_EQ(modules.GetActivatedModuleId(), -1);
    modules.SetActivatedModule(0);
    modules.DetachData(99);  // no such window: nothing
    modules.DetachData(-1);
    EXPECT_EQ(modules.GetActivatedModuleId(), 0);
}

TEST_F(ModulesTest, IdsOutOfRangeThrowAndCallNothing) {
    app_.AddModule("module_alpha", "alpha.so");
    CWexlanModules modules;
    modules.Initialise();
    calllog::Clear();
    for (int id : {-1, 1}) {
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
    EXPECT_EQ(modules.GetTargetDataType(1), 0);  // unchecked, but never out of the table
    EXPECT_EQ(modules.GetTargetDataType(100000), 0);
    EXPECT_TRUE(calllog::Entries().empty());
}

TEST_F(ModulesTest, TeardownReleasesMemoryThenUnloadsEachModule) {
    const std::string alpha = app_.AddModule("module_alpha", "alpha.so");
    const std::string beta = app_.AddModule("module_beta", "beta.so");
    {
        CWexlanModules modules;
        modules.Initialise();
        calllog::Clear();
        const auto order = DiscoveryOrder(app_.Modules());
        modules.FreeModules();
        std::vector<std::string> expected;
        for (const auto& file : order) {
            expected.push_back(file == "alpha.so" ? "Alpha:ReleaseMemory" : "Beta:ReleaseMemory");
        }
        EXPECT_EQ(calllog::Entries(), expected);
        EXPECT_FALSE(Mapped(alpha));
        EXPECT_FALSE(Mapped(beta));
        EXPECT_EQ(modules.GetNumberOfModules(), 2);  // rows stay
        EXPECT_EQ(modules.GetModule(0), 0ul);
        modules.Command(0, "coolstart", {});  // the module is gone: nothing happens
        calllog::Clear();
    }
    EXPECT_TRUE(calllog::Entries().empty());  // the destructor frees nothing twice
}

TEST_F(ModulesTest, EachRenderWindowHasItsOwnActiveModule) {
    app_.AddModule("module_alpha", "alpha.so");
    app_.AddModule("module_partial", "partial.so");
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
