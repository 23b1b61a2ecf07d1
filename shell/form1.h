// Form1: the main window's logic, from start-up to termination. The window itself (Win32 or
// in-memory) supplies the controls and services; the Win32 layer routes user actions to the
// handlers below.
#pragma once

#include "diag/diag_page.h"
#include "platform/controls.h"
#include "platform/product.h"
#include "platform/registry_api.h"
#include "platform/services.h"
#include "settings/advanced_page.h"
#include "settings/vlan_page.h"
#include "shell/general_page.h"
#include "support/support_page.h"

#include <cstdint>
#include <string>
#include <vector>

namespace talvex {

inline constexpr char kShowWindowCaption[] = "&Show Window";
inline constexpr char kHideWindowCaption[] = "&Hide Window";

// Tray notifications the program acts on.
inline constexpr int kTrayShowHide = 10;
inline constexpr int kTrayPopupMenu = 14;

struct Form1Controls {
    FormWindow* window = nullptr;
    ListControl* cbNetCardDesp = nullptr;
    TabStrip* WyncorTabStrip = nullptr;
    Control* frmGeneral = nullptr;
    Control* frmAdvanced = nullptr;
    Control* frmVLAN = nullptr;
    Control* frmSupport = nullptr;
    Control* frmDiag = nullptr;
    MenuItem* mnuShowHide = nullptr;

    // The controls on each page.
    GeneralControls general;

    AdvancedControls advanced;

    VlanControls vlan;

    SupportControls support;

    DiagControls diag;
};

class Form1 {
    // First, so that the pages below can be built from them.
    Form1Controls c_;
    Services& services_;
    RegistryApi& registry_;

  public:
    Form1(const Form1Controls& controls, Services& services, RegistryApi& registry)
        : c_(controls), services_(services), registry_(registry) {}

    // The part of start-up that needs no control: the single-instance check and discovery, which
    // reads only the registry. Returns false when the process must end at once (another
    // instance, or no adapter), without unloading and without TerminateWindow. The program puts
    // its tray icon up after it, before the window's controls are built.
    bool StartUp();
    // Runs at creation (after StartUp, which it runs itself if it has not run) and again from
    // Cancel; false as StartUp.
    bool InitializeWindow();
    // Runs once when the window has been unloaded at a normal end of the process.
    void TerminateWindow();

    // Event handlers.
    void WyncorTabStrip_Click();
    void cbNetCardDesp_KeyPress(int& KeyAscii);
    void TrayIcon1_Notify(int notification);
    void mnuShowHide_Click();
    void mnuExit_Click();
    void cbOK_Click();
    void cbCancel_Click();
    // No tab leads to the Diagnostic page: the window's keyboard shortcut brings it forward, and
    // a click on any tab, the selected one included, brings that tab's page back.
    void ShowDiagnosticPage();

    // The adapter record and window state.
    std::int16_t CurrentAdapter = 0;
    bool bNeedReboot = false;
    std::string DriverKeyName;
    std::string AdapterTitle;
    bool bAdvPageVisited = false;
    bool bVlanPageVisited = false;
    bool bRebootNow = false;

    // The pages, each with its own controls and handlers; the window routes their events here.
    GeneralPage general{c_.general, services_, registry_};

    AdvancedPage advanced{c_.advanced, services_, registry_, DriverKeyName};

    VlanPage vlan{c_.vlan, services_, registry_, DriverKeyName};

    SupportPage support{c_.support, services_, *c_.window};

    DiagPage diag{c_.diag, services_, registry_, DriverKeyName, CurrentAdapter};

  private:
    void LoadWindow();
    bool FindAdapter();
    void HideWindow();
    void LoadSettingsPages();
    void LoadAdvancedPage();
    void LoadVlanPage();
    void RefreshUneditedPages();
    void TellSaveFailures(const std::string& pages, const SaveResult& failure);
    void TellKeptOutsideChanges(const std::vector<std::string>& labels);

    bool adapterFound_ = false;
    bool loaded_ = false;
};

// mnuPop, the tray's popup menu, in its order, with the captions it is created with; the one
// without a handler is the separator mnusep1. The program changes mnuShowHide's caption to
// kShowWindowCaption or kHideWindowCaption as the window is hidden or shown.
struct TrayMenuEntry {
    const char* caption;
    void (Form1::*click)();
};
inline constexpr TrayMenuEntry kTrayMenu[] = {
    {"Hide Window", &Form1::mnuShowHide_Click},
    {"-", nullptr},
    {"Exit", &Form1::mnuExit_Click},
};

} // namespace talvex
