// Modules that misbehave after discovery: entry points that throw, and modules that call
// back into the host while it is discovering them. The host reports each failure and goes
// on. (Libraries that fail during discovery: PluginDiscoveryTest.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanModules.h"
#include "PluginCall.h"
#include "ScriptedPrompts.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::ScopedScriptedPrompts;

namespace {

class PluginFaultsTest : public ::testing::Test {
protected:
    // The titles of the messages shown so far.
    std::vector<std::string> MessageTitles() const {
        std::vector<std::string> titles;
        for (const auto& call : m_prompts->Calls()) {
            titles.push_back(call.text);
        }
        return titles;
    }
    std::string LastDetail() const {
        return m_prompts->Calls().empty() ? "" : m_prompts->Calls().back().detail;
    }

    AppFolder m_app;
    ScopedScriptedPrompts m_prompts;
};

}  // namespace

TEST(CallPluginTest, DescribesWhatEscapedTheEntryPoint) {
    EXPECT_EQ(wexlan::CallPlugin("Run", [] {}), "");
    EXPECT_EQ(wexlan::CallPlugin("Run", [] { throw std::out_of_range("slice 40 of 30"); }),
              "Run threw an exception: slice 40 of 30");
    EXPECT_EQ(wexlan::CallPlugin("GetViewer", [] { throw "text"; }),
              "GetViewer threw an exception of an unknown type");
}

TEST_F(PluginFaultsTest, EveryCallIntoAModuleThatThrowsIsReportedAndTheHostGoesOn) {
    const std::string path = m_app.AddModule("module_throwing_calls", "thrower.so");
    m_app.AddModule("module_alpha", "zalpha.so");
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
    EXPECT_FALSE(AppFolder::IsMapped(path));
    EXPECT_EQ(MessageTitles(), std::vector<std::string>(4, "Module failed"));
    EXPECT_THAT(LastDetail(), HasSubstr("ReleaseMemory threw an exception"));
}

TEST_F(PluginFaultsTest, AModuleCallingBackIntoDiscoveryDoesNotRestartIt) {
    m_app.AddModule("module_callback", "caller.so");
    m_app.AddModule("module_alpha", "zalpha.so");
    CWexlanModules modules;
    int seen = -1;
    calllog::SetAction("Callback:GetModuleName", [&] {
        modules.Initialise();  // nested: returns at once
        seen = modules.GetNumberOfModules();
        modules.GetInfo();
    });

    modules.Initialise();

    // Asked while discovering: the registry takes the modules in once discovery ended.
    EXPECT_EQ(seen, 0);
    EXPECT_EQ(modules.GetModuleName(0) + " " + modules.GetModuleName(1), "Caller Alpha");
    EXPECT_TRUE(m_prompts->Calls().empty());

    // A later discovery runs again (the guard was lifted), registering both anew.
    calllog::SetAction("Callback:GetModuleName", [] {});
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), 4);
}
