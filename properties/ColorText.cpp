#include "ColorText.h"

#include <QColor>
#include <QString>
#include <vector>

#include "wText.h"

namespace wexlan {

std::optional<unsigned int> ColorFromText(const std::string& text) {
    const QColor named(QString::fromStdString(text));
    if (named.isValid()) {
        return static_cast<unsigned int>(named.red()) |
               (static_cast<unsigned int>(named.green()) << 8) |
               (static_cast<unsigned int>(named.blue()) << 16);
    }
    std::vector<double> components;
    if (!ParseNumberList(text, components) || components.size() != 3) {
        return std::nullopt;
    }
    unsigned int color = 0;
    for (int i = 0; i < 3; ++i) {
        const double c = components[i];
        if (c < 0 || c > 255 || c != static_cast<int>(c)) {
            return std::nullopt;
        }
        color |= static_cast<unsigned int>(c) << (8 * i);
    }
    return color;
}

std::string ColorName(unsigned int color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF).name().toStdString();
}

}  // namespace wexlan
