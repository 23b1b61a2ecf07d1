#include "console/ctl.h"

#include "console/commands.h"
#include "settings/vb_registry.h"
#include "talvex_version.h"

namespace talvex::ctl {

const char kHelpText[] = R"(TalvexCtl: show, set and diagnose the Talvex Fast Ethernet adapter.

  TalvexCtl show [--json]
      The adapter, its eight settings (as stored in the registry and as the window shows
      them), the host name, IP address and MAC address.
  TalvexCtl set NAME=VALUE ... [--dry-run] [--restart]
  TalvexCtl set --from FILE [NAME=VALUE ...] [--dry-run] [--restart]
      Writes the values given, all or nothing; only those. NAME is the registry value or the
      window's label (ConnectionType or "Connection Type"); VALUE a list entry's text or its
      number (ConnectionType=100BaseTX or =3). --from takes the settings of a show --json
      document from another machine, never its NetworkAddress. --dry-run writes nothing.
      --restart restarts Windows when something was written. Needs an elevated prompt.
  TalvexCtl diag [--cycles N] [--tests register,srom,cable] [--json]
      Runs the diagnostic tests (N from 1 to 50, default 1; all three tests by default).
      Ctrl+C stops the run at the next cycle. Needs an elevated prompt.
  TalvexCtl --version
      The version of the program, as its file properties and Apps & Features show it.

Settings: EnableTagging, EnableGVRP (0 or 1), VLANID (0 to 4094), ConnectionType (AutoSense,
10BaseT, 10BaseT FD, 100BaseTX, 100BaseTX FD), NetworkAddress, RxBuffer, TxBuffer (numbers),
TxStartThreshold (256, 512, 768, 1024, Store and Forward = 8188).

Exit status: 0 all well; 1 a test failed, the run was stopped, or a value was refused; 2 the
hardware could not be opened; 3 no adapter found; 4 wrong usage; 5 the registry refused a write
(not an administrator). Results go to standard output, messages to standard error.
)";

std::string Padded(std::string text, std::size_t width) {
    if (text.size() < width) text.append(width - text.size(), ' ');
    return text;
}

std::optional<AdapterRecord> FindAdapterFor(CtlEnvironment& env) {
    auto adapter = FindSupportedAdapter(env.registry);
    if (!adapter)
        env.err << "TalvexCtl: no network adapter of the Talvex driver is installed (none of the "
                   "NetworkCards entries 1 to 5 is one).\n";
    else // the title as read keeps its terminator, which the adapter box does not show
        adapter->title = std::string(WithoutTrailingNuls(adapter->title));
    return adapter;
}

int RunTalvexCtl(std::span<const std::string> args, CtlEnvironment& env) {
    if (args.size() == 1 && args.front() == "--version") {
        env.out << "TalvexCtl " TALVEX_VERSION "\n";
        return kExitOk;
    }
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.command) {
        env.err << "TalvexCtl: " << parsed.error << " See TalvexCtl --help.\n";
        return kExitUsage;
    }
    struct Run {
        CtlEnvironment& env;
        int operator()(const HelpCommand&) const {
            env.out << kHelpText;
            return kExitOk;
        }
        int operator()(const ShowCommand& command) const { return RunShow(command, env); }
        int operator()(const SetCommand& command) const { return RunSet(command, env); }
        int operator()(const DiagCommand& command) const { return RunDiag(command, env); }
    };
    return std::visit(Run{env}, *parsed.command);
}

} // namespace talvex::ctl
