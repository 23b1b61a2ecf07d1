// What every console command stands on: where its results and messages go, the Win32 parts it
// is given (registry, services, elevation, files, code pages), its exit statuses and how it
// tells a failure.
#pragma once

#include "platform/registry_api.h"
#include "platform/services.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace talvex::ctl {

// The exit statuses, documented in the help text and the README.
enum ExitStatus : int {
    kExitOk = 0,
    kExitRefused = 1,        // a test failed (or the run was stopped), or a value was refused
    kExitNoHardware = 2,     // the hardware could not be opened
    kExitNoAdapter = 3,      // no adapter of the supported driver
    kExitUsage = 4,          // wrong usage: the command line or a --from file
    kExitWriteRefused = 5,   // the registry refused a write
    kExitRestartRefused = 6, // the values are written, but Windows refused the restart
    kExitChangePending = 7,  // a change made with --confirm-within waits, or is being put back
};

// The schema number of the JSON documents; raised only when a field changes meaning or goes.
inline constexpr int kJsonSchema = 1;

// A --from file larger than this is refused unread.
inline constexpr std::size_t kMaxFromFileBytes = 1 << 20;

// Where results and messages go: a console's handle, or a string in the tests. No iostreams: in
// a static build they would be two thirds of the exe.
class Output {
  public:
    virtual ~Output() = default;
    virtual void Write(std::string_view text) = 0;
    Output& operator<<(std::string_view text) {
        Write(text);
        return *this;
    }
    Output& operator<<(int number) { return *this << std::to_string(number); }
};

class StringOutput : public Output {
  public:
    void Write(std::string_view text) override { this->text += text; }
    std::string text;
};

// text, then blanks up to width: a column of a table.
std::string Padded(std::string text, std::size_t width);

// The registry's texts and the host name are bytes of the system's ANSI code page; the console
// tool's own texts (its arguments, --from files, what it prints) are UTF-8.
using AnsiToUtf8 = std::function<std::string(std::string_view ansi)>;
// nullopt when the text has a character the ANSI code page lacks.
using Utf8ToAnsi = std::function<std::optional<std::string>(std::string_view utf8)>;

struct CtlEnvironment {
    RegistryApi& registry;
    Services& services; // MsgBox writes to err
    Output& out;        // results, UTF-8
    Output& err;        // messages, UTF-8
    // Whether the process runs elevated.
    std::function<bool()> elevated;
    // A file's whole content; nullopt when it can't be read or is larger than the limit given.
    std::function<std::optional<std::string>(const std::string& path, std::size_t limit)> readFile;
    AnsiToUtf8 utf8;
    Utf8ToAnsi ansi;
};

// Why a command ends with a status other than 0, as told on standard error; a JSON document
// carries it as its "error".
struct Failure {
    int status = kExitOk;
    std::string message;
    explicit operator bool() const { return status != kExitOk; }
};

// Tells message on standard error and returns it as the command's failure.
Failure Tell(CtlEnvironment& env, int status, std::string message);

} // namespace talvex::ctl
