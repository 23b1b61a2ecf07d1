// The scenarios on the real registry, below a scratch key that is wiped before and after.
#include "platform/win32/registry_win32.h"
#include "tests/differential/registry_scenarios.h"

#include <cstdio>
#include <fcntl.h>
#include <io.h>

int main() {
    const char* scratch = talvex::differential::kScratchPath;
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, scratch);
    std::string transcript;
    {
        talvex::Win32Registry registry;
        transcript = talvex::differential::RunRegistryScenarios(registry);
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, scratch);
    // Byte-exact output: no \r added before each \n.
    _setmode(_fileno(stdout), _O_BINARY);
    std::fwrite(transcript.data(), 1, transcript.size(), stdout);
    return 0;
}
