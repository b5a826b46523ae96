#pragma once

#include <string>

#include "wexlanplatform_export.h"

namespace wexlan {

/// One dynamically loaded library (a plug-in module or a hardware resource).
///
/// The object owns the loader's reference: Free() or the destructor gives it back, after which
/// every function pointer obtained through Symbol() dangles. Objects can be moved but not copied,
/// so exactly one of them frees a given reference.
///
/// Libraries are only ever loaded by absolute path, never through the loader's search path, so
/// that a plug-in folder cannot pick up a same-named library from elsewhere. Loading resolves every
/// symbol at once (a library with unresolved references fails to load instead of crashing later)
/// and keeps the library's symbols to itself, so two plug-ins exporting the same entry-point names
/// do not interfere.
class WEXLANPLATFORM_EXPORT DynamicLibrary {
public:
    DynamicLibrary() = default;
    ~DynamicLibrary();

    DynamicLibrary(const DynamicLibrary&) = delete;
    DynamicLibrary& operator=(const DynamicLibrary&) = delete;
    /// The moved-from object is left empty (not loaded, empty path and error text).
    DynamicLibrary(DynamicLibrary&& other) noexcept;
    /// Frees the library this object held before taking over the other's.
    DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;

    /// Loads the library at absolutePath. A library this object already holds is freed first,
    /// whether or not the new one loads. Before the loader sees the file, CheckLibraryFile()
    /// (LibraryFile.h) makes sure it is a complete ELF shared library of this machine: the loader
    /// would hang on a FIFO and crash (SIGBUS) on a library cut short. Returns false, and keeps
    /// the reason in ErrorText(), when the path is not absolute (a bare name or a relative path is
    /// refused without asking the loader), when the check refuses the file (missing, not a regular
    /// file, not ELF, built for another machine, truncated) or when the loader fails (unresolved
    /// symbols, a missing dependency). The file is checked and then loaded by its path: replacing
    /// it in between is not guarded against. Never throws.
    bool Load(const std::string& absolutePath);

    /// The address of the exported symbol called name, looked up anew on each call (nothing is
    /// cached, so a caller that asks for an entry point just before calling it always gets the
    /// library's current answer). Returns null when no library is loaded or the symbol is missing;
    /// ErrorText() then tells why. Never throws.
    void* Symbol(const std::string& name) const;

    /// Gives the library back to the loader; does nothing when none is loaded. The path is
    /// forgotten, the error text kept.
    void Free();

    bool IsLoaded() const { return m_handle != nullptr; }

    /// The path given to the last successful Load(); empty when nothing is loaded.
    const std::string& Path() const { return m_path; }

    /// Why the last Load() or Symbol() failed (for example "/x/a.so is built for aarch64, not
    /// x86_64" or the loader's "/x/a.so: undefined symbol: GetName"); empty when the most recent
    /// of these calls succeeded.
    const std::string& ErrorText() const { return m_errorText; }

    /// Takes over a reference that was obtained from the loader elsewhere (dlopen, or the
    /// NativeHandle() of an object that then gave it up with Release()), so that this object
    /// frees it. A null handle gives an empty object.
    static DynamicLibrary Adopt(void* nativeHandle, const std::string& path);

    /// Hands the loader's reference to the caller, who must free it; the object is left empty.
    void* Release();

    /// The loader's own handle (as dlopen returned it), for callers that must hand a library
    /// handle on; null when nothing is loaded. Ownership stays with this object.
    void* NativeHandle() const { return m_handle; }

private:
    void* m_handle = nullptr;
    std::string m_path;
    /// Symbol() is a query, yet it records why a lookup failed.
    mutable std::string m_errorText;
};

}  // namespace wexlan
