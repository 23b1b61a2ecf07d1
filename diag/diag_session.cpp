#include "diag/diag_session.h"

#include "diag/open_hardware.h"
#include "hardware/driver_agent.h"
#include "platform/product.h"

namespace talvex {

DiagSessionEnd RunDiagSession(Services& services, RegistryApi& registry,
                              const std::string& driverKeyName, std::int16_t adapter,
                              DiagDisplay& display) {
    const HardwareMark mark(services);
    if (!mark) {
        services.MsgBox(kHardwareBusy, kAppTitle, MsgBoxStyle::InformationOk);
        return DiagSessionEnd::Busy;
    }
    if (!OpenDiagHardware(services, registry, driverKeyName, adapter))
        return DiagSessionEnd::NotOpened;
    bStopDiagTest = false;
    display.RunStarting();
    const bool libraryOk = RunBasicDiagTest(display, services);
    if (!libraryOk) services.GuardHardwareCall(ResetAdapterAccess);
    display.RunEnded();
    return libraryOk ? DiagSessionEnd::Ran : DiagSessionEnd::LibraryFaulted;
}

} // namespace talvex
