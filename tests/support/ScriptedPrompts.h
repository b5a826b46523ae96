#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Prompts.h"

namespace wexlan {

/// Which Prompts call was made.
enum class PromptKind { Message, OpenFile, SaveFile, BrowseFolder, Color, Save };

/// One recorded Prompts call: what was asked and what was answered.
struct PromptCall {
    PromptKind kind = PromptKind::Message;
    std::string text;                             ///< message text, or the folder browser's title
    MessageButtons buttons = MessageButtons::Ok;  ///< message boxes only
    std::string detail;                           ///< message boxes only: the reason, if given
    std::string filterText;                       ///< file dialogs only, exactly as passed
    std::string initialFolder;                    ///< file dialogs and the folder browser
    FileDialogOptions options;                    ///< file dialogs only
    MessageAnswer answer = MessageAnswer::Ok;     ///< what a message box returned
    std::string result;                           ///< what a dialog returned ("" = cancelled)
    unsigned int initialColor = 0;                ///< the colour chooser only: its start
    std::optional<unsigned int> color;            ///< what the colour chooser returned
    SaveAnswer saveAnswer = SaveAnswer::Cancel;   ///< what the save question returned
};

/// Prompts for tests: nobody is asked. Every call is recorded in order, and each kind takes
/// the next answer from its own queue (open and save dialogs share one); message answers are
/// returned as queued even when they do not fit the buttons. With its queue empty a call gets
/// the safe answer: Ok for an Ok box, No for a Yes/No question, "" or no colour (cancelled),
/// Cancel for the save question (its text is recorded as a message's).
class ScriptedPrompts final : public Prompts {
public:
    void QueueAnswer(MessageAnswer answer) { m_answers.push_back(answer); }
    void QueueFileName(const std::string& path) { m_fileNames.push_back(path); }
    void QueueFolder(const std::string& folder) { m_folders.push_back(folder); }
    void QueueColor(std::optional<unsigned int> color) { m_colors.push_back(color); }
    void QueueSaveAnswer(SaveAnswer answer) { m_saveAnswers.push_back(answer); }

    MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons,
                              const std::string& detail) override;
    using Prompts::ShowMessage;
    SaveAnswer AskToSave(const std::string& text) override;
    std::string OpenFileName(const std::string& filterText, const std::string& initialFolder,
                             const FileDialogOptions& options) override {
        return FileDialog(PromptKind::OpenFile, filterText, initialFolder, options);
    }
    std::string SaveFileName(const std::string& filterText, const std::string& initialFolder,
                             const FileDialogOptions& options) override {
        return FileDialog(PromptKind::SaveFile, filterText, initialFolder, options);
    }
    std::string BrowseFolder(const std::string& title, const std::string& initialFolder) override;
    std::optional<unsigned int> ChooseColor(unsigned int initial) override;

    /// Every call so far, oldest first.
    const std::vector<PromptCall>& Calls() const { return m_calls; }
    /// The texts of the message boxes shown so far, oldest first.
    std::vector<std::string> MessageTexts() const;
    /// How many queued answers, file names and folders no call has taken yet.
    std::size_t UnusedAnswers() const;

private:
    std::string FileDialog(PromptKind kind, const std::string& filterText,
                           const std::string& initialFolder, const FileDialogOptions& options);
    PromptCall& Record(PromptKind kind);

    std::deque<MessageAnswer> m_answers;
    std::deque<std::string> m_fileNames;
    std::deque<std::string> m_folders;
    std::deque<std::optional<unsigned int>> m_colors;
    std::deque<SaveAnswer> m_saveAnswers;
    std::vector<PromptCall> m_calls;
};

/// Installs a fresh ScriptedPrompts for the lifetime of the object, then puts the previous
/// Prompts back.
class ScopedScriptedPrompts {
public:
    ScopedScriptedPrompts();

    ScriptedPrompts& operator*() const { return *m_scripted; }
    ScriptedPrompts* operator->() const { return m_scripted; }

private:
    explicit ScopedScriptedPrompts(std::unique_ptr<ScriptedPrompts> scripted);

    ScriptedPrompts* m_scripted;  ///< owned by the installation that m_scope manages
    ScopedPrompts m_scope;
};

}  // namespace wexlan
