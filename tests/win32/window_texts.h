// A window's caption and class name, as the tests of the Win32 layer read them in-process.
#pragma once

#include "platform/win32/win32.h"

#include <string>

namespace talvex::win32 {

inline std::string Text(HWND hwnd) {
    char text[512] = {};
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

inline std::string Class(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

} // namespace talvex::win32
