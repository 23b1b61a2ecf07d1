// The main window: builds Form1's controls from the layout table, owns the tray icon and the
// popup menu, and turns window messages into calls of Form1's handlers.
#pragma once

#include "gui/advanced_page_window.h"
#include "gui/diag_page_window.h"
#include "gui/dialog_keys.h"
#include "gui/general_page_window.h"
#include "gui/support_page_window.h"
#include "gui/tray_icon.h"
#include "gui/vlan_page_window.h"
#include "platform/win32/win32_controls.h"
#include "shell/form1.h"

#include <memory>
#include <optional>
#include <vector>

namespace talvex::win32 {

// Class names the end-to-end tests look for.
inline constexpr char kForm1ClassName[] = "TalvexForm1";
inline constexpr char kPageClassName[] = "TalvexPage";
// The tray icon's callback message.
inline constexpr UINT kTrayCallbackMessage = WM_APP + 1;

class Form1Window : public FormWindow {
  public:
    // The window and its menu only, hidden; BuildControls adds the controls. Start-up puts the
    // tray icon up in between, so the icon does not wait for comctl32 and the controls.
    struct WithoutControls {};
    explicit Form1Window(WithoutControls);
    // The window with its controls.
    Form1Window() : Form1Window(WithoutControls{}) { BuildControls(); }
    ~Form1Window() override;
    Form1Window(const Form1Window&) = delete;
    Form1Window& operator=(const Form1Window&) = delete;

    // Loads the common controls (comctl32 is delay-loaded) and builds the window's controls and
    // every page's; once only.
    void BuildControls();
    // The controls handed out are usable once BuildControls has run.
    Form1Controls Controls();
    // Handlers run only once the logic is attached.
    void Attach(Form1& form);
    void AddTrayIcon();
    // The window's keys, before translation: Tab through the front page, Enter for OK, Escape
    // for Cancel, the tab shortcuts, and Ctrl+Shift+D, which brings the Diagnostic page forward.
    // True when the message was the window's and has been handled.
    bool PreTranslate(MSG& msg);

    bool Visible() const override;
    void SetVisible(bool visible) override;
    void PopupMenu(MenuItem& defaultItem) override;
    void Unload() override;
    std::uintptr_t hWnd() const override { return reinterpret_cast<std::uintptr_t>(hwnd_); }

    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  private:
    static LRESULT CALLBACK AdapterEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK TabStripProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    bool IsDiagnosticShortcut(const MSG& msg) const;
    bool OnTabKey(const MSG& msg);
    void SelectTab(int step, bool wrap, bool focusPage);
    HWND FrontPage() const;
    std::vector<HWND> KeyContainers() const;
    bool IsReachable(HWND focus) const;
    void FocusFirstOnPage();
    void RestoreFocus();
    void TrackFocus();
    LRESULT OnActivate(WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateMenu();
    void OnCommand(int id, int code);
    LRESULT OnNotify(const NMHDR& header);
    void OnTrayCallback(UINT mouseMessage);
    void OnDpiChanged(int dpi, const RECT& suggested);

    HWND hwnd_ = nullptr;
    Form1* form_ = nullptr;
    int dpi_ = 0;
    bool controlsBuilt_ = false;
    ScopedFont font_;
    ScopedIcon icon_;
    ScopedMenu menu_;
    HMENU popup_ = nullptr; // owned by menu_
    TrayIcon tray_;
    UINT taskbarCreated_ = 0;
    bool ignoreNextLeftUp_ = false;
    std::optional<DialogKeys> keys_;
    HWND lastFocus_ = nullptr; // where the focus goes back to when the window is shown again

    Win32List cbNetCardDesp_{kComboBoxMessages};
    Win32TabStrip WyncorTabStrip_;
    Win32Control frmGeneral_, frmAdvanced_, frmVLAN_, frmSupport_, frmDiag_;
    std::unique_ptr<Win32MenuItem> mnuShowHide_;

    GeneralPageWindow general_;
    AdvancedPageWindow advanced_;
    VlanPageWindow vlan_;
    SupportPageWindow support_;
    DiagPageWindow diag_;
    PageWindow* const pageWindows_[5] = {&general_, &advanced_, &vlan_, &support_, &diag_};
};

} // namespace talvex::win32
