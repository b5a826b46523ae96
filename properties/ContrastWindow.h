#pragma once

#include "wexlancp_export.h"

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

private:
    int m_rangeMin = 0;
    int m_rangeMax = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};
