#pragma once
// Keeps VTK from printing on the terminal, internal to WexlanRendering.
//
// VTK reports a problem of an object through the object's ErrorEvent/WarningEvent
// when someone observes it, and otherwise through its logger (on stderr) and its
// output window. While an instance lives, the output window is replaced by one that
// records the texts, and Watch makes the instance observe given objects, so their
// complaints are recorded instead of logged. The destructor removes the observers and
// puts the previous window back. Used around the few VTK calls that may complain
// about the data they are given (surface extraction, snapshots): a host's terminal
// stays clean and a failure can still be explained from the recorded text.

#include <vtkSmartPointer.h>

#include <string>
#include <utility>
#include <vector>

class vtkCallbackCommand;
class vtkObject;
class vtkOutputWindow;

class wVtkQuiet {
public:
    wVtkQuiet();
    ~wVtkQuiet();
    wVtkQuiet(const wVtkQuiet&) = delete;
    wVtkQuiet& operator=(const wVtkQuiet&) = delete;

    /// Records the errors and warnings of `object` while this instance lives (keeping
    /// a reference to it until then).
    void Watch(vtkObject* object);

    /// The error and warning texts recorded so far, one per line, each without VTK's
    /// source location and object address ("Unable to open file x.png").
    std::string Messages() const;

private:
    vtkSmartPointer<vtkOutputWindow> m_previous;
    vtkSmartPointer<vtkOutputWindow> m_recorder;
    vtkSmartPointer<vtkCallbackCommand> m_observer;
    std::vector<std::pair<vtkSmartPointer<vtkObject>, unsigned long>> m_watched;
    std::string m_eventText;
};
