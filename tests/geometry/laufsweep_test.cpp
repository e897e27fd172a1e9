// The near pairs of runs against every pair of boxes: on the grid where the boxes are of like
// size, on the sweep where a few are far larger, with and without the neighbours.
#include "laufsweep.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using trelvik::geometrie::Index;
using trelvik::geometrie::Laufsweep;
using trelvik::geometrie::Rahmen;

TEST(Laufsweep, NahePaareSindDieDerBoxen) {
    for (unsigned saat = 1; saat <= 120; ++saat) {
        std::mt19937 z(saat);
        std::uniform_real_distribution<double> eins(0, 1);
        // A walk with steps of one size; for some seeds with a long jump every 1,000 steps, or
        // every 60, whose few large boxes the grid leaves to the sweep, or takes on larger
        // cells; on a lattice of coarse steps for some (boxes that touch exactly).
        const int alle = saat % 3 == 0 ? 1000 : saat % 3 == 1 ? 60 : 1 << 30;
        const bool gitter = saat % 4 == 0;
        std::vector<Punkt> p{{500000.5 * (saat % 2), 0}};
        const int n = 1 + static_cast<int>(z() % 3000);
        for (int i = 0; i < n; ++i) {
            // Out and back along x: long thin boxes across the others.
            const bool weit = i % alle == alle - 1;
            double dx = weit ? (i / alle % 2 == 0 ? 20000 : -20000) : (eins(z) - 0.5) * 4;
            double dy = (eins(z) - 0.5) * 4;
            if (gitter)
                dx = std::round(dx), dy = std::round(dy);
            p.push_back({p.back().x + dx, p.back().y + dy});
        }
        const Laufsweep laeufe(n, [&](Index i) { return p[static_cast<std::size_t>(i)]; });
        const double abstand = saat % 5 == 0 ? 0 : eins(z) * 3;
        for (const bool nachbarn : {true, false}) {
            std::set<std::pair<Index, Index>> soll, ist;
            for (Index a = 0; a < laeufe.laeufe(); ++a)
                for (Index b = a; b < laeufe.laeufe(); ++b) {
                    const Rahmen &x = laeufe.kasten(a), &y = laeufe.kasten(b);
                    if (y.xMin <= x.xMax + abstand && x.xMin <= y.xMax + abstand &&
                        y.yMin <= x.yMax + abstand && x.yMin <= y.yMax + abstand &&
                        (nachbarn || b > a + 1))
                        soll.insert({a, b});
                }
            bool doppelt = false;
            const bool fertig = laeufe.fuerNahePaare(
                abstand, 1e9,
                [&](Index a, Index b) {
                    EXPECT_LE(a, b);
                    doppelt = doppelt || !ist.insert({a, b}).second;
                },
                nachbarn);
            if (!fertig)
                continue; // everything near everything: the caller takes another path
            EXPECT_FALSE(doppelt) << "seed " << saat;
            EXPECT_EQ(ist, soll) << "seed " << saat << (nachbarn ? " with" : " without");
        }
    }
}

} // namespace
