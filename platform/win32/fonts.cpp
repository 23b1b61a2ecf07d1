#include "platform/win32/fonts.h"

#include <cstring>
#include <string>

namespace talvex::win32 {
namespace {

int CALLBACK FoundFamily(const LOGFONTA*, const TEXTMETRICA*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0; // one is enough
}

void CopyFace(LOGFONTA& font, const char* face) {
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfFaceName[LF_FACESIZE - 1] = '\0';
}

} // namespace

bool FontInstalled(const char* face) {
    LOGFONTA wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    CopyFace(wanted, face);
    bool found = false;
    if (HDC screen = GetDC(nullptr)) {
        EnumFontFamiliesExA(screen, &wanted, FoundFamily, reinterpret_cast<LPARAM>(&found), 0);
        ReleaseDC(nullptr, screen);
    }
    return found;
}

ScopedFont CreateNamedFont(const FontRequest& request, int dpi) {
    LOGFONTA font{};
    // A negative height is the character height: points as the type designer counts them.
    font.lfHeight = -MulDiv(request.hundredthsOfPoint, dpi, 72 * 100);
    font.lfWeight = request.bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = request.italic ? TRUE : FALSE;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = CLEARTYPE_QUALITY;
    if (FontInstalled(request.face)) {
        CopyFace(font, request.face);
    } else {
        NONCLIENTMETRICSA metrics{};
        metrics.cbSize = sizeof metrics;
        if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
            CopyFace(font, metrics.lfMessageFont.lfFaceName);
    }
    return ScopedFont(CreateFontIndirectA(&font));
}

bool TextFits(HWND control, HFONT font) {
    RECT client{};
    GetClientRect(control, &client);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
    HDC dc = GetDC(control);
    if (!dc) return true;
    HGDIOBJ old = SelectObject(dc, font);
    RECT needed{0, 0, client.right, 0};
    DrawTextA(dc, text.c_str(), static_cast<int>(text.size()), &needed,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return needed.right <= client.right && needed.bottom <= client.bottom;
}

ScopedFont CreateFittingFont(HWND control, FontRequest request, int dpi) {
    constexpr int kSmallest = 600, kStep = 25;
    ScopedFont font = CreateNamedFont(request, dpi);
    while (font && !TextFits(control, font.get()) && request.hundredthsOfPoint > kSmallest) {
        request.hundredthsOfPoint -= kStep;
        font = CreateNamedFont(request, dpi);
    }
    return font;
}

} // namespace talvex::win32
