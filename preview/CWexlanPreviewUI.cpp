#include "CWexlanPreviewUI.h"

#include <QFrame>
#include <QPainter>
#include <QResizeEvent>

#include "GreyPicture.h"
#include "VqSlice.h"

namespace {
constexpr int kFrameMargin = 5;
}

CWexlanPreviewUI::CWexlanPreviewUI(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("previewPanel"));
}

CWexlanPreviewUI::~CWexlanPreviewUI() = default;

bool CWexlanPreviewUI::OnInitDialog() {
    if (m_frame == nullptr) {
        m_frame = new QFrame(this);
        m_frame->setObjectName(QStringLiteral("previewFrame"));
        m_frame->setFrameShape(QFrame::Box);
        m_frame->setStyleSheet(QStringLiteral("QFrame#previewFrame { border: 1px solid black; }"));
        // The picture is painted by the panel itself, under the frame's border.
        m_frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    m_initialised = true;
    PlaceFrame();
    return true;
}

QRect CWexlanPreviewUI::GetPreviewArea() const {
    return m_frame != nullptr ? m_frame->geometry() : QRect();
}

void CWexlanPreviewUI::PlaceFrame() {
    if (m_initialised) {
        m_frame->setGeometry(kFrameMargin, kFrameMargin, width() - 2 * kFrameMargin,
                             height() - 2 * kFrameMargin);
    }
}

void CWexlanPreviewUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    PlaceFrame();
}

void CWexlanPreviewUI::Preview() {
    const bool vq = m_filename.size() >= 2 && m_filename.compare(m_filename.size() - 2, 2, "vq") == 0;
    if (vq) {
        PreviewVQ(m_filename);
    } else {
        NoPreview();
    }
}

void CWexlanPreviewUI::PreviewVQ(const std::string& path) {
    wexlan::VqSlice slice;
    const std::string error = slice.Read(path);
    if (!error.empty()) {
        SetErrMsg(error);
        NoPreview();
        return;
    }
    DrawImageFromDataPtr(slice.values.data(), slice.width, slice.height);
}

void CWexlanPreviewUI::NoPreview() {
    m_picture = QImage();
    m_pictureRect = QRect();
    update();
}

void CWexlanPreviewUI::DrawImageFromDataPtr(const std::uint32_t* values, int width, int height) {
    if (values == nullptr) {
        return;
    }
    m_picture = wexlan::GreyPicture(values, width, height);
    m_pictureRect = wexlan::PicturePlacement(width, height, GetPreviewArea());
    update();
}

void CWexlanPreviewUI::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (m_picture.isNull() || m_pictureRect.isEmpty()) {
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(m_pictureRect, m_picture);
}
