#include "console/ctl.h"

#include "console/commands.h"
#include "console/settings_view.h"
#include "diag/diag_tests.h"
#include "settings/driver_parameters.h"
#include "settings/vb_registry.h"
#include "talvex_version.h"

#include <algorithm>
#include <utility>

namespace talvex::ctl {

namespace {

constexpr char kUsage[] = R"(TalvexCtl: show, set and diagnose the Talvex Fast Ethernet adapter.

  TalvexCtl show [--json]
      The adapter, its settings (as stored in the registry and as the window shows them),
      the host name, IP address and MAC address, and a change that waits for confirmation.
  TalvexCtl set NAME=VALUE ... [--dry-run] [--restart [--confirm-within M]] [--json]
  TalvexCtl set --from FILE [NAME=VALUE ...] [the same options]
      Writes the values given, all or nothing; only those. NAME is the registry value or the
      window's label (ConnectionType or "Connection Type"); VALUE a list entry's text or its
      number (ConnectionType=100BaseTX or =3). --from takes the settings of a show --json
      document from another machine, never its NetworkAddress; a stored value the window
      would keep but not take is left out with a warning. --dry-run writes nothing.
      --restart restarts Windows when something was written. --confirm-within M (1 to 1440)
      puts the previous values back and restarts Windows again unless TalvexCtl confirm runs
      within M minutes after the restart. While such a change waits, set is refused unless
      --confirm confirms it first. Needs an elevated prompt.
  TalvexCtl confirm [--json]
      Keeps the change that waits for confirmation.
  TalvexCtl revert [--restart] [--json]
      Puts the values of the change that waits back as they were; --restart restarts Windows.
      (revert --if-unconfirmed is the start-up task's: it waits for the deadline first.)
  TalvexCtl test --from FILE [--json]
      Whether the settings are those of a show --json document, as set --from would write them
      (status 0), or not (status 1, each difference listed).
)";

constexpr char kStatuses[] = R"(
--json prints one JSON document on standard output, failures included: its "error" is null,
or the exit status and the message.

Exit status: 0 all well; 1 a test failed, the run was stopped, or a value was refused; 2 the
hardware could not be opened, or its library failed during the run; 3 no adapter found; 4 wrong
usage; 5 the registry refused a write (not an administrator); 6 Windows refused the restart (the
new values are written and take effect at the next restart); 7 a change made with
--confirm-within waits for confirmation or is being put back. test: 1 the settings differ.
Results go to standard output, messages to standard error.
)";

constexpr std::size_t kHelpWidth = 94;

// The words in lines of at most kHelpWidth columns, each beginning with indent blanks.
std::string Wrapped(std::string_view words, std::size_t indent) {
    const std::string margin(indent, ' ');
    std::string text, line;
    for (std::size_t start = 0; start < words.size();) {
        const std::size_t end = std::min(words.find(' ', start), words.size());
        const std::string_view word = words.substr(start, end - start);
        start = end + 1;
        if (word.empty()) continue;
        if (!line.empty() && indent + line.size() + 1 + word.size() > kHelpWidth) {
            text += margin + line + "\n";
            line.clear();
        }
        if (!line.empty()) line += ' ';
        line += word;
    }
    return text + margin + line + "\n";
}

// What a parameter takes, in a few words; empty for any text.
std::string Takes(const DriverParameter& parameter) {
    switch (parameter.kind) {
    case ParameterKind::Flag: return "0 or 1";
    case ParameterKind::VlanId: return "0 to " + std::to_string(kMaxVlanId);
    case ParameterKind::Number: return "numbers";
    case ParameterKind::Text: return {};
    case ParameterKind::ListIndex:
    case ParameterKind::ListValue: break;
    }
    std::string entries;
    for (const ListEntry& entry : parameter.entries) {
        if (!entries.empty()) entries += ", ";
        entries += entry.text;
        const std::string number = std::to_string(entry.stored);
        if (parameter.kind == ParameterKind::ListValue && number != entry.text)
            entries += " = " + number;
    }
    return entries;
}

// "Settings: EnableTagging, EnableGVRP (0 or 1), VLANID (0 to 4094), ...": neighbours that take
// the same share it.
std::string SettingsHelp() {
    std::string text = "Settings:";
    const auto parameters = DriverParameters();
    for (std::size_t i = 0; i < parameters.size(); ++i) {
        const std::string takes = Takes(parameters[i]);
        text += std::string(i == 0 ? " " : ", ") + parameters[i].valueName;
        const bool shared = i + 1 < parameters.size() && Takes(parameters[i + 1]) == takes;
        if (!shared && !takes.empty()) text += " (" + takes + ")";
    }
    return Wrapped(text + ".", 0);
}

std::string DiagHelp() {
    std::string ids;
    for (const DiagTest& test : kDiagTests)
        ids += std::string(ids.empty() ? "" : ",") + test.id;
    return "  TalvexCtl diag [--cycles N] [--tests " + ids + "] [--json]\n" +
           Wrapped("Runs the diagnostic tests (N from 1 to " + std::to_string(kMaxDiagCycles) +
                       ", default 1; every test by default). Ctrl+C stops the run at the next "
                       "cycle. Needs an elevated prompt.",
                   6);
}

} // namespace

std::string HelpText() {
    return kUsage + DiagHelp() +
           "  TalvexCtl --version\n      The version of the program, as its file properties and "
           "Apps & Features show it.\n\n" +
           SettingsHelp() + kStatuses;
}

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

void TellWarning(CtlEnvironment& env, const std::string& warning) {
    env.err << "TalvexCtl: warning: " << warning << "\n";
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
    constexpr std::pair<std::string_view, const char*> kVerdicts[] = {
        {"set", "written"},         {"diag", "passed"},      {"test", "matches"},
        {"confirm", "confirmed"},   {"revert", "reverted"}};
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
    if (args.size() == 1 && args.front() == "--version") {
        env.out << "TalvexCtl " TALVEX_VERSION "\n";
        return kExitOk;
    }
    const ParsedCommandLine parsed = ParseCommandLine(args);
    if (!parsed.command)
        return Failed(env, parsed.json, parsed.name,
                      Tell(env, kExitUsage, parsed.error + " See TalvexCtl --help."));
    struct Run {
        CtlEnvironment& env;
        int operator()(const HelpCommand&) const {
            env.out << HelpText();
            return kExitOk;
        }
        int operator()(const ShowCommand& command) const { return RunShow(command, env); }
        int operator()(const SetCommand& command) const { return RunSet(command, env); }
        int operator()(const DiagCommand& command) const { return RunDiag(command, env); }
        int operator()(const ConfirmCommand& command) const { return RunConfirm(command, env); }
        int operator()(const RevertCommand& command) const { return RunRevert(command, env); }
        int operator()(const TestCommand& command) const { return RunTest(command, env); }
    };
    return std::visit(Run{env}, *parsed.command);
}

} // namespace talvex::ctl
