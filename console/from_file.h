// The settings of a `TalvexCtl show --json` document, taken from another machine, as the
// assignments `set --from` applies.
#pragma once

#include "console/arguments.h"

#include <string>
#include <string_view>
#include <vector>

namespace talvex::ctl {

struct FromFile {
    std::vector<Assignment> assignments; // by value name, in the document's order
    std::vector<std::string> warnings;   // what is left out, and why
    std::vector<std::string> refusals;   // values that can't be applied as stored
    std::string error;                   // the document is not one `set --from` takes
};

// A setting stored on the other machine is applied as stored; one it did not hold is left as it
// is here. A setting may also be given bare, as NAME=VALUE gives it ("VLANID": 12). The
// NetworkAddress is never applied: two machines with one address break the network.
FromFile ReadFromFile(std::string_view text);

} // namespace talvex::ctl
