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
    : handle_(std::exchange(other.handle_, nullptr)),
      path_(std::move(other.path_)),
      errorText_(std::move(other.errorText_)) {
    other.path_.clear();
    other.errorText_.clear();
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
    if (this != &other) {
        Free();
        handle_ = std::exchange(other.handle_, nullptr);
        path_ = std::move(other.path_);
        errorText_ = std::move(other.errorText_);
        other.path_.clear();
        other.errorText_.clear();
    }
    return *this;
}

bool DynamicLibrary::Load(const std::string& absolutePath) {
    Free();
    errorText_.clear();
    // A name without a leading "/" would make dlopen search LD_LIBRARY_PATH and the system
    // folders (bare name) or resolve against the working directory (relative path).
    if (absolutePath.empty() || absolutePath.front() != '/') {
        errorText_ = "not an absolute library path: \"" + absolutePath + "\"";
        return false;
    }
    errorText_ = CheckLibraryFile(absolutePath);
    if (!errorText_.empty()) {
        return false;
    }
    // Loaded by path, not through /proc/self/fd of the checked descriptor: the loader takes a
    // library's $ORIGIN from the name it is given, and it would also take a later library opened
    // under a reused descriptor number for the one already loaded under that name.
    dlerror();  // forget any failure left over from elsewhere
    void* handle = dlopen(absolutePath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        errorText_ = TakeLoaderError(absolutePath + ": cannot be loaded");
        return false;
    }
    handle_ = handle;
    path_ = absolutePath;
    return true;
}

void* DynamicLibrary::Symbol(const std::string& name) const {
    errorText_.clear();
    if (handle_ == nullptr) {
        errorText_ = "no library loaded (looking for \"" + name + "\")";
        return nullptr;
    }
    dlerror();
    void* address = dlsym(handle_, name.c_str());
    if (address == nullptr) {
        errorText_ = TakeLoaderError(path_ + ": undefined symbol: " + name);
    }
    return address;
}

DynamicLibrary DynamicLibrary::Adopt(void* nativeHandle, const std::string& path) {
    DynamicLibrary library;
    if (nativeHandle != nullptr) {
        library.handle_ = nativeHandle;
        library.path_ = path;
    }
    return library;
}

void* DynamicLibrary::Release() {
    path_.clear();
    return std::exchange(handle_, nullptr);
}

void DynamicLibrary::Free() {
    if (handle_ != nullptr) {
        dlclose(handle_);
        handle_ = nullptr;
    }
    path_.clear();
}

}  // namespace wexlan
