#include "shell/restart.h"

#include "platform/product.h"

#include <string>

namespace talvex {
namespace {

constexpr unsigned kEwxReboot = 2;       // restart, without forcing applications to close
constexpr unsigned kEwxForceIfHung = 16; // ... except those that don't answer

bool Restart(Services& services, unsigned flags, const char* afterwards) {
    services.EnableShutdownPrivilege();
    const std::int32_t refused = services.ExitWindowsEx(flags, 0);
    if (refused)
        services.MsgBox("Windows did not restart (error " + std::to_string(refused) + "). " +
                            afterwards,
                        kAppTitle, MsgBoxStyle::InformationOk);
    return refused == 0;
}

} // namespace

bool RequestRestart(Services& services) {
    return Restart(services, kEwxReboot,
                   "The new settings take effect when you restart Windows yourself.");
}

bool RequestRevertRestart(Services& services, bool unattended) {
    return Restart(services, unattended ? kEwxReboot | kEwxForceIfHung : kEwxReboot,
                   "The previous settings take effect when Windows restarts.");
}

} // namespace talvex
