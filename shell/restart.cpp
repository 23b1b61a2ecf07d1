#include "shell/restart.h"

#include "platform/product.h"

#include <string>

namespace talvex {
namespace {

constexpr unsigned kEwxReboot = 2; // restart, without forcing applications to close

} // namespace

bool RequestRestart(Services& services) {
    services.EnableShutdownPrivilege();
    const std::int32_t refused = services.ExitWindowsEx(kEwxReboot, 0);
    if (refused)
        services.MsgBox("Windows did not restart (error " + std::to_string(refused) +
                            "). The new settings take effect when you restart Windows yourself.",
                        kAppTitle, MsgBoxStyle::InformationOk);
    return refused == 0;
}

} // namespace talvex
