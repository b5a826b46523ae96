#include "GreyPicture.h"

#include <algorithm>

namespace wexlan {

QImage GreyPicture(const std::uint32_t* values, int width, int height) {
    QImage picture(width, height, QImage::Format_Indexed8);
    QVector<QRgb> palette(256);
    for (int g = 0; g < 256; ++g) {
        palette[g] = qRgb(g, g, g);
    }
    picture.setColorTable(palette);

    const std::size_t count = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    const std::uint32_t max = count > 0 ? *std::max_element(values, values + count) : 0;
    for (int row = 0; row < height; ++row) {
        const std::uint32_t* in = values + static_cast<std::size_t>(row) * width;
        uchar* out = picture.scanLine(row);
        for (int column = 0; column < width; ++column) {
            out[column] = max > 0 ? static_cast<uchar>(static_cast<double>(in[column]) / max * 255.0)
                                  : 0;
        }
    }
    return picture;
}

QRect PicturePlacement(int width, int height, const QRect& area) {
    if (width < 1 || height < 1 || area.width() < 1 || area.height() < 1) {
        return QRect();  // nothing to draw, or nowhere to draw it
    }
    const float s = std::max(static_cast<float>(width) / area.width(),
                             static_cast<float>(height) / area.height());
    const int drawnWidth = static_cast<int>(width / s + 0.5f);
    const int drawnHeight = static_cast<int>(height / s + 0.5f);
    const int left = (area.width() - drawnWidth) / 2;
    const int top = (area.height() - drawnHeight) / 2;
    return QRect(area.left() + left, area.top() + top, drawnWidth, drawnHeight);
}

}  // namespace wexlan
