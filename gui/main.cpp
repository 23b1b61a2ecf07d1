// TalvexCfg.exe: the main window lives for as long as the process.
#include "gui/form1_window.h"
#include "platform/win32/registry_win32.h"
#include "gui/win32_services.h"

using namespace talvex;

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Taken before anything else, so that the answer is the one at process start.
    const win32::SingleInstanceMark instanceMark;

    win32::Win32Services services(instanceMark);
    Win32Registry registry;
    win32::Form1Window window{win32::Form1Window::WithoutControls{}};
    Form1 form(window.Controls(), services, registry);
    window.Attach(form);
    services.SetMessageFilter([&window](MSG& msg) { return window.PreTranslate(msg); });

    // Another instance, or no adapter: the process ends at once, with nothing unloaded.
    if (!form.StartUp()) return 0;
    // The icon goes up as soon as it is known to be wanted. Its clicks wait in the queue until
    // the message loop below runs, and by then the window is loaded.
    window.AddTrayIcon();
    window.BuildControls();
    form.InitializeWindow();

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (window.PreTranslate(msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    form.TerminateWindow();
    return 0;
}
