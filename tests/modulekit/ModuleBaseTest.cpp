#include <filesystem>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "AppFolder.h"
#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "ScriptedPrompts.h"
#include "TestData.h"
#include "wModuleBase.h"
#include "wRendererManager.h"
#include "wViewerWrapperBase.h"

using ::testing::ElementsAre;

namespace {

// A module that records what the base class asks of it.
class RecordingModule : public wModuleBase {
public:
    explicit RecordingModule(int compatible) : compatible_(compatible) {}
    void SetPrimaryData(int dataId) override { calls.push_back("primary " + std::to_string(dataId)); }
    int GetCompatibleDataType() override { return compatible_; }
    void AddSecondaryData(int dataType, int dataId) override {
        calls.push_back("secondary " + std::to_string(dataType) + " " + std::to_string(dataId));
        m_SecondaryDataIds[m_NumberOfSecondaryData++] = dataId;
    }
    void Refresh() override {}
    void UseWrapper(wViewerWrapperBase* wrapper) { m_ViewerWrapper = wrapper; }

    std::vector<std::string> calls;

private:
    int compatible_;
};

class CountingWrapper : public wViewerWrapperBase {
public:
    void RemoveViewer() override { ++removals; }
    int removals = 0;
};

class ModuleBaseTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_.AddHardware("hard_scanner", "scanner.so");  // reports data type 4
        app_.AddModule("module_alpha", "alpha.so");
        std::filesystem::create_directories(app_.Root() + "/data");
        controller_ = std::make_unique<CWexlanCPEXE>();
        controller_->OpenFile(testdata::WriteTriangle(app_.Root() + "/data/bunny.vtk"));
        controller_->OpenFile(testdata::WriteVolume(app_.Root() + "/data/head.vti"));
    }

    AppFolder app_;
    wexlan::ScopedScriptedPrompts prompts_;
    std::unique_ptr<CWexlanCPEXE> controller_;
};

}  // namespace

TEST_F(ModuleBaseTest, PrimaryDataMustBeOfACompatibleType) {
    RecordingModule images(4);
    images.SetController(controller_.get());
    images.SetPrimaryDataByName("bunny");  // a model
    EXPECT_EQ(images.GetLastError(), wModuleBase::IncompatiblePrimaryData);
    EXPECT_EQ(images.GetPrimaryDataId(), -1);
    images.SetPrimaryDataByName("head");
    EXPECT_EQ(images.GetLastError(), wModuleBase::NoError);
    EXPECT_EQ(images.GetPrimaryDataId(), 0);
    images.SetPrimaryDataByName("scanner");  // hardware delivering images: accepted
    EXPECT_EQ(images.GetLastError(), wModuleBase::NoError);
    images.SetPrimaryDataByName("nobody");
    EXPECT_EQ(images.GetLastError(), wModuleBase::IncompatiblePrimaryData);
    EXPECT_EQ(images.GetPrimaryDataId(), 0);  // unchanged
    EXPECT_THAT(images.calls, ElementsAre("primary 0", "primary 0"));
}

TEST_F(ModuleBaseTest, SecondaryDataNeedsOnlyToExist) {
    RecordingModule module(0);
    module.SetController(controller_.get());
    module.SetPrimaryDataByName("head");
    ASSERT_EQ(module.GetLastError(), wModuleBase::IncompatiblePrimaryData);
    module.AddSecondaryDataByName("bunny");  // resets the error first
    EXPECT_EQ(module.GetLastError(), wModuleBase::NoError);
    module.AddSecondaryDataByName("Scanner");
    module.AddSecondaryDataByName("nobody");
    EXPECT_EQ(module.GetLastError(), wModuleBase::SecondaryDataNotFound);
    EXPECT_THAT(module.calls, ElementsAre("secondary 2 0", "secondary 4 0"));
    EXPECT_EQ(module.GetNumberOfSecondaryData(), 2);
}

TEST_F(ModuleBaseTest, DeleteViewerWithAndWithoutWrapper) {
    RecordingModule module(2);
    module.SetController(controller_.get());
    module.SetPrimaryDataByName("bunny");
    module.AddSecondaryDataByName("head");
    controller_->GetModules()->SetActivatedModule(0);
    std::string caption;
    controller_->GetRenderers()->SetCaptionListener([&](const std::string& text) { caption = text; });

    module.DeleteViewer();  // no wrapper: only the data are forgotten
    EXPECT_EQ(module.GetPrimaryDataId(), -1);
    EXPECT_EQ(module.GetNumberOfSecondaryData(), 0);
    EXPECT_EQ(module.GetSecondaryDataId(0), -1);
    EXPECT_EQ(caption, "");
    EXPECT_EQ(controller_->GetModules()->GetActivatedModuleId(), 0);

    CountingWrapper wrapper;
    module.UseWrapper(&wrapper);
    EXPECT_EQ(module.GetCurrentViewer(), nullptr);
    module.DeleteViewer();
    EXPECT_EQ(wrapper.removals, 1);
    EXPECT_EQ(caption, "Welcome to VARQ");
    EXPECT_EQ(controller_->GetModules()->GetActivatedModuleId(), -1);

    RecordingModule copy(module);  // shares the links
    EXPECT_EQ(copy.GetController(), controller_.get());
    module.DeleteViewer();  // the wrapper link stays: it happens again
    EXPECT_EQ(wrapper.removals, 2);
    {
        RecordingModule last(2);
        last.SetController(controller_.get());
        last.UseWrapper(&wrapper);
    }  // destroying a module removes its viewer
    EXPECT_EQ(wrapper.removals, 3);
    copy.UseWrapper(nullptr);
    module.UseWrapper(nullptr);
}
