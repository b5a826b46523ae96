#include "BatchPrompts.h"

#include "ColorText.h"

std::string BatchPrompts::Take() {
    if (m_answers.empty()) {
        return std::string();
    }
    std::string answer = m_answers.front();
    m_answers.pop_front();
    return answer;
}

wexlan::MessageAnswer BatchPrompts::ShowMessage(const std::string& text,
                                                wexlan::MessageButtons buttons,
                                                const std::string& detail) {
    const std::string answer = Take();
    wexlan::MessageAnswer result = wexlan::MessageAnswer::Ok;
    std::string said = "ok";
    if (buttons == wexlan::MessageButtons::YesNo) {
        const bool yes = answer == "yes";
        result = yes ? wexlan::MessageAnswer::Yes : wexlan::MessageAnswer::No;
        said = yes ? "yes" : "no";
    }
    m_print("prompt: " + text + (detail.empty() ? "" : " (" + detail + ")") + " -> " + said);
    return result;
}

std::string BatchPrompts::Dialog(const std::string& text) {
    std::string answer = Take();
    if (answer == "cancel" || answer == "no" || answer == "yes" || answer == "ok") {
        answer.clear();
    }
    m_print("prompt: " + text + " -> " + (answer.empty() ? "cancel" : answer));
    return answer;
}

std::string BatchPrompts::OpenFileName(const std::string& filterText, const std::string&,
                                       const wexlan::FileDialogOptions&) {
    return Dialog("open file [" + filterText + "]");
}

std::string BatchPrompts::SaveFileName(const std::string& filterText, const std::string&,
                                       const wexlan::FileDialogOptions&) {
    return Dialog("save file [" + filterText + "]");
}

std::string BatchPrompts::BrowseFolder(const std::string& title, const std::string&) {
    return Dialog("choose folder: " + title);
}

std::optional<unsigned int> BatchPrompts::ChooseColor(unsigned int) {
    const std::optional<unsigned int> color = wexlan::ColorFromText(Take());
    m_print("prompt: choose colour -> " + (color ? wexlan::ColorName(*color) : "cancel"));
    return color;
}
