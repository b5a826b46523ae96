#include "Prompts.h"

#include <utility>

#include "QtPrompts.h"

namespace wexlan {

namespace {

// The only global of the prompt service: the installed instance.
std::unique_ptr<Prompts>& Installed() {
    static std::unique_ptr<Prompts> prompts;
    return prompts;
}

}  // namespace

Prompts::~Prompts() = default;

std::vector<std::string> Prompts::OpenFileNames(const std::string& filterText,
                                                const std::string& initialFolder,
                                                const FileDialogOptions& options) {
    std::string path = OpenFileName(filterText, initialFolder, options);
    return path.empty() ? std::vector<std::string>() : std::vector<std::string>{std::move(path)};
}

Prompts& Prompts::Instance() {
    if (!Installed()) {
        Installed() = std::make_unique<QtPrompts>();
    }
    return *Installed();
}

std::unique_ptr<Prompts> Prompts::Install(std::unique_ptr<Prompts> prompts) {
    return std::exchange(Installed(), std::move(prompts));
}

ScopedPrompts::ScopedPrompts(std::unique_ptr<Prompts> prompts)
    : m_installed(prompts.get()), m_previous(Prompts::Install(std::move(prompts))) {}

ScopedPrompts::~ScopedPrompts() {
    Prompts::Install(std::move(m_previous));
}

}  // namespace wexlan
