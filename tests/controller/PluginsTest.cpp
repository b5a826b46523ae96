// Plug-ins in the host: the one discovery step behind the module registry and the hardware
// table (every library of a plug-in folder gets a record with its state and reason, and the
// tables keep the loaded ones and report the rest), and modules that misbehave after it.

#include <filesystem>
#include <fstream>

#include <QProcess>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CWexlanModules.h"
#include "DamagedLibrary.h"
#include "HardwareTable.h"
#include "PluginDiscovery.h"
#include "TestData.h"
#include "WorkingDirectory.h"

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using wexlan::PluginRecord;
using wexlan::PluginState;

namespace {

constexpr const char* kNotAModule =
    "exports none of the module entry points (such as GetModuleName or Command): it is not a "
    "viewer module";

// "file state" of each record, in order.
std::vector<std::string> States(const std::vector<PluginRecord>& records) {
    std::vector<std::string> states;
    for (const PluginRecord& record : records) {
        states.push_back(record.path.substr(record.path.rfind('/') + 1) + " " +
                         wexlan::PluginStateName(record.state));
    }
    return states;
}

// The calls recorded by the plug-in called `name`.
std::vector<std::string> CallsOf(const std::string& name) {
    std::vector<std::string> calls;
    for (const std::string& entry : calllog::Entries()) {
        if (entry.rfind(name + ":", 0) == 0) {
            calls.push_back(entry.substr(name.size() + 1));
        }
    }
    return calls;
}

class PluginsTest : public testdata::AppTest {
protected:
    // The details of the messages shown so far, each checked to be titled `title`.
    std::vector<std::string> Messages(const std::string& title = "Couldn't load module") const {
        std::vector<std::string> details;
        for (const auto& call : m_prompts->Calls()) {
            EXPECT_EQ(call.text, title);
            EXPECT_EQ(call.buttons, wexlan::MessageButtons::Ok);
            details.push_back(call.detail);
        }
        return details;
    }
};

}  // namespace

TEST_F(PluginsTest, TheRegistryKeepsTheLoadedModulesAndReportsTheOthers) {
    // Created against the order of the names, which the file system may list in any order.
    m_app.AddModule("module_null_texts", "m2.so");
    m_app.AddModule("module_partial", "m10.so");
    m_app.AddModule("module_alpha", "Zulu.so");
    const std::string broken = m_app.AddModule("module_unloadable", "broken.so");
    const std::string empty = m_app.AddModule("module_empty", "empty.so");
    // Damaged files are refused by the library check (platform tests); one stands for them.
    const std::string foreign = m_app.AddModule("module_beta", "foreign.so");
    damage::SetMachine(foreign, damage::kForeignMachine);
    std::filesystem::create_directories(m_app.Modules() + "/sub.so");  // folders are no libraries
    std::ofstream(m_app.Modules() + "/readme.txt") << "not a module";

    CWexlanModules modules;
    modules.Initialise();

    EXPECT_EQ(wexlan::CurrentDirectory(), m_app.Modules());
    ASSERT_EQ(modules.GetNumberOfModules(), 3);
    EXPECT_EQ(modules.GetModuleName(0) + " " + modules.GetModuleVer(0) + " " +
                  modules.GetModuleDesc(0) + " " + modules.GetModulePath(0),
              "Alpha 1.0 Records every call " + m_app.Modules() + "/Zulu.so");
    EXPECT_EQ(modules.GetTargetDataType(0), 2);
    // A query not exported or a null text gives "" (0).
    EXPECT_EQ(modules.GetModuleName(1) + "|" + modules.GetModuleVer(1), "Partial|");
    EXPECT_EQ(modules.GetTargetDataType(1), 0);
    EXPECT_EQ(modules.GetModuleName(2) + modules.GetModuleVer(2) + modules.GetModuleDesc(2), "");
    EXPECT_EQ(modules.GetTargetDataType(2), 2);
    EXPECT_EQ(modules.isModuleLoaded(0) + modules.isModuleLoaded(2), 2);
    EXPECT_THAT(CallsOf("Alpha"), ElementsAre("GetModuleVer", "GetModuleName", "GetModuleDesc",
                                              "GetModuleTargetDataType"));

    const auto& failures = modules.GetLoadFailures();
    ASSERT_THAT(States(failures),
                ElementsAre("broken.so failed", "empty.so refused", "foreign.so failed"));
    EXPECT_THAT(failures[0].reason, HasSubstr("WexlanTestSymbolThatDoesNotExist"));
    EXPECT_EQ(failures[1].reason, kNotAModule);
    EXPECT_THAT(failures[2].reason,
                HasSubstr(foreign + " is built for " + damage::kForeignMachineName + ", not"));
    EXPECT_FALSE(AppFolder::IsMapped(broken) || AppFolder::IsMapped(empty));
    // One message each, in their order, with the path and the reason.
    std::vector<std::string> details;
    for (const PluginRecord& failure : failures) {
        EXPECT_FALSE(failure.library.IsLoaded());
        details.push_back(failure.path + "\n" + failure.reason);
    }
    EXPECT_EQ(Messages(), details);
}

TEST_F(PluginsTest, TheHardwareTableKeepsTheLoadedAndReportsOnlyFailures) {
    const std::string scanner = m_app.AddHardware("hard_scanner", "a.so");
    const std::string faulty = m_app.AddHardware("hard_throwing", "b.so");
    m_app.AddHardware("hard_without_type", "c.so");
    const std::string broken = m_app.AddHardware("module_unloadable", "d.so");

    wexlan::HardwareTable table;
    table.Scan(m_app.Hard());

    EXPECT_EQ(wexlan::CurrentDirectory(), m_app.Hard());
    ASSERT_EQ(table.Count(), 1);
    EXPECT_EQ(table.Name(0) + " " + table.Version(0) + " " + table.Description(0) + " " +
                  table.LibraryPath(0),
              "Scanner 2.0 Test device " + scanner);
    EXPECT_EQ(table.DataType(0), 4);
    EXPECT_FALSE(AppFolder::IsMapped(scanner) || AppFolder::IsMapped(faulty));  // asked, then freed
    ASSERT_THAT(States(table.Failures()),
                ElementsAre("b.so failed", "c.so refused", "d.so failed"));
    EXPECT_EQ(table.Failures()[0].reason, "GetName threw an exception: device not connected");
    EXPECT_EQ(table.Failures()[1].reason,
              "does not export GetDataType: it is not a hardware resource");
    // Asked in the order data type, description, name, version, up to a query that throws.
    EXPECT_THAT(CallsOf("Scanner"), ElementsAre("GetDataType", "GetDesc", "GetName", "GetVer"));
    EXPECT_THAT(CallsOf("Faulty"), ElementsAre("GetDataType", "GetDesc", "GetName"));
    EXPECT_TRUE(CallsOf("Typeless").empty());
    // A library that is no hardware resource is refused without a message.
    EXPECT_THAT(Messages(), ElementsAre(faulty + "\n" + table.Failures()[0].reason,
                                        broken + "\n" + table.Failures()[2].reason));
}

// Once a table is full the remaining libraries are not even loaded; a library that fails
// takes no room.
TEST_F(PluginsTest, AFullRegistryLeavesTheRestOutWithOneMessage) {
    CWexlanModules modules;
    for (int i = 0; i < CWexlanModules::kMaxModules - 2; ++i) {  // room for two
        ASSERT_EQ(modules.AddModule(0, "host", 0, "", "", "/host.so"), 1);
    }
    const std::string broken = m_app.AddModule("module_unloadable", "a.so");
    const std::string first = m_app.AddModule("module_alpha", "b.so");
    const std::string second = m_app.AddModule("module_alpha", "c.so");
    const std::string third = m_app.AddModule("module_alpha", "d.so");
    modules.Initialise();
    EXPECT_EQ(modules.GetNumberOfModules(), CWexlanModules::kMaxModules);
    EXPECT_EQ(modules.GetModulePath(CWexlanModules::kMaxModules - 1), second);
    ASSERT_THAT(States(modules.GetLoadFailures()), ElementsAre("a.so failed", "d.so found"));
    EXPECT_EQ(modules.GetLoadFailures()[1].reason, "the registry holds at most 128 modules");
    EXPECT_FALSE(AppFolder::IsMapped(third));
    EXPECT_EQ(CallsOf("Alpha").size(), 8u);
    EXPECT_THAT(Messages(), ElementsAre(broken + "\n" + modules.GetLoadFailures()[0].reason,
                                        "1 library was not loaded: the registry holds at most "
                                        "128 modules.\nThe first not loaded: " +
                                            third));
    EXPECT_EQ(modules.AddModule(0, "one too many", 0, "", "", "/x.so"), 0);
    modules.FreeModules();
    EXPECT_FALSE(AppFolder::IsMapped(first) || AppFolder::IsMapped(second));
}

TEST_F(PluginsTest, AFullHardwareTableLeavesTheRestOutWithOneMessage) {
    wexlan::HardwareTable table;
    for (int i = 0; i < wexlan::HardwareTable::kCapacity; ++i) {
        ASSERT_TRUE(table.Add("device" + std::to_string(i), "1", "", i, "/x.so"));
    }
    EXPECT_FALSE(table.Add("one too many", "1", "", 7, "/y.so"));
    EXPECT_EQ(table.DataType(128), 128);
    EXPECT_EQ(table.DataType(129), 0);
    m_app.AddHardware("hard_scanner", "a.so");
    m_app.AddHardware("hard_scanner_lower", "b.so");
    table.Scan(m_app.Hard());
    EXPECT_EQ(table.Count(), wexlan::HardwareTable::kCapacity);
    EXPECT_TRUE(calllog::Entries().empty());
    EXPECT_THAT(Messages(), ElementsAre("2 libraries were not loaded: the hardware table "
                                        "holds at most 129 resources.\nThe first not loaded: " +
                                        m_app.Hard() + "/a.so"));
}

// varq-inspect --plugins lists the libraries beside it as the workstation would discover them.
TEST_F(PluginsTest, InspectListsEveryLibraryWithItsState) {
    m_app.AddModule("module_alpha", "alpha.so");
    const std::string broken = m_app.AddModule("module_unloadable", "broken.so");
    m_app.AddModule("module_empty", "empty.so");
    m_app.AddHardware("hard_scanner", "scanner.so");
    m_app.AddHardware("hard_without_type", "typeless.so");
    const std::string inspect = m_app.Root() + "/varq-inspect";
    std::filesystem::copy_file(VARQ_INSPECT, inspect);

    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("LD_LIBRARY_PATH", TEST_LIBRARY_DIR);  // the copy's RPATH finds nothing
    process.setProcessEnvironment(environment);
    process.start(QString::fromStdString(inspect), {"--plugins"});
    ASSERT_TRUE(process.waitForFinished(30000));
    wexlan::DynamicLibrary library;
    library.Load(broken);
    const std::string brokenReason = library.ErrorText();
    EXPECT_EQ(process.readAllStandardOutput().toStdString(),
              "module\talpha.so\tloaded\tAlpha\t1.0\t\n"
              "module\tbroken.so\tfailed\t\t\t" +
                  brokenReason +
                  "\n"
                  "module\tempty.so\trefused\t\t\t" +
                  std::string(kNotAModule) +
                  "\n"
                  "hardware\tscanner.so\tloaded\tScanner\t2.0\t\n"
                  "hardware\ttypeless.so\trefused\t\t\tdoes not export GetDataType: it is not a "
                  "hardware resource\n");
    EXPECT_EQ(process.exitCode(), 1);  // not every library loaded
}

TEST_F(PluginsTest, EveryCallIntoAModuleThatThrowsIsReportedOnceAndTheHostGoesOn) {
    const std::string path = m_app.AddModule("module_throwing_calls", "thrower.so");
    m_app.AddModule("module_alpha", "zalpha.so");
    CWexlanModules modules;
    modules.Initialise();
    ASSERT_EQ(modules.GetNumberOfModules(), 2);

    modules.SetPrimaryData(0, 4);
    EXPECT_EQ(modules.GetViewer(0), nullptr);
    modules.Command(0, "zoom", {"2"});
    // The other module still answers, and the failing one can be asked again; the
    // same failure is not reported twice.
    modules.Command(1, "zoom", {"2"});
    modules.SetPrimaryData(0, 5);
    EXPECT_EQ(modules.GetViewer(0), nullptr);
    EXPECT_EQ(calllog::Entries().back(), "Thrower:GetViewer");
    EXPECT_THAT(calllog::Entries(), ::testing::Contains("Alpha:Command(zoom 2)"));
    modules.FreeModules();  // ReleaseMemory throws; the library is unloaded all the same
    EXPECT_FALSE(AppFolder::IsMapped(path));
    const std::string thrower = "Thrower (" + path + ")\n";
    EXPECT_THAT(
        Messages("Module failed"),
        ElementsAre(thrower + "SetPrimaryData threw an exception: SetPrimaryData lost its licence",
                    thrower + "GetViewer threw an exception: GetViewer lost its licence",
                    thrower + "Command threw an exception of an unknown type",
                    thrower + "ReleaseMemory threw an exception: ReleaseMemory lost its licence"));
}

TEST_F(PluginsTest, AModuleCallingBackIntoDiscoveryDoesNotRestartIt) {
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
