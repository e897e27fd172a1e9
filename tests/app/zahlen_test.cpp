#include "app/zahlen.h"

#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>
#include <cmath>
#include <random>
#include <string>

using namespace trelvik;

TEST(TextZuZahl, LiestKommaUndPunktGleich) {
    EXPECT_EQ(textZuZahl(std::string_view("2,5")), 2.5);
    EXPECT_EQ(textZuZahl(std::string_view("2.5")), 2.5);
    EXPECT_EQ(textZuZahl(std::string_view("25")), 25.0);
    // The second point ends the number.
    EXPECT_EQ(textZuZahl(std::string_view("1.234,5")), 1.234);
}

TEST(TextZuZahl, ErsetztKommaImTextDesAufrufers) {
    std::string feld = "12,75";
    EXPECT_EQ(textZuZahl(feld), 12.75);
    EXPECT_EQ(feld, "12.75");
}

TEST(TextZuZahl, UeberspringtLeerzeichenUeberall) {
    EXPECT_EQ(textZuZahl(std::string_view(" 1 2")), 12.0);
    EXPECT_EQ(textZuZahl(std::string_view("\t-3\n.5")), -3.5);
    EXPECT_EQ(textZuZahl(std::string_view("  +7")), 7.0);
}

TEST(TextZuZahl, UnlesbaresGibtNull) {
    EXPECT_EQ(textZuZahl(std::string_view("")), 0.0);
    EXPECT_EQ(textZuZahl(std::string_view("abc")), 0.0);
    EXPECT_EQ(textZuZahl(std::string_view("-")), 0.0);
    EXPECT_EQ(textZuZahl(std::string_view(".")), 0.0);
    EXPECT_EQ(textZuZahl(std::string_view("1E400")), 0.0);
    EXPECT_EQ(textZuZahl(std::string_view("&H123456789")), 0.0);
}

TEST(TextZuZahl, LiestFuehrendeZahlBisZumErstenFremdenZeichen) {
    EXPECT_EQ(textZuZahl(std::string_view("25 cm")), 25.0);
    EXPECT_EQ(textZuZahl(std::string_view(".5x")), 0.5);
    EXPECT_EQ(textZuZahl(std::string_view("3.")), 3.0);
}

TEST(TextZuZahl, ExponentInBeidenSchreibweisen) {
    EXPECT_EQ(textZuZahl(std::string_view("1E3")), 1000.0);
    EXPECT_EQ(textZuZahl(std::string_view("1e3")), 1000.0);
    EXPECT_EQ(textZuZahl(std::string_view("2.5E-1")), 0.25);
    EXPECT_EQ(textZuZahl(std::string_view("2.5e+2")), 250.0);
    // An exponent letter without digits is not part of the number.
    EXPECT_EQ(textZuZahl(std::string_view("4E")), 4.0);
    EXPECT_EQ(textZuZahl(std::string_view("4E+")), 4.0);
}

TEST(TextZuZahl, HexUndOktal) {
    EXPECT_EQ(textZuZahl(std::string_view("&H1F")), 31.0);
    EXPECT_EQ(textZuZahl(std::string_view("&hff")), 255.0);
    EXPECT_EQ(textZuZahl(std::string_view("&O17")), 15.0);
    // Four hex digits are a 16-bit whole number, eight a 32-bit one.
    EXPECT_EQ(textZuZahl(std::string_view("&HFFFF")), -1.0);
    EXPECT_EQ(textZuZahl(std::string_view("&H10000")), 65536.0);
    EXPECT_EQ(textZuZahl(std::string_view("&HFFFFFFFF")), -1.0);
    EXPECT_EQ(textZuZahl(std::string_view("&X1")), 0.0);
}

// A locale with a decimal comma, generated into a private folder when the system has none.
bool setzeDeutschesGebietsschema() {
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr)
        return true;
    const std::string ordner = "/tmp/trelvik-locale";
    const std::string befehl = "mkdir -p " + ordner + " && localedef -i de_DE -f UTF-8 " +
                               ordner + "/de_DE.UTF-8 >/dev/null 2>&1";
    if (std::system(befehl.c_str()) != 0)
        return false;
    ::setenv("LOCPATH", ordner.c_str(), 1);
    return std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
}

TEST(TextZuZahl, UnabhaengigVomGebietsschema) {
    const char* vorher = std::setlocale(LC_ALL, nullptr);
    const std::string gesichert = vorher ? vorher : "C";
    ASSERT_TRUE(setzeDeutschesGebietsschema()) << "no German locale can be made";
    ASSERT_STREQ(std::localeconv()->decimal_point, ",");
    EXPECT_EQ(textZuZahl(std::string_view("2.5")), 2.5);
    EXPECT_EQ(textZuZahl(std::string_view("2,5")), 2.5);
    EXPECT_EQ(formatCheck(1234.5678, "0.000"), "1234.568");
    EXPECT_EQ(formatCheck(2.5, "0"), "3");
    EXPECT_EQ(zahlRechtsbuendig(3.14159, 6, 2), "  3.14");
    std::setlocale(LC_ALL, gesichert.c_str());
}

TEST(FormatCheck, RundetHalbeVonNullWeg) {
    EXPECT_EQ(formatCheck(2.5, "0"), "3");
    EXPECT_EQ(formatCheck(3.5, "0"), "4");
    EXPECT_EQ(formatCheck(-2.5, "0"), "-3");
    EXPECT_EQ(formatCheck(0.125, "0.00"), "0.13");
    EXPECT_EQ(formatCheck(2.4999, "0"), "2");
}

TEST(FormatCheck, GanzeZahlenWieAusDenZiffern) {
    std::mt19937_64 zufall(3);
    for (int k = 0; k < 5000; ++k) {
        // Halves, neighbours of halves, values across the magnitudes up to past 2^52.
        const double halb = static_cast<double>(zufall() % 100000) + 0.5;
        const double werte[] = {halb, std::nextafter(halb, 0.0), std::nextafter(halb, 1e9),
                                std::ldexp(static_cast<double>(zufall() % 1000000),
                                           static_cast<int>(zufall() % 70) - 20)};
        for (const double w : werte)
            for (const double v : {w, -w})
                for (const char* muster : {"0", "000", "#"})
                    ASSERT_EQ(formatCheck(v, muster), formatCheckZiffern(v, muster))
                        << std::hexfloat << v << " " << muster;
    }
    for (const double v : {0.0, -0.0, -0.4, 4503599627370495.5, 4503599627370496.0, 1e300,
                           std::nan(""), -HUGE_VAL})
        EXPECT_EQ(formatCheck(v, "0"), formatCheckZiffern(v, "0")) << v;
}

TEST(FormatCheck, RundetDenExaktenBinaerwert) {
    // 2.675 is stored as 2.67499999999999982236431605997495353221893310546875.
    EXPECT_EQ(formatCheck(2.675, "0.00"), "2.67");
    // 1.005 lies below the half as well, 2.345 above it.
    EXPECT_EQ(formatCheck(1.005, "0.00"), "1.00");
    EXPECT_EQ(formatCheck(2.345, "0.00"), "2.35");
}

TEST(FormatCheck, MusterStellen) {
    EXPECT_EQ(formatCheck(1234.5678, "0.000"), "1234.568");
    EXPECT_EQ(formatCheck(7, "00"), "07");
    EXPECT_EQ(formatCheck(123, "00"), "123");
    EXPECT_EQ(formatCheck(0.5, "0.000"), "0.500");
    EXPECT_EQ(formatCheck(1.123456789, "0.00000000"), "1.12345679");
    EXPECT_EQ(formatCheck(99.9996, "0.000"), "100.000");
    EXPECT_EQ(formatCheck(9.5, "0"), "10");
    EXPECT_EQ(formatCheck(0.0, "0"), "0");
}

TEST(FormatCheck, GrosseUndKleineWerte) {
    EXPECT_EQ(formatCheck(1e20, "0"), "100000000000000000000");
    EXPECT_EQ(formatCheck(5716220.0, "0.000"), "5716220.000");
    EXPECT_EQ(formatCheck(1e-300, "0.000"), "0.000");
    EXPECT_EQ(formatCheck(4.9e-324, "0"), "0");
    EXPECT_EQ(formatCheck(1.7976931348623157e308, "0").size(), 309u);
}

TEST(FormatCheck, NullOhneVorzeichen) {
    EXPECT_EQ(formatCheck(-0.0001, "0.000"), "0.000");
    EXPECT_EQ(formatCheck(-0.4, "0"), "0");
    EXPECT_EQ(formatCheck(-0.0005, "0.000"), "-0.001");
}

TEST(FormatCheck, KeineZahlen) {
    EXPECT_EQ(formatCheck(std::numeric_limits<double>::quiet_NaN(), "0"), "NaN");
    EXPECT_EQ(formatCheck(-std::numeric_limits<double>::infinity(), "0.00"), "-Inf");
}

TEST(ZahlRechtsbuendig, FuelltUndSchneidet) {
    EXPECT_EQ(zahlRechtsbuendig(3.14159, 6, 2), "  3.14");
    EXPECT_EQ(zahlRechtsbuendig(123456, 4, 0), "3456");
    EXPECT_EQ(zahlRechtsbuendig(-1.5, 5, 0), "   -2");
    EXPECT_EQ(zahlRechtsbuendig(12, 0, 0), "");
}

TEST(DatumFormat, TagMonatJahr) {
    EXPECT_EQ(datumFormat("5.3.2004", 8), "05032004");
    EXPECT_EQ(datumFormat("5.3.04", 6), "050304");
    EXPECT_EQ(datumFormat("24.12.2003", 8), "24122003");
    EXPECT_EQ(datumFormat("24.12.2003", 6), "241203");
    EXPECT_EQ(datumFormat("1.1.5", 8), "01010005");
}

TEST(DatumFormat, KeinDatumGibtLeerzeichen) {
    EXPECT_EQ(datumFormat("2004", 8), "        ");
    EXPECT_EQ(datumFormat("5.2004", 8), "        ");
    EXPECT_EQ(datumFormat(".3.2004", 8), "        ");
    EXPECT_EQ(datumFormat("5..2004", 8), "        ");
    EXPECT_EQ(datumFormat("5.3.", 6), "      ");
    EXPECT_EQ(datumFormat("", 8), "        ");
}

TEST(DatumFormat, RundetHalbeZurGeraden) {
    EXPECT_EQ(datumFormat("2,5.3.2004", 8), "02032004");
    EXPECT_EQ(datumFormat("3,5.3.2004", 8), "04032004");
}

TEST(MinMax, GanzUndZahl) {
    EXPECT_EQ(minGanz(3, -2), -2);
    EXPECT_EQ(maxGanz(3, -2), 3);
    EXPECT_EQ(minZahl(0.5, 0.25), 0.25);
    EXPECT_EQ(maxZahl(0.5, 0.25), 0.5);
}
