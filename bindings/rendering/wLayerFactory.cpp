#include "wLayerFactory.h"

#include <algorithm>

#include <vtkDataSet.h>
#include <vtkImageData.h>
#include <vtkPointData.h>

#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wLandmarkLayer.h"
#include "wMeasureLayer.h"
#include "wMeshLayer.h"
#include "wMeshSliceLayer.h"
#include "wScript.h"
#include "wTextLayer.h"
#include "wVolumeLayer.h"

namespace {

std::unique_ptr<wLayer> Fail(std::string* error, const std::string& reason) {
    if (error) {
        *error = reason;
    }
    return nullptr;
}

bool IsDrawableImage(vtkDataSet* data) {
    auto* image = vtkImageData::SafeDownCast(data);
    return image && image->GetPointData()->GetScalars() && image->GetNumberOfPoints() > 0;
}

}  // namespace

std::unique_ptr<wLayer> wLayerFactory::CreateForOutputType(vtkDataSet* data, int outputType,
                                                           const std::string& dataName,
                                                           std::string* error) {
    if (!data) {
        return Fail(error, "no data");
    }
    switch (outputType) {
        case 4:
            if (!IsDrawableImage(data)) {
                return Fail(error, "the data is not an image with scalar values");
            }
            return std::make_unique<wImage3DLayer>(vtkImageData::SafeDownCast(data), dataName);
        case 2:
        case 16:
        case 64:
            if (data->GetNumberOfPoints() == 0) {
                return Fail(error, "the model has no points");
            }
            return std::make_unique<wMeshLayer>(data, dataName);
        case 32:
            if (data->GetNumberOfPoints() == 0) {
                return Fail(error, "the marker set has no points");
            }
            return std::make_unique<wLandmarkLayer>(data, dataName);
        default:
            return Fail(error, "unknown output type " + std::to_string(outputType));
    }
}

std::unique_ptr<wLayer> wLayerFactory::CreateFromScript(const wScriptRecord& record,
                                                        vtkDataSet* data, std::string* error) {
    std::unique_ptr<wLayer> layer;
    const std::string& kind = record.kind;
    if (kind == "TextLayer") {
        layer = std::make_unique<wTextLayer>();
    } else if (kind == "MeasureLayer") {
        const auto angle = std::find(record.items.begin(), record.items.end(),
                                     std::pair<std::string, std::string>("Kind", "Angle"));
        layer = std::make_unique<wMeasureLayer>(angle != record.items.end()
                                                    ? wMeasureLayer::Kind::Angle
                                                    : wMeasureLayer::Kind::Distance,
                                                std::vector<wMeasureLayer::Point>{});
    } else if (!data) {
        return Fail(error, "no data for the " + kind + " of '" + record.data + "'");
    } else if (kind == "MeshLayer") {
        layer = std::make_unique<wMeshLayer>(data, record.data);
    } else if (kind == "MeshSliceLayer") {
        layer = std::make_unique<wMeshSliceLayer>(data, record.data);
    } else if (kind == "LandmarkLayer") {
        layer = std::make_unique<wLandmarkLayer>(data, record.data);
    } else if (kind == "ImageLayer" || kind == "Image3DLayer" || kind == "VolumeLayer") {
        if (!IsDrawableImage(data)) {
            return Fail(error, "'" + record.data + "' is not an image with scalar values");
        }
        auto* image = vtkImageData::SafeDownCast(data);
        if (kind == "ImageLayer") {
            layer = std::make_unique<wImageLayer>(image, record.data);
        } else if (kind == "Image3DLayer") {
            layer = std::make_unique<wImage3DLayer>(image, record.data);
        } else {
            layer = std::make_unique<wVolumeLayer>(image, record.data);
        }
    } else {
        return Fail(error, "unknown layer kind '" + kind + "'");
    }
    layer->ApplyScript(record);
    return layer;
}
