// Texts between the code pages and UTF-16, for the wide Win32 functions.
#pragma once

#include "platform/win32/win32.h"

#include <string>
#include <string_view>

namespace talvex::win32 {

// text, bytes of the code page (CP_UTF8, CP_ACP...), as UTF-16.
inline std::wstring WideText(std::string_view text, UINT codePage = CP_UTF8) {
    if (text.empty()) return {};
    const int size = static_cast<int>(text.size());
    const int length = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), length);
    return wide;
}

inline std::string Utf8Text(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int size = static_cast<int>(wide.size());
    const int length =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, text.data(), length, nullptr, nullptr);
    return text;
}

} // namespace talvex::win32
