// Runs of consecutive segments of one line, each with the box of its points: the pairs of runs
// whose boxes come within a distance of each other, from a grid or swept along one axis. A
// coastline's runs meet only their neighbours in the order and the few that come near across a
// bay, so this finds the candidates of a long ring in a few passes over n / 8 boxes. Like the
// grids, it is conservative: the boxes are minima and maxima of the points only, so no pair
// that lies within the distance is left out.
#pragma once

#include "grosse_seiten.h"
#include "intern.h"
#include "raster.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>
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
    // at most `abstand` apart on both axes, each pair once, in no particular order; false,
    // with only some of them named, when there are more than `hoechstens` pairs or more than
    // 64 runs near each other on average (everything lies near everything). Found on a grid
    // where the boxes are of about one size (no sort), else by the sweep. Without `nachbarn`
    // neither a run with itself nor with the next one is named (they always meet: the caller takes
    // them in order).
    template <class F>
    bool fuerNahePaare(double abstand, double hoechstens, F&& f, bool nachbarn = true) const {
        const std::size_t m = kaesten.size();
        if (m == 0)
            return true;
        if (const auto ergebnis = imRaster(abstand, hoechstens, f, nachbarn))
            return *ergebnis;
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
    // fuerNahePaare() on a grid of cells about as large as the runs' boxes: each pair of boxes
    // that come near is named by the one cell that holds the lower left corner of their
    // overlap, the upper sides of both taken `abstand` further. Nothing (and nothing named)
    // when the boxes would fill too many cells, as when a few of them are far larger than the
    // rest, or crowd a few cells: the sweep takes those.
    template <class F>
    std::optional<bool> imRaster(double abstand, double hoechstens, F& f, bool nachbarn) const {
        const std::size_t m = kaesten.size();
        Rahmen alle;
        double breiten = 0, hoehen = 0;
        for (const Rahmen& k : kaesten) {
            alle.nimm(Punkt{k.xMin, k.yMin});
            alle.nimm(Punkt{k.xMax + abstand, k.yMax + abstand});
            breiten += k.xMax + abstand - k.xMin;
            hoehen += k.yMax + abstand - k.yMin;
        }
        const double mm = static_cast<double>(m);
        const double zelle =
            std::max({breiten / mm, hoehen / mm,
                      std::sqrt((alle.xMax - alle.xMin) * (alle.yMax - alle.yMin) / (4 * mm))});
        if (!(zelle > 0) || !std::isfinite(zelle) || !std::isfinite(alle.betrag()))
            return std::nullopt;
        const double nxD = std::floor((alle.xMax - alle.xMin) / zelle) + 1;
        const double nyD = std::floor((alle.yMax - alle.yMin) / zelle) + 1;
        if (!(nxD * nyD <= 8 * mm + 64))
            return std::nullopt;
        const auto nx = static_cast<std::size_t>(nxD), ny = static_cast<std::size_t>(nyD);
        // Monotonic in the coordinate, so a box's cells are those of its corners and all
        // between.
        const auto spalte = [&](double x) {
            return std::min(nx - 1,
                            static_cast<std::size_t>(std::max(0.0, (x - alle.xMin) / zelle)));
        };
        const auto zeile = [&](double y) {
            return std::min(ny - 1,
                            static_cast<std::size_t>(std::max(0.0, (y - alle.yMin) / zelle)));
        };
        GrosserVektor<std::uint32_t> start(nx * ny + 1, 0);
        std::size_t eintraege = 0;
        for (const Rahmen& k : kaesten) {
            const std::size_t x0 = spalte(k.xMin), x1 = spalte(k.xMax + abstand);
            const std::size_t y0 = zeile(k.yMin), y1 = zeile(k.yMax + abstand);
            eintraege += (x1 - x0 + 1) * (y1 - y0 + 1);
            if (eintraege > 8 * m + 64)
                return std::nullopt;
            for (std::size_t y = y0; y <= y1; ++y)
                for (std::size_t x = x0; x <= x1; ++x)
                    ++start[y * nx + x + 1];
        }
        // Many boxes in a few cells (long thin boxes across a line's extent make the cells
        // large): the sweep, before any pair is named.
        double arbeit = 0;
        for (std::size_t z = 1; z < start.size(); ++z)
            arbeit += static_cast<double>(start[z]) * static_cast<double>(start[z]);
        if (arbeit > 64 * mm + 4096)
            return std::nullopt;
        for (std::size_t z = 1; z < start.size(); ++z)
            start[z] += start[z - 1];
        GrosserVektor<std::uint32_t> inhalt(eintraege);
        {
            GrosserVektor<std::uint32_t> frei(start.begin(), start.end() - 1);
            for (std::size_t i = 0; i < m; ++i) {
                const Rahmen& k = kaesten[i];
                for (std::size_t y = zeile(k.yMin), y1 = zeile(k.yMax + abstand); y <= y1; ++y)
                    for (std::size_t x = spalte(k.xMin), x1 = spalte(k.xMax + abstand); x <= x1;
                         ++x)
                        inhalt[frei[y * nx + x]++] = static_cast<std::uint32_t>(i);
            }
        }
        // A cell holds its boxes in ascending order: a < b below.
        double paare = 0;
        for (std::size_t z = 0; z + 1 < start.size(); ++z) {
            const std::size_t von = start[z], bis = start[z + 1];
            for (std::size_t u = von; u < bis; ++u) {
                const std::uint32_t a = inhalt[u];
                const Rahmen& ka = kaesten[a];
                if (nachbarn && spalte(ka.xMin) + zeile(ka.yMin) * nx == z)
                    f(static_cast<Index>(a), static_cast<Index>(a));
                for (std::size_t v = u + 1; v < bis; ++v) {
                    const std::uint32_t b = inhalt[v];
                    const Rahmen& kb = kaesten[b];
                    if (!(kb.xMin <= ka.xMax + abstand && ka.xMin <= kb.xMax + abstand &&
                          kb.yMin <= ka.yMax + abstand && ka.yMin <= kb.yMax + abstand))
                        continue;
                    if (spalte(std::max(ka.xMin, kb.xMin)) +
                            zeile(std::max(ka.yMin, kb.yMin)) * nx !=
                        z)
                        continue; // named in another cell
                    if (!nachbarn && b == a + 1)
                        continue;
                    if (++paare > hoechstens)
                        return false;
                    f(static_cast<Index>(a), static_cast<Index>(b));
                }
            }
        }
        return true;
    }

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
