// The Support page's Win32 controls: its layout table, its fonts and flag tooltips, and the
// flags' clicks routed to SupportPage's handlers.
#pragma once

#include "gui/page_window.h"
#include "support/support_page.h"

namespace talvex::win32 {

class SupportPageWindow : public PageWindow {
  public:
    // Control ids of this page: 600 to 699, unique in the main window, which receives
    // the notifications of every page.
    enum ControlId : int {
        kIdImgHelp = 600,
        kIdLbSupportTitle,
        kIdLine1,
        kIdLbProduct,
        kIdLbNotice,
        kIdImgAustralia = 610,
        kIdImgCanada,
        kIdImgChina,
        kIdImgDenmark,
        kIdImgEgypt,
        kIdImgFrance,
        kIdImgGermany,
        kIdImgIndia,
        kIdImgJapan,
        kIdImgSingapore,
        kIdImgSweden,
        kIdImgTaiwan,
        kIdImgUK,
        kIdImgUSA,
    };

    void Build(HWND frame, int dpi, HFONT font);
    SupportControls Controls() { return {}; }
    void Attach(SupportPage& page) { page_ = &page; }

    bool OnCommand(int id, int code) override;
    void BeforeShow() override;

  private:
    void OnRelayout(int dpi) override;
    void MakeFonts(int dpi);
    void AddTooltips();

    SupportPage* page_ = nullptr;
    ScopedFont titleFont_, productFont_, noticeFont_;
    HWND tooltips_ = nullptr; // owned by the main window, destroyed with it
};

} // namespace talvex::win32
