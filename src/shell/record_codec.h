#pragma once
// The one codec of the fixed-size records: little-endian 16-bit integers, IEEE single and
// double floats, bytes and short texts (a length byte, then N bytes of which the first
// <length> are text and the rest zero). Records are decoded field by field into typed
// structs and encoded back into the same buffer, so bytes that belong to no field keep
// what they had and a record read and written unchanged stays byte-identical.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace nivex::codec {

using Bytes = std::vector<uint8_t>;

inline uint8_t Byte(const Bytes& b, size_t off) {
    return off < b.size() ? b[off] : 0;
}

inline int16_t I16(const Bytes& b, size_t off) {
    return static_cast<int16_t>(Byte(b, off) | (Byte(b, off + 1) << 8));
}

inline float F32(const Bytes& b, size_t off) {
    uint32_t u = 0;
    for (int i = 3; i >= 0; --i)
        u = (u << 8) | Byte(b, off + static_cast<size_t>(i));
    float f;
    std::memcpy(&f, &u, sizeof f);
    return f;
}

inline double F64(const Bytes& b, size_t off) {
    uint64_t u = 0;
    for (int i = 7; i >= 0; --i)
        u = (u << 8) | Byte(b, off + static_cast<size_t>(i));
    double d;
    std::memcpy(&d, &u, sizeof d);
    return d;
}

// A short text of capacity n at off (n + 1 bytes); a length beyond n is cut to n.
inline std::string Text(const Bytes& b, size_t off, size_t n) {
    size_t len = Byte(b, off);
    if (len > n) len = n;
    std::string out;
    out.reserve(len);
    for (size_t i = 0; i < len; ++i)
        out += static_cast<char>(Byte(b, off + 1 + i));
    return out;
}

inline void PutByte(Bytes& b, size_t off, uint8_t v) {
    if (off < b.size()) b[off] = v;
}

// Stores v when it fits 16 bits; false (and nothing written) when it does not.
inline bool PutI16(Bytes& b, size_t off, long v) {
    if (v < INT16_MIN || v > INT16_MAX) return false;
    auto u = static_cast<uint16_t>(static_cast<int16_t>(v));
    PutByte(b, off, static_cast<uint8_t>(u & 0xFF));
    PutByte(b, off + 1, static_cast<uint8_t>(u >> 8));
    return true;
}

inline void PutF32(Bytes& b, size_t off, float f) {
    uint32_t u;
    std::memcpy(&u, &f, sizeof u);
    for (size_t i = 0; i < 4; ++i)
        PutByte(b, off + i, static_cast<uint8_t>(u >> (8 * i)));
}

inline void PutF64(Bytes& b, size_t off, double d) {
    uint64_t u;
    std::memcpy(&u, &d, sizeof u);
    for (size_t i = 0; i < 8; ++i)
        PutByte(b, off + i, static_cast<uint8_t>(u >> (8 * i)));
}

// Writes a short text of capacity n: the length byte, the text cut to n, zero padding.
// An unchanged text is written back exactly as it was read, padding included, so that
// foreign bytes after the text in a record read from disk survive a rewrite.
inline void PutText(Bytes& b, size_t off, size_t n, std::string_view text) {
    if (text.size() > n) text = text.substr(0, n);
    if (Text(b, off, n) == text) return;
    PutByte(b, off, static_cast<uint8_t>(text.size()));
    for (size_t i = 0; i < n; ++i)
        PutByte(b, off + 1 + i, i < text.size() ? static_cast<uint8_t>(text[i]) : 0);
}

}  // namespace nivex::codec
