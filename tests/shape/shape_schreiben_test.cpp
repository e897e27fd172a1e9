// Writing file sets: header and index bytes, ring orientation, rounding, null records, the
// table copied back on close, in-place orientation and the vertex export. Every set written
// here is read back with shapelib as a second reader.
#include "shape/shape_hilfe.h"
#include "app/zahlen.h"
#include "shape/vun_interface.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <sys/stat.h>

namespace trelvik {
namespace {

using test::Bytes;
using test::leseDatei;
using test::TestOrdner;

std::int32_t beAus(const Bytes& b, std::size_t stelle) {
    return static_cast<std::int32_t>(std::uint32_t{b.at(stelle)} << 24 |
                                     std::uint32_t{b.at(stelle + 1)} << 16 |
                                     std::uint32_t{b.at(stelle + 2)} << 8 | b.at(stelle + 3));
}
std::int32_t leAus(const Bytes& b, std::size_t stelle) {
    return static_cast<std::int32_t>(u32leAus(b.data() + stelle));
}
double dAus(const Bytes& b, std::size_t stelle) {
    return f64leAus(b.data() + stelle);
}

Punktfeld feld(const std::vector<std::vector<double>>& zeilen) {
    Punktfeld p;
    p.groesseAendern(zeilen.size(), zeilen.empty() ? 2 : zeilen[0].size());
    for (std::size_t i = 0; i < zeilen.size(); ++i)
        for (std::size_t j = 0; j < zeilen[i].size(); ++j)
            p(i, j) = zeilen[i][j];
    return p;
}

// Counter-clockwise unit square, closed.
Punktfeld quadratLinks(double ab = 0, std::size_t spalten = 2) {
    std::vector<std::vector<double>> z = {{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
    for (auto& r : z) {
        r[0] += ab;
        r.resize(spalten, 0);
    }
    return feld(z);
}

const VunInterface::Felder nameFeld = {{"Gemeindename", "10", "40"}};

class SchreibTest : public ::testing::Test {
protected:
    TestOrdner ordner;
    test::TmpUmleitung tmp{ordner.pfad()};
    std::string shp = ordner / "neu.shp";
};

TEST_F(SchreibTest, NewSetHasHeadersOnlyAndAnEmptyTable) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 5, nameFeld, false, true)) << v.letzterFehler();
    for (const char* datei : {"neu.shp", "neu.shx"}) {
        const Bytes b = leseDatei(ordner / datei);
        ASSERT_EQ(b.size(), 100u) << datei;
        EXPECT_EQ(beAus(b, 0), 9994);
        for (std::size_t k = 4; k < 24; k += 4)
            EXPECT_EQ(beAus(b, k), 0);
        EXPECT_EQ(beAus(b, 24), 50);
        EXPECT_EQ(leAus(b, 28), 1000);
        EXPECT_EQ(leAus(b, 32), 5);
        for (std::size_t k = 36; k < 100; k += 8) // no record, no box
            EXPECT_EQ(dAus(b, k), 0.0);
    }
    DBFHandle d = DBFOpen((ordner / "neu.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DBFGetRecordCount(d), 0);
    ASSERT_EQ(DBFGetFieldCount(d), 2);
    char name[12];
    int breite = 0;
    int dezimalen = -1;
    DBFGetFieldInfo(d, 0, name, &breite, &dezimalen);
    EXPECT_EQ(DBFGetNativeFieldType(d, 0), 'N');
    EXPECT_STREQ(name, "ID");
    EXPECT_EQ(breite, 11); // room for every 32-bit number
    EXPECT_EQ(dezimalen, 0);
    EXPECT_EQ(DBFGetFieldInfo(d, 1, name, &breite, nullptr), FTString);
    EXPECT_STREQ(name, "Gemeinde"); // first 8 characters
    EXPECT_EQ(breite, 40);
    DBFClose(d);
    std::ifstream cpg(ordner / "neu.cpg");
    std::string codepage;
    cpg >> codepage;
    EXPECT_EQ(codepage, "1252");

    // Z types too: their Z and M ranges hold no value yet.
    ASSERT_TRUE(v.Shape_New(ordner / "z.shp", 13, nameFeld, false, false));
    const Bytes z = leseDatei(ordner / "z.shp");
    EXPECT_EQ(leAus(z, 32), 13);
    for (std::size_t k = 36; k < 100; k += 8)
        EXPECT_EQ(dAus(z, k), 0.0);
    EXPECT_EQ(leseDatei(ordner / "z.shx").size(), 100u);
}

TEST_F(SchreibTest, OneRingRecordGivesTheDocumentedBytes) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 5, nameFeld, false, true));
    Punktfeld p = quadratLinks();
    ASSERT_TRUE(v.Shape_Append(p, {"Ort"})) << v.letzterFehler();
    ASSERT_TRUE(v.Shape_Close());

    const Bytes shpBytes = leseDatei(shp);
    const Bytes shx = leseDatei(ordner / "neu.shx");
    ASSERT_EQ(shpBytes.size(), 236u);
    ASSERT_EQ(shx.size(), 108u);
    EXPECT_EQ(beAus(shpBytes, 24), 118);
    EXPECT_EQ(beAus(shx, 24), 54);
    EXPECT_EQ(beAus(shx, 100), 50); // offset in words
    EXPECT_EQ(beAus(shx, 104), 64); // content length in words
    EXPECT_EQ(beAus(shpBytes, 100), 1); // record number
    EXPECT_EQ(beAus(shpBytes, 104), 64);
    EXPECT_EQ(leAus(shpBytes, 108), 5);
    // The header box now is the square's box.
    EXPECT_EQ(dAus(shpBytes, 36), 0.0);
    EXPECT_EQ(dAus(shpBytes, 52), 1.0);
    EXPECT_EQ(0, std::memcmp(shpBytes.data() + 28, shx.data() + 28, 72));

    // Stored clockwise: the second point is (0, 1), and the caller's array was turned too.
    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    SHPObject* o = SHPReadObject(h, 0);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->nVertices, 5);
    EXPECT_EQ(o->padfX[1], 0.0);
    EXPECT_EQ(o->padfY[1], 1.0);
    SHPDestroyObject(o);
    SHPClose(h);
    EXPECT_EQ(p(1, 1), 1.0);

    DBFHandle d = DBFOpen((ordner / "neu.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(DBFGetRecordCount(d), 1);
    EXPECT_EQ(DBFReadIntegerAttribute(d, 0, 0), 1);
    EXPECT_STREQ(DBFReadStringAttribute(d, 0, 1), "Ort");
    DBFClose(d);
}

TEST_F(SchreibTest, OrientationFollowsTheConvention) {
    for (const bool aktVersion : {false, true}) {
        VunInterface v;
        ASSERT_TRUE(v.Shape_New(shp, 15, nameFeld, aktVersion, false));
        // Counter-clockwise, with Z and M that must travel with their points.
        Punktfeld p = feld({{0, 0, 10, 100}, {1, 0, 11, 101}, {1, 1, 12, 102}, {0, 1, 13, 103},
                            {0, 0, 10, 100}});
        ASSERT_TRUE(v.Shape_Append(p, {"a"})) << v.letzterFehler();
        ASSERT_TRUE(v.Shape_Close());
        SHPHandle h = SHPOpen(shp.c_str(), "rb");
        ASSERT_NE(h, nullptr);
        SHPObject* o = SHPReadObject(h, 0);
        ASSERT_NE(o, nullptr);
        ASSERT_EQ(o->nVertices, 5);
        if (aktVersion) {
            EXPECT_EQ(o->padfX[1], 1.0); // unchanged, counter-clockwise
            EXPECT_EQ(o->padfZ[1], 11.0);
        } else {
            EXPECT_EQ(o->padfX[1], 0.0); // turned, clockwise
            EXPECT_EQ(o->padfY[1], 1.0);
            EXPECT_EQ(o->padfZ[1], 13.0);
            EXPECT_EQ(o->padfM[1], 103.0);
        }
        EXPECT_EQ(o->dfZMin, 10.0);
        EXPECT_EQ(o->dfMMax, 103.0);
        SHPDestroyObject(o);
        double lo[4], hi[4];
        SHPGetInfo(h, nullptr, nullptr, lo, hi);
        EXPECT_EQ(lo[2], 10.0);
        EXPECT_EQ(hi[3], 103.0);
        SHPClose(h);
    }
}

TEST_F(SchreibTest, CoordinatesAreRoundedToEightDecimals) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 1, nameFeld, false, true));
    Punktfeld p = feld({{1.123456789, -7.5}});
    ASSERT_TRUE(v.Shape_Append(p, {"p"}));
    ASSERT_TRUE(v.Shape_Close());
    const Bytes b = leseDatei(shp);
    ASSERT_EQ(b.size(), 100u + 8 + 20);
    EXPECT_EQ(dAus(b, 112), 1.12345679);
    EXPECT_EQ(dAus(b, 120), -7.5);
}

TEST_F(SchreibTest, SeveralPartsAndNullRecords) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 5, nameFeld, false, true));
    std::vector<std::vector<double>> z;
    for (int k = 0; k < 2; ++k)
        for (const auto& r : std::vector<std::vector<double>>{
                 {0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}})
            z.push_back({r[0] + 3 * k, r[1]});
    Punktfeld p = feld(z);
    ASSERT_TRUE(v.Shape_AppendRing(p, {"zwei"}, {0, 5})) << v.letzterFehler();
    ASSERT_TRUE(v.Shape_AppendNull());
    Punktfeld q = quadratLinks(10);
    ASSERT_TRUE(v.Shape_Append(q, {"drei"}));
    EXPECT_EQ(v.DBanzahl, 3);
    ASSERT_TRUE(v.Shape_Close());

    const Bytes b = leseDatei(shp);
    EXPECT_EQ(beAus(b, 104), 106); // 44 + 8 + 160 = 212 bytes
    EXPECT_EQ(leAus(b, 144), 2);  // parts
    EXPECT_EQ(leAus(b, 148), 10); // points
    EXPECT_EQ(leAus(b, 152), 0);
    EXPECT_EQ(leAus(b, 156), 5);
    const std::size_t nullSatz = 100 + 8 + 212;
    EXPECT_EQ(beAus(b, nullSatz + 4), 2);
    EXPECT_EQ(leAus(b, nullSatz + 8), 0);
    EXPECT_EQ(beAus(b, nullSatz + 12), 3); // the next record follows 12 bytes later

    DBFHandle d = DBFOpen((ordner / "neu.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    ASSERT_EQ(DBFGetRecordCount(d), 3);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(DBFReadIntegerAttribute(d, i, 0), i + 1);
    EXPECT_STREQ(DBFReadStringAttribute(d, 1, 1), "");
    EXPECT_STREQ(DBFReadStringAttribute(d, 2, 1), "drei");
    DBFClose(d);

    // Our own reader gets the same back.
    VunInterface r;
    ASSERT_TRUE(r.Shape_Open(shp));
    Punktfeld punkte;
    std::vector<std::string> werte;
    std::int32_t ringe = 0;
    std::vector<std::int32_t> lpp;
    ASSERT_TRUE(r.Shape_GetCheck(0, punkte, werte, ringe, lpp));
    EXPECT_EQ(ringe, 2);
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 5, 10}));
    EXPECT_EQ(werte.at(1), "zwei");
    EXPECT_EQ(punkte(7, 0), 4.0);
}

TEST_F(SchreibTest, WritesWithoutAWriterOrWithBadInputFailAndLeaveTheFiles) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 1, nameFeld, false, true));
    Punktfeld p = quadratLinks();
    EXPECT_FALSE(v.Shape_AppendRing(p, {"x"}, {0}));
    ASSERT_TRUE(v.Shape_Close());
    EXPECT_EQ(leseDatei(shp).size(), 100u);
    EXPECT_EQ(leseDatei(ordner / "neu.shx").size(), 100u);

    ASSERT_TRUE(v.Shape_New(shp, 5, nameFeld, false, true));
    Punktfeld r = quadratLinks();
    EXPECT_FALSE(v.Shape_AppendRing(r, {"x"}, {3, 1})); // descending
    EXPECT_FALSE(v.Shape_AppendRing(r, {"x"}, {0, 6})); // beyond the points
    EXPECT_FALSE(v.Shape_AppendRing(r, {"x"}, {}));
    Punktfeld eins;
    EXPECT_FALSE(v.Shape_Append(eins, {"x"})); // one-dimensional
    Punktfeld schmal;
    schmal.groesseAendern(3, 1);
    EXPECT_FALSE(v.Shape_Append(schmal, {"x"}));
    ASSERT_TRUE(v.Shape_Close());
    EXPECT_EQ(leseDatei(shp).size(), 100u);
    DBFHandle d = DBFOpen((ordner / "neu.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DBFGetRecordCount(d), 0); // no row without its shape
    DBFClose(d);

    // Z types need the M column too.
    ASSERT_TRUE(v.Shape_New(shp, 15, nameFeld, false, true));
    Punktfeld drei = quadratLinks(0, 3);
    EXPECT_FALSE(v.Shape_Append(drei, {"x"}));
    ASSERT_TRUE(v.Shape_Close());

    EXPECT_FALSE(v.Shape_New(shp, 5, {{"NAME", "10"}}, false, true)); // two columns only
    EXPECT_FALSE(v.Shape_New(shp, 5, {}, false, false));               // no field at all
}

TEST_F(SchreibTest, NewSetReplacesAllOldFilesButNotReadOnlyOnes) {
    for (const char* alt : {"neu.sbn", "neu.sbx", "neu.SHP", "neu.DBF"})
        test::schreibeDatei(ordner / alt, Bytes(10, 1));
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 3, nameFeld, false, true)) << v.letzterFehler();
    const auto namen = ordner.eintraege();
    for (const char* weg : {"neu.sbn", "neu.sbx", "neu.SHP", "neu.DBF"})
        EXPECT_EQ(std::count(namen.begin(), namen.end(), weg), 0) << weg;

    ::chmod((ordner / "neu.dbf").c_str(), 0444);
    EXPECT_FALSE(v.Shape_New(shp, 3, nameFeld, false, true));
    EXPECT_EQ(leseDatei(ordner / "neu.dbf").size() > 0, true);
    ::chmod((ordner / "neu.dbf").c_str(), 0644);

    EXPECT_FALSE(v.Shape_New(ordner / "fehlt/neu.shp", 3, nameFeld, false, true));
    EXPECT_FALSE(VunInterface::istSchreibbar(""));
    EXPECT_FALSE(VunInterface::istSchreibbar(ordner / "fehlt/x.shp"));
    EXPECT_TRUE(VunInterface::istSchreibbar(ordner / "neu.shp"));
}

TEST_F(SchreibTest, MTypesAreWrittenWithTheirMeasures) {
    VunInterface v;
    ASSERT_TRUE(v.Shape_New(shp, 23, nameFeld, false, true));
    Punktfeld p = feld({{0, 0, 0, 5}, {1, 0, 0, 6}, {2, 1, 0, 7}});
    ASSERT_TRUE(v.Shape_AppendRing(p, {"m"}, {0})) << v.letzterFehler();
    ASSERT_TRUE(v.Shape_New(ordner / "pm.shp", 21, nameFeld, false, true));
    Punktfeld q = feld({{3, 4, 0, 9}});
    ASSERT_TRUE(v.Shape_Append(q, {"pm"}));
    ASSERT_TRUE(v.Shape_Close());

    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    SHPObject* o = SHPReadObject(h, 0);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->nSHPType, SHPT_ARCM);
    ASSERT_EQ(o->nVertices, 3);
    EXPECT_EQ(o->padfM[2], 7.0);
    SHPDestroyObject(o);
    SHPClose(h);
    h = SHPOpen((ordner / "pm.shp").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    o = SHPReadObject(h, 0);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->nSHPType, SHPT_POINTM);
    EXPECT_EQ(o->padfM[0], 9.0);
    SHPDestroyObject(o);
    SHPClose(h);
    EXPECT_EQ(leseDatei(ordner / "pm.shp").size(), 100u + 8 + 28);
}

TEST_F(SchreibTest, SwapAreaTurnsEveryRingInPlaceAndBack) {
    {
        VunInterface v;
        ASSERT_TRUE(v.Shape_New(shp, 15, nameFeld, true, true));
        std::vector<std::vector<double>> z = {{0, 0, 1, 1}, {4, 0, 2, 2}, {4, 4, 3, 3},
                                              {0, 4, 4, 4}, {0, 0, 1, 1}, {1, 1, 5, 5},
                                              {1, 2, 6, 6}, {2, 2, 7, 7}, {1, 1, 5, 5}};
        Punktfeld p = feld(z); // outer counter-clockwise, hole clockwise
        ASSERT_TRUE(v.Shape_AppendRing(p, {"a"}, {0, 5}));
        ASSERT_TRUE(v.Shape_AppendNull());
        ASSERT_TRUE(v.Shape_Close());
    }
    const Bytes vorher = leseDatei(shp);
    VunInterface v;
    ASSERT_TRUE(v.Shape_Open(shp));
    ASSERT_TRUE(v.Shape_SwapArea(false)) << v.letzterFehler(); // everything clockwise
    ASSERT_TRUE(v.Shape_Close());
    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    SHPObject* o = SHPReadObject(h, 0);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->padfX[1], 0.0);
    EXPECT_EQ(o->padfY[1], 4.0);
    EXPECT_EQ(o->padfZ[1], 4.0);
    EXPECT_EQ(o->padfM[1], 4.0);
    EXPECT_EQ(o->padfX[6], 1.0); // the hole was clockwise already
    EXPECT_EQ(o->padfY[6], 2.0);
    SHPDestroyObject(o);
    SHPClose(h);
    EXPECT_EQ(leseDatei(shp).size(), vorher.size());

    ASSERT_TRUE(v.Shape_Open(shp));
    ASSERT_TRUE(v.Shape_SwapArea(true)); // everything counter-clockwise
    ASSERT_TRUE(v.Shape_SwapArea(true)); // twice changes nothing more
    ASSERT_TRUE(v.Shape_Close());
    h = SHPOpen(shp.c_str(), "rb");
    o = SHPReadObject(h, 0);
    EXPECT_EQ(o->padfX[1], 4.0);
    EXPECT_EQ(o->padfX[6], 2.0);
    EXPECT_EQ(o->padfZ[6], 7.0);
    SHPDestroyObject(o);
    SHPClose(h);

    VunInterface ohne;
    EXPECT_FALSE(ohne.Shape_SwapArea(false));
}

TEST_F(SchreibTest, ExportWritesEveryVertexWithItsValue) {
    {
        VunInterface v;
        ASSERT_TRUE(v.Shape_New(shp, 13, {{"WERT", "7", "10"}, {"NAME", "10", "8"}}, false, true));
        Punktfeld p = feld({{0.5, 1, 10, 20}, {2, 3.25, 11, 21}});
        ASSERT_TRUE(v.Shape_AppendRing(p, {"2,5", "b"}, {0}));
        ASSERT_TRUE(v.Shape_Close());
    }
    VunInterface v;
    ASSERT_TRUE(v.Shape_Open(shp));
    std::ostringstream aus;
    EXPECT_FALSE(v.Shape_Export(nullptr, 2));
    EXPECT_FALSE(v.Shape_Export(&aus, 0));
    EXPECT_EQ(aus.str(), "");
    ASSERT_TRUE(v.Shape_Export(&aus, 2)) << v.letzterFehler(); // field 2: WERT
    EXPECT_EQ(aus.str(), "0.500 1.000 2.500\r\n2.000 3.250 2.500\r\n");
    std::ostringstream z;
    ASSERT_TRUE(v.Shape_Export(&z, 4)); // dbeintrag + 1: Z
    EXPECT_EQ(z.str(), "0.500 1.000 10.000\r\n2.000 3.250 11.000\r\n");
    std::ostringstream m;
    ASSERT_TRUE(v.Shape_Export(&m, 5));
    EXPECT_EQ(m.str(), "0.500 1.000 20.000\r\n2.000 3.250 21.000\r\n");
    std::ostringstream letztes;
    ASSERT_TRUE(v.Shape_Export(&letztes, 99)); // beyond: the last field, a text
    EXPECT_EQ(letztes.str(), "0.500 1.000 0.000\r\n2.000 3.250 0.000\r\n");
    v.Shape_Close();

    VunInterface p;
    ASSERT_TRUE(p.Shape_New(ordner / "p.shp", 1, {{"N", "4", "5"}}, false, false));
    Punktfeld q = feld({{1, 2}});
    ASSERT_TRUE(p.Shape_Append(q, {"7"}));
    ASSERT_TRUE(p.Shape_Close());
    ASSERT_TRUE(p.Shape_Open(ordner / "p.shp"));
    std::ostringstream punkt;
    ASSERT_TRUE(p.Shape_Export(&punkt, 1));
    EXPECT_EQ(punkt.str(), "1.000 2.000 7.000 \r\n"); // points end with a blank
}

} // namespace
} // namespace trelvik

namespace trelvik {
namespace {

TEST(AchtStellen, SameValueAsThroughTheText) {
    std::mt19937_64 zufall(42);
    std::uniform_real_distribution<double> anteil(-1, 1);
    std::uniform_int_distribution<int> stellen(-12, 9);
    const auto textweg = [](double w) { return textZuZahl(formatZahl(w, "0.00000000")); };
    for (int i = 0; i < 200000; ++i) {
        const double w = anteil(zufall) * std::pow(10.0, stellen(zufall));
        ASSERT_EQ(rundeAufAchtStellen(w), textweg(w)) << std::hexfloat << w;
    }
    // Exact halves go away from zero; values next to them do not.
    for (const double w : {0.000000005, 0.125000005, -2.5e-9, 1.5e-8, 0.1, 1e15, -3e40, 0.0})
        EXPECT_EQ(rundeAufAchtStellen(w), textweg(w)) << w;
    // 1/512 = 0.001953125 is an exact half at the eighth decimal.
    const double halb = 1.0 / 512;
    EXPECT_EQ(rundeAufAchtStellen(halb), 0.00195313);
    EXPECT_EQ(rundeAufAchtStellen(-3 * halb), -0.00585938);
    for (const double w : {halb, std::nextafter(halb, 0.0), std::nextafter(halb, 1.0), -halb,
                           1000 + halb, std::nextafter(-1000 - halb, 0.0)})
        EXPECT_EQ(rundeAufAchtStellen(w), textweg(w)) << std::hexfloat << w;
    EXPECT_TRUE(std::isnan(rundeAufAchtStellen(NAN)));
}

} // namespace
} // namespace trelvik
