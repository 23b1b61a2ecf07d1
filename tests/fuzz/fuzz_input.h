// Reading a fuzzer's input as a stream of bytes, and the check that stops a run where it fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace talvex::fuzzing {

class Input {
  public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return position_ >= size_; }
    std::uint8_t Byte() { return empty() ? 0 : data_[position_++]; }
    std::vector<std::uint8_t> Bytes(std::size_t count) {
        std::vector<std::uint8_t> bytes;
        while (count-- > 0 && !empty())
            bytes.push_back(Byte());
        return bytes;
    }
    std::string Text(std::size_t count) {
        auto bytes = Bytes(count);
        return {bytes.begin(), bytes.end()};
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

inline void Require(bool condition) {
    if (!condition) __builtin_trap();
}

} // namespace talvex::fuzzing
