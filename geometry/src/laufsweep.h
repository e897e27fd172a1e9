// Runs of consecutive segments of one line, each with the box of its points, swept along one
// axis: the pairs of runs whose boxes come within a distance of each other. A coastline's runs
// meet only their neighbours in the order and the few that come near across a bay, so this
// finds the candidates of a long ring in about one sort of n / 8 boxes. Like the grids, it is
// conservative: the boxes are minima and maxima of the points only, so no pair that lies
// within the distance is left out.
#pragma once

#include "grosse_seiten.h"
#include "intern.h"
#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#pragma GCC visibility push(hidden)

namespace trelvik::geometrie {

class Laufsweep {
public:
    static constexpr Index lauf = 8;

    // Run m holds the segments lauf * m + 1 .. min(lauf * (m + 1), n) of the points q(0..n),
    // that is the points lauf * m .. min(lauf * (m + 1), n).
    template <class Q> Laufsweep(Index n, Q&& q) : n_(n) {
        if (n < 1)
            return;
        kaesten.resize(static_cast<std::size_t>((n - 1) / lauf + 1));
        for (std::size_t m = 0; m < kaesten.size(); ++m) {
            Rahmen& k = kaesten[m];
            const Index von = lauf * static_cast<Index>(m);
            const Punkt a = q(von);
            k = {a.x, a.x, a.y, a.y};
            for (Index i = von + 1, e = std::min(von + lauf, n); i <= e; ++i) {
                const Punkt p = q(i);
                k.xMin = std::min(k.xMin, p.x);
                k.xMax = std::max(k.xMax, p.x);
                k.yMin = std::min(k.yMin, p.y);
                k.yMax = std::max(k.yMax, p.y);
            }
        }
    }

    Index laeufe() const { return static_cast<Index>(kaesten.size()); }
    // The box of the points of run m.
    const Rahmen& kasten(Index m) const { return kaesten[static_cast<std::size_t>(m)]; }
    // The first and last segment of run m.
    Index von(Index m) const { return lauf * m + 1; }
    Index bis(Index m) const { return std::min(lauf * (m + 1), n_); }

    // f(a, b) with a <= b for every pair of runs (each run with itself too) whose boxes lie
    // at most `abstand` apart on both axes; false, with only some of them named, when there
    // are more than `hoechstens` pairs or more than 64 runs open at a time on average
    // (everything lies near everything). Without `nachbarn` neither a run with itself nor
    // with the next one is named (they always meet: the caller takes them in order).
    template <class F>
    bool fuerNahePaare(double abstand, double hoechstens, F&& f, bool nachbarn = true) const {
        const std::size_t m = kaesten.size();
        if (m == 0)
            return true;
        const double tiefeX = tiefe(abstand, true), tiefeY = tiefe(abstand, false);
        if (!(std::min(tiefeX, tiefeY) <= 64))
            return false; // as machbar()
        const bool inX = tiefeX <= tiefeY;
        struct Eintrag {
            double unten, oben, quer1, quer2;
            std::uint32_t lauf;
        };
        GrosserVektor<Eintrag> folge(m);
        for (std::size_t i = 0; i < m; ++i) {
            const Rahmen& k = kaesten[i];
            folge[i] = inX ? Eintrag{k.xMin, k.xMax, k.yMin, k.yMax, static_cast<std::uint32_t>(i)}
                           : Eintrag{k.yMin, k.yMax, k.xMin, k.xMax, static_cast<std::uint32_t>(i)};
        }
        std::sort(folge.begin(), folge.end(),
                  [](const Eintrag& a, const Eintrag& b) { return a.unten < b.unten; });
        // Each run against those that start after it, up to its end plus the distance.
        double paare = 0, arbeit = 0;
        for (std::size_t i = 0; i < m; ++i) {
            const Eintrag& e = folge[i];
            if (nachbarn)
                f(static_cast<Index>(e.lauf), static_cast<Index>(e.lauf));
            const double bis = e.oben + abstand;
            std::size_t k = i + 1;
            for (; k < m && folge[k].unten <= bis; ++k) {
                const Eintrag& o = folge[k];
                if (o.quer1 <= e.quer2 + abstand && e.quer1 <= o.quer2 + abstand &&
                    (nachbarn || (o.lauf != e.lauf + 1 && e.lauf != o.lauf + 1))) {
                    if (++paare > hoechstens)
                        return false;
                    f(static_cast<Index>(std::min(o.lauf, e.lauf)),
                      static_cast<Index>(std::max(o.lauf, e.lauf)));
                }
            }
            arbeit += static_cast<double>(k - i);
            if (arbeit > 64 * static_cast<double>(m) + 4096)
                return false;
        }
        return true;
    }

    // Whether the sweep pays: on average at most 64 runs open at a time on the better axis
    // (false for a star, whose runs all overlap).
    bool machbar(double abstand) const {
        return kaesten.empty() || std::min(tiefe(abstand, true), tiefe(abstand, false)) <= 64;
    }

private:
    // How many runs overlap a point of the axis, on average over the runs' extent.
    double tiefe(double abstand, bool inX) const {
        double breite = 0, unten = 0, oben = 0;
        for (const Rahmen& k : kaesten) {
            const double u = inX ? k.xMin : k.yMin, o = inX ? k.xMax : k.yMax;
            breite += o - u;
            unten = &k == &kaesten.front() ? u : std::min(unten, u);
            oben = &k == &kaesten.front() ? o : std::max(oben, o);
        }
        const double m = static_cast<double>(kaesten.size());
        return (breite + abstand * m) / (oben - unten + abstand);
    }
    Index n_;
    GrosserVektor<Rahmen> kaesten;
};

} // namespace trelvik::geometrie

#pragma GCC visibility pop
