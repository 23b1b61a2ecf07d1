#include "platform/win32/win32_services.h"

#include "platform/win32/dialogs.h"
#include "platform/win32/hardware_guard.h"

namespace talvex::win32 {
namespace {

constexpr char kInstanceMutexName[] = "Local\\TalvexAdapterConfiguration.Instance";

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

SingleInstanceMark::SingleInstanceMark()
    : mutex_(CreateMutexA(nullptr, FALSE, kInstanceMutexName)),
      previous_(GetLastError() == ERROR_ALREADY_EXISTS) {}

MsgBoxResult Win32Services::MsgBox(const std::string& text, const std::string& title,
                                   MsgBoxStyle style) {
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

// --- The General and Support pages ---

// --- Diagnostics ---

void Win32Services::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
}

// A quit request met here belongs to the main loop: it is posted again for that loop to find.
bool Win32Services::DoEvents() {
    MSG msg;
    while (!quitting_ && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            quitting_ = true;
            break;
        }
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

bool Win32Services::LoadDriverAgent() {
    if (!driverAgent_) driverAgent_.Load();
    return static_cast<bool>(driverAgent_);
}

bool Win32Services::GuardHardwareCall(const std::function<void()>& call) {
    return GuardedHardwareCall(call);
}

} // namespace talvex::win32
