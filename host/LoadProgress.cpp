#include "LoadProgress.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QShortcut>
#include <cmath>
#include <cstdio>
#include <memory>

#include "BackgroundReads.h"

namespace wexlan {
namespace {

QString FileName(const std::string& path) {
    return QFileInfo(QString::fromStdString(path)).fileName();
}

// " (3 of 12)" for a file of a group, "" for a file alone.
QString Place(const ReadStatus& progress) {
    return progress.count > 1
               ? QStringLiteral(" (%1 of %2)").arg(progress.position).arg(progress.count)
               : QString();
}

}  // namespace
}  // namespace wexlan

LoadProgress::LoadProgress(wexlan::BackgroundReads& reads, QWidget* window) {
    setObjectName(QStringLiteral("loadProgress"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_name = new QLabel;
    m_bar = new QProgressBar;
    m_bar->setMaximumWidth(240);
    m_cancel = new QPushButton(tr("Cancel"));
    m_cancel->setObjectName(QStringLiteral("cancelLoadButton"));
    layout->addWidget(m_name);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel);
    hide();
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    m_escape->setEnabled(false);
    // The read may take a while to stop: the indicator says it was asked to.
    const auto cancel = [this, &reads] {
        reads.Cancel();
        m_cancelling = true;
        m_cancel->setEnabled(false);
        m_name->setText(tr("Cancelling..."));
    };
    connect(m_cancel, &QPushButton::clicked, this, cancel);
    connect(m_escape, &QShortcut::activated, this, cancel);

    m_hide.setSingleShot(true);
    m_hide.setInterval(0);
    connect(&m_hide, &QTimer::timeout, this, &QWidget::hide);
    m_showLater.setSingleShot(true);
    m_showLater.setInterval(kShowAfterMs);
    connect(&m_showLater, &QTimer::timeout, this, [this, &reads] { Show(reads.Current()); });
    connect(&reads, &wexlan::BackgroundReads::started, this,
            [this](const wexlan::ReadStatus& progress) {
                m_hide.stop();  // the next file of a group: the indicator stays
                m_escape->setEnabled(true);
                m_cancelling = false;
                m_cancel->setEnabled(true);
                if (isVisible()) {
                    Show(progress);
                } else {
                    m_showLater.start();
                }
            });
    connect(&reads, &wexlan::BackgroundReads::progressed, this,
            [this](const wexlan::ReadStatus& progress) {
                if (isVisible()) {
                    Show(progress);
                }
            });
    connect(
        &reads, &wexlan::BackgroundReads::finished, this,
        [this](const wexlan::ReadStatus& progress, wexlan::BackgroundReads::Outcome outcome,
               const std::string& error) {
            m_escape->setEnabled(false);
            m_showLater.stop();
            m_hide.start();
            using Outcome = wexlan::BackgroundReads::Outcome;
            if (outcome == Outcome::Loaded) {
                emit noted(
                    tr("Opened %1%2")
                        .arg(QString::fromStdString(progress.path), wexlan::Place(progress)));
            } else if (outcome == Outcome::Failed) {
                emit noted(tr("Could not open %1").arg(QString::fromStdString(error)));
            } else {
                const int after = progress.count - progress.position;
                emit noted(tr("Cancelled: %1 was not loaded").arg(wexlan::FileName(progress.path)) +
                           (after == 1  ? tr(", nor the file after it")
                            : after > 1 ? tr(", nor the %1 files after it").arg(after)
                                        : QString()));
            }
        });
}

void LoadProgress::Show(const wexlan::ReadStatus& progress) {
    if (m_cancelling) {
        return;  // "Cancelling..." until the read has stopped
    }
    QString text = tr("Loading %1%2").arg(wexlan::FileName(progress.path), wexlan::Place(progress));
    if (!progress.text.empty()) {
        text += QStringLiteral(": ") + QString::fromStdString(progress.text);
    }
    m_name->setText(text);
    if (progress.fraction > 0) {
        m_bar->setRange(0, 1000);
        m_bar->setValue(static_cast<int>(std::lround(progress.fraction * 1000)));
    } else {
        m_bar->setRange(0, 0);  // nothing reported yet: a busy bar
    }
    show();
}

void PrintProgressOnStandardError(wexlan::BackgroundReads& reads) {
    auto printed = std::make_shared<int>(-1);  // the last percentage printed for this file
    const auto print = [printed](const wexlan::ReadStatus& progress, int percent) {
        *printed = percent;
        std::fprintf(stderr, "progress: %s %d%%\n",
                     wexlan::FileName(progress.path).toUtf8().constData(), percent);
        std::fflush(stderr);
    };
    QObject::connect(&reads, &wexlan::BackgroundReads::started, &reads,
                     [printed](const wexlan::ReadStatus&) { *printed = -1; });
    QObject::connect(&reads, &wexlan::BackgroundReads::progressed, &reads,
                     [printed, print](const wexlan::ReadStatus& progress) {
                         const int percent = static_cast<int>(std::floor(progress.fraction * 100));
                         if (percent > *printed && percent < 100) {
                             print(progress, percent);
                         }
                     });
    QObject::connect(&reads, &wexlan::BackgroundReads::finished, &reads,
                     [print](const wexlan::ReadStatus& progress,
                             wexlan::BackgroundReads::Outcome outcome, const std::string&) {
                         if (outcome == wexlan::BackgroundReads::Outcome::Loaded) {
                             print(progress, 100);
                         }
                     });
}
