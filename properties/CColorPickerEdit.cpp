#include "CColorPickerEdit.h"

#include <QPainter>
#include <QPixmap>

namespace {

QColor ToQColor(unsigned int color) {
    return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

unsigned int FromQColor(const QColor& color) {
    return static_cast<unsigned int>(color.red()) |
           (static_cast<unsigned int>(color.green()) << 8) |
           (static_cast<unsigned int>(color.blue()) << 16);
}

// The standard colours offered, as (name, r, g, b).
struct NamedColor {
    const char* name;
    int r, g, b;
};
constexpr NamedColor kStandardColors[] = {
    {"Black", 0, 0, 0},      {"White", 255, 255, 255},
    {"Red", 255, 0, 0},      {"Green", 0, 255, 0},
    {"Blue", 0, 0, 255},     {"Yellow", 255, 255, 0},
    {"Cyan", 0, 255, 255},   {"Magenta", 255, 0, 255},
    {"Grey", 128, 128, 128}, {"Light grey", 192, 192, 192},
    {"Orange", 255, 128, 0}, {"Dark blue", 26, 26, 51},
};

}  // namespace

CColorPickerEdit::CColorPickerEdit(unsigned int color, const std::string& otherLabel,
                                   QWidget* parent)
    : QComboBox(parent), m_color(color) {
    setObjectName("propertyColorEditor");
    addItem(Swatch(color), QStringLiteral("Current"), color);
    for (const NamedColor& named : kStandardColors) {
        const unsigned int packed = FromQColor(QColor(named.r, named.g, named.b));
        addItem(Swatch(packed), QString::fromLatin1(named.name), packed);
    }
    if (!otherLabel.empty()) {
        m_otherIndex = count();
        addItem(QString::fromStdString(otherLabel));
    }
    setCurrentIndex(0);
    connect(this, QOverload<int>::of(&QComboBox::activated), this, &CColorPickerEdit::OnActivated);
}

void CColorPickerEdit::SetColor(unsigned int color) {
    m_color = color;
    setItemIcon(0, Swatch(color));
    setItemData(0, color);
    setCurrentIndex(0);
}

void CColorPickerEdit::OnActivated(int index) {
    const QVariant data = itemData(index);
    if (data.isValid()) {
        m_color = data.toUInt();
    }
}

QIcon CColorPickerEdit::Swatch(unsigned int color, int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(ToQColor(color));
    QPainter painter(&pixmap);
    painter.setPen(QColor(64, 64, 64));
    painter.drawRect(0, 0, size - 1, size - 1);
    return QIcon(pixmap);
}
