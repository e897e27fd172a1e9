#include "shape/shape_hilfe.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <tuple>

using namespace trelvik;
using namespace trelvik::test;
namespace fs = std::filesystem;

namespace {

const std::vector<XY> quadrat = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
const std::vector<XY> dreieck = {{2, 2}, {4, 2}, {3, 4}, {2, 2}};

std::vector<XY> verbinde(const std::vector<XY>& a, const std::vector<XY>& b) {
    std::vector<XY> c = a;
    c.insert(c.end(), b.begin(), b.end());
    return c;
}

Bytes zweiRinge() {
    return teileInhalt(5, {0, 5}, verbinde(quadrat, dreieck));
}

// Every working copy lands in the test's own folder "tmp/", so a test can see what is left.
class Lesen : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directory(tmp); }
    std::vector<std::string> tmpInhalt() const {
        std::vector<std::string> namen;
        for (const auto& e : fs::recursive_directory_iterator(tmp))
            namen.push_back(e.path().string());
        return namen;
    }
    // The byte position in the main file of record i, as the index says.
    static std::size_t satzStelle(const std::string& shp, std::size_t i) {
        const Bytes shx = leseDatei(shp.substr(0, shp.size() - 3) + "shx");
        const std::size_t e = 100 + 8 * i;
        return 2 * (std::size_t{shx.at(e)} << 24 | std::size_t{shx.at(e + 1)} << 16 |
                    std::size_t{shx.at(e + 2)} << 8 | shx.at(e + 3));
    }
    static Bytes le(std::int32_t wert) {
        Bytes b;
        le32(b, wert);
        return b;
    }
    static Bytes be(std::int32_t wert) {
        Bytes b;
        be32(b, wert);
        return b;
    }

    TestOrdner ordner;
    std::string tmp = ordner / "tmp";
    TmpUmleitung umleitung{tmp};
    Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    std::int32_t vunRing = -7;
};

// A record set of a polygon file with one record of every kind the reader tells apart.
class Gemischt : public Lesen {
protected:
    void SetUp() override {
        Lesen::SetUp();
        Bytes multipatch;
        le32(multipatch, 31);
        f64(multipatch, 1.0);
        Bytes unbekannt;
        le32(unbekannt, 77);
        le32(unbekannt, 5);
        shp = schreibeDateisatz(ordner / "gemischt.", 5,
                                {zweiRinge(),                               // 0
                                 teileInhalt(5, {0}, {}),                   // 1: no points
                                 le(0),                                     // 2: null shape
                                 multipatch,                                // 3
                                 unbekannt,                                 // 4
                                 {},                                        // 5: index offset 0
                                 punktInhalt(1, 7.25, -3.5),                // 6
                                 multiInhalt(8, {{1, 2}, {3, 4}, {5, 6}})}, // 7
                                {{"NAME", 'C', 12, 0}, {"ZAHL", 'N', 6, 0}},
                                {{"Alpha", "12"},
                                 {"Beta", "-3"},
                                 {"Gamma", "0"},
                                 {"D", "4"},
                                 {"E", "5"},
                                 {"F", "6"},
                                 {"Punkt", "7"},
                                 {"Multi", "8"}});
        ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    }
    std::string shp;
    VunInterface vun;
};

void erwarteEinElement(const Punktfeld& punkte, const std::vector<std::string>& wname) {
    EXPECT_TRUE(punkte.eindimensional());
    EXPECT_EQ(punkte.zeilen(), 1u);
    EXPECT_EQ(punkte(0, 0), 0.0);
    EXPECT_EQ(wname, std::vector<std::string>{""});
}

} // namespace

TEST_F(Lesen, TabellenkopfMitZeilenvorschubUndMeldungenMitDemNamenDesNutzers) {
    const std::string shp =
        schreibeDateisatz(ordner / "lf.", 5, {zweiRinge()}, {{"NAME", 'C', 10, 0}}, {{"Haus"}});
    const std::string dbf = ordner / "lf.dbf";
    // Some writers end the field descriptors with a line feed instead of 0x0D.
    ueberschreibe(dbf, 32 + 32, {0x0A});
    {
        VunInterface vun;
        ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
        ASSERT_TRUE(vun.Shape_Get(0, punkte, wname)) << vun.letzterFehler();
        EXPECT_EQ(wname, std::vector<std::string>{"Haus"});
    }
    // A table that is none is named as the user knows it, never by its working copy.
    ueberschreibe(dbf, 0, {0x7F});
    VunInterface vun;
    EXPECT_FALSE(vun.Shape_Open(shp));
    EXPECT_NE(vun.letzterFehler().find(dbf + " is not a dBase table"), std::string::npos)
        << vun.letzterFehler();
    EXPECT_EQ(vun.letzterFehler().find(tmp), std::string::npos) << vun.letzterFehler();
}

TEST_F(Lesen, ShapeOpenNimmtShpInJederSchreibungUndDenPfadMitPunkt) {
    schreibeDateisatz(ordner / "b.", 5, {zweiRinge()});
    for (const std::string name : {ordner / "b.SHP", ordner / "b.shp", ordner / "b.Shp",
                                   ordner / "b.", "  " + ordner / "b.shp  "}) {
        VunInterface vun;
        EXPECT_TRUE(vun.Shape_Open(name)) << name << ": " << vun.letzterFehler();
        EXPECT_EQ(vun.DBanzahl, 1) << name;
        EXPECT_EQ(vun.AktShapetyp, 5) << name;
    }
    // Without the point the extension is appended as it is: "b" looks for "bshp", "bdbf".
    VunInterface ohnePunkt;
    EXPECT_FALSE(ohnePunkt.Shape_Open(ordner / "b"));
    EXPECT_FALSE(ohnePunkt.Shape_Open(ordner / "b.SHX"));
    // A set copied from Windows with its extensions in capitals.
    schreibeDateisatz(ordner / "GROSS.", 5, {zweiRinge()});
    fs::rename(ordner / "GROSS.shp", ordner / "GROSS.SHP");
    fs::rename(ordner / "GROSS.shx", ordner / "GROSS.Shx");
    fs::rename(ordner / "GROSS.dbf", ordner / "GROSS.DBF");
    EXPECT_TRUE(ohnePunkt.Shape_Open(ordner / "GROSS.shp")) << ohnePunkt.letzterFehler();
    schreibeDateisatz(ordner / "c", 5, {zweiRinge(), zweiRinge()});
    EXPECT_TRUE(ohnePunkt.Shape_Open(ordner / "c")) << ohnePunkt.letzterFehler();
    EXPECT_EQ(ohnePunkt.DBanzahl, 2);
}

TEST_F(Lesen, KopfEinerNeuenPolygonDatei) {
    const Bytes kopf = kopfBytes(50, 5);
    schreibeDatei(ordner / "neu.shp", kopf);
    schreibeDatei(ordner / "neu.shx", kopf);
    schreibeDatei(ordner / "neu.dbf", dbfBytes({{"ID", 'N', 6, 0}}, {}));
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(ordner / "neu.shp")) << vun.letzterFehler();
    EXPECT_EQ(vun.AktShapetyp, 5);
    EXPECT_EQ(vun.DBanzahl, 0);
    EXPECT_EQ(vun.AktZeiger, 0);
    EXPECT_EQ(vun.dbeintrag, 1);
    EXPECT_EQ(vun.xminimal, 1E+40);
    EXPECT_EQ(vun.yminimal, 1E+40);
    EXPECT_EQ(vun.xmaximal, -1E+40);
    EXPECT_EQ(vun.ymaximal, -1E+40);
    const std::string gross = "10000000000000000303786028427003666890752.000";
    EXPECT_EQ(vun.Shape_GetInfoHeader(), "FileCode:   4E14 (Byte 1-4)\r\n"
                                         "Unused 0:   0000 (Byte 5-8)\r\n"
                                         "Unused 1:   0000 (Byte 9-12)\r\n"
                                         "Unused 2:   0000 (Byte 13-16)\r\n"
                                         "Unused 3:   0000 (Byte 17-20)\r\n"
                                         "Unused 4:   0000 (Byte 21-24)\r\n"
                                         "FileLength: 0064 (Byte 25-28)\r\n"
                                         "FileLength ->100 Byte \r\n"
                                         "Version:    03E8 (Byte 29-32)\r\n"
                                         "ShapeType:  0005 (Byte 33-36)\r\n"
                                         "Xmin:       " +
                                             gross + "\r\nYmin:       " + gross +
                                             "\r\nXmax:       -" + gross + "\r\nYmax:       -" +
                                             gross +
                                             "\r\n"
                                             "Zmin:       0.000\r\n"
                                             "Zmax:       0.000\r\n"
                                             "Mmin:       0.000\r\n"
                                             "Mmax:       0.000\r\n");
    // An index of exactly its header holds no record.
    EXPECT_FALSE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    EXPECT_FALSE(vun.Shape_Get(0, punkte, wname));
    EXPECT_FALSE(vun.letzterFehler().empty());
}

TEST_F(Lesen, KopfTextZeigtDieLetztenVierHexZiffernDerBytezahl) {
    Bytes kopf = kopfBytes(0x12345, 0x10015, {-1.5, 2.0004, 2.0005, 0.0005, -0.0004, 0, 0, 0});
    kopf[4] = 0x3F; // Unused 0 = 0x3F000000 words
    schreibeDatei(ordner / "h.shp", kopf);
    schreibeDatei(ordner / "h.shx", kopfBytes(50, 5));
    schreibeDatei(ordner / "h.dbf", dbfBytes({{"A", 'C', 1, 0}}, {}));
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(ordner / "h.shp")) << vun.letzterFehler();
    const std::string text = vun.Shape_GetInfoHeader();
    EXPECT_NE(text.find("Unused 0:   0000 (Byte 5-8)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("FileLength: 468A (Byte 25-28)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("FileLength ->149130 Byte \r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("ShapeType:  0015 (Byte 33-36)\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("Xmin:       -1.500\r\nYmin:       2.000\r\nXmax:       2.001\r\n"),
              std::string::npos)
        << text;
    // A big-endian field of 2^30 words or more cannot be shown: the text is "" with a reason.
    ueberschreibe(ordner / "h.shp", 0, {0x40, 0, 0, 0});
    ASSERT_TRUE(vun.Shape_Open(ordner / "h.shp")) << vun.letzterFehler();
    EXPECT_EQ(vun.Shape_GetInfoHeader(), "");
    EXPECT_NE(vun.letzterFehler().find("overflow"), std::string::npos) << vun.letzterFehler();
}

TEST_F(Gemischt, PolygonMitZweiRingen) {
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(vunRing, 2);
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 5, 9}));
    ASSERT_FALSE(punkte.eindimensional());
    ASSERT_EQ(punkte.zeilen(), 9u);
    ASSERT_EQ(punkte.spalten(), 2u);
    const auto alle = verbinde(quadrat, dreieck);
    for (std::size_t i = 0; i < alle.size(); ++i) {
        EXPECT_EQ(punkte(i, 0), alle[i].x) << i;
        EXPECT_EQ(punkte(i, 1), alle[i].y) << i;
    }
    EXPECT_EQ(wname, (std::vector<std::string>{"Alpha", "12"}));
    EXPECT_EQ(vun.AktDatenbank.position(), 0);
    EXPECT_EQ(vun.AktRecordTyp, 5);
    EXPECT_EQ(vun.AktZeiger, 100);
    // Shape_Get delivers the same rings: polygons keep the file order.
    ASSERT_TRUE(vun.Shape_Get(0, punkte, wname)) << vun.letzterFehler();
    EXPECT_EQ(punkte.zeilen(), 9u);
    EXPECT_EQ(punkte(5, 0), 2.0);
}

TEST_F(Gemischt, PolygonOhnePunkteLiefertEineLeereZeileUndLaesstDieTabelleStehen) {
    const int vorher = vun.AktDatenbank.position(); // the last row after opening
    EXPECT_EQ(vorher, 7);
    ASSERT_TRUE(vun.Shape_GetCheck(1, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_FALSE(punkte.eindimensional());
    EXPECT_EQ(punkte.zeilen(), 1u);
    EXPECT_EQ(punkte.spalten(), 2u);
    EXPECT_EQ(wname, std::vector<std::string>{""});
    EXPECT_EQ(lpp, std::vector<std::int32_t>{0});
    EXPECT_EQ(vunRing, 0);
    EXPECT_EQ(vun.AktDatenbank.position(), vorher);
    ASSERT_TRUE(vun.Shape_Get(1, punkte, wname));
    EXPECT_EQ(punkte.zeilen(), 1u);
    EXPECT_EQ(vun.AktDatenbank.position(), vorher);
}

TEST_F(Gemischt, TypenOhneInhaltLesenSichAlsEinElement) {
    const std::pair<std::int32_t, std::int32_t> faelle[] = {{2, 0}, {3, 31}, {4, 77}};
    for (const auto& [zeiger, typ] : faelle) {
        vunRing = 5;
        ASSERT_TRUE(vun.Shape_GetCheck(zeiger, punkte, wname, vunRing, lpp))
            << zeiger << ": " << vun.letzterFehler();
        EXPECT_EQ(vun.AktRecordTyp, typ);
        erwarteEinElement(punkte, wname);
        EXPECT_EQ(lpp, std::vector<std::int32_t>{0});
        EXPECT_EQ(vunRing, 0) << "a stale part count would send the caller past lpp";
        ASSERT_TRUE(vun.Shape_Get(zeiger, punkte, wname));
        erwarteEinElement(punkte, wname);
    }
    EXPECT_EQ(vun.AktDatenbank.position(), 7);
}

TEST_F(Gemischt, IndexOffsetNullIstVorhandenUndLeer) {
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    ASSERT_TRUE(vun.Shape_GetCheck(5, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(vun.AktZeiger, 0);
    EXPECT_EQ(vun.AktRecordTyp, 5); // nothing was located
    erwarteEinElement(punkte, wname);
}

TEST_F(Gemischt, PunktUndMultiPoint) {
    ASSERT_TRUE(vun.Shape_GetCheck(6, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(punkte.zeilen(), 1u);
    EXPECT_EQ(punkte.spalten(), 2u);
    EXPECT_EQ(punkte(0, 0), 7.25);
    EXPECT_EQ(punkte(0, 1), -3.5);
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 1}));
    EXPECT_EQ(vunRing, 1);
    EXPECT_EQ(wname, (std::vector<std::string>{"Punkt", "7"}));

    // The check has no reader for multipoints: true with the one-element arrays.
    ASSERT_TRUE(vun.Shape_GetCheck(7, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    erwarteEinElement(punkte, wname);
    EXPECT_EQ(lpp, std::vector<std::int32_t>{0});
    EXPECT_EQ(vunRing, 0);
    EXPECT_EQ(vun.AktRecordTyp, 8);

    ASSERT_TRUE(vun.Shape_Get(7, punkte, wname)) << vun.letzterFehler();
    ASSERT_EQ(punkte.zeilen(), 3u);
    ASSERT_EQ(punkte.spalten(), 2u);
    EXPECT_EQ(punkte(2, 0), 5.0);
    EXPECT_EQ(punkte(2, 1), 6.0);
    EXPECT_EQ(wname, (std::vector<std::string>{"Multi", "8"}));
    EXPECT_EQ(vun.AktDatenbank.position(), 7);
}

TEST_F(Gemischt, NichtVorhandeneSaetzeUndGeschlosseneDatei) {
    EXPECT_EQ(vun.DBanzahl, 8);
    EXPECT_FALSE(vun.Shape_GetCheck(8, punkte, wname, vunRing, lpp));
    EXPECT_NE(vun.letzterFehler().find("out of range"), std::string::npos);
    EXPECT_FALSE(vun.Shape_GetCheck(-1, punkte, wname, vunRing, lpp));
    EXPECT_FALSE(vun.Shape_Get(8, punkte, wname));
    erwarteEinElement(punkte, wname);
    EXPECT_TRUE(vun.Shape_GetCheck(7, punkte, wname, vunRing, lpp));
    EXPECT_TRUE(vun.letzterFehler().empty());

    EXPECT_TRUE(vun.Shape_Close());
    EXPECT_FALSE(vun.Shape_Close()); // no table open any more
    EXPECT_FALSE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    EXPECT_FALSE(vun.letzterFehler().empty());
}

TEST_F(Gemischt, VunDirTestFindetDateienUndOrdner) {
    EXPECT_EQ(vun.vunDirTest(shp, 0), "gemischt.shp");
    EXPECT_EQ(vun.vunDirTest(ordner / "*.dbf", 0), "gemischt.dbf");
    EXPECT_EQ(vun.vunDirTest(ordner / "fehlt.shp", 0), "");
    EXPECT_EQ(vun.vunDirTest("", 0), "");
    EXPECT_EQ(vun.vunDirTest(tmp, 0), "");
    EXPECT_EQ(vun.vunDirTest(tmp, 16), "tmp");
}

TEST_F(Lesen, ShapeGetFuegtLinienteileAneinander) {
    // A = (0,0)-(1,0), B = (1,0)-(2,0), C = (-1,0)-(0,0): C ends where A begins, A where B
    // begins; in the file they stand A, B, C.
    const std::vector<XY> kette = {{0, 0}, {1, 0}, {1, 0}, {2, 0}, {-1, 0}, {0, 0}};
    // Two parts that close a loop: B ends where A begins and A where B begins.
    const std::vector<XY> schleife = {{0, 0}, {5, 5}, {9, 9}, {5, 5}, {0, 0}};
    // As the chain, but C ends at (0.0004, 0): the same with three decimals.
    std::vector<XY> fast = kette;
    fast[5] = {0.0004, 0};
    std::vector<XY> daneben = kette;
    daneben[5] = {0.0006, 0};
    const std::string shp =
        schreibeDateisatz(ordner / "linien.", 3,
                          {teileInhalt(3, {0, 2, 4}, kette), teileInhalt(3, {0, 2}, schleife),
                           teileInhalt(3, {0, 2, 4}, fast), teileInhalt(3, {0, 2, 4}, daneben)});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    auto xWerte = [&] {
        std::vector<double> x;
        for (std::size_t i = 0; i < punkte.zeilen(); ++i)
            x.push_back(punkte(i, 0));
        return x;
    };

    ASSERT_TRUE(vun.Shape_Get(0, punkte, wname)) << vun.letzterFehler();
    EXPECT_EQ(xWerte(), (std::vector<double>{-1, 0, 0, 1, 1, 2})); // C, A, B
    EXPECT_EQ(vun.gelieferteTeile(), (std::vector<std::int32_t>{0, 2, 4, 6}));
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    EXPECT_EQ(xWerte(), (std::vector<double>{0, 1, 1, 2, -1, 0})); // file order
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 2, 4, 6}));

    ASSERT_TRUE(vun.Shape_Get(1, punkte, wname)) << vun.letzterFehler();
    EXPECT_EQ(xWerte(), (std::vector<double>{9, 5, 0, 0, 5})); // B, A: and then it stops
    EXPECT_EQ(vun.gelieferteTeile(), (std::vector<std::int32_t>{0, 3, 5}));

    ASSERT_TRUE(vun.Shape_Get(2, punkte, wname));
    EXPECT_EQ(xWerte(), (std::vector<double>{-1, 0.0004, 0, 1, 1, 2}));
    ASSERT_TRUE(vun.Shape_Get(3, punkte, wname));
    EXPECT_EQ(xWerte(), (std::vector<double>{0, 1, 1, 2, -1, 0.0006}));
}

TEST_F(Lesen, ZUndMAufNeunStellenGerundetWoVorgesehen) {
    const std::vector<XY> zwei = {{1, 1}, {2, 2}};
    const std::vector<double> z = {1.1234567894, -2.0000000004};
    const std::vector<double> m = {3.9999999996, 0.5};
    const std::vector<double> zGerundet = {1.123456789, -2.0};
    const std::vector<double> mGerundet = {4.0, 0.5};
    const std::string shp =
        schreibeDateisatz(ordner / "zm.", 13,
                          {teileInhalt(13, {0}, zwei, z, m), teileInhalt(15, {0}, zwei, z, m),
                           teileInhalt(23, {0}, zwei, {}, m), teileInhalt(25, {0}, zwei, {}, m),
                           punktInhalt(11, 1, 2, z[0], m[0]), punktInhalt(21, 1, 2, 0, m[0]),
                           multiInhalt(18, zwei, z, m), multiInhalt(28, zwei, {}, m)});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    auto spalte = [&](std::size_t j) {
        std::vector<double> w;
        for (std::size_t i = 0; i < punkte.zeilen(); ++i)
            w.push_back(punkte(i, j));
        return w;
    };
    const std::vector<double> null2 = {0, 0};
    struct Fall {
        std::int32_t zeiger;
        bool check;
        std::vector<double> z, m;
    };
    const Fall faelle[] = {
        {0, false, z, m},                 // PolyLineZ, Shape_Get: as stored
        {0, true, zGerundet, mGerundet},  // PolyLineZ, Shape_GetCheck: rounded
        {1, false, zGerundet, mGerundet}, // PolyGonZ: rounded by both
        {1, true, zGerundet, mGerundet},
        {2, false, null2, m}, // PolyLineM, Shape_Get: as stored, Z = 0
        {2, true, null2, mGerundet},
        {3, false, null2, mGerundet}, // PolyGonM
        {3, true, null2, mGerundet},
        {4, false, {z[0]}, {m[0]}}, // PointZ: never rounded
        {4, true, {z[0]}, {m[0]}},
        {5, false, {0}, {m[0]}},          // PointM
        {6, false, zGerundet, mGerundet}, // MultiPointZ, Shape_Get: rounded
        {7, false, null2, mGerundet},     // MultiPointM
    };
    for (const auto& f : faelle) {
        const bool ok = f.check ? vun.Shape_GetCheck(f.zeiger, punkte, wname, vunRing, lpp)
                                : vun.Shape_Get(f.zeiger, punkte, wname);
        ASSERT_TRUE(ok) << f.zeiger << ": " << vun.letzterFehler();
        ASSERT_EQ(punkte.spalten(), 4u) << f.zeiger;
        EXPECT_EQ(spalte(2), f.z) << "record " << f.zeiger << (f.check ? " check" : " get");
        EXPECT_EQ(spalte(3), f.m) << "record " << f.zeiger << (f.check ? " check" : " get");
        EXPECT_EQ(spalte(0)[0], 1.0);
    }
}

TEST_F(Lesen, MBlockNurLesenWennDerSatzIhnEnthaelt) {
    const std::vector<XY> drei = {{1, 1}, {2, 2}, {3, 1}};
    const std::vector<double> z = {10, 20, 30};
    const std::vector<double> m = {0.25, 0.5, 0.75};
    // PolyLineZ with only the M range, not the values: no M.
    Bytes nurBereich = teileInhalt(13, {0}, drei, z, m);
    nurBereich.resize(nurBereich.size() - 8 * drei.size());
    // PolyLineM followed by one more block (as files that carry Z and M under type 23).
    Bytes mitZusatz = teileInhalt(23, {0}, drei, {}, m);
    Bytes zusatz;
    for (int k = 0; k < 5; ++k)
        f64(zusatz, 99.0);
    mitZusatz.insert(mitZusatz.end(), zusatz.begin(), zusatz.end());
    // PolyGonZ whose Z block is cut short: the record does not hold what its type needs.
    Bytes zuKurz = teileInhalt(15, {0}, drei, z, m, false);
    zuKurz.resize(zuKurz.size() - 8);
    const std::string shp =
        schreibeDateisatz(ordner / "m.", 15,
                          {teileInhalt(15, {0}, drei, z, {}, false), nurBereich, mitZusatz,
                           punktInhalt(11, 1, 2, 3, 0, false), punktInhalt(21, 1, 2, 0, 0, false),
                           zuKurz, multiInhalt(18, drei, z, {}, false)});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    const std::pair<std::int32_t, std::vector<double>> mErwartet[] = {
        {0, {0, 0, 0}}, {1, {0, 0, 0}}, {2, m}, {3, {0}}, {4, {0}}, {6, {0, 0, 0}}};
    for (const auto& [zeiger, erwartet] : mErwartet) {
        ASSERT_TRUE(vun.Shape_Get(zeiger, punkte, wname)) << zeiger << ": " << vun.letzterFehler();
        std::vector<double> mWerte;
        for (std::size_t i = 0; i < punkte.zeilen(); ++i)
            mWerte.push_back(punkte(i, 3));
        EXPECT_EQ(mWerte, erwartet) << zeiger;
        EXPECT_EQ(punkte(0, 0), 1.0) << zeiger;
        EXPECT_EQ(wname, std::vector<std::string>{"row" + std::to_string(zeiger)});
    }
    ASSERT_TRUE(vun.Shape_Get(0, punkte, wname));
    EXPECT_EQ(punkte(2, 2), 30.0);
    ASSERT_TRUE(vun.Shape_Get(3, punkte, wname));
    EXPECT_EQ(punkte(0, 2), 3.0);
    ASSERT_TRUE(vun.Shape_GetCheck(2, punkte, wname, vunRing, lpp));
    EXPECT_EQ(punkte(1, 2), 0.0);
    EXPECT_EQ(punkte(1, 3), 0.5);

    EXPECT_FALSE(vun.Shape_GetCheck(5, punkte, wname, vunRing, lpp));
    EXPECT_NE(vun.letzterFehler().find("Z values"), std::string::npos) << vun.letzterFehler();
    erwarteEinElement(punkte, wname);
    EXPECT_EQ(lpp, std::vector<std::int32_t>{0});
    EXPECT_FALSE(vun.Shape_Get(5, punkte, wname));
}

TEST_F(Lesen, KurzeTabelleLiefertDieGeometrieMitLeerenTexten) {
    const std::string shp =
        schreibeDateisatz(ordner / "kurz.", 5, {zweiRinge(), zweiRinge(), zweiRinge()},
                          {{"NAME", 'C', 8, 0}, {"NR", 'N', 4, 0}}, {{"eins", "1"}});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    EXPECT_EQ(wname, (std::vector<std::string>{"eins", "1"}));
    ASSERT_TRUE(vun.Shape_GetCheck(2, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(punkte.zeilen(), 9u);
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 5, 9}));
    EXPECT_EQ(wname, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(vun.AktDatenbank.position(), 0);
}

// Broken copies of a valid file set: every one fails with a reason, none crashes.
class KaputteDatei : public Lesen {
protected:
    void SetUp() override {
        Lesen::SetUp();
        shp = schreibeDateisatz(ordner / "k.", 5,
                                {zweiRinge(), teileInhalt(5, {0}, quadrat), zweiRinge()});
        shx = ordner / "k.shx";
        zweiter = satzStelle(shp, 1);
        dritter = satzStelle(shp, 2);
    }
    // Opens, and fetches record `zeiger` with both readers; the result of Shape_GetCheck.
    bool hole(std::int32_t zeiger) {
        VunInterface vun;
        if (!vun.Shape_Open(shp)) {
            grund = vun.letzterFehler();
            return false;
        }
        const bool check = vun.Shape_GetCheck(zeiger, punkte, wname, vunRing, lpp);
        grund = vun.letzterFehler();
        const bool get = vun.Shape_Get(zeiger, punkte, wname);
        EXPECT_EQ(check, get) << grund;
        return check;
    }
    bool oeffnet() {
        VunInterface vun;
        const bool ok = vun.Shape_Open(shp);
        grund = vun.letzterFehler();
        return ok;
    }
    std::string shp, shx, grund;
    std::size_t zweiter = 0, dritter = 0;
};

TEST_F(KaputteDatei, UnversehrtLesenSichAlleSaetze) {
    EXPECT_TRUE(hole(0));
    EXPECT_TRUE(hole(1));
    EXPECT_TRUE(hole(2));
}

TEST_F(KaputteDatei, GekuerzteHauptdatei) {
    kuerzeAuf(shp, dritter + 60);
    EXPECT_TRUE(hole(1));
    EXPECT_FALSE(hole(2));
    EXPECT_NE(grund.find("point count 9 exceeds the record"), std::string::npos) << grund;
    kuerzeAuf(shp, dritter + 5);
    EXPECT_FALSE(hole(2));
    EXPECT_NE(grund.find("beyond the end of the main file"), std::string::npos) << grund;
    kuerzeAuf(shp, 60);
    EXPECT_FALSE(oeffnet());
    EXPECT_NE(grund.find("shorter than its 100-byte header"), std::string::npos) << grund;
}

TEST_F(KaputteDatei, IndexZuKurzOderMitOffsetHinterDemEnde) {
    ueberschreibe(shx, 100 + 8, be(1 << 20)); // record 1 at 2 MB
    EXPECT_TRUE(hole(0));
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("beyond the end of the main file"), std::string::npos) << grund;
    ueberschreibe(shx, 100 + 8, {0x40, 0, 0, 0}); // 2^30 words
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("overflow"), std::string::npos) << grund;

    // The header counts ten records, the file holds three.
    ueberschreibe(shx, 24, be(50 + 4 * 10));
    EXPECT_FALSE(hole(5));
    EXPECT_NE(grund.find("beyond the end of the index"), std::string::npos) << grund;
    // The header counts one record: the others are missing although their entries exist.
    ueberschreibe(shx, 24, be(50 + 4));
    EXPECT_TRUE(hole(0));
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("out of range"), std::string::npos) << grund;
    ueberschreibe(shx, 24, {0x40, 0, 0, 0});
    EXPECT_FALSE(hole(0));

    kuerzeAuf(shx, 99);
    EXPECT_FALSE(oeffnet());
    EXPECT_NE(grund.find("index"), std::string::npos) << grund;
}

TEST_F(KaputteDatei, UnsinnigeAnzahlen) {
    const std::size_t teileStelle = zweiter + 8 + 4 + 32; // after record header, type, box
    const std::size_t punkteStelle = teileStelle + 4;
    const std::pair<std::size_t, std::int32_t> faelle[] = {
        {punkteStelle, 0x7FFFFFFF}, {teileStelle, 0x7FFFFFFF}, {punkteStelle, -1},
        {teileStelle, -1},          {punkteStelle, 6},         {teileStelle, 2}};
    const Bytes original = leseDatei(shp);
    for (const auto& [stelle, wert] : faelle) {
        schreibeDatei(shp, original);
        ueberschreibe(shp, stelle, le(wert));
        EXPECT_FALSE(hole(1)) << stelle << " = " << wert;
        EXPECT_NE(grund.find("PolyGon record at byte"), std::string::npos) << grund;
        EXPECT_TRUE(hole(0));
    }
}

TEST_F(KaputteDatei, TeilanfaengeAusserhalbOderNichtAufsteigend) {
    // Record 0 has two parts starting at 0 and 5 of 9 points.
    const std::size_t zweiterStart = 100 + 8 + 4 + 32 + 8 + 4;
    const std::pair<std::int32_t, std::int32_t> faelle[] = {{0, 10}, {0, 12}, {0, -1},
                                                            {6, 2},  {-3, 5}, {10, 10}};
    const Bytes original = leseDatei(shp);
    for (const auto& [erster, zweiterWert] : faelle) {
        schreibeDatei(shp, original);
        ueberschreibe(shp, zweiterStart - 4, le(erster));
        ueberschreibe(shp, zweiterStart, le(zweiterWert));
        EXPECT_FALSE(hole(0)) << erster << ", " << zweiterWert;
        EXPECT_NE(grund.find("part"), std::string::npos) << grund;
        EXPECT_EQ(lpp, std::vector<std::int32_t>{0});
        EXPECT_TRUE(punkte.eindimensional());
    }
    // Equal starts and a start at the point count are empty parts: read, and walkable.
    for (const auto& [erster, zweiterWert, erwartet] :
         {std::tuple{0, 9, std::vector<std::int32_t>{0, 9, 9}},
          std::tuple{5, 5, std::vector<std::int32_t>{5, 5, 9}},
          std::tuple{9, 9, std::vector<std::int32_t>{9, 9, 9}}}) {
        schreibeDatei(shp, original);
        ueberschreibe(shp, zweiterStart - 4, le(erster));
        ueberschreibe(shp, zweiterStart, le(zweiterWert));
        EXPECT_TRUE(hole(0)) << erster << ", " << zweiterWert << ": " << grund;
        EXPECT_EQ(lpp, erwartet);
        EXPECT_EQ(punkte.zeilen(), 9u); // as Shape_Get delivered them
    }
    // A first part that does not start at 0 leaves points outside every part but is no
    // danger to a caller.
    schreibeDatei(shp, original);
    ueberschreibe(shp, zweiterStart - 4, le(1));
    ASSERT_TRUE(hole(0)) << grund;
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{1, 5, 9}));
}

TEST_F(KaputteDatei, InhaltslaengeDesSatzkopfs) {
    const Bytes original = leseDatei(shp);
    ueberschreibe(shp, zweiter + 4, {0x40, 0, 0, 0});
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("content length"), std::string::npos) << grund;
    ueberschreibe(shp, zweiter + 4, be(1)); // 2 bytes cannot hold the shape type
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("content length"), std::string::npos) << grund;
    // Shorter than the counts need: the header's length bounds the record, not the file.
    ueberschreibe(shp, zweiter + 4, be(30));
    EXPECT_FALSE(hole(1));
    EXPECT_NE(grund.find("exceeds the record"), std::string::npos) << grund;
    // Longer than the file: the end of the file bounds it, and what is there suffices.
    schreibeDatei(shp, original);
    ueberschreibe(shp, dritter + 4, be(0x3FFFFFFF));
    EXPECT_TRUE(hole(2)) << grund;
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 5, 9}));
}

TEST_F(KaputteDatei, FehlendeOderDefekteBegleitdateien) {
    const Bytes dbf = leseDatei(ordner / "k.dbf");
    fs::remove(ordner / "k.dbf");
    EXPECT_FALSE(oeffnet());
    EXPECT_FALSE(grund.empty());
    schreibeDatei(ordner / "k.dbf", {'k', 'e', 'i', 'n', 'e', ' ', 'd', 'b', 'f'});
    EXPECT_FALSE(oeffnet());
    EXPECT_FALSE(grund.empty());
    schreibeDatei(ordner / "k.dbf", dbf);
    EXPECT_TRUE(oeffnet()) << grund;
    fs::remove(shx);
    EXPECT_FALSE(oeffnet());
    EXPECT_NE(grund.find("k.shx"), std::string::npos) << grund;
    fs::remove(shp);
    EXPECT_FALSE(oeffnet());
    EXPECT_TRUE(tmpInhalt().empty());
}

// Random damage to a real file set: whatever a fetch delivers must be safe to walk by lpp.
TEST_F(KaputteDatei, ZufaelligeSchaedenLiefernNurBegehbareErgebnisse) {
    const std::string echt = ordner.kopiereEcht("nc");
    const std::string echtShx = echt.substr(0, echt.size() - 3) + "shx";
    const Bytes shpOriginal = leseDatei(echt);
    const Bytes shxOriginal = leseDatei(echtShx);
    std::mt19937 zufall(4711); // fixed seed: a failure reproduces
    const std::int32_t extrem[] = {0, -1,        0x7FFFFFFF, static_cast<std::int32_t>(0x80000000),
                                   1, 0x3FFFFFFF};
    int geoeffnet = 0, gelesen = 0, abgelehnt = 0;
    for (int fall = 0; fall < 250; ++fall) {
        Bytes s = shpOriginal;
        Bytes x = shxOriginal;
        Bytes& ziel = (fall % 4 == 0) ? x : s;
        const int art = static_cast<int>(zufall() % 3);
        if (art == 0) {
            for (int k = 0; k < 4; ++k)
                ziel[zufall() % ziel.size()] = static_cast<std::uint8_t>(zufall());
        } else if (art == 1) {
            const std::size_t stelle = (zufall() % (ziel.size() / 4)) * 4;
            const std::int32_t wert = extrem[zufall() % std::size(extrem)];
            for (std::size_t k = 0; k < 4 && stelle + k < ziel.size(); ++k)
                ziel[stelle + k] =
                    static_cast<std::uint8_t>(static_cast<std::uint32_t>(wert) >> (8 * (k % 4)));
        } else {
            ziel.resize(zufall() % ziel.size());
        }
        schreibeDatei(echt, s);
        schreibeDatei(echtShx, x);
        VunInterface vun;
        if (!vun.Shape_Open(echt)) {
            EXPECT_FALSE(vun.letzterFehler().empty()) << "case " << fall;
            continue;
        }
        ++geoeffnet;
        for (std::int32_t i = -1; i <= vun.DBanzahl + 1; ++i) {
            if (!vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp)) {
                EXPECT_FALSE(vun.letzterFehler().empty()) << "case " << fall << " record " << i;
                EXPECT_TRUE(punkte.eindimensional());
                if (i >= 0 && i < vun.DBanzahl)
                    ++abgelehnt;
                continue;
            }
            ++gelesen;
            ASSERT_EQ(lpp.size(), static_cast<std::size_t>(vunRing) + 1) << "case " << fall;
            for (std::int32_t k = 0; k < vunRing; ++k) {
                const auto k1 = static_cast<std::size_t>(k);
                ASSERT_GE(lpp[k1], 0) << "case " << fall;
                ASSERT_LT(lpp[k1], lpp[k1 + 1]) << "case " << fall;
                ASSERT_LE(static_cast<std::size_t>(lpp[k1 + 1]), punkte.zeilen())
                    << "case " << fall;
            }
            if (vunRing > 0)
                ASSERT_EQ(static_cast<std::size_t>(lpp.back()), punkte.zeilen());
            ASSERT_TRUE(wname.size() == 1 ||
                        wname.size() == static_cast<std::size_t>(vun.dbeintrag));
            vun.Shape_Get(i, punkte, wname);
        }
    }
    // The damage must have hit all three outcomes, or the test proves little.
    EXPECT_GT(geoeffnet, 100);
    EXPECT_GT(gelesen, 1000);
    EXPECT_GT(abgelehnt, 20);
}

TEST_F(Lesen, NutzerdateienBleibenUnveraendertUndKeineArbeitskopieBleibt) {
    fs::create_directory(ordner / "daten");
    for (const auto& e :
         fs::directory_iterator(std::string(TRELVIK_TESTDATEN) + "/real/naturalearth_lowres"))
        fs::copy_file(e.path(), ordner / ("daten/" + e.path().filename().string()));
    const std::string echt = ordner / "daten/naturalearth_lowres.shp";
    struct Stand {
        Bytes bytes;
        struct timespec mtime;
    };
    auto stand = [&] {
        std::vector<Stand> alle;
        for (const auto& e : fs::directory_iterator(ordner / "daten")) {
            struct stat st {};
            EXPECT_EQ(::stat(e.path().c_str(), &st), 0);
            alle.push_back(Stand{leseDatei(e.path().string()), st.st_mtim});
        }
        return alle;
    };
    // Old times, so that any write would show even within one clock tick.
    for (const auto& e : fs::directory_iterator(ordner / "daten"))
        fs::last_write_time(e.path(), fs::file_time_type::clock::now() - std::chrono::hours(48));
    const auto vorher = stand();
    {
        VunInterface vun;
        ASSERT_TRUE(vun.Shape_Open(echt)) << vun.letzterFehler();
        EXPECT_FALSE(tmpInhalt().empty()) << "the working copy belongs in the redirected tmp";
        for (std::int32_t i = 0; i < vun.DBanzahl; ++i) {
            ASSERT_TRUE(vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp)) << i;
            ASSERT_TRUE(vun.Shape_Get(i, punkte, wname)) << i;
        }
        EXPECT_TRUE(vun.Shape_Close()) << vun.letzterFehler();
        EXPECT_TRUE(tmpInhalt().empty());
        // Opening twice keeps one working copy; the destructor removes it.
        ASSERT_TRUE(vun.Shape_Open(echt));
        ASSERT_TRUE(vun.Shape_Open(echt));
        const auto inhalt = tmpInhalt();
        EXPECT_EQ(std::count_if(inhalt.begin(), inhalt.end(),
                                [](const std::string& n) { return n.ends_with(".dbf"); }),
                  1);
    }
    EXPECT_TRUE(tmpInhalt().empty());
    const auto nachher = stand();
    ASSERT_EQ(vorher.size(), nachher.size());
    for (std::size_t k = 0; k < vorher.size(); ++k) {
        EXPECT_EQ(vorher[k].bytes, nachher[k].bytes);
        EXPECT_EQ(vorher[k].mtime.tv_sec, nachher[k].mtime.tv_sec);
        EXPECT_EQ(vorher[k].mtime.tv_nsec, nachher[k].mtime.tv_nsec);
    }

    // A failed open leaves no working copy either, whatever step failed.
    kuerzeAuf(ordner / "daten/naturalearth_lowres.shx", 50);
    VunInterface vun;
    EXPECT_FALSE(vun.Shape_Open(echt));
    EXPECT_TRUE(tmpInhalt().empty());
    fs::remove(ordner / "daten/naturalearth_lowres.dbf");
    EXPECT_FALSE(vun.Shape_Open(echt));
    EXPECT_TRUE(tmpInhalt().empty());
}

TEST_F(Lesen, SaetzeDieNachDemOeffnenAngehaengtWurdenWerdenGefunden) {
    const std::string shp = schreibeDateisatz(ordner / "wachsend.", 5, {zweiRinge()});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp));
    EXPECT_FALSE(vun.Shape_GetCheck(1, punkte, wname, vunRing, lpp));
    // Both files grow in place, as an append by the writing side makes them grow.
    const std::string zweite = ordner / "zweite.";
    schreibeDateisatz(zweite, 5, {zweiRinge(), teileInhalt(5, {0}, quadrat)});
    schreibeDatei(shp, leseDatei(zweite + "shp"));
    schreibeDatei(ordner / "wachsend.shx", leseDatei(zweite + "shx"));
    ASSERT_TRUE(vun.Shape_GetCheck(1, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 5}));
    EXPECT_EQ(punkte(2, 0), 10.0);
    EXPECT_EQ(wname, std::vector<std::string>{""}); // the working copy has one row
}

TEST_F(Lesen, LeereLinienteileWerdenGeliefert) {
    // Parts (0, 2, 2, 6): the second part has no points; the last part ends where the first
    // begins.
    const std::vector<XY> punkteListe = {{0, 0}, {1, 0}, {5, 5}, {6, 6}, {7, 7}, {0, 0}};
    const std::string shp = schreibeDateisatz(
        ordner / "leer.", 3,
        {teileInhalt(3, {0, 2, 2, 6}, punkteListe), teileInhalt(3, {0, 6}, punkteListe)});
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    ASSERT_TRUE(vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 2, 2, 6, 6}));
    ASSERT_TRUE(vun.Shape_Get(0, punkte, wname)) << vun.letzterFehler();
    ASSERT_EQ(punkte.zeilen(), 6u);
    EXPECT_EQ(punkte(0, 0), 5); // the third part moved before the first
    ASSERT_TRUE(vun.Shape_GetCheck(1, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
    EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 6, 6}));
}

// Records larger than the read window between small ones, read in order and back again:
// every record comes back exactly, whether its window was kept or let go.
TEST_F(Lesen, GrosseSaetzeZwischenKleinenLesenSichGenau) {
    std::vector<std::vector<XY>> ringe;
    for (const std::size_t n : {300000u, 5u, 400000u, 7u}) {
        ringe.emplace_back(n);
        for (std::size_t k = 0; k < n; ++k)
            ringe.back()[k] = {k * 0.5 + n, k % 7 * 3.25};
    }
    std::vector<Bytes> saetze;
    for (const auto& r : ringe)
        saetze.push_back(teileInhalt(5, {0}, r));
    VunInterface vun;
    ASSERT_TRUE(vun.Shape_Open(schreibeDateisatz(ordner / "gross.", 5, saetze)));
    for (const int i : {0, 1, 2, 3, 2, 0, 0, 3}) {
        ASSERT_TRUE(vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp)) << vun.letzterFehler();
        const auto& r = ringe[static_cast<std::size_t>(i)];
        ASSERT_EQ(punkte.zeilen(), r.size()) << i;
        for (std::size_t k = 0; k < r.size(); ++k)
            ASSERT_TRUE(punkte(k, 0) == r[k].x && punkte(k, 1) == r[k].y) << i << " " << k;
    }
}

// A record larger than the read window reaches the check's array without the window. Cut or
// overwritten anywhere in its counts, it is read or refused exactly as the general reader does,
// with the same reason and the same points.
TEST_F(Lesen, GrosserSatzGehtWieDurchDenAllgemeinenLeser) {
    std::vector<XY> ring(70000); // 1.1 MB of points
    for (std::size_t k = 0; k < ring.size(); ++k)
        ring[k] = {k * 0.25, k % 11 * 1.5};
    const std::string shp = schreibeDateisatz(
        ordner / "g.", 5,
        {teileInhalt(5, {0, 40000}, ring), teileInhalt(5, {0}, {{0, 0}, {1, 0}, {0, 0}})});
    const Bytes original = leseDatei(shp);
    const std::int32_t extrem[] = {0, -1, 1, 2, 39999, 69999, 70000, 70001, 0x7FFFFFFF};
    std::mt19937 zufall(23);
    int gelesen = 0, abgelehnt = 0;
    for (int fall = 0; fall < 160; ++fall) {
        Bytes b = original;
        const std::int32_t wert = extrem[zufall() % std::size(extrem)];
        // Content length (big-endian words), part and point counts, the two part starts.
        const std::size_t stellen[] = {104, 144, 148, 152, 156};
        const std::size_t stelle = stellen[zufall() % std::size(stellen)];
        // The content length near its true value (560,026 words) or anywhere.
        const auto u =
            static_cast<std::uint32_t>(stelle == 104 ? wert / 2 + 560000 * (fall % 2) : wert);
        if (fall % 3 == 0)
            b.resize(100 + zufall() % (original.size() - 100));
        else
            for (std::size_t k = 0; k < 4; ++k)
                b[stelle + k] =
                    static_cast<std::uint8_t>(u >> (stelle == 104 ? 24 - 8 * k : 8 * k));
        schreibeDatei(shp, b);
        VunInterface vun;
        ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
        const bool check = vun.Shape_GetCheck(0, punkte, wname, vunRing, lpp);
        const std::string grund = vun.letzterFehler();
        Punktfeld allgemein;
        ASSERT_EQ(check, vun.Shape_Get(0, allgemein, wname)) << fall << ": " << grund;
        if (!check) {
            EXPECT_EQ(grund, vun.letzterFehler()) << fall;
            ++abgelehnt;
            continue;
        }
        ++gelesen;
        ASSERT_EQ(punkte.zeilen(), allgemein.zeilen()) << fall;
        ASSERT_EQ(punkte.spalten(), allgemein.spalten()) << fall;
        EXPECT_TRUE(
            std::equal(punkte.daten(), punkte.daten() + 2 * punkte.zeilen(), allgemein.daten()))
            << fall;
        if (vunRing > 0) // a record without points reads as one empty row
            EXPECT_EQ(static_cast<std::size_t>(lpp.back()), punkte.zeilen()) << fall;
    }
    EXPECT_GT(gelesen, 20);
    EXPECT_GT(abgelehnt, 40);
}

// The array a fetch reuses: set to 0 in full wherever a fetch does not write every element,
// whatever the record before it left there.
TEST(Punktfeld, NeueGroesseIstUeberallNullAuchNachEinemGroesserenSatz) {
    trelvik::Punktfeld feld;
    for (const auto& [zeilen, spalten] :
         {std::pair{1000, 4}, std::pair{10, 2}, std::pair{3000, 2}}) {
        feld.groesseAendernOhneWerte(zeilen, spalten);
        std::fill(feld.daten(), feld.daten() + zeilen * spalten, 7.5);
        feld.groesseAendern(zeilen / 2 + 1, spalten);
        EXPECT_TRUE(std::all_of(feld.daten(), feld.daten() + (zeilen / 2 + 1) * spalten,
                                [](double w) { return w == 0; }));
        EXPECT_EQ(feld.zeilen(), static_cast<std::size_t>(zeilen / 2 + 1));
    }
}
