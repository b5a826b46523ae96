#pragma once

#include <string>

#include "CPropertyGridProperty.h"
#include "wexlancp_export.h"

class wRenderable;

/// A text or list row of the property sheet, bound to the viewer or layer whose sheet
/// it was built from. Committing a value stores it (the grid's standard commit) and then
/// applies it to the bound renderable at once (wexlan::ApplyTextEdit: "Visibility",
/// "Representation", "Size", ...). Without a bound renderable (read-only records) the
/// value is only stored.
class WEXLANCP_EXPORT CMyProp : public CPropertyGridProperty {
public:
    /// A text row showing `value`.
    CMyProp(const std::string& name, const std::string& value,
            const std::string& description = std::string());

    /// The renderable the row acts on (not owned; null until bound).
    void SetRenderable(wRenderable* renderable) { m_renderable = renderable; }
    wRenderable* GetRenderable() const { return m_renderable; }

    /// The base rules, then, for a text bound to a renderable, the tag's own rule
    /// (wexlan::TextEditRefusal: a size, a matrix, a slice in range...).
    std::string Refusal(const CPropertyValue& value) const override;

    /// The standard commit, then the tag's action on the bound renderable, after which
    /// the other text rows of the group show the renderable's values again (a new
    /// orientation moves the slice, for instance).
    /// @return the standard commit's answer.
    bool OnCommit(const CPropertyValue& edited) override;

protected:
    /// For rows whose value is not a text (the slider row).
    CMyProp(const std::string& name, const CPropertyValue& value);

private:
    void ShowSiblingsAsTheRenderableHasThem();

    wRenderable* m_renderable = nullptr;
};

/// The bound renderable of a row that cannot derive from CMyProp (the colour row).
class WEXLANCP_EXPORT CMyPropSA {
public:
    virtual ~CMyPropSA() = default;
    void SetRenderable(wRenderable* renderable) { m_renderable = renderable; }
    wRenderable* GetRenderable() const { return m_renderable; }

private:
    void ShowSiblingsAsTheRenderableHasThem();

    wRenderable* m_renderable = nullptr;
};

/// A colour row ("Background", "Color"). Committing a colour applies it to the bound
/// renderable (SetBackgroundColor / SetColor with each byte / 255.0, then Update) and
/// keeps it; without a bound renderable the colour is rejected and the row keeps its
/// old one.
class WEXLANCP_EXPORT CMyColorProp : public CPropertyGridColorProperty, public CMyPropSA {
public:
    /// `color` packed red + green * 256 + blue * 65536.
    CMyColorProp(const std::string& name, unsigned int color,
                 const std::string& description = std::string());

    bool OnCommit(const CPropertyValue& edited) override;
};
