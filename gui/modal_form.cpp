#include "gui/modal_form.h"

#include "gui/dialog_keys.h"

#include <vector>

namespace talvex::win32 {
namespace {

constexpr char kModalFormClass[] = "TalvexModalForm";

struct ModalState {
    explicit ModalState(const ModalFormLayout& form) : layout(form) {}
    const ModalFormLayout& layout;
    int result = 0;
    bool closed = false;
    int dpi = 0;
    ScopedFont font;
};

// Moved to a monitor of another density: laid out again from the twips table.
void OnDpiChanged(HWND form, ModalState& state, int dpi, const RECT& suggested) {
    if (dpi <= 0 || dpi == state.dpi) return;
    state.dpi = dpi;
    ScopedFont font = CreateMessageFont(dpi);
    RelayoutChildren(form, state.layout.children, dpi, font.get());
    SizeForDpi(form, state.layout.clientWidth, state.layout.clientHeight, dpi, suggested);
    state.font = std::move(font);
}

LRESULT CALLBACK ModalFormProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<ModalState*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE:
        SetWindowLongPtrA(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams));
        break;
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED && state) {
            state->result = LOWORD(wParam);
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_DESTROY:
        if (state) state->closed = true;
        return 0;
    case WM_DPICHANGED:
        if (state) OnDpiChanged(hwnd, *state, LOWORD(wParam), *reinterpret_cast<RECT*>(lParam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void RegisterModalFormClass() {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = ModalFormProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kModalFormClass;
    RegisterClassExA(&wc); // a second registration fails harmlessly
}

// The thread's other top-level windows take no input while a modal form is open.
class DisabledThreadWindows {
  public:
    DisabledThreadWindows() {
        EnumThreadWindows(GetCurrentThreadId(), &Collect, reinterpret_cast<LPARAM>(&windows_));
        for (HWND window : windows_)
            EnableWindow(window, FALSE);
    }
    ~DisabledThreadWindows() {
        for (HWND window : windows_)
            if (IsWindow(window)) EnableWindow(window, TRUE);
    }
    DisabledThreadWindows(const DisabledThreadWindows&) = delete;
    DisabledThreadWindows& operator=(const DisabledThreadWindows&) = delete;

  private:
    static BOOL CALLBACK Collect(HWND window, LPARAM list) {
        if (IsWindowEnabled(window)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        return TRUE;
    }
    std::vector<HWND> windows_;
};

// The button drawn as the default in the table.
int DefaultButtonId(const ModalFormLayout& layout) {
    for (const ChildLayout& child : layout.children)
        if ((child.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return child.id;
    return 0;
}

} // namespace

ActivationReturn::~ActivationReturn() {
    if (active_ && IsWindow(active_) && IsWindowVisible(active_) && IsWindowEnabled(active_) &&
        GetActiveWindow() != active_)
        SetForegroundWindow(active_);
}

void BringModalDialogForward() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            const bool dialog = IsWindowVisible(window) && IsWindowEnabled(window) &&
                                (GetWindowLongPtrA(window, GWL_STYLE) & WS_CAPTION) == WS_CAPTION;
            if (!dialog) return TRUE;
            SetForegroundWindow(window);
            return FALSE;
        },
        0);
}

int RunModalForm(const ModalFormLayout& layout) {
    RegisterModalFormClass();
    const ActivationReturn activation;
    const DisabledThreadWindows disabled;
    ModalState state{layout};
    HWND form = CreateWindowExA(WS_EX_DLGMODALFRAME, kModalFormClass, layout.caption,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, nullptr, nullptr,
                                GetModuleHandleA(nullptr), &state);
    if (!form) return 0;
    const int dpi = state.dpi = WindowDpi(form);
    state.font = CreateMessageFont(dpi);
    CreateChildren(form, layout.children, dpi, state.font.get());
    SizeAndCentre(form, layout.clientWidth, layout.clientHeight, dpi);
    ShowWindow(form, SW_SHOW);
    SetForegroundWindow(form);
    DialogKeys keys({form, [form] { return std::vector<HWND>{form}; }, DefaultButtonId(layout),
                     [form] { SendMessageA(form, WM_CLOSE, 0, 0); }});
    // The first button in tab order takes the focus, as in a dialog.
    if (const auto stops = keys.TabStops(); !stops.empty()) FocusControl(stops.front());
    keys.ShowDefaultBorder(GetFocus());

    MSG msg;
    while (!state.closed) {
        const BOOL got = GetMessageA(&msg, nullptr, 0, 0);
        if (got <= 0) {
            if (got == 0)
                PostQuitMessage(static_cast<int>(msg.wParam)); // leave it to the outer loop
            if (IsWindow(form)) DestroyWindow(form);
            break;
        }
        const bool mine = msg.hwnd == form || IsChild(form, msg.hwnd);
        if (!mine || !keys.OnKeyDown(msg)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        if (mine && IsWindow(form)) keys.ShowDefaultBorder(GetFocus());
    }
    return state.result;
}

} // namespace talvex::win32
