// The simulated adapter behind the hardware-access library's C interface: exported from
// DriverAgent.dll, and linked statically into the native tests.
#pragma once

#include "hardware/driver_agent.h"
#include "simulator/sim_adapter.h"

namespace talvex::sim {

inline constexpr char kFaultsVariable[] = "TALVEX_SIM_FAULTS";
inline constexpr char kEepromBusyVariable[] = "TALVEX_SIM_EEPROM_BUSY";

// The table of the exported functions, for installing with SetDriverAgent.
const DriverAgentApi& SimulatorApi();

// The adapter behind the exported functions; DriverAgentOpen replaces it with one in power-on
// state built from the environment. nullptr before the first DriverAgentOpen.
Adapter* CurrentAdapter();

} // namespace talvex::sim
