#pragma once

#include <array>

#include <QDialog>

#include "SlicePlayback.h"
#include "wexlancp_export.h"

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QSlider;
class QTimer;
class wRenderable;

/// The modal "Slice" dialog: one slider per axis (X, Y, Z) for the current slice of an
/// image layer, applied to the layer at once, with a play button per axis that plays the
/// slices at 7.5, 15 or 30 frames per second.
///
/// The caller sets the slice range, the slice triple and the layer, runs the dialog, and
/// after OK reads the triple back (GetSlice). An axis whose range has a negative end is
/// unusable: its slider and play button are disabled and its box shows "NULL".
///
/// Playback: ">" starts an axis's timer at 1000 / rate ms (truncated; a precise timer)
/// and turns into "||", which stops it. Each tick advances the slice by one, wrapping
/// from max - 1 to min (CSlicePlayback::Advance with the range the layer reports now),
/// and draws exactly one frame (SetSlice, then Render); the axis's slider takes that
/// range too. An axis left with nothing to play (the layer reports no slice range, or
/// an empty one) stops and draws nothing. A rate change applies to axes
/// started afterwards. OK, Cancel, Escape, closing and destruction stop every timer.
///
/// Keyboard: Tab moves between the controls, arrow and Page keys move the focused
/// slider, Space presses the focused button, Enter is OK and Escape is Cancel. The
/// layer keeps every slice applied while the dialog was open, whatever closes it.
///
/// The event handlers are public so that tests can drive the dialog without a screen.
class WEXLANCP_EXPORT CSliderDialog : public QDialog {
    Q_OBJECT
public:
    explicit CSliderDialog(QWidget* parent = nullptr);
    ~CSliderDialog() override;

    /// xmin, xmax, ymin, ymax, zmin, zmax.
    void SetSliceRange(const int range[6]);
    void SetSlice(const int xyz[3]);
    /// The triple: after OK each usable axis holds its slider's position.
    void GetSlice(int xyz[3]) const;
    /// The layer the slices are applied to (not owned; may be null).
    void SetLayer(wRenderable* layer) { m_layer = layer; }

    /// Puts the range and triple into the controls and chooses "15 fps". Runs by itself
    /// when the dialog is first shown; later calls do nothing. @return true.
    bool OnInitDialog();

    /// @name Event handlers
    /// @{
    void OnPlay(int axis);          ///< the play button of axis 0, 1 or 2
    void OnFrameRate(double rate);  ///< a frame-rate button (7.5, 15 or 30)
    void OnTimer(int axis);         ///< one playback tick of the axis
    void OnSliderMoved();           ///< the user moved a slider
    void OnOK();
    void OnCancel();
    /// @}

    bool IsPlaying(int axis) const { return m_playback.IsPlaying(axis); }
    /// The interval of the axis's running timer in ms, or -1 while it is idle.
    int GetTimerInterval(int axis) const;
    const CSlicePlayback& GetPlayback() const { return m_playback; }

    /// Every way of closing ends here: stops the timers, then closes.
    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StopTimers();
    void ShowSlice(int axis);
    void ApplyToLayer();
    void SliderPositions(int positions[3]) const;

    CSlicePlayback m_playback;
    wRenderable* m_layer = nullptr;
    bool m_initialised = false;
    std::array<QPushButton*, 3> m_play{};
    std::array<QSlider*, 3> m_sliders{};
    std::array<QLineEdit*, 3> m_edits{};
    std::array<QTimer*, 3> m_timers{};
    std::array<QPushButton*, 3> m_rates{};
    QButtonGroup* m_rateGroup = nullptr;
};
