#include "console/ctl.h"

#include "console/commands.h"
#include "console/settings_view.h"
#include "settings/vb_registry.h"

#include <algorithm>
#include <utility>

namespace talvex::ctl {

const char kHelpText[] = R"(TalvexCtl: show, set and diagnose the Talvex Fast Ethernet adapter.

  TalvexCtl show [--json]
      The adapter, its eight settings (as stored in the registry and as the window shows
      them), the host name, IP address and MAC address.
  TalvexCtl set NAME=VALUE ... [--dry-run] [--restart] [--json]
  TalvexCtl set --from FILE [NAME=VALUE ...] [--dry-run] [--restart] [--json]
      Writes the values given, all or nothing; only those. NAME is the registry value or the
      window's label (ConnectionType or "Connection Type"); VALUE a list entry's text or its
      number (ConnectionType=100BaseTX or =3). --from takes the settings of a show --json
      document from another machine, never its NetworkAddress; a stored value the window
      would keep but not take is left out with a warning. --dry-run writes nothing.
      --restart restarts Windows when something was written. Needs an elevated prompt.
  TalvexCtl diag [--cycles N] [--tests register,srom,cable] [--json]
      Runs the diagnostic tests (N from 1 to 50, default 1; all three tests by default).
      Ctrl+C stops the run at the next cycle. Needs an elevated prompt.

Settings: EnableTagging, EnableGVRP (0 or 1), VLANID (0 to 4094), ConnectionType (AutoSense,
10BaseT, 10BaseT FD, 100BaseTX, 100BaseTX FD), NetworkAddress, RxBuffer, TxBuffer (numbers),
TxStartThreshold (256, 512, 768, 1024, Store and Forward = 8188).

--json prints one JSON document on standard output, failures included: its "error" is null,
or the exit status and the message.

Exit status: 0 all well; 1 a test failed, the run was stopped, or a value was refused; 2 the
hardware could not be opened, or its library failed during the run; 3 no adapter found; 4 wrong
usage; 5 the registry refused a write (not an administrator); 6 Windows refused the restart (the
new values are written and take effect at the next restart). Results go to standard output,
messages to standard error.
)";

// Counted in characters, not bytes: a UTF-8 sequence takes one column.
std::string Padded(std::string text, std::size_t width) {
    const auto columns =
        static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
            return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
        }));
    if (columns < width) text.append(width - columns, ' ');
    return text;
}

Failure Tell(CtlEnvironment& env, int status, std::string message) {
    env.err << "TalvexCtl: " << message << "\n";
    return {status, std::move(message)};
}

std::optional<AdapterRecord> FindAdapterFor(CtlEnvironment& env, Failure& failure) {
    auto adapter = FindSupportedAdapter(env.registry);
    if (!adapter)
        failure = Tell(env, kExitNoAdapter,
                       "no network adapter of the Talvex driver is installed (none of the "
                       "NetworkCards entries 1 to 5 is one).");
    else // the title as read keeps its terminator, which the adapter box does not show
        adapter->title = std::string(WithoutTrailingNuls(adapter->title));
    return adapter;
}

nlohmann::ordered_json ErrorJson(const Failure& failure) {
    if (!failure) return nullptr;
    return {{"status", failure.status}, {"message", failure.message}};
}

nlohmann::ordered_json FailureDocument(std::string_view command, const Failure& failure) {
    constexpr std::pair<std::string_view, const char*> kVerdicts[] = {{"set", "written"},
                                                                      {"diag", "passed"}};
    nlohmann::ordered_json document = {{"schema", kJsonSchema}};
    for (const auto& [name, verdict] : kVerdicts)
        if (name == command) document[verdict] = false;
    document["error"] = ErrorJson(failure);
    return document;
}

void PrintJson(CtlEnvironment& env, const nlohmann::ordered_json& document) {
    env.out << JsonText(document, 2) << "\n";
}

int Failed(CtlEnvironment& env, bool json, std::string_view command, const Failure& failure) {
    if (json) PrintJson(env, FailureDocument(command, failure));
    return failure.status;
}

int RunTalvexCtl(std::span<const std::string> args, CtlEnvironment& env) {
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.command)
        return Failed(env, parsed.json, parsed.name,
                      Tell(env, kExitUsage, parsed.error + " See TalvexCtl --help."));
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
