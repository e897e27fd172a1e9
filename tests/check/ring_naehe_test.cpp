// The check skips a ring pair when its circle blocks lie apart; the contact test must then find
// nothing, whatever the rings. Seeded rings beside, against and just out of reach of each
// other, on small and UTM-sized coordinates.
#include "check/ring_naehe.h"

#include "../geometry/geometrie_hilfe.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <random>

using namespace testhilfe;

namespace {

std::vector<Punkt> zufallsRing(std::mt19937& z, double schritt, Punkt basis) {
    std::uniform_real_distribution<double> w(-1, 1);
    const std::size_t n = 2 + z() % 400;
    std::vector<Punkt> r{basis};
    while (r.size() < n)
        r.push_back(z() % 8 == 0 ? r.back()
                                 : Punkt{r.back().x + w(z) * schritt, r.back().y + w(z) * schritt});
    r.push_back(r.front());
    return r;
}

TEST(RingNaehe, GetrennteBloeckeHeissenKeinKontakt) {
    ::setenv("TRELVIK_BRUTE", "1", 1);
    int getrennt = 0, nah = 0;
    for (unsigned saat = 1; saat <= 300; ++saat) {
        std::mt19937 z(saat);
        const double schritt = saat % 3 == 0 ? 0.01 : saat % 3 == 1 ? 1 : 250;
        const Punkt basis = saat % 2 == 0 ? Punkt{1000.5, -2000.25} : Punkt{500000.5, 5600000.25};
        const double t = schritt * static_cast<double>(z() % 4) * 0.4;
        const std::vector<Punkt> a = zufallsRing(z, schritt, basis);
        std::vector<Punkt> b;
        const auto ka = kreise(a, 2 * t);
        if (z() % 2 == 0) {
            b = zufallsRing(
                z, schritt,
                {basis.x + std::uniform_real_distribution<double>(-30, 30)(z) * schritt,
                 basis.y + std::uniform_real_distribution<double>(-30, 30)(z) * schritt});
        } else {
            // B to the right of A, its leftmost circle the sum of the radii from A's rightmost
            // one, give or take an ulp: the boxes' edge cases.
            b = zufallsRing(z, schritt, basis);
            const auto kb0 = kreise(b, 2 * t);
            const auto rechts = [](const Segmentkreis& k) { return k.x + k.radius; };
            const auto links = [](const Segmentkreis& k) { return k.x - k.radius; };
            const Segmentkreis ca = *std::max_element(
                ka.begin(), ka.end(), [&](auto& p, auto& q) { return rechts(p) < rechts(q); });
            const Segmentkreis cb = *std::min_element(
                kb0.begin(), kb0.end(), [&](auto& p, auto& q) { return links(p) < links(q); });
            double dx = ca.x - cb.x + ca.radius + cb.radius;
            for (int k = static_cast<int>(z() % 5) - 2; k != 0; k += k < 0 ? 1 : -1)
                dx = std::nextafter(dx, k < 0 ? -1e300 : 1e300);
            b = verschoben(b, dx, ca.y - cb.y);
        }
        const auto kb = kreise(b, 2 * t);
        trelvik::KreisBloecke ba, bb;
        ba.baue(a, 2 * t);
        bb.baue(b, 2 * t);
        Punkt pa{}, pb{};
        const int32_t flags = trelvik::geo::MultiPolygonTest(
            a.data(), anzahl(a), ka.data(), b.data(), anzahl(b), kb.data(), t, &pa, &pb);
        // The pair loop's own shortcuts meet the same edge cases: the grid's answer is its.
        {
            ::setenv("TRELVIK_BRUTE", "0", 1);
            Punkt qa{}, qb{};
            EXPECT_EQ(trelvik::geo::MultiPolygonTest(a.data(), anzahl(a), ka.data(), b.data(),
                                                     anzahl(b), kb.data(), t, &qa, &qb),
                      flags)
                << "seed " << saat;
            EXPECT_TRUE(qa == pa && qb == pb) << "seed " << saat;
            ::setenv("TRELVIK_BRUTE", "1", 1);
        }
        if (vielleichtNah(ba, bb)) {
            ++nah;
        } else {
            ++getrennt;
            // No pair found, and no pair whose circles overlap (B's place would name it).
            EXPECT_EQ(flags, 0) << "seed " << saat;
            EXPECT_TRUE(pb.x == 0 && pb.y == 0) << "seed " << saat << " " << pb;
        }
        EXPECT_EQ(vielleichtNah(ba, bb), vielleichtNah(bb, ba)) << "seed " << saat;
    }
    ::unsetenv("TRELVIK_BRUTE");
    // Both outcomes occur, or the test says nothing.
    EXPECT_GT(getrennt, 30);
    EXPECT_GT(nah, 30);
}

} // namespace

// A long ring and stretches of it moved away, across, or by an ulp (where the rounding
// decides): the test on the cut rings finds what it finds on the whole ones, both ways round and
// on both paths.
TEST(RingNaehe, AusschnittFindetWasDerGanzeRingFindet) {
    int geschnitten = 0, gefunden = 0;
    const auto vergleiche = [&](const std::vector<Punkt>& pa, const std::vector<Punkt>& pb,
                                double t) {
        std::vector<Punkt> ring[2] = {pa, pb};
        std::vector<Segmentkreis> kr[2] = {kreise(pa, 2 * t), kreise(pb, 2 * t)};
        trelvik::KreisBloecke bl[2];
        bl[0].baue(pa, 2 * t);
        bl[1].baue(pb, 2 * t);
        Punkt soll[2]{}, ist[2]{};
        const int32_t fs =
            trelvik::geo::MultiPolygonTest(pa.data(), anzahl(pa), kr[0].data(), pb.data(),
                                           anzahl(pb), kr[1].data(), t, &soll[0], &soll[1]);
        for (int i : {0, 1}) {
            trelvik::geometrie::GrosserVektor<Punkt> p;
            trelvik::geometrie::GrosserVektor<Segmentkreis> k;
            if (schneideAus(i == 0 ? pa : pb, bl[i], bl[1 - i], i == 0, p, k)) {
                ++geschnitten;
                ring[i].assign(p.begin(), p.end());
                kr[i].assign(k.begin(), k.end());
            }
        }
        const int32_t fi = trelvik::geo::MultiPolygonTest(
            ring[0].data(), anzahl(ring[0]), kr[0].data(), ring[1].data(), anzahl(ring[1]),
            kr[1].data(), t, &ist[0], &ist[1]);
        EXPECT_EQ(fi, fs);
        if (fs > 0) {
            ++gefunden;
            EXPECT_TRUE(ist[0] == soll[0] && ist[1] == soll[1]) << ist[0] << ist[1];
        }
    };
    for (unsigned saat = 1; saat <= 60; ++saat) {
        ::setenv("TRELVIK_BRUTE", saat % 4 == 0 ? "1" : "0", 1);
        std::mt19937 z(saat);
        std::uniform_real_distribution<double> w(-1, 1);
        const double radius = saat % 2 == 0 ? 1000 : 250000;
        const Punkt mitte = saat % 3 == 0 ? Punkt{0.5, -0.25} : Punkt{500000.5, 5600000.25};
        // Some rings of more than 32 groups of 32 blocks, the blocks found through upper groups.
        const std::size_t n = (saat % 3 == 1 ? 130 : saat % 5 == 0 ? 66000 : 2100) + z() % 4000;
        std::vector<Punkt> lang;
        for (std::size_t i = 0; i < n; ++i) {
            const double winkel = 6.283185307179586 * static_cast<double>(i) / n;
            const double r = radius * (1 + 0.01 * w(z));
            lang.push_back({mitte.x + r * std::cos(winkel), mitte.y + r * std::sin(winkel)});
        }
        lang.push_back(lang.front());
        const double schritt = radius * 6.3 / static_cast<double>(n);
        const double t = schritt * static_cast<double>(z() % 4) * 0.3;
        for (int k = 0; k < 6; ++k) {
            const std::size_t von = z() % (n - 40), bis = von + 2 + z() % 38;
            const double dx = w(z) * schritt * (k % 3 == 0 ? 40 : 2), dy = w(z) * schritt * 2;
            std::vector<Punkt> klein;
            for (std::size_t i = von; i < bis; ++i)
                klein.push_back(
                    k % 3 == 2 ? Punkt{std::nextafter(lang[i].x, dx), std::nextafter(lang[i].y, dy)}
                               : Punkt{lang[i].x + dx, lang[i].y + dy});
            klein.push_back(klein.front());
            SCOPED_TRACE("seed " + std::to_string(saat) + " ring " + std::to_string(k));
            vergleiche(lang, klein, t);
            vergleiche(klein, lang, t);
        }
    }
    ::unsetenv("TRELVIK_BRUTE");
    EXPECT_GT(geschnitten, 300);
    EXPECT_GT(gefunden, 150);
}
