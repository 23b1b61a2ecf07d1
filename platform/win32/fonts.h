// Fonts a page names by face, size and style, with the message font's face when the named one
// is not installed.
#pragma once

#include "platform/win32/win32.h"

namespace talvex::win32 {

struct FontRequest {
    const char* face;
    int hundredthsOfPoint; // 975 for 9.75 points
    bool bold;
    bool italic;
};

// True when a font family of that name is installed (substitutes don't count).
bool FontInstalled(const char* face);

// The font at the DPI; when its face is missing, the system's message font face at the same
// size and style.
ScopedFont CreateNamedFont(const FontRequest& request, int dpi);

// Whether the control's text, wrapped at word breaks as a label wraps it, fits inside it.
bool TextFits(HWND control, HFONT font);

// The named font for the control, made smaller a quarter point at a time while the control's
// text would not fit in it (a fallback face is often wider than the named one); never below
// six points.
ScopedFont CreateFittingFont(HWND control, FontRequest request, int dpi);

} // namespace talvex::win32
