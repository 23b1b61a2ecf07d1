// TalvexCtl set NAME=VALUE ... | --from FILE [--dry-run] [--restart [--confirm-within M]]
// [--confirm] [--json]: the values given, checked as the pages check them, written all or nothing
// in the order OK writes them; with --confirm-within, put back unless confirmed in time.
#include "console/commands.h"

#include "console/change_steps.h"
#include "console/from_file.h"
#include "console/message_catcher.h"
#include "console/settings_view.h"
#include "settings/network_address.h"
#include "shell/restart.h"

#include <algorithm>

namespace talvex::ctl {
namespace {

// A value as it is written: texts in the ANSI code page, as the registry class writes them.
struct Change {
    Param param;
    ParameterValue value;
};

// What one value came to, as the page would show it; texts in UTF-8.
struct ChangeLine {
    Param param;
    std::optional<std::string> old; // nullopt: missing
    std::string now;
    bool changed = false;
};

struct SetReport {
    std::vector<ChangeLine> changes;
    std::vector<std::string> warnings;
    bool anyChange = false;
    bool judged = false;  // the values were checked: past usage and discovery
    bool applied = false; // written, or found writable on a dry run
    bool written = false; // the registry holds every value given (written now, or already so)
    bool restarted = false;
    bool confirmedFirst = false; // a change that waited for confirmation was confirmed first
};

// A value to write, with what it was and what it becomes.
struct PlannedWrite {
    const Change* change;
    ChangedValue recorded;
};

// A text is quoted, so that the empty one shows.
std::string Quoted(Param param, const std::string& shown) {
    return Parameter(param).kind == ParameterKind::Text ? "\"" + shown + "\"" : shown;
}

std::string KnownNames() {
    std::string names;
    for (const DriverParameter& parameter : DriverParameters())
        names += std::string("\n  ") + parameter.valueName + " (" + parameter.label + ")";
    return names;
}

void Warn(CtlEnvironment& env, SetReport& report, std::string warning) {
    TellWarning(env, warning);
    report.warnings.push_back(std::move(warning));
}

// The assignments of the file, then of the command line.
Failure GatherAssignments(const SetCommand& command, CtlEnvironment& env, SetReport& report,
                          std::vector<Assignment>& assignments) {
    if (command.fromFile)
        if (Failure failure = AssignmentsFromFile(*command.fromFile, "Nothing was written.", env,
                                                  report.warnings, assignments))
            return failure;
    assignments.insert(assignments.end(), command.assignments.begin(), command.assignments.end());
    return {};
}

// Each name known and given once.
Failure ResolveNames(const std::vector<Assignment>& assignments, CtlEnvironment& env,
                     std::vector<std::pair<Param, const Assignment*>>& named) {
    std::array<bool, kParamCount> seen{};
    for (const Assignment& assignment : assignments) {
        const DriverParameter* parameter = FindDriverParameter(assignment.name);
        if (!parameter)
            return Tell(env, kExitUsage,
                        "there is no setting \"" + assignment.name +
                            "\". The settings are:" + KnownNames() + "\nNothing was written.");
        const auto index = static_cast<std::size_t>(parameter - DriverParameters().data());
        if (std::exchange(seen[index], true))
            return Tell(env, kExitUsage,
                        std::string(parameter->valueName) +
                            " is given more than once. Nothing was written.");
        named.emplace_back(static_cast<Param>(index), &assignment);
    }
    return {};
}

} // namespace

std::string Judge(const DriverParameter& parameter, const Assignment& assignment,
                  CtlEnvironment& env, std::optional<ParameterValue>& value) {
    value = assignment.asStored ? ParseStoredSetting(parameter, assignment.value)
                                : ParseParameterValue(parameter, assignment.value);
    if (!value) return RefusalText(parameter) + " " + AcceptedText(parameter);
    auto* text = std::get_if<std::string>(&*value);
    if (!text) return {};
    // The registry class writes with the ANSI functions: the text must have a form there.
    auto ansi = env.ansi(*text);
    if (!ansi)
        return std::string(parameter.label) +
               " can hold only characters of the system's code page.";
    *text = std::move(*ansi);
    return {};
}

namespace {

// Every value as the pages take it, or every refusal at once.
Failure ParseChanges(const std::vector<std::pair<Param, const Assignment*>>& named,
                     CtlEnvironment& env, SetReport& report, std::vector<Change>& changes) {
    std::string refusals;
    for (const auto& [param, assignment] : named) {
        const DriverParameter& parameter = Parameter(param);
        std::optional<ParameterValue> value;
        const std::string why = Judge(parameter, *assignment, env, value);
        if (why.empty()) {
            changes.push_back({param, std::move(*value)});
            continue;
        }
        refusals += std::string(refusals.empty() ? "" : "\n") + parameter.valueName + " \"" +
                    assignment->value + "\" refused: " + why;
    }
    if (!refusals.empty()) return Tell(env, kExitRefused, refusals + "\nNothing was written.");
    // The driver's own judgement of the address is a warning, as the page's balloon tip is.
    for (const Change& change : changes)
        if (const auto* text = std::get_if<std::string>(&change.value))
            if (const auto problem = NetworkAddressProblem(*text))
                Warn(env, report, "NetworkAddress: " + *problem);
    return {};
}

Failure TellWriteFailure(const SaveResult& result, CtlEnvironment& env, bool recorded) {
    std::string message =
        "the registry refused the change (error " + std::to_string(result.error) + ")";
    if (result.error == kErrorAccessDenied)
        message += ": set needs an elevated prompt (PowerShell or a command prompt started with "
                   "Run as administrator)";
    message += result.restored ? ". Nothing was changed."
                               : ". Some values already written could not be put back either: "
                                 "the settings are now partly changed. Check them with "
                                 "TalvexCtl show.";
    if (!result.restored && recorded)
        message += " The task puts every previous value back at the next start of Windows.";
    return Tell(env, kExitWriteRefused, message);
}

// In the order OK writes them; a value already stored as it would be written is left alone.
std::vector<PlannedWrite> PlanChanges(CtlEnvironment& env, const std::string& driverKey,
                                      std::vector<Change>& changes, SetReport& report) {
    std::sort(changes.begin(), changes.end(),
              [](const Change& a, const Change& b) { return a.param < b.param; });
    const ParameterReadings before = ReadParameters(env.registry, driverKey);
    std::vector<PlannedWrite> writes;
    for (const Change& change : changes) {
        const DriverParameter& parameter = Parameter(change.param);
        const auto& stored = Reading(before, change.param).stored;
        const RegistryValue after = WrittenValue(change.value);
        ChangeLine line{change.param, std::nullopt, env.utf8(ShownText(parameter, change.value)),
                        !(stored && *stored == after)};
        if (stored) line.old = env.utf8(Reading(before, change.param).shown);
        if (line.changed) writes.push_back({&change, {change.param, stored, after}});
        report.changes.push_back(std::move(line));
    }
    report.anyChange = !writes.empty();
    return writes;
}

// recorded: the change's record, written before the values.
Failure WriteChanges(CtlEnvironment& env, const std::string& driverKey,
                     const std::vector<PlannedWrite>& writes, const PendingChange* recorded) {
    ParameterWriter writer(env.registry);
    for (const PlannedWrite& write : writes)
        WriteParameter(writer, driverKey, Parameter(write.change->param), write.change->value);
    const SaveResult result = writer.Finish();
    if (result.outcome != SaveResult::Failed) return {};
    if (recorded) AbandonChange(env, *recorded, result.restored);
    return TellWriteFailure(result, env, recorded != nullptr);
}

// With --confirm-within, the change's record comes before the values and says Applied after
// them; a write refused puts back what was written and removes the record.
Failure Apply(const SetCommand& command, CtlEnvironment& env, const AdapterRecord& adapter,
              const std::vector<PlannedWrite>& writes) {
    if (!command.confirmWithin) return WriteChanges(env, adapter.driverKeyName, writes, nullptr);
    PendingChange change{ChangeState::Prepared, adapter.driverKeyName, env.services.UtcNow(),
                         *command.confirmWithin, {}, {}};
    for (const PlannedWrite& write : writes)
        change.values.push_back(write.recorded);
    if (Failure failure = PrepareChange(env, change)) return failure;
    if (Failure failure = WriteChanges(env, adapter.driverKeyName, writes, &change))
        return failure;
    return MarkApplied(env, change);
}

Failure ApplySet(const SetCommand& command, CtlEnvironment& env, SetReport& report) {
    std::vector<Assignment> assignments;
    std::vector<std::pair<Param, const Assignment*>> named;
    if (Failure failure = GatherAssignments(command, env, report, assignments)) return failure;
    if (Failure failure = ResolveNames(assignments, env, named)) return failure;
    Failure failure;
    const auto adapter = FindAdapterFor(env, failure);
    if (!adapter) return failure;
    std::vector<Change> changes;
    report.judged = true;
    if (Failure refused = ParseChanges(named, env, report, changes)) return refused;
    const std::vector<PlannedWrite> writes =
        PlanChanges(env, adapter->driverKeyName, changes, report);
    report.applied = command.dryRun;
    if (command.dryRun) return {};
    if (Failure refused = ClearTheWay(command, env, report.confirmedFirst)) return refused;
    if (!writes.empty())
        if (Failure refused = Apply(command, env, *adapter, writes)) return refused;
    report.applied = report.written = true;
    if (!command.restart || !report.anyChange) return {};
    // RequestRestart tells why Windows refused in a message box: standard error here.
    MessageCatcher services(env.services);
    report.restarted = RequestRestart(services);
    if (!report.restarted) return {kExitRestartRefused, services.Last()};
    return {};
}

void SetText(Output& out, const SetCommand& command, const SetReport& report) {
    if (report.confirmedFirst) out << "The change that waited for confirmation is confirmed.\n";
    for (const ChangeLine& line : report.changes) {
        out << Parameter(line.param).valueName << ": ";
        if (!line.changed)
            out << Quoted(line.param, line.now) << " (unchanged)\n";
        else
            out << (line.old ? Quoted(line.param, *line.old) : "missing") << " -> "
                << Quoted(line.param, line.now) << "\n";
    }
    if (command.dryRun)
        out << "Dry run: nothing was written."
            << (report.anyChange ? " Writing these would need a restart of Windows.\n" : "\n");
    else if (report.anyChange)
        out << "Restart needed: the new settings take effect when Windows restarts.\n";
    else
        out << "Nothing changed: no restart needed.\n";
    if (command.confirmWithin && report.written && report.anyChange)
        out << "Unless TalvexCtl confirm runs within " << MinutesText(*command.confirmWithin)
            << " after Windows starts again, the previous settings are put back and "
               "Windows restarts once more.\n";
}

nlohmann::ordered_json SetDocument(const SetCommand& command, const SetReport& report,
                                   const Failure& failure) {
    nlohmann::ordered_json changes = nlohmann::ordered_json::array();
    for (const ChangeLine& line : report.changes)
        changes.push_back({{"name", Parameter(line.param).valueName},
                           {"old", line.old ? nlohmann::ordered_json(*line.old) : nullptr},
                           {"new", line.now},
                           {"changed", line.changed}});
    return {{"schema", kJsonSchema},
            {"written", report.written},
            {"dryRun", command.dryRun},
            {"changes", changes},
            {"restartNeeded", report.written && report.anyChange},
            {"restarted", report.restarted},
            {"confirmWithin", command.confirmWithin && report.written && report.anyChange
                                  ? nlohmann::ordered_json(*command.confirmWithin)
                                  : nullptr},
            {"confirmedFirst", report.confirmedFirst},
            {"warnings", report.warnings},
            {"error", ErrorJson(failure)}};
}

} // namespace

int RunSet(const SetCommand& command, CtlEnvironment& env) {
    SetReport report;
    const Failure failure = ApplySet(command, env, report);
    if (command.json)
        PrintJson(env, report.judged ? SetDocument(command, report, failure)
                                     : FailureDocument("set", failure));
    else if (report.applied)
        SetText(env.out, command, report);
    return failure.status;
}

} // namespace talvex::ctl
