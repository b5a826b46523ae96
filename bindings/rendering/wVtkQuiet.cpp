#include "wVtkQuiet.h"

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>

namespace {

// VTK's texts read "ERROR: In file, line N\nclass (0x...): what happened\n\n"; only
// "what happened" is kept.
void AppendLine(std::string& to, const char* text) {
    if (!text) {
        return;
    }
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == ' ')) {
        message.pop_back();
    }
    const auto lineStart = message.rfind('\n');
    if (lineStart != std::string::npos) {
        message.erase(0, lineStart + 1);
    }
    const auto address = message.find("): ");
    if (address != std::string::npos && message.find(" (0x") < address) {
        message.erase(0, address + 3);
    }
    if (!message.empty()) {
        to += message + '\n';
    }
}

class RecordingWindow : public vtkOutputWindow {
public:
    static RecordingWindow* New();
    vtkTypeMacro(RecordingWindow, vtkOutputWindow);

    void DisplayText(const char* text) override { AppendLine(m_text, text); }
    // Debug texts are dropped; errors and warnings end in DisplayText.
    void DisplayDebugText(const char*) override {}

    std::string m_text;
};

vtkStandardNewMacro(RecordingWindow);

void Record(vtkObject*, unsigned long, void* clientData, void* callData) {
    AppendLine(*static_cast<std::string*>(clientData), static_cast<const char*>(callData));
}

}  // namespace

wVtkQuiet::wVtkQuiet()
    : m_previous(vtkOutputWindow::GetInstance()),
      m_recorder(vtkSmartPointer<RecordingWindow>::New()),
      m_observer(vtkSmartPointer<vtkCallbackCommand>::New()) {
    vtkOutputWindow::SetInstance(m_recorder);
    m_observer->SetCallback(&Record);
    m_observer->SetClientData(&m_eventText);
}

wVtkQuiet::~wVtkQuiet() {
    for (const auto& [object, tag] : m_watched) {
        object->RemoveObserver(tag);
    }
    vtkOutputWindow::SetInstance(m_previous);
}

void wVtkQuiet::Watch(vtkObject* object) {
    m_watched.emplace_back(object, object->AddObserver(vtkCommand::ErrorEvent, m_observer));
    m_watched.emplace_back(object, object->AddObserver(vtkCommand::WarningEvent, m_observer));
}

std::string wVtkQuiet::Messages() const {
    return m_eventText + static_cast<RecordingWindow*>(m_recorder.Get())->m_text;
}
