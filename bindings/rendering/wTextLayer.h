#pragma once

#include <memory>
#include <string>

#include "wLayer.h"
#include "wexlanrendering_export.h"

/// A line of text drawn over the scene, its lower left corner at a pixel position
/// (default 10, 10 from the window's lower left corner). It holds no data item and
/// has no transform. Text size default 18 (pixels), colour default white.
///
/// Property set, in order: "IsA" ("TextLayer"), "Visibility", "Color", "Opacity",
/// "Text Size". The text itself is in the script ("Text") but not in the property set.
class WEXLANRENDERING_EXPORT wTextLayer : public wLayer {
public:
    /// Shows `text`; the layer's display name is "Text".
    explicit wTextLayer(const std::string& text = "");
    ~wTextLayer() override;

    void SetText(const std::string& text);
    const std::string& GetText() const;

    /// Font size 1 to 64. Draws nothing. @return false, changing nothing, outside 1..64.
    bool SetTextSize(int size);
    int GetTextSize() const;

    /// Position of the text's lower left corner, in pixels from the lower left corner.
    void SetPosition(int x, int y);

    using wRenderable::SetColor;  // the three-number array form
    void SetColor(double red, double green, double blue) override;
    void GetColor(double rgb[3]) const;
    void SetOpacity(double opacity) override;
    double GetOpacity() const;
    /// Ignored: text lies on the screen, not in the scene.
    void SetTransform(const double matrix[16]) override;

    /// Also understands "Text Size" and "Text".
    bool SetPropertyValue(const std::string& tag, const std::string& value) override;

protected:
    bool IsClass(std::string_view name) const override;
    void FillProperty(wProp& prop) override;
    void AddScriptItems(wScriptRecord& record) const override;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};
