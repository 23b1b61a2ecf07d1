#include "hardware/registers.h"

namespace talvex {

void CloseAdapterAccess() {}

} // namespace talvex
