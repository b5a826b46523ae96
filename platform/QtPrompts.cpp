#include "QtPrompts.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>
#include <QtGlobal>

#include "FilterText.h"

namespace wexlan {

namespace {

bool HaveScreen() {
    return qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
}

QString ToQt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string FirstSelected(const QFileDialog& dialog) {
    const QStringList files = dialog.selectedFiles();
    return files.isEmpty() ? std::string() : files.first().toStdString();
}

// The files chosen in a save dialog (mode AnyFile) or an open dialog (ExistingFile or
// ExistingFiles); none when cancelled.
std::vector<std::string> RunFileDialog(QFileDialog::FileMode fileMode,
                                       const std::string& filterText,
                                       const std::string& initialFolder,
                                       const FileDialogOptions& options) {
    const bool save = fileMode == QFileDialog::AnyFile;
    const QFileDialog::AcceptMode mode = save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen;
    if (!HaveScreen()) {
        qWarning("%s dialog needs a QApplication; treated as cancelled", save ? "Save" : "Open");
        return {};
    }
    QFileDialog dialog(QApplication::activeWindow());
    dialog.setObjectName(save ? QStringLiteral("saveFileDialog")
                              : QStringLiteral("openFileDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setWindowTitle(!options.caption.empty() ? ToQt(options.caption)
                          : save                   ? QFileDialog::tr("Save As")
                                                   : QFileDialog::tr("Open"));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(fileMode);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !options.promptOverwrite);
    dialog.setNameFilters(QtNameFiltersFromFilterText(filterText));
    if (!initialFolder.empty()) {
        dialog.setDirectory(ToQt(initialFolder));
    }
    dialog.setDefaultSuffix(ToQt(options.defaultExtension));  // Qt drops a leading "."
    if (!options.initialFileName.empty()) {
        dialog.selectFile(ToQt(options.initialFileName));
    }
    // options.hideReadOnly: Qt's dialog has no read-only check box to hide.
    std::vector<std::string> chosen;
    if (dialog.exec() == QDialog::Accepted) {
        for (const QString& file : dialog.selectedFiles()) {
            chosen.push_back(file.toStdString());
        }
    }
    return chosen;
}

std::string OneFile(std::vector<std::string> files) {
    return files.empty() ? std::string() : std::move(files.front());
}

}  // namespace

MessageAnswer QtPrompts::ShowMessage(const std::string& text, MessageButtons buttons,
                                     const std::string& detail) {
    const bool question = buttons == MessageButtons::YesNo;
    if (!HaveScreen()) {
        qWarning("%s: %s %s", kMessageBoxCaption, text.c_str(), detail.c_str());
        return question ? MessageAnswer::No : MessageAnswer::Ok;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageBoxCaption), ToQt(text),
                    question ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("promptMessageBox"));
    if (!detail.empty()) {
        box.setDetailedText(ToQt(detail));
    }
    box.setDefaultButton(question ? QMessageBox::Yes : QMessageBox::Ok);
    box.setEscapeButton(question ? QMessageBox::No : QMessageBox::Ok);
    box.exec();
    if (!question) {
        return MessageAnswer::Ok;
    }
    return box.clickedButton() == box.button(QMessageBox::Yes) ? MessageAnswer::Yes
                                                               : MessageAnswer::No;
}

SaveAnswer QtPrompts::AskToSave(const std::string& text) {
    if (!HaveScreen()) {
        qWarning("%s: %s", kMessageBoxCaption, text.c_str());
        return SaveAnswer::Cancel;
    }
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kMessageBoxCaption), ToQt(text),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel,
                    QApplication::activeWindow());
    box.setObjectName(QStringLiteral("promptMessageBox"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    box.exec();
    if (box.clickedButton() == box.button(QMessageBox::Save)) {
        return SaveAnswer::Save;
    }
    return box.clickedButton() == box.button(QMessageBox::Discard) ? SaveAnswer::Discard
                                                                   : SaveAnswer::Cancel;
}

std::string QtPrompts::OpenFileName(const std::string& filterText, const std::string& initialFolder,
                                    const FileDialogOptions& options) {
    return OneFile(RunFileDialog(QFileDialog::ExistingFile, filterText, initialFolder, options));
}

std::vector<std::string> QtPrompts::OpenFileNames(const std::string& filterText,
                                                  const std::string& initialFolder,
                                                  const FileDialogOptions& options) {
    return RunFileDialog(QFileDialog::ExistingFiles, filterText, initialFolder, options);
}

std::string QtPrompts::SaveFileName(const std::string& filterText, const std::string& initialFolder,
                                    const FileDialogOptions& options) {
    return OneFile(RunFileDialog(QFileDialog::AnyFile, filterText, initialFolder, options));
}

std::string QtPrompts::BrowseFolder(const std::string& title, const std::string& initialFolder) {
    if (!HaveScreen()) {
        qWarning("Folder browser needs a QApplication; treated as cancelled");
        return std::string();
    }
    // What QFileDialog::getExistingDirectory builds, but with an object name.
    QFileDialog dialog(QApplication::activeWindow(), ToQt(title), ToQt(initialFolder));
    dialog.setObjectName(QStringLiteral("browseFolderDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);  // after setFileMode, which clears it
    return dialog.exec() == QDialog::Accepted ? FirstSelected(dialog) : std::string();
}

std::optional<unsigned int> QtPrompts::ChooseColor(unsigned int initial) {
    if (!HaveScreen()) {
        qWarning("Colour chooser needs a QApplication; treated as cancelled");
        return std::nullopt;
    }
    QColorDialog dialog(QColor(initial & 0xFF, (initial >> 8) & 0xFF, (initial >> 16) & 0xFF),
                        QApplication::activeWindow());
    dialog.setObjectName(QStringLiteral("chooseColorDialog"));
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    const QColor chosen = dialog.selectedColor();
    return static_cast<unsigned int>(chosen.red()) |
           (static_cast<unsigned int>(chosen.green()) << 8) |
           (static_cast<unsigned int>(chosen.blue()) << 16);
}

}  // namespace wexlan
