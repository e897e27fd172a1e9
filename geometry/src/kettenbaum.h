// A tree over the runs of consecutive segments of one line, each run bounded by a rectangle in
// its own direction. Where long segments lie side by side (spikes, hatching, a star), a grid
// cell of any size holds hundreds of them; rectangles that follow the runs keep them apart.
// Like the grids, the tree is conservative: it may name a pair that lies farther apart than
// asked, never leave out one that lies closer.
#pragma once

#include "intern.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

#pragma GCC visibility push(hidden)

namespace trelvik::geometrie {

class Kettenbaum {
public:
    // Over the segments 1..n of the points q(0..n); coordinates that the grids take (finite).
    template <class Q> Kettenbaum(Index n, Q&& q) {
        if (n < 1)
            return;
        const Punkt p0 = q(0);
        std::vector<Punkt> rel(static_cast<std::size_t>(n) + 1);
        for (Index i = 0; i <= n; ++i)
            rel[static_cast<std::size_t>(i)] = relativ(q(i), p0);
        std::vector<std::int32_t> ebene;
        for (Index von = 1; von <= n; von += blatt) {
            Knoten k;
            k.von = static_cast<std::int32_t>(von);
            k.bis = static_cast<std::int32_t>(std::min(von + blatt - 1, n));
            for (Index s = von; s <= k.bis; ++s) {
                const Punkt a = rel[static_cast<std::size_t>(s - 1)];
                const Punkt b = rel[static_cast<std::size_t>(s)];
                const double dx = b.x - a.x, dy = b.y - a.y;
                k.sx += dx * dx - dy * dy;
                k.sy += 2 * dx * dy;
            }
            ebene.push_back(neu(k, rel));
        }
        while (ebene.size() > 1) {
            std::vector<std::int32_t> oben;
            for (std::size_t i = 0; i + 1 < ebene.size(); i += 2) {
                const Knoten& l = knoten[static_cast<std::size_t>(ebene[i])];
                const Knoten& r = knoten[static_cast<std::size_t>(ebene[i + 1])];
                Knoten k;
                k.von = l.von;
                k.bis = r.bis;
                k.sx = l.sx + r.sx;
                k.sy = l.sy + r.sy;
                k.links = ebene[i];
                k.rechts = ebene[i + 1];
                oben.push_back(neu(k, rel));
            }
            if (ebene.size() % 2 == 1)
                oben.push_back(ebene.back());
            ebene.swap(oben);
        }
        wurzel = ebene.front();
    }

    // f(von1, bis1, von2, bis2) for runs of segments, bis1 < von2 or the same run twice, that
    // may hold a pair of segments at most `abstand` apart (and more than the rounding of the
    // rectangles, which is far below the grids' slack). Every such pair of segments lies in
    // exactly one call. False, with the calls so far made, once more than `hoechstens` pairs of
    // segments were handed out.
    template <class F> bool fuerNahePaare(double abstand, double hoechstens, F&& f) const {
        if (wurzel < 0)
            return true;
        double ausgegeben = 0;
        std::vector<std::pair<std::int32_t, std::int32_t>> stapel{{wurzel, wurzel}};
        while (!stapel.empty()) {
            const auto [ia, ib] = stapel.back();
            stapel.pop_back();
            const Knoten& a = knoten[static_cast<std::size_t>(ia)];
            const Knoten& b = knoten[static_cast<std::size_t>(ib)];
            if (ia == ib) {
                if (a.links < 0) {
                    ausgegeben += static_cast<double>(a.bis - a.von + 1) * (a.bis - a.von + 1) / 2;
                    f(Index{a.von}, Index{a.bis}, Index{a.von}, Index{a.bis});
                } else {
                    stapel.push_back({a.links, a.links});
                    stapel.push_back({a.rechts, a.rechts});
                    stapel.push_back({a.links, a.rechts});
                }
            } else if (!getrennt(a, b, abstand)) {
                if (a.links < 0 && b.links < 0) {
                    ausgegeben += static_cast<double>(a.bis - a.von + 1) * (b.bis - b.von + 1);
                    f(Index{a.von}, Index{a.bis}, Index{b.von}, Index{b.bis});
                } else if (b.links < 0 || (a.links >= 0 && a.bis - a.von >= b.bis - b.von)) {
                    stapel.push_back({a.links, ib});
                    stapel.push_back({a.rechts, ib});
                } else {
                    stapel.push_back({ia, b.links});
                    stapel.push_back({ia, b.rechts});
                }
            }
            if (ausgegeben > hoechstens)
                return false;
        }
        return true;
    }

private:
    static constexpr Index blatt = 8;
    struct Knoten {
        // Direction (ux, uy) and the ranges of the points' projections on it (a) and on its
        // normal (-uy, ux) (b), relative to the first point of the line.
        double ux = 1, uy = 0, a0 = 0, a1 = 0, b0 = 0, b1 = 0;
        // Sum of the segments' doubled-angle vectors, weighted by their squared length: its
        // half angle is the run's main direction, whichever way the segments run.
        double sx = 0, sy = 0;
        std::int32_t von = 0, bis = 0;
        std::int32_t links = -1, rechts = -1;
    };

    std::int32_t neu(Knoten k, const std::vector<Punkt>& rel) {
        if (k.sx != 0 || k.sy != 0) {
            const double w = std::atan2(k.sy, k.sx) / 2;
            k.ux = std::cos(w);
            k.uy = std::sin(w);
        }
        const Punkt erster = rel[static_cast<std::size_t>(k.von - 1)];
        k.a0 = k.a1 = erster.x * k.ux + erster.y * k.uy;
        k.b0 = k.b1 = erster.y * k.ux - erster.x * k.uy;
        for (Index i = k.von; i <= k.bis; ++i) {
            const Punkt p = rel[static_cast<std::size_t>(i)];
            const double a = p.x * k.ux + p.y * k.uy;
            const double b = p.y * k.ux - p.x * k.uy;
            k.a0 = std::min(k.a0, a);
            k.a1 = std::max(k.a1, a);
            k.b0 = std::min(k.b0, b);
            k.b1 = std::max(k.b1, b);
        }
        knoten.push_back(k);
        return static_cast<std::int32_t>(knoten.size() - 1);
    }

    // The range of m's rectangle projected on the direction (wx, wy).
    static std::pair<double, double> projektion(const Knoten& m, double wx, double wy) {
        const double cu = m.ux * wx + m.uy * wy; // u of m on w
        const double cv = m.ux * wy - m.uy * wx; // normal of m on w
        const double a0 = m.a0 * cu, a1 = m.a1 * cu;
        const double b0 = m.b0 * cv, b1 = m.b1 * cv;
        return {std::min(a0, a1) + std::min(b0, b1), std::max(a0, a1) + std::max(b0, b1)};
    }
    // A gap above `abstand` on one of the four axes of the two rectangles (separating axes).
    static bool getrennt(const Knoten& a, const Knoten& b, double abstand) {
        const auto luecke = [&](const Knoten& m, const Knoten& o) {
            const auto [u0, u1] = projektion(o, m.ux, m.uy);
            if (u0 > m.a1 + abstand || u1 < m.a0 - abstand)
                return true;
            const auto [v0, v1] = projektion(o, -m.uy, m.ux);
            return v0 > m.b1 + abstand || v1 < m.b0 - abstand;
        };
        return luecke(a, b) || luecke(b, a);
    }

    std::vector<Knoten> knoten;
    std::int32_t wurzel = -1;
};

} // namespace trelvik::geometrie

#pragma GCC visibility pop
