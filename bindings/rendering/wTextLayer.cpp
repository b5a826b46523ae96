#include "wTextLayer.h"

#include <vtkSmartPointer.h>
#include <vtkTextActor.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <cmath>

#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wScript.h"
#include "wText.h"

struct wTextLayer::Impl {
    vtkSmartPointer<vtkTextActor> actor = vtkSmartPointer<vtkTextActor>::New();
    std::string text;
};

wTextLayer::wTextLayer(const std::string& text)
    : wLayer("TextLayer", nullptr, ""), d(std::make_unique<Impl>()) {
    d->actor->SetDisplayPosition(10, 10);
    vtkTextProperty* style = d->actor->GetTextProperty();
    style->SetFontSize(18);
    style->SetColor(1, 1, 1);
    SetText(text);
    AddProp(d->actor);
}

wTextLayer::~wTextLayer() = default;

bool wTextLayer::IsClass(std::string_view name) const {
    return name == "wTextLayer" || name == "TextLayer" || wLayer::IsClass(name);
}

void wTextLayer::SetText(const std::string& text) {
    d->text = text;
    d->actor->SetInput(text.c_str());
    Changed();
}

const std::string& wTextLayer::GetText() const {
    return d->text;
}

bool wTextLayer::SetTextSize(int size) {
    if (size < 1 || size > 64) {
        return false;
    }
    d->actor->GetTextProperty()->SetFontSize(size);
    Changed();
    return true;
}

int wTextLayer::GetTextSize() const {
    return d->actor->GetTextProperty()->GetFontSize();
}

void wTextLayer::SetPosition(int x, int y) {
    d->actor->SetDisplayPosition(x, y);
    Changed();
}

void wTextLayer::SetColor(double red, double green, double blue) {
    using wexlan::ActorLook::UnitComponent;
    d->actor->GetTextProperty()->SetColor(UnitComponent(red), UnitComponent(green),
                                          UnitComponent(blue));
    Changed();
}

void wTextLayer::GetColor(double rgb[3]) const {
    d->actor->GetTextProperty()->GetColor(rgb);
}

void wTextLayer::SetOpacity(double opacity) {
    if (std::isnan(opacity)) {
        return;
    }
    d->actor->GetTextProperty()->SetOpacity(std::clamp(opacity, 0.0, 1.0));
    Changed();
}

double wTextLayer::GetOpacity() const {
    return d->actor->GetTextProperty()->GetOpacity();
}

void wTextLayer::SetTransform(const double*) {}

void wTextLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    double rgb[3];
    GetColor(rgb);
    AddPlainColorItems(prop, rgb, GetOpacity());
    prop.SetValue("Text Size", std::to_string(GetTextSize()), wProp::Integer);
}

void wTextLayer::AddScriptItems(wScriptRecord& record) const {
    record.items.emplace_back("Text", d->text);
}

bool wTextLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Text Size") {
        int size = 0;
        return wexlan::ParseInt(wexlan::Trim(value), size) && SetTextSize(size);
    }
    if (tag == "Text") {
        SetText(value);
        return true;
    }
    return wLayer::SetPropertyValue(tag, value);
}
