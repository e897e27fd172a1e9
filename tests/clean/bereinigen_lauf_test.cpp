// The clean run on the sets with known faults: what the check finds in the cleaned copy
// against the original, the table of the copy, the files beside it, and the refusals.
#include "check/pruef_lauf.h"
#include "clean/bereinigen_lauf.h"
#include "clean/clean_hilfe.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <shapefil.h>
#include <sys/stat.h>

namespace trelvik {
namespace {

AttributEintrag spalte(const std::string& name, const std::string& typ, int laenge,
                       int dezimalen = 0) {
    AttributEintrag e;
    e.name = name;
    e.typ = typ;
    e.laenge = laenge;
    e.dezimalen = dezimalen;
    return e;
}

// The required list of these tests, matched against the source's table as a check does.
Attributliste gepruefteListe(const std::string& shp) {
    Attributliste liste = {spalte("ID", "N", 10), spalte("QUELLE", "C", 50),
                           spalte("AKTDAT", "D", 8), spalte("FLAECHE", "N", 14, 2),
                           spalte("BEMERKUNG", "C", 80), spalte("FEHLT", "C", 5),
                           spalte("KURZ", "N", 3)};
    vergleicheAttribute(leseTabellenFelder(shp.substr(0, shp.size() - 3) + "dbf"), liste);
    return liste;
}

struct Befunde {
    int flaeche = 0, abstand = 0, schnitt = 0, ringeNah = 0, ringeSchneiden = 0, punkte = 0;
    int saetze = 0;
};

Befunde pruefe(const std::string& shp) {
    const GeometriePruefung g = pruefeGeometrie(shp, 0.25, 25);
    EXPECT_TRUE(g.geoeffnet) << g.grund;
    EXPECT_TRUE(g.vollstaendig) << g.grund;
    Befunde b;
    b.saetze = g.saetzeGelesen;
    for (const SatzBefund& s : g.saetze) {
        b.flaeche += s.flaecheZuKlein;
        b.abstand += s.abstandZuKlein;
        b.schnitt += s.schneidet;
        b.ringeNah += s.ringeNah;
        b.ringeSchneiden += s.ringeSchneiden;
        b.punkte += s.zuWenigPunkte || s.punktanzahlZuKlein;
    }
    return b;
}

class BereinigenLauf : public test::CleanOrdner {
protected:
    BereinigungsErgebnis lauf(const std::string& quelle, const BereinigungsOptionen& o,
                              const std::string& zielName = "ziel.shp") {
        meldungen.clear();
        ziel = ordner + zielName;
        return bereinigen(quelle, ziel, gepruefteListe(quelle), o,
                          [this](const std::string& m) { meldungen.push_back(m); });
    }
    std::string ziel;
    std::vector<std::string> meldungen;
};

BereinigungsOptionen alle() {
    BereinigungsOptionen o;
    o.kleineFlaechenEntfernen = o.punkteEntfernen = o.ringeAnpassen = o.vereinfachen = true;
    return o;
}

TEST_F(BereinigenLauf, EachOptionRemovesTheFindingsItIsFor) {
    struct Fall {
        const char* satz;
        BereinigungsOptionen o;
        int Befunde::*art;
    };
    BereinigungsOptionen punkte;
    punkte.punkteEntfernen = true;
    BereinigungsOptionen flaechen;
    flaechen.kleineFlaechenEntfernen = true;
    BereinigungsOptionen ringe;
    ringe.ringeAnpassen = true;
    const std::vector<Fall> faelle = {{"close_points", punkte, &Befunde::abstand},
                                      {"duplicate_points", punkte, &Befunde::abstand},
                                      {"spike", punkte, &Befunde::abstand},
                                      {"sliver", flaechen, &Befunde::flaeche},
                                      {"limits_area", flaechen, &Befunde::flaeche},
                                      {"rings_near", ringe, &Befunde::ringeNah}};
    for (const Fall& f : faelle) {
        SCOPED_TRACE(f.satz);
        const std::string quelle = kopiere("faulty", f.satz);
        EXPECT_GT(pruefe(quelle).*f.art, 0);
        const BereinigungsErgebnis e = lauf(quelle, f.o);
        ASSERT_TRUE(e.erfolgreich) << e.grund;
        EXPECT_TRUE(meldungen.empty());
        EXPECT_EQ(pruefe(ziel).*f.art, 0);
    }
}

TEST_F(BereinigenLauf, WithoutOptionsOnlyUnusablePartsGo) {
    const std::string quelle = kopiere("faulty", "part_one_point");
    const BereinigungsErgebnis e = lauf(quelle, {});
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    EXPECT_EQ(e.gelesen, 5);
    EXPECT_EQ(e.verworfen, 1);   // record 4 had only its one-point part
    EXPECT_EQ(e.teileVerworfen, 2);
    EXPECT_EQ(e.geschrieben, 4);
    EXPECT_EQ(pruefe(ziel).punkte, 0);

    // A clean set comes through point for point.
    const std::string sauber = kopiere("faulty", "clean_polygons");
    ASSERT_TRUE(lauf(sauber, {}, "sauber.shp").erfolgreich);
    VunInterface a, b;
    ASSERT_TRUE(a.Shape_Open(sauber));
    ASSERT_TRUE(b.Shape_Open(ziel));
    ASSERT_EQ(a.DBanzahl, b.DBanzahl);
    for (std::int32_t i = 0; i < a.DBanzahl; ++i) {
        Punktfeld p, q;
        std::vector<std::string> w, v;
        std::int32_t r = 0, s = 0;
        std::vector<std::int32_t> l, m;
        ASSERT_TRUE(a.Shape_GetCheck(i, p, w, r, l));
        ASSERT_TRUE(b.Shape_GetCheck(i, q, v, s, m));
        EXPECT_EQ(l, m);
        for (std::size_t k = 0; k < p.zeilen(); ++k)
            EXPECT_NEAR(p(k, 0), q(k, 0), 5e-9);
    }
}

TEST_F(BereinigenLauf, DroppedRecordsCloseTheGapAndRowsFollowTheList) {
    const std::string quelle = kopiere("faulty", "sliver");
    BereinigungsOptionen o;
    o.kleineFlaechenEntfernen = true;
    const BereinigungsErgebnis e = lauf(quelle, o);
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    EXPECT_EQ(e.gelesen, 6);
    EXPECT_EQ(e.geschrieben, 5);

    SHPHandle h = SHPOpen(ziel.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    int anzahl = 0;
    SHPGetInfo(h, &anzahl, nullptr, nullptr, nullptr);
    EXPECT_EQ(anzahl, 5);
    SHPClose(h);
    const std::string b = lies(ziel);
    EXPECT_EQ(b[100 + 3], 1); // record numbers 1, 2, ... without a gap

    DBFHandle neu = DBFOpen((ordner + "ziel.dbf").c_str(), "rb");
    DBFHandle alt = DBFOpen((quelle.substr(0, quelle.size() - 3) + "dbf").c_str(), "rb");
    ASSERT_NE(neu, nullptr);
    ASSERT_NE(alt, nullptr);
    ASSERT_EQ(DBFGetRecordCount(neu), 5);
    ASSERT_EQ(DBFGetFieldCount(neu), 7);
    char name[12];
    DBFGetFieldInfo(neu, 5, name, nullptr, nullptr);
    EXPECT_STREQ(name, "FEHLT");
    for (int i = 0; i < 5; ++i) {
        // Record 1 (the sliver) is gone: row i holds source row i + 1.
        EXPECT_EQ(DBFReadIntegerAttribute(neu, i, 0), DBFReadIntegerAttribute(alt, i + 1, 0));
        EXPECT_STREQ(DBFReadStringAttribute(neu, i, 1), DBFReadStringAttribute(alt, i + 1, 1));
        EXPECT_STREQ(DBFReadStringAttribute(neu, i, 2), DBFReadStringAttribute(alt, i + 1, 2));
        EXPECT_DOUBLE_EQ(DBFReadDoubleAttribute(neu, i, 3), DBFReadDoubleAttribute(alt, i + 1, 3));
        EXPECT_TRUE(DBFIsAttributeNULL(neu, i, 5) ||
                    std::string(DBFReadStringAttribute(neu, i, 5)).empty());
    }
    DBFClose(neu);
    DBFClose(alt);
    EXPECT_EQ(lies(ordner + "ziel.cpg"), "1252");
    EXPECT_EQ(lies(ordner + "ziel.prj"), lies(quelle.substr(0, quelle.size() - 3) + "prj"));
}

TEST_F(BereinigenLauf, EverythingDroppedGivesAnEmptySet) {
    const std::string quelle = kopiere("faulty", "clean_polylines");
    BereinigungsOptionen o;
    o.minAbstandText = "100000000"; // 1000 km: every line is shorter
    const BereinigungsErgebnis e = lauf(quelle, o);
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    EXPECT_EQ(e.geschrieben, 0);
    EXPECT_EQ(e.verworfen, 7);
    EXPECT_TRUE(meldungen.empty());
    SHPHandle h = SHPOpen(ziel.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    int anzahl = -1;
    int typ = 0;
    SHPGetInfo(h, &anzahl, &typ, nullptr, nullptr);
    EXPECT_EQ(anzahl, 0);
    EXPECT_EQ(typ, SHPT_ARC);
    SHPClose(h);
    DBFHandle d = DBFOpen((ordner + "ziel.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DBFGetRecordCount(d), 0);
    EXPECT_EQ(DBFGetFieldCount(d), 7);
    DBFClose(d);
}

// The header's ranges of main file and index, read back as bytes: Xmin, Ymin, Xmax, Ymax,
// Zmin, Zmax, Mmin, Mmax.
std::array<double, 8> kopfBereiche(const std::string& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    const std::string b(std::istreambuf_iterator<char>(datei), {});
    std::array<double, 8> w{};
    if (b.size() >= 100)
        std::memcpy(w.data(), b.data() + 36, 64);
    return w;
}

TEST_F(BereinigenLauf, RangesWithoutValuesAreZeroInBothHeaders) {
    // An M file: its Z range holds no value; box and M range are those of the written points.
    const BereinigungsErgebnis e = lauf(kopiere("real", "storms_xyzm"), {});
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    ASSERT_GT(e.geschrieben, 0);
    std::array<double, 8> erwartet = {1e300, 1e300, -1e300, -1e300, 0, 0, 1e300, -1e300};
    SHPHandle h = SHPOpen(ziel.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    for (int i = 0; i < e.geschrieben; ++i) {
        SHPObject* o = SHPReadObject(h, i);
        ASSERT_NE(o, nullptr);
        for (int k = 0; k < o->nVertices; ++k) {
            erwartet[0] = std::min(erwartet[0], o->padfX[k]);
            erwartet[1] = std::min(erwartet[1], o->padfY[k]);
            erwartet[2] = std::max(erwartet[2], o->padfX[k]);
            erwartet[3] = std::max(erwartet[3], o->padfY[k]);
            erwartet[6] = std::min(erwartet[6], o->padfM[k]);
            erwartet[7] = std::max(erwartet[7], o->padfM[k]);
        }
        SHPDestroyObject(o);
    }
    SHPClose(h);
    EXPECT_EQ(kopfBereiche(ziel), erwartet);
    EXPECT_EQ(kopfBereiche(ordner + "ziel.shx"), erwartet);

    // No record written: the whole box is 0.
    BereinigungsOptionen o;
    o.minAbstandText = "100000000";
    ASSERT_TRUE(lauf(kopiere("faulty", "clean_polylines"), o, "leer.shp").erfolgreich);
    EXPECT_EQ(kopfBereiche(ordner + "leer.shp"), (std::array<double, 8>{}));
    EXPECT_EQ(kopfBereiche(ordner + "leer.shx"), (std::array<double, 8>{}));
}

TEST_F(BereinigenLauf, PointsAreCopiedWithTheirRows) {
    // No rule of the clean run applies to points: with every option they all stay.
    const std::string quelle = kopiere("real", "naturalearth_cities");
    const BereinigungsErgebnis e = lauf(quelle, alle());
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    EXPECT_EQ(e.gelesen, 243);
    EXPECT_EQ(e.geschrieben, 243);
    EXPECT_EQ(e.verworfen, 0);
    SHPHandle vorher = SHPOpen(quelle.c_str(), "rb");
    SHPHandle nachher = SHPOpen(ziel.c_str(), "rb");
    ASSERT_NE(vorher, nullptr);
    ASSERT_NE(nachher, nullptr);
    int anzahl = 0;
    int typ = 0;
    SHPGetInfo(nachher, &anzahl, &typ, nullptr, nullptr);
    EXPECT_EQ(anzahl, 243);
    EXPECT_EQ(typ, SHPT_POINT);
    for (int i = 0; i < anzahl; i += 40) {
        SHPObject* a = SHPReadObject(vorher, i);
        SHPObject* b = SHPReadObject(nachher, i);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        EXPECT_NEAR(a->padfX[0], b->padfX[0], 1e-8);
        EXPECT_NEAR(a->padfY[0], b->padfY[0], 1e-8);
        SHPDestroyObject(a);
        SHPDestroyObject(b);
    }
    SHPClose(vorher);
    SHPClose(nachher);
    DBFHandle d = DBFOpen((ordner + "ziel.dbf").c_str(), "rb");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(DBFGetRecordCount(d), 243);
    DBFClose(d);
}

TEST_F(BereinigenLauf, OverflowingNumbersAreStarsAndCounted) {
    // FLAECHE of the parcels is hundreds of square metres: N(3) cannot hold it.
    const std::string quelle = kopiere("faulty", "clean_polygons");
    Attributliste liste = {spalte("FLAECHE", "N", 3)};
    vergleicheAttribute(leseTabellenFelder(quelle.substr(0, quelle.size() - 3) + "dbf"), liste);
    ziel = ordner + "ziel.shp";
    const BereinigungsErgebnis e = bereinigen(quelle, ziel, liste, {},
                                              [this](const std::string& m) {
                                                  meldungen.push_back(m);
                                              });
    ASSERT_TRUE(e.gelaufen);
    EXPECT_EQ(e.ueberlaeufe, 8);
    ASSERT_EQ(meldungen.size(), 1u);
    EXPECT_NE(meldungen[0].find("8"), std::string::npos);
    DBFHandle h = DBFOpen((ordner + "ziel.dbf").c_str(), "rb");
    ASSERT_NE(h, nullptr);
    EXPECT_TRUE(DBFIsAttributeNULL(h, 0, 0));
    DBFClose(h);
}

TEST_F(BereinigenLauf, SourceIsNeverChanged) {
    for (const char* satz : {"rings_crossing", "null_record", "zero_parts", "shared_edge"}) {
        SCOPED_TRACE(satz);
        const std::string quelle = kopiere("faulty", satz);
        const auto vorher = inhalte(ordner + satz);
        const BereinigungsErgebnis e = lauf(quelle, alle(), std::string(satz) + "_neu.shp");
        ASSERT_TRUE(e.erfolgreich) << e.grund;
        EXPECT_EQ(inhalte(ordner + satz), vorher);
        SHPHandle h = SHPOpen(ziel.c_str(), "rb");
        ASSERT_NE(h, nullptr);
        int anzahl = 0;
        SHPGetInfo(h, &anzahl, nullptr, nullptr, nullptr);
        EXPECT_EQ(anzahl, e.geschrieben);
        for (int i = 0; i < anzahl; ++i) {
            SHPObject* o = SHPReadObject(h, i);
            ASSERT_NE(o, nullptr);
            EXPECT_GE(o->nVertices, 4);
            SHPDestroyObject(o);
        }
        SHPClose(h);
    }
}

TEST_F(BereinigenLauf, RefusalsWriteNothing) {
    const std::string quelle = kopiere("faulty", "sliver");
    const auto vorher = inhalte(ordner + "sliver");

    // The same set under another spelling.
    const BereinigungsErgebnis gleich = lauf(quelle, {}, "sliver/SLIVER.SHP");
    EXPECT_FALSE(gleich.gelaufen);
    EXPECT_EQ(meldungen, std::vector<std::string>{"Bitte einen anderen Shape-Namen angeben."});
    EXPECT_EQ(inhalte(ordner + "sliver"), vorher);

    // A folder that does not exist, and one that may not be written.
    EXPECT_FALSE(lauf(quelle, {}, "fehlt/ziel.shp").gelaufen);
    EXPECT_EQ(meldungen, std::vector<std::string>{"Datei/Verzeichnis ist schreibgeschützt."});
    std::filesystem::create_directory(ordner + "nurlesen");
    ::chmod((ordner + "nurlesen").c_str(), 0555);
    EXPECT_FALSE(lauf(quelle, {}, "nurlesen/ziel.shp").gelaufen);
    EXPECT_EQ(meldungen, std::vector<std::string>{"Datei/Verzeichnis ist schreibgeschützt."});
    EXPECT_TRUE(std::filesystem::is_empty(ordner + "nurlesen"));
    ::chmod((ordner + "nurlesen").c_str(), 0755);

    // A read-only companion of the target.
    schreibe("ziel.shx", "alt");
    ::chmod((ordner + "ziel.shx").c_str(), 0444);
    EXPECT_FALSE(lauf(quelle, {}).gelaufen);
    EXPECT_EQ(lies(ordner + "ziel.shx"), "alt");
    EXPECT_FALSE(std::filesystem::exists(ordner + "ziel.shp"));
    ::chmod((ordner + "ziel.shx").c_str(), 0644);

    // An empty list of required attributes: nothing happens at all.
    EXPECT_FALSE(bereinigen(quelle, ordner + "ziel.shp", {}, {}).gelaufen);
    EXPECT_FALSE(std::filesystem::exists(ordner + "ziel.shp"));
}

TEST_F(BereinigenLauf, BrokenSourceWritesNothing) {
    const std::string quelle = kopiere("faulty", "sliver");
    // Main file cut inside its second record.
    std::filesystem::resize_file(quelle, 300);
    const BereinigungsErgebnis e = lauf(quelle, {});
    EXPECT_FALSE(e.erfolgreich);
    EXPECT_NE(e.grund.find("record 2 cannot be read"), std::string::npos) << e.grund;
    EXPECT_EQ(meldungen, std::vector<std::string>{"Shape konnte nicht erstellt werden."});
    for (const char* endung : {"shp", "shx", "dbf", "dbfx", "cpg", "prj"})
        EXPECT_FALSE(std::filesystem::exists(ordner + "ziel." + endung)) << endung;

    // Index missing: the source cannot be opened.
    const std::string zweite = kopiere("faulty", "spike");
    std::filesystem::remove(zweite.substr(0, zweite.size() - 3) + "shx");
    EXPECT_FALSE(lauf(zweite, {}).gelaufen);
    EXPECT_EQ(meldungen, std::vector<std::string>{"Das Shape konnte nicht geöffnet werden!"});
    EXPECT_FALSE(std::filesystem::exists(ordner + "ziel.dbf"));
}

// The files of the folder that are not folders, by name.
std::map<std::string, std::string> dateienIn(const std::string& ordnerPfad) {
    std::map<std::string, std::string> m;
    for (const auto& e : std::filesystem::directory_iterator(ordnerPfad))
        if (e.is_regular_file())
            m[e.path().filename().string()] = test::CleanOrdner::inhalt(e.path().string());
    return m;
}

TEST_F(BereinigenLauf, CancelledRunLeavesNoTarget) {
    const std::string quelle = kopiere("real", "nc");
    // Stopped at the first question, in the middle of a record, and at the last one.
    for (const int nach : {1, 7, 150}) {
        int gefragt = 0;
        const BereinigungsErgebnis e = bereinigen(quelle, ordner + "ziel.shp",
                                                  gepruefteListe(quelle), alle(), {}, {},
                                                  [&] { return ++gefragt >= nach; });
        EXPECT_TRUE(e.abgebrochen) << nach;
        EXPECT_FALSE(e.erfolgreich) << nach;
        EXPECT_TRUE(dateienIn(ordner).empty()) << nach;
    }
}

TEST_F(BereinigenLauf, MeasuresTravelWithTheirPoints) {
    const std::string quelle = kopiere("real", "storms_xyzm");
    const BereinigungsErgebnis e = lauf(quelle, alle());
    ASSERT_TRUE(e.erfolgreich) << e.grund;
    ASSERT_GT(e.geschrieben, 0);
    SHPHandle a = SHPOpen(quelle.c_str(), "rb");
    SHPHandle b = SHPOpen(ziel.c_str(), "rb");
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    int typ = 0;
    SHPGetInfo(b, nullptr, &typ, nullptr, nullptr);
    EXPECT_EQ(typ, SHPT_ARCM);
    // Every written vertex that is a source vertex of the same record keeps its M.
    int anzahl = 0;
    SHPGetInfo(b, &anzahl, nullptr, nullptr, nullptr);
    int verglichen = 0;
    for (int i = 0, j = 0; i < anzahl; ++i, ++j) {
        SHPObject* n = SHPReadObject(b, i);
        SHPObject* o = nullptr;
        // Dropped records shift the numbering: find the source record holding its middle vertex.
        for (; j < 1000; ++j) {
            o = SHPReadObject(a, j);
            if (o == nullptr)
                break;
            bool teilt = false;
            for (int q = 0; q < o->nVertices && !teilt; ++q)
                teilt = o->padfX[q] == n->padfX[n->nVertices / 2] &&
                        o->padfY[q] == n->padfY[n->nVertices / 2];
            if (teilt)
                break;
            SHPDestroyObject(o);
            o = nullptr;
        }
        ASSERT_NE(o, nullptr);
        for (int k = 0; k < n->nVertices; ++k)
            for (int q = 0; q < o->nVertices; ++q)
                if (o->padfX[q] == n->padfX[k] && o->padfY[q] == n->padfY[k]) {
                    EXPECT_EQ(o->padfM[q], n->padfM[k]);
                    ++verglichen;
                    break;
                }
        SHPDestroyObject(o);
        SHPDestroyObject(n);
    }
    EXPECT_GT(verglichen, 100);
    SHPClose(a);
    SHPClose(b);
}

} // namespace
} // namespace trelvik
