#include "gui/win32_services.h"

#include "gui/dialogs.h"
#include "gui/modal_form.h"

namespace talvex::win32 {
namespace {

UINT MessageBoxFlags(MsgBoxStyle style) {
    constexpr UINT kCommon = MB_TASKMODAL | MB_SETFOREGROUND;
    switch (style) {
    case MsgBoxStyle::InformationOk: return kCommon | MB_OK | MB_ICONINFORMATION;
    case MsgBoxStyle::CriticalOk: return kCommon | MB_OK | MB_ICONSTOP;
    case MsgBoxStyle::ExclamationYesNo:
        return kCommon | MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON1;
    }
    return kCommon | MB_OK;
}

} // namespace

MsgBoxResult Win32Services::MsgBox(const std::string& text, const std::string& title,
                                   MsgBoxStyle style) {
    const ActivationReturn activation;
    switch (MessageBoxA(nullptr, text.c_str(), title.c_str(), MessageBoxFlags(style))) {
    case IDYES: return MsgBoxResult::Yes;
    case IDNO: return MsgBoxResult::No;
    default: return MsgBoxResult::Ok;
    }
}

void Win32Services::ShowNoAdapterFound() {
    ShowNoAdapterFoundDialog();
}

// --- Apply and restart ---

bool Win32Services::ShowRebootDialog() {
    return win32::ShowRebootDialog();
}

// --- The General and Support pages ---

void Win32Services::ShellExecuteA(std::uintptr_t owner, const std::string& operation,
                                  const std::string& file, const std::string& parameters,
                                  const std::string& directory, int showCommand) {
    ::ShellExecuteA(reinterpret_cast<HWND>(owner), operation.c_str(), file.c_str(),
                    parameters.c_str(), directory.c_str(), showCommand);
}

// --- Diagnostics ---

// A quit request met here belongs to the main loop: it is posted again for that loop to find.
bool Win32Services::DoEvents() {
    MSG msg;
    while (!quitting_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            quitting_ = true;
            break;
        }
        if (filter_ && filter_(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !quitting_;
}

void Win32Services::RefreshMainWindow() {
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
            if (IsWindowVisible(window))
                RedrawWindow(window, nullptr, nullptr,
                             RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
            return TRUE;
        },
        0);
}

} // namespace talvex::win32
