// Decoding field bytes by code page, with the umlaut repair of single-byte pages, and the
// program's Windows-1252 codec.
#include "shape/dbf/zeichensatz.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string umlauteKorrigieren(const std::string& bytes, const std::string& codepage) {
    return trelvik::Zeichensatz(codepage).dekodiere(bytes, true);
}

TEST(DbfUmlautReparatur, ByteCodesWerdenDeutscheBuchstaben) {
    // Byte codes in octal: 175 = \257, 179 = \263, 213 = \325, 245 = \365, 247 = \367.
    EXPECT_EQ(umlauteKorrigieren("Stra\257e", ""), "Straße");
    EXPECT_EQ(umlauteKorrigieren("\263ber", ""), "Über");
    EXPECT_EQ(umlauteKorrigieren("M\263hle", ""), "Mühle");
    EXPECT_EQ(umlauteKorrigieren("Am \263fer", ""), "Am Üfer");
    EXPECT_EQ(umlauteKorrigieren("a\t\263", ""), "a\tÜ");
    EXPECT_EQ(umlauteKorrigieren("\367l und \367l", ""), "Öl und Öl");
    EXPECT_EQ(umlauteKorrigieren("Gr\367\257e", ""), "Größe");
    EXPECT_EQ(umlauteKorrigieren("\325rger K\365se", ""), "Ärger Käse");
    // The repair looks at the original bytes: a repaired letter is no blank for the next one.
    EXPECT_EQ(umlauteKorrigieren("\263\263", ""), "Üü");
    // Single-byte pages other than 1252 are repaired too.
    EXPECT_EQ(umlauteKorrigieren("\257", "ISO-8859-1"), "ß");
}

TEST(DbfUmlautReparatur, UebrigeBytesNachCodepage) {
    EXPECT_EQ(umlauteKorrigieren("Caf\351", ""), "Café"); // 1252 without a code page
    EXPECT_EQ(umlauteKorrigieren("\200", "1252"), "€");
    EXPECT_EQ(umlauteKorrigieren("\201", "ANSI 1252"), "\uFFFD"); // undefined in 1252
    EXPECT_EQ(umlauteKorrigieren("\200", "88591"), "\u0080");
    EXPECT_EQ(umlauteKorrigieren("\244", "ISO-8859-15"), "€");
    EXPECT_EQ(umlauteKorrigieren("\201\204", "OEM 850"), "üä");
    EXPECT_EQ(umlauteKorrigieren("\232", "437"), "Ü");
    EXPECT_EQ(umlauteKorrigieren("\271", "1250"), "ą");
    EXPECT_EQ(umlauteKorrigieren("\200", "no such page"), "€"); // unknown: 1252
}

TEST(DbfUmlautReparatur, Utf8BleibtUnrepariert) {
    EXPECT_EQ(umlauteKorrigieren("õ", "UTF-8"), "õ"); // bytes C3 B5, no repair to ä
    EXPECT_EQ(umlauteKorrigieren("¯³", "utf8"), "¯³");
    EXPECT_EQ(umlauteKorrigieren("😀", "UTF-8"), "😀");
    EXPECT_EQ(umlauteKorrigieren("a\377b", "65001"), "a\uFFFDb");
    EXPECT_EQ(umlauteKorrigieren("a\342\202", "UTF-8"), "a\uFFFD");               // cut character
    EXPECT_EQ(umlauteKorrigieren("\300\257", "UTF-8"), "\uFFFD\uFFFD");           // overlong
    EXPECT_EQ(umlauteKorrigieren("\355\240\200", "UTF-8"), "\uFFFD\uFFFD\uFFFD"); // surrogate
}

TEST(DbfUmlautReparatur, MehrbyteCodepageWirdAlsGanzesGewandelt) {
    EXPECT_EQ(umlauteKorrigieren("\304\343a", "GBK"), "你a");
    EXPECT_EQ(umlauteKorrigieren("a\304", "GBK"), "a\uFFFD"); // cut character
}

TEST(Windows1252, HinUndZurueck) {
    // Every byte the page defines comes back as itself; the five it lacks read as U+FFFD.
    int fehlend = 0;
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string utf8 = trelvik::ausWindows1252(byte);
        if (utf8 == "\uFFFD") {
            ++fehlend;
            continue;
        }
        EXPECT_EQ(trelvik::inWindows1252(utf8), byte) << b;
    }
    EXPECT_EQ(fehlend, 5);
    EXPECT_EQ(trelvik::inWindows1252("Straße €5 ☃"), "Stra\xDF" "e \x80" "5 ?");
    EXPECT_EQ(trelvik::iconvName("utf-8"), "UTF-8");
    EXPECT_EQ(trelvik::iconvName("65001"), "UTF-8");
    EXPECT_EQ(trelvik::iconvName(""), "WINDOWS-1252");
}

} // namespace
