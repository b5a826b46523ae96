#include <dlfcn.h>
#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <stdexcept>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanModules.h"
#include "DamagedLibrary.h"
#include "ScriptedPrompts.h"
#include "WorkingDirectory.h"
#include "wRendererManager.h"

#include <vtkNew.h>
#include <vtkRenderWindow.h>

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::ScopedScriptedPrompts;

namespace {

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

TEST_F(ModulesTest, DiscoveryRegistersEveryLibraryInTheOrderOfTheNames) {
    app_.AddModule("module_partial", "partial.so");
    app_.AddModule("module_alpha", "alpha.so");
    std::filesystem::create_directories(app_.Modules() + "/sub.so");  // folders are not libraries
    std::ofstream(app_.Modules() + "/readme.txt") << "not a module";

    CWexlanModules modules;
    modules.Initialise();

    EXPECT_EQ(wexlan::CurrentDirectory(), app_.Modules());
    ASSERT_EQ(modules.GetNumberOfModules(), 2);
    EXPECT_EQ(modules.GetModulePath(0), app_.Modules() + "/alpha.so");
    EXPECT_EQ(modules.GetModulePath(1), app_.Modules() + "/partial.so");
    EXPECT_EQ(modules.isModuleLoaded(0), 1);
    EXPECT_EQ(modules.isModuleLoaded(1), 1);
    const int alpha = modules.FindModule("Alpha");
    ASSERT_GE(alpha, 0);
    EXPECT_EQ(modules.GetModuleVer(alpha), "1.0");
    EXPECT_EQ(modules.GetModuleDesc(alpha), "Records every call");
    EXPECT_EQ(modules.GetTargetDataType(alpha), 2);
    // The four questions, once each, in this order.
    EXPECT_THAT(calllog::Entries(),
                ElementsAre("Alpha:GetModuleVer", "Alpha:GetModuleName", "Alpha:GetModuleDesc",
                            "Alpha:GetModuleTargetDataType"));

    const int partial = modules.FindModule("Partial");  // what it does not export is empty
    ASSERT_GE(partial, 0);
    EXPECT_EQ(modules.GetModuleVer(partial), "");
    EXPECT_EQ(modules.GetTargetDataType(partial), 0);
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

// Each library that is no module of this machine is reported once, with its reason, and
// discovery goes on; none of them is handed to the loader in a way that hangs or crashes.
TEST_F(ModulesTest, LibrariesThatAreNoModulesAreReportedWithTheirReason) {
    app_.AddModule("module_alpha", "alpha.so");
    const std::string broken = app_.AddModule("module_unloadable", "broken.so");
    const std::string empty = app_.AddModule("module_empty", "empty.so");
    const std::string cut = app_.AddModule("module_beta", "cut.so");
    damage::Truncate(cut, damage::SegmentsEnd(cut) - 1);
    const std::string foreign = app_.AddModule("module_beta", "foreign.so");
    damage::SetMachine(foreign, damage::kForeignMachine);
    const std::string fifo = app_.Modules() + "/fifo.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

    CWexlanModules modules;
    modules.Initialise();

    EXPECT_EQ(modules.GetNumberOfModules(), 1);
    EXPECT_EQ(modules.GetModuleName(0), "Alpha");
    std::map<std::string, std::string> reasons;
    for (const auto& failure : modules.GetLoadFailures()) {
        reasons[failure.path] = failure.reason;
    }
    ASSERT_EQ(reasons.size(), 5u);
    EXPECT_FALSE(Mapped(broken) || Mapped(empty));  // (asking about the FIFO would block)
    EXPECT_THAT(reasons[broken], HasSubstr("WexlanTestSymbolThatDoesNotExist"));
    EXPECT_EQ(reasons[empty],
              "exports none of the module entry points (such as GetModuleName or Command): it is "
              "not a viewer module");
    EXPECT_THAT(reasons[cut], HasSubstr(cut + " is truncated (its segments end at byte"));
    EXPECT_THAT(reasons[foreign],
                HasSubstr(foreign + " is built for " + damage::kForeignMachineName + ", not"));
    EXPECT_EQ(reasons[fifo], fifo + " is not a regular file");
    // One message each, in the order of the failures, the path and the reason as the detail.
    ASSERT_EQ(prompts_->Calls().size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const auto& failure = modules.GetLoadFailures()[i];
        EXPECT_EQ(prompts_->Calls()[i].text, "Couldn't load module");
        EXPECT_EQ(prompts_->Calls()[i].buttons, wexlan::MessageButtons::Ok);
        EXPECT_EQ(prompts_->Calls()[i].detail, failure.path + "\n" + failure.reason);
    }
}

TEST_F(ModulesTest, AFullRegistryLeavesTheRestOutWithOneMessage) {
    const int extra = 3;
    std::vector<std::string> paths;
    for (int i = 0; i < CWexlanModules::kMaxModules + extra; ++i) {
        paths.push_back(app_.AddModule("module_alpha", "copy" + std::to_string(i) + ".so"));
    }
    CWexlanModules modules;
    modules.Initialise();

    EXPECT_EQ(modules.GetNumberOfModules(), CWexlanModules::kMaxModules);
    // The libraries beyond the 128th are not loaded, so not asked anything.
    EXPECT_EQ(calllog::Entries().size(), 4u * CWexlanModules::kMaxModules);
    ASSERT_EQ(modules.GetLoadFailures().size(), static_cast<std::size_t>(extra));
    for (const auto& failure : modules.GetLoadFailures()) {
        EXPECT_EQ(failure.reason, "the registry holds at most 128 modules");
        EXPECT_FALSE(Mapped(failure.path));
    }
    ASSERT_EQ(prompts_->Calls().size(), 1u);
    EXPECT_EQ(prompts_->Calls()[0].text, "Couldn't load module");
    EXPECT_EQ(prompts_->Calls()[0].detail,
              "3 libraries were not loaded: the registry holds at most 128 modules.\nThe first "
              "not loaded: " +
                  modules.GetLoadFailures()[0].path);

    // A host registering a library itself is refused too; the handle stays the caller's.
    void* handle = dlopen(paths[0].c_str(), RTLD_NOW | RTLD_LOCAL);
    EXPECT_EQ(modules.AddModule(reinterpret_cast<unsigned long>(handle), "m", 0, "", "", paths[0]),
              0);
    dlclose(handle);
    modules.FreeModules();
    for (const std::string& path : paths) {
        ASSERT_FALSE(Mapped(path)) << path;  // every registered reference was given back
    }
}

TEST_F(ModulesTest, IdsFollowTheByteOrderOfTheFileNamesWhateverTheFolderOrder) {
    // Created against the order of the names, which the file system may list in any
    // order: ids follow the names' byte order (capitals first, "m10" before "m2").
    for (const char* file : {"m2.so", "m10.so", "b.so", "m1.so", "a.so", "Zulu.so"}) {
        app_.AddModule("module_partial", file);
    }
    CWexlanModules modules;
    modules.Initialise();
    std::vector<std::string> files;
    for (int id = 0; id < modules.GetNumberOfModules(); ++id) {
        files.push_back(modules.GetModulePath(id).substr(app_.Modules().size() + 1));
    }
    EXPECT_THAT(files, ElementsAre("Zulu.so", "a.so", "b.so", "m1.so", "m10.so", "m2.so"));
}

TEST_F(ModulesTest, FindModuleIgnoresCaseAndTakesTheLastDiscovered) {
    app_.AddModule("module_alpha", "a1.so");
    app_.AddModule("module_alpha_lower", "a2.so");
    CWexlanModules modules;
    modules.Initialise();
    // Both names match; the one discovered second (a2.so) wins.
    EXPECT_EQ(modules.FindModule("ALPHA"), 1);
    EXPECT_EQ(modules.FindModule("alpha"), 1);
    EXPECT_EQ(modules.GetModuleName(1), "alpha");
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
        modules.FreeModules();
        EXPECT_THAT(calllog::Entries(), ElementsAre("Alpha:ReleaseMemory", "Beta:ReleaseMemory"));
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
