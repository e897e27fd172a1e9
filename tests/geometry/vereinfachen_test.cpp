#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

using namespace testhilfe;
namespace geo = trelvik::geo;

namespace {

struct Vereinfacht {
    std::vector<Punkt> punkte;
    double kuerzeste;
};

Vereinfacht vereinfache(const std::vector<Punkt>& p, double t) {
    // Exactly as much room as points: a write past it is caught by the sanitizer.
    std::vector<Punkt> ergebnis(p.size(), Punkt{-7, -7});
    double kuerzeste = 99;
    const int32_t m = geo::poly_simplify(t, p.data(), anzahl(p), ergebnis.data(), &kuerzeste);
    EXPECT_GE(m, 0);
    ergebnis.resize(static_cast<std::size_t>(m));
    return {ergebnis, kuerzeste};
}

} // namespace

TEST(Vereinfachen, GeradeLinieBehaeltNurIhreEnden) {
    std::vector<Punkt> linie;
    for (int i = 0; i < 10; ++i)
        linie.push_back({1.5 * i, 2.0 * i});
    for (const double t : {0.01, 1.0, 100.0}) {
        const auto r = vereinfache(linie, t);
        ASSERT_EQ(r.punkte.size(), 2u) << t;
        EXPECT_EQ(r.punkte[0], linie.front());
        EXPECT_EQ(r.punkte[1], linie.back());
        EXPECT_DOUBLE_EQ(r.kuerzeste, 22.5);
    }
}

TEST(Vereinfachen, OhneToleranzFallenNurPunkteGenauAufDerSehne) {
    const auto r = vereinfache({{0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}}, 0);
    ASSERT_EQ(r.punkte.size(), 4u);
    EXPECT_EQ(r.punkte[1], (Punkt{2, 0}));
    EXPECT_EQ(r.punkte[2], (Punkt{3, 1}));
    EXPECT_DOUBLE_EQ(r.kuerzeste, 1.0);
}

TEST(Vereinfachen, GeschlossenerRingBehaeltEndenUndFernstenPunkt) {
    const auto r = vereinfache({{0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}}, 0.8);
    ASSERT_EQ(r.punkte.size(), 3u);
    EXPECT_EQ(r.punkte[0], (Punkt{0, 0}));
    EXPECT_EQ(r.punkte[1], (Punkt{1, 1}));
    EXPECT_EQ(r.punkte[2], (Punkt{0, 0}));
    EXPECT_DOUBLE_EQ(r.kuerzeste, std::sqrt(2.0));
}

TEST(Vereinfachen, AbstandGenauGleichDerToleranzFaellt) {
    EXPECT_EQ(vereinfache({{0, 0}, {1, 0.5}, {2, 0}}, 0.5).punkte.size(), 2u);
    EXPECT_EQ(vereinfache({{0, 0}, {1, 0.5}, {2, 0}}, 0.49).punkte.size(), 3u);
}

TEST(Vereinfachen, VorlaufVerwirftPunkteNaheDemLetztenBehaltenen) {
    // (5,0.8) is dropped beside (5,0.4) before Douglas-Peucker sees it; on its own it would stay.
    const auto r = vereinfache({{0, 0}, {5, 0.4}, {5, 0.8}, {10, 0}}, 0.5);
    ASSERT_EQ(r.punkte.size(), 2u);
    EXPECT_EQ(vereinfache({{0, 0}, {5, 0.8}, {10, 0}}, 0.5).punkte.size(), 3u);
}

TEST(Vereinfachen, EndpunktBleibtAuchNaheDemLetztenBehaltenen) {
    const auto r = vereinfache({{0, 0}, {3, 3}, {3, 3.2}}, 0.5);
    ASSERT_EQ(r.punkte.size(), 2u);
    EXPECT_EQ(r.punkte[1], (Punkt{3, 3.2}));
    EXPECT_DOUBLE_EQ(r.kuerzeste, std::sqrt(9 + 3.2 * 3.2));
}

TEST(Vereinfachen, WenigerAlsZweiPunkteGebenNull) {
    const std::vector<Punkt> p{{1, 1}};
    for (const int32_t n : {1, 0, -5}) {
        Punkt ergebnis{};
        double kuerzeste = 5;
        EXPECT_EQ(geo::poly_simplify(1.0, p.data(), n, &ergebnis, &kuerzeste), 0);
        EXPECT_EQ(kuerzeste, -1.0);
    }
}

TEST(Vereinfachen, NaNUndGrosseKoordinaten) {
    const auto kaputt =
        vereinfache({{0, 0}, {keineZahl, keineZahl}, {5, 5}, {unendlich, 0}, {9, 9}}, 1.0);
    ASSERT_GE(kaputt.punkte.size(), 2u);
    EXPECT_EQ(kaputt.punkte.front(), (Punkt{0, 0}));
    EXPECT_EQ(kaputt.punkte.back(), (Punkt{9, 9}));
    const auto gross = vereinfache({{1e15, 1e15}, {1e15 + 4, 1e15 + 2}, {1e15 + 8, 1e15}}, 1.0);
    EXPECT_EQ(gross.punkte.size(), 3u);
}
