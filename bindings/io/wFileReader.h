#pragma once
// wFileReader: reads one data file of any supported format into a VTK data set.
//
//   wFileReader reader;
//   reader.SetFilename("/data/liver.stl");
//   if (!reader.Read()) {
//       ShowError(reader.GetErrorMessage());     // names the file and the reason
//   } else {
//       vtkSmartPointer<vtkDataSet> data = reader.GetOutput();  // keep a reference
//       int type = reader.GetOutputType();        // 16: a surface
//   }
//
// The format is chosen by the file's extension (case does not matter), and a file
// without a known extension that starts like DICOM is read as DICOM; what the data is
// (surface, point cloud, ...) is decided by the content that was read. Opening one
// file of a DICOM series reads the whole series from its folder. A reader can
// be used for any number of files, one after the other; a failed read leaves it ready
// for the next. Nothing is ever printed on the terminal: every problem, including what
// VTK's own readers report, ends up in GetErrorMessage(). Read() may run on any thread,
// one read at a time per reader; readers on different threads may read at once. What
// VTK and the libraries under it write on the reading thread (VTK's output window,
// std::cout, std::cerr, std::clog) is captured for that read; other threads' output is
// left alone (see docs/reader.md, "Progress, cancel and threads").

#include <vtkSmartPointer.h>

#include <atomic>
#include <functional>
#include <string>

#include "wexlanio_export.h"

class vtkDataSet;

class WEXLANIO_EXPORT wFileReader {
public:
    /// What GetOutputType() reports after a successful Read().
    enum OutputType {
        NoOutput = 0,     ///< nothing read yet, or the last Read() failed
        OtherModel = 2,   ///< a model that is neither of the below (unstructured grid, lines)
        Image = 4,        ///< an image volume (vtkImageData)
        Surface = 16,     ///< poly data with polygons or triangle strips
        Markers = 32,     ///< a marker list (landmarks), one vertex per marker
        PointCloud = 64,  ///< poly data with only vertices, or with points and no cells
    };

    wFileReader();
    virtual ~wFileReader();
    wFileReader(const wFileReader&) = delete;
    wFileReader& operator=(const wFileReader&) = delete;

    /// Sets the file that the next Read() reads (a path in UTF-8 bytes).
    void SetFilename(const std::string& path);
    const std::string& GetFilename() const { return m_filename; }

    /// Reads the file set by SetFilename(). Returns non-zero on success. On failure
    /// returns 0, GetOutput() returns null and GetErrorMessage() says why. Never throws.
    virtual int Read();

    /// The data of the last successful Read(), or null. The reader owns it and releases
    /// it at the next Read() or when destroyed: callers that keep it hold their own
    /// reference (vtkSmartPointer<vtkDataSet> data = reader.GetOutput();).
    virtual vtkDataSet* GetOutput();

    /// One of OutputType: 4 image, 16 surface, 32 markers, 64 point cloud, 2 other
    /// models; 0 when there is no output.
    int GetOutputType() const { return m_outputType; }

    /// After a failed Read(): "<path>: <reason>" in words meant for the user, e.g.
    /// "/data/a.ply: line 14: face 3 refers to vertex 120 but the file has 100 vertices".
    /// Empty after a successful Read().
    std::string GetErrorMessage() const { return m_errorMessage; }

    /// The supported formats, one entry per file extension ("nii" and "nii.gz" are two
    /// entries). Indices run from 0 to GetNumberOfSupportedFileFormat() - 1.
    int GetNumberOfSupportedFileFormat() const;
    /// Description of format `index`, e.g. "Stereolithography surface".
    /// Throws std::invalid_argument for an index out of range.
    std::string GetSupportedFileDesc(int index) const;
    /// Extension of format `index` without the dot, in lower case, e.g. "stl", "nii.gz".
    /// Throws std::invalid_argument for an index out of range.
    std::string GetSupportedFileExt(int index) const;

    /// @name Progress and cancel
    /// @{
    /// Called by Read() on the reading thread with the share of the work done (0 to 1,
    /// never decreasing within one Read, exactly 1 once at the end of a successful one)
    /// and a short text of what is being read ("slice 120 of 300"; may be empty). An
    /// empty function (the default): no progress.
    using ProgressCallback = std::function<void(double fraction, const std::string& text)>;
    void SetProgressCallback(ProgressCallback callback) { m_progress = std::move(callback); }
    /// A flag Read() looks at every few milliseconds of work; once it is true the read
    /// stops, releases what it made and fails with "<path>: cancelled". Null (the
    /// default): never cancelled. The flag must outlive every Read() that uses it.
    void SetCancelFlag(const std::atomic<bool>* cancel) { m_cancel = cancel; }
    /// @}

private:
    std::string m_filename;
    vtkSmartPointer<vtkDataSet> m_output;
    int m_outputType = NoOutput;
    std::string m_errorMessage;
    ProgressCallback m_progress;
    const std::atomic<bool>* m_cancel = nullptr;
};
