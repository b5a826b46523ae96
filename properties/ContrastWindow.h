#pragma once

#include <vector>

#include "wexlancp_export.h"

/// A named contrast window given as window (width) and level (centre); a window of 0
/// stands for the whole scalar range.
struct ContrastPreset {
    const char* name;
    double window;
    double level;
};

/// The state and rules of the contrast dialog, without widgets: the scalar range the
/// two sliders span and the contrast window (minimum, maximum) they set.
///
/// The bounds are not ordered against each other: the minimum may pass the maximum and
/// the pair is passed on as it is. Both bounds follow their sliders whatever their sign
/// (a CT's lower bound, -1024, moves like any other).
class WEXLANCP_EXPORT CContrastWindow {
public:
    void SetRange(int minimum, int maximum);
    int RangeMin() const { return m_rangeMin; }
    int RangeMax() const { return m_rangeMax; }
    /// The ends of the sliders: the range, with the upper end raised to the lower when
    /// the range is reversed.
    int SliderMin() const { return m_rangeMin; }
    int SliderMax() const { return m_rangeMax < m_rangeMin ? m_rangeMin : m_rangeMax; }
    /// Where a slider shows `value`: clamped to the slider's ends.
    int SliderPosition(int value) const;

    void SetContrast(int minimum, int maximum);
    int Minimum() const { return m_minimum; }
    int Maximum() const { return m_maximum; }

    /// The sliders moved: both bounds take their slider's position.
    void TakeSliderPositions(int minimumPosition, int maximumPosition);
    /// A typed bound: `value` clamped to the scalar range (the sliders' ends).
    int TypedBound(double value) const;

    /// The presets the dialog offers, in order: "Full range", then the usual CT windows
    /// "CT Brain" (80 / 40), "CT Soft tissue" (400 / 40), "CT Bone" (2000 / 500) and
    /// "CT Lung" (1500 / -600).
    static const std::vector<ContrastPreset>& Presets();
    /// Sets the contrast to preset `index`: level - window / 2 to level + window / 2,
    /// each bound clamped to the scalar range as a typed one. @return false, changing
    /// nothing, for an index out of range.
    bool ApplyPreset(std::size_t index);

private:
    int m_rangeMin = 0;
    int m_rangeMax = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};
