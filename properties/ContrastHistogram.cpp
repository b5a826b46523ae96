#include "ContrastHistogram.h"

#include <algorithm>
#include <cmath>

#include <QPainter>

ContrastHistogram::ContrastHistogram(QWidget* parent) : QWidget(parent) {
    setObjectName("contrastHistogram");
    setMinimumHeight(72);
}

void ContrastHistogram::SetCounts(std::vector<double> counts) {
    m_counts = std::move(counts);
    setVisible(!m_counts.empty());
    update();
}

void ContrastHistogram::SetWindow(double rangeMin, double rangeMax, double windowMin,
                                  double windowMax) {
    m_range[0] = rangeMin;
    m_range[1] = rangeMax;
    m_window[0] = std::min(windowMin, windowMax);
    m_window[1] = std::max(windowMin, windowMax);
    update();
}

void ContrastHistogram::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor(24, 24, 32));
    const double highest =
        m_counts.empty() ? 0 : std::log1p(*std::max_element(m_counts.begin(), m_counts.end()));
    if (!(highest > 0)) {
        return;
    }
    const int bins = static_cast<int>(m_counts.size());
    const double span = m_range[1] - m_range[0];
    for (int bin = 0; bin < bins; ++bin) {
        const int left = bin * width() / bins;
        const int right = (bin + 1) * width() / bins;
        const int bar = static_cast<int>(std::log1p(m_counts[bin]) / highest * (height() - 2));
        // A bin is bright inside the contrast window, dim outside it.
        const double value = m_range[0] + (bin + 0.5) / bins * span;
        const bool inside = value >= m_window[0] && value <= m_window[1];
        painter.fillRect(left, height() - bar, std::max(1, right - left), bar,
                         inside ? QColor(220, 220, 200) : QColor(90, 90, 100));
    }
}
