#include "VtkMessageCapture.h"

#include <vtkLogger.h>
#include <vtkObjectFactory.h>
#include <vtkOutputWindow.h>
#include <vtkSmartPointer.h>

#include <iostream>
#include <mutex>
#include <streambuf>

namespace wexlan::io {

namespace {

thread_local VtkMessageCapture* t_capture = nullptr;

std::mutex& InstallLock() {
    static std::mutex lock;
    return lock;
}
int g_activeCaptures = 0;  // guarded by InstallLock()
int g_savedLogVerbosity = 0;

class RoutingOutputWindow : public vtkOutputWindow {
public:
    static RoutingOutputWindow* New();
    vtkTypeMacro(RoutingOutputWindow, vtkOutputWindow);

    vtkSmartPointer<vtkOutputWindow> previous;

    void DisplayText(const char* text) override {
        if (OthersWindow* window = WindowForOthers()) {
            window->DisplayText(text);
        } else if (VtkMessageCapture::Current() == nullptr) {
            Superclass::DisplayText(text);
        }
    }
    void DisplayErrorText(const char* text) override {
        if (VtkMessageCapture* capture = VtkMessageCapture::Current()) {
            capture->AddError(text != nullptr ? text : "");
        } else if (OthersWindow* window = WindowForOthers()) {
            window->DisplayErrorText(text);
        } else {
            Superclass::DisplayErrorText(text);
        }
    }
    void DisplayWarningText(const char* text) override {
        if (OthersWindow* window = WindowForOthers()) {
            window->DisplayWarningText(text);
        } else if (VtkMessageCapture::Current() == nullptr) {
            Superclass::DisplayWarningText(text);
        }
    }
    void DisplayGenericWarningText(const char* text) override {
        if (OthersWindow* window = WindowForOthers()) {
            window->DisplayGenericWarningText(text);
        } else if (VtkMessageCapture::Current() == nullptr) {
            Superclass::DisplayGenericWarningText(text);
        }
    }
    void DisplayDebugText(const char* text) override {
        if (OthersWindow* window = WindowForOthers()) {
            window->DisplayDebugText(text);
        } else if (VtkMessageCapture::Current() == nullptr) {
            Superclass::DisplayDebugText(text);
        }
    }

private:
    using OthersWindow = vtkOutputWindow;
    // A capturing thread's texts other than errors are dropped. Another thread's go to
    // the window installed before while a capture keeps the logger quiet (null
    // otherwise: this window then behaves as VTK's own, which leaves to the logger
    // what it logged).
    vtkOutputWindow* WindowForOthers() const {
        if (VtkMessageCapture::Current() != nullptr) {
            return nullptr;
        }
        const std::lock_guard<std::mutex> hold(InstallLock());
        return g_activeCaptures > 0 ? previous.Get() : nullptr;
    }
};

vtkStandardNewMacro(RoutingOutputWindow);

// Unbuffered: every write goes straight to the capture of the writing thread or to the
// buffer that was there before, so threads never share state here.
class RoutingStreamBuffer : public std::streambuf {
public:
    explicit RoutingStreamBuffer(std::streambuf* previous) : m_previous(previous) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        if (VtkMessageCapture* capture = VtkMessageCapture::Current()) {
            capture->Stream().put(traits_type::to_char_type(c));
            return c;
        }
        return m_previous->sputc(traits_type::to_char_type(c));
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        if (VtkMessageCapture* capture = VtkMessageCapture::Current()) {
            capture->Stream().write(text, count);
            return count;
        }
        return m_previous->sputn(text, count);
    }
    int sync() override { return VtkMessageCapture::Current() ? 0 : m_previous->pubsync(); }

private:
    std::streambuf* m_previous;
};

// Installed once for the process (the streams keep pointing at these buffers).
void InstallStreamRouting() {
    // Never destroyed: the standard streams are flushed at exit after every static of
    // this library is gone, and they must still find their buffers then.
    std::cout.rdbuf(new RoutingStreamBuffer(std::cout.rdbuf()));
    std::cerr.rdbuf(new RoutingStreamBuffer(std::cerr.rdbuf()));
    std::clog.rdbuf(new RoutingStreamBuffer(std::clog.rdbuf()));
}

}  // namespace

VtkMessageCapture::VtkMessageCapture() : m_previous(t_capture) {
    {
        const std::lock_guard<std::mutex> hold(InstallLock());
        static std::once_flag streams;
        std::call_once(streams, InstallStreamRouting);
        // Installed again if someone replaced it since.
        if (RoutingOutputWindow::SafeDownCast(vtkOutputWindow::GetInstance()) == nullptr) {
            auto window = vtkSmartPointer<RoutingOutputWindow>::New();
            window->previous = vtkOutputWindow::GetInstance();
            vtkOutputWindow::SetInstance(window);
        }
        if (g_activeCaptures++ == 0) {
            g_savedLogVerbosity = vtkLogger::GetCurrentVerbosityCutoff();
            vtkLogger::SetStderrVerbosity(vtkLogger::VERBOSITY_OFF);
        }
    }
    t_capture = this;
}

VtkMessageCapture::~VtkMessageCapture() {
    t_capture = m_previous;
    const std::lock_guard<std::mutex> hold(InstallLock());
    if (--g_activeCaptures == 0) {
        vtkLogger::SetStderrVerbosity(static_cast<vtkLogger::Verbosity>(g_savedLogVerbosity));
    }
}

VtkMessageCapture* VtkMessageCapture::Current() {
    return t_capture;
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
