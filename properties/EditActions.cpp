#include "EditActions.h"

#include "NumberText.h"
#include "PropertySheetBuilder.h"
#include "wImage3DLayer.h"
#include "wImageLayer.h"
#include "wLandmarkLayer.h"
#include "wRenderable.h"
#include "wTextLayer.h"
#include "wViewer.h"

namespace wexlan {

namespace {

// The index of `value` among `words`, or -1.
template <std::size_t N>
int IndexOf(const std::string& value, const char* const (&words)[N]) {
    for (std::size_t i = 0; i < N; ++i) {
        if (value == words[i]) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void ApplyPlaneVisibility(wRenderable& target, int axis, const std::string& value) {
    if (value == "False") {
        target.PlaneVisibilityOff(axis);
    } else if (value == "True") {
        target.PlaneVisibilityOn(axis);
    }
}

}  // namespace

void ApplyTextEdit(wRenderable& target, const std::string& tag, const std::string& value) {
    if (tag == "Visibility") {
        if (value == "False") {
            target.VisibilityOff();
        } else if (value == "True") {
            target.VisibilityOn();
        }
        target.Render();
    } else if (tag == "Axes") {
        if (auto* viewer = dynamic_cast<wViewer*>(&target)) {
            if (value == "On") {
                viewer->AxiesOn();
            } else {
                viewer->AxiesOff();
            }
        }
        target.Render();
    } else if (tag == "Color Bar") {
        static const char* const positions[] = {"Off", "Left", "Right", "Top", "Bottom"};
        const int position = IndexOf(value, positions);
        auto* viewer = dynamic_cast<wViewer*>(&target);
        if (viewer != nullptr && position >= 0) {
            viewer->SetColorBar(position);
        }
        target.Render();
    } else if (tag == "Visibi. XY") {
        ApplyPlaneVisibility(target, 2, value);
    } else if (tag == "Visibi. XZ") {
        ApplyPlaneVisibility(target, 1, value);
    } else if (tag == "Visibi. YZ") {
        ApplyPlaneVisibility(target, 0, value);
    } else if (tag == "Bounding Box") {
        if (value == "On") {
            target.BoundingBoxOn();
        } else if (value == "Off") {
            target.BoundingBoxOff();
        }
        target.Update();
    } else if (tag == "Clipping") {
        if (value == "On") {
            target.ClippingOn();
        } else if (value == "Off") {
            target.ClippingOff();
        }
        target.Update();
    } else if (tag == "Representation") {
        static const char* const representations[] = {"Surface", "Wireframe", "Points"};
        const int representation = IndexOf(value, representations);
        if (representation >= 0) {
            target.SetRepresentation(representation);
        }
        target.Update();
    } else if (tag == "Size") {
        const double size = LeadingDouble(value);
        if (size >= 0) {
            if (auto* landmarks = dynamic_cast<wLandmarkLayer*>(&target)) {
                landmarks->SetLandmarkSize(size);
            }
            target.Update();
        }
    } else if (tag == "Lookup Table") {
        if (auto* image = dynamic_cast<wImageLayer*>(&target)) {
            image->SetLookupTable(value);
        }
        target.Update();
    } else if (tag == "Cursor") {
        if (auto* volume = dynamic_cast<wImage3DLayer*>(&target)) {
            if (value == "On") {
                volume->CursorOn();
            } else {
                volume->CursorOff();
            }
        }
        target.Update();
    } else if (tag == "Text Size") {
        const int size = LeadingInt(value);
        if (size >= 1 && size <= 64) {
            if (auto* text = dynamic_cast<wTextLayer*>(&target)) {
                text->SetTextSize(size);
            }
            target.Update();
        }
    }
}

void ApplyColorEdit(wRenderable& target, const std::string& tag, unsigned int color) {
    double rgb[3];
    RgbFromColorRef(color, rgb);
    if (tag == "Background") {
        target.SetBackgroundColor(rgb[0], rgb[1], rgb[2]);
    } else if (tag == "Color") {
        target.SetColor(rgb[0], rgb[1], rgb[2]);
    }
    target.Update();
}

void ApplySliderMove(wRenderable& target, const std::string& tag, int percent) {
    if (tag != "Opacity") {
        return;
    }
    target.SetOpacity(percent / 100.0);
    target.Render();
    target.Update();
}

std::string SliceRowText(const int xyz[3]) {
    if (xyz[0] >= 0 && xyz[1] >= 0 && xyz[2] >= 0) {
        return std::to_string(xyz[0]) + ", " + std::to_string(xyz[1]) + ", " +
               std::to_string(xyz[2]);
    }
    if (xyz[0] >= 0) {
        return std::to_string(xyz[0]);
    }
    return "";
}

std::string ContrastRowText(int minimum, int maximum) {
    return "[" + FormatFixed(minimum, 1) + ", " + FormatFixed(maximum, 1) + "]";
}

}  // namespace wexlan
