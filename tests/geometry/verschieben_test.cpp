#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

using namespace testhilfe;
namespace geo = trelvik::geo;

TEST(PunkteAuseinander, NahesPaarEndetUmDieZugabeJenseitsDesMindestabstands) {
    std::vector<Punkt> p{{0, 0}, {0.2, 0}};
    geo::LaengeVerschieben(p.data(), 1, 1.0);
    EXPECT_PUNKT_NAH(p[0], (Punkt{-0.405, 0}), 1e-12);
    EXPECT_PUNKT_NAH(p[1], (Punkt{0.605, 0}), 1e-12);
    EXPECT_NEAR(std::hypot(p[1].x - p[0].x, p[1].y - p[0].y), 1.01, 1e-12);
}

TEST(PunkteAuseinander, GleichePunkteGehenEntlangDerXAchse) {
    std::vector<Punkt> p{{3, 4}, {3, 4}};
    geo::LaengeVerschieben(p.data(), 1, 1.0);
    EXPECT_PUNKT_NAH(p[0], (Punkt{3.505, 4}), 1e-12);
    EXPECT_PUNKT_NAH(p[1], (Punkt{2.495, 4}), 1e-12);
    EXPECT_EQ(p[0].y, 4.0);
}

TEST(PunkteAuseinander, SpaeterePareSehenDieVerschobenenPunkte) {
    std::vector<Punkt> p{{0, 0}, {0.5, 0}, {1.2, 0}};
    geo::LaengeVerschieben(p.data(), 2, 1.0);
    EXPECT_NEAR(p[0].x, -0.255, 1e-12);
    EXPECT_NEAR(p[1].x, 0.4725, 1e-12);
    EXPECT_NEAR(p[2].x, 1.4825, 1e-12);
}

TEST(PunkteAuseinander, WeitePaareUndWenigePunkteBleiben) {
    // P2 equals P0 but lies past last; the pair P0-P1 is exactly t apart, not below it.
    std::vector<Punkt> p{{0, 0}, {1, 0}, {0, 0}};
    geo::LaengeVerschieben(p.data(), 1, 1.0);
    geo::LaengeVerschieben(p.data(), 0, 5.0);
    geo::LaengeVerschieben(p.data(), -3, 5.0);
    EXPECT_EQ(p[0], (Punkt{0, 0}));
    EXPECT_EQ(p[1], (Punkt{1, 0}));
    EXPECT_EQ(p[2], (Punkt{0, 0}));
}

TEST(PunkteAuseinander, NaNPunktVerdirbtSeineNachbarnNicht) {
    std::vector<Punkt> p{{0, 0}, {keineZahl, keineZahl}, {5, 0}, {1e15, 1e15}, {unendlich, 0}};
    geo::LaengeVerschieben(p.data(), 4, 1.0);
    EXPECT_EQ(p[0], (Punkt{0, 0}));
    EXPECT_EQ(p[2], (Punkt{5, 0}));
    EXPECT_EQ(p[3], (Punkt{1e15, 1e15}));
}

TEST(RingeAuseinander, PunktVonBNaheEinemSegmentVonAGehtSenkrechtWeg) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    std::vector<Punkt> b{{5, 0.3}, {5, 5}};
    geo::MultiPolygonVerschieben(a.data(), 2, b.data(), 2, 1.0, 0);
    EXPECT_PUNKT_NAH(b[0], (Punkt{5, 1.01}), 1e-12);
    EXPECT_EQ(b[1], (Punkt{5, 5}));
    EXPECT_EQ(a[0], (Punkt{0, 0}));
}

TEST(RingeAuseinander, PunktAufDerVerlaengerungBleibt) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    std::vector<Punkt> b{{10.5, 0}, {20, 5}};
    geo::MultiPolygonVerschieben(a.data(), 2, b.data(), 2, 1.0, 0);
    EXPECT_EQ(b[0], (Punkt{10.5, 0}));
    EXPECT_EQ(b[1], (Punkt{20, 5}));
    std::vector<Punkt> umgekehrt{{20, 5}, {10.5, 0}};
    geo::MultiPolygonVerschieben(a.data(), 2, umgekehrt.data(), 2, 1.0, 0);
    EXPECT_EQ(umgekehrt[1], (Punkt{10.5, 0}));
}

TEST(RingeAuseinander, BeideEndenEinesSegmentsWerdenGeschoben) {
    // A ring B lying 0.5 inside along A's bottom edge: both lower vertices are pushed up.
    const std::vector<Punkt> a{{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
    std::vector<Punkt> b{{3, 0.5}, {6, 0.5}, {6, 5}, {3, 5}};
    geo::MultiPolygonVerschieben(a.data(), 5, b.data(), 4, 1.0, 0);
    EXPECT_PUNKT_NAH(b[0], (Punkt{3, 1.01}), 1e-12);
    EXPECT_PUNKT_NAH(b[1], (Punkt{6, 1.01}), 1e-12);
    EXPECT_EQ(b[2], (Punkt{6, 5}));
    EXPECT_EQ(b[3], (Punkt{3, 5}));
}

TEST(RingeAuseinander, WenigePunkteNaNUndGrosseKoordinaten) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    std::vector<Punkt> b{{5, 0.3}, {5, 5}};
    geo::MultiPolygonVerschieben(a.data(), 1, b.data(), 2, 1.0, 0);
    geo::MultiPolygonVerschieben(a.data(), 2, b.data(), 1, 1.0, 0);
    geo::MultiPolygonVerschieben(a.data(), -1, b.data(), -1, 1.0, 0);
    EXPECT_EQ(b[0], (Punkt{5, 0.3}));
    std::vector<Punkt> kaputt{{5, 0.3}, {keineZahl, keineZahl}, {6, 0.3}};
    geo::MultiPolygonVerschieben(a.data(), 2, kaputt.data(), 3, 1.0, 0);
    EXPECT_EQ(kaputt[0], (Punkt{5, 0.3})); // its segments have NaN circles: never tested
    const auto ga = verschoben(a, 1e15, 1e15);
    auto gb = verschoben({{5, 0.5}, {5, 5}}, 1e15, 1e15);
    geo::MultiPolygonVerschieben(ga.data(), 2, gb.data(), 2, 1.0, 0);
    EXPECT_EQ(gb[0].x, 1e15 + 5);
    EXPECT_NEAR(gb[0].y - 1e15, 1.0, 0.13); // 1.01 at a spacing of 0.125
}
