#pragma once
// Byte layout of the shapefile main file and index: checked reading of file bytes, the
// big-endian word counts, the 100-byte file header and the shape-type codes with their names.
#include "shape/little_endian.h"

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>

namespace trelvik {

// Bytes that do not hold what the layout needs: too short, a count or an index out of range.
class FormatFehler : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Four big-endian bytes (a word count) as a byte count: the value times 2. A first byte of 64 or
// more (2^30 words or more) overflows 32 bits and throws FormatFehler.
std::int32_t leseWortzahl(std::span<const std::uint8_t> vier);

// A non-negative 32-bit value as four bytes, most significant first. Callers pass word counts.
std::array<std::uint8_t, 4> schreibeBigEndian(std::int32_t wert);

// Decoders of one field from bytes already known to be present (little-endian ones: see
// little_endian.h).
inline std::uint32_t u32beAus(const std::uint8_t* b) {
    return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

// Reads a span of file bytes front to back; every read is checked against the bytes present.
class ByteReader {
public:
    explicit ByteReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::size_t position() const { return pos_; }

    std::span<const std::uint8_t> take(std::size_t n); // throws FormatFehler past the end
    void skip(std::size_t n) { take(n); }

    std::uint32_t u32be();
    std::int32_t i32be();
    std::uint32_t u32le();
    std::int32_t i32le();
    double f64le();
    std::int32_t wortzahl() { return leseWortzahl(take(4)); }

private:
    std::span<const std::uint8_t> bytes_;
    std::size_t pos_ = 0;
};

// Shape-type codes of the main file and its records.
namespace shapetyp {
constexpr std::int32_t nullShape = 0;
constexpr std::int32_t point = 1;
constexpr std::int32_t polyLine = 3;
constexpr std::int32_t polyGon = 5;
constexpr std::int32_t multiPoint = 8;
constexpr std::int32_t pointZ = 11;
constexpr std::int32_t polyLineZ = 13;
constexpr std::int32_t polyGonZ = 15;
constexpr std::int32_t multiPointZ = 18;
constexpr std::int32_t pointM = 21;
constexpr std::int32_t polyLineM = 23;
constexpr std::int32_t polyGonM = 25;
constexpr std::int32_t multiPointM = 28;
constexpr std::int32_t multiPatch = 31;

// Shape families: the plain type and its Z and M variants.
constexpr bool istPunkt(std::int32_t typ) { return typ == point || typ == pointZ || typ == pointM; }
constexpr bool istLinie(std::int32_t typ) {
    return typ == polyLine || typ == polyLineZ || typ == polyLineM;
}
constexpr bool istPolygon(std::int32_t typ) {
    return typ == polyGon || typ == polyGonZ || typ == polyGonM;
}
// The types whose records have parts: what the check tests and the clean cleans.
constexpr bool istLinieOderPolygon(std::int32_t typ) { return istLinie(typ) || istPolygon(typ); }
constexpr bool istMultipunkt(std::int32_t typ) {
    return typ == multiPoint || typ == multiPointZ || typ == multiPointM;
}
// Z types carry Z and M values, M types M values only.
constexpr bool istZTyp(std::int32_t typ) { return typ >= pointZ && typ <= multiPointZ; }
constexpr bool istMTyp(std::int32_t typ) { return typ >= pointM && typ <= multiPointM; }
// The plain type of a family (PolyLineZ and PolyLineM: PolyLine), the code itself otherwise.
constexpr std::int32_t grundTyp(std::int32_t typ) {
    return istPunkt(typ)        ? point
           : istLinie(typ)      ? polyLine
           : istPolygon(typ)    ? polyGon
           : istMultipunkt(typ) ? multiPoint
                                : typ;
}
} // namespace shapetyp

// The name the user interface shows for a type code; "unbekannt" for codes not in the table.
std::string_view shapeTypName(std::int32_t code);

// The name of a file set as Shape_Open and Shape_New take it: trimmed of blanks, and a ".shp"
// in any case cut to its point.
std::string basisNameVon(const std::string& Xdateiname);

// A coordinate as the writers store it: the value of its text with 8 decimals (exact binary
// value rounded, halves away from zero).
double rundeAufAchtStellen(double wert);

// The 100-byte header of main file and index, kept in its file form. Big-endian fields stay
// bytes here and are converted on every access.
struct Dateikopf {
    static constexpr std::size_t laenge = 100;
    // Byte offsets (0-based) of the fields.
    static constexpr std::size_t fileCode = 0;
    static constexpr std::size_t unused0 = 4; // Unused k at 4 + 4k, k = 0..4
    static constexpr std::size_t fileLength = 24;
    static constexpr std::size_t version = 28;
    static constexpr std::size_t shapeType = 32;
    static constexpr std::size_t xmin = 36;
    static constexpr std::size_t ymin = 44;
    static constexpr std::size_t xmax = 52;
    static constexpr std::size_t ymax = 60;
    static constexpr std::size_t zmin = 68;
    static constexpr std::size_t zmax = 76;
    static constexpr std::size_t mmin = 84;
    static constexpr std::size_t mmax = 92;

    std::array<std::uint8_t, laenge> bytes{};

    std::span<const std::uint8_t> feld(std::size_t offset) const {
        return std::span<const std::uint8_t>(bytes).subspan(offset, 4);
    }
    // leseWortzahl of a big-endian field: a byte count, throws on overflow.
    std::int32_t wortzahl(std::size_t offset) const { return leseWortzahl(feld(offset)); }
    std::int32_t i32le(std::size_t offset) const {
        return static_cast<std::int32_t>(u32leAus(bytes.data() + offset));
    }
    double f64le(std::size_t offset) const { return f64leAus(bytes.data() + offset); }

    void setzeWortzahl(std::size_t offset, std::int32_t woerter);
    void setzeI32le(std::size_t offset, std::int32_t wert);
    void setzeF64le(std::size_t offset, double wert);
};

} // namespace trelvik
