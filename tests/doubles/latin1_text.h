// The system's ANSI code page in the console tool's native tests: Latin-1, whose 256 bytes are the
// first 256 code points, so that "é" is the byte 0xE9 as in Windows-1252.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace talvex {

inline std::string Latin1ToUtf8(std::string_view latin1) {
    std::string utf8;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            utf8 += c;
        } else {
            utf8 += static_cast<char>(0xC0 | (byte >> 6));
            utf8 += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return utf8;
}

// nullopt for a character beyond U+00FF, as Windows says of a character its code page lacks.
inline std::optional<std::string> Utf8ToLatin1(std::string_view utf8) {
    std::string latin1;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead < 0x80) {
            latin1 += utf8[i];
            continue;
        }
        if ((lead != 0xC2 && lead != 0xC3) || i + 1 == utf8.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(utf8[++i]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        latin1 += static_cast<char>(((lead & 0x1F) << 6) | (next & 0x3F));
    }
    return latin1;
}

} // namespace talvex
