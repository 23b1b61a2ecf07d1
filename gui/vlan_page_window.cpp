#include "gui/vlan_page_window.h"

namespace talvex::win32 {
namespace {

// The up-down has no UDS_SETBUDDYINT: its change handler writes the text box itself.
// clang-format off
constexpr ChildLayout kVlanChildren[] = {
    {kIdEnableVLAN, "BUTTON", "  Enable  Virtual  LAN", BS_3STATE | WS_TABSTOP, {480, 360, 2895, 300}},
    {kIdEnableGVRP, "BUTTON", " Enable GVRP", BS_3STATE | WS_TABSTOP, {480, 840, 2895, 300}},
    {kIdVlanIdLabel, "STATIC", "VLAN ID:", SS_LEFT, {480, 1380, 975, 255}},
    {kIdVlanId, "EDIT", "", ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, {1560, 1320, 975, 315}},
    {kIdVlanIdUpDown, UPDOWN_CLASSA, "", UDS_ARROWKEYS | UDS_NOTHOUSANDS, {2535, 1320, 255, 315}},
    {kIdVlanDescription, "EDIT", "VLAN ID is use to identify the Virtual LAN Group.", ES_MULTILINE | ES_READONLY, {480, 1920, 4335, 615}},
};
// clang-format on

} // namespace

void VlanPageWindow::Build(HWND frame, int dpi, HFONT font) {
    Create(frame, kVlanChildren, dpi, font);
    chkEnableVLAN_.Attach(Child(kIdEnableVLAN));
    chkEnableGVRP_.Attach(Child(kIdEnableGVRP));
    lblVLAN_ID_.Attach(Child(kIdVlanIdLabel));
    txtVLAN_ID_.Attach(Child(kIdVlanId));
    UpDownVLAN_ID_.Attach(Child(kIdVlanIdUpDown));
    txtVLANDescription_.Attach(Child(kIdVlanDescription));

    txtVLAN_ID_.Subclass([this](int& key) {
        if (page_) page_->txtVLAN_ID_KeyPress(key);
    });
    ProgrammaticChange change;
    SendMessageA(UpDownVLAN_ID_.hwnd(), UDM_SETRANGE32, 0, kMaxVlanId);
    SendMessageA(UpDownVLAN_ID_.hwnd(), UDM_SETPOS32, 0, 0);
    // The buddy gives the arrow keys in the text box to the up-down; it doesn't move it.
    SendMessageA(UpDownVLAN_ID_.hwnd(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(txtVLAN_ID_.hwnd()),
                 0);
}

// A three-state box doesn't change its own state: the user's click does it here, before the
// handler, as it would on a check box that runs its handler after the change.
bool VlanPageWindow::OnCommand(int id, int code) {
    if (!page_ || (id != kIdEnableVLAN && id != kIdEnableGVRP)) return false;
    if (code != BN_CLICKED) return true;
    if (id == kIdEnableVLAN) {
        chkEnableVLAN_.Click();
        page_->chkEnableVLAN_Click();
    } else {
        chkEnableGVRP_.Click();
    }
    return true;
}

// The up-down's step is taken here, within its range, and the text follows it; the control is
// then told not to move again.
bool VlanPageWindow::OnNotify(const NMHDR& header, LRESULT& result) {
    if (!page_ || header.idFrom != kIdVlanIdUpDown || header.code != UDN_DELTAPOS) return false;
    const auto& change = reinterpret_cast<const NMUPDOWN&>(header);
    UpDownVLAN_ID_.SetValue(change.iPos + change.iDelta);
    page_->UpDownVLAN_ID_Change();
    result = 1;
    return true;
}

} // namespace talvex::win32
