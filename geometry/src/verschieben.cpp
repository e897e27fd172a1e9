// Pushing points apart that are closer than the minimum distance.
#include "intern.h"
#include "raster.h"

#include <algorithm>
#include <limits>
#include <vector>

using namespace trelvik::geometrie;

namespace {

// The moved points end this far beyond the minimum distance.
constexpr double zugabe = 0.01;

struct Kasten {
    double xMin, xMax, yMin, yMax;
};

Kasten kastenVon(const Punkt* p, Index n, double t) {
    Kasten k{std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    for (Index i = 0; i < n; ++i) {
        k.xMin = std::min(k.xMin, p[i].x);
        k.xMax = std::max(k.xMax, p[i].x);
        k.yMin = std::min(k.yMin, p[i].y);
        k.yMax = std::max(k.yMax, p[i].y);
    }
    return {k.xMin - 2 * t, k.xMax + 2 * t, k.yMin - 2 * t, k.yMax + 2 * t};
}

// Circle of the segment from point k to point k+1, reaching 2t beyond it.
Segmentkreis kreisVon(const Punkt* p, Index k, double t) {
    const Punkt a = p[k];
    const Punkt b = p[k + 1];
    return {(a.x + b.x) / 2, (a.y + b.y) / 2, abstand(a, b) / 2 + 2 * t};
}

std::vector<Segmentkreis> kreiseVon(const Punkt* p, Index n, double t) {
    std::vector<Segmentkreis> kreise(static_cast<std::size_t>(n - 1));
    for (Index k = 0; k + 1 < n; ++k)
        kreise[static_cast<std::size_t>(k)] = kreisVon(p, k, t);
    return kreise;
}

// Moves b away from the foot f so that it ends t + margin from the segment.
void wegSchieben(Punkt& b, Punkt f, double d, double t) {
    const double g = std::atan2(b.y - f.y, b.x - f.x);
    const double weite = t - d + zugabe;
    b = {b.x + weite * std::cos(g), b.y + weite * std::sin(g)};
}

// Pushes the pair apart when it is closer than t; the current coordinates of both are used.
bool schiebePaar(Punkt& pi, Punkt& pj, double t) {
    const double d = abstand(pj, pi);
    // Only a distance known to be below t pushes: a NaN point must not turn its partners into
    // NaN.
    if (!(d < t))
        return false;
    const double phi = std::atan2(pi.y - pj.y, pi.x - pj.x);
    const double e = (t - d + zugabe) / 2;
    const double ex = e * std::cos(phi);
    const double ey = e * std::sin(phi);
    pi = {pi.x + ex, pi.y + ey};
    pj = {pj.x - ex, pj.y - ey};
    return true;
}

// The points follow in a grid; for each i the partners within reach of its current place are
// taken in ascending j, and after every push (which moves P[i]) the search starts again behind
// that partner. False when the coordinates are not for the grid.
bool laengeVerschiebenIndex(Punkt* punkte, Index n, double t) {
    if (!(t > 0))
        return true; // nothing is closer than that: no push
    Rahmen r;
    if (std::isinf(t) || !handlich(punkte, 0, n + 1, r))
        return false;
    double betrag = r.betrag();
    const Raster g = punktRaster(punkte, n + 1, r, t);
    Punktliste liste(g, punkte, n + 1);
    Kandidaten kand(n + 1);
    for (Index i = 0; i < n; ++i) {
        Index ab = i + 1;
        bool weiter = true;
        while (weiter) {
            weiter = false;
            const double reich = t * (1 + 1e-9) + spielraum(betrag);
            const Punkt p = punkte[i];
            kand.neueRunde();
            liste.fuer(Rahmen{p.x - reich, p.x + reich, p.y - reich, p.y + reich}, [&](Index j) {
                if (j >= ab)
                    kand.nimm(j);
            });
            for (const Index j : kand.sortiert())
                if (schiebePaar(punkte[i], punkte[j], t)) {
                    liste.bewegt(i, punkte[i]);
                    liste.bewegt(j, punkte[j]);
                    betrag = std::max({betrag, std::fabs(punkte[i].x), std::fabs(punkte[i].y),
                                       std::fabs(punkte[j].x), std::fabs(punkte[j].y)});
                    ab = j + 1;
                    weiter = true;
                    break;
                }
        }
    }
    return true;
}

// One pair of the ring push: B[q] and B[q-1] leave segment sa of A when their feet lie on it
// closer than t; a is the circle of sa, b that of B's segment q-1 to q. True when a point moved.
bool schiebeVonSegment(const Strecke& sa, const Segmentkreis& a, const Segmentkreis& b,
                       Punkt* ringB, Index q, double t) {
    const double r = a.radius + b.radius;
    const double dx = a.x - b.x;
    const double dy = a.y - b.y;
    if (!(r * r > dx * dx + dy * dy))
        return false;
    Punkt f1;
    Punkt f2;
    const double d1 = lotBerechnen(sa, ringB[q], f1);
    const double d2 = lotBerechnen(sa, ringB[q - 1], f2);
    // A foot outside the segment never asks for a push.
    const bool schiebe1 = d1 < t && lotAufStrecke(sa, f1, t);
    const bool schiebe2 = d2 < t && lotAufStrecke(sa, f2, t);
    if (schiebe1)
        wegSchieben(ringB[q], f1, d1, t);
    if (schiebe2)
        wegSchieben(ringB[q - 1], f2, d2, t);
    return schiebe1 || schiebe2;
}

bool ueberlappt(const Rahmen& a, const Rahmen& b) {
    return a.xMin <= b.xMax && b.xMin <= a.xMax && a.yMin <= b.yMax && b.yMin <= a.yMax;
}

// Only pairs with B[q] or B[q-1] within t of the segment of A can push; the points of B follow
// in a grid as they move, and a frame that grows with them lets the segments of A far from B
// pass at once. After a push at q the pair q+1 shares the moved B[q] and is taken as well. The
// circles are those of the current points, as the all-pairs loop keeps them. False when the
// coordinates are not for the grid.
bool ringVerschiebenIndex(const Punkt* ringA, Index na, Punkt* ringB, Index nb, double t) {
    if (!(t > 0))
        return true; // no distance is below that: no push
    Rahmen ra, rb;
    if (std::isinf(t) || !handlich(ringA, 0, na, ra) || !handlich(ringB, 0, nb, rb))
        return false;
    double betrag = std::max(ra.betrag(), rb.betrag());
    const Raster g = punktRaster(ringB, nb, rb, t);
    Punktliste liste(g, ringB, nb);
    Kandidaten kand(nb + 1);
    for (Index p = 1; p < na; ++p) {
        const Strecke sa{ringA[p], ringA[p - 1]};
        const double reich = t * (1 + 1e-9) + spielraum(betrag);
        Rahmen ks;
        ks.nimm(sa.a);
        ks.nimm(sa.b);
        if (!ueberlappt(ks.weiter(reich), rb))
            continue; // no point of B within reach: no candidate
        const Segmentkreis a = kreisVon(ringA, p - 1, t);
        kand.neueRunde();
        stueckweise(sa.a, sa.b, g.groesse(), reich, [&](const Rahmen& k) {
            if (!ueberlappt(k, rb))
                return;
            liste.fuer(k, [&](Index i) {
                if (i >= 1)
                    kand.nimm(i);
                if (i + 1 < nb)
                    kand.nimm(i + 1);
            });
        });
        const std::vector<Index> reihe = kand.sortiert();
        std::size_t k = 0;
        Index erzwungen = 0;
        for (;;) {
            Index q;
            if (erzwungen > 0 && (k >= reihe.size() || erzwungen < reihe[k])) {
                q = erzwungen;
            } else if (k < reihe.size()) {
                q = reihe[k++];
            } else {
                break;
            }
            if (q == erzwungen)
                erzwungen = 0;
            if (schiebeVonSegment(sa, a, kreisVon(ringB, q - 1, t), ringB, q, t)) {
                liste.bewegt(q, ringB[q]);
                liste.bewegt(q - 1, ringB[q - 1]);
                rb.nimm(ringB[q]);
                rb.nimm(ringB[q - 1]);
                betrag = std::max(betrag, rb.betrag());
                if (q + 1 < nb)
                    erzwungen = q + 1;
            }
        }
    }
    return true;
}

} // namespace

extern "C" TRELVIK_API void LaengeVerschieben(Punkt* punkte, int32_t letzter, double t) {
    if (punkte == nullptr || letzter < 1)
        return;
    try {
        const Index n = letzter;
        if (nimmIndex(n) && laengeVerschiebenIndex(punkte, n, t))
            return;
        for (Index i = 0; i < n; ++i)
            for (Index j = i + 1; j <= n; ++j)
                schiebePaar(punkte[i], punkte[j], t);
    } catch (...) {
    }
}

extern "C" TRELVIK_API void MultiPolygonVerschieben(const Punkt* ringA, int32_t anzahlA,
                                                    Punkt* ringB, int32_t anzahlB, double t,
                                                    int32_t) {
    if (ringA == nullptr || ringB == nullptr || anzahlA < 2 || anzahlB < 2)
        return; // a ring without a segment has nothing to push against or to push
    try {
        const Index na = anzahlA;
        const Index nb = anzahlB;
        const Kasten ka = kastenVon(ringA, na, t);
        const Kasten kb = kastenVon(ringB, nb, t);
        if (!(kb.xMin < ka.xMax && kb.xMax > ka.xMin && kb.yMin < ka.yMax && kb.yMax > ka.yMin))
            return;
        // The work of the pair loop decides: a small ring beside a coastline of a million
        // points is not a small task.
        if (nimmIndex(
                static_cast<Index>(std::sqrt(static_cast<double>(na) * static_cast<double>(nb)))) &&
            ringVerschiebenIndex(ringA, na, ringB, nb, t))
            return;
        const std::vector<Segmentkreis> kreiseA = kreiseVon(ringA, na, t);
        std::vector<Segmentkreis> kreiseB = kreiseVon(ringB, nb, t);
        for (Index p = 1; p < na; ++p) {
            const Strecke sa{ringA[p], ringA[p - 1]};
            const Segmentkreis& a = kreiseA[static_cast<std::size_t>(p - 1)];
            for (Index q = 1; q < nb; ++q)
                if (schiebeVonSegment(sa, a, kreiseB[static_cast<std::size_t>(q - 1)], ringB, q, t))
                    // Only the circles that touch a moved point change; the box is not tested
                    // again, so it needs no update.
                    for (Index k = std::max<Index>(q - 2, 0); k <= q && k + 1 < nb; ++k)
                        kreiseB[static_cast<std::size_t>(k)] = kreisVon(ringB, k, t);
        }
    } catch (...) {
    }
}
