#pragma once

#include <cstdint>
#include <string>

#include <QImage>
#include <QRect>
#include <QWidget>

#include "wViewBase.h"
#include "wexlancp_export.h"

class QFrame;

/// A small panel that shows the first slice of a VQ image volume as a grey
/// picture before the file is opened.
///
/// The host creates it (as a child of its own window), calls OnInitDialog once,
/// then SetFilename and Preview whenever the user points at a file. Only names
/// ending in "vq" (lower case) are previewed; any other file clears the panel.
/// A file that cannot be previewed clears the panel too: the reason is kept as
/// the panel's error message (GetErrMsg), never shown in a message box.
///
/// The preview area is a black frame 5 pixels inside the panel's edges; the
/// picture is scaled to fit it, keeping its aspect ratio, and centred. The
/// picture stays until the next file is previewed, or cannot be.
class WEXLANCP_EXPORT CWexlanPreviewUI : public QWidget, public wViewBase {
    Q_OBJECT
public:
    explicit CWexlanPreviewUI(QWidget* parent = nullptr);
    ~CWexlanPreviewUI() override;

    /// Creates the preview frame; until then resizing lays nothing out.
    bool OnInitDialog();

    void SetFilename(const std::string& path) { m_filename = path; }
    std::string GetFilename() const { return m_filename; }

    /// Previews the stored file: PreviewVQ when the name ends in "vq"
    /// (case-sensitive), else NoPreview.
    void Preview();

    /// Reads the VQ file's first slice (wexlan::VqSlice: sub-sampled to at most
    /// VqSlice::kMaxSide values a side) and draws it; on failure (a missing file
    /// included) stores the reason as the error message and clears the picture (an
    /// earlier message stays after a success).
    void PreviewVQ(const std::string& path);

    /// Clears the picture: the file shown is not one the panel can preview.
    void NoPreview();

    /// Draws width x height values (row after row, see wexlan::GreyPicture) in
    /// the preview area; a null pointer does nothing.
    void DrawImageFromDataPtr(const std::uint32_t* values, int width, int height);

    /// The preview area, in panel coordinates (empty before OnInitDialog).
    QRect GetPreviewArea() const;
    /// The picture drawn last (null when none) and where it is drawn.
    const QImage& GetPicture() const { return m_picture; }
    QRect GetPictureRect() const { return m_pictureRect; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void PlaceFrame();

    std::string m_filename;
    bool m_initialised = false;
    QFrame* m_frame = nullptr;
    QImage m_picture;
    QRect m_pictureRect;
};
