#include "diag/open_hardware.h"

#include "hardware/driver_agent.h"
#include "platform/product.h"
#include "settings/parameter_writer.h"
#include "settings/vb_registry.h"

namespace talvex {

bool OpenDiagHardware(Services& services, RegistryApi& registry, const std::string& driverKeyName,
                      std::int16_t adapter) {
    if (!services.LoadDriverAgent()) {
        services.MsgBox(kDriverAgentNotLoaded, kAppTitle, MsgBoxStyle::CriticalOk);
        return false;
    }
    const auto base = ReadBaseAddress(registry, driverKeyName);
    AdapterAccess access = AdapterAccess::NoIoRange;
    // Without an I/O base there is no range to open; nothing is asked of the library.
    if (base && !services.GuardHardwareCall([&] {
            access = OpenAdapterAccess(driverKeyName.c_str(), static_cast<std::uint32_t>(adapter),
                                       *base);
        })) {
        services.GuardHardwareCall(ResetAdapterAccess);
        access = AdapterAccess::NoIoRange;
    }
    switch (access) {
    case AdapterAccess::Open: return true;
    case AdapterAccess::NoLibrary:
    case AdapterAccess::LibraryNotReady:
        services.MsgBox(kDriverAgentNotLoaded, kAppTitle, MsgBoxStyle::CriticalOk);
        return false;
    case AdapterAccess::NoDevice:
    case AdapterAccess::NoIoRange: break;
    }
    services.MsgBox(kDiagComponentFailed, kAppTitle, MsgBoxStyle::CriticalOk);
    return false;
}

// Read by type: the registry class's ReadLong would take the first bytes of any value, so the
// text "300" would open a range at 0x00303033 and the tests would write to unrelated ports.
std::optional<std::uint32_t> ReadBaseAddress(RegistryApi& registry,
                                             const std::string& driverKeyName) {
    vbRegistry reader(registry);
    const auto value =
        reader.ReadValue(kHKeyLocalMachine, DriverParametersPath(driverKeyName) + "BaseAddress");
    const auto base = value ? DwordOf(*value) : std::nullopt;
    if (base == 0u) return std::nullopt;
    return base;
}

} // namespace talvex
