// The console tool's command line: which command, with what.
#pragma once

#include "diag/diag_tests.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <variant>
#include <vector>

namespace talvex::ctl {

struct HelpCommand {};

struct ShowCommand {
    bool json = false;
};

struct Assignment {
    std::string name;
    std::string value;
    // As another machine's show --json says it is stored: taken in every state its page keeps.
    bool asStored = false;
};

struct SetCommand {
    std::vector<Assignment> assignments; // NAME=VALUE, in the order given
    std::optional<std::string> fromFile;
    bool restart = false;
    bool dryRun = false;
    bool json = false;
    std::optional<int> confirmWithin; // minutes after the restart; the change is put back then
    bool confirm = false;             // a change that waits for confirmation is confirmed first
};

struct ConfirmCommand {
    bool json = false;
};

struct RevertCommand {
    bool ifUnconfirmed = false; // the task's own: wait for the deadline, then put back and restart
    bool restart = false;
    bool json = false;
};

struct TestCommand {
    std::string fromFile;
    bool json = false;
};

struct DiagCommand {
    int cycles = 1;
    DiagSelection tests = EveryDiagTest();
    bool json = false;
};

using Command = std::variant<HelpCommand, ShowCommand, SetCommand, DiagCommand, ConfirmCommand,
                             RevertCommand, TestCommand>;

struct ParsedCommandLine {
    std::optional<Command> command;
    std::string error; // for the user, when there is no command
    // When the command is known, even if its arguments are wrong: its name and whether they ask
    // for JSON, so that the error comes as JSON too.
    std::string name;
    bool json = false;
};

// args: the arguments after the program's name.
ParsedCommandLine ParseCommandLine(std::span<const std::string> args);

} // namespace talvex::ctl
