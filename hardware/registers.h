// Register procedures on the adapter's I/O range.
#pragma once

namespace talvex {

// Closes the I/O range, the device and the library connection; harmless when nothing is open.
void CloseAdapterAccess();

} // namespace talvex
