// Windows built from tables of child controls whose geometry is given in twips.
#pragma once

#include "platform/geometry.h"
#include "platform/win32/win32.h"

#include <span>

namespace talvex::win32 {

struct ChildLayout {
    int id;
    const char* className;
    const char* text;
    DWORD style;
    TwipsRect rect;
    DWORD exStyle = 0;
};

inline constexpr int kDefaultDpi = 96;

// The DPI lengths are scaled with: the window's own, or TALVEX_DPI when set (tests use it to
// check the scaling at other densities).
int WindowDpi(HWND hwnd);

// The system's message font, sized for the DPI.
ScopedFont CreateMessageFont(int dpi);

HWND CreateChild(HWND parent, const ChildLayout& layout, int dpi, HFONT font);
void CreateChildren(HWND parent, std::span<const ChildLayout> children, int dpi, HFONT font);
// Moves and sizes the children of the table for another DPI and gives them its font.
void RelayoutChildren(HWND parent, std::span<const ChildLayout> children, int dpi, HFONT font);

// Sizes a fixed top-level window to the given client area and centres it on the work area.
void SizeAndCentre(HWND hwnd, int clientWidthTwips, int clientHeightTwips, int dpi);
// Sizes a fixed top-level window to the given client area at a new DPI, its top-left corner
// where the system suggests (WM_DPICHANGED).
void SizeForDpi(HWND hwnd, int clientWidthTwips, int clientHeightTwips, int dpi,
                const RECT& suggested);

} // namespace talvex::win32
