#pragma once

#include <string>

class vtkRenderWindow;

namespace wexlan {

/// Draws `window` at full quality (ending the interaction of its viewers, see
/// wViewer::EndInteraction) and saves what it shows as a PNG picture at `path`. With a width and
/// height above 0 the picture is drawn at that size (the window takes it for the
/// picture and gets its own size back after).
/// @return "" on success, else why not in words ("there is no viewing tab" for a
///         null window, "cannot write PATH").
std::string SaveWindowPicture(vtkRenderWindow* window, const std::string& path, int width = 0,
                              int height = 0);

}  // namespace wexlan
