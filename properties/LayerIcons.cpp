#include "LayerIcons.h"

#include <QBitmap>
#include <QPainter>
#include <QPixmap>

namespace wexlan {

namespace {

constexpr int kSize = 24;

// A 24 x 24 picture drawn on white, with white made transparent.
template <typename Draw>
QIcon Icon(Draw draw) {
    QPixmap pixmap(kSize, kSize);
    pixmap.fill(Qt::white);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing, false);
        draw(painter);
    }
    pixmap.setMask(pixmap.createMaskFromColor(Qt::white));
    return QIcon(pixmap);
}

}  // namespace

QIcon ViewerIcon() {
    return Icon([](QPainter& painter) {
        painter.setPen(QColor(40, 40, 40));
        painter.setBrush(QColor(30, 60, 140));
        painter.drawRect(2, 3, 19, 13);  // screen
        painter.setBrush(QColor(90, 170, 230));
        painter.drawRect(5, 6, 13, 7);
        painter.setBrush(QColor(90, 90, 90));
        painter.drawRect(10, 17, 3, 2);  // stand
        painter.drawRect(6, 19, 11, 2);
    });
}

QIcon LayerIcon() {
    return Icon([](QPainter& painter) {
        const QColor fills[] = {QColor(200, 120, 40), QColor(80, 160, 80), QColor(70, 120, 200)};
        for (int i = 0; i < 3; ++i) {
            const int y = 13 - 5 * i;
            const QPoint sheet[] = {QPoint(2, y + 4), QPoint(12, y), QPoint(21, y + 4),
                                    QPoint(12, y + 8)};
            painter.setPen(QColor(40, 40, 40));
            painter.setBrush(fills[i]);
            painter.drawPolygon(sheet, 4);
        }
    });
}

}  // namespace wexlan
