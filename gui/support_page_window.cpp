#include "gui/support_page_window.h"

#include "platform/win32/fonts.h"
#include "platform/win32/picture.h"
#include "resources/resources.h"
#include "talvex_version.h"

namespace talvex::win32 {
namespace {

using enum SupportPageWindow::ControlId;

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kFlag = SS_NOTIFY | SS_SUNKEN | WS_TABSTOP; // clickable, framed

// Four columns at 960, 1920, 2880 and 3840, four rows from 840 down by 600, in alphabetical
// order row by row; the last row holds two flags in the middle columns.
// clang-format off
constexpr ChildLayout kSupportChildren[] = {
    {kIdImgHelp, kPictureClassName, RESOURCE_TEXT(IDI_SUPPORT), 0, {360, 120, 480, 480}},
    {kIdLbSupportTitle, "STATIC", "Popular Web Site for Talvex", kLabel, {1080, 240, 3615, 375}},
    {kIdImgAustralia, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_AUSTRALIA), kFlag, {960, 840, 600, 360}},
    {kIdImgCanada, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_CANADA), kFlag, {1920, 840, 600, 360}},
    {kIdImgChina, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_CHINA), kFlag, {2880, 840, 600, 360}},
    {kIdImgDenmark, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_DENMARK), kFlag, {3840, 840, 600, 360}},
    {kIdImgEgypt, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_EGYPT), kFlag, {960, 1440, 600, 360}},
    {kIdImgFrance, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_FRANCE), kFlag, {1920, 1440, 600, 360}},
    {kIdImgGermany, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_GERMANY), kFlag, {2880, 1440, 600, 360}},
    {kIdImgIndia, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_INDIA), kFlag, {3840, 1440, 600, 360}},
    {kIdImgJapan, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_JAPAN), kFlag, {960, 2040, 600, 360}},
    {kIdImgSingapore, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_SINGAPORE), kFlag, {1920, 2040, 600, 360}},
    {kIdImgSweden, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_SWEDEN), kFlag, {2880, 2040, 600, 360}},
    {kIdImgTaiwan, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_TAIWAN), kFlag, {3840, 2040, 600, 360}},
    {kIdImgUK, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_UK), kFlag, {1920, 2640, 600, 360}},
    {kIdImgUSA, kPictureClassName, RESOURCE_TEXT(IDR_FLAG_USA), kFlag, {2880, 2640, 600, 360}},
    {kIdLine1, "STATIC", "", SS_ETCHEDHORZ, {240, 3480, 4800, 30}},
    {kIdLbProduct, "STATIC", "Talvex Adapter Configuration , Version " TALVEX_VERSION, kLabel, {600, 3600, 4575, 255}},
    {kIdLbNotice, "STATIC", "Copyright (C) Talvex Corporation. All rights reserved.", kLabel, {360, 3840, 4575, 375}},
};
// clang-format on

struct FlagClick {
    int id;
    const char* tooltip;
    void (SupportPage::*click)();
};

constexpr FlagClick kFlagClicks[] = {
    {kIdImgAustralia, "Australia", &SupportPage::ImgAustralia_Click},
    {kIdImgCanada, "Canada", &SupportPage::ImgCanada_Click},
    {kIdImgChina, "China", &SupportPage::ImgChina_Click},
    {kIdImgDenmark, "Denmark", &SupportPage::ImgDenmark_Click},
    {kIdImgEgypt, "Egypt", &SupportPage::ImgEgypt_Click},
    {kIdImgFrance, "France", &SupportPage::ImgFrance_Click},
    {kIdImgGermany, "Germany", &SupportPage::ImgGermany_Click},
    {kIdImgIndia, "India", &SupportPage::ImgIndia_Click},
    {kIdImgJapan, "Japan", &SupportPage::ImgJapan_Click},
    {kIdImgSingapore, "Singapore", &SupportPage::ImgSingapore_Click},
    {kIdImgSweden, "Sweden", &SupportPage::ImgSweden_Click},
    {kIdImgTaiwan, "Taiwan", &SupportPage::ImgTaiwan_Click},
    {kIdImgUK, "United Kingdom", &SupportPage::ImgUK_Click},
    {kIdImgUSA, "USA", &SupportPage::ImgUSA_Click},
};

constexpr FontRequest kTitleFont = {"MS Song", 1200, false, false};
constexpr FontRequest kProductFont = {"Book Antiqua", 975, true, true};
constexpr FontRequest kNoticeFont = {"Book Antiqua", 975, false, true};

// The flag with the focus carries the focus mark: a flag is reached with Tab and opened with
// Space or Enter, and the user has to see which one that is.
LRESULT CALLBACK FlagProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                          DWORD_PTR) {
    switch (message) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: InvalidateRect(hwnd, nullptr, FALSE); break;
    case WM_NCDESTROY: RemoveWindowSubclass(hwnd, FlagProc, id); break;
    case WM_PAINT: {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        if (GetFocus() == hwnd) {
            RECT mark{};
            GetClientRect(hwnd, &mark);
            InflateRect(&mark, -1, -1);
            HDC dc = GetDC(hwnd);
            DrawFocusRect(dc, &mark);
            ReleaseDC(hwnd, dc);
        }
        return result;
    }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

void SetFont(HWND control, const ScopedFont& font) {
    if (font) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
}

} // namespace

void SupportPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, kSupportChildren, dpi, font);
    for (const FlagClick& flag : kFlagClicks)
        SetWindowSubclass(Child(flag.id), FlagProc, 1, 0);
    AddTooltips();
}

// Looking fonts up and measuring texts in them costs the first use of fonts in the process,
// which the hidden start-up need not pay.
void SupportPageWindow::BeforeShow() {
    if (!titleFont_) MakeFonts(dpi_);
}

void SupportPageWindow::OnRelayout(int dpi) {
    if (titleFont_) MakeFonts(dpi);
}

// The named fonts are made anew for the DPI; the old ones go only once no label uses them.
void SupportPageWindow::MakeFonts(int dpi) {
    ScopedFont title = CreateFittingFont(Child(kIdLbSupportTitle), kTitleFont, dpi);
    ScopedFont product = CreateFittingFont(Child(kIdLbProduct), kProductFont, dpi);
    ScopedFont notice = CreateFittingFont(Child(kIdLbNotice), kNoticeFont, dpi);
    SetFont(Child(kIdLbSupportTitle), title);
    SetFont(Child(kIdLbProduct), product);
    SetFont(Child(kIdLbNotice), notice);
    titleFont_ = std::move(title);
    productFont_ = std::move(product);
    noticeFont_ = std::move(notice);
}

// Each flag names its country when the mouse rests on it. The tool follows the flag's window,
// so a new layout needs nothing here.
void SupportPageWindow::AddTooltips() {
    tooltips_ = CreateWindowExA(
        WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(frame_, GA_ROOT),
        nullptr, GetModuleHandleA(nullptr), nullptr);
    if (!tooltips_) return;
    for (const FlagClick& flag : kFlagClicks) {
        TTTOOLINFOA tool{};
        tool.cbSize = sizeof tool;
        tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        tool.hwnd = frame_;
        tool.uId = reinterpret_cast<UINT_PTR>(Child(flag.id));
        tool.lpszText = const_cast<char*>(flag.tooltip);
        SendMessageA(tooltips_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    }
}

bool SupportPageWindow::OnCommand(int id, int code) {
    for (const FlagClick& flag : kFlagClicks) {
        if (flag.id != id) continue;
        if (code == STN_CLICKED && page_) (page_->*flag.click)();
        return true;
    }
    return false;
}

} // namespace talvex::win32
