#pragma once

#include <array>

#include "wexlancp_export.h"

/// The state and rules of the slice dialog, without widgets or timers: three axes (0 x,
/// 1 y, 2 z), each with a range from the layer, a current slice and a playing flag, and
/// the frame rate with which playing starts. The dialog forwards its controls' events
/// here and shows what comes back; tests step it directly.
///
/// An axis is usable when both ends of its range are >= 0; otherwise its slider and
/// play button are disabled and its box shows "NULL".
class WEXLANCP_EXPORT CSlicePlayback {
public:
    static constexpr double kDefaultFrameRate = 15.0;

    /// xmin, xmax, ymin, ymax, zmin, zmax.
    void SetRange(const int range[6]);
    void GetRange(int range[6]) const;
    int Min(int axis) const { return m_range[2 * axis]; }
    int Max(int axis) const { return m_range[2 * axis + 1]; }
    bool IsAxisUsable(int axis) const { return Min(axis) >= 0 && Max(axis) >= 0; }

    /// The slice triple (x, y, z); -999 marks an axis a 2D layer does not have.
    void SetSlice(const int xyz[3]);
    void GetSlice(int xyz[3]) const;
    int Slice(int axis) const { return m_slice[axis]; }

    /// Frames per second used when an axis starts playing (running axes keep theirs).
    void SetFrameRate(double framesPerSecond) { m_frameRate = framesPerSecond; }
    double GetFrameRate() const { return m_frameRate; }
    /// The timer interval for a rate: 1000 / rate milliseconds truncated toward zero
    /// (133 at 7.5, 66 at 15, 33 at 30).
    static int IntervalFor(double framesPerSecond);

    bool IsPlaying(int axis) const { return m_playing[axis]; }
    /// Starts an idle axis or stops a playing one. @return whether it plays now.
    bool TogglePlaying(int axis);
    void StopAll() { m_playing = {false, false, false}; }

    /// One playback step of `axis` with the range the layer reports now (which becomes
    /// the range; null when the layer reports none): the slice goes up by one and wraps
    /// to the axis's min when it reaches the max or lies below the min, so playback runs
    /// min, min+1, ..., max-1, min, ... An axis that has nothing to play (no range, an
    /// unusable range, or max <= min) stops playing and keeps its slice.
    /// @return whether the slice moved (the axis still plays).
    bool Advance(int axis, const int* currentRange);

    /// The user moved the sliders: each axis whose slice is >= 0 takes its slider's
    /// position; other axes (-999, -1) keep their slice.
    void TakeSliderPositions(const int positions[3]);

    /// OK: each usable axis takes its slider's position, whatever its slice was.
    void AcceptSliderPositions(const int positions[3]);

private:
    std::array<int, 6> m_range{0, 0, 0, 0, 0, 0};
    std::array<int, 3> m_slice{-1, -1, -1};
    std::array<bool, 3> m_playing{false, false, false};
    double m_frameRate = kDefaultFrameRate;
};
