#pragma once
// Renderables that record what the property sheet and its dialogs do to them.

#include <cstdio>
#include <string>
#include <vector>

#include <vtkImageData.h>
#include <vtkSmartPointer.h>

#include "wImage3DLayer.h"
#include "wLandmarkLayer.h"
#include "wProp.h"
#include "wRenderable.h"
#include "wTextLayer.h"
#include "wViewer.h"

namespace proptest {

inline std::string Num(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    return text;
}

/// A renderable of any kind whose property set is the test's own (`set`) and whose
/// every operation is recorded as a text such as "SetOpacity(0.37)" or "Render".
class RecordingRenderable : public wRenderable {
public:
    explicit RecordingRenderable(const std::string& kind = "MeshLayer") : wRenderable(kind) {
        set.SetValue("IsA", kind);
    }

    wProp* GetProperty() override { return &set; }
    // The base class's SetPropertyValue honours the tags of `set`.
    void FillProperty(wProp& prop) override { prop = set; }
    int IsA(const std::string& name) const override { return name == GetKindName() ? 1 : 0; }

    void Render() override { calls.push_back("Render"); }
    void Update() override { calls.push_back("Update"); }
    void SetTransform(const double m[16]) override {
        std::string text = "SetTransform(";
        for (int i = 0; i < 16; ++i) {
            text += (i ? "," : "") + Num(m[i]);
            transform[i] = m[i];
        }
        calls.push_back(text + ")");
    }
    void GetTransform(double m[16]) const override {
        for (int i = 0; i < 16; ++i) {
            m[i] = transform[i];
        }
    }
    void SetOpacity(double o) override { calls.push_back("SetOpacity(" + Num(o) + ")"); }
    void SetContrast(double a, double b) override {
        calls.push_back("SetContrast(" + Num(a) + "," + Num(b) + ")");
        set.SetContrast(a, b);  // the sheet shows the layer's text after a commit
    }
    void SetColor(double r, double g, double b) override {
        calls.push_back("SetColor(" + Num(r) + "," + Num(g) + "," + Num(b) + ")");
    }
    void SetBackgroundColor(double r, double g, double b) override {
        calls.push_back("SetBackgroundColor(" + Num(r) + "," + Num(g) + "," + Num(b) + ")");
    }
    void VisibilityOn() override { calls.push_back("VisibilityOn"); }
    void VisibilityOff() override { calls.push_back("VisibilityOff"); }
    void SetSlice(int x, int y, int z) override {
        calls.push_back("SetSlice(" + std::to_string(x) + "," + std::to_string(y) + "," +
                        std::to_string(z) + ")");
    }
    void SetRepresentation(int r) override {
        calls.push_back("SetRepresentation(" + std::to_string(r) + ")");
    }
    void ClippingOn() override { calls.push_back("ClippingOn"); }
    void ClippingOff() override { calls.push_back("ClippingOff"); }
    void BoundingBoxOn() override { calls.push_back("BoundingBoxOn"); }
    void BoundingBoxOff() override { calls.push_back("BoundingBoxOff"); }
    void PlaneVisibilityOn(int a) override {
        calls.push_back("PlaneVisibilityOn(" + std::to_string(a) + ")");
    }
    void PlaneVisibilityOff(int a) override {
        calls.push_back("PlaneVisibilityOff(" + std::to_string(a) + ")");
    }
    void SetColorMap(const double* values, int count) override {
        std::string text = "SetColorMap(" + std::to_string(count);
        for (int i = 0; i < count && i < 3; ++i) {
            text += "," + Num(values[i]);
        }
        calls.push_back(text + ")");
    }

    wProp set;
    std::vector<std::string> calls;
    double transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
};

/// Real classes of the rendering library whose Render and Update record the state that
/// the kind-specific operations (non-virtual in the library) left behind.
class RecordingViewer : public wViewer {
public:
    void Render() override { calls.push_back("Render " + State()); }
    void Update() override { calls.push_back("Update " + State()); }
    std::string State() const {
        return std::string("axes=") + (GetAxesVisibility() ? "on" : "off") +
               " bar=" + std::to_string(GetColorBar());
    }
    std::vector<std::string> calls;
};

class RecordingVolume : public wImage3DLayer {
public:
    explicit RecordingVolume(vtkImageData* image) : wImage3DLayer(image, "volume") {}
    void Render() override { calls.push_back("Render " + State()); }
    void Update() override { calls.push_back("Update " + State()); }
    std::string State() const {
        std::string planes;
        for (int axis = 0; axis < 3; ++axis) {
            planes += GetPlaneVisibility(axis) ? "1" : "0";
        }
        return "lut=" + GetLookupTableName() + " cursor=" + (GetCursor() ? "on" : "off") +
               " planes=" + planes;
    }
    std::vector<std::string> calls;
};

class RecordingLandmarks : public wLandmarkLayer {
public:
    RecordingLandmarks() : wLandmarkLayer(nullptr, "marks") {}
    void Update() override { calls.push_back("Update size=" + Num(GetLandmarkSize())); }
    std::vector<std::string> calls;
};

class RecordingText : public wTextLayer {
public:
    RecordingText() : wTextLayer("hello") {}
    void Update() override { calls.push_back("Update size=" + std::to_string(GetTextSize())); }
    std::vector<std::string> calls;
};

/// Copies item `tag` of the property set of `from` (a real viewer or layer) into `to`,
/// with its options: the sheet offers what the rendering library reports.
inline void CopyItem(wRenderable& from, const std::string& tag, wProp& to) {
    const wProp* set = from.GetProperty();
    const int index = set->FindTag(tag);
    to.SetChoice(tag, set->GetValue(index), set->GetOptions(index), set->AllowsOtherValues(index));
}

/// A small 16-bit volume of n^3 voxels whose value is i + j + k.
inline vtkSmartPointer<vtkImageData> SmallVolume(int n = 8) {
    auto image = vtkSmartPointer<vtkImageData>::New();
    image->SetDimensions(n, n, n);
    image->AllocateScalars(VTK_UNSIGNED_SHORT, 1);
    auto* voxel = static_cast<unsigned short*>(image->GetScalarPointer());
    for (int k = 0; k < n; ++k) {
        for (int j = 0; j < n; ++j) {
            for (int i = 0; i < n; ++i) {
                *voxel++ = static_cast<unsigned short>(i + j + k);
            }
        }
    }
    return image;
}

}  // namespace proptest
