#include "platform/win32/driver_agent_win32.h"

#include "platform/win32/timer_resolution_win32.h"

#include <type_traits>

namespace talvex {

namespace {

constexpr char kLibraryFile[] = "DriverAgent.dll";

// Resolves every operation; returns the first one the library lacks, or nullptr.
const char* ResolveAll(HMODULE module, DriverAgentApi& api) {
    const char* missing = nullptr;
    auto resolve = [&](const char* name, auto& fn) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
            reinterpret_cast<void*>(GetProcAddress(module, name)));
        if (!fn && !missing) missing = name;
    };
    resolve("DriverAgentOpen", api.DriverAgentOpen);
    resolve("DriverAgentClose", api.DriverAgentClose);
    resolve("DaOpenDeviceA", api.DaOpenDeviceA);
    resolve("DaOpenIoRangeA", api.DaOpenIoRangeA);
    resolve("DaCloseIoRange", api.DaCloseIoRange);
    resolve("DaCloseDevice", api.DaCloseDevice);
    resolve("IoReadByte", api.IoReadByte);
    resolve("IoReadWord", api.IoReadWord);
    resolve("IoWriteWord", api.IoWriteWord);
    resolve("IoWriteDWord", api.IoWriteDWord);
    return missing;
}

} // namespace

DriverAgentLibrary::DriverAgentLibrary() = default;

DriverAgentLibrary::~DriverAgentLibrary() {
    Unload();
}

void DriverAgentLibrary::Unload() {
    if (&DriverAgent() == &api_) SetDriverAgent(nullptr);
    module_.reset();
}

// Always by full path: a bare name would also search the current folder and PATH, where any
// file called DriverAgent.dll would be loaded into the program.
DriverAgentLoad DriverAgentLibrary::Load() {
    return LoadFrom(win32::ProgramFolder() + kLibraryFile);
}

DriverAgentLoad DriverAgentLibrary::LoadFrom(const std::string& path) {
    Unload();
    // No system error box for a missing or broken file: the caller reports it.
    DWORD oldMode = 0;
    SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    SetThreadErrorMode(oldMode, nullptr);
    if (!module) return {DriverAgentLoad::Status::LibraryMissing, path};
    module_.reset(module);
    if (const char* missing = ResolveAll(module, api_)) {
        module_.reset();
        return {DriverAgentLoad::Status::NameMissing, missing};
    }
    SetDriverAgent(&api_);
    UseWin32Timing();
    return {DriverAgentLoad::Status::Loaded, {}};
}

} // namespace talvex
