#include "wMeasureLayer.h"

#include <vtkActor.h>
#include <vtkBillboardTextActor3D.h>
#include <vtkCellArray.h>
#include <vtkMath.h>
#include <vtkPoints.h>
#include <vtkPolyData.h>
#include <vtkPolyDataMapper.h>
#include <vtkProperty.h>
#include <vtkSmartPointer.h>
#include <vtkTextProperty.h>

#include <algorithm>
#include <cmath>

#include "wActorLook.h"
#include "wProp.h"
#include "wRenderText.h"
#include "wText.h"
#include "wViewer.h"

namespace {

const wexlan::RenderText::Words kKindWords = {"Distance", "Angle"};

const std::string& KindWord(wMeasureLayer::Kind kind) {
    return kKindWords[kind == wMeasureLayer::Kind::Distance ? 0 : 1];
}

bool Finite(const wMeasureLayer::Point& p) {
    return std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
}

}  // namespace

struct wMeasureLayer::Impl {
    Kind kind = Kind::Distance;
    std::vector<Point> points;
    vtkSmartPointer<vtkPoints> linePoints = vtkSmartPointer<vtkPoints>::New();
    vtkSmartPointer<vtkPolyData> lines = vtkSmartPointer<vtkPolyData>::New();
    vtkSmartPointer<vtkActor> actor = vtkSmartPointer<vtkActor>::New();
    vtkSmartPointer<vtkBillboardTextActor3D> label =
        vtkSmartPointer<vtkBillboardTextActor3D>::New();
};

wMeasureLayer* wMeasureLayer::AddTo(wViewer& viewer, Kind kind, const std::vector<Point>& points) {
    auto layer = std::make_unique<wMeasureLayer>(kind, std::vector<Point>{});
    if (!layer->SetPoints(points)) {
        return nullptr;
    }
    int count = 1;
    for (int i = 0; i < viewer.GetNumberOfItems(); ++i) {
        const auto* other = dynamic_cast<const wMeasureLayer*>(viewer.GetInput(i));
        count += other != nullptr && other->GetKind() == kind ? 1 : 0;
    }
    layer->SetLayerName(KindWord(kind) + " " + std::to_string(count));
    wMeasureLayer* added = layer.get();
    viewer.AddInput(std::move(layer));
    return added;
}

std::size_t wMeasureLayer::PointCount(Kind kind) {
    return kind == Kind::Distance ? 2 : 3;
}

wMeasureLayer::wMeasureLayer(Kind kind, const std::vector<Point>& points)
    : wLayer("MeasureLayer", nullptr, ""), d(std::make_unique<Impl>()) {
    d->kind = kind;
    d->points.assign(PointCount(kind), Point{0, 0, 0});
    SetLayerName(KindWord(kind));
    d->lines->SetPoints(d->linePoints);
    auto mapper = vtkSmartPointer<vtkPolyDataMapper>::New();
    mapper->SetInputData(d->lines);
    d->actor->SetMapper(mapper);
    d->actor->GetProperty()->SetLineWidth(2);
    d->actor->GetProperty()->SetPointSize(6);
    d->actor->GetProperty()->LightingOff();
    d->actor->PickableOff();
    d->label->GetTextProperty()->SetFontSize(16);
    d->label->GetTextProperty()->ShadowOn();
    d->label->SetDisplayOffset(8, 8);
    d->label->PickableOff();
    SetColor(1.0, 0.85, 0.2);
    SetPoints(points);
    UpdateDrawing();
    AddProp(d->actor, true, true);
    AddProp(d->label, true, true);
}

wMeasureLayer::~wMeasureLayer() = default;

bool wMeasureLayer::IsClass(std::string_view name) const {
    return name == "wMeasureLayer" || name == "MeasureLayer" || wLayer::IsClass(name);
}

wMeasureLayer::Kind wMeasureLayer::GetKind() const {
    return d->kind;
}

const std::vector<wMeasureLayer::Point>& wMeasureLayer::GetPoints() const {
    return d->points;
}

bool wMeasureLayer::SetPoints(const std::vector<Point>& points) {
    if (points.size() != PointCount(d->kind) ||
        !std::all_of(points.begin(), points.end(), Finite)) {
        return false;
    }
    d->points = points;
    UpdateDrawing();
    Changed();
    return true;
}

double wMeasureLayer::GetValue() const {
    const auto& p = d->points;
    if (d->kind == Kind::Distance) {
        return std::sqrt(vtkMath::Distance2BetweenPoints(p[0].data(), p[1].data()));
    }
    double arms[2][3];
    for (int i = 0; i < 3; ++i) {
        arms[0][i] = p[0][i] - p[1][i];
        arms[1][i] = p[2][i] - p[1][i];
    }
    if (vtkMath::Norm(arms[0]) == 0 || vtkMath::Norm(arms[1]) == 0) {
        return 0;
    }
    return vtkMath::DegreesFromRadians(vtkMath::AngleBetweenVectors(arms[0], arms[1]));
}

std::string wMeasureLayer::GetValueText() const {
    return d->kind == Kind::Distance ? wexlan::FixedNumber(GetValue(), 2) + " mm"
                                     : wexlan::FixedNumber(GetValue(), 1) + " deg";
}

void wMeasureLayer::SetColor(double red, double green, double blue) {
    wexlan::ActorLook::SetColor({d->actor->GetProperty()}, red, green, blue);
    d->label->GetTextProperty()->SetColor(d->actor->GetProperty()->GetColor());
    Changed();
}

void wMeasureLayer::SetTransform(const double*) {}

void wMeasureLayer::UpdateDrawing() {
    d->linePoints->SetNumberOfPoints(static_cast<vtkIdType>(d->points.size()));
    std::vector<vtkIdType> ids;
    for (std::size_t i = 0; i < d->points.size(); ++i) {
        d->linePoints->SetPoint(static_cast<vtkIdType>(i), d->points[i].data());
        ids.push_back(static_cast<vtkIdType>(i));
    }
    d->linePoints->Modified();
    auto line = vtkSmartPointer<vtkCellArray>::New();
    line->InsertNextCell(static_cast<vtkIdType>(ids.size()), ids.data());
    auto ends = vtkSmartPointer<vtkCellArray>::New();
    for (vtkIdType id : ids) {
        ends->InsertNextCell(1, &id);
    }
    d->lines->SetLines(line);
    d->lines->SetVerts(ends);
    // The value beside the ruler's middle, or at the angle's corner.
    double at[3];
    for (int i = 0; i < 3; ++i) {
        at[i] =
            d->kind == Kind::Distance ? 0.5 * (d->points[0][i] + d->points[1][i]) : d->points[1][i];
    }
    d->label->SetPosition(at);
    d->label->SetInput(GetValueText().c_str());
}

void wMeasureLayer::FillProperty(wProp& prop) {
    wLayer::FillProperty(prop);
    prop.SetValue("Kind", KindWord(d->kind), wProp::Record);
    prop.SetValue("Value", GetValueText(), wProp::Record);
    // Points placed with the mouse carry digits far below a voxel: a hundredth of a mm
    // is shown and kept.
    const auto coordinate = [](double v) {
        return wexlan::ShortestNumber(std::round(v * 100) / 100);
    };
    std::string points;
    for (const Point& p : d->points) {
        points += (points.empty() ? "" : "; ") + coordinate(p[0]) + ", " + coordinate(p[1]) + ", " +
                  coordinate(p[2]);
    }
    prop.SetValue("Points", points, wProp::Text);
    double rgb[3];
    d->actor->GetProperty()->GetColor(rgb);
    prop.SetColor(rgb[0], rgb[1], rgb[2]);
}

bool wMeasureLayer::SetPropertyValue(const std::string& tag, const std::string& value) {
    if (tag == "Points") {
        std::vector<double> numbers;
        if (!wexlan::ParseNumberList(value, numbers) || numbers.size() != 3 * d->points.size()) {
            return false;
        }
        std::vector<Point> points(d->points.size());
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            points[i / 3][i % 3] = numbers[i];
        }
        return SetPoints(points);
    }
    if (tag == "Kind") {
        // Scripts name the kind first; a layer of the other kind is not this one.
        return value == KindWord(d->kind);
    }
    return wLayer::SetPropertyValue(tag, value);
}
