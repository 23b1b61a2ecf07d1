#include "gui/form1_window.h"

#include "gui/modal_form.h"
#include "gui/page_frame.h"
#include "platform/win32/layout.h"
#include "platform/win32/picture.h"
#include "resources/resources.h"

#include <algorithm>
#include <climits>
#include <iterator>
#include <utility>

namespace talvex::win32 {
namespace {

enum ControlId : int {
    kIdNetCardDesp = 100,
    kIdTabStrip,
    kIdOK,
    kIdCancel,
    kIdFrmGeneral,
    kIdFrmAdvanced,
    kIdFrmVLAN,
    kIdFrmSupport,
    kIdFrmDiag,
    kIdImgAdapter,
    kIdFirstMenuItem = 200, // then one id per entry of kTrayMenu
};

constexpr int kClientWidth = 5760;  // twips
constexpr int kClientHeight = 6705; // twips
constexpr TwipsRect kPageRect = {240, 1560, 5295, 4455};
constexpr DWORD kPageStyle = WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
constexpr DWORD kPageExStyle = WS_EX_CONTROLPARENT;

// Children are created top of the z-order first: the pages lie above the tab strip, General
// above the others, the Diagnostic page at the bottom of the pages.
// clang-format off
constexpr ChildLayout kForm1Children[] = {
    {kIdImgAdapter, kPictureClassName, RESOURCE_TEXT(IDI_TALVEX), 0, {240, 120, 480, 480}},
    {kIdNetCardDesp, WC_COMBOBOXA, "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, {960, 240, 4695, 2000}},
    {kIdFrmGeneral, kPageClassName, "General", kPageStyle, kPageRect, kPageExStyle},
    {kIdFrmAdvanced, kPageClassName, "Advanced", kPageStyle, kPageRect, kPageExStyle},
    {kIdFrmVLAN, kPageClassName, "VLAN", kPageStyle, kPageRect, kPageExStyle},
    {kIdFrmSupport, kPageClassName, "Support", kPageStyle, kPageRect, kPageExStyle},
    {kIdFrmDiag, kPageClassName, "Diagnostic", kPageStyle, kPageRect, kPageExStyle},
    {kIdTabStrip, WC_TABCONTROLA, "", WS_CLIPSIBLINGS | WS_TABSTOP, {120, 840, 5535, 5295}},
    {kIdOK, "BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, {2880, 6240, 1215, 375}},
    {kIdCancel, "BUTTON", "Cancel", BS_PUSHBUTTON | WS_TABSTOP, {4320, 6240, 1215, 375}},
};
// clang-format on

constexpr const char* kTabCaptions[] = {"General", "Advanced", "Virtual LAN", "Support"};
constexpr int kTabCount = static_cast<int>(std::size(kTabCaptions));

// The window's size is fixed by its layout, not by the screen: at a high DPI on a small screen
// it is cut off rather than squeezed, which would clip the pages inside it.
void AllowLargerThanScreen(MINMAXINFO& info) {
    info.ptMaxTrackSize = {SHRT_MAX, SHRT_MAX};
}

void RegisterClasses(HINSTANCE instance, HICON icon, HICON smallIcon) {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);

    wc.lpfnWndProc = PageProc;
    wc.lpszClassName = kPageClassName;
    RegisterClassExA(&wc);

    wc.lpfnWndProc = &Form1Window::WindowProc;
    wc.lpszClassName = kForm1ClassName;
    wc.hIcon = icon;
    wc.hIconSm = smallIcon;
    RegisterClassExA(&wc);
}

// The 16 x 16 image of the program's icon (shared: the system keeps it).
HICON SmallIcon() {
    return static_cast<HICON>(LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDI_TALVEX),
                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                         GetSystemMetrics(SM_CYSMICON), LR_SHARED));
}

} // namespace

Form1Window::Form1Window(WithoutControls) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    icon_.reset(static_cast<HICON>(
        LoadImageA(instance, MAKEINTRESOURCEA(IDI_TALVEX), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
    RegisterClasses(instance, icon_.get(), SmallIcon());
    taskbarCreated_ = RegisterWindowMessageA("TaskbarCreated");
    // Fixed size with a single-line border; created hidden, as start-up leaves it.
    hwnd_ =
        CreateWindowExA(0, kForm1ClassName, kAppTitle,
                        WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
    CreateMenu();
}

Form1Window::~Form1Window() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

void Form1Window::BuildControls() {
    if (std::exchange(controlsBuilt_, true)) return;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_TAB_CLASSES |
                                                       ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    const int dpi = dpi_ = WindowDpi(hwnd_);
    font_ = CreateMessageFont(dpi);
    CreateChildren(hwnd_, kForm1Children, dpi, font_.get());
    SizeAndCentre(hwnd_, kClientWidth, kClientHeight, dpi);

    auto child = [this](int id) { return GetDlgItem(hwnd_, id); };
    cbNetCardDesp_.Attach(child(kIdNetCardDesp));
    WyncorTabStrip_.Attach(child(kIdTabStrip));
    frmGeneral_.Attach(child(kIdFrmGeneral));
    frmAdvanced_.Attach(child(kIdFrmAdvanced));
    frmVLAN_.Attach(child(kIdFrmVLAN));
    frmSupport_.Attach(child(kIdFrmSupport));
    frmDiag_.Attach(child(kIdFrmDiag));

    general_.Build(frmGeneral_.hwnd(), dpi, font_.get());
    advanced_.Build(frmAdvanced_.hwnd(), dpi, font_.get());
    vlan_.Build(frmVLAN_.hwnd(), dpi, font_.get());
    support_.Build(frmSupport_.hwnd(), dpi, font_.get());
    diag_.Build(frmDiag_.hwnd(), dpi, font_.get(), [this](MSG& msg) { return PreTranslate(msg); });

    keys_.emplace(DialogKeys::Window{hwnd_, [this] { return KeyContainers(); }, kIdOK,
                                     [this] { ClickControl(GetDlgItem(hwnd_, kIdCancel)); }});
    cbNetCardDesp_.SetText("Select a network adapter");
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(cbNetCardDesp_.hwnd(), &info) && info.hwndItem) {
        SetWindowSubclass(info.hwndItem, AdapterEditProc, 1, reinterpret_cast<DWORD_PTR>(this));
    }

    SetWindowSubclass(WyncorTabStrip_.hwnd(), TabStripProc, 2, reinterpret_cast<DWORD_PTR>(this));
    for (int i = 0; i < kTabCount; ++i) {
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<char*>(kTabCaptions[i]);
        SendMessageA(WyncorTabStrip_.hwnd(), TCM_INSERTITEMA, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&item));
    }
}

// mnuPop: never a menu bar, only the tray's popup menu.
void Form1Window::CreateMenu() {
    menu_.reset(CreatePopupMenu());
    popup_ = menu_.get();
    for (std::size_t i = 0; i < std::size(kTrayMenu); ++i) {
        const TrayMenuEntry& entry = kTrayMenu[i];
        const int id = kIdFirstMenuItem + static_cast<int>(i);
        AppendMenuA(popup_, entry.click ? MF_STRING : MF_SEPARATOR, entry.click ? id : 0,
                    entry.caption);
        if (entry.click == &Form1::mnuShowHide_Click)
            mnuShowHide_ = std::make_unique<Win32MenuItem>(popup_, id);
    }
}

Form1Controls Form1Window::Controls() {
    return {this,
            &cbNetCardDesp_,
            &WyncorTabStrip_,
            &frmGeneral_,
            &frmAdvanced_,
            &frmVLAN_,
            &frmSupport_,
            &frmDiag_,
            mnuShowHide_.get(),
            general_.Controls(),
            advanced_.Controls(),
            vlan_.Controls(),
            support_.Controls(),
            diag_.Controls()};
}

void Form1Window::Attach(Form1& form) {
    form_ = &form;
    general_.Attach(form.general);
    advanced_.Attach(form.advanced);
    vlan_.Attach(form.vlan);
    support_.Attach(form.support);
    diag_.Attach(form.diag);
}

void Form1Window::AddTrayIcon() {
    HICON small = SmallIcon();
    tray_.Add(hwnd_, kTrayCallbackMessage, small ? small : icon_.get(), kAppTitle);
}

// A minimized window counts as shown.
bool Form1Window::Visible() const {
    return IsWindowVisible(hwnd_) != FALSE;
}

// A minimised window is shown restored: shown as it is, it would stay minimised and the user's
// Show would seem to do nothing.
void Form1Window::SetVisible(bool visible) {
    if (!visible) {
        TrackFocus();
        ShowWindow(hwnd_, SW_HIDE);
        return;
    }
    for (PageWindow* page : pageWindows_)
        page->BeforeShow();
    ShowWindow(hwnd_, IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(hwnd_);
    RestoreFocus();
}

void Form1Window::PopupMenu(MenuItem& defaultItem) {
    // Every menu item this window hands out is one of its own Win32 items.
    SetMenuDefaultItem(popup_, static_cast<Win32MenuItem&>(defaultItem).id(), FALSE);
    POINT at{};
    GetCursorPos(&at);
    // Without the foreground the menu would not close when the user clicks elsewhere.
    SetForegroundWindow(hwnd_);
    TrackPopupMenuEx(popup_, 0, at.x, at.y, hwnd_, nullptr);
    PostMessageA(hwnd_, WM_NULL, 0, 0);
}

void Form1Window::Unload() {
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
}

LRESULT CALLBACK Form1Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<Form1Window*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<Form1Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    return self ? self->HandleMessage(message, wParam, lParam)
                : DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT Form1Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: OnCommand(LOWORD(wParam), HIWORD(wParam)); return 0;
    case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_ACTIVATE: return OnActivate(wParam, lParam);
    case kTrayCallbackMessage: OnTrayCallback(static_cast<UINT>(LOWORD(lParam))); return 0;
    case WM_GETMINMAXINFO: AllowLargerThanScreen(*reinterpret_cast<MINMAXINFO*>(lParam)); return 0;
    case WM_DPICHANGED:
        OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
        return 0;
    case WM_DESTROY:
        tray_.Remove();
        SetWindowLongPtrA(hwnd_, GWLP_USERDATA, 0);
        PostQuitMessage(0);
        return 0;
    }
    if (message == taskbarCreated_ && taskbarCreated_ != 0) {
        AddTrayIcon(); // Explorer restarted and forgot our icon
        return 0;
    }
    return DefWindowProcA(hwnd_, message, wParam, lParam);
}

void Form1Window::OnCommand(int id, int code) {
    if (!form_ || ProgramIsChangingControls()) return;
    for (PageWindow* page : pageWindows_)
        if (page->OnCommand(id, code)) return;
    if (id == kIdOK && code == BN_CLICKED)
        form_->cbOK_Click();
    else if (id == kIdCancel && code == BN_CLICKED)
        form_->cbCancel_Click();
    else if (const auto entry = static_cast<std::size_t>(id - kIdFirstMenuItem);
             code == 0 && id >= kIdFirstMenuItem && entry < std::size(kTrayMenu) &&
             kTrayMenu[entry].click)
        (form_->*kTrayMenu[entry].click)();
}

LRESULT Form1Window::OnNotify(const NMHDR& header) {
    if (!form_ || ProgramIsChangingControls()) return 0;
    LRESULT result = 0;
    for (PageWindow* page : pageWindows_)
        if (page->OnNotify(header, result)) return result;
    if (header.idFrom == kIdTabStrip && header.code == TCN_SELCHANGE) form_->WyncorTabStrip_Click();
    return 0;
}

// Moved to a monitor of another density: everything is laid out again from the twips tables,
// pages included, in a font made for the new DPI. The old font goes once nothing uses it.
void Form1Window::OnDpiChanged(int dpi, const RECT& suggested) {
    // Before the controls are built there is nothing to lay out; they are made at the DPI then.
    if (!controlsBuilt_ || dpi <= 0 || dpi == dpi_) return;
    dpi_ = dpi;
    ScopedFont font = CreateMessageFont(dpi);
    RelayoutChildren(hwnd_, kForm1Children, dpi, font.get());
    for (PageWindow* page : pageWindows_)
        page->Relayout(dpi, font.get());
    SizeForDpi(hwnd_, kClientWidth, kClientHeight, dpi, suggested);
    font_ = std::move(font);
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Left click shows or hides the window, right click opens the menu. A double click would
// toggle twice; its second button-up is dropped so it acts as one click.
// While a dialog or message box of the program is open the window is disabled, and the icon
// only brings that dialog forward: its menu's Exit would end the program inside the dialog.
void Form1Window::OnTrayCallback(UINT mouseMessage) {
    if (!form_) return;
    if (!IsWindowEnabled(hwnd_)) {
        if (mouseMessage == WM_LBUTTONUP || mouseMessage == WM_RBUTTONUP) BringModalDialogForward();
        return;
    }
    switch (mouseMessage) {
    case WM_LBUTTONDBLCLK: ignoreNextLeftUp_ = true; break;
    case WM_LBUTTONUP:
        if (!std::exchange(ignoreNextLeftUp_, false)) form_->TrayIcon1_Notify(kTrayShowHide);
        break;
    case WM_RBUTTONUP: form_->TrayIcon1_Notify(kTrayPopupMenu); break;
    }
}

// The adapter box's edit field: typed characters are discarded, and so is anything else that
// would change its text (paste, cut, clear, undo, Delete, Shift+Insert).
LRESULT CALLBACK Form1Window::AdapterEditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                              UINT_PTR, DWORD_PTR self) {
    auto* window = reinterpret_cast<Form1Window*>(self);
    switch (message) {
    case WM_CHAR: {
        int key = static_cast<int>(wParam);
        if (window->form_) window->form_->cbNetCardDesp_KeyPress(key);
        if (key == 0) return 0;
        wParam = static_cast<WPARAM>(key);
        break;
    }
    case WM_PASTE:
    case WM_CUT:
    case WM_CLEAR:
    case WM_UNDO: return 0;
    case WM_KEYDOWN:
        // Shift+Insert pastes inside the edit control itself, without a WM_PASTE to stop.
        if (wParam == VK_DELETE || (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0)) return 0;
        break;
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A tab strip reports no selection change for a click on the tab already selected; that click
// must still bring the tab's page back over the Diagnostic page.
LRESULT CALLBACK Form1Window::TabStripProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR self) {
    if (message != WM_LBUTTONDOWN) return DefSubclassProc(hwnd, message, wParam, lParam);
    auto* window = reinterpret_cast<Form1Window*>(self);
    const LRESULT selected = SendMessageA(hwnd, TCM_GETCURSEL, 0, 0);
    const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
    TCHITTESTINFO hit{};
    hit.pt = {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (window->form_ && selected >= 0 &&
        SendMessageA(hwnd, TCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == selected)
        window->form_->WyncorTabStrip_Click();
    return result;
}

} // namespace talvex::win32
