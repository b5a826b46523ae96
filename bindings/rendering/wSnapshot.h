#pragma once

#include <string>

#include "wexlanrendering_export.h"

class vtkDataSet;
class wViewer;

/// Pictures of data sets and viewers as PNG files, without a visible window: the
/// picture is drawn off screen (under X, an X server is still needed, e.g. Xvfb).
///
/// Files are written beside the target and renamed over it, so a failure never leaves
/// a half-written picture under the target name. VTK's complaints are not printed;
/// they end the error text when they explain a failure.
class WEXLANRENDERING_EXPORT wSnapshot {
public:
    wSnapshot() = delete;

    /// Largest width and height accepted.
    static constexpr int MaxSize = 8192;

    /// Shows `data` in a new viewer in an off-screen window of `width` x `height`
    /// pixels, with the layer that suits the reader's output type `outputType` (see
    /// wLayerFactory::CreateForOutputType: 4 image, 16 surface, 32 markers, 64 point
    /// cloud, 2 other model), the camera fitted to the data, and writes the picture to
    /// `pngPath`.
    ///
    /// @return true when the file was written; false with a reason in `error` (if
    ///         given) for null or unsuitable data, an unknown output type, a size
    ///         outside 1..MaxSize, an empty path, no display to draw on, or a file that
    ///         cannot be written.
    static bool Write(vtkDataSet* data, int outputType, const std::string& pngPath, int width,
                      int height, std::string* error = nullptr);

    /// Draws `viewer` once at full quality (ending the interaction of the viewers in its
    /// window, see wViewer::EndInteraction) and writes its render window's picture to
    /// `pngPath`.
    /// @return false with a reason for a viewer without a window or a file that cannot
    ///         be written.
    static bool WriteViewer(wViewer& viewer, const std::string& pngPath,
                            std::string* error = nullptr);

    /// Reads a size text "WxH" (e.g. "640x480"; 'X' also accepted) into width and
    /// height. @return false, changing nothing, for another form or a size outside
    ///         1..MaxSize.
    static bool ParseSize(const std::string& text, int& width, int& height);
};
