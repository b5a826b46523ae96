#pragma once

#include <cstdint>

#include <QImage>
#include <QRect>

#include "wexlancp_export.h"

namespace wexlan {

/// An 8-bit grey picture of `width` x `height` values, row after row (value i in
/// row i / width, column i % width, row 0 at the top). Each value v becomes the
/// level trunc(v / max * 255), max being the largest value; all levels are 0
/// when max is 0. The palette maps level g to the grey (g, g, g).
WEXLANCP_EXPORT QImage GreyPicture(const std::uint32_t* values, int width, int height);

/// Where a picture of `width` x `height` is drawn in `area`: scaled by
/// s = max(width / area width, height / area height) (single precision), to
/// trunc(width / s + 0.5) x trunc(height / s + 0.5), centred (offsets halved
/// with integer division). A 256 x 256 picture in a 400 x 300 area is drawn at
/// (50, 0) relative to the area, 300 x 300.
WEXLANCP_EXPORT QRect PicturePlacement(int width, int height, const QRect& area);

}  // namespace wexlan
