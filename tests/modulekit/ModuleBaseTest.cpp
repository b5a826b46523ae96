#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "TestData.h"
#include "wModuleBase.h"
#include "wRendererManager.h"
#include "wViewerWrapperBase.h"

using ::testing::ElementsAre;

namespace {

// A module that records what the base class asks of it.
class RecordingModule : public wModuleBase {
public:
    explicit RecordingModule(int compatible) : m_compatible(compatible) {}
    void SetPrimaryData(int id) override { calls.push_back("primary " + std::to_string(id)); }
    int GetCompatibleDataType() override { return m_compatible; }
    void AddSecondaryData(int dataType, int dataId) override {
        calls.push_back("secondary " + std::to_string(dataType) + " " + std::to_string(dataId));
        m_SecondaryDataIds[m_NumberOfSecondaryData++] = dataId;
    }
    void Refresh() override {}
    void UseWrapper(wViewerWrapperBase* wrapper) { m_ViewerWrapper = wrapper; }

    std::vector<std::string> calls;

private:
    int m_compatible;
};

class CountingWrapper : public wViewerWrapperBase {
public:
    void RemoveViewer() override { ++removals; }
    int removals = 0;
};

class ModuleBaseTest : public testdata::AppTest {};

}  // namespace

TEST_F(ModuleBaseTest, DataByNameAndDeletingTheViewer) {
    m_app.AddHardware("hard_scanner", "scanner.so");  // delivers images (data type 4)
    m_app.AddModule("module_alpha", "alpha.so");
    CWexlanCPEXE controller;
    controller.OpenFile(testdata::WriteTriangle(Data("bunny.vtk")));
    controller.OpenFile(testdata::WriteVolume(Data("head.vti")));

    // Primary data must be of a compatible type; secondary data need only exist.
    RecordingModule images(4);
    images.SetController(&controller);
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
    images.AddSecondaryDataByName("bunny");   // resets the error first
    EXPECT_EQ(images.GetLastError(), wModuleBase::NoError);
    images.AddSecondaryDataByName("Scanner");
    images.AddSecondaryDataByName("nobody");
    EXPECT_EQ(images.GetLastError(), wModuleBase::SecondaryDataNotFound);
    EXPECT_THAT(images.calls,
                ElementsAre("primary 0", "primary 0", "secondary 2 0", "secondary 4 0"));
    EXPECT_EQ(images.GetNumberOfSecondaryData(), 2);

    controller.GetModules()->SetActivatedModule(0);
    std::string caption;
    controller.GetRenderers()->SetCaptionListener([&](const std::string& text) { caption = text; });
    images.DeleteViewer();  // no wrapper: only the data are forgotten
    EXPECT_EQ(images.GetPrimaryDataId(), -1);
    EXPECT_EQ(images.GetNumberOfSecondaryData(), 0);
    EXPECT_EQ(images.GetSecondaryDataId(0), -1);
    EXPECT_EQ(caption, "");
    EXPECT_EQ(controller.GetModules()->GetActivatedModuleId(), 0);

    CountingWrapper wrapper;
    images.UseWrapper(&wrapper);
    EXPECT_EQ(images.GetCurrentViewer(), nullptr);
    images.DeleteViewer();
    EXPECT_EQ(wrapper.removals, 1);
    EXPECT_EQ(caption, "Welcome to VARQ");
    EXPECT_EQ(controller.GetModules()->GetActivatedModuleId(), -1);

    RecordingModule copy(images);  // shares the links
    EXPECT_EQ(copy.GetController(), &controller);
    images.DeleteViewer();  // the wrapper link stays: it happens again
    EXPECT_EQ(wrapper.removals, 2);
    {
        RecordingModule last(2);
        last.SetController(&controller);
        last.UseWrapper(&wrapper);
    }  // destroying a module removes its viewer
    EXPECT_EQ(wrapper.removals, 3);
    copy.UseWrapper(nullptr);
    images.UseWrapper(nullptr);
}
