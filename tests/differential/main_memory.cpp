// The scenarios on the in-memory registry.
#include "platform/memory/memory_registry.h"
#include "tests/differential/registry_scenarios.h"

#include <cstdio>

int main() {
    talvex::MemoryRegistry registry;
    const std::string transcript = talvex::differential::RunRegistryScenarios(registry);
    std::fwrite(transcript.data(), 1, transcript.size(), stdout);
    return 0;
}
