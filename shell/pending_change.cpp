#include "shell/pending_change.h"

#include "settings/parameter_writer.h"

namespace talvex {
namespace {

// Beyond the deadline, for the putting back and the restart: the task is ended after that.
constexpr int kTaskMarginMinutes = 5;
// How long to wait for the change mark: its holder keeps it for a few registry writes.
constexpr int kMarkTries = 100;
constexpr std::uint32_t kMarkPollMs = 100;

// Confirming a change and starting to put it back never interleave: a confirm could otherwise
// remove the record just after the task read it and say the change stays while the task puts it
// back. Each holds the mark from reading the record to removing it or marking it Reverting, after
// which a confirm is refused. A holder that never lets go (it is ended with its process) is
// waited for ten seconds, then gone on without.
class ChangeMark {
  public:
    explicit ChangeMark(Services& services) : services_(services) {
        for (int tries = 0; !(held_ = services_.TakeChangeMark()) && tries < kMarkTries; ++tries)
            services_.Sleep(kMarkPollMs);
    }
    ~ChangeMark() {
        if (held_) services_.ReleaseChangeMark();
    }
    ChangeMark(const ChangeMark&) = delete;
    ChangeMark& operator=(const ChangeMark&) = delete;

  private:
    Services& services_;
    bool held_ = false;
};

bool SameChange(const PendingChange& a, const PendingChange& b) {
    return a.setAt == b.setAt && a.driverKeyName == b.driverKeyName && a.values == b.values;
}

std::string XmlEscaped(const std::string& text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return out;
}

} // namespace

std::string RevertTaskXml(const std::string& consoleTool, int minutes) {
    const std::string limit = "PT" + std::to_string(minutes + kTaskMarginMinutes) + "M";
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\r\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\r\n"
           "  <RegistrationInfo><Description>Puts the adapter's previous settings back and "
           "restarts Windows unless TalvexCtl confirm runs within " +
           MinutesText(minutes) + " after Windows starts.</Description></RegistrationInfo>\r\n"
           "  <Triggers><BootTrigger><Enabled>true</Enabled></BootTrigger></Triggers>\r\n"
           "  <Principals><Principal id=\"System\"><UserId>S-1-5-18</UserId>"
           "<RunLevel>HighestAvailable</RunLevel></Principal></Principals>\r\n"
           "  <Settings><MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"
           "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>"
           "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>"
           "<ExecutionTimeLimit>" +
           limit + "</ExecutionTimeLimit><Priority>4</Priority></Settings>\r\n" +
           R"(  <Actions Context="System"><Exec><Command>")" + XmlEscaped(consoleTool) +
           R"("</Command><Arguments>)" + kRevertTaskArguments +
           "</Arguments></Exec></Actions>\r\n</Task>\r\n";
}

bool RegisterRevertTask(Services& services, int minutes) {
    const std::string tool = services.ConsoleToolPath();
    return !tool.empty() && services.CreateTask(kRevertTaskName, RevertTaskXml(tool, minutes));
}

// Windows started after the change was made: the restart that makes its values count is behind.
std::optional<std::int64_t> RevertDeadline(const PendingChange& change, Services& services) {
    const std::int64_t started =
        services.UtcNow() - static_cast<std::int64_t>(services.MillisecondsSinceStart() / 1000);
    if (change.state != ChangeState::Applied || started <= change.setAt) return std::nullopt;
    return started + std::int64_t{change.minutes} * 60;
}

namespace {

// The record goes under the mark; the task after it.
ConfirmResult RemoveRecordIfApplied(RegistryApi& api, Services& services) {
    ConfirmResult result;
    const ChangeMark mark(services);
    result.change = ReadPendingChange(api);
    if (!result.change) return result;
    result.outcome = ConfirmResult::BeingUndone;
    if (result.change->state != ChangeState::Applied) return result;
    result.error = RemoveChangeRecord(api);
    result.outcome = result.error == kErrorSuccess ? ConfirmResult::Confirmed : ConfirmResult::Refused;
    return result;
}

} // namespace

ConfirmResult ConfirmChange(RegistryApi& api, Services& services) {
    ConfirmResult result = RemoveRecordIfApplied(api, services);
    if (result.outcome != ConfirmResult::Confirmed) return result;
    services.DeleteTask(kRevertTaskName);
    return result;
}

// The state says Reverting before any value is touched, so that an interruption is finished at
// the next start rather than taken for a change that waits. A value already as it was is left
// alone, which makes a second run after an interruption write only what the first did not.
RevertResult RevertChange(RegistryApi& api, Services& services, const PendingChange& found,
                          const std::string& reason) {
    RevertResult result;
    {
        const ChangeMark mark(services);
        result.change = ReadPendingChange(api);
        if (!result.change || !SameChange(*result.change, found)) {
            result.change.reset();
            return result;
        }
        if (result.change->state != ChangeState::Reverting || result.change->reason.empty())
            result.change->reason = reason;
        if (const std::int32_t error =
                SetChangeState(api, ChangeState::Reverting, result.change->reason)) {
            result.saved = {SaveResult::Failed, error};
            return result;
        }
    }
    const PendingChange& change = *result.change;
    const std::string& why = change.reason;
    const std::string path = DriverParametersPath(change.driverKeyName);
    vbRegistry registry(api);
    ParameterWriter writer(api);
    LastRevert revert{services.UtcNow(), {}, why};
    for (const ChangedValue& value : change.values) {
        const std::string subKey = path + Parameter(value.param).valueName;
        revert.values.emplace_back(Parameter(value.param).valueName);
        if (registry.ReadValue(kHKeyLocalMachine, subKey) == value.before) continue;
        result.putBack = true;
        if (value.before)
            writer.WriteValue(subKey, *value.before);
        else
            writer.DeleteValue(subKey);
    }
    result.saved = writer.Finish();
    if (result.saved.outcome == SaveResult::Failed) return result;
    // On disk before the record goes, which is in another hive.
    registry.FlushKey(kHKeyLocalMachine, path.substr(0, path.size() - 1));
    WriteLastRevert(api, revert);
    if (RemoveChangeRecord(api) == kErrorSuccess) services.DeleteTask(kRevertTaskName);
    return result;
}

} // namespace talvex
