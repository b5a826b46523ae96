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

void ScriptedPrompts::QueueAnswer(MessageAnswer answer) {
    m_Answers.push_back(answer);
}

void ScriptedPrompts::QueueFileName(const std::string& path) {
    m_FileNames.push_back(path);
}

void ScriptedPrompts::QueueFolder(const std::string& folder) {
    m_Folders.push_back(folder);
}

void ScriptedPrompts::QueueColor(std::optional<unsigned int> color) {
    m_Colors.push_back(color);
}

MessageAnswer ScriptedPrompts::ShowMessage(const std::string& text, MessageButtons buttons,
                                           const std::string& detail) {
    PromptCall call;
    call.kind = PromptKind::Message;
    call.text = text;
    call.buttons = buttons;
    call.detail = detail;
    call.answer =
        TakeOr(m_Answers, buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok);
    m_Calls.push_back(call);
    return call.answer;
}

std::string ScriptedPrompts::OpenFileName(const std::string& filterText,
                                          const std::string& initialFolder,
                                          const FileDialogOptions& options) {
    return FileDialog(PromptKind::OpenFile, filterText, initialFolder, options);
}

std::string ScriptedPrompts::SaveFileName(const std::string& filterText,
                                          const std::string& initialFolder,
                                          const FileDialogOptions& options) {
    return FileDialog(PromptKind::SaveFile, filterText, initialFolder, options);
}

std::string ScriptedPrompts::BrowseFolder(const std::string& title,
                                          const std::string& initialFolder) {
    PromptCall call;
    call.kind = PromptKind::BrowseFolder;
    call.text = title;
    call.initialFolder = initialFolder;
    call.result = TakeOr(m_Folders, std::string());
    m_Calls.push_back(call);
    return call.result;
}

std::optional<unsigned int> ScriptedPrompts::ChooseColor(unsigned int initial) {
    PromptCall call;
    call.kind = PromptKind::Color;
    call.initialColor = initial;
    call.color = TakeOr(m_Colors, std::optional<unsigned int>());
    m_Calls.push_back(call);
    return call.color;
}

std::string ScriptedPrompts::FileDialog(PromptKind kind, const std::string& filterText,
                                        const std::string& initialFolder,
                                        const FileDialogOptions& options) {
    PromptCall call;
    call.kind = kind;
    call.filterText = filterText;
    call.initialFolder = initialFolder;
    call.options = options;
    call.result = TakeOr(m_FileNames, std::string());
    m_Calls.push_back(call);
    return call.result;
}

std::vector<std::string> ScriptedPrompts::MessageTexts() const {
    std::vector<std::string> texts;
    for (const PromptCall& call : m_Calls) {
        if (call.kind == PromptKind::Message) {
            texts.push_back(call.text);
        }
    }
    return texts;
}

std::size_t ScriptedPrompts::UnusedAnswers() const {
    return m_Answers.size() + m_FileNames.size() + m_Folders.size() + m_Colors.size();
}

ScopedScriptedPrompts::ScopedScriptedPrompts()
    : ScopedScriptedPrompts(std::make_unique<ScriptedPrompts>()) {}

ScopedScriptedPrompts::ScopedScriptedPrompts(std::unique_ptr<ScriptedPrompts> scripted)
    : m_Scripted(scripted.get()), m_Scope(std::move(scripted)) {}

}  // namespace wexlan
