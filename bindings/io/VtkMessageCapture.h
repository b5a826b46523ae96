#pragma once
// Keeps VTK (and the libraries under its readers) from printing on the terminal.
//
// While an instance lives, VTK's output window is replaced by one that records the
// messages, VTK's logger writes nothing on stderr (VTK 9 logs every error that no
// observer takes), and std::cout, std::cerr and std::clog write into a buffer (the
// MetaImage library reports its errors on std::cerr). The destructor restores all. Instances
// nest: the innermost one receives the messages. Use on the thread that reads only.

#include <vtkSmartPointer.h>

#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

class vtkOutputWindow;

namespace wexlan::io {

class VtkMessageCapture {
public:
    VtkMessageCapture();
    ~VtkMessageCapture();
    VtkMessageCapture(const VtkMessageCapture&) = delete;
    VtkMessageCapture& operator=(const VtkMessageCapture&) = delete;

    /// Error texts sent to VTK's output window, in order.
    const std::vector<std::string>& Errors() const;
    /// What was written on the standard streams.
    std::string StreamText() const { return m_streamText.str(); }

private:
    vtkSmartPointer<vtkOutputWindow> m_previousWindow;
    vtkSmartPointer<vtkOutputWindow> m_window;
    std::stringstream m_streamText;
    std::streambuf* m_previousCout;
    std::streambuf* m_previousCerr;
    std::streambuf* m_previousClog;
    int m_previousLogVerbosity;
};

/// The message part of a VTK error text ("ERROR: In file, line N\nclass (0x..): what")
/// without the source location and object address.
std::string CleanVtkMessage(const std::string& text);

}  // namespace wexlan::io
