#include "VtkMessageCapture.h"

#include <vtkLogger.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>

#include <iostream>

namespace wexlan::io {

namespace {

class RecordingOutputWindow : public vtkOutputWindow {
public:
    static RecordingOutputWindow* New();
    vtkTypeMacro(RecordingOutputWindow, vtkOutputWindow);

    void DisplayText(const char* text) override { Record(text, false); }
    void DisplayErrorText(const char* text) override { Record(text, true); }
    void DisplayWarningText(const char* text) override { Record(text, false); }
    void DisplayGenericWarningText(const char* text) override { Record(text, false); }
    void DisplayDebugText(const char* text) override { Record(text, false); }

    std::vector<std::string> errors;

private:
    void Record(const char* text, bool error) {
        if (error && text != nullptr) {
            errors.emplace_back(text);
        }
    }
};

vtkStandardNewMacro(RecordingOutputWindow);

}  // namespace

VtkMessageCapture::VtkMessageCapture()
    : m_previousWindow(vtkOutputWindow::GetInstance()),
      m_window(vtkSmartPointer<RecordingOutputWindow>::New()),
      m_previousCout(std::cout.rdbuf(m_streamText.rdbuf())),
      m_previousCerr(std::cerr.rdbuf(m_streamText.rdbuf())),
      m_previousClog(std::clog.rdbuf(m_streamText.rdbuf())),
      m_previousLogVerbosity(vtkLogger::GetCurrentVerbosityCutoff()) {
    vtkOutputWindow::SetInstance(m_window);
    vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_OFF);
}

VtkMessageCapture::~VtkMessageCapture() {
    vtkLogger::SetStderrVerbosity(static_cast<vtkLogger::Verbosity>(m_previousLogVerbosity));
    vtkOutputWindow::SetInstance(m_previousWindow);
    std::cout.rdbuf(m_previousCout);
    std::cerr.rdbuf(m_previousCerr);
    std::clog.rdbuf(m_previousClog);
}

const std::vector<std::string>& VtkMessageCapture::Errors() const {
    return static_cast<RecordingOutputWindow*>(m_window.Get())->errors;
}

std::string CleanVtkMessage(const std::string& text) {
    std::string message = text;
    // "ERROR: In /path/vtkXMLReader.cxx, line 123\nvtkXMLPolyDataReader (0x...): what\n\n"
    if (message.rfind("ERROR: In ", 0) == 0 || message.rfind("Warning: In ", 0) == 0) {
        const auto newline = message.find('\n');
        message = newline == std::string::npos ? std::string() : message.substr(newline + 1);
    }
    const auto marker = message.find("): ");
    if (marker != std::string::npos && marker < 80) {
        message = message.substr(marker + 3);
    }
    // One line, without trailing blank lines or doubled spaces.
    std::string out;
    for (char c : message) {
        if (c == '\n' || c == '\r' || c == '\t') {
            c = ' ';
        }
        if (c == ' ' && (out.empty() || out.back() == ' ')) {
            continue;
        }
        out += c;
    }
    while (!out.empty() && out.back() == ' ') {
        out.pop_back();
    }
    if (out.size() > 300) {
        out = out.substr(0, 300) + "...";
    }
    return out;
}

}  // namespace wexlan::io
