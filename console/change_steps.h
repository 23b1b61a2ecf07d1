// A change made with set --confirm-within: the steps set takes for it, and how show tells it.
// Every step is safe to run twice; docs/fleets.md gives the order and why.
#pragma once

#include "console/commands.h"
#include "settings/change_record.h"

#include <optional>

namespace talvex::ctl {

// Before anything is written: a change that waits stops set (status 7), unless --confirm was
// given and it can be confirmed; confirmed then says so.
Failure ClearTheWay(const SetCommand& command, CtlEnvironment& env, bool& confirmed);
// The task that puts the change back, then its record of every value's before and after, on
// disk before any value is written.
Failure PrepareChange(CtlEnvironment& env, const PendingChange& change);
// Once every value is written: they are flushed to disk, then the record says Applied. Should
// that be refused, the values are put back at once.
Failure MarkApplied(CtlEnvironment& env, const PendingChange& change);
// A write of the values failed and was put back: the record and the task go too. When it could
// not be put back, they stay, and the task puts every value back at the next start.
void AbandonChange(CtlEnvironment& env, const PendingChange& change, bool restored);

// What show adds: the change that waits and the last one put back.
nlohmann::ordered_json ChangeJson(const std::optional<PendingChange>& change, Services& services,
                                  const AnsiToUtf8& utf8);
nlohmann::ordered_json LastRevertJson(const std::optional<LastRevert>& revert);
void ChangeText(Output& out, const std::optional<PendingChange>& change,
                const std::optional<LastRevert>& revert, Services& services,
                const AnsiToUtf8& utf8);

} // namespace talvex::ctl
