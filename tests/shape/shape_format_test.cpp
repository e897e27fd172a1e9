#include "shape/shape_format.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

using namespace trelvik;

namespace {

std::int32_t wortzahl(std::uint8_t b0, std::uint8_t b1, std::uint8_t b2, std::uint8_t b3) {
    const std::uint8_t b[] = {b0, b1, b2, b3};
    return leseWortzahl(b);
}

} // namespace

TEST(Wortzahl, BigEndianWoerterWerdenBytes) {
    EXPECT_EQ(wortzahl(0, 0, 0x27, 0x0A), 19988); // file code 9994
    EXPECT_EQ(wortzahl(0, 0, 0, 50), 100);        // an empty file's length
    EXPECT_EQ(wortzahl(0, 0, 1, 0), 512);
    EXPECT_EQ(wortzahl(0x01, 0x02, 0x03, 0x04), 0x01020304 * 2);
    EXPECT_EQ(wortzahl(63, 255, 255, 255), 2147483646); // the largest that fits
}

TEST(Wortzahl, ErstesByteAb64LaeuftUeber) {
    EXPECT_THROW(wortzahl(64, 0, 0, 0), FormatFehler);
    EXPECT_THROW(wortzahl(0x80, 0, 0, 0), FormatFehler);
    EXPECT_THROW(wortzahl(255, 255, 255, 255), FormatFehler);
    const std::uint8_t drei[] = {0, 0, 1};
    EXPECT_THROW(leseWortzahl(drei), FormatFehler);
}

TEST(Wortzahl, SchreibenUndLesenPassenZusammen) {
    EXPECT_EQ(schreibeBigEndian(118), (std::array<std::uint8_t, 4>{0, 0, 0, 118}));
    EXPECT_EQ(schreibeBigEndian(9994), (std::array<std::uint8_t, 4>{0, 0, 0x27, 0x0A}));
    EXPECT_EQ(schreibeBigEndian(0x12345678), (std::array<std::uint8_t, 4>{0x12, 0x34, 0x56, 0x78}));
    for (const std::int32_t woerter : {0, 1, 50, 255, 256, 65535, 65536, 1 << 24, (1 << 30) - 1}) {
        const auto b = schreibeBigEndian(woerter);
        EXPECT_EQ(leseWortzahl(b), woerter * 2) << woerter;
    }
    EXPECT_THROW(schreibeBigEndian(-1), FormatFehler);
}

TEST(ByteReader, LiestJedeByteFolgeInIhrerOrdnung) {
    const std::vector<std::uint8_t> b = {0x00, 0x00, 0x27, 0x0A,                         // 9994 BE
                                         0xE8, 0x03, 0x00, 0x00,                         // 1000 LE
                                         0xFE, 0xFF, 0xFF, 0xFF,                         // -2 LE
                                         0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xF8, 0x3F, // 1.5
                                         0xFF, 0xFF, 0xFF, 0xFE};                        // -2 BE
    ByteReader r(b);
    EXPECT_EQ(r.u32be(), 9994u);
    EXPECT_EQ(r.i32le(), 1000);
    EXPECT_EQ(r.i32le(), -2);
    EXPECT_EQ(r.f64le(), 1.5);
    EXPECT_EQ(r.i32be(), -2);
    EXPECT_EQ(r.remaining(), 0u);
}

TEST(ByteReader, LesenUeberDasEndeScheitertOhneWeiterzugehen) {
    const std::vector<std::uint8_t> b = {1, 2, 3, 4, 5, 6, 7};
    ByteReader r(b);
    EXPECT_THROW(r.f64le(), FormatFehler);
    EXPECT_EQ(r.position(), 0u);
    EXPECT_EQ(r.u32le(), 0x04030201u);
    EXPECT_THROW(r.u32le(), FormatFehler);
    EXPECT_EQ(r.remaining(), 3u);
    EXPECT_THROW(r.take(SIZE_MAX), FormatFehler);
    EXPECT_EQ(r.take(3).size(), 3u);
    EXPECT_THROW(r.skip(1), FormatFehler);

    ByteReader leer(std::span<const std::uint8_t>{});
    EXPECT_THROW(leer.u32be(), FormatFehler);
}

TEST(ShapeTypName, JederCodeHatSeinenNamen) {
    const std::pair<std::int32_t, const char*> namen[] = {
        {0, "Null Shape"},   {1, "Point"},       {3, "PolyLine"},   {5, "PolyGon"},
        {8, "MultiPoint"},   {11, "PointZ"},     {13, "PolyLineZ"}, {15, "PolyGonZ"},
        {18, "MultiPointZ"}, {21, "PointM"},     {23, "PolyLineM"}, {25, "PolyGonM"},
        {28, "MultiPointM"}, {31, "MultiPatch"}, {2, "unbekannt"},  {-1, "unbekannt"},
        {32, "unbekannt"},   {1000, "unbekannt"}};
    for (const auto& [code, name] : namen)
        EXPECT_EQ(shapeTypName(code), name) << code;
}

TEST(Dateikopf, FelderLiegenAnIhrenStellen) {
    Dateikopf kopf;
    kopf.setzeWortzahl(Dateikopf::fileCode, 9994);
    kopf.setzeWortzahl(Dateikopf::fileLength, 118);
    kopf.setzeI32le(Dateikopf::version, 1000);
    kopf.setzeI32le(Dateikopf::shapeType, 15);
    kopf.setzeF64le(Dateikopf::xmin, -1E+40);
    kopf.setzeF64le(Dateikopf::mmax, 2.5);
    EXPECT_EQ(kopf.bytes[2], 0x27);
    EXPECT_EQ(kopf.bytes[3], 0x0A);
    EXPECT_EQ(kopf.bytes[27], 118);
    EXPECT_EQ(kopf.bytes[28], 0xE8);
    EXPECT_EQ(kopf.bytes[29], 0x03);
    EXPECT_EQ(kopf.bytes[32], 15);
    EXPECT_EQ(kopf.bytes[99], 0x40); // 2.5 = 0x4004000000000000, last byte most significant
    EXPECT_EQ(kopf.wortzahl(Dateikopf::fileLength), 236);
    EXPECT_EQ(kopf.i32le(Dateikopf::shapeType), 15);
    EXPECT_EQ(kopf.f64le(Dateikopf::xmin), -1E+40);
    EXPECT_EQ(kopf.f64le(Dateikopf::mmax), 2.5);
}
