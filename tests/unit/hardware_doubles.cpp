#include "hardware_doubles.h"

#include <stdexcept>

namespace talvex::test {

RecordingBus* RecordingBus::current = nullptr;

namespace {

void Record(const BusCall& call) {
    RecordingBus::current->calls.push_back(call);
    if (call.op == RecordingBus::current->faultOn) throw std::runtime_error("fault in " + call.op);
}

uint32_t Read(const char* op, uint32_t h, uint32_t offset, unsigned width, int32_t* status) {
    RecordingBus& bus = *RecordingBus::current;
    BusCall call{op, offset, 0, h};
    int32_t s = 0;
    call.value = bus.adapter.Read(offset, width, s);
    if (bus.readOverride)
        if (auto v = bus.readOverride(call)) call.value = *v;
    *status = s;
    Record(call);
    return call.value;
}

void Write(const char* op, uint32_t h, uint32_t offset, unsigned width, uint32_t value,
           int32_t* status) {
    int32_t s = 0;
    RecordingBus::current->adapter.Write(offset, width, value, s);
    *status = s;
    Record({op, offset, value, h});
}

int32_t WINAPI OpenLib() {
    return Record({"OpenLib"}), 1;
}
void WINAPI CloseLib() {
    Record({"CloseLib"});
}
uint32_t WINAPI OpenDevice(const char*, uint32_t, int32_t*) {
    return 0x66;
}
uint32_t WINAPI OpenRange(uint32_t, const char*, uint32_t, int32_t*) {
    return RecordingBus::kRangeHandle;
}
void WINAPI CloseRange(uint32_t h) {
    Record({"CloseRange", 0, 0, h});
}
void WINAPI CloseDevice(uint32_t h) {
    Record({"CloseDevice", 0, 0, h});
}
uint8_t WINAPI R8(uint32_t h, uint32_t o, int32_t* s) {
    return uint8_t(Read("R8", h, o, 1, s));
}
uint16_t WINAPI R16(uint32_t h, uint32_t o, int32_t* s) {
    return uint16_t(Read("R16", h, o, 2, s));
}
void WINAPI W16(uint32_t h, uint32_t o, uint32_t v, int32_t* s) {
    Write("W16", h, o, 2, v, s);
}
void WINAPI W32(uint32_t h, uint32_t o, uint32_t v, int32_t* s) {
    Write("W32", h, o, 4, v, s);
}

constexpr DriverAgentApi kRecordingApi = {OpenLib,     CloseLib, OpenDevice, OpenRange, CloseRange,
                                          CloseDevice, R8,       R16,        W16,       W32};

} // namespace

RecordingBus::RecordingBus(sim::EepromTiming timing) : adapter(0, timing) {
    current = this;
    SetDriverAgent(&kRecordingApi);
    hIoRange = kRangeHandle;
}

RecordingBus::~RecordingBus() {
    SetDriverAgent(nullptr);
    hIoRange = hDevice = 0;
    current = nullptr;
}

std::vector<BusCall> RecordingBus::Registers() const {
    std::vector<BusCall> out;
    for (const BusCall& c : calls)
        if (c.op[0] == 'R' || c.op[0] == 'W') out.push_back(c);
    return out;
}

std::vector<uint16_t> RecordingBus::EepromCommands() const {
    std::vector<uint16_t> out;
    for (const BusCall& c : calls)
        if (c.op == "W16" && c.offset == 0x36) out.push_back(uint16_t(c.value));
    return out;
}

} // namespace talvex::test
