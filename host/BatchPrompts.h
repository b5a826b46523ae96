#pragma once

#include <deque>
#include <functional>
#include <string>
#include <utility>

#include "Prompts.h"

/// The prompts of batch mode: nobody is there to answer, so every message box
/// and dialog takes the next answer queued with the "answer" command ("yes",
/// "no", "ok", "cancel", a path, or for the colour chooser a colour as a colour
/// row takes it: "#ff8000", "orange" or "255, 128, 0", ColorFromText) and is reported as "prompt:
/// TEXT -> ANSWER". Without a queued answer a question is answered No and a dialog is cancelled.
/// The command interpreter drops the answers a command left. Nobody is asked to save unsaved
/// work: it is discarded silently.
class BatchPrompts : public wexlan::Prompts {
public:
    using Printer = std::function<void(const std::string& line)>;
    explicit BatchPrompts(Printer print) : m_print(std::move(print)) {}

    void QueueAnswer(const std::string& answer) { m_answers.push_back(answer); }
    /// The answers no prompt has taken yet, oldest first; the queue is emptied.
    std::deque<std::string> TakeUnusedAnswers() { return std::exchange(m_answers, {}); }

    wexlan::MessageAnswer ShowMessage(const std::string& text, wexlan::MessageButtons buttons,
                                      const std::string& detail) override;
    using Prompts::ShowMessage;
    wexlan::SaveAnswer AskToSave(const std::string&) override {
        return wexlan::SaveAnswer::Discard;
    }
    std::string OpenFileName(const std::string& filterText, const std::string& initialFolder,
                             const wexlan::FileDialogOptions& options) override;
    std::string SaveFileName(const std::string& filterText, const std::string& initialFolder,
                             const wexlan::FileDialogOptions& options) override;
    std::string BrowseFolder(const std::string& title, const std::string& initialFolder) override;
    /// A queued answer that is no colour cancels the chooser.
    std::optional<unsigned int> ChooseColor(unsigned int initial) override;

private:
    /// The next queued answer, or "" when none is queued.
    std::string Take();
    std::string Dialog(const std::string& text);

    Printer m_print;
    std::deque<std::string> m_answers;
};
