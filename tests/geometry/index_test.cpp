// The indexed routines against the all-pairs reference, bit for bit, in one program: the
// environment switch picks the path per call.
#include "geometrie_hilfe.h"
#include "grosse_seiten.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace testhilfe;
namespace geo = trelvik::geo;

namespace {

using Teil = std::vector<Punkt>;

// Runs f once on the all-pairs path and once on the indexed path (forced even for tiny parts;
// weg "2" forces the runs' tree where a routine has one, weg "3" the grids alone).
template <class F> void beideWege(F&& f, const char* weg = "0") {
    ::setenv("TRELVIK_BRUTE", "1", 1);
    f(true);
    ::setenv("TRELVIK_BRUTE", weg, 1);
    f(false);
    ::unsetenv("TRELVIK_BRUTE");
}

template <class T> bool bitgleich(const T& a, const T& b) {
    return std::memcmp(&a, &b, sizeof(T)) == 0;
}
bool bitgleich(const Teil& a, const Teil& b, std::size_t n) {
    return a.size() >= n && b.size() >= n &&
           (n == 0 || std::memcmp(a.data(), b.data(), n * sizeof(Punkt)) == 0);
}

// Random parts of the kinds that break filters: grid walks with collinear runs, touching
// points and overlaps, exact and ulp-close duplicates, spikes, zero-length segments, coordinates
// at the origin, UTM-sized and near 1e7, parts of 1 to 5 points and a few of thousands.
Teil zufallsTeil(std::mt19937& z, double& toleranz) {
    std::uniform_int_distribution<int> wuerfel(0, 99);
    const double schritte[] = {1, 0.01, 250, 0.5};
    const double versatz[] = {0, 0, 500000.5, 1e7};
    const double schritt = schritte[z() % 4];
    const Punkt basis{versatz[z() % 4], versatz[z() % 4] * 11.2};
    const int art = wuerfel(z);
    std::size_t n = art < 20 ? 1 + z() % 5 : art < 98 ? 6 + z() % 120 : 1000 + z() % 2000;
    Teil t;
    int gx = 0, gy = 0;
    const bool raster = wuerfel(z) < 60;
    std::uniform_real_distribution<double> gleich(-3, 3);
    while (t.size() < n) {
        const int w = wuerfel(z);
        if (!t.empty() && w < 8) {
            t.push_back(t.back()); // zero-length segment
        } else if (!t.empty() && w < 16) {
            Punkt p = t.back();
            for (int k = 1 + static_cast<int>(z() % 4); k > 0; --k)
                p.x = std::nextafter(p.x, w < 12 ? 1e300 : -1e300);
            p.y = std::nextafter(p.y, 1e300);
            t.push_back(p); // a few ulps away
        } else if (t.size() > 1 && w < 22) {
            const Punkt spitze{t.back().x + 7 * schritt, t.back().y + 3 * schritt};
            const Punkt zurueck = t.back();
            t.push_back(spitze);
            t.push_back(zurueck);
        } else if (raster) {
            gx += static_cast<int>(z() % 3) - 1;
            gy += static_cast<int>(z() % 3) - 1;
            t.push_back({basis.x + gx * schritt, basis.y + gy * schritt});
        } else {
            t.push_back({basis.x + gleich(z) * schritt * 4, basis.y + gleich(z) * schritt * 4});
        }
    }
    if (t.size() > 2 && wuerfel(z) < 50)
        t.push_back(t.front()); // a closed ring
    const double toleranzen[] = {0, 0.3, 1, 2.5};
    toleranz = toleranzen[z() % 4] * schritt;
    return t;
}

// A walk at the limits of the spike test: turns that put the flank a hair either side of the
// direction threshold (equal steps: the chord halves the turn), straight back, other turns with
// steps about t or 2 t long.
Teil schwellenTeil(std::mt19937& z, double t) {
    std::uniform_real_distribution<double> eins(-1, 1);
    const double s = t > 0 ? t : 1;
    Punkt p{(z() % 2) * 500000.5, (z() % 2) * 1e7};
    double richtung = eins(z) * 3.14159;
    Teil teil{p};
    for (std::size_t n = 4 + z() % 40; teil.size() < n;) {
        const unsigned art = z() % 4;
        const double wende = art == 0   ? 2 * 0.000314159265358979 * (1 + eins(z) * 1e-3)
                             : art == 1 ? 3.141592653589793 - 1e-4 * eins(z)
                                        : eins(z);
        const double schritt = s * (art == 0 ? 10 : art == 2 ? 2 : 1) * (1 + eins(z) * 1e-7);
        richtung += z() % 2 == 0 ? wende : -wende;
        p = {p.x + schritt * std::cos(richtung), p.y + schritt * std::sin(richtung)};
        teil.push_back(p);
    }
    return teil;
}

// A star ring of long spikes side by side around a centre, with a few neighbours swapped so
// that their spikes cross, and now and then a spike that lies along the one before; or a
// hairpin whose way back runs a little closer to the way out than its points lie apart, so
// that a vertex against a segment far away in the order gives the shortest distance.
Teil sternTeil(std::mt19937& z) {
    std::uniform_real_distribution<double> eins(0, 1);
    if (z() % 2 == 0) {
        const int k = 150 + static_cast<int>(z() % 1000);
        const double s = std::pow(10.0, 3 * eins(z)), e = s * (0.2 + 0.8 * eins(z));
        const double w = 6.283185307179586 * eins(z), c = std::cos(w), si = std::sin(w);
        const Punkt basis{(z() % 2) * 500000.5, (z() % 2) * 5e6};
        Teil t;
        for (int i = 0; i < 2 * k; ++i) {
            const double x = i < k ? s * i : s * (2 * k - i - 0.5), y = i < k ? 0 : e;
            t.push_back({basis.x + x * c - y * si, basis.y + x * si + y * c});
        }
        t.push_back(t.front());
        return t;
    }
    const int k = 300 + static_cast<int>(z() % 2500);
    const double r = std::pow(10.0, 1 + 4 * eins(z));
    const Punkt mitte{(z() % 3) * 500000.5, (z() % 3) * 5e6};
    std::vector<double> winkel(static_cast<std::size_t>(k));
    for (int i = 0; i < k; ++i)
        winkel[static_cast<std::size_t>(i)] = 6.283185307179586 * i / k;
    for (int tausch = static_cast<int>(z() % 4); tausch > 0; --tausch) {
        const auto i = static_cast<std::size_t>(z() % (k - 1));
        std::swap(winkel[i], winkel[i + 1]);
    }
    Teil t;
    for (const double w : winkel) {
        const double radius = r * (z() % 16 == 0 && !t.empty() ? 0.3 : 0.6 + 0.4 * eins(z));
        t.push_back({mitte.x + radius * std::cos(w), mitte.y + radius * std::sin(w)});
    }
    t.push_back(t.front());
    return t;
}

class Differenz : public ::testing::TestWithParam<unsigned> {
protected:
    // 60 parts per seed, seeds 1..40.
    template <class F> void fuerTeile(F&& f) {
        std::mt19937 z(GetParam());
        for (int fall = 0; fall < 60; ++fall) {
            double t = 0;
            const Teil teil = zufallsTeil(z, t);
            SCOPED_TRACE("seed " + std::to_string(GetParam()) + " case " + std::to_string(fall) +
                         " points " + std::to_string(teil.size()));
            f(teil, t, z);
        }
    }
    // The same with star rings, for the routines with a tree over the runs of the line.
    template <class F> void fuerSterne(F&& f) {
        std::mt19937 z(GetParam() + 1000);
        for (int fall = 0; fall < 3; ++fall) {
            const Teil teil = sternTeil(z);
            SCOPED_TRACE("seed " + std::to_string(GetParam()) + " star " + std::to_string(fall));
            f(teil, (teil[1].x - teil[0].x) * (z() % 3), z);
        }
    }
};

// The pair loop once per kind, then every path against it; unset, the size picks the path
// (up to 64 segments that is the pair loop itself).
void selbstschnittWieAllePaare(const Teil& teil) {
    const auto test = [&](const char* weg, int32_t art, Punkt& punkt) {
        ::setenv("TRELVIK_BRUTE", weg, 1);
        int32_t anzahl = -1, n1 = 0, n2 = 0;
        geo::PolygonTest(teil.data(), letzter(teil), &anzahl, &n1, &n2, 0, art, &punkt);
        return anzahl;
    };
    const std::vector<const char*> wege =
        letzter(teil) > 64 ? std::vector{"0", "2", "3", ""} : std::vector{"0", "2", "3"};
    for (const int32_t art : {3, 5}) {
        Punkt soll{}, ist{};
        const int32_t anzahl = test("1", art, soll);
        for (const char* weg : wege) {
            EXPECT_EQ(test(weg, art, ist), anzahl) << "kind " << art << " path " << weg;
            EXPECT_TRUE(bitgleich(ist, soll)) << ist << " vs " << soll;
        }
    }
    ::unsetenv("TRELVIK_BRUTE");
}

// The part with about a third of its points repeated once to a few hundred times, its ends
// too, as in lines converted from coarse data; grid walks come back to repeated points.
Teil mitWiederholungen(const Teil& teil, std::mt19937& z) {
    Teil t;
    for (const Punkt& p : teil) {
        const auto w = z() % 64;
        const auto mal = w < 14 ? 1 : w < 19 ? 2 + z() % 3 : w == 19 ? 20 + z() % 300 : 0;
        t.insert(t.end(), mal + 1, p);
    }
    return t;
}

TEST_P(Differenz, Selbstschnitt) {
    const auto vergleiche = [](const Teil& teil, double, std::mt19937& z) {
        selbstschnittWieAllePaare(teil);
        if (teil.size() >= 64 && teil.size() < 400)
            selbstschnittWieAllePaare(mitWiederholungen(teil, z));
    };
    fuerTeile(vergleiche);
    fuerSterne(vergleiche);
}

// A crossing that gives a point, then ten segments that end on an earlier one where rounding
// lets the test count the pair but gives no point: the last pairs in loop order give none, so
// the point must come from the first.
TEST(Selbstschnitt, LetzteZehnPaareOhnePunkt) {
    Teil teil{{0, 0}, {10, 10}, {10, 0}, {0, 10}};
    const double t[][8] = {
        {1358483.0390586802, 335093.52998016233, 1070283.7049292806, -347808.63765746023,
         1200460.1567727358, -39349.281192203402, 1316998.1344219018, -357957.32291177637},
        {4832548.7663951479, 33743.38917384114, 4385005.2717182869, -891907.56505312235,
         4555568.9479656378, -539131.9542964187, 5327670.5479281507, -1015981.9383461127},
        {7863726.2612283407, 338500.17479717091, 7489387.5606671833, -313067.53048878367,
         7680341.7279828424, 19304.11162607494, 7810858.4579029689, -341330.66442750936},
        {10216151.422949795, 269170.97464374697, 10834745.264580524, -275729.0944897132,
         10464653.057518698, 50273.616242293792, 11183673.774802143, -403043.4581568187},
        {13697720.623554222, 141493.65398139108, 13987876.86964912, -308340.77927550551,
         13828798.826414103, -61719.235244238254, 13888451.790794082, -434253.00149603526},
        {16762195.250905054, 680022.12795155065, 16001088.701142978, -211957.46046812824,
         16331336.879453275, 175077.22509285231, 16611391.900087968, -247308.1278093062},
        {19820860.759147733, 481531.18492775742, 19432137.246308763, -107486.79983897503,
         19652646.562523223, 226642.59745512815, 20224398.150715236, -166400.3330993877},
        {22407777.512119912, 1532.4233488777054, 22955022.457488138, -169692.1319799989,
         22621184.390727129, -65239.317903217721, 23286416.808694351, -363451.73601633369},
        {25013553.976739533, 72487.210075384311, 25886966.746352214, -11052.756474865913,
         25548253.915548045, 21344.363810046889, 25635605.829371955, -415062.48006376374},
        {28829703.57326917, 576005.39887294138, 28532671.753512617, -182092.3996647457,
         28668010.803334851, 163325.93231904256, 29241293.722442973, -260234.11134390143}};
    for (const auto& v : t)
        for (int i = 0; i < 8; i += 2)
            teil.push_back({v[i], v[i + 1]});
    selbstschnittWieAllePaare(teil);
    int32_t anzahl = 0, n1 = 0, n2 = 0;
    Punkt punkt{};
    geo::PolygonTest(teil.data(), letzter(teil), &anzahl, &n1, &n2, 0, 3, &punkt);
    EXPECT_EQ(anzahl, 11);
    EXPECT_NEAR(punkt.x, 5, 1e-9);
}

TEST_P(Differenz, KuerzesterAbstand) {
    const auto vergleiche = [](const Teil& teil, double t, std::mt19937&) {
        // The area alone (as the check asks for it) is the area the full call gives.
        double umfang = 0, kuerzeste = 0;
        EXPECT_TRUE(bitgleich(geo::areaBerechnen(teil.data(), letzter(teil), nullptr, nullptr),
                              geo::areaBerechnen(teil.data(), letzter(teil), &umfang, &kuerzeste)));
        // With and without the closing point, as the check run and the clean run pass rings.
        for (int32_t l = letzter(teil); l >= std::max(0, letzter(teil) - 1); --l)
            for (const char* weg : {"0", "2", "3"}) {
                double d[2] = {-1, -1};
                Punkt ort[2] = {};
                beideWege(
                    [&](bool brute) {
                        d[brute] = geo::LaengeBerechnen(teil.data(), l, &ort[brute], t);
                    },
                    weg);
                EXPECT_TRUE(bitgleich(d[0], d[1])) << d[0] << " vs " << d[1] << " path " << weg;
                EXPECT_TRUE(bitgleich(ort[0], ort[1])) << ort[0] << " vs " << ort[1];
            }
    };
    fuerTeile(vergleiche);
    fuerSterne(vergleiche);
    // Arcs that come back beside an early point: the closest pair lies far apart in the order.
    std::mt19937 z(GetParam());
    std::uniform_real_distribution<double> eins(0, 1);
    for (int fall = 0; fall < 30; ++fall) {
        const int k = 12 + static_cast<int>(z() % 250);
        const double r = 10 + 1000 * eins(z), bogen = 5.5 / k;
        const Punkt mitte{(z() % 2) * 500000.5, (z() % 2) * 1e7};
        Teil teil;
        for (int i = 0; i < k; ++i)
            teil.push_back({mitte.x + r * std::cos(bogen * i), mitte.y + r * std::sin(bogen * i)});
        const Punkt nah = teil[z() % teil.size()];
        const double w = 6.28 * eins(z), e = r * bogen * (0.05 + 0.9 * eins(z));
        teil.push_back({nah.x + e * std::cos(w), nah.y + e * std::sin(w)});
        teil.push_back({mitte.x, mitte.y});
        const double t = r * bogen * eins(z);
        double d[2] = {-1, -1};
        Punkt ort[2] = {};
        beideWege([&](bool brute) {
            d[brute] = geo::LaengeBerechnen(teil.data(), letzter(teil), &ort[brute], t);
        });
        EXPECT_TRUE(bitgleich(d[0], d[1])) << d[0] << " vs " << d[1];
        EXPECT_TRUE(bitgleich(ort[0], ort[1])) << ort[0] << " vs " << ort[1];
    }
    // Repeated points on either side of the first two equal consecutive points, anywhere in
    // the line, some with -0 against 0; on coordinates so small that differences square to 0,
    // every pair is then closest.
    for (int fall = 0; fall < 60; ++fall) {
        const double skala = fall % 8 == 7 ? 1e-170 : fall % 2 == 0 ? 1.0 : 500000.5;
        const int n = 20 + static_cast<int>(z() % (fall % 3 == 0 ? 3000 : 200));
        Teil teil;
        for (int i = 0; i < n; ++i)
            teil.push_back({skala * (i + 0.25 * eins(z)), skala * (1 + eins(z))});
        const int doppelt = static_cast<int>(z() % static_cast<unsigned>(n - 2));
        teil[static_cast<std::size_t>(doppelt + 1)] = teil[static_cast<std::size_t>(doppelt)];
        for (int wieder = static_cast<int>(z() % 4); wieder > 0; --wieder) {
            const auto von = z() % static_cast<std::size_t>(doppelt + 1);
            const auto nach = von + 1 + z() % (teil.size() - von - 1);
            if (z() % 4 == 0)
                teil[von].x = 0;
            teil[nach] = teil[von];
            if (teil[von].x == 0 && z() % 2 == 0)
                teil[nach].x = -0.0;
        }
        for (const char* weg : {"0", "2"}) {
            double d[2] = {-1, -1};
            Punkt ort[2] = {};
            beideWege(
                [&](bool brute) {
                    d[brute] = geo::LaengeBerechnen(teil.data(), letzter(teil), &ort[brute], 0.1);
                },
                weg);
            EXPECT_TRUE(bitgleich(d[0], d[1])) << d[0] << " vs " << d[1] << " path " << weg;
            EXPECT_TRUE(bitgleich(ort[0], ort[1]))
                << ort[0] << " vs " << ort[1] << " fall " << fall;
        }
    }
}

// B is a second random part or a shifted copy of A, so that contact, crossing and neither all
// occur; the circles are as the check run builds them, without reserve, or all-embracing.
TEST_P(Differenz, RingKontakt) {
    fuerTeile([](const Teil& a, double t, std::mt19937& z) {
        double tb = 0;
        Teil b = zufallsTeil(z, tb);
        if (z() % 2 == 0) {
            b = verschoben(a, t * 0.7 * static_cast<double>(z() % 3), t * 0.3);
        } else if (z() % 2 == 0 && a.size() > 8) {
            // An islet beside one stretch of A, far from the rest of it, as along a coastline.
            const auto von = a.begin() + static_cast<std::ptrdiff_t>(z() % (a.size() - 4));
            b = verschoben(Teil(von, von + 4), t * 1.2, t * 0.4);
            b.push_back(b.front());
        }
        const int welche = static_cast<int>(z() % 3);
        const auto ka = welche == 2 ? riesenKreise(a) : kreise(a, welche == 0 ? 2 * t : 0);
        const auto kb = welche == 2 ? riesenKreise(b) : kreise(b, welche == 0 ? 2 * t : 0);
        int32_t f[2] = {-1, -1};
        Punkt pa[2] = {}, pb[2] = {};
        beideWege([&](bool brute) {
            f[brute] = geo::MultiPolygonTest(a.data(), anzahl(a), ka.data(), b.data(), anzahl(b),
                                             kb.data(), t, &pa[brute], &pb[brute]);
        });
        EXPECT_EQ(f[0], f[1]);
        EXPECT_TRUE(bitgleich(pa[0], pa[1])) << pa[0] << " vs " << pa[1];
        EXPECT_TRUE(bitgleich(pb[0], pb[1])) << pb[0] << " vs " << pb[1];
    });
}

// A circle of A a few ulps either side of the sum of the radii from the first circle of a long
// straight B, whose runs of circles all share one radius: where the pair loop's shortcuts over
// those runs meet their rounding.
TEST(RingKontakt, KreisAufDerKanteEinesLaufs) {
    for (const double basis : {0.5, 500000.5, 1e7})
        for (const double laenge : {0.25, 3.0, 100.0})
            for (int ulps = -4; ulps <= 4; ++ulps) {
                Teil b;
                for (int i = 0; i <= 40; ++i)
                    b.push_back({basis + laenge * i, basis * 0.5});
                const auto kb = kreise(b, laenge * 0.1);
                const double ra = laenge * 0.3;
                double xa = kb[0].x - (ra + kb[0].radius);
                for (int k = ulps; k != 0; k += k < 0 ? 1 : -1)
                    xa = std::nextafter(xa, k < 0 ? -1e300 : 1e300);
                const Teil a{{xa, basis * 0.5 - ra}, {xa, basis * 0.5 + ra}};
                const std::vector<Segmentkreis> ka{{xa, basis * 0.5, ra}};
                int32_t f[2] = {-1, -1};
                Punkt pa[2] = {}, pb[2] = {};
                beideWege([&](bool brute) {
                    f[brute] =
                        geo::MultiPolygonTest(a.data(), anzahl(a), ka.data(), b.data(), anzahl(b),
                                              kb.data(), ra, &pa[brute], &pb[brute]);
                });
                EXPECT_EQ(f[0], f[1]) << basis << " " << laenge << " " << ulps;
                EXPECT_TRUE(bitgleich(pb[0], pb[1])) << pb[0] << " vs " << pb[1];
            }
}

TEST_P(Differenz, PunkteAuseinanderschieben) {
    fuerTeile([](const Teil& teil, double t, std::mt19937&) {
        Teil ergebnis[2] = {teil, teil};
        beideWege(
            [&](bool brute) { geo::LaengeVerschieben(ergebnis[brute].data(), letzter(teil), t); });
        EXPECT_TRUE(bitgleich(ergebnis[0], ergebnis[1], teil.size()));
    });
}

TEST_P(Differenz, RingeAuseinanderschieben) {
    fuerTeile([](const Teil& a, double t, std::mt19937& z) {
        double tb = 0;
        const Teil b = z() % 2 == 0 ? zufallsTeil(z, tb) : verschoben(a, t * 0.4, t * 0.2);
        Teil ergebnis[2] = {b, b};
        beideWege([&](bool brute) {
            geo::MultiPolygonVerschieben(a.data(), anzahl(a), ergebnis[brute].data(), anzahl(b), t,
                                         0);
        });
        EXPECT_TRUE(bitgleich(ergebnis[0], ergebnis[1], b.size()));
    });
}

// The one-pass cleaners against the moving reference: the whole array, including the places
// past the new count.
TEST_P(Differenz, PunkteZusammenfassenUndZungen) {
    fuerTeile([](const Teil& teil, double t, std::mt19937& z) {
        for (const int32_t geschlossen : {0, 1}) {
            Teil ergebnis[2] = {teil, teil};
            int32_t n[2] = {-1, -1};
            beideWege([&](bool brute) {
                n[brute] = geo::loeschePunkte(ergebnis[brute].data(), anzahl(teil), t, geschlossen);
            });
            EXPECT_EQ(n[0], n[1]);
            EXPECT_TRUE(bitgleich(ergebnis[0], ergebnis[1], teil.size())) << "merge";
        }
        for (const Teil& zungen : {teil, schwellenTeil(z, t)}) {
            Teil ergebnis[2] = {zungen, zungen};
            int32_t n[2] = {-1, -1};
            int32_t bewegt[2] = {-1, -1};
            beideWege([&](bool brute) {
                n[brute] =
                    geo::entferneZungen(ergebnis[brute].data(), anzahl(zungen), t, &bewegt[brute]);
            });
            EXPECT_EQ(n[0], n[1]);
            EXPECT_EQ(bewegt[0], bewegt[1]);
            EXPECT_TRUE(bitgleich(ergebnis[0], ergebnis[1], zungen.size())) << "spikes";
        }
    });
}

// Round after round, as the cleaning of a part runs it while other passes take points out or
// move them: the indexed path remembers its last pass in between.
void schleifenInRunden(Teil jetzt, double t, double a, std::mt19937& z) {
    for (int runde = 0; runde < 8 && !jetzt.empty(); ++runde) {
        Teil ergebnis[2] = {jetzt, jetzt};
        int32_t n[2] = {-1, -1};
        beideWege([&](bool brute) {
            n[brute] = geo::entferneKleineFlaechen(ergebnis[brute].data(), anzahl(jetzt), t, a);
        });
        ASSERT_EQ(n[0], n[1]) << "round " << runde;
        ASSERT_TRUE(bitgleich(ergebnis[0], ergebnis[1], jetzt.size())) << "round " << runde;
        jetzt.assign(ergebnis[0].begin(), ergebnis[0].begin() + std::max(n[0], 1));
        const auto i = static_cast<std::ptrdiff_t>(z() % jetzt.size());
        const auto bis = std::min<std::ptrdiff_t>(i + 1 + z() % 12, anzahl(jetzt));
        if (z() % 3 == 0)
            jetzt[static_cast<std::size_t>(i)].x += t * (z() % 3);
        else if (z() % 4 != 0)
            jetzt.erase(jetzt.begin() + i, jetzt.begin() + bis);
    }
}

TEST_P(Differenz, KleineSchleifen) {
    fuerTeile([](const Teil& teil, double t, std::mt19937& z) {
        const double flaechen[] = {0.5, 4, 1e3, 1e9};
        schleifenInRunden(teil, t, flaechen[z() % 4] * t * t, z);
    });
    // Lassos whose loop is a little larger than the area limit, until points of it go.
    std::mt19937 z(GetParam());
    std::uniform_real_distribution<double> eins(0, 1);
    for (int fall = 0; fall < 20; ++fall) {
        const double r = 5 + 40 * eins(z);
        const Punkt mitte{(z() % 2) * 500000.5, r};
        const int k = 8 + static_cast<int>(z() % 60);
        Teil lasso{{mitte.x, 0}};
        for (int i = 1; i < k; ++i) {
            const double w = 6.283185307179586 * i / k;
            lasso.push_back({mitte.x + r * std::sin(w), mitte.y - r * std::cos(w)});
        }
        lasso.push_back({mitte.x + 0.4 * eins(z), 0.3 * eins(z)});
        for (int i = 1; i < 4; ++i)
            lasso.push_back({mitte.x + 0.6 * eins(z), -3.0 * i});
        const double flaeche = 0.5 * k * r * r * std::sin(6.283185307179586 / k);
        schleifenInRunden(lasso, 1, flaeche * (0.97 + 0.03 * eins(z)), z);
    }
}

// A large ring with a knot of thousands of points in one corner: the grids of the cleaning
// passes refine their cells there, and every pass still matches the reference.
TEST(DifferenzGedraengt, KnotenInEinerEckeWieAllePaare) {
    for (unsigned saat = 1; saat <= 3; ++saat) {
        std::mt19937 z(saat);
        std::uniform_real_distribution<double> w(0, 1);
        Teil ring;
        for (int k = 0; k < 40; ++k)
            ring.push_back({25.0 * k, 0});
        for (int k = 0; k < 2000; ++k) // the knot, zigzagging inside two by two units
            ring.push_back({1000 - 2 * w(z), 2 * w(z)});
        for (const Punkt ecke : {Punkt{1000, 1000}, Punkt{0, 1000}})
            ring.push_back(ecke);
        ring.push_back(ring.front());
        const Teil knoten = verschoben(Teil(ring.begin() + 40, ring.begin() + 2040), 0.02, 0.01);
        for (const double t : {0.05, 0.3}) {
            SCOPED_TRACE("seed " + std::to_string(saat) + " t " + std::to_string(t));
            Teil punkte[2] = {ring, ring}, schieben[2] = {knoten, knoten};
            Teil schleifen[2] = {ring, ring};
            int32_t n[2] = {-1, -1};
            beideWege([&](bool brute) {
                geo::LaengeVerschieben(punkte[brute].data(), letzter(ring), t);
                geo::MultiPolygonVerschieben(ring.data(), anzahl(ring), schieben[brute].data(),
                                             anzahl(knoten), t, 0);
                n[brute] = geo::entferneKleineFlaechen(schleifen[brute].data(), anzahl(ring), t,
                                                       4 * t * t);
            });
            EXPECT_TRUE(bitgleich(punkte[0], punkte[1], ring.size()));
            EXPECT_TRUE(bitgleich(schieben[0], schieben[1], knoten.size()));
            EXPECT_EQ(n[0], n[1]);
            EXPECT_TRUE(bitgleich(schleifen[0], schleifen[1], ring.size()));
            EXPECT_FALSE(bitgleich(punkte[1], ring, ring.size())); // the knot did move
        }
    }
}

// With too little memory for the index, a part is still checked in full: a child process
// whose address space ends a little above what it uses gets the all-pairs results. Address
// sanitizer reserves its shadow memory in the address space and ends the process when memory
// runs out, so test.sh runs this one in the release build.
TEST(DifferenzOhneSpeicher, IndexOhneSpeicherGibtDieErgebnisseDerPaarschleife) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "needs a build without address sanitizer";
#endif
    std::mt19937 z(3);
    std::uniform_real_distribution<double> radius(600, 1000);
    Teil stern;
    for (int i = 0; i < 30000; ++i)
        stern.push_back({500000 + radius(z) * std::cos(i * 0.00020943951),
                         5e6 + radius(z) * std::sin(i * 0.00020943951)});
    stern.push_back(stern.front());
    stern[1000] = {500000 - 900, 5e6}; // its two segments cross spikes across the star
    const Teil gedreht = verschoben(stern, 0.5, 0.3); // crosses and touches the star all round
    const auto ka = kreise(stern, 2), kb = kreise(gedreht, 2);
    int32_t erwartet[3] = {-1, -1, -1};
    double abstand = -1;
    Punkt ort{}, kontakt{};
    const auto pruefe = [&](int32_t* kreuzungen, Punkt& punkt, double& d, Punkt& o, int32_t& f,
                            Punkt& k) {
        int32_t n1 = 0, n2 = 0;
        geo::PolygonTest(stern.data(), letzter(stern), kreuzungen, &n1, &n2, 0, 5, &punkt);
        d = geo::LaengeBerechnen(stern.data(), letzter(stern), &o, 0);
        Punkt kb2{};
        f = geo::MultiPolygonTest(stern.data(), anzahl(stern), ka.data(), gedreht.data(),
                                  anzahl(gedreht), kb.data(), 1, &k, &kb2);
    };
    beideWege([&](bool brute) {
        if (!brute)
            return;
        Punkt p{};
        pruefe(&erwartet[0], p, abstand, ort, erwartet[2], kontakt);
        erwartet[1] = static_cast<int32_t>(p.x);
    });
    ASSERT_GT(erwartet[0], 0);
    ASSERT_GT(erwartet[2], 0);
    int rohr[2];
    ASSERT_EQ(::pipe(rohr), 0);
    const pid_t kind = ::fork();
    ASSERT_GE(kind, 0);
    if (kind == 0) {
        ::setenv("TRELVIK_BRUTE", "0", 1);
        long seiten = 0;
        if (FILE* f = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(f, "%ld", &seiten) != 1)
                seiten = 0;
            std::fclose(f);
        }
        // Room for the pair loop's copy of the part (0.5 MB), not for an index (some MB).
        const rlim_t grenze = static_cast<rlim_t>(seiten) * 4096 + (rlim_t{1} << 21);
        const rlimit r{grenze, grenze};
        ::setrlimit(RLIMIT_AS, &r);
        int32_t zahl = -1, f = -1;
        Punkt p{}, o{}, k{};
        double d = -1;
        pruefe(&zahl, p, d, o, f, k);
        const double antwort[] = {static_cast<double>(zahl), p.x, d, o.x, o.y, double(f), k.x};
        const bool ok = ::write(rohr[1], antwort, sizeof antwort) == sizeof antwort;
        ::_exit(ok ? 0 : 1);
    }
    double antwort[7] = {};
    ::close(rohr[1]);
    const bool gelesen = ::read(rohr[0], antwort, sizeof antwort) == sizeof antwort;
    ::close(rohr[0]);
    int status = 0;
    ::waitpid(kind, &status, 0);
    ASSERT_TRUE(gelesen);
    EXPECT_EQ(antwort[0], erwartet[0]);
    EXPECT_EQ(static_cast<int32_t>(antwort[1]), erwartet[1]);
    EXPECT_TRUE(bitgleich(antwort[2], abstand));
    EXPECT_TRUE(bitgleich(Punkt{antwort[3], antwort[4]}, ort));
    EXPECT_EQ(antwort[5], erwartet[2]);
    EXPECT_TRUE(bitgleich(antwort[6], kontakt.x));
}

// Arrays that grow and shrink across the size from which they get mappings of their own keep
// their contents, whichever way each block was taken and is given back.
TEST(GrosseSeiten, WachsenUndSchrumpfenUeberDieGrenze) {
    std::mt19937 z(5);
    trelvik::geometrie::GrosserVektor<std::uint64_t> gross;
    std::vector<std::uint64_t> soll;
    const std::size_t grenze = trelvik::geometrie::EigeneAbbildung::ab / sizeof(std::uint64_t);
    for (int schritt = 0; schritt < 40; ++schritt) {
        const std::size_t n = std::uniform_int_distribution<std::size_t>(0, 3 * grenze)(z);
        const std::size_t alt = soll.size();
        soll.resize(n);
        gross.resize(n);
        for (std::size_t i = alt; i < n; ++i)
            soll[i] = gross[i] = z();
        if (schritt % 3 == 0) {
            gross.shrink_to_fit();
            trelvik::geometrie::GrosserVektor<std::uint64_t> kopie = gross;
            gross.swap(kopie);
        }
        ASSERT_TRUE(std::equal(soll.begin(), soll.end(), gross.begin(), gross.end()));
    }
}

INSTANTIATE_TEST_SUITE_P(Saaten, Differenz, ::testing::Range(1u, 41u));

} // namespace
