// The settings of a `TalvexCtl show --json` document, taken from another machine, as the
// assignments `set --from` applies.
#pragma once

#include "console/arguments.h"
#include "console/environment.h"
#include "settings/driver_parameters.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex::ctl {

struct FromFile {
    std::vector<Assignment> assignments; // by value name, in the document's order
    std::vector<std::string> warnings;   // what is left out, and why
    std::string error;                   // the document is not one `set --from` takes
};

// A setting stored on the other machine is applied as stored; one it did not hold is left as it
// is here, and so is one stored in a state its page keeps but would not write from a user's
// choice (a number its list lacks, a type it never writes), with a warning. A setting may also
// be given bare, as NAME=VALUE gives it ("VLANID": 12), and is then checked as NAME=VALUE is.
// The NetworkAddress is never applied: two machines with one address break the network.
FromFile ReadFromFile(std::string_view text);

// The assignments of the --from file at path, its warnings told on standard error and kept in
// warnings; a failure (status 4, its message ending with nothingDone) when the file can't be
// read or is not such a document.
Failure AssignmentsFromFile(const std::string& path, const char* nothingDone, CtlEnvironment& env,
                            std::vector<std::string>& warnings,
                            std::vector<Assignment>& assignments);

// A stored setting's text as the page would write it back: what NAME=VALUE takes, and a grayed
// GVRP box (2), which the Virtual LAN page writes as it shows it. nullopt for anything else.
std::optional<ParameterValue> ParseStoredSetting(const DriverParameter& parameter,
                                                 std::string_view text);

} // namespace talvex::ctl
