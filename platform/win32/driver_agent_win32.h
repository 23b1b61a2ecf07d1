// Loads the hardware-access library, DriverAgent.dll, and installs its operations.
#pragma once

#include "hardware/driver_agent.h"
#include "platform/win32/win32.h"

#include <string>

namespace talvex {

struct DriverAgentLoad {
    enum class Status { Loaded, LibraryMissing, NameMissing };
    Status status = Status::LibraryMissing;
    std::string detail; // the path that failed to load, or the operation it lacks
    explicit operator bool() const { return status == Status::Loaded; }
};

// Owns the loaded library; its operations stay installed (SetDriverAgent) while this lives.
// Loading also switches the hardware procedures to the Win32 sleep and clock.
class DriverAgentLibrary {
  public:
    DriverAgentLibrary();
    ~DriverAgentLibrary();
    DriverAgentLibrary(const DriverAgentLibrary&) = delete;
    DriverAgentLibrary& operator=(const DriverAgentLibrary&) = delete;

    // DriverAgent.dll in the folder of the running program.
    DriverAgentLoad Load();
    DriverAgentLoad LoadFrom(const std::string& path);
    explicit operator bool() const { return static_cast<bool>(module_); }

  private:
    void Unload();

    win32::ScopedModule module_;
    DriverAgentApi api_{};
};

} // namespace talvex
