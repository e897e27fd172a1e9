#include "shape/shape_format.h"

#include <bit>
#include <string>

namespace trelvik {

std::int32_t leseWortzahl(std::span<const std::uint8_t> vier) {
    if (vier.size() != 4)
        throw FormatFehler("a word count needs 4 bytes");
    // 2^30 words are 2^31 bytes, one more than a signed 32-bit count holds.
    if (vier[0] >= 64)
        throw FormatFehler("word count overflow (2^30 words or more)");
    return static_cast<std::int32_t>(std::uint32_t{vier[0]} << 25 | std::uint32_t{vier[1]} << 17 |
                                     std::uint32_t{vier[2]} << 9 | std::uint32_t{vier[3]} << 1);
}

std::array<std::uint8_t, 4> schreibeBigEndian(std::int32_t wert) {
    if (wert < 0)
        throw FormatFehler("a negative value cannot be written as a word count");
    const auto v = static_cast<std::uint32_t>(wert);
    return {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
            static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)};
}

std::span<const std::uint8_t> ByteReader::take(std::size_t n) {
    if (n > remaining())
        throw FormatFehler("unexpected end of data: " + std::to_string(n) + " bytes needed, " +
                           std::to_string(remaining()) + " left");
    const auto teil = bytes_.subspan(pos_, n);
    pos_ += n;
    return teil;
}

std::uint32_t ByteReader::u32be() {
    return u32beAus(take(4).data());
}
std::int32_t ByteReader::i32be() {
    return static_cast<std::int32_t>(u32be());
}
std::uint32_t ByteReader::u32le() {
    return u32leAus(take(4).data());
}
std::int32_t ByteReader::i32le() {
    return static_cast<std::int32_t>(u32le());
}
double ByteReader::f64le() {
    return f64leAus(take(8).data());
}

std::string_view shapeTypName(std::int32_t code) {
    switch (code) {
    case shapetyp::nullShape:
        return "Null Shape";
    case shapetyp::point:
        return "Point";
    case shapetyp::polyLine:
        return "PolyLine";
    case shapetyp::polyGon:
        return "PolyGon";
    case shapetyp::multiPoint:
        return "MultiPoint";
    case shapetyp::pointZ:
        return "PointZ";
    case shapetyp::polyLineZ:
        return "PolyLineZ";
    case shapetyp::polyGonZ:
        return "PolyGonZ";
    case shapetyp::multiPointZ:
        return "MultiPointZ";
    case shapetyp::pointM:
        return "PointM";
    case shapetyp::polyLineM:
        return "PolyLineM";
    case shapetyp::polyGonM:
        return "PolyGonM";
    case shapetyp::multiPointM:
        return "MultiPointM";
    case shapetyp::multiPatch:
        return "MultiPatch";
    default:
        return "unbekannt";
    }
}

void Dateikopf::setzeWortzahl(std::size_t offset, std::int32_t woerter) {
    const auto b = schreibeBigEndian(woerter);
    for (std::size_t k = 0; k < 4; ++k)
        bytes.at(offset + k) = b[k];
}

void Dateikopf::setzeI32le(std::size_t offset, std::int32_t wert) {
    (void)bytes.at(offset + 3); // out of range throws, as for every field
    setzeLe32(bytes.data() + offset, static_cast<std::uint32_t>(wert));
}

void Dateikopf::setzeF64le(std::size_t offset, double wert) {
    (void)bytes.at(offset + 7);
    setzeLe64(bytes.data() + offset, wert);
}

std::string basisNameVon(const std::string& Xdateiname) {
    const auto anfang = Xdateiname.find_first_not_of(' ');
    if (anfang == std::string::npos)
        return "";
    std::string name = Xdateiname.substr(anfang, Xdateiname.find_last_not_of(' ') - anfang + 1);
    if (name.size() > 4) {
        std::string ende = name.substr(name.size() - 4);
        for (auto& c : ende)
            if (c >= 'a' && c <= 'z')
                c = static_cast<char>(c - 'a' + 'A');
        if (ende == ".SHP")
            name.erase(name.size() - 3); // the point stays
    }
    return name;
}

} // namespace trelvik
