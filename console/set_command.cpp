// TalvexCtl set NAME=VALUE ... | --from FILE [--dry-run] [--restart]: the values given, checked as
// the pages check them, written all or nothing in the order OK writes them.
#include "console/commands.h"

#include "console/from_file.h"
#include "console/settings_view.h"
#include "settings/network_address.h"
#include "shell/restart.h"

#include <algorithm>

namespace talvex::ctl {
namespace {

struct Change {
    Param param;
    std::string given;
    ParameterValue value;
};

std::size_t IndexOf(Param param) {
    return static_cast<std::size_t>(param);
}

// A text is quoted, so that the empty one shows.
std::string Quoted(const DriverParameter& parameter, const std::string& shown) {
    return parameter.kind == ParameterKind::Text ? "\"" + shown + "\"" : shown;
}

std::string KnownNames() {
    std::string names;
    for (const DriverParameter& parameter : DriverParameters())
        names += std::string("\n  ") + parameter.valueName + " (" + parameter.label + ")";
    return names;
}

// The assignments of the file, then of the command line; false after telling why not.
bool GatherAssignments(const SetCommand& command, CtlEnvironment& env,
                       std::vector<Assignment>& assignments, std::vector<std::string>& refusals) {
    if (command.fromFile) {
        const std::string& path = *command.fromFile;
        const auto text = env.readFile(path, kMaxFromFileBytes);
        if (!text) {
            env.err << "TalvexCtl: " << path
                    << " can't be read, or is larger than 1 MiB. Nothing was written.\n";
            return false;
        }
        FromFile from = ReadFromFile(*text);
        if (!from.error.empty()) {
            env.err << "TalvexCtl: " << path << " " << from.error << ". Nothing was written.\n";
            return false;
        }
        for (const std::string& warning : from.warnings)
            env.err << "TalvexCtl: warning: " << warning << "\n";
        assignments = std::move(from.assignments);
        refusals = std::move(from.refusals);
    }
    assignments.insert(assignments.end(), command.assignments.begin(), command.assignments.end());
    return true;
}

// Each name known and given once; false after telling why not.
bool ResolveNames(const std::vector<Assignment>& assignments, CtlEnvironment& env,
                  std::vector<std::pair<Param, const Assignment*>>& named) {
    std::array<bool, kParamCount> seen{};
    for (const Assignment& assignment : assignments) {
        const DriverParameter* parameter = FindDriverParameter(assignment.name);
        if (!parameter) {
            env.err << "TalvexCtl: there is no setting \"" << assignment.name
                    << "\". The settings are:" << KnownNames() << "\nNothing was written.\n";
            return false;
        }
        const auto index = static_cast<std::size_t>(parameter - DriverParameters().data());
        if (std::exchange(seen[index], true)) {
            env.err << "TalvexCtl: " << parameter->valueName
                    << " is given more than once. Nothing was written.\n";
            return false;
        }
        named.emplace_back(static_cast<Param>(index), &assignment);
    }
    return true;
}

void TellWriteFailure(const SaveResult& result, CtlEnvironment& env) {
    env.err << "TalvexCtl: the registry refused the change (error " << result.error << ")";
    if (result.error == kErrorAccessDenied)
        env.err << ": set needs an elevated prompt (PowerShell or a command prompt started with "
                   "Run as administrator)";
    env.err << (result.restored ? ". Nothing was changed.\n"
                                : ". Some values already written could not be put back either: "
                                  "the settings are now partly changed. Check them with "
                                  "TalvexCtl show.\n");
}

} // namespace

int RunSet(const SetCommand& command, CtlEnvironment& env) {
    std::vector<Assignment> assignments;
    std::vector<std::string> refusals;
    std::vector<std::pair<Param, const Assignment*>> named;
    if (!GatherAssignments(command, env, assignments, refusals) ||
        !ResolveNames(assignments, env, named))
        return kExitUsage;
    const auto adapter = FindAdapterFor(env);
    if (!adapter) return kExitNoAdapter;

    std::vector<Change> changes;
    for (const auto& [param, assignment] : named) {
        const DriverParameter& parameter = Parameter(param);
        if (auto value = ParseParameterValue(parameter, assignment->value)) {
            changes.push_back({param, assignment->value, std::move(*value)});
            continue;
        }
        refusals.push_back(std::string(parameter.valueName) + " \"" + assignment->value +
                           "\" refused: " + RefusalText(parameter) + " " + AcceptedText(parameter));
    }
    if (!refusals.empty()) {
        for (const std::string& refusal : refusals)
            env.err << "TalvexCtl: " << refusal << "\n";
        env.err << "TalvexCtl: nothing was written.\n";
        return kExitRefused;
    }
    // The driver's own judgement of the address is a warning, as the page's balloon tip is.
    for (const Change& change : changes)
        if (const auto* text = std::get_if<std::string>(&change.value))
            if (const auto problem = NetworkAddressProblem(*text))
                env.err << "TalvexCtl: warning: NetworkAddress: " << *problem << "\n";

    // In the order OK writes them; a value already stored as it would be written is left alone.
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.param < b.param; });
    const SettingsSnapshot before = ReadSettings(env.registry, adapter->driverKeyName);
    ParameterWriter writer(env.registry);
    std::vector<std::string> lines;
    bool anyChange = false;
    for (const Change& change : changes) {
        const DriverParameter& parameter = Parameter(change.param);
        const auto& stored = before.stored[IndexOf(change.param)];
        const std::string now = Quoted(parameter, talvex::ShownText(parameter, change.value));
        if (stored && *stored == WrittenValue(change.value)) {
            lines.push_back(std::string(parameter.valueName) + ": " + now + " (unchanged)");
            continue;
        }
        const std::string was =
            stored ? Quoted(parameter, ShownText(before, change.param)) : "missing";
        lines.push_back(std::string(parameter.valueName) + ": " + was + " -> ");
        lines.back() += now;
        anyChange = true;
        if (!command.dryRun)
            WriteParameter(writer, adapter->driverKeyName, parameter, change.value);
    }
    const SaveResult result = writer.Finish();
    if (result.outcome == SaveResult::Failed) {
        TellWriteFailure(result, env);
        return kExitWriteRefused;
    }

    for (const std::string& line : lines)
        env.out << line << "\n";
    if (command.dryRun)
        env.out << "Dry run: nothing was written."
                << (anyChange ? " Writing these would need a restart of Windows.\n" : "\n");
    else if (anyChange)
        env.out << "Restart needed: the new settings take effect when Windows restarts.\n";
    else
        env.out << "Nothing changed: no restart needed.\n";
    if (command.restart && anyChange && !command.dryRun) RequestRestart(env.services);
    return kExitOk;
}

} // namespace talvex::ctl
