// Plug-ins that misbehave: queries and entry points that throw, null texts, and
// modules that call back into the host while it is discovering them. The host
// reports each failure and goes on.
#include <dlfcn.h>
#include <sys/stat.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanModules.h"
#include "DamagedLibrary.h"
#include "HardwareTable.h"
#include "PluginCall.h"
#include "ScriptedPrompts.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::UnorderedElementsAre;
using wexlan::ScopedScriptedPrompts;

namespace {

bool Mapped(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    return handle != nullptr && dlclose(handle) == 0;
}

class PluginFaultsTest : public ::testing::Test {
protected:
    // The titles of the messages shown so far.
    std::vector<std::string> MessageTitles() const {
        std::vector<std::string> titles;
        for (const auto& call : prompts_->Calls()) {
            titles.push_back(call.text);
        }
        return titles;
    }
    static std::vector<std::string> Names(const CWexlanModules& modules) {
        std::vector<std::string> names;
        for (int id = 0; id < modules.GetNumberOfModules(); ++id) {
            names.push_back(modules.GetModuleName(id));
        }
        return names;
    }
    std::string LastDetail() const {
        return prompts_->Calls().empty() ? "" : prompts_->Calls().back().detail;
    }

    AppFolder app_;
    ScopedScriptedPrompts prompts_;
};

}  // namespace

TEST(CallPluginTest, DescribesWhatEscapedTheEntryPoint) {
    EXPECT_EQ(wexlan::CallPlugin("Run", [] {}), "");
    EXPECT_EQ(wexlan::CallPlugin("Run", [] { throw std::out_of_range("slice 40 of 30"); }),
              "Run threw an exception: slice 40 of 30");
    EXPECT_EQ(wexlan::CallPlugin("GetViewer", [] { throw "text"; }),
              "GetViewer threw an exception of an unknown type");
}

TEST_F(PluginFaultsTest, AModuleWhoseQueryThrowsIsReportedAndNotRegistered) {
    app_.AddModule("module_alpha", "a.so");
    const std::string throwing = app_.AddModule("module_throwing_query", "b.so");
    app_.AddModule("module_beta", "c.so");

    CWexlanModules modules;
    modules.Initialise();

    EXPECT_THAT(Names(modules), UnorderedElementsAre("Alpha", "Beta"));
    EXPECT_THAT(MessageTitles(), ElementsAre("Couldn't load module"));
    EXPECT_EQ(LastDetail(),
              throwing + "\nGetModuleName threw an exception: no licence for this module");
    ASSERT_EQ(modules.GetLoadFailures().size(), 1u);
    EXPECT_EQ(modules.GetLoadFailures()[0].path, throwing);
    EXPECT_FALSE(Mapped(throwing));
    // Discovery stopped asking the module at the query that threw.
    EXPECT_THAT(calllog::Entries(), ::testing::Not(::testing::Contains("Throwing:GetModuleDesc")));
}

TEST_F(PluginFaultsTest, NullTextsCountAsEmpty) {
    app_.AddModule("module_null_texts", "null.so");
    CWexlanModules modules;
    modules.Initialise();
    ASSERT_EQ(modules.GetNumberOfModules(), 1);
    EXPECT_EQ(modules.GetModuleName(0), "");
    EXPECT_EQ(modules.GetModuleVer(0), "");
    EXPECT_EQ(modules.GetModuleDesc(0), "");
    EXPECT_EQ(modules.GetTargetDataType(0), 2);
    EXPECT_EQ(modules.FindModule(""), 0);
    EXPECT_TRUE(prompts_->Calls().empty());
}

TEST_F(PluginFaultsTest, EveryCallIntoAModuleThatThrowsIsReportedAndTheHostGoesOn) {
    const std::string path = app_.AddModule("module_throwing_calls", "thrower.so");
    app_.AddModule("module_alpha", "zalpha.so");
    CWexlanModules modules;
    modules.Initialise();
    ASSERT_EQ(modules.GetNumberOfModules(), 2);
    const int thrower = modules.FindModule("Thrower");
    const int alpha = modules.FindModule("Alpha");

    modules.SetPrimaryData(thrower, 4);
    EXPECT_EQ(LastDetail(),
              "Thrower (" + path +
                  ")\nSetPrimaryData threw an exception: SetPrimaryData lost its licence");
    EXPECT_EQ(modules.GetViewer(thrower), nullptr);
    modules.Command(thrower, "zoom", {"2"});
    EXPECT_EQ(LastDetail(),
              "Thrower (" + path + ")\nCommand threw an exception of an unknown type");

    // The other module still answers, and the failing one can be asked again; the
    // same failure is not reported twice.
    modules.Command(alpha, "zoom", {"2"});
    modules.SetPrimaryData(thrower, 5);
    EXPECT_EQ(modules.GetViewer(thrower), nullptr);
    EXPECT_EQ(calllog::Entries().back(), "Thrower:GetViewer");
    EXPECT_THAT(calllog::Entries(), ::testing::Contains("Alpha:Command(zoom 2)"));
    EXPECT_EQ(MessageTitles(), std::vector<std::string>(3, "Module failed"));

    modules.FreeModules();  // ReleaseMemory throws; the library is unloaded all the same
    EXPECT_FALSE(Mapped(path));
    EXPECT_EQ(MessageTitles(), std::vector<std::string>(4, "Module failed"));
    EXPECT_THAT(LastDetail(), HasSubstr("ReleaseMemory threw an exception"));
}

TEST_F(PluginFaultsTest, AModuleCallingBackIntoDiscoveryDoesNotRestartIt) {
    app_.AddModule("module_callback", "caller.so");
    app_.AddModule("module_alpha", "zalpha.so");
    CWexlanModules modules;
    int seen = -1;
    calllog::SetAction("Callback:GetModuleName", [&] {
        modules.Initialise();  // nested: returns at once
        seen = modules.GetNumberOfModules();
        modules.GetInfo();
    });

    modules.Initialise();

    // Asked while discovering: Alpha is registered already when the folder lists it first.
    EXPECT_EQ(seen, modules.FindModule("Caller"));
    EXPECT_THAT(Names(modules), UnorderedElementsAre("Caller", "Alpha"));
    EXPECT_TRUE(prompts_->Calls().empty());

    // A later discovery runs again (the guard was lifted), registering both anew.
    calllog::SetAction("Callback:GetModuleName", [] {});
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 4);
}

TEST_F(PluginFaultsTest, HardwareWhoseQueryThrowsIsReportedAndNotRegistered) {
    app_.AddHardware("hard_scanner", "a.so");
    const std::string faulty = app_.AddHardware("hard_throwing", "b.so");
    wexlan::HardwareTable table;
    table.Scan(app_.Hard());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_THAT(MessageTitles(), ElementsAre("Couldn't load module"));
    EXPECT_EQ(LastDetail(), faulty + "\nGetName threw an exception: device not connected");
    EXPECT_FALSE(Mapped(faulty));
}

// Hardware libraries are checked before loading like modules: a half-copied one or a FIFO is
// reported instead of crashing or hanging the scan.
TEST_F(PluginFaultsTest, DamagedHardwareLibrariesAreReportedAndNotLoaded) {
    app_.AddHardware("hard_scanner", "a.so");
    const std::string cut = app_.AddHardware("hard_scanner_lower", "b.so");
    damage::Truncate(cut, 4096);
    const std::string fifo = app_.Hard() + "/c.so";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    wexlan::HardwareTable table;
    table.Scan(app_.Hard());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Name(0), "Scanner");
    std::vector<std::string> details;
    for (const auto& call : prompts_->Calls()) {
        EXPECT_EQ(call.text, "Couldn't load module");
        details.push_back(call.detail);
    }
    EXPECT_THAT(details, UnorderedElementsAre(HasSubstr(cut + " is truncated"),
                                              fifo + "\n" + fifo + " is not a regular file"));
}
