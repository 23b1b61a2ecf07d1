// A change that waits for confirmation: the task that puts it back unless it is confirmed in
// time, and the confirming and putting back both programs do.
#pragma once

#include "platform/registry_api.h"
#include "platform/services.h"
#include "settings/change_record.h"
#include "settings/save_result.h"

#include <cstdint>
#include <optional>
#include <string>

namespace talvex {

inline constexpr char kRevertTaskName[] = "Talvex Adapter Configuration revert";
// The task's command line after the console tool's path.
inline constexpr char kRevertTaskArguments[] = "revert --if-unconfirmed";

// The task, in Task Scheduler's schema: at system start, as the system with its highest rights,
// ended a few minutes after the deadline, on battery too, one at a time.
std::string RevertTaskXml(const std::string& consoleTool, int minutes);
bool RegisterRevertTask(Services& services, int minutes);

// When an applied change is put back (seconds since 1970 UTC): minutes after the start of
// Windows, once Windows has started since the change was made; nullopt before that restart.
std::optional<std::int64_t> RevertDeadline(const PendingChange& change, Services& services);

struct ConfirmResult {
    enum Outcome {
        Confirmed,    // the record and the task are gone: the change stays
        NothingWaits, // no change waits
        BeingUndone,  // the change was not completed, or is being put back: it can't be kept
        Refused,      // the registry refused to remove the record (error)
    };
    Outcome outcome = NothingWaits;
    std::int32_t error = 0;
    std::optional<PendingChange> change;
};
// The record goes before the task: a task left behind finds no record at the next start and
// removes itself, whereas a record left without its task would wait for ever.
ConfirmResult ConfirmChange(RegistryApi& api, Services& services);

struct RevertResult {
    std::optional<PendingChange> change; // what was put back; nullopt: it no longer waited
    SaveResult saved;     // Failed: the values are as they were before this revert began
    bool putBack = false; // a value differed from its before and was put back
};
// Puts every value of the change back as it was before it (a missing one deleted again), all or
// nothing, then keeps what was done as the last revert and removes the record and the task.
// Nothing is put back when the record no longer holds the change found (a confirm came first).
// Safe to run again after an interruption at any point.
RevertResult RevertChange(RegistryApi& api, Services& services, const PendingChange& found,
                          const std::string& reason);

} // namespace talvex
