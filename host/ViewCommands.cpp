#include "ViewCommands.h"

#include <vtkCamera.h>
#include <vtkRenderWindow.h>
#include <vtkRenderWindowInteractor.h>
#include <vtkRenderer.h>

#include <cmath>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "CWexlanCPEXE.h"
#include "CWexlanModules.h"
#include "MainWindow.h"
#include "ViewingTabs.h"
#include "wMeasureLayer.h"
#include "wSliceView.h"
#include "wText.h"
#include "wViewer.h"
#include "wViewerInteractorStyle.h"

namespace {

// The argument's words.
std::vector<std::string> Words(const std::string& argument) {
    std::istringstream in(argument);
    std::vector<std::string> words;
    for (std::string word; in >> word;) {
        words.push_back(word);
    }
    return words;
}

// Word `index` of `words` as a number; throws naming `what` when it is missing or no number.
double Number(const std::vector<std::string>& words, std::size_t index, const std::string& what) {
    double value = 0;
    if (index >= words.size() || !wexlan::ParseDouble(words[index], value)) {
        throw std::invalid_argument(what + " needs a number" +
                                    (index < words.size() ? ", not \"" + words[index] + "\"" : ""));
    }
    return value;
}

wSliceView SliceViewOf(wViewer& viewer) {
    wSliceView slice(&viewer);
    if (!slice.IsValid()) {
        throw std::invalid_argument("the current view is not a 2D slice view");
    }
    return slice;
}

}  // namespace

wViewer& ViewCommands::CurrentViewer() const {
    wViewer* viewer = m_window.Panel().GetEXE()->GetModules()->GetViewer();
    if (viewer == nullptr) {
        throw std::invalid_argument("the current viewing tab shows no viewer");
    }
    return *viewer;
}

void ViewCommands::Show(wViewer& viewer) {
    viewer.Render();
    m_window.Panel().UpdateLayerProperty();
}

std::string ViewCommands::Camera(const std::string& argument) {
    const std::vector<std::string> words = Words(argument);
    wViewer& viewer = CurrentViewer();
    const std::string what = words.empty() ? "" : wexlan::ToLowerAscii(words[0]);
    const std::pair<const char*, char> kSides[] = {{"anterior", 'A'}, {"posterior", 'P'},
                                                   {"left", 'L'},     {"right", 'R'},
                                                   {"superior", 'S'}, {"inferior", 'I'}};
    vtkCamera* camera = viewer.GetRenderer()->GetActiveCamera();
    if (what == "reset") {
        viewer.ResetCamera();
    } else if (what == "azimuth") {
        camera->Azimuth(Number(words, 1, "camera azimuth"));
    } else if (what == "elevation") {
        camera->Elevation(Number(words, 1, "camera elevation"));
        camera->OrthogonalizeViewUp();
    } else if (what == "zoom") {
        const double factor = Number(words, 1, "camera zoom");
        if (!(factor > 0)) {
            throw std::invalid_argument("camera zoom needs a factor above 0");
        }
        viewer.SetScaleFactor(viewer.GetScaleFactor() * factor);
    } else {
        bool known = false;
        for (const auto& [name, side] : kSides) {
            if (what == name) {
                known = true;
                if (!viewer.ViewFrom(side)) {
                    throw std::invalid_argument("a 2D slice view keeps looking at its slice");
                }
            }
        }
        if (!known) {
            throw std::invalid_argument(
                "camera needs reset, anterior, posterior, left, right, superior, inferior, "
                "azimuth DEG, elevation DEG or zoom FACTOR");
        }
    }
    viewer.GetRenderer()->ResetCameraClippingRange();
    Show(viewer);
    return "";
}

std::string ViewCommands::Slice(const std::string& argument) {
    wViewer& viewer = CurrentViewer();
    wSliceView slice = SliceViewOf(viewer);
    const double index = Number(Words(argument), 0, "slice");
    int range[2];
    slice.GetSliceRange(range);
    if (index != std::floor(index) || index < range[0] || index > range[1]) {
        throw std::invalid_argument("slice needs a whole number from " + std::to_string(range[0]) +
                                    " to " + std::to_string(range[1]));
    }
    slice.SetSlice(static_cast<int>(index));
    Show(viewer);
    return "";
}

std::string ViewCommands::Window(const std::string& argument) {
    wViewer& viewer = CurrentViewer();
    wSliceView slice = SliceViewOf(viewer);
    const std::vector<std::string> words = Words(argument);
    if (!slice.SetWindowLevel(Number(words, 0, "window"), Number(words, 1, "window ... level"))) {
        throw std::invalid_argument("window needs a width above 0");
    }
    Show(viewer);
    return "";
}

std::string ViewCommands::Mouse(const std::string& argument) {
    const std::vector<std::string> words = Words(argument);
    vtkRenderWindowInteractor* interactor = m_window.Tabs().CurrentInteractor();
    if (interactor == nullptr) {
        throw std::invalid_argument("there is no viewing tab");
    }
    const auto at = [&](double x, double y) {
        interactor->SetEventInformationFlipY(static_cast<int>(std::lround(x)),
                                             static_cast<int>(std::lround(y)));
    };
    const std::string what = words.empty() ? "" : words[0];
    if (what == "move") {
        at(Number(words, 1, "mouse move"), Number(words, 2, "mouse move"));
        interactor->InvokeEvent(vtkCommand::MouseMoveEvent);
    } else if (what == "click" || what == "drag") {
        // A click is a drag that ends where it starts.
        const int numbers = what == "click" ? 2 : 4;
        double ends[4];
        for (int i = 0; i < 4; ++i) {
            ends[i] = i < numbers ? Number(words, 1 + i, "mouse " + what) : ends[i - 2];
        }
        at(ends[0], ends[1]);
        interactor->InvokeEvent(vtkCommand::MouseMoveEvent);
        interactor->InvokeEvent(vtkCommand::LeftButtonPressEvent);
        constexpr int kSteps = 10;
        for (int step = 1; step <= kSteps; ++step) {
            const double t = static_cast<double>(step) / kSteps;
            at(ends[0] + t * (ends[2] - ends[0]), ends[1] + t * (ends[3] - ends[1]));
            interactor->InvokeEvent(vtkCommand::MouseMoveEvent);
        }
        interactor->InvokeEvent(vtkCommand::LeftButtonReleaseEvent);
    } else if (what == "wheel" && words.size() >= 2 && (words[1] == "up" || words[1] == "down")) {
        const double count = words.size() > 2 ? Number(words, 2, "mouse wheel") : 1;
        if (count < 1 || count > 1000 || count != std::floor(count)) {
            throw std::invalid_argument("mouse wheel needs a count from 1 to 1000");
        }
        for (int i = 0; i < count; ++i) {
            interactor->InvokeEvent(words[1] == "up" ? vtkCommand::MouseWheelForwardEvent
                                                     : vtkCommand::MouseWheelBackwardEvent);
        }
    } else {
        throw std::invalid_argument(
            "mouse needs move X Y, click X Y, drag X1 Y1 X2 Y2 or wheel up|down [N]");
    }
    // The batch interactor has no timers to end the interaction of wheel steps: the
    // command ends it, drawing the full-quality frame.
    wViewer::EndInteractionsIn(interactor->GetRenderWindow());
    // What the mouse changed reaches the sheet and the layer tree through the style's
    // ViewEditedEvent, as a person's mouse does.
    return "";
}

std::string ViewCommands::Key(const std::string& argument) {
    vtkRenderWindowInteractor* interactor = m_window.Tabs().CurrentInteractor();
    if (interactor == nullptr) {
        throw std::invalid_argument("there is no viewing tab");
    }
    if (argument != "Up" && argument != "Down" && argument != "Prior" && argument != "Next") {
        throw std::invalid_argument("key needs Up, Down, Prior or Next");
    }
    interactor->SetKeySym(argument.c_str());
    interactor->InvokeEvent(vtkCommand::KeyPressEvent);
    wViewer::EndInteractionsIn(interactor->GetRenderWindow());  // as after wheel steps
    return "";
}

std::string ViewCommands::Overlay(const std::string&) {
    wViewer& viewer = CurrentViewer();
    viewer.Render();
    const char* const kPositions[8] = {"lower left", "lower right", "upper left", "upper right",
                                       "lower edge", "right edge",  "left edge",  "upper edge"};
    std::string text;
    for (int i = 0; i < 8; ++i) {
        std::string shown = viewer.GetOverlayText(i);
        for (char& c : shown) {
            c = c == '\n' ? '|' : c;  // one line per position
        }
        if (!shown.empty()) {
            text += std::string(kPositions[i]) + ": " + shown + "\n";
        }
    }
    return text;
}

std::string ViewCommands::Module(const std::string& argument) {
    CWexlanModules* modules = m_window.Panel().GetEXE()->GetModules();
    const std::vector<std::string> words = Words(argument);
    // The longest run of first words that names a module.
    for (std::size_t count = words.size(); count > 0; --count) {
        std::string name;
        for (std::size_t i = 0; i < count; ++i) {
            name += (i > 0 ? " " : "") + words[i];
        }
        const int id = modules->FindModule(name);
        if (id < 0) {
            continue;
        }
        if (count == words.size()) {
            throw std::invalid_argument("module " + name + " needs a command");
        }
        modules->Command(id, words[count], {words.begin() + count + 1, words.end()});
        m_window.RefreshViews();
        return "";
    }
    throw std::invalid_argument("no module called \"" + argument + "\"");
}

std::string ViewCommands::Measure(const std::string& argument) {
    const std::vector<std::string> words = Words(argument);
    const std::string what = words.empty() ? "" : words[0];
    if (what != "distance" && what != "angle") {
        throw std::invalid_argument(
            "measure needs distance [X1 Y1 Z1 X2 Y2 Z2] or angle [X1 Y1 Z1 X2 Y2 Z2 X3 Y3 Z3]");
    }
    const auto kind =
        what == "distance" ? wMeasureLayer::Kind::Distance : wMeasureLayer::Kind::Angle;
    wViewer& viewer = CurrentViewer();
    if (words.size() == 1) {
        // The next clicks in the view place the points, as Tools › Measure does.
        vtkRenderWindowInteractor* interactor = m_window.Tabs().CurrentInteractor();
        auto* style = interactor != nullptr
                          ? wViewerInteractorStyle::SafeDownCast(interactor->GetInteractorStyle())
                          : nullptr;
        if (style == nullptr) {
            throw std::invalid_argument("there is no viewing tab");
        }
        style->StartMeasuring(kind);
        return "click " + std::to_string(wMeasureLayer::PointCount(kind)) + " points in the view";
    }
    const std::size_t count = wMeasureLayer::PointCount(kind);
    std::vector<wMeasureLayer::Point> points(count);
    for (std::size_t i = 0; i < 3 * count; ++i) {
        points[i / 3][i % 3] = Number(words, 1 + i, "measure " + what);
    }
    if (words.size() > 1 + 3 * count) {
        throw std::invalid_argument("measure " + what + " takes " + std::to_string(3 * count) +
                                    " numbers");
    }
    wMeasureLayer* layer = wMeasureLayer::AddTo(viewer, kind, points);
    m_window.RefreshViews();  // the picture, the new layer in the tree, the sheet
    return layer->GetLayerName() + ": " + layer->GetValueText();
}
