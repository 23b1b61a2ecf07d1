// The adapter's register map and the register procedures on its I/O range.
#pragma once

#include <cstdint>

namespace talvex {

// Byte offsets in the adapter's "Control Registers" range.
inline constexpr uint32_t kEepromDataRegister = 0x34;     // 16 bits
inline constexpr uint32_t kEepromControlRegister = 0x36;  // 16 bits
inline constexpr uint32_t kTestRegister = 0x40;           // 16 bits, scratch
inline constexpr uint32_t kAdapterControlRegister = 0x50; // 32 bits, written only
inline constexpr uint32_t kCableStatusRegister = 0x5E;    // 8 bits, read only

inline constexpr uint32_t kSuspendFirst = 0x10000000;
inline constexpr uint32_t kSuspendSecond = 0x02000000;
inline constexpr uint32_t kResumeFirst = 0x08000000;
inline constexpr uint32_t kResumeSecond = 0x01000000;

inline constexpr uint16_t kTestPattern = 0x55AA;
inline constexpr uint8_t kCableLinkBit = 0x80;

// What the last register test read back and the last cable test read, kept so that a result
// can be explained to the user.
extern uint16_t TestRegisterReadBack;
extern uint8_t CableStatus;

// Closes the I/O range, the device and the library connection; harmless when nothing is open.
void CloseAdapterAccess();
void SuspendAdapter();
void ResumeAdapter();
// Write/read-back of the test register; its old value is restored whatever was read.
bool TestRegisterAccess();
bool GetLinkStatus();

} // namespace talvex
