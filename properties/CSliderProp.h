#pragma once

#include <QColor>
#include <QSlider>

#include "CMyProp.h"
#include "wexlancp_export.h"

/// The "Opacity" row: an integer 0..100 edited in place with a slider (CPropSliderCtrl)
/// that acts while it moves: each position is committed as an edit. A committed value p
/// that differs from the row's sets the bound renderable's opacity to p / 100
/// (SetOpacity, Render, Update), however it was committed (slider, typed value, batch
/// `set`). The slider leaves the number visible to its left. Escape while the slider is
/// open puts the opacity back where it was when editing began.
class WEXLANCP_EXPORT CSliderProp : public CMyProp {
public:
    CSliderProp(const std::string& name, int value);

    /// Refuses anything but an integer 0..100.
    std::string Refusal(const CPropertyValue& value) const override;
    /// The slider editor, positioned at the row's value.
    QWidget* CreateEditor(QWidget* parent) override;
    CPropertyValue ReadEditor(QWidget* editor) const override;
    /// The value cell with its left edge moved right by the cell's height plus 5 pixels.
    QRect EditorRect(const QRect& valueCell) const override;
    void OnCancelEdit() override;

    /// Stores the integer; when it differs from the previous value the opacity is
    /// applied (for "Opacity") and the grid is told (CPropertyGridCtrl::OnPropertyChanged).
    /// @return true.
    bool OnCommit(const CPropertyValue& edited) override;

    /// The slider moved to `position`: committed as an edit (CommitEdit).
    void OnSliderMoved(int position);

private:
    int m_valueBeforeEdit = 0;
};

/// The in-place slider of a CSliderProp: range 0..100, arrow keys step by 1 and Page keys
/// by 10, painted on the grid's background colour. Every move goes to the owning row.
class WEXLANCP_EXPORT CPropSliderCtrl : public QSlider {
    Q_OBJECT
public:
    /// `owner` is not owned and must outlive the slider (the grid closes editors before
    /// deleting rows). `background` is the grid's background colour, or the window
    /// colour when invalid.
    CPropSliderCtrl(CSliderProp* owner, const QColor& background, QWidget* parent = nullptr);

    CSliderProp* GetOwner() const { return m_owner; }
    QColor GetBackgroundColor() const { return m_background; }

private:
    CSliderProp* m_owner;
    QColor m_background;
};
