#pragma once
// Renderables that record what the property sheet and its dialogs do to them.

#include <algorithm>
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

/// A renderable of any kind whose property set is the test's own (`m_set`) and whose
/// every operation is recorded as a text such as "SetOpacity(0.37)" or "Render".
class RecordingRenderable : public wRenderable {
public:
    explicit RecordingRenderable(const std::string& kind = "MeshLayer") : wRenderable(kind) {
        m_set.SetValue("IsA", kind);
    }

    wProp* GetProperty() override { return &m_set; }
    // The base class's SetPropertyValue honours the tags of `m_set`.
    void FillProperty(wProp& prop) override { prop = m_set; }
    int IsA(const std::string& name) const override { return name == GetKindName() ? 1 : 0; }

    void Render() override { Record("Render"); }
    void Update() override { Record("Update"); }
    void SetTransform(const double m[16]) override {
        std::copy(m, m + 16, m_transform);
        Record("SetTransform", std::vector<double>(m, m + 16));
    }
    void GetTransform(double m[16]) const override { std::copy(m_transform, m_transform + 16, m); }
    void SetOpacity(double o) override { Record("SetOpacity", {o}); }
    void SetContrast(double a, double b) override {
        Record("SetContrast", {a, b});
        m_set.SetContrast(a, b);  // the sheet shows the layer's text after a commit
    }
    void SetColor(double r, double g, double b) override { Record("SetColor", {r, g, b}); }
    void SetBackgroundColor(double r, double g, double b) override {
        Record("SetBackgroundColor", {r, g, b});
    }
    void VisibilityOn() override { Record("VisibilityOn"); }
    void VisibilityOff() override { Record("VisibilityOff"); }
    void SetSlice(int x, int y, int z) override {
        Record("SetSlice", {double(x), double(y), double(z)});
    }
    void ClippingOn() override { Record("ClippingOn"); }
    void ClippingOff() override { Record("ClippingOff"); }
    void BoundingBoxOn() override { Record("BoundingBoxOn"); }
    void BoundingBoxOff() override { Record("BoundingBoxOff"); }
    void SetColorMap(const double* values, int count) override {
        // The count, then at most the first three values.
        std::vector<double> shown = {double(count)};
        shown.insert(shown.end(), values, values + std::min(count, 3));
        Record("SetColorMap", shown);
    }

    // "Name" without arguments, else "Name(a,b,...)" with each number as %g writes it.
    void Record(const std::string& name, const std::vector<double>& args = {}) {
        std::string text = name;
        for (std::size_t i = 0; i < args.size(); ++i) {
            text += (i ? "," : "(") + Num(args[i]);
        }
        m_calls.push_back(text + (args.empty() ? "" : ")"));
    }

    wProp m_set;
    std::vector<std::string> m_calls;
    double m_transform[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
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
