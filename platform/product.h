// The program's name, as its window, tray tip, dialogs and message boxes show it; both programs
// and every subsystem take it from here.
#pragma once

namespace talvex {

inline constexpr char kAppTitle[] = "Talvex Adapter Configuration";

} // namespace talvex
