#pragma once

#include "wexlancp_export.h"

/// The state and rules of the contrast dialog, without widgets: the scalar range the
/// two sliders span and the contrast window (minimum, maximum) they set.
///
/// The bounds are not ordered against each other: the minimum may pass the maximum and
/// the pair is passed on as it is. A bound that is negative is not taken from its
/// slider while the sliders move (OK takes both positions all the same).
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

    /// The sliders moved: the maximum, then the minimum, take their slider's position
    /// when they are >= 0.
    void TakeSliderPositions(int minimumPosition, int maximumPosition);
    /// OK: both bounds take their slider's position.
    void AcceptSliderPositions(int minimumPosition, int maximumPosition);

private:
    int m_rangeMin = 0;
    int m_rangeMax = 0;
    int m_minimum = 0;
    int m_maximum = 0;
};
