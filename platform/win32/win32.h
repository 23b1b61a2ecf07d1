// The Win32 layer's one door to <windows.h>, and the owners of its handles.
#pragma once

#include <windows.h>
// After <windows.h>, which they rely on:
#include <commctrl.h>
#include <shellapi.h>

#include <string>
#include <utility>

namespace talvex::win32 {

// A non-copyable owner of one handle, closed by its traits when the owner goes away.
template <typename Traits> class ScopedHandle {
  public:
    using handle_type = typename Traits::handle_type;

    ScopedHandle() = default;
    explicit ScopedHandle(handle_type handle) : handle_(handle) {}
    ~ScopedHandle() { reset(); }
    ScopedHandle(ScopedHandle&& other) noexcept : handle_(other.take()) {}
    ScopedHandle& operator=(ScopedHandle&& other) noexcept {
        if (this != &other) reset(other.take());
        return *this;
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    handle_type get() const { return handle_; }
    handle_type take() { return std::exchange(handle_, Traits::Invalid()); }
    void reset(handle_type handle = Traits::Invalid()) {
        if (Traits::IsValid(handle_)) Traits::Close(handle_);
        handle_ = handle;
    }
    explicit operator bool() const { return Traits::IsValid(handle_); }

  private:
    handle_type handle_ = Traits::Invalid();
};

template <typename H, auto CloseFunction> struct NullInvalidTraits {
    using handle_type = H;
    static H Invalid() { return nullptr; }
    static bool IsValid(H handle) { return handle != nullptr; }
    static void Close(H handle) { CloseFunction(handle); }
};

struct KernelHandleTraits : NullInvalidTraits<HANDLE, CloseHandle> {
    static bool IsValid(HANDLE handle) {
        return handle != nullptr && handle != INVALID_HANDLE_VALUE;
    }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedMenu = ScopedHandle<NullInvalidTraits<HMENU, DestroyMenu>>;
using ScopedIcon = ScopedHandle<NullInvalidTraits<HICON, DestroyIcon>>;
inline void CloseFont(HFONT font) {
    DeleteObject(font);
}
using ScopedFont = ScopedHandle<NullInvalidTraits<HFONT, CloseFont>>;
using ScopedWindow = ScopedHandle<NullInvalidTraits<HWND, DestroyWindow>>;
using ScopedModule = ScopedHandle<NullInvalidTraits<HMODULE, FreeLibrary>>;

// The folder of the running program, with its trailing backslash; empty if it can't be told.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    std::string folder(path, length);
    return folder.substr(0, folder.find_last_of("\\/") + 1);
}

} // namespace talvex::win32
