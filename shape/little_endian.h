#pragma once
// Little-endian integers and doubles in file bytes: the shapefile's records and header fields and
// the dBase table header share these.
#include <bit>
#include <cstdint>
#include <vector>

namespace trelvik {

inline std::uint16_t u16leAus(const std::uint8_t* b) {
    return static_cast<std::uint16_t>(b[0] | b[1] << 8);
}
inline std::uint32_t u32leAus(const std::uint8_t* b) {
    return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
           std::uint32_t{b[3]} << 24;
}
// Spelled out so the compiler sees one little-endian load.
inline double f64leAus(const std::uint8_t* b) {
    const std::uint64_t bits = std::uint64_t{b[0]} | std::uint64_t{b[1]} << 8 |
                               std::uint64_t{b[2]} << 16 | std::uint64_t{b[3]} << 24 |
                               std::uint64_t{b[4]} << 32 | std::uint64_t{b[5]} << 40 |
                               std::uint64_t{b[6]} << 48 | std::uint64_t{b[7]} << 56;
    return std::bit_cast<double>(bits);
}

inline void setzeLe16(std::uint8_t* ziel, std::uint16_t wert) {
    ziel[0] = static_cast<std::uint8_t>(wert);
    ziel[1] = static_cast<std::uint8_t>(wert >> 8);
}
inline void setzeLe32(std::uint8_t* ziel, std::uint32_t wert) {
    for (int k = 0; k < 4; ++k)
        ziel[k] = static_cast<std::uint8_t>(wert >> (8 * k));
}
inline void setzeLe64(std::uint8_t* ziel, double wert) {
    const auto bits = std::bit_cast<std::uint64_t>(wert);
    for (int k = 0; k < 8; ++k)
        ziel[k] = static_cast<std::uint8_t>(bits >> (8 * k));
}

inline void haengeLe32(std::vector<std::uint8_t>& b, std::int32_t wert) {
    b.resize(b.size() + 4);
    setzeLe32(b.data() + b.size() - 4, static_cast<std::uint32_t>(wert));
}
inline void haengeLe64(std::vector<std::uint8_t>& b, double wert) {
    b.resize(b.size() + 8);
    setzeLe64(b.data() + b.size() - 8, wert);
}

} // namespace trelvik
