#include "vtkTools.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include <vtkCallbackCommand.h>
#include <vtkCommand.h>
#include <vtkDataSet.h>
#include <vtkDataSetWriter.h>
#include <vtkImageData.h>
#include <vtkNew.h>
#include <vtkPolyData.h>
#include <vtkRectilinearGrid.h>
#include <vtkSmartPointer.h>
#include <vtkStructuredGrid.h>
#include <vtkUnstructuredGrid.h>
#include <vtkXMLImageDataWriter.h>
#include <vtkXMLPolyDataWriter.h>
#include <vtkXMLRectilinearGridWriter.h>
#include <vtkXMLStructuredGridWriter.h>
#include <vtkXMLUnstructuredGridWriter.h>

#include "wAtomicWrite.h"
#include "wText.h"

namespace {

std::string LowerExtension(const std::string& path) {
    return wexlan::ToLowerAscii(std::filesystem::path(path).extension().string());
}

// Records that a writer reported an error or warning. Having an observer also stops
// VTK from printing the message to the terminal.
void NoteProblem(vtkObject* /*caller*/, unsigned long /*event*/, void* clientData,
                 void* /*callData*/) {
    *static_cast<bool*>(clientData) = true;
}

// Runs `writer` into its output string; false on any problem it reported.
template <typename Writer>
bool RunInMemory(Writer* writer) {
    bool problem = false;
    vtkNew<vtkCallbackCommand> observer;
    observer->SetCallback(NoteProblem);
    observer->SetClientData(&problem);
    writer->AddObserver(vtkCommand::ErrorEvent, observer);
    writer->AddObserver(vtkCommand::WarningEvent, observer);
    writer->SetWriteToOutputString(true);
    const int ok = writer->Write();
    return ok && !problem;
}

bool WriteLegacy(vtkDataSet* data, std::string& bytes) {
    vtkNew<vtkDataSetWriter> writer;
    writer->SetInputData(data);
    writer->SetFileTypeToBinary();
    if (!RunInMemory(writer.Get())) {
        return false;
    }
    // Binary data may hold zero bytes: take the string by its length.
    const char* output = writer->GetOutputString();
    if (!output) {
        return false;
    }
    bytes.assign(output, static_cast<std::size_t>(writer->GetOutputStringLength()));
    return !bytes.empty();
}

template <typename Writer, typename Data>
bool WriteXml(vtkDataSet* data, std::string& bytes) {
    // The XML formats each hold one kind of data set; refuse the others up front
    // rather than let the writer complain.
    if (!Data::SafeDownCast(data)) {
        return false;
    }
    vtkNew<Writer> writer;
    writer->SetInputData(data);
    writer->SetDataModeToAppended();
    if (!RunInMemory(writer.Get())) {
        return false;
    }
    bytes = writer->GetOutputString();
    return !bytes.empty();
}

}  // namespace

bool vtkTools::vtkSave(vtkDataSet* data, const std::string& path) {
    std::string reason;
    return vtkSave(data, path, reason);
}

bool vtkTools::vtkSave(vtkDataSet* data, const std::string& path, std::string& reason) {
    if (!data || path.empty()) {
        reason = !data ? "has no data to save" : "no file name was given";
        return false;
    }
    const std::string extension = LowerExtension(path);
    std::string bytes;
    bool written = false;
    // The file is produced in memory first, so that it can be replaced atomically
    // and a writer failure never touches the disk.
    if (extension == ".vtk") {
        written = WriteLegacy(data, bytes);
    } else if (extension == ".vtp") {
        written = WriteXml<vtkXMLPolyDataWriter, vtkPolyData>(data, bytes);
    } else if (extension == ".vtu") {
        written = WriteXml<vtkXMLUnstructuredGridWriter, vtkUnstructuredGrid>(data, bytes);
    } else if (extension == ".vti") {
        written = WriteXml<vtkXMLImageDataWriter, vtkImageData>(data, bytes);
    } else if (extension == ".vts") {
        written = WriteXml<vtkXMLStructuredGridWriter, vtkStructuredGrid>(data, bytes);
    } else if (extension == ".vtr") {
        written = WriteXml<vtkXMLRectilinearGridWriter, vtkRectilinearGrid>(data, bytes);
    }
    if (!written) {
        reason = "cannot hold this data set in the format of its extension";
        return false;
    }
    return wexlan::AtomicWrite::Write(path, bytes, reason);
}
