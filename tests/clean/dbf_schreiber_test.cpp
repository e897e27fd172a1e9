// The table of a cleaned shapefile: header bytes and a table that shapelib reads back with the
// values written.
#include "clean/clean_hilfe.h"
#include "clean/dbf_schreiber.h"

#include <shapefil.h>

namespace trelvik {
namespace {

AttributEintrag spalte(const std::string& name, const std::string& typ, int laenge,
                       int dezimalen = 0, int position = 0) {
    AttributEintrag e;
    e.name = name;
    e.typ = typ;
    e.laenge = laenge;
    e.dezimalen = dezimalen;
    e.position = position;
    return e;
}

std::uint16_t le16(const std::string& b, std::size_t i) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(b[i]) |
                                      static_cast<unsigned char>(b[i + 1]) << 8);
}

using DbfSchreiberTest = test::CleanOrdner;

TEST_F(DbfSchreiberTest, HeaderDescriptorsAndCounts) {
    Attributliste liste;
    for (int k = 0; k < 14; ++k)
        liste.push_back(spalte("SPALTE_" + std::to_string(k), "C", 5));
    liste[1] = spalte("  EINSEHRLANGERNAME ", "n", 12, 3);
    const std::string pfad = ordner + "t.dbfx";
    {
        DbfSchreiber s(pfad);
        s.schreibeDbfKopf(liste, {2026, 12, 7});
        s.schreibeDbfSatz({});
        s.schreibeDbfSatz({});
        s.schliesseDbf(2);
    }
    const std::string b = lies(pfad);
    ASSERT_EQ(b.size(), 481u + 2 * 78 + 1);
    EXPECT_EQ(b[0], 3);
    EXPECT_EQ(static_cast<unsigned char>(b[1]), 126);
    EXPECT_EQ(b[2], 12);
    EXPECT_EQ(b[3], 7);
    EXPECT_EQ(b[4], 2);
    EXPECT_EQ(le16(b, 8), 481);
    EXPECT_EQ(le16(b, 10), 78);
    EXPECT_EQ(std::string(b.data() + 12, 20), std::string(20, '\0'));
    // Second descriptor: the trimmed name cut to 10 characters, the type letter upper-cased.
    EXPECT_EQ(std::string(b.data() + 64, 11), std::string("EINSEHRLAN\0", 11));
    EXPECT_EQ(b[64 + 11], 'N');
    EXPECT_EQ(b[64 + 16], 12);
    EXPECT_EQ(b[64 + 17], 3);
    EXPECT_EQ(b[480], 0x0D);
    EXPECT_EQ(b[481], ' ');
    EXPECT_EQ(b.back(), 0x1A);

    // Years beyond 2155 stay in their byte.
    DbfSchreiber spaet(ordner + "s.dbfx");
    spaet.schreibeDbfKopf(liste, {2300, 1, 1});
    spaet.schliesseDbf(0);
    EXPECT_EQ(static_cast<unsigned char>(lies(ordner + "s.dbfx")[1]), 255);
}

TEST_F(DbfSchreiberTest, RowsReadBackInShapelibWithTheirValues) {
    const Attributliste liste = {spalte("NAME", "C", 10, 0, 2), spalte("WERT", "N", 8, 2, 1),
                                 spalte("DATUM", "D", 8, 0, 3), spalte("OK", "L", 1, 0, 4),
                                 spalte("FEHLT", "C", 4, 0, 0), spalte("KLEIN", "N", 2, 0, 1)};
    const std::string pfad = ordner + "t.dbf";
    DbfSchreiber s(pfad);
    s.schreibeDbfKopf(liste);
    s.schreibeDbfSatz({"12.5", "Müller", "01.02.2020", "-1"});
    s.schreibeDbfSatz({"123"}); // fewer values than positions: the rest is " "
    s.schliesseDbf(2);
    EXPECT_EQ(s.ueberlaeufe(), 1); // 123 does not fit N(2,0); 12.5 there is "13"

    DBFHandle h = DBFOpen(pfad.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(DBFGetRecordCount(h), 2);
    ASSERT_EQ(DBFGetFieldCount(h), 6);
    EXPECT_STREQ(DBFReadStringAttribute(h, 0, 0), "M\xFCller");
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 0, 1), 12.5);
    EXPECT_STREQ(DBFReadStringAttribute(h, 0, 2), "20200201");
    EXPECT_STREQ(DBFReadLogicalAttribute(h, 0, 3), "T");
    EXPECT_TRUE(DBFIsAttributeNULL(h, 0, 4));
    EXPECT_STREQ(DBFReadStringAttribute(h, 0, 5), "13");
    EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(h, 1, 1), 123);
    EXPECT_STREQ(DBFReadStringAttribute(h, 1, 2), "");
    EXPECT_STREQ(DBFReadLogicalAttribute(h, 1, 3), "?"); // no value, not false
    EXPECT_TRUE(DBFIsAttributeNULL(h, 1, 5));             // the overflow: "**"
    DBFClose(h);
}

} // namespace
} // namespace trelvik
