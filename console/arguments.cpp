#include "console/arguments.h"

#include "settings/change_record.h"
#include "settings/numbers.h"

#include <algorithm>
#include <iterator>
#include <string_view>
#include <utility>

namespace talvex::ctl {
namespace {

// An option's value, given as "--name=value" or as the next argument.
class Options {
  public:
    explicit Options(std::span<const std::string> args) : args_(args) {}

    bool Done() const { return next_ >= args_.size(); }
    const std::string& Current() const { return args_[next_]; }
    void Skip() { ++next_; }
    // Takes the current argument when it is the option; the value in value.
    bool Take(std::string_view option, std::optional<std::string>& value, std::string& error) {
        const std::string& arg = Current();
        if (arg == option) {
            if (next_ + 1 >= args_.size()) {
                error = std::string(option) + " needs a value.";
                return true;
            }
            value = args_[next_ + 1];
            next_ += 2;
            return true;
        }
        if (arg.size() > option.size() && arg.compare(0, option.size(), option) == 0 &&
            arg[option.size()] == '=') {
            value = arg.substr(option.size() + 1);
            ++next_;
            return true;
        }
        return false;
    }
    bool TakeFlag(std::string_view option, bool& flag) {
        if (Current() != option) return false;
        flag = true;
        ++next_;
        return true;
    }

  private:
    std::span<const std::string> args_;
    std::size_t next_ = 0;
};

ParsedCommandLine Usage(std::string error) {
    ParsedCommandLine parsed;
    parsed.error = std::move(error);
    return parsed;
}

ParsedCommandLine Taken(Command command) {
    ParsedCommandLine parsed;
    parsed.command = std::move(command);
    return parsed;
}

bool IsOption(const std::string& arg) {
    return arg.size() > 1 && arg[0] == '-';
}

std::string Unknown(const std::string& arg, const char* command) {
    return "Unknown option for " + std::string(command) + ": " + arg;
}

ParsedCommandLine ParseShow(Options options) {
    ShowCommand show;
    for (; !options.Done();) {
        if (!options.TakeFlag("--json", show.json))
            return Usage(Unknown(options.Current(), "show"));
    }
    return Taken(show);
}

// Minutes from 1 to kMaxConfirmMinutes; error says why not.
std::optional<int> ParseMinutes(const std::optional<std::string>& text, std::string& error) {
    if (!text) return std::nullopt;
    const auto minutes = ParseDigits(*text);
    if (minutes && *minutes >= 1 && *minutes <= kMaxConfirmMinutes) return *minutes;
    error = "--confirm-within takes minutes from 1 to " + std::to_string(kMaxConfirmMinutes) +
            ", not \"" + *text + "\".";
    return std::nullopt;
}

ParsedCommandLine ParseSet(Options options) {
    SetCommand set;
    std::string error;
    while (!options.Done() && error.empty()) {
        const std::string& arg = options.Current();
        std::optional<std::string> minutes;
        if (options.Take("--confirm-within", minutes, error)) {
            if (minutes) set.confirmWithin = ParseMinutes(minutes, error);
            continue;
        }
        if (options.Take("--from", set.fromFile, error) ||
            options.TakeFlag("--restart", set.restart) ||
            options.TakeFlag("--dry-run", set.dryRun) || options.TakeFlag("--json", set.json) ||
            options.TakeFlag("--confirm", set.confirm))
            continue;
        if (IsOption(arg)) return Usage(Unknown(arg, "set"));
        const auto equals = arg.find('=');
        if (equals == std::string::npos || equals == 0)
            return Usage("Expected NAME=VALUE, not \"" + arg + "\".");
        set.assignments.push_back({arg.substr(0, equals), arg.substr(equals + 1), false});
        options.Skip();
    }
    if (!error.empty()) return Usage(error);
    if (set.assignments.empty() && !set.fromFile)
        return Usage("set needs NAME=VALUE or --from FILE.");
    // Without the restart the values would wait for one nobody has asked for, and the deadline
    // would count from whenever that comes.
    if (set.confirmWithin && !set.restart) return Usage("--confirm-within needs --restart.");
    return Taken(set);
}

ParsedCommandLine ParseConfirm(Options options) {
    ConfirmCommand confirm;
    for (; !options.Done();)
        if (!options.TakeFlag("--json", confirm.json))
            return Usage(Unknown(options.Current(), "confirm"));
    return Taken(confirm);
}

ParsedCommandLine ParseRevert(Options options) {
    RevertCommand revert;
    for (; !options.Done();)
        if (!options.TakeFlag("--json", revert.json) &&
            !options.TakeFlag("--if-unconfirmed", revert.ifUnconfirmed) &&
            !options.TakeFlag("--restart", revert.restart))
            return Usage(Unknown(options.Current(), "revert"));
    return Taken(revert);
}

ParsedCommandLine ParseTest(Options options) {
    TestCommand test;
    std::optional<std::string> from;
    std::string error;
    while (!options.Done() && error.empty())
        if (!options.TakeFlag("--json", test.json) && !options.Take("--from", from, error))
            return Usage(Unknown(options.Current(), "test"));
    if (!error.empty()) return Usage(error);
    if (!from) return Usage("test needs --from FILE.");
    test.fromFile = *from;
    return Taken(test);
}

std::optional<DiagSelection> ParseTests(const std::string& list) {
    DiagSelection tests{};
    std::string_view rest = list;
    while (true) {
        const std::string_view name = rest.substr(0, rest.find(','));
        const auto match = std::find_if(std::begin(kDiagTests), std::end(kDiagTests),
                                        [&](const DiagTest& test) { return test.id == name; });
        if (match == std::end(kDiagTests)) return std::nullopt;
        tests[static_cast<std::size_t>(match - std::begin(kDiagTests))] = true;
        if (name.size() == rest.size()) return tests;
        rest.remove_prefix(name.size() + 1);
    }
}

ParsedCommandLine ParseDiag(Options options) {
    DiagCommand diag;
    std::string error;
    while (!options.Done() && error.empty()) {
        std::optional<std::string> cycles, tests;
        if (options.TakeFlag("--json", diag.json)) continue;
        if (options.Take("--cycles", cycles, error)) {
            const auto count = cycles ? ParseDigits(*cycles) : std::nullopt;
            if (cycles && (!count || *count < 1 || *count > kMaxDiagCycles))
                error = "--cycles takes a number from 1 to " + std::to_string(kMaxDiagCycles) +
                        ", not \"" + *cycles + "\".";
            else if (count)
                diag.cycles = *count;
            continue;
        }
        if (options.Take("--tests", tests, error)) {
            const auto chosen = tests ? ParseTests(*tests) : std::nullopt;
            if (tests && !chosen)
                error = "--tests takes a list of register, srom and cable, such as "
                        "register,cable; not \"" +
                        *tests + "\".";
            else if (chosen)
                diag.tests = *chosen;
            continue;
        }
        return Usage(Unknown(options.Current(), "diag"));
    }
    if (!error.empty()) return Usage(error);
    return Taken(diag);
}

} // namespace

ParsedCommandLine ParseCommandLine(std::span<const std::string> args) {
    if (args.empty()) return Usage("No command given.");
    const std::string& command = args.front();
    const Options options(args.subspan(1));
    if (command == "help" || command == "--help" || command == "-h" || command == "/?")
        return Taken(HelpCommand{});
    constexpr std::pair<const char*, ParsedCommandLine (*)(Options)> kParsers[] = {
        {"show", ParseShow},       {"set", ParseSet},       {"diag", ParseDiag},
        {"confirm", ParseConfirm}, {"revert", ParseRevert}, {"test", ParseTest}};
    for (const auto& [name, parse] : kParsers) {
        if (command != name) continue;
        ParsedCommandLine parsed = parse(options);
        parsed.name = name;
        parsed.json = std::find(args.begin() + 1, args.end(), "--json") != args.end();
        return parsed;
    }
    return Usage("Unknown command: " + command);
}

} // namespace talvex::ctl
