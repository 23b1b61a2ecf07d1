#include "platform/win32/win32_services.h"

#include "platform/win32/dialogs.h"

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

} // namespace talvex::win32
