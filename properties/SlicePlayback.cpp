#include "SlicePlayback.h"

void CSlicePlayback::SetRange(const int range[6]) {
    for (int i = 0; i < 6; ++i) {
        m_range[i] = range[i];
    }
}

void CSlicePlayback::GetRange(int range[6]) const {
    for (int i = 0; i < 6; ++i) {
        range[i] = m_range[i];
    }
}

void CSlicePlayback::SetSlice(const int xyz[3]) {
    for (int i = 0; i < 3; ++i) {
        m_slice[i] = xyz[i];
    }
}

void CSlicePlayback::GetSlice(int xyz[3]) const {
    for (int i = 0; i < 3; ++i) {
        xyz[i] = m_slice[i];
    }
}

int CSlicePlayback::IntervalFor(double framesPerSecond) {
    if (!(framesPerSecond > 0)) {
        return 0;
    }
    return static_cast<int>(1000.0 / framesPerSecond);
}

bool CSlicePlayback::TogglePlaying(int axis) {
    m_playing[axis] = !m_playing[axis];
    return m_playing[axis];
}

bool CSlicePlayback::Advance(int axis, const int* currentRange) {
    if (currentRange != nullptr) {
        SetRange(currentRange);
    }
    if (currentRange == nullptr || !IsAxisUsable(axis) || Max(axis) <= Min(axis)) {
        m_playing[axis] = false;
        return false;
    }
    int next = m_slice[axis] + 1;
    if (next >= Max(axis) || next < Min(axis)) {
        next = Min(axis);
    }
    m_slice[axis] = next;
    return true;
}

void CSlicePlayback::TakeSliderPositions(const int positions[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        if (m_slice[axis] >= 0) {
            m_slice[axis] = positions[axis];
        }
    }
}

void CSlicePlayback::AcceptSliderPositions(const int positions[3]) {
    for (int axis = 0; axis < 3; ++axis) {
        if (IsAxisUsable(axis)) {
            m_slice[axis] = positions[axis];
        }
    }
}
