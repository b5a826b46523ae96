#include "wRenderable.h"

#include <cmath>

#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"

wRenderable::wRenderable(const std::string& kindName) {
    SetType(kindName);
}

wRenderable::~wRenderable() = default;

int wRenderable::IsA(const std::string& className) const {
    return IsClass(className) ? 1 : 0;
}

bool wRenderable::IsClass(std::string_view name) const {
    return name == "wRenderable" || name == "Renderable";
}

void wRenderable::FillProperty(wProp& prop) {
    prop.SetValue("IsA", GetKindName(), wProp::Text);
}

void wRenderable::Render() {}
void wRenderable::Update() {}

void wRenderable::SetTransform(const double* /*matrix*/) {}

void wRenderable::GetTransform(double matrix[16]) const {
    for (int i = 0; i < 16; ++i) {
        matrix[i] = (i % 5 == 0) ? 1.0 : 0.0;
    }
}

void wRenderable::SetOpacity(double) {}
void wRenderable::SetContrast(double, double) {}

std::vector<double> wRenderable::GetHistogram(int) const {
    return {};
}
void wRenderable::SetColor(double, double, double) {}
void wRenderable::SetBackgroundColor(double, double, double) {}
void wRenderable::VisibilityOn() {}
void wRenderable::VisibilityOff() {}
void wRenderable::SetSlice(int, int, int) {}
void wRenderable::SetRepresentation(int) {}
void wRenderable::ClippingOn() {}
void wRenderable::ClippingOff() {}
void wRenderable::BoundingBoxOn() {}
void wRenderable::BoundingBoxOff() {}
void wRenderable::PlaneVisibilityOn(int) {}
void wRenderable::PlaneVisibilityOff(int) {}
void wRenderable::SetColorMap(const double*, int) {}

bool wRenderable::SetPropertyValue(const std::string& tag, const std::string& value) {
    // Only tags this kind reports are honoured: the same set that the sheet shows.
    wProp current(GetType());
    FillProperty(current);
    if (tag == "IsA" || current.FindTag(tag) < 0) {
        return false;
    }
    // The typed tags are parsed by wProp itself, so the script and the sheet accept
    // exactly the texts that GetProperty writes.
    wProp parsed;
    bool on = false;
    if (tag == "Visibility") {
        if (!wexlan::RenderText::ParseTrueFalse(value, on)) {
            return false;
        }
        on ? VisibilityOn() : VisibilityOff();
        return true;
    }
    if (tag == "Color" || tag == "Background") {
        double rgb[3];
        if (!parsed.SetValue(tag, value) ||
            !(tag == "Color" ? parsed.GetColor(rgb) : parsed.GetBackgroundColor(rgb))) {
            return false;
        }
        tag == "Color" ? SetColor(rgb) : SetBackgroundColor(rgb);
        return true;
    }
    if (tag == "Opacity") {
        double opacity = 0;
        if (!wexlan::ParseDouble(wexlan::Trim(value), opacity)) {
            return false;
        }
        SetOpacity(opacity);
        return true;
    }
    if (tag == "Contrast") {
        double range[2];
        if (!parsed.SetValue(tag, value) || !parsed.GetContrast(range)) {
            return false;
        }
        SetContrast(range[0], range[1]);
        return true;
    }
    if (tag == "Slice") {
        int xyz[3];
        if (!parsed.SetValue(tag, value) || !parsed.GetSlice(xyz)) {
            return false;
        }
        SetSlice(xyz[0], xyz[1], xyz[2]);
        return true;
    }
    if (tag == "Clipping" || tag == "Bounding Box") {
        if (!wexlan::RenderText::ParseOnOff(value, on)) {
            return false;
        }
        if (tag == "Clipping") {
            on ? ClippingOn() : ClippingOff();
        } else {
            on ? BoundingBoxOn() : BoundingBoxOff();
        }
        return true;
    }
    if (tag == "Transform") {
        double m[16];
        if (!wexlan::RenderText::ParseMatrix(value, m)) {
            return false;
        }
        SetTransform(m);
        return true;
    }
    return false;
}
