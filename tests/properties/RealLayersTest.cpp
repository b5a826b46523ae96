// The property sheet and its dialogs acting on real layers of the rendering library,
// drawn into an off-screen window (needs an X server: Xvfb).

#include <memory>

#include <gtest/gtest.h>

#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CSliderDialog.h"
#include "Recording.h"
#include "RenderTestSupport.h"
#include "TestApp.h"

namespace {

class RealLayersTest : public ::testing::Test, wexlan::WithTestApplication {
protected:
    void SetUp() override { m_panel.OnInitDialog(); }
    template <typename Layer>
    Layer* Show(std::unique_ptr<Layer> layer) {
        Layer* shown = m_scene.Add(std::move(layer));
        m_panel.UpdateProperty(static_cast<wRenderable*>(m_scene.viewer.get()));
        m_panel.UpdateProperty(static_cast<wRenderable*>(shown));
        m_scene.viewer->Render();
        m_scene.frames = 0;
        return shown;
    }
    CPropertyGridProperty* Row(const std::string& group, const std::string& name) {
        return m_panel.GetGrid()->FindRow(group, name);
    }
    void Commit(const std::string& group, const std::string& name, const char* text) {
        EXPECT_TRUE(m_panel.GetGrid()->CommitValue(Row(group, name), CPropertyValue::Text(text)))
            << name;
    }
    int Frames() { return std::exchange(m_scene.frames, 0); }

    rendertest::Scene m_scene;
    CPropertyUI m_panel;
};

}  // namespace

// Each commit changes the layer and draws exactly one frame.
TEST_F(RealLayersTest, MeshLayerRowsChangeTheLayerAndDraw) {
    auto* mesh = Show(std::make_unique<wMeshLayer>(rendertest::MakeSphere(), "ball"));
    Commit("MeshLayer", "Representation", "Wireframe");
    EXPECT_EQ(mesh->GetRepresentation(), 1);
    EXPECT_EQ(Frames(), 1);
    Commit("MeshLayer", "Representation", "Surface");
    Frames();

    // The layer turns red in the middle, the background green in the corner.
    EXPECT_TRUE(m_panel.GetGrid()->CommitValue(Row("MeshLayer", "Color"),
                                               CPropertyValue::Color(0x0000FFu)));
    EXPECT_TRUE(m_panel.GetGrid()->CommitValue(Row("Viewer", "Background"),
                                               CPropertyValue::Color(0x00FF00u)));
    EXPECT_EQ(Frames(), 2);
    const rendertest::Frame frame(m_scene.window);
    EXPECT_TRUE(rendertest::IsReddish(frame.At(32, 32)));
    EXPECT_TRUE(rendertest::Near(frame.At(1, 62), {0, 255, 0}, 0));

    Commit("MeshLayer", "Visibility", "False");
    EXPECT_FALSE(mesh->GetVisibility());
    EXPECT_EQ(Frames(), 1);
    // The colour map row on a real mesh: BatchModeTest's "set Color Map".
}

// An edit that changes other rows of the layer (a new plane has another middle slice)
// shows them as the layer has them.
TEST_F(RealLayersTest, AnEditShowsTheOtherRowsAsTheLayerHasThem) {
    auto* slab = Show(std::make_unique<wImageLayer>(
        rendertest::MakeVolume(0, [](int, int, int) { return 0; }, {16, 8, 4}), "slab"));
    const std::string before = Row("ImageLayer", "Slice")->GetValue().GetText();
    Commit("ImageLayer", "Orientation", "YZ Plane");
    const std::string after = Row("ImageLayer", "Slice")->GetValue().GetText();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, slab->GetProperty()->GetValue("Slice"));
}

TEST_F(RealLayersTest, VolumeRowsAndPlaybackDrawOneFrameEach) {
    auto* volume = Show(std::make_unique<wImage3DLayer>(proptest::SmallVolume(16), "volume"));
    Commit("Image3DLayer", "Visibi. XZ", "False");
    EXPECT_FALSE(volume->GetPlaneVisibility(1));
    EXPECT_EQ(Frames(), 1);

    CPropertyGridProperty* slice = Row("Image3DLayer", "Slice");
    EXPECT_EQ(slice->GetValue().GetText(), "7, 7, 7");
    {
        auto runner = proptest::Answer<CSliderDialog>([&](CSliderDialog& dialog) {
            for (int tick = 0; tick < 3; ++tick) {
                dialog.OnTimer(2);
                EXPECT_EQ(Frames(), 1);
            }
            dialog.OnOK();
        });
        m_panel.GetGrid()->ClickButton(slice);
    }
    EXPECT_EQ(slice->GetValue().GetText(), "7, 7, 10");
}
