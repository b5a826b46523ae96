#pragma once

#include "Prompts.h"
#include "wexlanplatform_export.h"

namespace wexlan {

/// The caption of every message box of the product.
inline constexpr char kMessageBoxCaption[] = "VARQ";

/// The product's prompts: Qt's widget-based dialogs, modal, parented to the active window so they
/// stay above it. Qt's own dialog is used rather than the desktop's so that default suffix,
/// overwrite confirmation and filters behave the same on every desktop.
///
/// The dialogs carry object names for tests and automation: "promptMessageBox",
/// "openFileDialog", "saveFileDialog", "browseFolderDialog", "chooseColorDialog".
///
/// Without a QApplication there is no screen to ask on: the text is written as a Qt warning and
/// the safe answer is returned (Ok for an Ok box, No for a question, "" for dialogs).
class WEXLANPLATFORM_EXPORT QtPrompts final : public Prompts {
public:
    /// A QMessageBox captioned "VARQ" without icon, with Ok or Yes and No; Yes and Ok are the
    /// default buttons and Escape answers No.
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                              const std::string& detail) override;
    using Prompts::ShowMessage;

    /// A QMessageBox with Save (the default), Discard and Cancel (Escape).
    SaveAnswer AskToSave(const std::string& text) override;

    /// A QFileDialog for an existing file, filtered by QtNameFiltersFromFilterText(filterText).
    std::string OpenFileName(const std::string& filterText, const std::string& initialFolder,
                             const FileDialogOptions& options) override;

    /// The same dialog, in which several files may be chosen.
    std::vector<std::string> OpenFileNames(const std::string& filterText,
                                           const std::string& initialFolder,
                                           const FileDialogOptions& options) override;

    /// A QFileDialog in save mode; it confirms overwriting only when options.promptOverwrite is
    /// set, and adds options.defaultExtension as Qt's default suffix.
    std::string SaveFileName(const std::string& filterText, const std::string& initialFolder,
                             const FileDialogOptions& options) override;

    /// A QFileDialog that shows and accepts folders only.
    std::string BrowseFolder(const std::string& title, const std::string& initialFolder) override;

    /// A QColorDialog starting at initial.
    std::optional<unsigned int> ChooseColor(unsigned int initial) override;
};

}  // namespace wexlan
