// The console tool's commands. Each checks its own usage first, then finds the adapter.
#pragma once

#include "console/arguments.h"
#include "console/ctl.h"
#include "shell/find_adapter.h"

#include <optional>

namespace talvex::ctl {

// The adapter, as the window finds it; nullopt after telling the user there is none.
std::optional<AdapterRecord> FindAdapterFor(CtlEnvironment& env);

int RunShow(const ShowCommand& command, CtlEnvironment& env);
int RunSet(const SetCommand& command, CtlEnvironment& env);
int RunDiag(const DiagCommand& command, CtlEnvironment& env);

} // namespace talvex::ctl
