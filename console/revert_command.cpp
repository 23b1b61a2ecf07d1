// TalvexCtl confirm | revert [--if-unconfirmed] [--restart]: a change made with set
// --confirm-within kept, or put back. revert --if-unconfirmed is the command of the task that set
// registers: at the start of Windows it waits for the deadline, then puts the change back and
// restarts Windows, unless a confirm came first.
#include "console/change_steps.h"

#include "console/message_catcher.h"
#include "console/settings_view.h"
#include "diag/runner.h"
#include "shell/pending_change.h"
#include "shell/restart.h"

#include <algorithm>

namespace talvex::ctl {
namespace {

// How often the wait looks at the record, which a confirm removes.
constexpr std::uint32_t kPollMs = 5000;

constexpr char kElevated[] =
    " needs an elevated prompt (PowerShell or a command prompt started with Run as "
    "administrator)";

// --- confirm ---

// said: the result's text, for standard output.
Failure ApplyConfirm(CtlEnvironment& env, ConfirmResult& result, std::string& said) {
    result = ConfirmChange(env.registry, env.services);
    switch (result.outcome) {
    case ConfirmResult::Confirmed:
        said = "Confirmed: the adapter keeps its new settings (" + ChangedNames(*result.change) +
               ").\n";
        return {};
    case ConfirmResult::NothingWaits: said = "Nothing waits for confirmation.\n"; return {};
    case ConfirmResult::BeingUndone:
        return Tell(env, kExitChangePending,
                    "the change of " + ChangedNames(*result.change) +
                        " is being put back (it was not completed, or was not confirmed in "
                        "time): it can't be confirmed. TalvexCtl revert finishes putting it back.");
    case ConfirmResult::Refused: break;
    }
    return Tell(env, kExitWriteRefused,
                "the registry refused to remove the record of the change (error " +
                    std::to_string(result.error) + "): confirm" + kElevated + ".");
}

// --- revert ---

struct RevertReport {
    std::optional<PendingChange> change; // what was put back
    bool reverted = false;
    bool putBack = false; // a value differed from its before
    bool restarted = false;
    std::string note; // when nothing was put back: why
};

enum class WaitEnd { Due, Settled, Stopped };

// Until the deadline, minutes after the start of Windows; a confirm (or a revert by hand)
// removes the record meanwhile. Ctrl+C, a closing console and a shutdown end the wait as they end
// a diagnostic run, with the console's stop request: nothing is put back then, and the task
// starts again at the next start of Windows.
WaitEnd WaitForDeadline(CtlEnvironment& env, int minutes) {
    const std::uint64_t deadline = std::uint64_t(minutes) * 60000;
    bStopDiagTest = false;
    for (;;) {
        const std::uint64_t since = env.services.MillisecondsSinceStart();
        if (since >= deadline) return WaitEnd::Due;
        env.services.Sleep(static_cast<std::uint32_t>(std::min<std::uint64_t>(kPollMs, deadline - since)));
        if (!env.services.DoEvents() || bStopDiagTest) return WaitEnd::Stopped;
        const auto change = ReadPendingChange(env.registry);
        if (!change || change->state != ChangeState::Applied) return WaitEnd::Settled;
    }
}

Failure TellRevertFailure(CtlEnvironment& env, const SaveResult& saved) {
    std::string message = "the registry refused to put the previous values back (error " +
                          std::to_string(saved.error) + ")";
    if (saved.error == kErrorAccessDenied) message += std::string(": revert") + kElevated;
    message += saved.restored ? ". Nothing was changed."
                              : ". Some values could not be restored either: the settings are now "
                                "partly changed. The task puts every previous value back at the "
                                "next start of Windows.";
    return Tell(env, kExitWriteRefused, message);
}

// The change to put back and why; nullopt (with the note) when there is none, or when it was
// settled while the task waited.
std::optional<PendingChange> ChangeToRevert(const RevertCommand& command, CtlEnvironment& env,
                                            RevertReport& report, std::string& reason,
                                            Failure& failure) {
    auto change = ReadPendingChange(env.registry);
    reason = "put back with TalvexCtl revert";
    if (!change) {
        // The task's own run: a record cut short before it was complete goes, and so does the
        // task, which has nothing left to do.
        if (command.ifUnconfirmed && RemoveChangeRecord(env.registry) == kErrorSuccess)
            env.services.DeleteTask(kRevertTaskName);
        report.note = "Nothing waits for confirmation: nothing was put back.";
        return std::nullopt;
    }
    if (!command.ifUnconfirmed) return change;
    if (change->state != ChangeState::Applied) {
        reason = "it was interrupted before all its values were written";
        return change;
    }
    env.err << "TalvexCtl: the change of " << ChangedNames(*change) << " waits for confirmation until "
            << MinutesText(change->minutes) << " after Windows started.\n";
    switch (WaitForDeadline(env, change->minutes)) {
    case WaitEnd::Due: break;
    case WaitEnd::Settled:
        report.note = "The change was confirmed or put back meanwhile.";
        return std::nullopt;
    case WaitEnd::Stopped:
        failure = Tell(env, kExitRefused,
                       "the wait was stopped: nothing was put back, and the change still waits "
                       "for confirmation.");
        return std::nullopt;
    }
    reason = "not confirmed within " + MinutesText(change->minutes) + " after Windows started";
    return change;
}

Failure ApplyRevert(const RevertCommand& command, CtlEnvironment& env, RevertReport& report) {
    std::string reason;
    Failure failure;
    const auto found = ChangeToRevert(command, env, report, reason, failure);
    if (!found) return failure;
    const RevertResult result = RevertChange(env.registry, env.services, *found, reason);
    report.change = result.change;
    if (!result.change) {
        report.note = "The change was confirmed or put back meanwhile.";
        return {};
    }
    if (result.saved.outcome == SaveResult::Failed) return TellRevertFailure(env, result.saved);
    report.reverted = true;
    report.putBack = result.putBack;
    if (!result.putBack || !(command.restart || command.ifUnconfirmed)) return {};
    MessageCatcher services(env.services); // why Windows refused, in a message box
    report.restarted = RequestRevertRestart(services, command.ifUnconfirmed);
    if (!report.restarted) return {kExitRestartRefused, services.Last()};
    return {};
}

void RevertText(Output& out, const RevertReport& report, const AnsiToUtf8& utf8) {
    if (!report.reverted) {
        out << report.note << "\n";
        return;
    }
    for (const ChangedValue& value : report.change->values)
        out << Parameter(value.param).valueName << ": " << utf8(StoredText(value.after)) << " -> "
            << utf8(StoredText(value.before)) << "\n";
    if (!report.putBack)
        out << "The values were as before the change already.\n";
    else if (!report.restarted)
        out << "Put back: the previous settings take effect when Windows restarts.\n";
}

nlohmann::ordered_json RevertDocument(const RevertReport& report, const Failure& failure,
                                      const AnsiToUtf8& utf8) {
    nlohmann::ordered_json values = nlohmann::ordered_json::array();
    if (report.reverted)
        for (const ChangedValue& value : report.change->values)
            values.push_back({{"name", Parameter(value.param).valueName},
                              {"from", StoredJson(value.after, utf8)},
                              {"to", StoredJson(value.before, utf8)}});
    return {{"schema", kJsonSchema},
            {"reverted", report.reverted},
            {"values", values},
            {"restartNeeded", report.putBack},
            {"restarted", report.restarted},
            {"error", ErrorJson(failure)}};
}

} // namespace

int RunConfirm(const ConfirmCommand& command, CtlEnvironment& env) {
    ConfirmResult result;
    std::string said;
    const Failure failure = ApplyConfirm(env, result, said);
    if (!command.json) env.out << said;
    if (command.json)
        PrintJson(env, {{"schema", kJsonSchema},
                        {"confirmed", result.outcome == ConfirmResult::Confirmed},
                        {"change", ChangeJson(result.change, env.services, env.utf8)},
                        {"error", ErrorJson(failure)}});
    return failure.status;
}

int RunRevert(const RevertCommand& command, CtlEnvironment& env) {
    RevertReport report;
    const Failure failure = ApplyRevert(command, env, report);
    if (command.json)
        PrintJson(env, RevertDocument(report, failure, env.utf8));
    else if (!failure || failure.status == kExitRestartRefused)
        RevertText(env.out, report, env.utf8);
    return failure.status;
}

} // namespace talvex::ctl
