#include "gui/general_page_window.h"

#include "resources/resources.h"

namespace talvex::win32 {
namespace {

using enum GeneralPageWindow::ControlId;

constexpr DWORD kLabel = SS_LEFT | SS_NOPREFIX;
// Bordered until start-up takes the border away.
constexpr DWORD kValue = ES_READONLY | ES_AUTOHSCROLL;

// From top to bottom: host name, current MAC address, IP address; the pictures below them. A
// change that waits for confirmation (or was put back) is told below the banner, right of the
// small picture, with the button that keeps it beside the banner; hidden while none waits.
// clang-format off
constexpr ChildLayout kGeneralChildren[] = {
    {kIdLbLocalHostName, "STATIC", "Host  Name:", kLabel, {240, 480, 2520, 255}},
    {kIdTxtLocalHostName, "EDIT", "", kValue, {2880, 480, 2175, 285}, WS_EX_CLIENTEDGE},
    {kIdLbEthernetAddress, "STATIC", "Current  MAC  Address:", kLabel, {240, 960, 2520, 255}},
    {kIdTxtEthernetAddress, "EDIT", "", kValue, {2880, 960, 2175, 285}, WS_EX_CLIENTEDGE},
    {kIdLbIPAddress, "STATIC", "IP  Address:", kLabel, {240, 1440, 2520, 255}},
    {kIdTxtIPAddress, "EDIT", "", kValue, {2880, 1440, 2175, 285}, WS_EX_CLIENTEDGE},
    {kIdTransImg1, kPictureClassName, RESOURCE_TEXT(IDR_GENERAL_BANNER), 0, {1920, 2160, 1440, 1440}},
    {kIdImage1, kPictureClassName, RESOURCE_TEXT(IDI_GENERAL), 0, {240, 3735, 480, 480}},
    {kIdLblChange, "STATIC", "", kLabel, {840, 3645, 4215, 735}},
    {kIdConfirmChange, "BUTTON", "Keep", BS_PUSHBUTTON | WS_TABSTOP, {3840, 3180, 1215, 375}},
};
// clang-format on

} // namespace

void GeneralPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, kGeneralChildren, dpi, font);
    txtLocalHostName_.Attach(Child(kIdTxtLocalHostName));
    txtEthernetAddress_.Attach(Child(kIdTxtEthernetAddress));
    txtIPAddress_.Attach(Child(kIdTxtIPAddress));
    TransImg1_.Attach(Child(kIdTransImg1));
    lblChange_.Attach(Child(kIdLblChange));
    cbConfirmChange_.Attach(Child(kIdConfirmChange));
    ShowWindow(cbConfirmChange_.hwnd(), SW_HIDE); // until a change waits
}

bool GeneralPageWindow::OnCommand(int id, int code) {
    if (!page_ || id != kIdConfirmChange || code != BN_CLICKED) return false;
    page_->cbConfirmChange_Click();
    return true;
}

} // namespace talvex::win32
