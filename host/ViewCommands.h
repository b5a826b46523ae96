#pragma once

#include <string>

class MainWindow;
class wViewer;

/// The command language's words for looking at data: the camera, the slice and the
/// window of a 2D view, scripted mouse and key events, the texts a view shows, module
/// commands and measurements. Each call runs one command's argument and returns ""
/// or what to print; it throws std::invalid_argument with the reason when the
/// command cannot run (bad argument, no viewer, not a 2D view).
class ViewCommands {
public:
    explicit ViewCommands(MainWindow& window) : m_window(window) {}

    /// "reset", "anterior", "posterior", "left", "right", "superior", "inferior",
    /// "azimuth DEG", "elevation DEG" or "zoom FACTOR".
    std::string Camera(const std::string& argument);
    /// "N": the current 2D view's slice.
    std::string Slice(const std::string& argument);
    /// "W L": the current 2D view's window and level.
    std::string Window(const std::string& argument);
    /// "move X Y", "click X Y" (left button), "drag X1 Y1 X2 Y2" (left button, in ten
    /// steps), "wheel up|down [N]":
    /// events in the current tab's window, pixels from its upper left corner.
    std::string Mouse(const std::string& argument);
    /// "Up", "Down", "Prior" (Page Up) or "Next" (Page Down), a key pressed over the
    /// last mouse position.
    std::string Key(const std::string& argument);
    /// The current view's corner and edge texts, one "position: text" line each.
    std::string Overlay(const std::string& argument);
    /// "NAME COMMAND...": sends COMMAND to the module called NAME (blanks allowed).
    std::string Module(const std::string& argument);
    /// "distance X1 Y1 Z1 X2 Y2 Z2" or "angle" with three points: adds the measurement to
    /// the current viewer and returns its name and value ("Distance 1: 13.00 mm").
    /// "distance" or "angle" alone: the next clicks in the view place its points.
    std::string Measure(const std::string& argument);

private:
    /// The viewer of the current tab; throws when there is none.
    wViewer& CurrentViewer() const;
    /// Draws the current view and shows its new values in the property sheet.
    void Show(wViewer& viewer);

    MainWindow& m_window;
};
