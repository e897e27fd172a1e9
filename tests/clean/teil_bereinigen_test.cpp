// Part cleaning, simplification and ring adaptation on point arrays, and the Z and M values
// that travel beside the points.
#include "clean/teil_bereinigen.h"
#include "geometry/bindung/bindung.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>

namespace trelvik {
namespace {

using Punkte = std::vector<Punkt>;

bool gleich(const Punkt& a, const Punkt& b) {
    return a.x == b.x && a.y == b.y;
}

double abstand(const Punkt& a, const Punkt& b) {
    return std::hypot(a.x - b.x, a.y - b.y);
}

// A regular polygon of n corners around (cx, cy), closed.
Punkte kreis(int n, double r, double cx = 0, double cy = 0) {
    Punkte p;
    for (int k = 0; k < n; ++k) {
        const double w = -2 * M_PI * k / n; // clockwise
        p.push_back({cx + r * std::cos(w), cy + r * std::sin(w)});
    }
    p.push_back(p.front());
    return p;
}

double kuerzesterAbstand(const Punkte& p) {
    double d = INFINITY;
    for (std::size_t i = 1; i < p.size(); ++i)
        d = std::min(d, abstand(p[i - 1], p[i]));
    return d;
}

TEST(BereinigeTeil, CleanPartStaysAsItIs) {
    const Punkte vorher = kreis(12, 50);
    Punkte p = vorher;
    bool zu = true;
    bereinigeTeil(p, 0.25, zu, 25);
    ASSERT_EQ(p.size(), vorher.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        EXPECT_TRUE(gleich(p[i], vorher[i])) << i;
}

TEST(BereinigeTeil, CloseVerticesGoAndTheRingStaysClosed) {
    // Close pairs in the middle and around the closing point.
    Punkte p = {{0, 0.1}, {20, 0}, {20.1, 0.05}, {20, 20}, {0, 20}, {0, 0.05}, {0, 0.1}};
    bool zu = true;
    bereinigeTeil(p, 0.25, zu, 25);
    ASSERT_GE(p.size(), 4u);
    EXPECT_TRUE(gleich(p.front(), p.back()));
    EXPECT_GE(kuerzesterAbstand(p), 0.25);

    // A line keeps its ends open.
    Punkte l = {{0, 0}, {10, 0}, {10.1, 0}, {20, 5}};
    bool offen = false;
    bereinigeTeil(l, 0.25, offen, 25);
    EXPECT_EQ(l.size(), 3u);
    EXPECT_FALSE(gleich(l.front(), l.back()));
}

TEST(BereinigeTeil, CollapsingPartsStopAtTheirMinimum) {
    Punkte p = kreis(16, 1);
    bool zu = true;
    bereinigeTeil(p, 5, zu, 25);
    EXPECT_LE(p.size(), 4u);
    if (p.size() > 1)
        EXPECT_TRUE(gleich(p.front(), p.back()));

    Punkte l = {{0, 0}, {0.1, 0}};
    bool offen = false;
    bereinigeTeil(l, 0.25, offen, 25);
    ASSERT_EQ(l.size(), 1u); // the single zero point
    EXPECT_TRUE(gleich(l[0], Punkt{0, 0}));
}

TEST(VereinfacheTeil, FirstStepAlwaysRunsAndItsResultStays) {
    // (5, 0.001) lies within 0.0017 of the line through its neighbours.
    Punkte p = {{0, 0}, {5, 0.001}, {10, 0}, {10, 10}, {0, 10}, {0, 0}};
    bool zu = true;
    vereinfacheTeil(p, 0.01, zu);
    ASSERT_EQ(p.size(), 5u);
    EXPECT_TRUE(gleich(p[1], Punkt{10, 0}));
}

TEST(VereinfacheTeil, StopBeforeTheMinimumKeepsTheLastClosedRing) {
    // Growing tolerances thin the ring out until one more step would leave 3 points: the ring
    // of the step before stays, closed, and never a cut-off open triangle.
    Punkte p = kreis(40, 0.05);
    bool zu = true;
    vereinfacheTeil(p, 100, zu);
    ASSERT_GE(p.size(), 4u);
    EXPECT_TRUE(gleich(p.front(), p.back()));
    EXPECT_LT(p.size(), 41u);

    Punkte l;
    for (int k = 0; k < 30; ++k)
        l.push_back({k * 0.01, (k % 2) * 0.002});
    bool offen = false;
    vereinfacheTeil(l, 100, offen);
    EXPECT_GE(l.size(), 3u); // never cut to two points by the stop
    EXPECT_TRUE(gleich(l.front(), Punkt{0, 0}));
}

TEST(RingeAnpassen, TheSmallerRingMovesAwayFromTheLarger) {
    Punkte aussen = {{0, 0}, {0, 10}, {10, 10}, {10, 0}, {0, 0}};
    Punkte loch = {{5, 0.1}, {6, 2}, {4, 2}, {5, 0.1}};
    Punkte p = aussen;
    p.insert(p.end(), loch.begin(), loch.end());
    ringeAnpassen(p, {0, 5}, 0.25, true);
    for (std::size_t i = 0; i < 5; ++i)
        EXPECT_TRUE(gleich(p[i], aussen[i])) << "the outer ring moved at " << i;
    EXPECT_NEAR(p[5].y, 0.26, 1e-9); // pushed to D + 0.01 from the edge y = 0
    EXPECT_TRUE(gleich(p[5], p[8])); // still closed

    Punkte einzeln = aussen;
    ringeAnpassen(einzeln, {0}, 0.25, true);
    EXPECT_EQ(einzeln.size(), aussen.size());

    // Equal areas: nothing moves even though the rings touch.
    Punkte zwei = aussen;
    for (const Punkt& q : aussen)
        zwei.push_back({q.x + 10, q.y});
    const Punkte vorher = zwei;
    ringeAnpassen(zwei, {0, 5}, 0.25, true);
    for (std::size_t i = 0; i < zwei.size(); ++i)
        EXPECT_TRUE(gleich(zwei[i], vorher[i]));
}

// Ring pairs whose frames lie apart are not handed to the library: the same points as when every
// pair is. Rings in a row, their frames from touching to a little more than 4 D apart, open
// and closed, some with NaN corners; beside a large ring, rings out of its reach are not handed
// over either.
TEST(RingeAnpassen, PaareMitFernenRahmenWieAllePaare) {
    std::size_t bewegt = 0;
    for (unsigned saat = 1; saat <= 40; ++saat) {
        std::mt19937 z(saat);
        std::uniform_real_distribution<double> w(0, 1);
        Punkte p;
        std::vector<std::int32_t> starts;
        // Every other seed: a long ring of thousands of corners below a row of small ones,
        // some of which come within reach of its wavy upper edge.
        const bool lang = saat % 2 == 0;
        if (lang) {
            starts.push_back(0);
            for (int i = 0; i <= 5000; ++i)
                p.push_back({-5 + 0.03 * i, -3.2 + 0.1 * std::sin(0.05 * i)});
            p.push_back({145, -9});
            p.push_back({-5, -9});
            p.push_back(p.front());
        }
        double rand = 0;
        for (int ring = 0; ring < 30; ++ring) {
            const double r = 0.2 + 3 * w(z);
            const double luecke = 1.2 * w(z);
            const bool quer = lang || z() % 2 == 0;
            Punkte k = kreis(3 + static_cast<int>(z() % 10), r, quer ? rand + luecke + r : 0,
                             quer ? 0 : rand + luecke + r);
            if (z() % 8 == 0)
                k.back() = {k.back().x + 0.3, k.back().y}; // not closed
            if (z() % 16 == 0)
                k[1].x = NAN;
            rand += luecke + 2 * r;
            starts.push_back(static_cast<std::int32_t>(p.size()));
            p.insert(p.end(), k.begin(), k.end());
        }
        for (const bool geschlossen : {true, false}) {
            Punkte ergebnis[2] = {p, p};
            ::setenv("TRELVIK_BRUTE", "1", 1);
            ringeAnpassen(ergebnis[0], starts, 0.25, geschlossen);
            ::unsetenv("TRELVIK_BRUTE");
            ringeAnpassen(ergebnis[1], starts, 0.25, geschlossen);
            ASSERT_EQ(0,
                      std::memcmp(ergebnis[0].data(), ergebnis[1].data(), p.size() * sizeof(Punkt)))
                << "seed " << saat;
            for (std::size_t i = 0; i < p.size(); ++i)
                bewegt += std::memcmp(&p[i], &ergebnis[0][i], sizeof(Punkt)) != 0;
        }
    }
    EXPECT_GT(bewegt, 200u); // the rows bring many rings within reach of each other
}

TEST(ZMSpur, SurvivorsMergesAndComputedPoints) {
    const Punkte quelle = {{0, 0}, {10, 0}, {10.1, 0}, {20, 0}};
    const std::vector<ZM> werte = {{1, 10}, {2, 20}, {4, 40}, {8, 80}};
    ZMSpur spur(quelle, werte);
    spur.vorPass(quelle);
    // The pair at 10 merged to its midpoint, a new point at x = 15 computed.
    const Punkte nachher = {{0, 0}, {0.5 * 10.1 + 0.5 * 10, 0}, {15, 0.5}, {20, 0}};
    spur.nachPass(nachher);
    ASSERT_EQ(spur.zm.size(), 4u);
    EXPECT_EQ(spur.zm[0].z, 1);
    EXPECT_EQ(spur.zm[1].z, 3); // mean of 2 and 4
    EXPECT_EQ(spur.zm[1].m, 30);
    // (15, 0.5) lies nearest to (15, 0), halfway from 10.1 to 20 in x: 4 + (8 - 4) * 4.9 / 9.9.
    EXPECT_NEAR(spur.zm[2].z, 4 + 4 * 4.9 / 9.9, 1e-12);
    EXPECT_EQ(spur.zm[3].m, 80);
}

TEST(ZMSpur, CleaningAZRingKeepsEverySurvivorsValues) {
    Punkte p = {{0, 0}, {20, 0}, {20.1, 0.05}, {20, 20}, {0, 20}, {0, 0}};
    std::vector<ZM> zm;
    for (std::size_t i = 0; i < p.size(); ++i)
        zm.push_back({static_cast<double>(i), 100.0 + static_cast<double>(i)});
    zm.back() = zm.front();
    const Punkte quelle = p;
    ZMSpur spur(p, zm);
    bool zu = true;
    bereinigeTeil(p, 0.25, zu, 25, &spur);
    ASSERT_EQ(spur.zm.size(), p.size());
    for (std::size_t i = 0; i < p.size(); ++i)
        for (std::size_t k = 0; k < quelle.size(); ++k)
            if (gleich(p[i], quelle[k]))
                EXPECT_EQ(spur.zm[i].z, static_cast<double>(k == 5 ? 0 : k)) << i;
    EXPECT_EQ(spur.zm.front().z, spur.zm.back().z);
}

} // namespace
} // namespace trelvik
