#include "gui/diag_page_window.h"

#include "diag/diag_tests.h"
#include "gui/dialog_keys.h"
#include "platform/win32/picture.h"
#include "resources/resources.h"

#include <algorithm>
#include <iterator>

namespace talvex::win32 {

namespace {

// Control ids of this page: 700 to 799, unique in the main window, which receives
// the notifications of every page.
enum ControlId : int {
    kIdImgDiag = 700,
    kIdDiagDesp,
    kIdBasicDiag,
    kIdTotalTestCountLabel,
    kIdTotalTestCount,
    kIdUpDown1,
    kIdBasicDiagList,
    kIdCurrentTestCount,
    kIdStartTest,
    kIdStopTest,
    kIdNAinSROMLabel,
    kIdNAinSROM,
};

constexpr DWORD kReadOnlyBox = ES_READONLY | ES_AUTOHSCROLL;
constexpr int kMinimumCount = 1;
constexpr int kMaximumCount = kMaxDiagCycles;

// Children are created top of the z-order first: Start Test lies above Stop Test at start.
// clang-format off
constexpr ChildLayout kDiagChildren[] = {
    {kIdImgDiag, kPictureClassName, RESOURCE_TEXT(IDI_DIAG), 0, {480, 240, 480, 480}},
    {kIdDiagDesp, "STATIC", "Diagnostic can find what problem your network adapter have.", 0, {1440, 240, 3615, 495}},
    {kIdBasicDiag, "STATIC", "Basic Diagnostic:", 0, {240, 1200, 1815, 255}},
    {kIdTotalTestCountLabel, "STATIC", "Test Count:", 0, {3240, 1200, 975, 255}},
    {kIdTotalTestCount, "EDIT", "1", kReadOnlyBox | WS_TABSTOP, {4320, 1200, 495, 285}, WS_EX_CLIENTEDGE},
    {kIdUpDown1, UPDOWN_CLASSA, "", UDS_ARROWKEYS, {4800, 1200, 240, 285}},
    {kIdBasicDiagList, WC_LISTVIEWA, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, {240, 1560, 4815, 1695}, WS_EX_CLIENTEDGE},
    {kIdCurrentTestCount, "EDIT", "", kReadOnlyBox, {2280, 3240, 495, 285}, WS_EX_CLIENTEDGE},
    {kIdStartTest, "BUTTON", "Start Test", BS_PUSHBUTTON | WS_TABSTOP | WS_CLIPSIBLINGS, {3960, 3240, 1095, 375}},
    {kIdStopTest, "BUTTON", "Stop Test", BS_PUSHBUTTON | WS_TABSTOP | WS_CLIPSIBLINGS, {3960, 3240, 1095, 375}},
    // The address caption and box are wider than first drawn (2055 and 1695): in the system's
    // message font neither the caption nor the 18-character address fitted.
    {kIdNAinSROMLabel, "STATIC", "Permanent  MAC  Address :", 0, {480, 3980, 2385, 255}},
    {kIdNAinSROM, "EDIT", "", kReadOnlyBox, {2880, 3960, 2175, 285}, WS_EX_CLIENTEDGE},
};
// clang-format on

// "Test Item", "Status" and "Result".
constexpr int kColumnTwips[] = {1900, 1300, 1440};

} // namespace

void TwinButton::BringToFront() {
    if (TwinHasFocus()) HandleTypedKeys(keyFilter_);
    Win32Control::BringToFront();
    const bool nowhere = !GetFocus() && GetActiveWindow() == GetAncestor(hwnd(), GA_ROOT);
    if (TwinHasFocus() || nowhere) SetFocus(hwnd());
}

void DiagPageWindow::Build(HWND frame, int dpi, HFONT font,
                           const std::function<bool(MSG&)>& keyFilter) {
    Create(frame, kDiagChildren, dpi, font);
    txtTotalTestCount_.Attach(Child(kIdTotalTestCount));
    UpDown1_.Attach(Child(kIdUpDown1));
    lvwBasicDiag_.Attach(Child(kIdBasicDiagList));
    txtCurrentTestCount_.Attach(Child(kIdCurrentTestCount));
    cbStartBasicDiagTest_.Attach(Child(kIdStartTest));
    cbStopBasicDiagTest_.Attach(Child(kIdStopTest));
    cbStartBasicDiagTest_.Pair(cbStopBasicDiagTest_, keyFilter);
    cbStopBasicDiagTest_.Pair(cbStartBasicDiagTest_, keyFilter);
    txtNAinSROM_.Attach(Child(kIdNAinSROM));

    SendMessageA(UpDown1_.hwnd(), UDM_SETRANGE32, kMinimumCount, kMaximumCount);
    UpDown1_.SetValue(kMinimumCount);
    // The count box is the up-down's buddy: the arrow keys in it step the count as the arrows
    // do, through the same notification. Without UDS_SETBUDDYINT nothing is written into it.
    SendMessageA(UpDown1_.hwnd(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(txtTotalTestCount_.hwnd()),
                 0);
    lvwBasicDiag_.SetUp({{"Test Item", TwipsToPixels(kColumnTwips[0], dpi)},
                         {"Status", TwipsToPixels(kColumnTwips[1], dpi)},
                         {"Result", TwipsToPixels(kColumnTwips[2], dpi)}});
    AddToolTip(txtCurrentTestCount_.hwnd(), "Current Test Count");
}

// The columns' widths are lengths like the controls': a new DPI scales them too.
void DiagPageWindow::OnRelayout(int dpi) {
    for (int column = 0; column < static_cast<int>(std::size(kColumnTwips)); ++column)
        SendMessageA(lvwBasicDiag_.hwnd(), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                     TwipsToPixels(kColumnTwips[column], dpi));
}

DiagControls DiagPageWindow::Controls() {
    return {&txtTotalTestCount_,    &UpDown1_,
            &lvwBasicDiag_,         &txtCurrentTestCount_,
            &cbStartBasicDiagTest_, &cbStopBasicDiagTest_,
            &txtNAinSROM_};
}

void DiagPageWindow::AddToolTip(HWND control, const char* text) {
    toolTips_.reset(CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, TTS_ALWAYSTIP, 0, 0, 0,
                                    0, frame_, nullptr, GetModuleHandleA(nullptr), nullptr));
    TTTOOLINFOA tool{};
    tool.cbSize = sizeof tool;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = frame_;
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = const_cast<char*>(text);
    SendMessageA(toolTips_.get(), TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
}

bool DiagPageWindow::OnCommand(int id, int code) {
    if (!page_ || code != BN_CLICKED) return false;
    switch (id) {
    case kIdStartTest: page_->cbStartBasicDiagTest_Click(); return true;
    case kIdStopTest: page_->cbStopBasicDiagTest_Click(); return true;
    }
    return false;
}

bool DiagPageWindow::OnNotify(const NMHDR& header, LRESULT& result) {
    if (!page_) return false;
    if (header.idFrom == kIdUpDown1 && header.code == UDN_DELTAPOS) {
        result = OnSpin(reinterpret_cast<const NMUPDOWN&>(header));
        return true;
    }
    if (header.idFrom != kIdBasicDiagList) return false;
    switch (header.code) {
    case LVN_ITEMCHANGED: {
        const auto& change = reinterpret_cast<const NMLISTVIEW&>(header);
        if ((change.uChanged & LVIF_STATE) &&
            ((change.uNewState ^ change.uOldState) & LVIS_STATEIMAGEMASK))
            page_->lvwBasicDiag_ItemCheck();
        return true;
    }
    }
    return false;
}

// The spin control's own change is replaced by the page's: the value moves one step within the
// range, then the handler writes it into the count box.
LRESULT DiagPageWindow::OnSpin(const NMUPDOWN& spin) {
    UpDown1_.SetValue(std::clamp(spin.iPos + spin.iDelta, kMinimumCount, kMaximumCount));
    page_->UpDown1_Change();
    return 1;
}

} // namespace talvex::win32
