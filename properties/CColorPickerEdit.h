#pragma once

#include <string>

#include <QComboBox>

#include "wexlancp_export.h"

/// The in-place editor of a colour row: a drop-down of standard colours, each with its
/// swatch, headed by the row's current colour, and (when enabled) a last "other" entry.
/// Choosing a colour entry makes it the editor's colour; the "other" entry changes
/// nothing here: the grid closes the editor and the row asks for a colour through the
/// prompts (CPropertyGridColorProperty::ChooseOtherColor).
class WEXLANCP_EXPORT CColorPickerEdit : public QComboBox {
    Q_OBJECT
public:
    /// `color` packed red + green * 256 + blue * 65536; `otherLabel` "" for no chooser.
    CColorPickerEdit(unsigned int color, const std::string& otherLabel, QWidget* parent = nullptr);

    unsigned int GetColor() const { return m_color; }
    /// Makes `color` the editor's colour (and its first entry).
    void SetColor(unsigned int color);
    /// The index of the "other" entry, or -1 when there is none.
    int GetOtherIndex() const { return m_otherIndex; }

    /// A swatch of `color` (packed as above) of size `size` with a thin dark frame.
    static QIcon Swatch(unsigned int color, int size = 16);

private:
    void OnActivated(int index);

    unsigned int m_color = 0;
    int m_otherIndex = -1;
};
