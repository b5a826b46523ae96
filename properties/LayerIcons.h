#pragma once

#include <QIcon>

/// The two 24 x 24 icons of the layer tree, drawn in code: a viewer (a monitor) and a
/// layer (stacked sheets). White is transparent.
namespace wexlan {
QIcon ViewerIcon();
QIcon LayerIcon();
}  // namespace wexlan
