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

const std::vector<ContrastPreset>& CContrastWindow::Presets() {
    static const std::vector<ContrastPreset> presets = {{"Full range", 0, 0},
                                                        {"CT Brain", 80, 40},
                                                        {"CT Soft tissue", 400, 40},
                                                        {"CT Bone", 2000, 500},
                                                        {"CT Lung", 1500, -600}};
    return presets;
}

bool CContrastWindow::ApplyPreset(std::size_t index) {
    if (index >= Presets().size()) {
        return false;
    }
    const ContrastPreset& preset = Presets()[index];
    if (preset.window <= 0) {
        SetContrast(SliderMin(), SliderMax());
    } else {
        SetContrast(TypedBound(preset.level - preset.window / 2),
                    TypedBound(preset.level + preset.window / 2));
    }
    return true;
}
