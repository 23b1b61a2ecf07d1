#include "settings/change_record.h"

#include "settings/parameter_writer.h"

#include <algorithm>
#include <cstdio>

namespace talvex {
namespace {

// The values of the record's key. Each changed value is kept twice, under "Before <name>" and
// "After <name>", with the type and bytes it had; a before that was missing is not there.
constexpr char kDriver[] = "Driver";
constexpr char kSetAt[] = "Set At";
constexpr char kMinutes[] = "Minutes";
constexpr char kValues[] = "Values";
constexpr char kReason[] = "Reason";
constexpr char kState[] = "State";
constexpr char kBefore[] = "Before ";
constexpr char kAfter[] = "After ";
constexpr char kAt[] = "At";

constexpr ChangeState kStates[] = {ChangeState::Prepared, ChangeState::Applied,
                                   ChangeState::Reverting};

std::string In(const char* key, const std::string& name) {
    return std::string(key) + "\\" + name;
}

std::optional<std::string> ReadText(vbRegistry& registry, const char* key, const char* name) {
    const auto value = registry.ReadValue(kHKeyLocalMachine, In(key, name));
    if (!value || value->type != kRegSz) return std::nullopt;
    return std::string(WithoutTrailingNuls(
        {reinterpret_cast<const char*>(value->data.data()), value->data.size()}));
}

std::string Joined(const std::vector<std::string>& names) {
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ",") + name;
    return text;
}

// Value names of the parameter table, each once; nullopt for anything else.
std::optional<std::vector<Param>> ParseNames(std::string_view text) {
    std::vector<Param> params;
    while (!text.empty()) {
        const std::string_view name = text.substr(0, text.find(','));
        const DriverParameter* parameter = FindDriverParameter(name);
        if (!parameter || name != parameter->valueName) return std::nullopt;
        const auto param = static_cast<Param>(parameter - DriverParameters().data());
        if (std::find(params.begin(), params.end(), param) != params.end()) return std::nullopt;
        params.push_back(param);
        text.remove_prefix(std::min(text.size(), name.size() + 1));
    }
    return params;
}

// Days since 1970-01-01 of a date in the proleptic Gregorian calendar, and back.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

} // namespace

const char* ChangeStateName(ChangeState state) {
    constexpr const char* kNames[] = {"prepared", "applied", "reverting"};
    return kNames[static_cast<std::size_t>(state)];
}

std::string MinutesText(int minutes) {
    return std::to_string(minutes) + (minutes == 1 ? " minute" : " minutes");
}

std::string ChangedNames(const PendingChange& change) {
    std::string names;
    for (const ChangedValue& value : change.values)
        names += (names.empty() ? "" : ", ") + std::string(Parameter(value.param).valueName);
    return names;
}

std::optional<PendingChange> ReadPendingChange(RegistryApi& api) {
    vbRegistry registry(api);
    const auto state = ReadText(registry, kChangeKey, kState);
    if (!state) return std::nullopt;
    const auto known = std::find_if(std::begin(kStates), std::end(kStates),
                                    [&](ChangeState s) { return *state == ChangeStateName(s); });
    const auto driver = ReadText(registry, kChangeKey, kDriver);
    const auto setAt = ReadText(registry, kChangeKey, kSetAt);
    const auto names = ReadText(registry, kChangeKey, kValues);
    const auto minutes = registry.ReadValue(kHKeyLocalMachine, In(kChangeKey, kMinutes));
    const std::uint32_t number = minutes ? DwordOf(*minutes).value_or(0) : 0;
    const auto params = names ? ParseNames(*names) : std::nullopt;
    const auto at = setAt ? ParseUtcText(*setAt) : std::nullopt;
    if (known == std::end(kStates) || !driver || !NamesADriverKey(*driver) || !at || number < 1 ||
        number > kMaxConfirmMinutes || !params || params->empty())
        return std::nullopt;
    PendingChange change{*known, *driver, *at, static_cast<int>(number), {},
                         ReadText(registry, kChangeKey, kReason).value_or("")};
    for (const Param param : *params) {
        const std::string name = Parameter(param).valueName;
        auto after = registry.ReadValue(kHKeyLocalMachine, In(kChangeKey, kAfter + name));
        if (!after) return std::nullopt;
        change.values.push_back(
            {param, registry.ReadValue(kHKeyLocalMachine, In(kChangeKey, kBefore + name)),
             std::move(*after)});
    }
    return change;
}

// Whatever an earlier, interrupted record left goes first. The state comes last: a record cut
// short before it is no record, and nothing of its change has been written yet.
std::int32_t RecordChange(RegistryApi& api, const PendingChange& change) {
    if (const std::int32_t removed = RemoveChangeRecord(api)) return removed;
    vbRegistry registry(api);
    std::vector<std::string> names;
    bool written = registry.WriteString(kHKeyLocalMachine, In(kChangeKey, kDriver),
                                        change.driverKeyName) &&
                   registry.WriteString(kHKeyLocalMachine, In(kChangeKey, kSetAt),
                                        UtcText(change.setAt)) &&
                   registry.WriteDword(kHKeyLocalMachine, In(kChangeKey, kMinutes), change.minutes);
    for (const ChangedValue& value : change.values) {
        const std::string name = Parameter(value.param).valueName;
        names.push_back(name);
        written = written &&
                  (!value.before || registry.WriteValue(kHKeyLocalMachine,
                                                        In(kChangeKey, kBefore + name),
                                                        *value.before)) &&
                  registry.WriteValue(kHKeyLocalMachine, In(kChangeKey, kAfter + name), value.after);
    }
    written = written &&
              registry.WriteString(kHKeyLocalMachine, In(kChangeKey, kValues), Joined(names));
    if (!written) return registry.LastWriteResult();
    return SetChangeState(api, ChangeState::Prepared);
}

std::int32_t SetChangeState(RegistryApi& api, ChangeState state, const std::string& reason) {
    vbRegistry registry(api);
    const bool written =
        (reason.empty() || registry.WriteString(kHKeyLocalMachine, In(kChangeKey, kReason), reason)) &&
        registry.WriteString(kHKeyLocalMachine, In(kChangeKey, kState), ChangeStateName(state));
    if (!written) return registry.LastWriteResult();
    return registry.FlushKey(kHKeyLocalMachine, kChangeKey) ? kErrorSuccess : kErrorAccessDenied;
}

namespace {

// Removes a key of the product's, on disk when done.
std::int32_t RemoveKey(RegistryApi& api, const char* key) {
    vbRegistry registry(api);
    if (!registry.DeleteKey(kHKeyLocalMachine, key)) return registry.LastWriteResult();
    registry.FlushKey(kHKeyLocalMachine, kProductKey);
    return kErrorSuccess;
}

} // namespace

std::int32_t RemoveChangeRecord(RegistryApi& api) {
    return RemoveKey(api, kChangeKey);
}

std::optional<LastRevert> ReadLastRevert(RegistryApi& api) {
    vbRegistry registry(api);
    const auto at = ReadText(registry, kLastRevertKey, kAt);
    const auto time = at ? ParseUtcText(*at) : std::nullopt;
    if (!time) return std::nullopt;
    LastRevert revert{*time, {}, ReadText(registry, kLastRevertKey, kReason).value_or("")};
    const auto names = ReadText(registry, kLastRevertKey, kValues);
    for (const Param param : names ? ParseNames(*names).value_or(std::vector<Param>{})
                                   : std::vector<Param>{})
        revert.values.emplace_back(Parameter(param).valueName);
    return revert;
}

// The time last: it is what makes the key one that is shown.
std::int32_t WriteLastRevert(RegistryApi& api, const LastRevert& revert) {
    if (const std::int32_t removed = RemoveLastRevert(api)) return removed;
    vbRegistry registry(api);
    const bool written =
        registry.WriteString(kHKeyLocalMachine, In(kLastRevertKey, kValues),
                             Joined(revert.values)) &&
        registry.WriteString(kHKeyLocalMachine, In(kLastRevertKey, kReason), revert.reason) &&
        registry.WriteString(kHKeyLocalMachine, In(kLastRevertKey, kAt), UtcText(revert.at));
    if (!written) return registry.LastWriteResult();
    registry.FlushKey(kHKeyLocalMachine, kLastRevertKey);
    return kErrorSuccess;
}

std::int32_t RemoveLastRevert(RegistryApi& api) {
    return RemoveKey(api, kLastRevertKey);
}

std::string UtcText(std::int64_t seconds) {
    const std::int64_t days = (seconds >= 0 ? seconds : seconds - 86399) / 86400;
    const std::int64_t rest = seconds - days * 86400;
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char text[40];
    std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ",
                  static_cast<long long>(year), month, day, static_cast<long long>(rest / 3600),
                  static_cast<long long>(rest / 60 % 60), static_cast<long long>(rest % 60));
    return text;
}

std::optional<std::int64_t> ParseUtcText(std::string_view text) {
    constexpr std::string_view kShape = "dddd-dd-ddTdd:dd:ddZ";
    if (text.size() != kShape.size()) return std::nullopt;
    for (std::size_t i = 0; i < kShape.size(); ++i)
        if (kShape[i] == 'd' ? text[i] < '0' || text[i] > '9' : text[i] != kShape[i])
            return std::nullopt;
    const auto number = [&](std::size_t at, std::size_t digits) {
        std::int64_t value = 0;
        for (std::size_t i = at; i < at + digits; ++i)
            value = value * 10 + (text[i] - '0');
        return value;
    };
    const std::int64_t seconds = DaysFromCivil(number(0, 4), static_cast<unsigned>(number(5, 2)),
                                               static_cast<unsigned>(number(8, 2))) *
                                     86400 +
                                 number(11, 2) * 3600 + number(14, 2) * 60 + number(17, 2);
    // A date or time out of range (February 30th, 24:00) comes back as another text.
    if (UtcText(seconds) != text) return std::nullopt;
    return seconds;
}

} // namespace talvex
