#include "DynamicLibrary.h"

#include <dlfcn.h>

#include <utility>

#include "LibraryFile.h"

namespace wexlan {

namespace {

// dlerror() returns the text of the most recent failure and clears it; null when none happened.
std::string TakeLoaderError(const std::string& fallback) {
    const char* text = dlerror();
    return text != nullptr ? std::string(text) : fallback;
}

}  // namespace

DynamicLibrary::~DynamicLibrary() {
    Free();
}

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : m_handle(std::exchange(other.m_handle, nullptr)),
      m_path(std::move(other.m_path)),
      m_errorText(std::move(other.m_errorText)) {
    other.m_path.clear();
    other.m_errorText.clear();
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Free();
        m_handle = std::exchange(other.m_handle, nullptr);
        m_path = std::move(other.m_path);
        m_errorText = std::move(other.m_errorText);
        other.m_path.clear();
        other.m_errorText.clear();
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string& absolutePath) {
    Free();
    m_errorText.clear();
    // A name without a leading "/" would make dlopen search LD_LIBRARY_PATH and the system
    // folders (bare name) or resolve against the working directory (relative path).
    if (absolutePath.empty() || absolutePath.front() != '/') {
        m_errorText = "not an absolute library path: \"" + absolutePath + "\"";
        return false;
    }
    m_errorText = CheckLibraryFile(absolutePath);
    if (!m_errorText.empty()) {
        return false;
    }
    // Loaded by path, not through /proc/self/fd of the checked descriptor: the loader takes a
    // library's $ORIGIN from the name it is given, and it would also take a later library opened
    // under a reused descriptor number for the one already loaded under that name.
    dlerror();  // forget any failure left over from elsewhere
    void* handle = dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        m_errorText = TakeLoaderError(absolutePath + ": cannot be loaded");
        return false;
    }
    m_handle = handle;
    m_path = absolutePath;
    return true;
}

void* DynamicLibrary::Symbol(const std::string& name) const {
    m_errorText.clear();
    if (m_handle == nullptr) {
        m_errorText = "no library loaded (looking for \"" + name + "\")";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(m_handle, name.c_str());
    if (address == nullptr) {
        m_errorText = TakeLoaderError(m_path + ": undefined symbol: " + name);
    }
    return address;
}

DynamicLibrary DynamicLibrary::Adopt(void* nativeHandle, const std::string& path) {
    DynamicLibrary library;
    if (nativeHandle != nullptr) {
        library.m_handle = nativeHandle;
        library.m_path = path;
    }
    return library;
}

void* DynamicLibrary::Release() {
    m_path.clear();
    return std::exchange(m_handle, nullptr);
}

void DynamicLibrary::Free() {
    if (m_handle != nullptr) {
        dlclose(m_handle);
        m_handle = nullptr;
    }
    m_path.clear();
}

}  // namespace wexlan
