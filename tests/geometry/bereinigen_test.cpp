#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

using namespace testhilfe;
namespace geo = trelvik::geo;

namespace {

std::vector<Punkt> erste(const std::vector<Punkt>& p, int32_t n) {
    return {p.begin(), p.begin() + n};
}

void erwartePunkte(const std::vector<Punkt>& ist, const std::vector<Punkt>& soll,
                   double toleranz = 1e-12) {
    ASSERT_EQ(ist.size(), soll.size());
    for (std::size_t i = 0; i < ist.size(); ++i) {
        EXPECT_NEAR(ist[i].x, soll[i].x, toleranz) << "point " << i;
        EXPECT_NEAR(ist[i].y, soll[i].y, toleranz) << "point " << i;
    }
}

} // namespace

TEST(PunkteZusammenfassen, ErsterPunktEinesRingsNimmtDenSchlusspunktMit) {
    std::vector<Punkt> ring{{0, 0}, {0.5, 0}, {5, 0}, {5, 5}, {0, 5}, {0, 0}};
    const int32_t n = geo::loeschePunkte(ring.data(), anzahl(ring), 1.0, 1);
    ASSERT_EQ(n, 5);
    erwartePunkte(erste(ring, n), {{0.25, 0}, {5, 0}, {5, 5}, {0, 5}, {0.25, 0}});
}

TEST(PunkteZusammenfassen, SchlusspunktEinesRingsNimmtDenErstenMit) {
    std::vector<Punkt> ring{{0, 0}, {5, 0}, {5, 5}, {0.3, 0}, {0, 0}};
    const int32_t n = geo::loeschePunkte(ring.data(), anzahl(ring), 1.0, 1);
    ASSERT_EQ(n, 4);
    erwartePunkte(erste(ring, n), {{0.15, 0}, {5, 0}, {5, 5}, {0.15, 0}});
}

TEST(PunkteZusammenfassen, OffeneLinieLaesstIhreEndenUnverbunden) {
    std::vector<Punkt> linie{{0, 0}, {0.5, 0}, {5, 0}, {5, 5}, {0.3, 5}, {0, 5}};
    const int32_t n = geo::loeschePunkte(linie.data(), anzahl(linie), 1.0, 0);
    ASSERT_EQ(n, 4);
    erwartePunkte(erste(linie, n), {{0.25, 0}, {5, 0}, {5, 5}, {0.15, 5}});
}

TEST(PunkteZusammenfassen, DreiNahePunkteFallenSchrittweiseZusammen) {
    std::vector<Punkt> linie{{0, 0}, {0.4, 0}, {0.8, 0}, {5, 0}};
    const int32_t n = geo::loeschePunkte(linie.data(), anzahl(linie), 1.0, 0);
    ASSERT_EQ(n, 2);
    erwartePunkte(erste(linie, n), {{0.5, 0}, {5, 0}});
    EXPECT_EQ(linie[3], (Punkt{5, 0})); // past the new count: left as it was
}

TEST(PunkteZusammenfassen, KleineVarianteMitFesterSchwelle) {
    std::vector<Punkt> weit{{0, 0}, {0.001, 0}, {0.002, 0}};
    EXPECT_EQ(geo::loeschePunkteSmall(weit.data(), 3, 0), 3);
    std::vector<Punkt> nah{{0, 0}, {0.00005, 0}, {1, 0}};
    ASSERT_EQ(geo::loeschePunkteSmall(nah.data(), 3, 0), 2);
    EXPECT_DOUBLE_EQ(nah[0].x, 0.000025);
}

TEST(PunkteZusammenfassen, WenigeOderNegativePunkteUndNaN) {
    std::vector<Punkt> p{{0, 0}, {keineZahl, keineZahl}, {5, 0}, {5, 0.5}};
    EXPECT_EQ(geo::loeschePunkte(p.data(), 0, 1.0, 1), 0);
    EXPECT_EQ(geo::loeschePunkte(p.data(), 1, 1.0, 1), 1);
    EXPECT_EQ(geo::loeschePunkte(p.data(), -4, 1.0, 1), 0);
    // A NaN point merges with nothing, and its neighbours keep their values.
    ASSERT_EQ(geo::loeschePunkte(p.data(), 4, 1.0, 0), 3);
    EXPECT_EQ(p[0], (Punkt{0, 0}));
    EXPECT_TRUE(std::isnan(p[1].x));
    EXPECT_EQ(p[2], (Punkt{5, 0.25}));
}

namespace {

// Square 0..10 with an inlet from the bottom edge: mouth (5,0)-(5.2,0) 0.2 wide, inside a
// trapezoid of area 6.6.
const std::vector<Punkt> mitBucht{{0, 0},  {5, 0},   {3, 3},  {7.2, 3}, {5.2, 0},
                                  {10, 0}, {10, 10}, {0, 10}, {0, 0}};

} // namespace

TEST(KleineSchleifen, SchmaleBuchtUnterDerMindestflaecheWirdAbgeschnitten) {
    auto p = mitBucht;
    const int32_t n = geo::entferneKleineFlaechen(p.data(), anzahl(p), 0.5, 10.0);
    ASSERT_EQ(n, 7);
    erwartePunkte(erste(p, n), {{0, 0}, {5, 0}, {5.2, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}});
}

TEST(KleineSchleifen, GroessereOderOhneMindestflaecheBleibtAlles) {
    for (const double a : {5.0, 0.0}) {
        auto p = mitBucht;
        EXPECT_EQ(geo::entferneKleineFlaechen(p.data(), anzahl(p), 0.5, a), anzahl(mitBucht));
        erwartePunkte(p, mitBucht, 0);
    }
}

TEST(KleineSchleifen, RueckkehrNaheDemBezugssegmentVerlegtDenVorgaenger) {
    // P4 comes back 0.2 above segment P0-P1: P3 moves to the foot (6,0), P1 and P2 go. Then P0
    // meets the way back from P3 = (0,3) at (6,0.2), which becomes the new P2.
    std::vector<Punkt> p{{0, 0}, {10, 0}, {10, 4}, {6, 4}, {6, 0.2}, {0, 3}, {0, 0}};
    const int32_t n = geo::entferneKleineFlaechen(p.data(), anzahl(p), 0.5, 20.0);
    ASSERT_EQ(n, 5);
    erwartePunkte(erste(p, n), {{0, 0}, {6, 0}, {6, 0.2}, {0, 3}, {0, 0}}, 1e-9);
}

TEST(KleineSchleifen, RueckkehrZumBezugspunktMisstBisZumTreffpunkt) {
    // The way back P4 -> P3 passes 0.3 from P0 at X = (0,0.3). Up to X the loop has area 32.95,
    // up to P4 it would have 33.4: with a minimum of 33.2 only the first is cut.
    std::vector<Punkt> p{{0, 0}, {10, 0}, {10, 5}, {3, 3}, {-3, -2.4}, {0, -5}, {0, 0}};
    const int32_t n = geo::entferneKleineFlaechen(p.data(), anzahl(p), 0.5, 33.2);
    ASSERT_EQ(n, 5);
    erwartePunkte(erste(p, n), {{0, 0}, {0, 0.3}, {-3, -2.4}, {0, -5}, {0, 0}}, 1e-9);
    auto unveraendert =
        std::vector<Punkt>{{0, 0}, {10, 0}, {10, 5}, {3, 3}, {-3, -2.4}, {0, -5}, {0, 0}};
    EXPECT_EQ(geo::entferneKleineFlaechen(unveraendert.data(), 7, 0.5, 32.9), 7);
}

TEST(KleineSchleifen, OhneBerechnetenTreffpunktWirdNichtsVerlegt) {
    // P3 lies within t of the reference segment, but segment and cross piece are too small for
    // a meeting point (determinant 8e-6). No point is computed, so nothing is cut or moved.
    const std::vector<Punkt> ring{{-0.02, 0},         {0.02, 0},  {0.02, 1},
                                  {0.00001, 0.00005}, {-0.02, 1}, {-0.02, 0}};
    auto p = ring;
    EXPECT_EQ(geo::entferneKleineFlaechen(p.data(), anzahl(p), 1e-4, 1.0), 6);
    erwartePunkte(p, ring, 0);
}

TEST(KleineSchleifen, HoechstensDreiPunkteBleibenUnveraendert) {
    std::vector<Punkt> p{{0, 0}, {0.1, 0}, {0, 0}};
    for (const int32_t n : {3, 2, 1, 0})
        EXPECT_EQ(geo::entferneKleineFlaechen(p.data(), n, 1.0, 100.0), n);
    EXPECT_EQ(geo::entferneKleineFlaechen(p.data(), -2, 1.0, 100.0), 0);
}

TEST(KleineSchleifen, NaNUndGrosseKoordinatenStuerzenNicht) {
    std::vector<Punkt> kaputt{{0, 0}, {keineZahl, 1}, {3, unendlich}, {4, 4}, {0, 4}, {0, 0}};
    const int32_t n = geo::entferneKleineFlaechen(kaputt.data(), anzahl(kaputt), 0.5, 10.0);
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 6);
    auto gross = verschoben(mitBucht, 1e15, 1e15);
    EXPECT_EQ(geo::entferneKleineFlaechen(gross.data(), anzahl(gross), 0.5, 10.0), 7);
    EXPECT_EQ(gross[2], (Punkt{1e15 + 5.2, 1e15}));
}

TEST(Zungen, NaheNachbarnLoeschenDieSpitze) {
    std::vector<Punkt> p{{0, 0}, {10, 0}, {0.5, 0}, {0.5, 5}};
    int32_t verschoben = -1;
    const int32_t n = geo::entferneZungen(p.data(), anzahl(p), 1.0, &verschoben);
    ASSERT_EQ(n, 3);
    erwartePunkte(erste(p, n), {{0, 0}, {0.5, 0}, {0.5, 5}});
    EXPECT_EQ(verschoben, 0);
}

TEST(Zungen, PunktAufDerSehneFaelltBeiJederToleranz) {
    for (const double t : {0.0, 0.1, -1.0}) {
        std::vector<Punkt> p{{0, 0}, {1, 1}, {2, 2}, {2, 5}};
        int32_t verschoben = -1;
        const int32_t n = geo::entferneZungen(p.data(), anzahl(p), t, &verschoben);
        ASSERT_EQ(n, 3) << t;
        erwartePunkte(erste(p, n), {{0, 0}, {2, 2}, {2, 5}});
    }
}

TEST(Zungen, SpitzeWirdAufDieFlankeZurueckgezogen) {
    std::vector<Punkt> p{{0, 0}, {10, 0}, {5, 0}, {5, 5}};
    int32_t verschoben = -1;
    const int32_t n = geo::entferneZungen(p.data(), anzahl(p), 1.0, &verschoben);
    ASSERT_EQ(n, 4);
    EXPECT_EQ(verschoben, 1);
    erwartePunkte(p, {{0, 0}, {5, 0}, {5, 0}, {5, 5}}, 1e-12);
}

TEST(Zungen, ErsterUndLetzteZweiPunkteBleiben) {
    // Everything collinear, yet P0 and the last two points are never removed.
    std::vector<Punkt> p{{0, 0}, {1, 0}, {2, 0}, {3, 0}, {4, 0}};
    int32_t verschoben = -1;
    const int32_t n = geo::entferneZungen(p.data(), anzahl(p), 0.1, &verschoben);
    ASSERT_EQ(n, 3);
    erwartePunkte(erste(p, n), {{0, 0}, {3, 0}, {4, 0}});
}

TEST(Zungen, HoechstensDreiPunkteBleibenUnveraendert) {
    std::vector<Punkt> p{{0, 0}, {10, 0}, {0.5, 0}};
    for (const int32_t n : {3, 2, 1, 0}) {
        int32_t verschoben = 7;
        EXPECT_EQ(geo::entferneZungen(p.data(), n, 1.0, &verschoben), n);
        EXPECT_EQ(verschoben, 0);
    }
    int32_t verschoben = 7;
    EXPECT_EQ(geo::entferneZungen(p.data(), -1, 1.0, &verschoben), 0);
    EXPECT_EQ(verschoben, 0);
}

TEST(Zungen, NaNStuerztNicht) {
    std::vector<Punkt> p{{0, 0}, {keineZahl, keineZahl}, {5, 5}, {unendlich, 0}, {0, 0}};
    int32_t verschoben = -1;
    const int32_t n = geo::entferneZungen(p.data(), anzahl(p), 1.0, &verschoben);
    EXPECT_EQ(n, 5);
    EXPECT_EQ(p[0], (Punkt{0, 0}));
    EXPECT_EQ(p[4], (Punkt{0, 0}));
}
