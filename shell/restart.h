// The restart that makes new driver settings count, as YES after OK asks for it.
#pragma once

#include "platform/services.h"

namespace talvex {

// Enables the shutdown privilege and asks Windows to restart; when Windows refuses, the user is
// told so. True when Windows took the request.
bool RequestRestart(Services& services);
// The restart after a change was put back. Unattended, no one is at the machine to answer a
// program that hangs: such a program is ended rather than left to keep the machine, perhaps
// unreachable, from restarting.
bool RequestRevertRestart(Services& services, bool unattended);

} // namespace talvex
