// The record of a change of the driver's settings that waits for confirmation, and of the last
// change put back, under HKLM\SOFTWARE: only administrators and the system can write there, so a
// standard user can't plant a record that the system's task would then apply.
#pragma once

#include "platform/registry_api.h"
#include "settings/driver_parameters.h"
#include "settings/vb_registry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvex {

inline constexpr char kProductKey[] = R"(SOFTWARE\Talvex\Adapter Configuration)";
inline constexpr char kChangeKey[] = R"(SOFTWARE\Talvex\Adapter Configuration\Change)";
inline constexpr char kLastRevertKey[] = R"(SOFTWARE\Talvex\Adapter Configuration\Last Revert)";
inline constexpr int kMaxConfirmMinutes = 1440;

enum class ChangeState {
    Prepared,  // recorded, its values not yet all written
    Applied,   // every value written: it waits for confirmation
    Reverting, // its values are being put back
};
const char* ChangeStateName(ChangeState state);

struct ChangedValue {
    Param param;
    std::optional<RegistryValue> before; // as stored before the change; nullopt: missing
    RegistryValue after;
    bool operator==(const ChangedValue&) const = default;
};

struct PendingChange {
    ChangeState state = ChangeState::Prepared;
    std::string driverKeyName;
    std::int64_t setAt = 0; // seconds since 1970 UTC
    int minutes = 0;        // the time given to confirm it, from start-up
    std::vector<ChangedValue> values; // in the order they are written
    std::string reason;               // why it is being put back (Reverting)
};

struct LastRevert {
    std::int64_t at = 0;
    std::vector<std::string> values; // the value names put back
    std::string reason;
};

// "1 minute", "5 minutes".
std::string MinutesText(int minutes);
// "VLANID, ConnectionType": the change's value names, in its order.
std::string ChangedNames(const PendingChange& change);

// The complete record; nullopt when there is none, or only one cut short before its state was
// written (nothing of the change was written then), or one naming what no change writes.
std::optional<PendingChange> ReadPendingChange(RegistryApi& api);
// Writes the record with the state Prepared, the state last, and flushes it to disk. Returns the
// registry's status (0: on disk).
std::int32_t RecordChange(RegistryApi& api, const PendingChange& change);
// The state (with the reason, for Reverting), flushed to disk.
std::int32_t SetChangeState(RegistryApi& api, ChangeState state, const std::string& reason = {});
// Removes the record, cut short or not; 0 when none is left.
std::int32_t RemoveChangeRecord(RegistryApi& api);

std::optional<LastRevert> ReadLastRevert(RegistryApi& api);
std::int32_t WriteLastRevert(RegistryApi& api, const LastRevert& revert);
std::int32_t RemoveLastRevert(RegistryApi& api);

// "2024-05-01T10:00:00Z", and back; nullopt for any other text.
std::string UtcText(std::int64_t seconds);
std::optional<std::int64_t> ParseUtcText(std::string_view text);

} // namespace talvex
