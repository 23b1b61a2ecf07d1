#include "settings/parameter_writer.h"

namespace talvex {

std::string DriverParametersPath(const std::string& driverKeyName) {
    return R"(SYSTEM\CurrentControlSet\Services\)" + driverKeyName + R"(\Parameters\)";
}

bool NamesADriverKey(std::string_view serviceName) {
    return !serviceName.empty() &&
           serviceName.find_first_of(std::string_view("\0\\", 2)) == std::string_view::npos;
}

// Each value is read before it is replaced, so that a failure later in the same save can put it
// back byte for byte, type included.
template <typename WriteFn>
void ParameterWriter::Write(const std::string& subKey, WriteFn&& write) {
    if (error_ != kErrorSuccess) return;
    Previous previous{subKey, registry_.ReadValue(kHKeyLocalMachine, subKey)};
    if (write()) {
        written_.push_back(std::move(previous));
        return;
    }
    error_ = registry_.LastWriteResult();
    if (error_ == kErrorSuccess) error_ = kErrorAccessDenied; // failed without a status
}

void ParameterWriter::WriteDword(const std::string& subKey, std::int32_t value) {
    Write(subKey, [&] { return registry_.WriteDword(kHKeyLocalMachine, subKey, value); });
}

void ParameterWriter::WriteString(const std::string& subKey, const std::string& value) {
    Write(subKey, [&] { return registry_.WriteString(kHKeyLocalMachine, subKey, value); });
}

void ParameterWriter::WriteValue(const std::string& subKey, const RegistryValue& value) {
    Write(subKey, [&] { return registry_.WriteValue(kHKeyLocalMachine, subKey, value); });
}

// Only a value that exists is deleted: DeleteString would take a subkey of that name instead.
void ParameterWriter::DeleteValue(const std::string& subKey) {
    if (error_ != kErrorSuccess || !registry_.ReadValue(kHKeyLocalMachine, subKey)) return;
    Write(subKey, [&] { return registry_.DeleteString(kHKeyLocalMachine, subKey); });
}

// Newest first, so a value written twice ends as it was before the first write. A value that
// did not exist is deleted again; its delete can't fall through to a subkey, as the write that
// created it succeeded. A registry that refuses the putting back too is reported, not hidden.
SaveResult ParameterWriter::Finish() {
    if (error_ == kErrorSuccess) return {SaveResult::Written, kErrorSuccess};
    bool restored = true;
    for (; !written_.empty(); written_.pop_back()) {
        const Previous& previous = written_.back();
        const bool putBack =
            previous.value
                ? registry_.WriteValue(kHKeyLocalMachine, previous.subKey, *previous.value)
                : registry_.DeleteString(kHKeyLocalMachine, previous.subKey);
        restored = putBack && restored;
    }
    return {SaveResult::Failed, error_, restored};
}

} // namespace talvex
