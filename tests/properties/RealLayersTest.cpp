// The property sheet and its dialogs acting on real layers of the rendering library,
// drawn into an off-screen window (needs an X server: Xvfb).

#include <fstream>
#include <memory>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <vtkCallbackCommand.h>
#include <vtkPolyData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>
#include <vtkUnsignedCharArray.h>

#include "CContrastDialog.h"
#include "CMatrixUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CSliderDialog.h"
#include "ModalDialogs.h"
#include "Recording.h"
#include "ScriptedPrompts.h"
#include "TestApp.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wMeshLayer.h"

using wexlan::ScopedModalRunner;

namespace {

class RealLayersTest : public ::testing::Test, proptest::WithApplication {
protected:
    void SetUp() override {
        m_Window->SetOffScreenRendering(1);
        m_Window->SetSize(64, 64);
        m_Window->SetMultiSamples(0);
        m_Command->SetClientData(&m_Frames);
        m_Command->SetCallback(
            [](vtkObject*, unsigned long, void* count, void*) { ++*static_cast<int*>(count); });
        m_Window->AddObserver(vtkCommand::StartEvent, m_Command);
        m_Panel.OnInitDialog();
    }
    void Show(std::unique_ptr<wLayer> layer) {
        wLayer* shown = layer.get();
        m_Viewer.AddInput(std::move(layer));
        m_Panel.UpdateProperty(static_cast<wRenderable*>(&m_Viewer));
        m_Panel.UpdateProperty(static_cast<wRenderable*>(shown));
        m_Viewer.Render();
        m_Frames = 0;
    }
    CPropertyGridProperty* Row(const std::string& group, const std::string& name) {
        return m_Panel.GetGrid()->FindRow(group, name);
    }
    void Commit(const std::string& group, const std::string& name, const CPropertyValue& value) {
        EXPECT_TRUE(m_Panel.GetGrid()->CommitValue(Row(group, name), value)) << name;
    }
    int Frames() { return std::exchange(m_Frames, 0); }
    // The whole window as drawn now.
    std::vector<unsigned char> Picture() {
        m_Viewer.Render();
        auto pixels = vtkSmartPointer<vtkUnsignedCharArray>::New();
        const int* size = m_Window->GetSize();
        m_Window->GetPixelData(0, 0, size[0] - 1, size[1] - 1, 0, pixels);
        return std::vector<unsigned char>(pixels->GetPointer(0),
                                          pixels->GetPointer(0) + pixels->GetNumberOfValues());
    }
    std::array<int, 3> Pixel(int x, int y) {
        auto pixels = vtkSmartPointer<vtkUnsignedCharArray>::New();
        m_Window->GetPixelData(x, y, x, y, 0, pixels);
        return {pixels->GetValue(0), pixels->GetValue(1), pixels->GetValue(2)};
    }

    vtkSmartPointer<vtkRenderWindow> m_Window = vtkSmartPointer<vtkRenderWindow>::New();
    vtkSmartPointer<vtkCallbackCommand> m_Command = vtkSmartPointer<vtkCallbackCommand>::New();
    int m_Frames = 0;
    wViewer m_Viewer{m_Window};
    CPropertyUI m_Panel;
};

CPropertyValue Text(const char* text) {
    return CPropertyValue::Text(text);
}

}  // namespace

TEST_F(RealLayersTest, MeshLayerRowsChangeTheLayerAndDraw) {
    auto sphere = vtkSmartPointer<vtkSphereSource>::New();
    sphere->Update();
    auto owned = std::make_unique<wMeshLayer>(sphere->GetOutput(), "ball");
    wMeshLayer* mesh = owned.get();
    Show(std::move(owned));

    Commit("MeshLayer", "Representation", Text("Wireframe"));
    EXPECT_EQ(mesh->GetRepresentation(), 1);
    EXPECT_EQ(Frames(), 1);
    Commit("MeshLayer", "Representation", Text("Surface"));
    Commit("MeshLayer", "Clipping", Text("On"));
    Commit("MeshLayer", "Bounding Box", Text("On"));
    EXPECT_TRUE(mesh->GetClipping() && mesh->GetBoundingBox());
    Commit("Viewer", "Axes", Text("On"));
    EXPECT_TRUE(m_Viewer.GetAxesVisibility());
    Commit("MeshLayer", "Clipping", Text("Off"));
    Frames();

    // The layer turns red in the middle, the background green in the corner.
    Commit("MeshLayer", "Color", CPropertyValue::Color(0x0000FFu));
    Commit("Viewer", "Background", CPropertyValue::Color(0x00FF00u));
    EXPECT_EQ(Frames(), 2);
    EXPECT_GT(Pixel(32, 32)[0], 100);
    EXPECT_LT(Pixel(32, 32)[1], 60);
    EXPECT_EQ(Pixel(1, 62), (std::array<int, 3>{0, 255, 0}));

    auto* slider =
        qobject_cast<QSlider*>(m_Panel.GetGrid()->BeginEdit(Row("MeshLayer", "Opacity")));
    ASSERT_NE(slider, nullptr);
    slider->setValue(40);
    EXPECT_DOUBLE_EQ(mesh->GetOpacity(), 0.4);
    EXPECT_GE(Frames(), 1);
    m_Panel.GetGrid()->EndEdit(true);
    Commit("MeshLayer", "Visibility", Text("False"));
    EXPECT_FALSE(mesh->GetVisibility());
    EXPECT_EQ(Frames(), 1);

    QTemporaryDir folder;
    const std::string path = folder.filePath("values.txt").toStdString();
    {
        std::ofstream values(path);
        for (vtkIdType i = 0; i < sphere->GetOutput()->GetNumberOfPoints(); ++i) {
            values << i << '\n';
        }
    }
    wexlan::ScopedScriptedPrompts prompts;
    prompts->QueueFileName(path);
    m_Panel.GetGrid()->ClickButton(Row("MeshLayer", "Color Map"));
    EXPECT_TRUE(mesh->HasColorMap());
    EXPECT_EQ(Row("MeshLayer", "Color Map")->GetValue().GetText(), "True");
}

// An edit that changes other rows of the layer (a new plane has another middle slice)
// shows them as the layer has them.
TEST_F(RealLayersTest, AnEditShowsTheOtherRowsAsTheLayerHasThem) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(16, 8, 4);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto owned = std::make_unique<wImageLayer>(image, "slab");
    wImageLayer* slab = owned.get();
    Show(std::move(owned));
    const std::string before = Row("ImageLayer", "Slice")->GetValue().GetText();

    Commit("ImageLayer", "Orientation", Text("YZ Plane"));
    const std::string after = Row("ImageLayer", "Slice")->GetValue().GetText();
    EXPECT_NE(after, before);
    EXPECT_EQ(after, slab->GetProperty()->GetValue("Slice"));
}

TEST_F(RealLayersTest, VolumeRowsAndDialogs) {
    auto image = proptest::SmallVolume(16);
    auto owned = std::make_unique<wImage3DLayer>(image, "volume");
    wImage3DLayer* volume = owned.get();
    Show(std::move(owned));

    Commit("Image3DLayer", "Lookup Table", Text("Rainbow"));
    Commit("Image3DLayer", "Cursor", Text("On"));
    EXPECT_EQ(volume->GetLookupTableName(), "Rainbow");
    EXPECT_TRUE(volume->GetCursor());
    Frames();
    Commit("Image3DLayer", "Visibi. XZ", Text("False"));
    EXPECT_FALSE(volume->GetPlaneVisibility(1));
    EXPECT_EQ(Frames(), 1);

    // Playback: every tick moves the plane and draws exactly one frame.
    CPropertyGridProperty* slice = Row("Image3DLayer", "Slice");
    EXPECT_EQ(slice->GetValue().GetText(), "7, 7, 7");
    {
        ScopedModalRunner runner([&](QDialog& dialog) {
            auto& sliceDialog = dynamic_cast<CSliderDialog&>(dialog);
            sliceDialog.OnInitDialog();
            for (int tick = 0; tick < 3; ++tick) {
                sliceDialog.OnTimer(2);
                EXPECT_EQ(Frames(), 1);
            }
            sliceDialog.OnOK();
            return dialog.result();
        });
        m_Panel.GetGrid()->ClickButton(slice);
    }
    int xyz[3];
    volume->GetSlice(xyz);
    EXPECT_EQ(xyz[2], 10);
    EXPECT_EQ(slice->GetValue().GetText(), "7, 7, 10");
}

// A CT-like volume (air at -1024, a ball up to 2000) beside a surface: each dialog's
// controls change the picture while they move, and Cancel puts the picture back.
TEST_F(RealLayersTest, DialogControlsChangeThePictureAndCancelPutsItBack) {
    auto ct = vtkSmartPointer<vtkImageData>::New();
    ct->SetDimensions(24, 24, 24);
    ct->AllocateScalars(VTK_SHORT, 1);
    auto* voxel = static_cast<short*>(ct->GetScalarPointer());
    for (int k = 0; k < 24; ++k) {
        for (int j = 0; j < 24; ++j) {
            for (int i = 0; i < 24; ++i) {
                const double r = std::hypot(i - 12.0, j - 12.0, k - 12.0);
                *voxel++ =
                    static_cast<short>(r > 11 ? -1024 : std::min(2000.0, -1024 + (11 - r) * 400));
            }
        }
    }
    auto sphere = vtkSmartPointer<vtkSphereSource>::New();
    sphere->SetRadius(6);
    sphere->SetCenter(12, 12, 30);
    sphere->Update();
    Show(std::make_unique<wMeshLayer>(sphere->GetOutput(), "ball"));
    Show(std::make_unique<wImage3DLayer>(ct, "ct"));
    m_Window->SetSize(96, 96);
    const std::vector<unsigned char> before = Picture();

    // Contrast: the negative lower bound follows its slider, a typed bound applies on
    // Enter; Cancel restores.
    ScopedModalRunner contrast([&](QDialog& dialog) {
        auto& contrastDialog = dynamic_cast<CContrastDialog&>(dialog);
        contrastDialog.OnInitDialog();
        QSlider* minSlider = dialog.findChild<QSlider*>("minSlider");
        EXPECT_EQ(minSlider->value(), -1024);
        minSlider->setValue(-50);
        const std::vector<unsigned char> moved = Picture();
        EXPECT_NE(moved, before) << "the lower bound moved";
        auto* maxEdit = dialog.findChild<QLineEdit*>("maxEdit");
        maxEdit->setText("150");
        QTest::keyClick(maxEdit, Qt::Key_Return);
        EXPECT_NE(Picture(), moved) << "the typed upper bound";
        contrastDialog.OnCancel();
        return dialog.result();
    });
    m_Panel.GetGrid()->ClickButton(Row("Image3DLayer", "Contrast"));
    EXPECT_EQ(Picture(), before) << "Cancel puts the contrast back";
    EXPECT_EQ(Row("Image3DLayer", "Contrast")->GetValue().GetText(), "[-1024.0, 2000.0]");

    // Matrix: a rotation shows at once; Cancel puts the opening transform back.
    ScopedModalRunner matrix([&](QDialog& dialog) {
        auto& matrixDialog = dynamic_cast<CMatrixUI&>(dialog);
        matrixDialog.OnInitDialog();
        dialog.findChild<QSlider*>("sliderRz")->setValue(225);
        dialog.findChild<QSlider*>("sliderTx")->setValue(60);
        EXPECT_NE(Picture(), before);
        matrixDialog.OnCancel();
        return dialog.result();
    });
    m_Panel.GetGrid()->ClickButton(Row("Image3DLayer", "Transform"));
    EXPECT_EQ(Picture(), before) << "Cancel puts the transform back";

    // Opacity of the surface: the slider acts while it moves; Escape puts it back.
    auto* slider =
        qobject_cast<QSlider*>(m_Panel.GetGrid()->BeginEdit(Row("MeshLayer", "Opacity")));
    ASSERT_NE(slider, nullptr);
    slider->setValue(20);
    EXPECT_NE(Picture(), before);
    QTest::keyClick(slider, Qt::Key_Escape);
    EXPECT_EQ(Picture(), before) << "Escape puts the opacity back";
}
