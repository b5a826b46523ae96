#pragma once

#include <QDialog>

#include "ContrastWindow.h"
#include "wexlancp_export.h"

class QLabel;
class QLineEdit;
class QSlider;
class wRenderable;

/// The modal "Contrast" dialog: two sliders ("Min.", "Max.") over a layer's scalar range
/// that set the lower and upper bound of its contrast window; every move is applied at
/// once (SetContrast(min, max), then Update). The scalar range the sliders span is shown
/// under them.
///
/// The caller sets the range and the contrast (ints, truncated from the layer's numbers)
/// and the layer, runs the dialog, and reads the contrast back after OK and after
/// Cancel alike: Cancel keeps what the moves applied. The rules are CContrastWindow's.
///
/// Keyboard: arrow keys move the focused slider by 1, Page keys by a twentieth of the
/// range; Enter is OK, Escape is Cancel. The boxes display the values only.
class WEXLANCP_EXPORT CContrastDialog : public QDialog {
    Q_OBJECT
public:
    explicit CContrastDialog(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum) { m_window.SetRange(minimum, maximum); }
    void SetContrast(int minimum, int maximum) { m_window.SetContrast(minimum, maximum); }
    void GetContrast(int& minimum, int& maximum) const;
    /// The layer the contrast is applied to (not owned; may be null).
    void SetLayer(wRenderable* layer) { m_layer = layer; }

    /// Puts range and contrast into the controls. Runs by itself when the dialog is
    /// first shown; later calls do nothing. @return true.
    bool OnInitDialog();

    /// @name Event handlers
    /// @{
    void OnSliderMoved();
    void OnOK();
    void OnCancel();
    /// @}

    const CContrastWindow& GetWindow() const { return m_window; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    CContrastWindow m_window;
    wRenderable* m_layer = nullptr;
    bool m_initialised = false;
    QSlider* m_minSlider = nullptr;
    QSlider* m_maxSlider = nullptr;
    QLineEdit* m_minEdit = nullptr;
    QLineEdit* m_maxEdit = nullptr;
    QLabel* m_rangeLabel = nullptr;
};
