#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// Byte strings of hand-made files and streams, little-endian as every format of the system is.
namespace test_support {

using Bytes = std::vector<uint8_t>;

inline Bytes Word(uint16_t v) {
    return {uint8_t(v), uint8_t(v >> 8)};
}

inline Bytes Dword(uint32_t v) {
    return {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)};
}

// The bytes of the string, without a terminator.
inline Bytes Text(const std::string& s) {
    return Bytes(s.begin(), s.end());
}

inline Bytes Concat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// The little-endian DWORD that starts at `at`.
inline uint32_t DwordAt(const Bytes& bytes, size_t at) {
    return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) |
           (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

// Builds a file field by field: ByteWriter().u16(1).u32(2).v.
struct ByteWriter {
    Bytes v;
    ByteWriter& raw(const Bytes& b) {
        v.insert(v.end(), b.begin(), b.end());
        return *this;
    }
    ByteWriter& u8(uint8_t x) {
        v.push_back(x);
        return *this;
    }
    ByteWriter& u16(uint16_t x) { return raw(Word(x)); }
    ByteWriter& u32(uint32_t x) { return raw(Dword(x)); }
    ByteWriter& text(const std::string& s) { return raw(Text(s)); }
    ByteWriter& fill(size_t n, uint8_t x = 0) {
        v.insert(v.end(), n, x);
        return *this;
    }
};

}  // namespace test_support
