#pragma once

#include <string>

class vtkRenderWindow;

namespace wexlan {

/// Draws `window` and saves what it shows as a PNG picture at `path`.
/// @return "" on success, else why not in words ("there is no viewing tab" for a
///         null window, "cannot write PATH").
std::string SaveWindowPicture(vtkRenderWindow* window, const std::string& path);

}  // namespace wexlan
