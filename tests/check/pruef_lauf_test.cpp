#include "check/bericht_texte.h"
#include "check/pruef_lauf.h"
#include "hilfe/ordner.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <shapefil.h>
#include <sstream>
#include <unistd.h>

using namespace trelvik;

namespace {

std::string faulty(const std::string& set) {
    return std::string(TRELVIK_TESTDATEN) + "/faulty/" + set + "/" + set + ".shp";
}

enum Art { Schnitt, Abstand, Flaeche, RingeNah, RingeSchnitt, Punktzahl, ZuWenig, Typ };

std::set<Art> arten(const SatzBefund& b) {
    std::set<Art> a;
    if (b.schneidet)
        a.insert(Schnitt);
    if (b.abstandZuKlein)
        a.insert(Abstand);
    if (b.flaecheZuKlein)
        a.insert(Flaeche);
    if (b.ringeNah)
        a.insert(RingeNah);
    if (b.ringeSchneiden)
        a.insert(RingeSchnitt);
    if (b.punktanzahlZuKlein)
        a.insert(Punktzahl);
    if (b.zuWenigPunkte)
        a.insert(ZuWenig);
    if (b.typFalsch)
        a.insert(Typ);
    return a;
}

// Records (1-based) with the kinds of finding a correct check reports for each set of files
// with known faults, at 25 cm and 25 m².
const std::map<std::string, std::map<int, std::set<Art>>> erwartet = {
    {"figure_eight", {{2, {Schnitt}}}},
    {"vertex_on_segment", {{5, {Schnitt, Abstand}}}},
    {"duplicate_points", {{2, {Abstand, Schnitt}}}},
    {"close_points", {{5, {Abstand}}}},
    {"sliver", {{1, {Flaeche}}}},
    {"shared_edge", {{2, {RingeNah, RingeSchnitt}}}},
    {"hole_touching", {{1, {RingeNah, RingeSchnitt}}}},
    // Without its closing point a ring of two points has one point left, whose shortest
    // distance is 0.
    {"ring_two_points", {{2, {Punktzahl, Flaeche, Abstand}}}},
    {"part_one_point", {{1, {ZuWenig}}, {4, {ZuWenig}}}},
    {"zero_parts", {{2, {ZuWenig}}}},
    {"null_record", {{5, {ZuWenig, Typ}}}},
    {"polyline_in_polygon_file", {{2, {Typ}}}},
    {"spike", {{1, {Abstand}}}},
    {"polyline_self_crossing", {{1, {Schnitt}}}},
    {"polyline_first_last", {{3, {Schnitt, Abstand}}, {4, {Schnitt}}}},
    {"rings_near", {{3, {RingeNah}}}},
    {"rings_crossing", {{6, {RingeSchnitt}}}},
    {"limits_area",
     {{1, {Flaeche}},
      {2, {Flaeche}},
      {3, {Flaeche}},
      {4, {Flaeche}},
      {6, {Flaeche}},
      {7, {Flaeche}},
      {8, {Flaeche}},
      {9, {Flaeche}},
      {11, {Flaeche}},
      {12, {Flaeche}},
      {13, {Flaeche}},
      {14, {Flaeche}}}},
    {"limits_crossings", {{6, {Schnitt}}}},
    {"clean_polygons", {}},
    {"clean_polylines", {}},
};

} // namespace

TEST(PruefLauf, DateienMitBekanntenFehlern) {
    for (const auto& [set, saetze] : erwartet) {
        const GeometriePruefung p = pruefeGeometrie(faulty(set), 0.25, 25);
        ASSERT_TRUE(p.geoeffnet) << set << ": " << p.grund;
        EXPECT_TRUE(p.vollstaendig) << set;
        std::map<int, std::set<Art>> gefunden;
        for (const SatzBefund& b : p.saetze)
            gefunden[b.satz + 1] = arten(b);
        EXPECT_EQ(gefunden, saetze) << set;
    }
}

TEST(PruefLauf, OrteDerBefunde) {
    const auto erster = [](const std::string& set) {
        const GeometriePruefung p = pruefeGeometrie(faulty(set), 0.25, 25);
        EXPECT_FALSE(p.saetze.empty()) << set;
        return p.saetze.empty() ? SatzBefund{} : p.saetze.front();
    };
    const SatzBefund acht = erster("figure_eight");
    ASSERT_EQ(acht.schnitte.size(), 1u);
    EXPECT_NEAR(acht.schnitte[0].ort.x, 537260, 1e-6);
    EXPECT_NEAR(acht.schnitte[0].ort.y, 5625680, 1e-6);

    const SatzBefund doppelt = erster("duplicate_points");
    EXPECT_EQ(doppelt.kleinsterAbstand, 0);
    ASSERT_EQ(doppelt.schnitte.size(), 1u);
    EXPECT_EQ(doppelt.schnitte[0].ort.x, 466560);
    EXPECT_EQ(doppelt.schnitte[0].ort.y, 5814360);

    const SatzBefund nah = erster("close_points");
    EXPECT_NEAR(nah.kleinsterAbstand * 100, 0.5, 1e-3);

    const SatzBefund splitter = erster("sliver");
    ASSERT_EQ(splitter.flaechen.size(), 1u);
    EXPECT_NEAR(splitter.flaechen[0].flaeche, 9, 1e-6);
    EXPECT_EQ(splitter.flaechen[0].ort.x, 470100);
    EXPECT_EQ(splitter.flaechen[0].ort.y, 5690100);

    const SatzBefund kante = erster("shared_edge");
    EXPECT_EQ(kante.ringe.size(), 1u);
    const SatzBefund ringe = erster("rings_near");
    EXPECT_EQ(ringe.ringe.size(), 1u);
}

TEST(PruefLauf, ListengrenzenImBericht) {
    const GeometriePruefung flaechen = pruefeGeometrie(faulty("limits_area"), 0.25, 25);
    EXPECT_EQ(flaechen.flaechenFehler, 12);
    EXPECT_EQ(flaechen.laengenFehler, 0);
    const std::string text = geometrieBericht(flaechen);
    EXPECT_NE(text.find("12 Flächen-Fehler gefunden!\r\n0 Längen-Fehler gefunden!"),
              std::string::npos);

    const GeometriePruefung schnitte = pruefeGeometrie(faulty("limits_crossings"), 0.25, 25);
    ASSERT_EQ(schnitte.saetze.size(), 1u);
    EXPECT_EQ(schnitte.saetze[0].schnitte.size(), 11u);
    EXPECT_NE(geometrieBericht(schnitte).find("Nur max. 10 Schnittpunkte werden angezeigt!"),
              std::string::npos);
}

TEST(PruefLauf, PolylinienHabenNieFlaechenbefunde) {
    const GeometriePruefung p = pruefeGeometrie(faulty("polyline_self_crossing"), 0.25, 1e9);
    for (const SatzBefund& b : p.saetze)
        EXPECT_FALSE(b.flaecheZuKlein);
    EXPECT_FALSE(p.polygon);
}

TEST(PruefLauf, DateiFehlt) {
    const GeometriePruefung p = pruefeGeometrie("/gibt/es/nicht.shp", 0.25, 25);
    EXPECT_FALSE(p.geoeffnet);
    EXPECT_EQ(geometrieBericht(p), "Das Shape konnte nicht geöffnet werden!");
}

TEST(PruefLauf, Schwellenwerte) {
    EXPECT_EQ(minAbstandAusFeld("2,5"), 0.025);
    EXPECT_EQ(minFlaecheAusFeld("0,5"), 0.5);
    EXPECT_EQ(minAbstandAusFeld("abc"), 0);
}

TEST(PruefLauf, StatusZeigtRingfortschritt) {
    struct Anzeige : PruefAnzeige {
        std::string typ;
        std::vector<std::string> status;
        void shapeTypAnzeigen(const std::string& t) override { typ = t; }
        void statusAnzeigen(const std::string& s) override { status.push_back(s); }
    } anzeige;
    pruefeGeometrie(faulty("limits_crossings"), 0.25, 25, &anzeige);
    EXPECT_EQ(anzeige.typ, "Shape Typ: PolyGon");
    EXPECT_NE(std::find(anzeige.status.begin(), anzeige.status.end(),
                        "Teste MultiPolygon: Ring 10/10..."),
              anzeige.status.end());
    ASSERT_FALSE(anzeige.status.empty());
    EXPECT_EQ(anzeige.status.back(), "");
}

TEST(PruefLauf, LeererTeilIstZuWenigPunkteUndDerLaufGehtWeiter) {
    const test::TestOrdner ordner;
    const std::string basis = ordner / "leer";
    SHPHandle shp = SHPCreate(basis.c_str(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(basis.c_str());
    ASSERT_NE(shp, nullptr);
    ASSERT_NE(dbf, nullptr);
    DBFAddField(dbf, "ID", FTInteger, 5, 0);
    // Record 1: a square ring, then a part without points. Record 2: a sliver.
    double x[] = {0, 0, 100, 100, 0}, y[] = {0, 100, 100, 0, 0};
    int starts[] = {0, 5};
    SHPObject* o = SHPCreateObject(SHPT_POLYGON, -1, 2, starts, nullptr, 5, x, y, nullptr, nullptr);
    SHPWriteObject(shp, -1, o);
    SHPDestroyObject(o);
    double sx[] = {0, 0, 1, 1, 0}, sy[] = {0, 1, 1, 0, 0};
    o = SHPCreateSimpleObject(SHPT_POLYGON, 5, sx, sy, nullptr);
    SHPWriteObject(shp, -1, o);
    SHPDestroyObject(o);
    DBFWriteIntegerAttribute(dbf, 0, 0, 1);
    DBFWriteIntegerAttribute(dbf, 1, 0, 2);
    SHPClose(shp);
    DBFClose(dbf);

    const GeometriePruefung p = pruefeGeometrie(basis + ".shp", 0.25, 25);
    EXPECT_TRUE(p.vollstaendig) << p.grund;
    ASSERT_EQ(p.saetze.size(), 2u);
    EXPECT_TRUE(p.saetze[0].zuWenigPunkte);
    EXPECT_EQ(p.saetze[0].teile, 2);
    EXPECT_TRUE(p.saetze[1].flaecheZuKlein);
    EXPECT_EQ(p.teileGeprueft, 3);
}

namespace {

// Records of many small rings on a coarse grid, so that boxes overlap, touch and lie apart:
// squares and triangles, exact copies, rings of one or two points and parts without points,
// at coordinates around 0, UTM-sized or 1e7, in seeded random order. `gross`: records 1 and 3
// have at least 64 rings and a circle of 200,000 points beside the grid.
std::string vieleRinge(const test::TestOrdner& ordner, unsigned saat, bool gross = false) {
    std::mt19937 zufall(saat);
    const std::string basis = ordner / ("ringe" + std::to_string(saat));
    SHPHandle shp = SHPCreate(basis.c_str(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(basis.c_str());
    DBFAddField(dbf, "ID", FTInteger, 5, 0);
    const double versatz[] = {0, 500000, 1e7};
    for (int satz = 0; satz < 4; ++satz) {
        const double ox = versatz[zufall() % 3], oy = versatz[zufall() % 3];
        const bool mitKreis = gross && satz % 2 == 0;
        const int ringe = (mitKreis ? 64 : 17) + static_cast<int>(zufall() % 120);
        const int raster = 2 + static_cast<int>(zufall() % 12);
        std::vector<double> x, y;
        std::vector<int> starts;
        for (int r = 0; r < ringe; ++r) {
            starts.push_back(static_cast<int>(x.size()));
            const double gx = ox + 3.0 * static_cast<double>(zufall() % raster);
            const double gy = oy + 3.0 * static_cast<double>(zufall() % raster);
            const double s = 0.5 + static_cast<double>(zufall() % 6) * 0.5;
            switch (zufall() % 8) {
            case 0: // a copy of the ring before
                if (r > 0) {
                    const int von = starts[starts.size() - 2];
                    for (int k = von; k < starts.back(); ++k) {
                        x.push_back(x[static_cast<std::size_t>(k)]);
                        y.push_back(y[static_cast<std::size_t>(k)]);
                    }
                }
                break;
            case 1: // one or two points, or none
                for (unsigned k = zufall() % 3; k > 0; --k) {
                    x.push_back(gx + static_cast<double>(k) * 0.1);
                    y.push_back(gy);
                }
                break;
            case 2:
                for (const auto& [px, py] : {std::pair{0.0, 0.0}, {s, s}, {s, 0.0}, {0.0, 0.0}}) {
                    x.push_back(gx + px);
                    y.push_back(gy + py);
                }
                break;
            default:
                for (const auto& [px, py] :
                     {std::pair{0.0, 0.0}, {0.0, s}, {s, s}, {s, 0.0}, {0.0, 0.0}}) {
                    x.push_back(gx + px);
                    y.push_back(gy + py);
                }
            }
        }
        if (mitKreis) {
            starts.push_back(static_cast<int>(x.size()));
            const double r = 20000, w = 6.283185307179586 / 200000;
            for (int k = 0; k <= 200000; ++k) {
                x.push_back(ox - r + r * std::cos(k % 200000 * w));
                y.push_back(oy + r * std::sin(k % 200000 * w));
            }
        }
        SHPObject* o = SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(starts.size()),
                                       starts.data(), nullptr, static_cast<int>(x.size()), x.data(),
                                       y.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
        DBFWriteIntegerAttribute(dbf, satz, 0, satz);
    }
    SHPClose(shp);
    DBFClose(dbf);
    return basis + ".shp";
}

// Every ring-point entry of a run, beyond the ten per record the report shows.
std::string ringPunkte(const GeometriePruefung& p) {
    std::string text;
    for (const SatzBefund& b : p.saetze)
        for (const Fundstelle& f : b.ringe)
            text += std::to_string(b.satz) + ":" + std::to_string(f.teil) + "-" +
                    std::to_string(f.teilB) + "=" + std::to_string(f.ringFlags) + " ";
    return text;
}

} // namespace

TEST(RingPaare, RasterStimmtMitAllenPaarenUeberein) {
    const test::TestOrdner ordner;
    std::size_t eintraege = 0;
    for (unsigned saat = 1; saat <= 40; ++saat) {
        const std::string shp = vieleRinge(ordner, saat);
        for (const double abstand : {0.0, 0.25, 2.0}) {
            ::setenv("TRELVIK_BRUTE", "1", 1);
            const GeometriePruefung alle = pruefeGeometrie(shp, abstand, 0.1, nullptr, 1);
            ::setenv("TRELVIK_BRUTE", "0", 1);
            const GeometriePruefung raster = pruefeGeometrie(shp, abstand, 0.1, nullptr, 1);
            ::unsetenv("TRELVIK_BRUTE");
            ASSERT_TRUE(alle.vollstaendig) << alle.grund;
            ASSERT_EQ(geometrieBericht(raster), geometrieBericht(alle))
                << "seed " << saat << ", distance " << abstand;
            const std::string punkte = ringPunkte(alle);
            ASSERT_EQ(ringPunkte(raster), punkte) << "seed " << saat;
            eintraege += static_cast<std::size_t>(std::count(punkte.begin(), punkte.end(), ' '));
        }
    }
    // The files give both outcomes of the pair test in plenty.
    EXPECT_GT(eintraege, 2000u);
}

// The rings A of a record of many points go to several threads in stretches: the same ring
// points, in the same order, as on one.
TEST(RingPaare, AufMehrerenThreadsWieAufEinem) {
    const test::TestOrdner ordner;
    std::size_t eintraege = 0;
    for (unsigned saat = 1; saat <= 6; ++saat) {
        const std::string shp = vieleRinge(ordner, saat, true);
        const GeometriePruefung eins = pruefeGeometrie(shp, 0.25, 0.1, nullptr, 1);
        const GeometriePruefung drei = pruefeGeometrie(shp, 0.25, 0.1, nullptr, 3);
        ASSERT_TRUE(eins.vollstaendig && drei.vollstaendig) << eins.grund << drei.grund;
        const std::string punkte = ringPunkte(eins);
        ASSERT_EQ(ringPunkte(drei), punkte) << "seed " << saat;
        ASSERT_EQ(geometrieBericht(drei), geometrieBericht(eins)) << "seed " << saat;
        eintraege += static_cast<std::size_t>(std::count(punkte.begin(), punkte.end(), ' '));
    }
    EXPECT_GT(eintraege, 300u);
}

TEST(PruefLauf, AnzeigeBewegtSichAuchInEinemGrossenRing) {
    // One star ring, dense everywhere, on the all-pairs path, where its self-crossing test
    // alone takes seconds; the ring doubles until it does on this machine.
    struct AllePaare {
        AllePaare() { ::setenv("TRELVIK_BRUTE", "1", 1); }
        ~AllePaare() { ::unsetenv("TRELVIK_BRUTE"); }
    } allePaare;
    const test::TestOrdner ordner;
    const std::string basis = ordner / "stern";
    using Uhr = std::chrono::steady_clock;
    struct Anzeige : PruefAnzeige {
        std::vector<Uhr::time_point> zeiten{Uhr::now()};
        std::vector<std::string> status;
        void statusAnzeigen(const std::string& s) override {
            zeiten.push_back(Uhr::now());
            status.push_back(s);
        }
        void fortschritt(std::int32_t, std::int32_t) override { zeiten.push_back(Uhr::now()); }
    };
    for (int n = 30000;; n *= 2) {
        std::mt19937 zufall(4711);
        std::uniform_real_distribution<double> radius(30000, 50000);
        std::vector<double> x, y;
        for (int k = 0; k < n; ++k) {
            const double w = -2 * M_PI * k / n, r = radius(zufall);
            x.push_back(500000 + r * std::cos(w));
            y.push_back(5600000 + r * std::sin(w));
        }
        x.push_back(x[0]);
        y.push_back(y[0]);
        SHPHandle shp = SHPCreate(basis.c_str(), SHPT_POLYGON);
        DBFHandle dbf = DBFCreate(basis.c_str());
        DBFAddField(dbf, "ID", FTInteger, 5, 0);
        SHPObject* o = SHPCreateSimpleObject(SHPT_POLYGON, n + 1, x.data(), y.data(), nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
        DBFWriteIntegerAttribute(dbf, 0, 0, 1);
        SHPClose(shp);
        DBFClose(dbf);

        Anzeige anzeige;
        const GeometriePruefung p = pruefeGeometrie(basis + ".shp", 0.25, 25, &anzeige);
        const auto ende = Uhr::now();
        ASSERT_TRUE(p.vollstaendig);
        if (ende - anzeige.zeiten.front() < std::chrono::seconds(2)) {
            ASSERT_LT(n, 30000 * 16) << "too fast to tell";
            continue;
        }
        anzeige.zeiten.push_back(ende);
        for (std::size_t k = 1; k < anzeige.zeiten.size(); ++k)
            EXPECT_LT(anzeige.zeiten[k] - anzeige.zeiten[k - 1], std::chrono::seconds(1)) << k;
        // It says which record and part, and for how long.
        EXPECT_NE(std::find(anzeige.status.begin(), anzeige.status.end(),
                            "Teste Satz 1: Teil 1/1... 1 s"),
                  anzeige.status.end());
        break;
    }
}

TEST(PruefLauf, TeileEinesGrossenSatzesAufMehrerenThreadsWieAufEinem) {
    // One record of 60 rings, 250,000 points, with findings in many of them: spikes that
    // cross, repeated points, rings too small, an open ring, a coordinate that is no number.
    const test::TestOrdner ordner;
    const std::string basis = ordner / "inseln";
    std::mt19937 zufall(7);
    std::vector<double> x, y;
    std::vector<int> starts;
    for (int r = 0; r < 60; ++r) {
        starts.push_back(static_cast<int>(x.size()));
        const int n = r % 7 == 3 ? 4 : 3000 + static_cast<int>(zufall() % 6000);
        const double radius = r % 7 == 3 ? 0.5 : 100 + static_cast<double>(zufall() % 50);
        for (int k = 0; k < n; ++k) {
            const double w = 6.283185307179586 * k / n;
            const double rr = (k % 997 == 5 && r % 3 == 0) ? 3 * radius : radius;
            x.push_back(1000.0 * r + rr * std::cos(w));
            y.push_back(rr * std::sin(w));
            if (k % 1201 == 7 && r % 4 == 1) {
                x.push_back(x.back());
                y.push_back(y.back());
            }
        }
        if (r == 20)
            y.back() = std::nan("");
        if (r != 41) {
            x.push_back(x[static_cast<std::size_t>(starts.back())]);
            y.push_back(y[static_cast<std::size_t>(starts.back())]);
        }
    }
    SHPHandle shp = SHPCreate(basis.c_str(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(basis.c_str());
    DBFAddField(dbf, "ID", FTInteger, 5, 0);
    SHPObject* o =
        SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(starts.size()), starts.data(), nullptr,
                        static_cast<int>(x.size()), x.data(), y.data(), nullptr, nullptr);
    SHPWriteObject(shp, -1, o);
    SHPDestroyObject(o);
    DBFWriteIntegerAttribute(dbf, 0, 0, 1);
    SHPClose(shp);
    DBFClose(dbf);
    ASSERT_GT(x.size(), 250000u);

    const auto alles = [](const GeometriePruefung& p) {
        std::ostringstream s;
        s << std::hexfloat << p.teileGeprueft << " " << p.flaechenFehler << " " << p.laengenFehler
          << "\n";
        for (const SatzBefund& b : p.saetze) {
            s << b.hatBefund() << b.schneidet << b.flaecheZuKlein << b.abstandZuKlein
              << b.punktanzahlZuKlein << " " << b.kleinsteFlaeche << " " << b.kleinsterAbstand;
            for (const auto* liste : {&b.flaechen, &b.schnitte})
                for (const Fundstelle& f : *liste)
                    s << "\n"
                      << static_cast<int>(f.art) << " " << f.teil << " " << f.ort.x << " "
                      << f.ort.y << " " << f.flaeche << " " << f.abstand;
            for (const std::string& z : b.formatFehler)
                s << "\n" << z;
        }
        return s.str();
    };
    const GeometriePruefung eins = pruefeGeometrie(basis + ".shp", 0.25, 25, nullptr, 1);
    const GeometriePruefung drei = pruefeGeometrie(basis + ".shp", 0.25, 25, nullptr, 3);
    ASSERT_TRUE(eins.vollstaendig && drei.vollstaendig);
    ASSERT_EQ(eins.saetze.size(), 1u);
    EXPECT_EQ(alles(drei), alles(eins));
    EXPECT_EQ(geometrieBericht(drei), geometrieBericht(eins));
    // Findings of every kind, from parts all over the record.
    const SatzBefund& b = eins.saetze[0];
    EXPECT_TRUE(b.schneidet && b.flaecheZuKlein && b.abstandZuKlein);
    EXPECT_EQ(b.formatFehler.size(), 2u);
    EXPECT_GT(b.schnitte.size(), 10u);
    EXPECT_GT(b.flaechen.size(), 10u);
}
