// Form1: the main window's logic, from start-up to termination. The window itself (Win32 or
// in-memory) supplies the controls and services; the Win32 layer routes user actions to the
// handlers below.
#pragma once

#include "platform/controls.h"
#include "platform/registry_api.h"
#include "platform/services.h"

#include <cstdint>
#include <string>

namespace talvex {

inline constexpr char kAppTitle[] = "Talvex Adapter Configuration";
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
};

class Form1 {
  public:
    Form1(const Form1Controls& controls, Services& services, RegistryApi& registry)
        : c_(controls), services_(services), registry_(registry) {}

    // Runs at creation and again from Cancel. Returns false when the process must end at once
    // (another instance, or no adapter), without unloading and without TerminateWindow.
    bool InitializeWindow();
    // Runs once when the window has been unloaded at a normal end of the process.
    void TerminateWindow();

    // Event handlers.
    void WyncorTabStrip_Click();
    void cbNetCardDesp_KeyPress(int& KeyAscii);
    void TrayIcon1_Notify(int notification);
    void mnuShowHide_Click();
    void mnuExit_Click();

    // The adapter record and window state.
    std::int16_t CurrentAdapter = 0;
    bool bNeedReboot = false;
    std::string DriverKeyName;
    std::string AdapterTitle;
    bool bAdvPageVisited = false;
    bool bVlanPageVisited = false;

  private:
    bool LoadWindow();
    bool FindAdapter();
    void HideWindow();

    Form1Controls c_;
    Services& services_;
    RegistryApi& registry_;
    bool loaded_ = false;
};

} // namespace talvex
