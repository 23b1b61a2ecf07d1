// TalvexCtl: show, set and diagnose the adapter from scripts. The commands run on the same
// registry class, page logic and test runner as the window; what is Win32 about the console tool
// (its services, the console, elevation) comes in through CtlEnvironment.
#pragma once

#include "console/environment.h"

#include <span>
#include <string>

namespace talvex::ctl {

// The text of --help: the commands, the settings and tests they take, the exit statuses.
std::string HelpText();

// args: the arguments after the program's name. Returns the exit status.
int RunTalvexCtl(std::span<const std::string> args, CtlEnvironment& env);

} // namespace talvex::ctl
