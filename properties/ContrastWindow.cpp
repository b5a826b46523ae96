#include "ContrastWindow.h"

#include <algorithm>

void CContrastWindow::SetRange(int minimum, int maximum) {
    m_rangeMin = minimum;
    m_rangeMax = maximum;
}

int CContrastWindow::SliderPosition(int value) const {
    return std::clamp(value, SliderMin(), SliderMax());
}

void CContrastWindow::SetContrast(int minimum, int maximum) {
    m_minimum = minimum;
    m_maximum = maximum;
}

void CContrastWindow::TakeSliderPositions(int minimumPosition, int maximumPosition) {
    m_minimum = minimumPosition;
    m_maximum = maximumPosition;
}

int CContrastWindow::TypedBound(double value) const {
    // Clamped as a double first: a huge typed number must not overflow the int.
    return static_cast<int>(
        std::clamp(value, static_cast<double>(SliderMin()), static_cast<double>(SliderMax())));
}
