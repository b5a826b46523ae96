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
    if (m_maximum >= 0) {
        m_maximum = maximumPosition;
    }
    if (m_minimum >= 0) {
        m_minimum = minimumPosition;
    }
}

void CContrastWindow::AcceptSliderPositions(int minimumPosition, int maximumPosition) {
    m_minimum = minimumPosition;
    m_maximum = maximumPosition;
}
