#pragma once

#include <array>

#include <QDialog>

#include "wexlancp_export.h"

class QLabel;
class QLineEdit;
class QSlider;
class wRenderable;

/// The modal "Matrix " dialog: the 16 elements of a 4 x 4 transform in a grid of boxes
/// (columns A to D, rows 1 to 4; row-major, element (r, k) at 4r + k), six sliders that
/// compose a translation and rotation onto the matrix the dialog was opened with, and
/// Load, Save and Reset.
///
/// Sliders: Tx, Ty, Tz run 1..100 from 50 (value = position - 50); Rx, Ry, Rz run
/// 1..360 from 180 (value = position - 180 degrees). Each move shows base x S in the grid
/// (S = wexlan::SliderMatrix of the six values, the base on the left; "%f" texts) and,
/// with a renderable bound, applies the grid's texts read back (so with six decimals)
/// through SetTransform, then Update. The base matrix does not change: positions are
/// offsets from it.
///
/// Load and Save go through the prompts with the filter "Matrix (*.mat) | *.mat|" and
/// wUtil::LoadMat / SaveMat (their results are not examined). Load replaces the base
/// and shows it, leaving sliders and renderable alone; Save writes the grid as read back.
/// Reset makes the base the identity, puts the sliders back and applies it. OK takes
/// the grid as the matrix (GetMatrix); Cancel, Escape and closing the window put the
/// matrix the dialog was opened with (SetMatrix) back on the renderable (SetTransform,
/// then Update), whatever the sliders, Load or Reset did.
///
/// A box is read as its leading number, 0 when it holds none. Typed texts take effect
/// at OK, Save or the next slider move (which overwrites the grid). Keyboard: Tab moves
/// through sliders and boxes, arrow and Page keys move the focused slider, Enter is OK
/// and Escape is Cancel.
class WEXLANCP_EXPORT CMatrixUI : public QDialog {
    Q_OBJECT
public:
    explicit CMatrixUI(QWidget* parent = nullptr);

    void SetMatrix(const double matrix[16]);
    void GetMatrix(double matrix[16]) const;
    /// The object whose transform the dialog changes live (not owned; may be null).
    void SetRenderable(wRenderable* renderable) { m_renderable = renderable; }

    /// Shows the matrix, puts the sliders at their start and the value boxes at "0".
    /// Runs by itself when the dialog is first shown; later calls do nothing.
    bool OnInitDialog();

    /// @name Event handlers
    /// @{
    void OnSliderMoved();
    void OnReset();
    void OnLoad();
    void OnSave();
    void OnOK();
    void OnCancel();
    /// @}

    /// Every way of cancelling ends here: the opening matrix goes back on the renderable.
    void reject() override;

    /// Writes the matrix into the 16 boxes ("%f").
    void ShowMatrix();
    /// Reads the 16 boxes, row by row.
    void ReadMatrix(double matrix[16]) const;
    /// Tx, Ty, Tz, Rx, Ry, Rz from the slider positions.
    void GetSliderValues(int values[6]) const;

    /// The filter of the Load and Save prompts.
    static constexpr const char* kFileFilter = "Matrix (*.mat) | *.mat|";

protected:
    void showEvent(QShowEvent* event) override;

private:
    void ShowElements(const double matrix[16]);
    void ResetSliders();
    void ApplyGrid();

    std::array<double, 16> m_matrix{};
    std::array<double, 16> m_opened{};
    wRenderable* m_renderable = nullptr;
    bool m_initialised = false;
    std::array<QSlider*, 6> m_sliders{};
    std::array<QLineEdit*, 6> m_values{};
    std::array<QLineEdit*, 16> m_cells{};
};
