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
        ba.baue(ka);
        bb.baue(kb);
        Punkt pa{}, pb{};
        const int32_t flags = trelvik::geo::MultiPolygonTest(
            a.data(), anzahl(a), ka.data(), b.data(), anzahl(b), kb.data(), t, &pa, &pb);
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

// A long ring and small rings beside, across and away from stretches of it: the test on the cut
// rings finds what it finds on the whole ones, both ways round and on both paths.
TEST(RingNaehe, AusschnittFindetWasDerGanzeRingFindet) {
    int geschnitten = 0, gefunden = 0;
    for (unsigned saat = 1; saat <= 60; ++saat) {
        ::setenv("TRELVIK_BRUTE", saat % 4 == 0 ? "1" : "0", 1);
        std::mt19937 z(saat);
        std::uniform_real_distribution<double> w(-1, 1);
        const double radius = saat % 2 == 0 ? 1000 : 250000;
        const Punkt mitte = saat % 3 == 0 ? Punkt{0.5, -0.25} : Punkt{500000.5, 5600000.25};
        const std::size_t n = 2100 + z() % 4000;
        std::vector<Punkt> lang;
        for (std::size_t i = 0; i < n; ++i) {
            const double winkel = 6.283185307179586 * static_cast<double>(i) / n;
            const double r = radius * (1 + 0.01 * w(z));
            lang.push_back({mitte.x + r * std::cos(winkel), mitte.y + r * std::sin(winkel)});
        }
        lang.push_back(lang.front());
        const double schritt = radius * 6.3 / static_cast<double>(n);
        const double t = schritt * static_cast<double>(z() % 4) * 0.3;
        const auto kl = kreise(lang, 2 * t);
        trelvik::KreisBloecke bl;
        bl.baue(kl);
        for (int k = 0; k < 6; ++k) {
            // A stretch of the long ring moved by up to a few steps, closed, or a walk near it.
            const std::size_t von = z() % (n - 40), laenge = 2 + z() % 38;
            std::vector<Punkt> klein;
            const double dx = w(z) * schritt * (k % 3 == 0 ? 40 : 2), dy = w(z) * schritt * 2;
            if (k % 3 == 2) // on the stretch within a few ulps: the rounding decides
                for (std::size_t i = von; i < von + laenge; ++i) {
                    Punkt p = lang[i];
                    for (unsigned u = z() % 4; u > 0; --u)
                        p = {std::nextafter(p.x, dx), std::nextafter(p.y, dy)};
                    klein.push_back(p);
                }
            else if (k % 2 == 0)
                for (std::size_t i = von; i < von + laenge; ++i)
                    klein.push_back({lang[i].x + dx, lang[i].y + dy});
            else
                klein = zufallsRing(z, schritt, {lang[von].x + dx, lang[von].y + dy});
            klein.push_back(klein.front());
            const auto kk = kreise(klein, 2 * t);
            trelvik::KreisBloecke bk;
            bk.baue(kk);
            for (const bool langErst : {true, false}) {
                const auto& pa = langErst ? lang : klein;
                const auto& pb = langErst ? klein : lang;
                const auto& ka = langErst ? kl : kk;
                const auto& kb = langErst ? kk : kl;
                const auto& ba = langErst ? bl : bk;
                const auto& bb = langErst ? bk : bl;
                std::vector<Punkt> sa, sb;
                std::vector<Segmentkreis> sk, tk;
                const bool schnittA = schneideAus(pa, ba, bb, true, sa, sk);
                const bool schnittB = schneideAus(pb, bb, ba, false, sb, tk);
                geschnitten += schnittA || schnittB;
                Punkt ganzA{}, ganzB{}, teilA{}, teilB{};
                const int32_t soll =
                    trelvik::geo::MultiPolygonTest(pa.data(), anzahl(pa), ka.data(), pb.data(),
                                                   anzahl(pb), kb.data(), t, &ganzA, &ganzB);
                const auto& qa = schnittA ? sa : pa;
                const auto& qb = schnittB ? sb : pb;
                const int32_t ist = trelvik::geo::MultiPolygonTest(
                    qa.data(), anzahl(qa), (schnittA ? sk : ka).data(), qb.data(), anzahl(qb),
                    (schnittB ? tk : kb).data(), t, &teilA, &teilB);
                ASSERT_EQ(ist, soll) << "seed " << saat << " ring " << k;
                if (soll > 0) {
                    ++gefunden;
                    EXPECT_EQ(teilA, ganzA) << "seed " << saat << " ring " << k;
                    EXPECT_EQ(teilB, ganzB) << "seed " << saat << " ring " << k;
                }
            }
        }
    }
    ::unsetenv("TRELVIK_BRUTE");
    EXPECT_GT(geschnitten, 300);
    EXPECT_GT(gefunden, 150);
}
