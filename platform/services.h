// System services and the program's dialogs, as the window logic needs them.
#pragma once

#include <string>

namespace talvex {

enum class MsgBoxStyle { InformationOk, CriticalOk, ExclamationYesNo };
enum class MsgBoxResult { Ok, Yes, No };

class Services {
  public:
    virtual ~Services() = default;
    // Whether another instance was running when this process started. Fixed at start-up, so
    // asking again later gives the same answer.
    virtual bool PreviousInstance() const = 0;
    virtual MsgBoxResult MsgBox(const std::string& text, const std::string& title,
                                MsgBoxStyle style) = 0;
    // Shows dlgNoAdapterFound modally and returns when it has been closed.
    virtual void ShowNoAdapterFound() = 0;

    // --- Apply and restart ---

    // --- The General and Support pages ---

    // --- Diagnostics ---
};

} // namespace talvex
