// Uniform grids that gather candidate pairs for the indexed routines. Every filter here is
// conservative: it may name a pair that the all-pairs loop would not count, never the reverse,
// so replaying that loop's order and arithmetic over the candidates gives its results bit for
// bit.
#pragma once

#include "grosse_seiten.h"
#include "intern.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <new>
#include <optional>
#include <stdexcept>
#include <utility>
#include <vector>

#pragma GCC visibility push(hidden)

namespace trelvik::geometrie {

// TRELVIK_BRUTE=1 forces the all-pairs reference, TRELVIK_BRUTE=0 the indexed path even for the
// smallest parts, TRELVIK_BRUTE=2 the same with the runs' tree wherever a routine has one,
// TRELVIK_BRUTE=3 the same with the grids alone (no sweep over the runs); otherwise the size
// decides (above `ab`, where the grid starts to pay). Read at every call, so that one test
// program can run every path on the same input.
inline char erzwungenerWeg() {
    const char* wert = std::getenv("TRELVIK_BRUTE");
    return wert != nullptr && wert[0] != 0 && wert[1] == 0 ? wert[0] : 0;
}
inline bool nimmIndex(Index groesse, Index ab = 200) {
    const char weg = erzwungenerWeg();
    if (weg == '1')
        return false;
    if (weg == '0' || weg == '2' || weg == '3')
        return true;
    return groesse > ab;
}
inline bool nimmKette() {
    return erzwungenerWeg() == '2';
}
inline bool nimmLaeufe() {
    const char weg = erzwungenerWeg();
    return weg != '2' && weg != '3';
}
// Runs an indexed path; false, so that the all-pairs path runs instead, when its index does
// not fit into memory: that path needs only a copy of the part, and a part left unchecked
// would pass for one without findings.
template <class F> bool mitIndex(F&& weg) {
    try {
        return weg();
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
}

struct Rahmen {
    double xMin = std::numeric_limits<double>::infinity();
    double xMax = -std::numeric_limits<double>::infinity();
    double yMin = std::numeric_limits<double>::infinity();
    double yMax = -std::numeric_limits<double>::infinity();

    void nimm(Punkt p) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    void nimm(const Rahmen& r) {
        xMin = std::min(xMin, r.xMin);
        xMax = std::max(xMax, r.xMax);
        yMin = std::min(yMin, r.yMin);
        yMax = std::max(yMax, r.yMax);
    }
    Rahmen weiter(double d) const { return {xMin - d, xMax + d, yMin - d, yMax + d}; }
    double betrag() const {
        return std::max({std::fabs(xMin), std::fabs(xMax), std::fabs(yMin), std::fabs(yMax)});
    }
};

// Coordinates the grids can take: finite, small enough that squared differences stay finite,
// and either 0 or large enough that no product of two differences underflows (an underflowed
// product turns the orientation of far-apart points into "collinear"). Anything else takes the
// all-pairs path, whose NaN, overflow and underflow behaviour is the reference.
inline bool handlich(double c) {
    const double b = std::fabs(c);
    return b < 1e150 && (b == 0 || b > 1e-100);
}
// The same for points von..bis-1, without a branch per point (so that the compiler can
// vectorise it).
inline bool handlich(const Punkt* p, Index von, Index bis) {
    bool alle = true;
    for (Index i = von; i < bis; ++i) {
        const double x = std::fabs(p[i].x), y = std::fabs(p[i].y);
        alle &= (x < 1e150) & ((x == 0) | (x > 1e-100)) & (y < 1e150) & ((y == 0) | (y > 1e-100));
    }
    return alle;
}
inline bool handlich(const Punkt* p, Index von, Index bis, Rahmen& r) {
    // In blocks, each point's box taken once its block passes.
    constexpr Index block = 64;
    for (Index anfang = von; anfang < bis; anfang += block) {
        if (!handlich(p, anfang, std::min(bis, anfang + block)))
            return false;
        for (Index i = anfang, e = std::min(bis, anfang + block); i < e; ++i)
            r.nimm(p[i]);
    }
    return true;
}

// Slack for the rounding of the predicates at coordinates of this size: orders of magnitude
// above any error of the double arithmetic involved, far below any distance that matters.
inline double spielraum(double betrag) {
    return 1e-9 * betrag + 1e-200;
}

// Cell size for n items over r, given the summed extent of the segments (0 for points): about
// one item per cell, pieces of long segments not much more numerous than the items.
inline double zellgroesse(const Rahmen& r, Index n, double laengen) {
    const double w = r.xMax - r.xMin;
    const double hh = r.yMax - r.yMin;
    const double nn = static_cast<double>(std::max<Index>(n, 1));
    double h = std::sqrt(w * hh / nn);
    h = std::max({h, std::max(w, hh) / nn, laengen / (8 * nn)});
    if (!(h > 0) || !std::isfinite(h))
        h = 1;
    return h;
}

// Cell size for a sparse grid over n segments (or points joined in order) of the given summed
// extent: about one segment per cell along the line they form, however empty the frame is.
inline double zellgroesseEntlang(const Rahmen& r, Index n, double laengen) {
    const double nn = static_cast<double>(std::max<Index>(n, 1));
    double h = laengen / nn;
    if (!(h > 0) || !std::isfinite(h))
        h = std::max(r.xMax - r.xMin, r.yMax - r.yMin) / nn;
    if (!(h > 0) || !std::isfinite(h))
        h = 1;
    return h;
}

// A grid over a frame; coordinates outside it fall into the border cells. The cell of a
// coordinate is monotonic in it, so a point inside a box always lies in the box's cell range.
class Raster {
public:
    // A grid for per-cell arrays: at most about 4 n cells.
    Raster(const Rahmen& r, double h, Index n)
        : Raster(r, h, 4.0 * static_cast<double>(std::max<Index>(n, 1)) + 16, true) {}
    // A grid of any fineness whose cells only exist where items are (Zellliste): the cell size
    // can follow the items rather than the frame, as for a coastline whose frame is mostly
    // empty.
    static Raster duenn(const Rahmen& r, double h) { return Raster(r, h, 0, false); }

    Index zellen() const { return nx * ny; }
    Index breite() const { return nx; }
    double groesse() const { return zelle; }
    Index zx(double x) const { return klemme((x - x0) / zelle, nx); }
    Index zy(double y) const { return klemme((y - y0) / zelle, ny); }
    Index zelleVon(Punkt p) const { return zy(p.y) * nx + zx(p.x); }
    template <class F> void fuerZellen(const Rahmen& k, F&& f) const {
        const Index x1 = zx(k.xMin), x2 = zx(k.xMax);
        const Index y1 = zy(k.yMin), y2 = zy(k.yMax);
        for (Index y = y1; y <= y2; ++y)
            for (Index x = x1; x <= x2; ++x)
                f(y * nx + x);
    }

private:
    Raster(const Rahmen& r, double h, double grenze, bool dicht)
        : x0(r.xMin), y0(r.yMin), zelle(h) {
        // Each axis below 2^30 cells, so that a cell number y * nx + x fits 63 bits.
        constexpr double achse = 1073741824.0;
        for (;;) {
            const double bx = std::floor((r.xMax - r.xMin) / zelle) + 1;
            const double by = std::floor((r.yMax - r.yMin) / zelle) + 1;
            if (bx < achse && by < achse && (!dicht || bx * by <= grenze)) {
                nx = static_cast<Index>(bx);
                ny = static_cast<Index>(by);
                break;
            }
            zelle *= 1.5;
        }
    }
    static Index klemme(double v, Index n) {
        if (!(v > 0))
            return 0;
        if (v >= static_cast<double>(n - 1))
            return n - 1;
        return static_cast<Index>(v);
    }
    double x0, y0, zelle;
    Index nx = 1, ny = 1;
};

// Covers the segment a-b with boxes about one cell long, each enlarged by `reichweite` (which
// must include the slack for the rounding of the intermediate points).
template <class F> void stueckweise(Punkt a, Punkt b, double h, double reichweite, F&& f) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double l = std::max(std::fabs(dx), std::fabs(dy));
    Index m = 1;
    if (l > h)
        m = static_cast<Index>(std::min(l / h, 1e6)) + 1;
    Punkt vorher = a;
    for (Index k = 1; k <= m; ++k) {
        const double s = static_cast<double>(k) / static_cast<double>(m);
        const Punkt nach = k == m ? b : Punkt{a.x + dx * s, a.y + dy * s};
        f(Rahmen{std::min(vorher.x, nach.x) - reichweite, std::max(vorher.x, nach.x) + reichweite,
                 std::min(vorher.y, nach.y) - reichweite, std::max(vorher.y, nach.y) + reichweite});
        vorher = nach;
    }
}

// Rows for the occupied cells of a grid, found through a hash of the cell number, so that the
// grid may be far finer than its frame would allow for an array per cell.
class Zeilentafel {
public:
    explicit Zeilentafel(std::size_t erwartet) { hashGroesse(std::max<std::size_t>(erwartet, 8)); }
    Index zeilen() const { return static_cast<Index>(schluessel.size()); }
    // The row of cell z, -1 when it has none.
    std::int32_t finde(Index z) const {
        for (std::size_t i = platz(z);; i = (i + 1) & maske) {
            const std::int32_t zeile = tafel[i];
            if (zeile < 0 || schluessel[static_cast<std::size_t>(zeile)] == z)
                return zeile;
        }
    }
    // The row of cell z; a new cell gets the next row number.
    std::int32_t anlegen(Index z) {
        std::size_t i = platz(z);
        for (; tafel[i] >= 0; i = (i + 1) & maske)
            if (schluessel[static_cast<std::size_t>(tafel[i])] == z)
                return tafel[i];
        const auto zeile = static_cast<std::int32_t>(schluessel.size());
        schluessel.push_back(z);
        tafel[i] = zeile;
        if (2 * schluessel.size() > tafel.size())
            hashGroesse(2 * tafel.size()); // filled to a quarter again
        return zeile;
    }
    // Each occupied cell of g within the box, once, by its row.
    template <class F> void fuerZeilen(const Raster& g, const Rahmen& k, F&& f) const {
        const Index x1 = g.zx(k.xMin), x2 = g.zx(k.xMax);
        const Index y1 = g.zy(k.yMin), y2 = g.zy(k.yMax);
        const double bereich = static_cast<double>(x2 - x1 + 1) * static_cast<double>(y2 - y1 + 1);
        if (bereich > 2.0 * static_cast<double>(zeilen()) + 8) {
            // A box over more cells than are occupied: walk the occupied ones.
            const Index nx = g.breite();
            for (std::size_t zeile = 0; zeile < schluessel.size(); ++zeile) {
                const Index x = schluessel[zeile] % nx, y = schluessel[zeile] / nx;
                if (x >= x1 && x <= x2 && y >= y1 && y <= y2)
                    f(static_cast<Index>(zeile));
            }
            return;
        }
        for (Index y = y1; y <= y2; ++y)
            for (Index x = x1; x <= x2; ++x)
                if (const std::int32_t zeile = finde(y * g.breite() + x); zeile >= 0)
                    f(static_cast<Index>(zeile));
    }

private:
    std::size_t platz(Index z) const {
        return static_cast<std::size_t>((static_cast<std::uint64_t>(z) * 0x9E3779B97F4A7C15ull) >>
                                        verschiebung);
    }
    void hashGroesse(std::size_t mindestens) {
        unsigned bits = 4;
        while ((std::size_t{1} << bits) < mindestens)
            ++bits;
        verschiebung = 64 - bits;
        std::vector<std::int32_t> alt(std::size_t{1} << bits, -1);
        tafel.swap(alt);
        maske = tafel.size() - 1;
        for (std::size_t zeile = 0; zeile < schluessel.size(); ++zeile) {
            std::size_t i = platz(schluessel[zeile]);
            while (tafel[i] >= 0)
                i = (i + 1) & maske;
            tafel[i] = static_cast<std::int32_t>(zeile);
        }
    }
    std::vector<Index> schluessel; // cell number of each row
    std::vector<std::int32_t> tafel;
    std::size_t maske = 0;
    unsigned verschiebung = 60;
};

// Ids per occupied cell, filled once (compressed rows). Within a row the ids ascend. Each item
// also keeps the rows it went into, so that a query with exactly an item's own boxes needs no
// lookup.
class Zellliste {
public:
    // eintragen(id, melde) calls melde(box) for every box the item with that id covers.
    template <class E>
    Zellliste(const Raster& g, Index ids, E&& eintragen)
        : raster(g), tafel(static_cast<std::size_t>(ids) * 2) {
        std::vector<std::int32_t> zuletzt;
        eigene.reserve(static_cast<std::size_t>(ids) * 2);
        eigeneStart.reserve(static_cast<std::size_t>(ids) + 1);
        // Neighbouring items mostly share cells: the last cell's row saves its lookup.
        Index letzteZelle = -1;
        std::int32_t letzteZeile = -1;
        for (Index id = 0; id < ids; ++id) {
            eigeneStart.push_back(static_cast<std::uint32_t>(eigene.size()));
            eintragen(id, [&](const Rahmen& k) {
                g.fuerZellen(k, [&](Index z) {
                    if (z != letzteZelle) {
                        letzteZelle = z;
                        letzteZeile = tafel.anlegen(z);
                    }
                    const std::int32_t zeile = letzteZeile;
                    if (static_cast<std::size_t>(zeile) == zuletzt.size())
                        zuletzt.push_back(-1);
                    auto& l = zuletzt[static_cast<std::size_t>(zeile)];
                    if (l != static_cast<std::int32_t>(id)) {
                        l = static_cast<std::int32_t>(id);
                        eigene.push_back(zeile);
                    }
                });
            });
            if (eigene.size() > std::numeric_limits<std::uint32_t>::max())
                throw std::length_error("grid entries beyond 32 bits");
        }
        eigeneStart.push_back(static_cast<std::uint32_t>(eigene.size()));
        std::vector<std::int32_t>().swap(zuletzt);
        // The rows from the items' own lists, ids ascending: counts, their sums as the
        // write positions, which end as the starts of the following rows.
        start.assign(static_cast<std::size_t>(tafel.zeilen()) + 1, 0);
        for (const std::int32_t zeile : eigene)
            ++start[static_cast<std::size_t>(zeile) + 1];
        for (std::size_t z = 1; z < start.size(); ++z)
            start[z] += start[z - 1];
        inhalt.resize(eigene.size());
        for (Index id = 0; id < ids; ++id)
            for (Index k = eigeneStart[static_cast<std::size_t>(id)];
                 k < eigeneStart[static_cast<std::size_t>(id) + 1]; ++k)
                inhalt[static_cast<std::size_t>(
                    start[static_cast<std::size_t>(eigene[static_cast<std::size_t>(k)])]++)] =
                    static_cast<std::int32_t>(id);
        for (std::size_t z = start.size() - 1; z > 0; --z)
            start[z] = start[z - 1];
        start[0] = 0;
    }
    // Rows, for per-row marks.
    Index zeilen() const { return tafel.zeilen(); }
    // The work of all pairs that share a cell: when it comes near that of the all-pairs loop,
    // the grid does not pay.
    double paarLast() const {
        double summe = 0;
        for (std::size_t z = 0; z + 1 < start.size(); ++z) {
            const double c = static_cast<double>(start[z + 1] - start[z]);
            summe += c * c;
        }
        return summe;
    }
    // Each occupied cell within the box, once, by its row.
    template <class F> void fuerZeilen(const Rahmen& k, F&& f) const {
        tafel.fuerZeilen(raster, k, f);
    }
    // The rows item id went into: those of a query with exactly its boxes.
    template <class F> void fuerEigeneZeilen(Index id, F&& f) const {
        for (Index k = eigeneStart[static_cast<std::size_t>(id)];
             k < eigeneStart[static_cast<std::size_t>(id) + 1]; ++k)
            f(static_cast<Index>(eigene[static_cast<std::size_t>(k)]));
    }
    // The ids of one row from `ab` on, ascending.
    template <class F> void fuerAb(Index zeile, Index ab, F&& f) const {
        const auto anfang = inhalt.begin() + start[static_cast<std::size_t>(zeile)];
        const auto ende = inhalt.begin() + start[static_cast<std::size_t>(zeile) + 1];
        for (auto it = std::lower_bound(anfang, ende, ab); it != ende; ++it)
            f(static_cast<Index>(*it));
    }
    // The ids of one row, ascending.
    template <class F> void fuer(Index zeile, F&& f) const {
        for (Index k = start[static_cast<std::size_t>(zeile)];
             k < start[static_cast<std::size_t>(zeile) + 1]; ++k)
            f(static_cast<Index>(inhalt[static_cast<std::size_t>(k)]));
    }

private:
    const Raster& raster;
    Zeilentafel tafel;
    // Entries are counted in 32 bits (pieces of an int32 count of items, each a bounded
    // number of cells).
    std::vector<std::uint32_t> start;
    std::vector<std::int32_t> inhalt;
    std::vector<std::uint32_t> eigeneStart;
    std::vector<std::int32_t> eigene;
};

// Ids per occupied cell of a sparse grid, open to change: ids may be added to cells, and
// moved (Punktliste).
class Faecher {
public:
    Faecher(const Raster& g, std::size_t erwartet) : raster(g), tafel(erwartet * 2) {}
    std::vector<std::int32_t>& fach(Index z) {
        const auto zeile = static_cast<std::size_t>(tafel.anlegen(z));
        if (zeile == inhalt.size())
            inhalt.emplace_back();
        return inhalt[zeile];
    }
    // The ids of every occupied cell within the box, cell by cell.
    template <class F> void fuer(const Rahmen& k, F&& f) const {
        tafel.fuerZeilen(raster, k, [&](Index zeile) {
            for (const std::int32_t id : inhalt[static_cast<std::size_t>(zeile)])
                f(static_cast<Index>(id));
        });
    }
    // The work of all pairs that share a cell (see Zellliste::paarLast).
    double paarLast() const {
        double summe = 0;
        for (const auto& l : inhalt)
            summe += static_cast<double>(l.size()) * static_cast<double>(l.size());
        return summe;
    }

private:
    const Raster& raster;
    Zeilentafel tafel;
    std::vector<std::vector<std::int32_t>> inhalt;
};

// Points per cell of a sparse grid that follow their points as they move.
class Punktliste {
public:
    Punktliste(const Raster& g, const Punkt* p, Index n)
        : raster(g), faecher(g, static_cast<std::size_t>(n)), wo(static_cast<std::size_t>(n)) {
        for (Index i = 0; i < n; ++i) {
            const Index z = g.zelleVon(p[i]);
            wo[static_cast<std::size_t>(i)] = z;
            faecher.fach(z).push_back(static_cast<std::int32_t>(i));
        }
    }
    void bewegt(Index i, Punkt neu) {
        const Index z = raster.zelleVon(neu);
        Index& alt = wo[static_cast<std::size_t>(i)];
        if (z == alt)
            return;
        auto& l = faecher.fach(alt);
        *std::find(l.begin(), l.end(), static_cast<std::int32_t>(i)) = l.back();
        l.pop_back();
        faecher.fach(z).push_back(static_cast<std::int32_t>(i));
        alt = z;
    }
    template <class F> void fuer(const Rahmen& k, F&& f) const { faecher.fuer(k, f); }
    double paarLast() const { return faecher.paarLast(); }

private:
    const Raster& raster;
    Faecher faecher;
    std::vector<Index> wo;
};

// Summed extent of the segments between consecutive points von..bis-1.
inline double laengenEntlang(const Punkt* p, Index von, Index bis) {
    double summe = 0;
    for (Index i = von + 1; i < bis; ++i)
        summe += std::max(std::fabs(p[i].x - p[i - 1].x), std::fabs(p[i].y - p[i - 1].y));
    return summe;
}

// A sparse grid for n points joined in order, with cells no smaller than `mindestens` (the
// reach of the queries): about one segment per cell along the line, finer where the points
// crowd the cells.
inline Raster punktRaster(const Punkt* p, Index n, const Rahmen& r, double mindestens) {
    double h = std::max(zellgroesseEntlang(r, n, laengenEntlang(p, 0, n)), mindestens);
    for (int feiner = 0; feiner < 3 && h / 4 >= mindestens; ++feiner) {
        const Raster g = Raster::duenn(r, h);
        Zeilentafel tafel(static_cast<std::size_t>(n) * 2);
        std::vector<double> belegt;
        double last = 0;
        Index letzteZelle = -1; // points in order mostly stay in a cell for a while
        std::size_t zeile = 0;
        for (Index i = 0; i < n; ++i) {
            if (const Index z = g.zelleVon(p[i]); z != letzteZelle) {
                letzteZelle = z;
                zeile = static_cast<std::size_t>(tafel.anlegen(z));
            }
            if (zeile == belegt.size())
                belegt.push_back(0);
            last += 2 * belegt[zeile] + 1; // running sum of squared counts
            ++belegt[zeile];
        }
        if (last <= 16 * static_cast<double>(n + 1))
            break;
        h /= 4;
    }
    return Raster::duenn(r, h);
}

// Collects each id once per round, then hands them out in ascending order: the order of the
// all-pairs loop.
class Kandidaten {
public:
    explicit Kandidaten(Index ids) : marke(static_cast<std::size_t>(ids), -1) {}
    void neueRunde() {
        if (runde == std::numeric_limits<std::int32_t>::max()) {
            std::fill(marke.begin(), marke.end(), -1); // marks of 32 bits: start over
            runde = 0;
        }
        ++runde;
        liste.clear();
    }
    void nimm(Index id) {
        if (erstmals(id))
            liste.push_back(id);
    }
    bool erstmals(Index id) {
        auto& m = marke[static_cast<std::size_t>(id)];
        if (m == runde)
            return false;
        m = runde;
        return true;
    }
    const std::vector<Index>& sortiert() {
        std::sort(liste.begin(), liste.end());
        return liste;
    }

private:
    std::vector<std::int32_t> marke;
    std::int32_t runde = 0;
    std::vector<Index> liste;
};

// Segments by the line they lie on. Rounding can make the orientation test call two segments
// intersecting that lie far apart on (nearly) one line. The test's products are off by at most
// 3 ulps of |d1| |d2|, so it misjudges a point only within 3 ulps of its distance from the
// segment's start (at most 9.4e-16 * extent) of the other line; a pair so counted across a gap
// g needs such a point on each side, or one beside a line that crosses the other segment, and
// the directions of the two lines then differ by at most 2 * 9.4e-16 * extent / g. The grids
// and the runs' tree name every pair up to twice their slack apart, so with g above that,
// a direction window of 1e-14 * extent / slack (ten times the bound) and an offset window of
// twice that times the extent hold every such pair. The offset is measured along the diamond
// |dx| + |dy| = 1 as the direction is (one division for both, no square root): the
// perpendicular distance times c = |d| / (|dx| + |dy|), between 1 / sqrt 2 and 1, which moves
// by at most sqrt 2 times the angle. For offsets up to sqrt 2 (times the extent) that adds at
// most twice the direction window: the offset window is four times it.
//
// Two segments that are both parallel to the same axis never need the list: with d1y = 0 (or
// d1x = 0) one product of the orientation test is an exact zero and the other keeps its
// factors' signs, so the test is exact for any point, and two such segments count only where
// they touch. The list therefore holds no axis-parallel segment, and an axis-parallel segment
// finds its partners by its own query. A border along a parallel (thousands of segments on
// one line) would otherwise make each of them a partner of every other.
class Geradenliste {
public:
    // Segment id runs from a(id) to b(id); coordinates relative to a point of the data, so that
    // `ausdehnung` bounds every coordinate; `schlupf` is the slack of the grid beside it (at
    // least 1e-9 * ausdehnung).
    template <class A, class B>
    Geradenliste(Index ids, A&& a, B&& b, double ausdehnung, double schlupf)
        : massstab(ausdehnung > 0 ? 1 / ausdehnung : 1),
          fenster(std::min(feinsteBreite, 1e-14 * ausdehnung / schlupf) + rundung),
          toleranz((4 * fenster * ausdehnung + spielraum(ausdehnung)) * massstab * (1 + 1e-9) +
                   rundung) {
        // The lines in the order of the segments, then by counting into their bins: each line
        // is computed once.
        // As gerade() computes it, for every segment, kept only when neither parallel to an axis
        // nor of zero length: no branch to guess wrong.
        GrosserVektor<Eintrag> roh(static_cast<std::size_t>(ids));
        std::size_t genommen = 0;
        for (Index id = 0; id < ids; ++id) {
            const Punkt pa = a(id), pb = b(id);
            const double vorzeichen = pb.y < pa.y ? -1.0 : 1.0;
            const double dx = (pb.x - pa.x) * vorzeichen, dy = (pb.y - pa.y) * vorzeichen;
            const double kehr = 1 / (std::fabs(dx) + dy);
            const double steigung = dy * kehr;
            const double w = dx >= 0 ? steigung : periode - steigung;
            const double rho = (pa.x * dy - pa.y * dx) * kehr * massstab;
            roh[genommen] = w >= periode ? eintrag(0.0, -rho, id) : eintrag(w, rho, id);
            genommen += (pa.x != pb.x) & (pa.y != pb.y);
        }
        roh.resize(genommen);
        // At most about two entries per bin, bins no narrower than the window: a pair within
        // the window lies in one bin or in two neighbours.
        faecher = std::clamp<Index>(static_cast<Index>(roh.size() / 2), 1,
                                    static_cast<Index>(periode / (feinsteBreite + rundung)));
        kehrwert = static_cast<double>(faecher) / periode;
        binAnfang.assign(static_cast<std::size_t>(faecher) + 1, 0);
        for (const Eintrag& x : roh)
            ++binAnfang[static_cast<std::size_t>(fachVon(x.winkel)) + 1];
        for (std::size_t k = 1; k < binAnfang.size(); ++k)
            binAnfang[k] += binAnfang[k - 1];
        liste.resize(roh.size());
        {
            std::vector<std::uint32_t> frei(binAnfang.begin(), binAnfang.end() - 1);
            for (const Eintrag& x : roh)
                liste[frei[static_cast<std::size_t>(fachVon(x.winkel))]++] = x;
        }
        GrosserVektor<Eintrag>().swap(roh);
        // Each bin by offset: a few entries by insertion; the many of a direction that recurs
        // (data on a grid) by integer keys, the offset's bits made to sort as it does (the
        // offsets are finite) with the place in the bin below them.
        std::vector<std::uint64_t> schluessel;
        std::vector<Eintrag> zwischen;
        for (Index k = 0; k < faecher; ++k) {
            Eintrag* const anfang = liste.data() + von(k);
            const std::size_t anzahl = bis(k) - von(k);
            if (anzahl <= 16) {
                for (std::size_t i = 1; i < anzahl; ++i) {
                    const Eintrag x = anfang[i];
                    std::size_t j = i;
                    for (; j > 0 && x.abstand < anfang[j - 1].abstand; --j)
                        anfang[j] = anfang[j - 1];
                    anfang[j] = x;
                }
                continue;
            }
            schluessel.resize(anzahl);
            for (std::size_t i = 0; i < anzahl; ++i) {
                const auto bits = std::bit_cast<std::uint32_t>(anfang[i].abstand);
                const std::uint32_t ordnung = bits >> 31 != 0 ? ~bits : bits | 0x80000000u;
                schluessel[i] = std::uint64_t{ordnung} << 32 | i;
            }
            std::sort(schluessel.begin(), schluessel.end());
            zwischen.assign(anfang, anfang + anzahl);
            for (std::size_t i = 0; i < anzahl; ++i)
                anfang[i] = zwischen[schluessel[i] & 0xffffffffu];
        }
    }

    // f(id, andere) for every pair of the segments a(id)-b(id), id 0..ids-1 (those the list
    // was built from), whose lines could be taken for each other, except pairs parallel to the
    // same axis; a pair may be named twice, in either order.
    template <class A, class B, class F> void fuerPaare(Index ids, A&& a, B&& b, F&& f) const {
        // The entries among themselves: within a bin and with the next bin, by their offsets.
        for (Index k = 0; k < faecher; ++k) {
            const bool naechstes = k + 1 < faecher;
            std::size_t unten = naechstes ? von(k + 1) : 0;
            for (std::size_t i = von(k); i < bis(k); ++i) {
                const Eintrag& x = liste[i];
                const double w = x.winkel, abstand = x.abstand;
                const double oben = abstand + toleranz;
                for (std::size_t j = i + 1; j < bis(k) && liste[j].abstand <= oben; ++j)
                    if (std::fabs(liste[j].winkel - w) <= fenster)
                        f(Index{x.id}, Index{liste[j].id});
                if (!naechstes)
                    continue;
                while (unten < bis(k + 1) && liste[unten].abstand < abstand - toleranz)
                    ++unten;
                for (std::size_t j = unten; j < bis(k + 1) && liste[j].abstand <= oben; ++j)
                    if (std::fabs(liste[j].winkel - w) <= fenster)
                        f(Index{x.id}, Index{liste[j].id});
            }
        }
        // Across the end of the range: directions just above 0 against those just below
        // periode, the same lines with offsets of opposite sign.
        for (std::size_t i = von(0); i < bis(0) && liste[i].winkel <= fenster; ++i)
            bereich(liste[i].winkel - fenster + periode, periode, liste[i].abstand, -1.0,
                    [&](Index andere) { f(Index{liste[i].id}, andere); });
        // Axis-parallel segments are not in the list: each looks for its partners in it. All
        // those along x have direction 0, all those along y direction 1, so they look into the
        // same bins; when those are empty (on projected data, the usual case) none is looked at.
        const bool waagerecht = belegt(-fenster, fenster) || belegt(periode - fenster, periode);
        const bool senkrecht = belegt(1 - fenster, 1 + fenster);
        if (!waagerecht && !senkrecht)
            return;
        for (Index id = 0; id < ids; ++id)
            if (const Punkt pa = a(id), pb = b(id);
                (waagerecht && pa.y == pb.y) || (senkrecht && pa.x == pb.x))
                if (const auto g = gerade(pa, pb))
                    fuer(g->first, g->second, [&](Index andere) { f(id, andere); });
    }
    bool leer() const { return liste.empty(); }

private:
    static constexpr double feinsteBreite = 1e-5;
    // The entries are kept in single precision, directions in [0, periode] and offsets
    // divided by the extent (at most about 1.5): each is off by at most 2^-24 (or, below the
    // normal range, by far less), so the windows are widened by twice that and more.
    static constexpr double rundung = 0x1p-22;
    // Directions are measured by the slope along the diamond |dx| + |dy| = 1: 0 for +x, 1 for
    // +y, approaching 2 for -x. It grows with the angle, by at most the angle (1 / (|cos| +
    // |sin|)^2 of it), so a window of w in it holds every pair whose angles differ by w.
    static constexpr double periode = 2;
    // Entries sorted by direction bin, then by offset: many segments on one line, such as a
    // border along a parallel, share a bin and are found by their offset. Ids are those of one
    // part (int32 counts).
    struct Eintrag {
        float winkel, abstand;
        std::int32_t id;
    };
    // The entry of segment id on the line (w, rho), rho already scaled; a direction that rounds
    // up to periode is the same line as direction 0 with the opposite offset.
    static Eintrag eintrag(double w, double rho, Index id) {
        Eintrag x{static_cast<float>(w), static_cast<float>(rho), static_cast<std::int32_t>(id)};
        if (x.winkel >= static_cast<float>(periode)) {
            x.winkel = 0;
            x.abstand = -x.abstand;
        }
        return x;
    }
    Index fachVon(double w) const {
        return std::min(faecher - 1, static_cast<Index>(std::max(w, 0.0) * kehrwert));
    }
    std::size_t von(Index fach) const { return binAnfang[static_cast<std::size_t>(fach)]; }
    // Whether any entry lies in the bins that bereich(wVon, wBis, ...) looks into.
    bool belegt(double wVon, double wBis) const {
        return bis(fachVon(std::min(wBis, periode))) > von(fachVon(wVon));
    }
    std::size_t bis(Index fach) const { return binAnfang[static_cast<std::size_t>(fach) + 1]; }
    // Direction in [0, periode) and signed distance of the line from the origin along the
    // diamond, divided by the extent; none for a zero-length segment (its orientation tests
    // cannot go wrong that way).
    std::optional<std::pair<double, double>> gerade(Punkt a, Punkt b) const {
        double dx = b.x - a.x;
        double dy = b.y - a.y;
        if (dx == 0 && dy == 0)
            return std::nullopt;
        if (dy < 0 || (dy == 0 && dx < 0)) {
            dx = -dx;
            dy = -dy;
        }
        const double kehr = 1 / (std::fabs(dx) + dy);
        const double steigung = dy * kehr;
        const double w = dx >= 0 ? steigung : periode - steigung;
        const double rho = (a.x * dy - a.y * dx) * kehr * massstab;
        if (w >= periode)
            return std::pair{0.0, -rho}; // rounded up to -x: the same line as +x
        return std::pair{w, rho};
    }
    // Every id whose line could be taken for the line (w, rho).
    template <class F> void fuer(double w, double rho, F&& f) const {
        bereich(w - fenster, w + fenster, rho, 1.0, f);
        if (w - fenster < 0)
            bereich(w - fenster + periode, periode, rho, -1.0, f);
        if (w + fenster >= periode)
            bereich(0, w + fenster - periode, rho, -1.0, f);
    }
    template <class F>
    void bereich(double wVon, double wBis, double rho, double vorzeichen, F&& f) const {
        // Offsets in twice the window; the test below is the one that decides.
        const double mitte = rho * vorzeichen;
        const double unten = mitte - 2 * toleranz, oben = mitte + 2 * toleranz;
        for (Index fach = fachVon(wVon); fach <= fachVon(std::min(wBis, periode)); ++fach) {
            const auto ende = liste.begin() + static_cast<std::ptrdiff_t>(bis(fach));
            auto it = std::lower_bound(
                liste.begin() + static_cast<std::ptrdiff_t>(von(fach)), ende, unten,
                [](const Eintrag& x, double wert) { return x.abstand < wert; });
            for (; it != ende && it->abstand <= oben; ++it)
                if (it->winkel >= wVon && it->winkel <= wBis &&
                    std::fabs(it->abstand * vorzeichen - rho) <= toleranz)
                    f(Index{it->id});
        }
    }
    double massstab;
    double fenster;
    double toleranz;
    Index faecher = 1;
    double kehrwert = 1;
    GrosserVektor<Eintrag> liste;
    GrosserVektor<std::uint32_t> binAnfang;
};

} // namespace trelvik::geometrie

#pragma GCC visibility pop
