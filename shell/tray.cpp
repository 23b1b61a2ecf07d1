// The tray icon's notifications and its popup menu.
#include "shell/form1.h"

namespace talvex {

void Form1::TrayIcon1_Notify(int notification) {
    if (notification == kTrayShowHide) {
        mnuShowHide_Click();
    } else if (notification == kTrayPopupMenu) {
        c_.window->PopupMenu(*c_.mnuShowHide);
    }
}

// The caption always tells what choosing the item will do next. The window is shown with what
// the driver's key holds now.
void Form1::mnuShowHide_Click() {
    const bool show = !c_.window->Visible();
    if (show) {
        RefreshUneditedPages();
        general.ShowChangeState();
    }
    c_.window->SetVisible(show);
    c_.mnuShowHide->SetCaption(c_.window->Visible() ? kHideWindowCaption : kShowWindowCaption);
}

// Nothing is asked and nothing saved; unloading ends the program normally.
void Form1::mnuExit_Click() {
    c_.window->Unload();
}

} // namespace talvex
