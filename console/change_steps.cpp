#include "console/change_steps.h"

#include "console/settings_view.h"
#include "shell/pending_change.h"

namespace talvex::ctl {
namespace {

// Why a change in that state stands in set's way, and the way out.
std::string InTheWay(const PendingChange& change) {
    if (change.state == ChangeState::Applied)
        return "a change of " + ChangedNames(change) +
               " made with --confirm-within waits for confirmation. Confirm it first "
               "(TalvexCtl confirm, or set --confirm), or put it back (TalvexCtl revert). Nothing "
               "was written.";
    return "a change of " + ChangedNames(change) +
           " is being put back: it was not completed, or was not confirmed in time. TalvexCtl "
           "revert finishes putting it back. Nothing was written.";
}

} // namespace

Failure ClearTheWay(const SetCommand& command, CtlEnvironment& env, bool& confirmed) {
    const auto waiting = ReadPendingChange(env.registry);
    if (!waiting) return {};
    if (!command.confirm || waiting->state != ChangeState::Applied)
        return Tell(env, kExitChangePending, InTheWay(*waiting));
    const ConfirmResult result = ConfirmChange(env.registry, env.services);
    if (result.outcome == ConfirmResult::Refused)
        return Tell(env, kExitWriteRefused,
                    "the registry refused to confirm the change that waits (error " +
                        std::to_string(result.error) +
                        "): set needs an elevated prompt (PowerShell or a command prompt started "
                        "with Run as administrator). Nothing was written.");
    confirmed = result.outcome == ConfirmResult::Confirmed;
    return {};
}

// Registering the task needs an administrator, and so does the record: without one nothing of
// it is left behind.
Failure PrepareChange(CtlEnvironment& env, const PendingChange& change) {
    if (!env.elevated())
        return Tell(env, kExitWriteRefused,
                    "set --confirm-within needs an elevated prompt (PowerShell or a command "
                    "prompt started with Run as administrator). Nothing was written.");
    if (!RegisterRevertTask(env.services, change.minutes))
        return Tell(env, kExitWriteRefused,
                    "the task that would put the change back could not be registered (schtasks "
                    "refused it). Nothing was written.");
    if (const std::int32_t error = RecordChange(env.registry, change)) {
        RemoveChangeRecord(env.registry);
        env.services.DeleteTask(kRevertTaskName);
        return Tell(env, kExitWriteRefused,
                    "the registry refused the record of the change (error " +
                        std::to_string(error) + "). Nothing was written.");
    }
    return {};
}

namespace {

// The driver's values on disk before the record, in another hive, says anything of them.
void FlushValues(CtlEnvironment& env, const PendingChange& change) {
    const std::string path = DriverParametersPath(change.driverKeyName);
    vbRegistry(env.registry).FlushKey(kHKeyLocalMachine, path.substr(0, path.size() - 1));
}

} // namespace

Failure MarkApplied(CtlEnvironment& env, const PendingChange& change) {
    FlushValues(env, change);
    const std::int32_t error = SetChangeState(env.registry, ChangeState::Applied);
    if (error == kErrorSuccess) {
        RemoveLastRevert(env.registry); // the story begins again
        return {};
    }
    const RevertResult putBack = RevertChange(env.registry, env.services, change,
                                              "the change could not be marked as applied");
    const bool back = putBack.saved.outcome == SaveResult::Written;
    return Tell(env, kExitWriteRefused,
                "the registry refused to mark the change as applied (error " +
                    std::to_string(error) + "). " +
                    (back ? "Its values were put back: nothing was changed."
                          : "The task puts its values back at the next start of Windows."));
}

void AbandonChange(CtlEnvironment& env, const PendingChange& change, bool restored) {
    if (!restored) return;
    FlushValues(env, change);
    if (RemoveChangeRecord(env.registry) == kErrorSuccess)
        env.services.DeleteTask(kRevertTaskName);
}

nlohmann::ordered_json ChangeJson(const std::optional<PendingChange>& change, Services& services,
                                  const AnsiToUtf8& utf8) {
    if (!change) return nullptr;
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    for (const ChangedValue& value : change->values)
        values.push_back({{"name", Parameter(value.param).valueName},
                          {"before", StoredJson(value.before, utf8)},
                          {"after", StoredJson(value.after, utf8)}});
    const auto deadline = RevertDeadline(*change, services);
    return {{"state", ChangeStateName(change->state)},
            {"setAt", UtcText(change->setAt)},
            {"minutes", change->minutes},
            {"deadline", deadline ? nlohmann::ordered_json(UtcText(*deadline)) : nullptr},
            {"values", values}};
}

nlohmann::ordered_json LastRevertJson(const std::optional<LastRevert>& revert) {
    if (!revert) return nullptr;
    return {{"at", UtcText(revert->at)}, {"values", revert->values}, {"reason", revert->reason}};
}

void ChangeText(Output& out, const std::optional<PendingChange>& change,
                const std::optional<LastRevert>& revert, Services& services,
                const AnsiToUtf8& utf8) {
    if (change) {
        out << "\nChange       made " << UtcText(change->setAt) << ", ";
        const auto deadline = RevertDeadline(*change, services);
        if (change->state != ChangeState::Applied)
            out << "being put back\n";
        else if (deadline)
            out << "put back at " << UtcText(*deadline) << " unless confirmed\n";
        else
            out << "put back " << MinutesText(change->minutes)
                << " after Windows restarts unless confirmed\n";
        for (const ChangedValue& value : change->values)
            out << "             " << Padded(Parameter(value.param).valueName, 18)
                << utf8(StoredText(value.before)) << " -> " << utf8(StoredText(value.after))
                << "\n";
    }
    if (revert) {
        std::string names;
        for (const std::string& name : revert->values)
            names += (names.empty() ? "" : ", ") + name;
        out << (change ? "" : "\n") << "Last revert  " << UtcText(revert->at) << ": " << names
            << " (" << revert->reason << ")\n";
    }
}

} // namespace talvex::ctl
