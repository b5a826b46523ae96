// Pictures of the property sheet and its dialogs, for a person to look at:
//   xvfb-run -a -s "-screen 0 1280x1024x24" build/tests/properties_screenshots <folder>
// writes sheet_mesh.png, sheet_mesh_opacity.png (its slider open), sheet_volume.png,
// dialog_slice.png, dialog_contrast.png and dialog_matrix.png into <folder> (default: the current
// folder).

#include <cstdio>
#include <memory>
#include <string>

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QSlider>

#include <vtkImageData.h>
#include <vtkRenderWindow.h>
#include <vtkSmartPointer.h>
#include <vtkSphereSource.h>

#include "CContrastDialog.h"
#include "CMatrixUI.h"
#include "CPropertyGridCtrl.h"
#include "CPropertyUI.h"
#include "CSliderDialog.h"
#include "wImage3DLayer.h"
#include "wMeshLayer.h"
#include "wProp.h"
#include "wViewer.h"

namespace {

bool Save(QWidget& widget, const QString& folder, const char* name) {
    widget.show();
    QApplication::processEvents();
    const QString path = QDir(folder).filePath(QString::fromLatin1(name));
    const bool saved = widget.grab().save(path);
    std::printf("%s %s\n", saved ? "wrote" : "could not write", path.toLocal8Bit().constData());
    widget.hide();
    return saved;
}

vtkSmartPointer<vtkImageData> Volume(int n) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(n, n, n);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* voxel = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int k = 0; k < n; ++k) {
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                *voxel++ = static_cast<unsigned short>(16 * (i + j + k));
            }
        }
    }
    return image;
}

}  // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QDir().mkpath(folder);
    bool ok = true;

    auto window = vtkSmartPointer<vtkRenderWindow>::New();
    window->SetOffScreenRendering(1);
    window->SetSize(64, 64);
    wViewer viewer(window);
    auto sphere = vtkSmartPointer<vtkSphereSource>::New();
    sphere->Update();
    auto meshOwned = std::make_unique<wMeshLayer>(sphere->GetOutput(), "bunny");
    wMeshLayer* mesh = meshOwned.get();
    mesh->SetColor(1.0, 0.5, 0.0);
    mesh->SetOpacity(0.75);
    viewer.AddInput(std::move(meshOwned));
    auto image = Volume(64);
    auto volumeOwned = std::make_unique<wImage3DLayer>(image, "head");
    wImage3DLayer* volume = volumeOwned.get();
    viewer.AddInput(std::move(volumeOwned));

    CPropertyUI panel;
    panel.OnInitDialog();
    panel.resize(330, 470);
    panel.UpdateProperty(static_cast<wRenderable*>(&viewer));
    panel.UpdateProperty(static_cast<wRenderable*>(mesh));
    panel.GetGrid()->SetCurrentProperty(panel.GetGrid()->FindRow("MeshLayer", "Color"));
    ok &= Save(panel, folder, "sheet_mesh.png");
    panel.show();
    QApplication::processEvents();
    panel.GetGrid()->BeginEdit(panel.GetGrid()->FindRow("MeshLayer", "Opacity"));
    ok &= Save(panel, folder, "sheet_mesh_opacity.png");
    panel.GetGrid()->EndEdit(false);

    panel.RemoveAll();
    panel.UpdateProperty(static_cast<wRenderable*>(&viewer));
    panel.UpdateProperty(static_cast<wRenderable*>(volume));
    panel.resize(330, 560);
    panel.GetGrid()->SetCurrentProperty(panel.GetGrid()->FindRow("Image3DLayer", "Slice"));
    ok &= Save(panel, folder, "sheet_volume.png");

    CSliderDialog slice;
    int range[6];
    int xyz[3];
    volume->GetProperty()->GetSliceRange(range);
    volume->GetProperty()->GetSlice(xyz);
    slice.SetSliceRange(range);
    slice.SetSlice(xyz);
    slice.SetLayer(volume);
    slice.OnInitDialog();
    slice.OnPlay(2);  // show an axis playing
    ok &= Save(slice, folder, "dialog_slice.png");
    slice.OnPlay(2);

    CContrastDialog contrast;
    contrast.SetRange(0, 3024);
    contrast.SetContrast(200, 2400);
    contrast.SetLayer(volume);
    ok &= Save(contrast, folder, "dialog_contrast.png");

    CMatrixUI matrix;
    double m[16];
    mesh->GetTransform(m);
    matrix.SetMatrix(m);
    matrix.SetRenderable(mesh);
    matrix.OnInitDialog();
    matrix.findChild<QSlider*>("sliderTx")->setValue(60);
    matrix.findChild<QSlider*>("sliderRz")->setValue(210);
    ok &= Save(matrix, folder, "dialog_matrix.png");
    return ok ? 0 : 1;
}
