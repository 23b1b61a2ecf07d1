// The program's own dialogs.
#pragma once

namespace talvex::win32 {

// "No network adapter. Program will terminate." Returns when it has been closed.
void ShowNoAdapterFoundDialog();

// dlgReboot: true when YES closed it; NO or closing it any other way is false.
bool ShowRebootDialog();

} // namespace talvex::win32
