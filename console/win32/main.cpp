// TalvexCtl.exe: the console tool. Results on standard output, messages on standard error, the
// exit status as documented in its help.
#include "console/ctl.h"
#include "console/win32/console_services.h"
#include "platform/win32/registry_win32.h"

#include <fstream>
#include <iostream>
#include <sstream>
#include <vector>

using namespace talvex;

namespace {

std::optional<std::string> ReadWholeFile(const std::string& path, std::size_t limit) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(limit + 1, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (file.bad() || static_cast<std::size_t>(file.gcount()) > limit) return std::nullopt;
    text.resize(static_cast<std::size_t>(file.gcount()));
    return text;
}

} // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    Win32Registry registry;
    win32::ConsoleServices services(std::cerr);
    ctl::CtlEnvironment env{registry,     services, std::cout, std::cerr, win32::ProcessElevated,
                            ReadWholeFile};
    const int status = ctl::RunTalvexCtl(args, env);
    std::cout.flush();
    return status;
}
