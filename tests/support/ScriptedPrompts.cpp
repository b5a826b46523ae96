#include "ScriptedPrompts.h"

#include <utility>

namespace wexlan {

namespace {

template <typename T>
T TakeOr(std::deque<T>& queue, T fallback) {
    if (queue.empty()) {
        return fallback;
    }
    T next = std::move(queue.front());
    queue.pop_front();
    return next;
}

}  // namespace

PromptCall& ScriptedPrompts::Record(PromptKind kind) {
    PromptCall& call = m_calls.emplace_back();
    call.kind = kind;
    return call;
}

MessageAnswer ScriptedPrompts::ShowMessage(const std::string& text, MessageButtons buttons,
                                           const std::string& detail) {
    PromptCall& call = Record(PromptKind::Message);
    call.text = text;
    call.buttons = buttons;
    call.detail = detail;
    call.answer =
        TakeOr(m_answers, buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok);
    return call.answer;
}

SaveAnswer ScriptedPrompts::AskToSave(const std::string& text) {
    PromptCall& call = Record(PromptKind::Save);
    call.text = text;
    call.saveAnswer = TakeOr(m_saveAnswers, SaveAnswer::Cancel);
    return call.saveAnswer;
}

std::string ScriptedPrompts::BrowseFolder(const std::string& title,
                                          const std::string& initialFolder) {
    PromptCall& call = Record(PromptKind::BrowseFolder);
    call.text = title;
    call.initialFolder = initialFolder;
    call.result = TakeOr(m_folders, std::string());
    return call.result;
}

std::optional<unsigned int> ScriptedPrompts::ChooseColor(unsigned int initial) {
    PromptCall& call = Record(PromptKind::Color);
    call.initialColor = initial;
    call.color = TakeOr(m_colors, std::optional<unsigned int>());
    return call.color;
}

std::string ScriptedPrompts::FileDialog(PromptKind kind, const std::string& filterText,
                                        const std::string& initialFolder,
                                        const FileDialogOptions& options) {
    PromptCall& call = Record(kind);
    call.filterText = filterText;
    call.initialFolder = initialFolder;
    call.options = options;
    call.result = TakeOr(m_fileNames, std::string());
    return call.result;
}

std::vector<std::string> ScriptedPrompts::MessageTexts() const {
    std::vector<std::string> texts;
    for (const PromptCall& call : m_calls) {
        if (call.kind == PromptKind::Message) {
            texts.push_back(call.text);
        }
    }
    return texts;
}

std::size_t ScriptedPrompts::UnusedAnswers() const {
    return m_answers.size() + m_fileNames.size() + m_folders.size() + m_colors.size() +
           m_saveAnswers.size();
}

ScopedScriptedPrompts::ScopedScriptedPrompts()
    : ScopedScriptedPrompts(std::make_unique<ScriptedPrompts>()) {}

ScopedScriptedPrompts::ScopedScriptedPrompts(std::unique_ptr<ScriptedPrompts> scripted)
    : m_scripted(scripted.get()), m_scope(std::move(scripted)) {}

}  // namespace wexlan
