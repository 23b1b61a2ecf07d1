// Small fixed-size dialogs built from a table, shown modally without an owner window.
#pragma once

#include "platform/win32/layout.h"

#include <span>

namespace talvex::win32 {

struct ModalFormLayout {
    const char* caption;
    int clientWidth;  // twips
    int clientHeight; // twips
    std::span<const ChildLayout> children;
};

// Shows the form centred on the screen, disabling the thread's other windows while it is open.
// The focus starts on the first button; the default border follows it. Enter presses the
// focused button, Escape closes the form as its title bar's close does.
// Returns the id of the button that closed it, or 0 when it was closed any other way.
int RunModalForm(const ModalFormLayout& layout);

// While a dialog or message box of the thread is open: brings it to the front.
void BringModalDialogForward();

// Gives the activation back, when a modal dialog has closed, to the window that had it before:
// a window disabled while the dialog was open is passed over when the dialog goes, and the
// keyboard would then reach no window at all.
class ActivationReturn {
  public:
    ActivationReturn() : active_(GetActiveWindow()) {}
    ~ActivationReturn();
    ActivationReturn(const ActivationReturn&) = delete;
    ActivationReturn& operator=(const ActivationReturn&) = delete;

  private:
    HWND active_;
};

} // namespace talvex::win32
