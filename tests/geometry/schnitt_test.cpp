#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

#include <random>

using namespace testhilfe;
namespace geo = trelvik::geo;

namespace {

constexpr int32_t linie = 3;
constexpr int32_t polygon = 5;

struct Kreuzung {
    int32_t anzahl;
    Punkt punkt;
};

Kreuzung polygonTest(const std::vector<Punkt>& p, int32_t art) {
    int32_t anzahl = -1;
    int32_t null1 = -1;
    int32_t null2 = -1;
    Punkt punkt{-99, -99};
    geo::PolygonTest(p.data(), letzter(p), &anzahl, &null1, &null2, 0.5, art, &punkt);
    EXPECT_EQ(null1, 0);
    EXPECT_EQ(null2, 0);
    return {anzahl, punkt};
}

const std::vector<Punkt> quadrat{{2, 3}, {2, 4}, {3, 4}, {3, 3}, {2, 3}};

} // namespace

TEST(Selbstschnitt, GeschlossenesQuadratAlsRingOhneAlsLinieMitKreuzung) {
    const auto ring = polygonTest(quadrat, polygon);
    EXPECT_EQ(ring.anzahl, 0);
    EXPECT_EQ(ring.punkt, (Punkt{0, 0})); // no crossing: the point is still written
    // As a line the first and last segment meet at the closing point.
    const auto offen = polygonTest(quadrat, linie);
    EXPECT_EQ(offen.anzahl, 1);
    EXPECT_EQ(offen.punkt, (Punkt{2, 3}));
}

TEST(Selbstschnitt, AchtGibtEineKreuzungInDerMitte) {
    const std::vector<Punkt> acht{{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}};
    const auto r = polygonTest(acht, polygon);
    EXPECT_EQ(r.anzahl, 1);
    EXPECT_PUNKT_NAH(r.punkt, (Punkt{1, 1}), 1e-12);
}

TEST(Selbstschnitt, KreuzungspunktIstDerDesLetztenGezaehltenPaares) {
    // As a line, the pair (1, 4) meeting at the closing point comes after the middle crossing.
    const auto acht = verschoben({{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}}, 10, 20);
    const auto r = polygonTest(acht, linie);
    EXPECT_EQ(r.anzahl, 2);
    EXPECT_PUNKT_NAH(r.punkt, (Punkt{10, 20}), 1e-12);
}

TEST(Selbstschnitt, BeruehrenderPunktZaehltAlsKreuzung) {
    // (2,0) lies on segment 1: segments 3 and 4 both touch it.
    const std::vector<Punkt> ring{{0, 0}, {4, 0}, {4, 3}, {2, 0}, {0, 3}, {0, 0}};
    const auto r = polygonTest(ring, polygon);
    EXPECT_EQ(r.anzahl, 2);
    EXPECT_PUNKT_NAH(r.punkt, (Punkt{2, 0}), 1e-12);
}

TEST(Selbstschnitt, WiederholterPunktLaesstSeineNachbarnSichBeruehren) {
    const std::vector<Punkt> ring{{0, 0}, {4, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}};
    const auto r = polygonTest(ring, polygon);
    EXPECT_EQ(r.anzahl, 1);
    EXPECT_PUNKT_NAH(r.punkt, (Punkt{4, 0}), 1e-12);
}

TEST(Selbstschnitt, KollineareUeberlappungOhneBerechnetenPunktNenntEinenPunktAufDemAnderen) {
    // The line runs back over itself: segment 3 overlaps segment 1, no point is computable.
    // Of P1, P0, P3, P2 the first on the other segment is P3.
    const auto hin = verschoben({{0, 0}, {4, 0}, {3, 0}, {1, 0}}, 100, 200);
    const auto r = polygonTest(hin, linie);
    EXPECT_EQ(r.anzahl, 1);
    EXPECT_EQ(r.punkt, (Punkt{101, 200}));
}

TEST(Selbstschnitt, UeberlappungNenntZuerstDenEigenenEndpunkt) {
    // Segment 3 covers segment 1 completely: P1 and P0 both lie on it; P1 comes first.
    const auto p = verschoben({{0, 0}, {2, 0}, {3, 0}, {-1, 0}}, 100, 200);
    const auto r = polygonTest(p, linie);
    EXPECT_EQ(r.anzahl, 1);
    EXPECT_EQ(r.punkt, (Punkt{102, 200}));
}

TEST(Selbstschnitt, BerechneterPunktBleibtTrotzSpaetererUeberlappung) {
    // The crossing at (1,1) is computed first; the later collinear pair (5, 7) keeps it.
    const std::vector<Punkt> p{{0, 0},   {2, 2},   {2, 0},   {0, 2},
                               {10, 10}, {14, 10}, {13, 10}, {11, 10}};
    const auto r = polygonTest(p, linie);
    EXPECT_EQ(r.anzahl, 2);
    EXPECT_PUNKT_NAH(r.punkt, (Punkt{1, 1}), 1e-12);
}

TEST(Selbstschnitt, ZuWenigSegmenteGebenNullUndSetzenAlleAusgaben) {
    for (const int32_t letzter : {2, 1, 0, -1, -50}) {
        int32_t anzahl = 5;
        int32_t null1 = 5;
        int32_t null2 = 5;
        Punkt punkt{9, 9};
        geo::PolygonTest(quadrat.data(), letzter, &anzahl, &null1, &null2, 0, linie, &punkt);
        EXPECT_EQ(anzahl, 0) << letzter;
        EXPECT_EQ(null1, 0);
        EXPECT_EQ(null2, 0);
        EXPECT_EQ(punkt, (Punkt{0, 0}));
    }
}

TEST(Selbstschnitt, GrosseKoordinatenRechnenRelativZumErstenPunkt) {
    const auto acht = verschoben({{0, 0}, {2, 2}, {2, 0}, {0, 2}, {0, 0}}, 1e15, 1e15);
    const auto r = polygonTest(acht, polygon);
    EXPECT_EQ(r.anzahl, 1);
    EXPECT_EQ(r.punkt, (Punkt{1e15 + 1, 1e15 + 1}));
}

TEST(Selbstschnitt, NaNPunktZaehltMitSeinenSegmentenStuerztAberNicht) {
    // Orientation against NaN is undecided, so both non-adjacent pairs at the NaN point count.
    const std::vector<Punkt> ring{{0, 0}, {4, 0}, {keineZahl, keineZahl}, {0, 4}, {0, 0}};
    EXPECT_EQ(polygonTest(ring, polygon).anzahl, 2);
    const std::vector<Punkt> mitUnendlich{{0, 0}, {4, 0}, {unendlich, 2}, {0, 4}, {0, 0}};
    polygonTest(mitUnendlich, polygon);
}

namespace {

struct Kontakt {
    int32_t flags;
    Punkt a, b;
};

Kontakt multiTest(const std::vector<Punkt>& a, const std::vector<Segmentkreis>& ka,
                  const std::vector<Punkt>& b, const std::vector<Segmentkreis>& kb, double t) {
    Kontakt k{-1, {-9, -9}, {-9, -9}};
    k.flags = geo::MultiPolygonTest(a.data(), anzahl(a), ka.data(), b.data(), anzahl(b), kb.data(),
                                    t, &k.a, &k.b);
    return k;
}

Kontakt multiTest(const std::vector<Punkt>& a, const std::vector<Punkt>& b, double t) {
    return multiTest(a, riesenKreise(a), b, riesenKreise(b), t);
}

const std::vector<Punkt> einheit{{0, 0}, {0, 1}, {1, 1}, {1, 0}, {0, 0}};

} // namespace

TEST(RingKontakt, NaheEckenInnerhalbDerToleranz) {
    const auto rechts = verschoben(einheit, 1.5, 0);
    const auto nah = multiTest(einheit, rechts, 1.0);
    EXPECT_EQ(nah.flags, 1);
    EXPECT_EQ(nah.a, (Punkt{1, 1}));
    EXPECT_EQ(nah.b, (Punkt{1.5, 1}));
    EXPECT_EQ(multiTest(einheit, rechts, 0.4).flags, 0);
}

TEST(RingKontakt, GemeinsameKanteGibtBeides) {
    const auto rechts = verschoben(einheit, 1, 0);
    const auto k = multiTest(einheit, kreise(einheit, 0.2), rechts, kreise(rechts, 0.2), 0.1);
    EXPECT_EQ(k.flags, 3);
    EXPECT_EQ(k.a, (Punkt{1, 1}));
    EXPECT_EQ(k.b, (Punkt{1, 1}));
}

TEST(RingKontakt, LotDesVorherigenPunktsNenntDiesenPunkt) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    // B[q-1] is 0.25 above A's segment: the place of B is B[q-1].
    const auto k = multiTest(a, {{5, 0.25}, {5, 5}}, 0.5);
    EXPECT_EQ(k.flags, 1);
    EXPECT_EQ(k.a, (Punkt{10, 0}));
    EXPECT_EQ(k.b, (Punkt{5, 0.25}));
    // The same point as B[q]: found by the first distance test, still at that point.
    const auto umgekehrt = multiTest(a, {{5, 5}, {5, 0.25}}, 0.5);
    EXPECT_EQ(umgekehrt.flags, 1);
    EXPECT_EQ(umgekehrt.b, (Punkt{5, 0.25}));
    EXPECT_EQ(multiTest(a, {{5, 0.25}, {5, 5}}, 0.25).flags, 0); // strictly below
}

TEST(RingKontakt, PunktJenseitsDesSegmentendesZaehltNurUeberDieEcke) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    const std::vector<Punkt> b{{10.6, 0}, {20, 5}};
    EXPECT_EQ(multiTest(a, b, 0.5).flags, 0);
    const auto k = multiTest(a, b, 0.7);
    EXPECT_EQ(k.flags, 1);
    EXPECT_EQ(k.a, (Punkt{10, 0}));
    EXPECT_EQ(k.b, (Punkt{20, 5}));
}

TEST(RingKontakt, VorfilterUeberspringtPaareMitGetrenntenKreisen) {
    const std::vector<Punkt> a{{0, 0}, {10, 0}};
    const std::vector<Punkt> b{{5, -1}, {5, 1}};
    EXPECT_EQ(multiTest(a, kreise(a), b, kreise(b), 0).flags, 2);
    const std::vector<Segmentkreis> klein{{5, 0, 0.5}};
    const std::vector<Segmentkreis> weit{{5, 3, 2.5}}; // touches the other circle: not enough
    EXPECT_EQ(multiTest(a, klein, b, weit, 0).flags, 0);
    const std::vector<Segmentkreis> ueberlappt{{5, 3, 2.5625}};
    EXPECT_EQ(multiTest(a, klein, b, ueberlappt, 0).flags, 2);
}

TEST(RingKontakt, ZuWenigPunkteGebenNull) {
    const std::vector<Punkt> einer{{0.5, 0.5}};
    for (const int32_t n : {1, 0, -3}) {
        Punkt pa{-9, -9};
        Punkt pb{-9, -9};
        const auto k = kreise(einheit);
        EXPECT_EQ(geo::MultiPolygonTest(einheit.data(), 5, k.data(), einer.data(), n, k.data(), 1,
                                        &pa, &pb),
                  0);
        EXPECT_EQ(pb, (Punkt{0, 0}));
        EXPECT_EQ(geo::MultiPolygonTest(einer.data(), n, k.data(), einheit.data(), 5, k.data(), 1,
                                        &pa, &pb),
                  0);
        EXPECT_EQ(pa, (Punkt{0, 0}));
    }
}

TEST(RingKontakt, NaNUndGrosseKoordinaten) {
    const std::vector<Punkt> kaputt{{0, 0}, {keineZahl, keineZahl}, {1, 1}, {0, 0}};
    // A NaN circle never passes the pre-filter; the rest is tested as usual.
    const auto k = multiTest(einheit, kreise(einheit), kaputt, kreise(kaputt), 0.1);
    EXPECT_EQ(k.flags, 3);
    const auto gross = verschoben(einheit, 1e15, 1e15);
    const auto daneben = verschoben(einheit, 1e15 + 1, 1e15);
    const auto g = multiTest(gross, kreise(gross, 0.2), daneben, kreise(daneben, 0.2), 0.1);
    EXPECT_EQ(g.flags, 3);
    EXPECT_EQ(g.a, (Punkt{1e15 + 1, 1e15 + 1}));
}

namespace {

std::vector<Punkt> sternRing(std::mt19937& zufall, int n, double cx, double cy) {
    std::uniform_real_distribution<double> radius(1, 10);
    std::vector<Punkt> p;
    for (int i = 0; i < n; ++i) {
        const double w = 2 * 3.14159265358979 * i / n;
        const double r = radius(zufall);
        p.push_back({cx + r * std::cos(w), cy + r * std::sin(w)});
    }
    p.push_back(p.front());
    return p;
}

// Plain reference for proper crossings of random segments (no touching in general position).
bool kreuzen(Punkt a, Punkt b, Punkt c, Punkt d) {
    const auto seite = [](Punkt p, Punkt q, Punkt r) {
        return (q.x - p.x) * (r.y - p.y) - (q.y - p.y) * (r.x - p.x);
    };
    return seite(a, b, c) * seite(a, b, d) < 0 && seite(c, d, a) * seite(c, d, b) < 0;
}

} // namespace

TEST(Selbstschnitt, AnzahlStimmtMitEinfacherReferenzUeberein) {
    std::mt19937 zufall(2024);
    std::uniform_real_distribution<double> koordinate(0, 50);
    for (int fall = 0; fall < 200; ++fall) {
        std::vector<Punkt> p(4 + static_cast<std::size_t>(fall % 30));
        for (auto& q : p)
            q = {koordinate(zufall), koordinate(zufall)};
        const int32_t art = fall % 2 == 0 ? linie : polygon;
        const auto n = p.size() - 1;
        int32_t erwartet = 0;
        for (std::size_t s = 1; s < n; ++s)
            for (std::size_t j = s + 2; j <= n; ++j)
                if (!(s == 1 && j == n && art != linie) && kreuzen(p[s], p[s - 1], p[j], p[j - 1]))
                    ++erwartet;
        ASSERT_EQ(polygonTest(p, art).anzahl, erwartet) << "case " << fall;
    }
}

TEST(RingKontakt, KreuzungsbitUnabhaengigVomVorfilter) {
    std::mt19937 zufall(99);
    std::uniform_real_distribution<double> versatz(0, 25);
    int mitKreuzung = 0;
    for (int fall = 0; fall < 200; ++fall) {
        const auto a = sternRing(zufall, 20, 0, 0);
        const auto b = sternRing(zufall, 20, versatz(zufall), versatz(zufall));
        const int32_t gefiltert = multiTest(a, kreise(a), b, kreise(b), 0).flags;
        const int32_t alle = multiTest(a, b, 0).flags;
        ASSERT_EQ(gefiltert, alle) << "case " << fall;
        mitKreuzung += gefiltert == 2;
    }
    EXPECT_GT(mitKreuzung, 20); // the cases exercise both outcomes
    EXPECT_LT(mitKreuzung, 180);
}
