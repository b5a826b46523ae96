#include "WorkspaceIcons.h"

#include <QBitmap>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace wexlan {

namespace {

// Colours stay below pure white, which is the transparent colour.
const QColor kOutline(60, 60, 70);
const QColor kHighlight(250, 250, 245);

void Sphere(QPainter& p, QPointF centre, double radius, const QColor& colour) {
    QRadialGradient shade(centre - QPointF(radius / 3, radius / 3), radius * 1.3);
    shade.setColorAt(0, kHighlight);
    shade.setColorAt(0.35, colour);
    shade.setColorAt(1, colour.darker(180));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(centre, radius, radius);
}

void Dome(QPainter& p) {
    QPainterPath dome;
    dome.moveTo(2, 19);
    dome.cubicTo(2, 4, 22, 4, 22, 19);
    dome.closeSubpath();
    QRadialGradient shade(QPointF(9, 9), 15);
    shade.setColorAt(0, kHighlight);
    shade.setColorAt(0.3, QColor(230, 160, 90));
    shade.setColorAt(1, QColor(150, 80, 30));
    p.setPen(QPen(QColor(120, 60, 20), 1));
    p.setBrush(shade);
    p.drawPath(dome);
    p.setPen(QPen(QColor(90, 90, 90), 2));
    p.drawLine(QPointF(1, 20), QPointF(23, 20));
}

void Slice(QPainter& p, int height) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(20, 20, 25));
    p.drawRoundedRect(QRectF(1.5, 1.5, 21, height), 2, 2);
    const double middle = 1.5 + height / 2.0;
    QRadialGradient tissue(QPointF(12, middle), 9);
    tissue.setColorAt(0, QColor(200, 200, 200));
    tissue.setColorAt(0.8, QColor(140, 140, 140));
    tissue.setColorAt(1, QColor(90, 90, 90));
    p.setPen(Qt::NoPen);
    p.setBrush(tissue);
    p.drawEllipse(QPointF(12, middle), 8.5, height / 2.0 - 2);
    p.setBrush(QColor(60, 60, 60));
    p.drawEllipse(QPointF(9, middle), 2, 3);
    p.drawEllipse(QPointF(15, middle), 2, 3);
}

void Sheet(QPainter& p) {
    QPainterPath page;
    page.moveTo(5, 2);
    page.lineTo(15, 2);
    page.lineTo(20, 7);
    page.lineTo(20, 22);
    page.lineTo(5, 22);
    page.closeSubpath();
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(235, 238, 245));
    p.drawPath(page);
    p.setBrush(QColor(190, 195, 210));
    p.drawPolygon(QPolygonF({QPointF(15, 2), QPointF(15, 7), QPointF(20, 7)}));
    p.setPen(QPen(QColor(110, 130, 170), 1));
    for (int y = 11; y <= 19; y += 3) {
        p.drawLine(8, y, 17, y);
    }
}

void Window(QPainter& p, QRectF frame, const QColor& title) {
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(240, 240, 236));
    p.drawRect(frame);
    p.setPen(Qt::NoPen);
    p.setBrush(title);
    p.drawRect(QRectF(frame.left() + 0.5, frame.top() + 0.5, frame.width() - 0.5, 3.5));
}

void StackedWindows(QPainter& p) {
    Window(p, QRectF(1.5, 1.5, 15, 12), QColor(70, 110, 180));
    Window(p, QRectF(4.5, 5.5, 15, 12), QColor(60, 140, 90));
    Window(p, QRectF(7.5, 9.5, 15, 12), QColor(190, 90, 50));
}

void DownArrow(QPainter& p) {
    QLinearGradient fill(0, 0, 24, 0);
    fill.setColorAt(0, QColor(60, 150, 60));
    fill.setColorAt(1, QColor(20, 100, 30));
    p.setPen(QPen(QColor(15, 70, 20), 1));
    p.setBrush(fill);
    p.drawPolygon(QPolygonF({QPointF(8, 2), QPointF(16, 2), QPointF(16, 11), QPointF(21, 11),
                             QPointF(12, 21), QPointF(3, 11), QPointF(8, 11)}));
}

void OpenFolder(QPainter& p) {
    p.setPen(QPen(QColor(140, 100, 20), 1));
    p.setBrush(QColor(220, 170, 60));
    p.drawPolygon(QPolygonF({QPointF(1.5, 4.5), QPointF(8.5, 4.5), QPointF(10.5, 6.5),
                             QPointF(19.5, 6.5), QPointF(19.5, 19.5), QPointF(1.5, 19.5)}));
    p.setBrush(QColor(245, 245, 235));
    p.drawRect(QRectF(4.5, 8.5, 13, 8));
    QLinearGradient front(0, 10, 0, 20);
    front.setColorAt(0, QColor(250, 215, 110));
    front.setColorAt(1, QColor(225, 170, 50));
    p.setBrush(front);
    p.drawPolygon(QPolygonF(
        {QPointF(5.5, 10.5), QPointF(22.5, 10.5), QPointF(19.5, 19.5), QPointF(1.5, 19.5)}));
}

void Draw(QPainter& p, int index) {
    switch (index) {
        case kSurfaceIcon:
            Dome(p);
            break;
        case kPointsIcon:
            Sphere(p, {6, 16}, 4.5, QColor(210, 50, 50));
            Sphere(p, {17, 16}, 4.5, QColor(210, 50, 50));
            Sphere(p, {11.5, 6.5}, 4.5, QColor(210, 50, 50));
            break;
        case kPointCloudIcon: {
            const QPointF centres[] = {{5, 8},  {10, 5},  {16, 6}, {19, 11}, {4, 14},
                                       {9, 11}, {14, 12}, {8, 18}, {14, 18}, {19, 17}};
            for (const QPointF& centre : centres) {
                Sphere(p, centre, 2.6, QColor(50, 100, 210));
            }
            break;
        }
        case kImageIcon:
            Slice(p, 21);
            break;
        case kItemIcon:
            Sheet(p);
            break;
        case kCategoryIcon:
            StackedWindows(p);
            break;
        case kSliceBarIcon:
            Slice(p, 16);
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(40, 180, 60));
            p.drawRect(QRectF(1.5, 19.5, 21, 3));
            break;
        case kFileIcon:
            DownArrow(p);
            break;
        case kFolderIcon:
            OpenFolder(p);
            break;
    }
}

}  // namespace

QPixmap DrawWorkspaceIcon(int index) {
    if (index < 0 || index >= kWorkspaceIconCount) {
        return QPixmap();
    }
    QImage image(kWorkspaceIconSize, kWorkspaceIconSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        Draw(painter, index);
    }
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(pixmap.createMaskFromColor(Qt::white));
    return pixmap;
}

std::vector<QPixmap> DrawWorkspaceIcons() {
    std::vector<QPixmap> icons;
    for (int i = 0; i < kWorkspaceIconCount; ++i) {
        icons.push_back(DrawWorkspaceIcon(i));
    }
    return icons;
}

}  // namespace wexlan
