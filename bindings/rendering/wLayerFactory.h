#pragma once

#include <memory>
#include <string>

#include "wexlanrendering_export.h"

class vtkDataSet;
class wLayer;
struct wScriptRecord;

/// Creates the layer that suits a data item, from the reader's output type or from a
/// script line. All functions are static; the caller owns the layer (usually handing
/// it on to wViewer::AddInput).
class WEXLANRENDERING_EXPORT wLayerFactory {
public:
    wLayerFactory() = delete;

    /// The layer for data of the reader's output type `outputType`:
    ///  - 4 (image): a wImage3DLayer; the data must be vtkImageData with point scalars;
    ///  - 16 (surface), 64 (point cloud), 2 (other model): a wMeshLayer;
    ///  - 32 (markers): a wLandmarkLayer.
    /// @return the layer, or null with a reason in `error` (if given) for null data, an
    ///         unknown output type, or data that does not fit the type.
    static std::unique_ptr<wLayer> CreateForOutputType(vtkDataSet* data, int outputType,
                                                       const std::string& dataName,
                                                       std::string* error = nullptr);

    /// A layer of the kind of `record` (a line of wLayer::GetScript) showing `data`,
    /// with the recorded state applied. `data` is the data set of the item named in
    /// record.data, which the caller looked up; it is ignored for a text layer.
    /// @return the layer, or null with a reason in `error` for an unknown kind or data
    ///         that does not fit the kind.
    static std::unique_ptr<wLayer> CreateFromScript(const wScriptRecord& record, vtkDataSet* data,
                                                    std::string* error = nullptr);
};
