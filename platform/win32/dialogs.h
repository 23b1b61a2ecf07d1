// The program's own dialogs.
#pragma once

namespace talvex::win32 {

// "No network adapter. Program will terminate." Returns when it has been closed.
void ShowNoAdapterFoundDialog();

} // namespace talvex::win32
