#pragma once
// Keeps VTK (and the libraries under its readers) from printing on the terminal while
// a read runs, on any thread.
//
// The first capture installs, for the rest of the process, an output window in VTK and
// a stream buffer under std::cout, std::cerr and std::clog that send what a thread
// writes to that thread's innermost capture; threads without one (the user-interface
// thread while a worker reads) keep writing where they wrote before. While any capture
// lives, VTK's logger writes nothing on stderr (VTK 9 logs every error that no observer
// takes, and its stderr output is one setting for the whole process); errors and
// warnings of threads without a capture then go to the output window that was installed
// before, which prints them. What a library writes with printf or on file descriptor 2
// directly is not captured: the descriptors are the process's, and redirecting them
// would swallow the other threads' output (none of the libraries the readers use does
// so for their errors; the MetaImage library writes on std::cerr). Instances nest.

#include <sstream>
#include <string>
#include <vector>

namespace wexlan::io {

class VtkMessageCapture {
public:
    VtkMessageCapture();
    ~VtkMessageCapture();
    VtkMessageCapture(const VtkMessageCapture&) = delete;
    VtkMessageCapture& operator=(const VtkMessageCapture&) = delete;

    /// Error texts the calling thread sent to VTK's output window, in order.
    const std::vector<std::string>& Errors() const { return m_errors; }
    /// What the calling thread wrote on the standard streams.
    std::string StreamText() const { return m_streamText.str(); }

    /// For the routing output window and stream buffer: the calling thread's capture.
    static VtkMessageCapture* Current();
    void AddError(const char* text) { m_errors.emplace_back(text); }
    std::stringstream& Stream() { return m_streamText; }

private:
    VtkMessageCapture* m_previous;
    std::vector<std::string> m_errors;
    std::stringstream m_streamText;
};

/// The message part of a VTK error text ("ERROR: In file, line N\nclass (0x..): what")
/// without the source location and object address.
std::string CleanVtkMessage(const std::string& text);

}  // namespace wexlan::io
