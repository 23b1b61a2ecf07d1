#include "shell/form1.h"

#include "hardware/registers.h"

namespace talvex {

bool Form1::StartUp() {
    if (services_.PreviousInstance()) {
        services_.MsgBox("Another version of your application is running.", "Alert",
                         MsgBoxStyle::InformationOk);
        return false;
    }
    adapterFound_ = FindAdapter();
    return adapterFound_;
}

bool Form1::InitializeWindow() {
    if (!adapterFound_ && !StartUp()) return false;
    // The window is loaded once; the settings pages are read again at every Cancel.
    if (!loaded_) LoadWindow();
    LoadSettingsPages();
    return true;
}

// Runs at start-up and again from Cancel: both settings pages are read afresh from the registry.
void Form1::LoadSettingsPages() {
    LoadAdvancedPage();
    LoadVlanPage();
}

void Form1::LoadAdvancedPage() {
    advanced.ClearPropertyList();
    advanced.InitAdvancedLists();
    advanced.LoadAdvancedSettings();
    advanced.SelectFirstProperty();
}

void Form1::LoadVlanPage() {
    vlan.LoadVLANSettings();
    vlan.chkEnableVLAN_Click();
}

// The console tool, a fleet script or another copy of a settings tool may have changed the
// driver's key while the window was hidden. A page with no edit pending (the window hides after
// every OK and Cancel, so only Hide Window can leave one) loads afresh, as Cancel would; a page
// with an edit keeps it, and OK then leaves the values changed outside that the user did not.
void Form1::RefreshUneditedPages() {
    const ParameterReadings now = ReadParameters(registry_, DriverKeyName);
    if (!advanced.Edited() && advanced.ChangedSince(now)) LoadAdvancedPage();
    if (!vlan.Edited() && vlan.ChangedSince(now)) LoadVlanPage();
}

// The one-time loading of the window, once the adapter is known; the window ends hidden with
// the General page in front.
void Form1::LoadWindow() {
    loaded_ = true;
    c_.frmGeneral->BringToFront();
    c_.cbNetCardDesp->AddItem(AdapterTitle);
    general.ShowGeneralInfo();
    general.ShowChangeState();
    diag.Load();
    c_.cbNetCardDesp->SetListIndex(0);
    HideWindow();
}

// A library that faults in its close functions must not crash the exit.
void Form1::TerminateWindow() {
    services_.GuardHardwareCall(CloseAdapterAccess);
}

void Form1::HideWindow() {
    c_.window->SetVisible(false);
    c_.mnuShowHide->SetCaption(kShowWindowCaption);
}

// Only the z-order of the page frames changes; no tab reaches the Diagnostic page.
void Form1::WyncorTabStrip_Click() {
    TabStrip& tabs = *c_.WyncorTabStrip;
    if (tabs.TabSelected(1)) {
        c_.frmGeneral->BringToFront();
        general.ResetTransImg1();
    } else if (tabs.TabSelected(2)) {
        bAdvPageVisited = true;
        c_.frmAdvanced->BringToFront();
    } else if (tabs.TabSelected(3)) {
        bVlanPageVisited = true;
        vlan.SetUpDownFromText();
        c_.frmVLAN->BringToFront();
    } else if (tabs.TabSelected(4)) {
        c_.frmSupport->BringToFront();
    }
}

void Form1::ShowDiagnosticPage() {
    c_.frmDiag->BringToFront();
}

// The adapter box only shows the adapter found; it can't be edited.
void Form1::cbNetCardDesp_KeyPress(int& KeyAscii) {
    KeyAscii = 0;
}

} // namespace talvex
