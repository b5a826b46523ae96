#include "wFileReader.h"

#include <vtkDataSet.h>

#include <exception>
#include <new>
#include <stdexcept>

#include "DicomHeader.h"
#include "FormatTable.h"
#include "MappedFile.h"
#include "OutputType.h"
#include "ReadError.h"
#include "ReadProgress.h"
#include "VtkMessageCapture.h"

namespace wexlan::io {
namespace {

const FileFormat& FormatAt(int index) {
    const auto& formats = SupportedFormats();
    if (index < 0 || index >= static_cast<int>(formats.size())) {
        throw std::invalid_argument("wFileReader: no supported file format with index " +
                                    std::to_string(index));
    }
    return formats[static_cast<std::size_t>(index)];
}

std::string SupportedExtensionList() {
    std::string list;
    for (const FileFormat& f : SupportedFormats()) {
        list += list.empty() ? "." : ", .";
        list += f.extension;
    }
    return list;
}

std::string ExtensionOf(const std::string& path) {
    const auto slash = path.find_last_of("/\\");
    const auto dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return {};
    }
    return path.substr(dot);
}

}  // namespace
}  // namespace wexlan::io

using wexlan::io::FileFormat;

wFileReader::wFileReader() = default;
wFileReader::~wFileReader() = default;

void wFileReader::SetFilename(const std::string& path) {
    m_filename = path;
}

int wFileReader::Read() {
    m_output = nullptr;
    m_outputType = NoOutput;
    m_errorMessage.clear();

    const std::string name = m_filename.empty() ? std::string("(no file name)") : m_filename;
    // Everything below reports to and checks this (see ReadProgress.h).
    wexlan::io::ReadProgress progress(m_progress, m_cancel);
    std::string reason;
    try {
        progress.ThrowIfCancelled();
        if (m_filename.empty()) {
            throw wexlan::io::ReadError("no file name was given");
        }
        const FileFormat* format = wexlan::io::FindFormat(m_filename);
        if (format == nullptr) {
            // The file's own problems (missing, folder) are the clearer message.
            wexlan::io::MappedFile::CheckedFileSize(m_filename, true);
            // DICOM files are often named by a number or a UID, without extension.
            if (wexlan::io::LooksLikeDicom(m_filename)) {
                format = &wexlan::io::DicomFormat();
            }
        }
        if (format == nullptr) {
            const std::string ext = wexlan::io::ExtensionOf(m_filename);
            if (ext.empty()) {
                throw wexlan::io::ReadError(
                    "the file name has no extension, so its format is unknown (supported: " +
                    wexlan::io::SupportedExtensionList() + ")");
            }
            throw wexlan::io::ReadError("files ending in \"" + ext +
                                        "\" are not a supported format (supported: " +
                                        wexlan::io::SupportedExtensionList() + ")");
        }
        // Own parsers print nothing; VTK's readers and the libraries under them might,
        // so everything they say on this thread is captured for the message instead.
        wexlan::io::VtkMessageCapture capture;
        vtkSmartPointer<vtkDataSet> data = format->read(m_filename);
        // A cancel that came after the last check still fails the read: the caller
        // expects no data once it asked for none.
        progress.ThrowIfCancelled();
        if (!data) {
            throw wexlan::io::ReadError("no data could be read");
        }
        m_output = data;
        m_outputType = wexlan::io::ClassifyOutput(data, format->markers);
        progress.Finish();
        return 1;
    } catch (const wexlan::io::ReadError& e) {
        reason = e.what();
    } catch (const std::bad_alloc&) {
        reason = "not enough memory to read the file (its sizes may be damaged)";
    } catch (const std::exception& e) {
        reason = std::string("the file could not be read (") + e.what() + ")";
    } catch (...) {
        reason = "the file could not be read (unexpected failure)";
    }
    // A parser may have caught the cancel and failed in its own words.
    if (progress.CancelRequested()) {
        reason = "cancelled";
    }
    m_errorMessage = name + ": " + reason;
    return 0;
}

vtkDataSet* wFileReader::GetOutput() {
    return m_output;
}

int wFileReader::GetNumberOfSupportedFileFormat() const {
    return static_cast<int>(wexlan::io::SupportedFormats().size());
}

std::string wFileReader::GetSupportedFileDesc(int index) const {
    return wexlan::io::FormatAt(index).description;
}

std::string wFileReader::GetSupportedFileExt(int index) const {
    return wexlan::io::FormatAt(index).extension;
}
