#pragma once

#include <cstddef>
#include <vector>

#include <QDialog>

#include "ContrastWindow.h"
#include "wexlancp_export.h"

class ContrastHistogram;
class QLabel;
class QLineEdit;
class QSlider;
class wRenderable;

/// The modal "Contrast" dialog: two sliders ("Min.", "Max.") over a layer's scalar range
/// that set the lower and upper bound of its contrast window; every move is applied at
/// once (SetContrast(min, max), then Update). Under them: the layer's histogram with the
/// window marked (when the caller gives one), a button per preset window
/// (CContrastWindow::Presets, applied like a slider move) and the scalar range.
///
/// The caller sets the range and the contrast (the layer's numbers; the sliders take them
/// truncated to ints) and the layer, runs the dialog, and after OK reads the contrast
/// back. Cancel puts back the contrast the dialog was opened with, exactly as given, on
/// the layer (SetContrast, then Update). The rules are CContrastWindow's.
///
/// The two boxes beside the sliders take typed numbers too: Enter in a box applies its
/// number, clamped to the scalar range, as that bound (the slider follows) and does not
/// close the dialog; a box holding no number shows its bound again.
///
/// Keyboard: arrow keys move the focused slider by 1, Page keys by a twentieth of the
/// range; Enter (outside the boxes) is OK, Escape is Cancel.
class WEXLANCP_EXPORT CContrastDialog : public QDialog {
    Q_OBJECT
public:
    explicit CContrastDialog(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum) { m_window.SetRange(minimum, maximum); }
    /// The contrast the dialog opens with and Cancel puts back.
    void SetContrast(double minimum, double maximum);
    void GetContrast(int& minimum, int& maximum) const;
    /// The layer the contrast is applied to (not owned; may be null).
    void SetLayer(wRenderable* layer) { m_layer = layer; }
    /// The counts shown under the sliders (wRenderable::GetHistogram); empty: none.
    void SetHistogram(std::vector<double> counts);

    /// Puts range and contrast into the controls. Runs by itself when the dialog is
    /// first shown; later calls do nothing. @return true.
    bool OnInitDialog();

    /// @name Event handlers
    /// @{
    void OnSliderMoved();
    /// Enter in the box of the minimum (`maximum` false) or the maximum.
    void OnBoundTyped(bool maximum);
    /// A preset button: preset `index` of CContrastWindow::Presets.
    void OnPreset(std::size_t index);
    void OnOK();
    void OnCancel();
    /// @}

    /// Cancel, Escape and closing the window: the opening contrast goes back on the layer.
    void reject() override;

    const CContrastWindow& GetWindow() const { return m_window; }

protected:
    void showEvent(QShowEvent* event) override;
    /// Keeps Enter in a box from reaching the dialog's default button.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Shows the bounds in the boxes and on the histogram.
    void ShowBounds();
    /// Puts both sliders at the window's bounds without applying them again.
    void MoveSliders();
    void ApplyToLayer();

    CContrastWindow m_window;
    wRenderable* m_layer = nullptr;
    double m_opened[2] = {0, 0};
    bool m_initialised = false;
    QSlider* m_minSlider = nullptr;
    QSlider* m_maxSlider = nullptr;
    QLineEdit* m_minEdit = nullptr;
    QLineEdit* m_maxEdit = nullptr;
    QLabel* m_rangeLabel = nullptr;
    ContrastHistogram* m_histogram = nullptr;
};
