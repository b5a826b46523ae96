#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "wexlanplatform_export.h"

namespace wexlan {

/// Which buttons a message box offers.
enum class MessageButtons { Ok, YesNo };

/// Which button closed a message box.
enum class MessageAnswer { Ok, Yes, No };

/// What to do with unsaved work before it would be lost.
enum class SaveAnswer { Save, Discard, Cancel };

/// How an open or save file dialog is set up beyond its filter and starting folder.
struct FileDialogOptions {
    /// Added, after a ".", to a name typed without extension; "" adds nothing. A leading "." is
    /// ignored, so "vtk" and ".vtk" mean the same.
    std::string defaultExtension;
    /// The name already filled in when the dialog opens; "" for none.
    std::string initialFileName;
    /// Asks to hide the dialog's read-only check box. Qt's dialog has no such box, so this only
    /// matters to a Prompts implementation that has one; it is recorded all the same.
    bool hideReadOnly = false;
    /// Save dialogs: ask before an existing file is chosen. Without it the path is returned at
    /// once and overwriting is the caller's business.
    bool promptOverwrite = false;
    /// The dialog's title; "" for the platform's usual "Open" / "Save As".
    std::string caption;
};

/// The one way through which the control panel talks to the user in dialogs: message boxes, file
/// dialogs, the folder browser and the colour chooser. The product uses QtPrompts; tests install
/// ScriptedPrompts, which records every call and answers from a queue, so no test ever waits for a
/// person.
///
/// All texts are UTF-8. A dialog returns "" when the user cancelled. Calls block until the user
/// answers and must be made on the user-interface thread.
class WEXLANPLATFORM_EXPORT Prompts {
public:
    virtual ~Prompts();

    /// Shows text with the given buttons and returns the button pressed. An Ok box always
    /// returns MessageAnswer::Ok; a Yes/No box returns Yes or No (closing it counts as No).
    /// detail, when not empty, is the reason behind the message (a library's path and the
    /// loader's error, say), offered below the text for the user who wants to know more.
    virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                                      const std::string& detail) = 0;

    /// The same without detail.
    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) {
        return ShowMessage(text, buttons, std::string());
    }

    /// Asks what to do with unsaved work (text: "Save changes to the workspace?") before it
    /// would be lost, with the buttons Save, Discard and Cancel. Cancel, and closing the box,
    /// mean: keep the work and do not go on.
    virtual SaveAnswer AskToSave(const std::string& text) = 0;

    /// Asks for an existing file to open. filterText has the form
    /// "description|pattern|description|pattern|" (see QtNameFiltersFromFilterText);
    /// initialFolder "" leaves the starting folder to the platform. Returns the chosen file's
    /// full path, or "" when cancelled.
    virtual std::string OpenFileName(const std::string& filterText,
                                     const std::string& initialFolder,
                                     const FileDialogOptions& options) = 0;

    /// Asks for one or several existing files to open; arguments as for OpenFileName. Returns
    /// the chosen files' full paths in the dialog's order, none when cancelled. The default
    /// asks through OpenFileName, for one file.
    virtual std::vector<std::string> OpenFileNames(const std::string& filterText,
                                                   const std::string& initialFolder,
                                                   const FileDialogOptions& options);

    /// Asks for a file name to save to; arguments and result as for OpenFileName. The file need
    /// not exist.
    virtual std::string SaveFileName(const std::string& filterText,
                                     const std::string& initialFolder,
                                     const FileDialogOptions& options) = 0;

    /// Asks for a folder; title is shown above the choice. Returns the folder's full path, or ""
    /// when cancelled.
    virtual std::string BrowseFolder(const std::string& title,
                                     const std::string& initialFolder) = 0;

    /// Asks for any colour, starting at initial. Colours are packed red + green * 256 +
    /// blue * 65536 (red in the low byte). Returns the chosen colour, or nothing when cancelled.
    virtual std::optional<unsigned int> ChooseColor(unsigned int initial) = 0;

    /// The installed instance. When none is installed, a QtPrompts is created and installed on
    /// first use. The reference stays valid until the next Install().
    static Prompts& Instance();

    /// Makes prompts the installed instance and hands back the previous one (null when none had
    /// been installed or created yet), so the caller can put it back. Installing null makes the
    /// next Instance() create a fresh QtPrompts. Never throws.
    static std::unique_ptr<Prompts> Install(std::unique_ptr<Prompts> prompts);
};

/// Installs a Prompts for the lifetime of the object and puts the previous one back afterwards.
/// Scopes must nest: the destructor discards whatever is installed at that moment.
class WEXLANPLATFORM_EXPORT ScopedPrompts {
public:
    /// prompts must not be null.
    explicit ScopedPrompts(std::unique_ptr<Prompts> prompts);
    ~ScopedPrompts();

    ScopedPrompts(const ScopedPrompts&) = delete;
    ScopedPrompts& operator=(const ScopedPrompts&) = delete;

    /// The instance this scope installed; it belongs to the installation, not to the caller.
    Prompts& Installed() const { return *m_installed; }

private:
    Prompts* m_installed;
    std::unique_ptr<Prompts> m_previous;
};

}  // namespace wexlan
