// The codec of dBase values: column texts of the clean run's table.
#include "shape/dbf/dbf_werte.h"

#include <gtest/gtest.h>

#include <string>

namespace trelvik {
namespace {

struct Spalte {
    std::string typ;
    int laenge = 0;
    int dezimalen = 0;
};

Spalte spalte(const std::string&, const std::string& typ, int laenge, int dezimalen = 0) {
    return {typ, laenge, dezimalen};
}

TEST(DbfWerte, SpaltenTexteNachTyp) {
    bool ueber = false;
    const auto text = [&](const Spalte& s, const std::string& v) {
        return spaltenText(s.typ, s.laenge, s.dezimalen, v, ueber);
    };
    const auto c = spalte("C", "C", 6);
    EXPECT_EQ(text(c, "  Straße "), "Stra\xDF" "e");
    EXPECT_EQ(text(c, "Weg"), "Weg   ");
    EXPECT_EQ(text(c, "Sehr lang"), "Sehr l");
    EXPECT_EQ(text(c, "€ und ☃"), "\x80 und "); // Windows-1252
    EXPECT_EQ(text(spalte("C", "C", 3), "a☃"), "a? "); // "?" where it has no character
    EXPECT_EQ(text(c, " "), "      ");

    const auto n = spalte("N", "N", 7, 2);
    EXPECT_EQ(text(n, "3,14159"), "   3.14");
    EXPECT_FALSE(ueber);
    EXPECT_EQ(text(n, " "), "   0.00"); // an unmatched column: the formatted " "
    EXPECT_EQ(text(n, "1234.5"), "1234.50");
    EXPECT_EQ(text(n, "12345.5"), "*******"); // never "2345.50"
    EXPECT_TRUE(ueber);
    EXPECT_EQ(text(spalte("F", "F", 4), "-999"), "-999");
    EXPECT_EQ(text(spalte("F", "F", 4), "-1000"), "****");

    const auto d = spalte("D", "D", 8);
    EXPECT_EQ(text(d, "24.12.2003"), "20031224");
    EXPECT_EQ(text(d, "5.3.2004"), "20040305");
    EXPECT_EQ(text(d, "kein Datum"), "        ");
    EXPECT_EQ(text(d, " "), "        ");
    EXPECT_EQ(text(spalte("D", "D", 6), "5.3.04"), "040305");

    const auto l = spalte("L", "L", 1);
    for (const char* wahr : {"-1", "T", "t", "Y", "J", "W", "w"})
        EXPECT_EQ(text(l, wahr), "T") << wahr;
    for (const char* falsch : {"0", "F", "N", "nein"})
        EXPECT_EQ(text(l, falsch), "F") << falsch;
    EXPECT_EQ(text(l, ""), "?");

    EXPECT_EQ(text(spalte("X", "M", 4), "Memo"), "    ");
}

} // namespace
} // namespace trelvik
