// Pushing points apart that are closer than the minimum distance.
#include "intern.h"

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

} // namespace

extern "C" TRELVIK_API void LaengeVerschieben(Punkt* punkte, int32_t letzter, double t) {
    if (punkte == nullptr || letzter < 1)
        return;
    try {
        const Index n = letzter;
        for (Index i = 0; i < n; ++i)
            for (Index j = i + 1; j <= n; ++j) {
                Punkt& pi = punkte[i];
                Punkt& pj = punkte[j];
                const double d = abstand(pj, pi);
                // Only a distance known to be below t pushes: a NaN point must not turn its
                // partners into NaN.
                if (!(d < t))
                    continue;
                const double phi = std::atan2(pi.y - pj.y, pi.x - pj.x);
                const double e = (t - d + zugabe) / 2;
                const double ex = e * std::cos(phi);
                const double ey = e * std::sin(phi);
                pi = {pi.x + ex, pi.y + ey};
                pj = {pj.x - ex, pj.y - ey};
            }
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
        const std::vector<Segmentkreis> kreiseA = kreiseVon(ringA, na, t);
        std::vector<Segmentkreis> kreiseB = kreiseVon(ringB, nb, t);
        const Kasten ka = kastenVon(ringA, na, t);
        const Kasten kb = kastenVon(ringB, nb, t);
        if (!(kb.xMin < ka.xMax && kb.xMax > ka.xMin && kb.yMin < ka.yMax && kb.yMax > ka.yMin))
            return;
        for (Index p = 1; p < na; ++p) {
            const Strecke sa{ringA[p], ringA[p - 1]};
            const Segmentkreis& a = kreiseA[static_cast<std::size_t>(p - 1)];
            for (Index q = 1; q < nb; ++q) {
                const Segmentkreis& b = kreiseB[static_cast<std::size_t>(q - 1)];
                const double r = a.radius + b.radius;
                const double dx = a.x - b.x;
                const double dy = a.y - b.y;
                if (!(r * r > dx * dx + dy * dy))
                    continue;
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
                if (schiebe1 || schiebe2) {
                    // Only the circles that touch a moved point change; the box is not tested
                    // again, so it needs no update.
                    for (Index k = std::max<Index>(q - 2, 0); k <= q && k + 1 < nb; ++k)
                        kreiseB[static_cast<std::size_t>(k)] = kreisVon(ringB, k, t);
                }
            }
        }
    } catch (...) {
    }
}
