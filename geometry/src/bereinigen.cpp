// Merging close points and cutting off small loops, in place on the caller's array.
#include "intern.h"
#include "raster.h"

#include <vector>

namespace trelvik::geometrie {

double schleifenFlaeche(const Punkt* p, Index s, Index e, Punkt ende) {
    const Punkt ps = p[s];
    double summe = 0;
    for (Index i = s + 1; i <= e; ++i) {
        const Punkt a = relativ(p[i - 1], ps);
        const Punkt b = relativ(i < e ? p[i] : ende, ps);
        summe += a.x * b.y - b.x * a.y;
    }
    return std::fabs(summe) / 2;
}

namespace {

// Removes m points after p by moving the tail down; returns the new count.
Index entferneNach(Punkt* punkte, Index n, Index p, Index m) {
    if (m <= 0)
        return n;
    for (Index k = p + 1; k < n - m; ++k)
        punkte[k] = punkte[k + m];
    return n - m;
}

} // namespace

namespace {

// The reference: every merge moves the rest of the array down by one.
Index loeschePunkteVerschiebend(Punkt* punkte, Index n, double t, bool geschlossen) {
    Index i = 1;
    while (i < n) {
        // Only a distance known to be below t merges: a NaN point must not swallow the
        // points after it.
        if (!(abstand(punkte[i], punkte[i - 1]) < t)) {
            ++i;
            continue;
        }
        punkte[i - 1] = {0.5 * punkte[i].x + 0.5 * punkte[i - 1].x,
                         0.5 * punkte[i].y + 0.5 * punkte[i - 1].y};
        if (geschlossen && i == 1)
            punkte[n - 1] = punkte[0]; // the closing point follows the moved first point
        for (Index j = i; j <= n - 2; ++j)
            punkte[j] = punkte[j + 1];
        if (geschlossen && i == n - 1)
            punkte[0] = punkte[i - 1]; // the first point follows the moved closing point
        --n;
        // i stays: the merged point is compared with its new successor.
    }
    return n;
}

// The same in one pass: the kept points are written behind a reader, so a merge costs O(1)
// instead of moving the rest. The array's current state is always punkte[0, w) followed by
// punkte[r, anzahl); the last place of that state is punkte[anzahl - 1]. The places that fall
// off the end get the value the moving version leaves there.
Index loeschePunkteStroemend(Punkt* punkte, Index anzahl, double t, bool geschlossen) {
    Index w = 1;
    Index r = 1;
    std::vector<Punkt> abgefallen; // value left at place anzahl-1, anzahl-2, ...
    while (r < anzahl) {
        if (!(abstand(punkte[r], punkte[w - 1]) < t)) {
            punkte[w++] = punkte[r++];
            continue;
        }
        punkte[w - 1] = {0.5 * punkte[r].x + 0.5 * punkte[w - 1].x,
                         0.5 * punkte[r].y + 0.5 * punkte[w - 1].y};
        if (geschlossen && w == 1)
            punkte[anzahl - 1] = punkte[0];
        abgefallen.push_back(punkte[anzahl - 1]);
        const bool letzter = r == anzahl - 1;
        ++r;
        if (geschlossen && letzter)
            punkte[0] = punkte[w - 1];
    }
    for (std::size_t k = 0; k < abgefallen.size(); ++k)
        punkte[anzahl - 1 - static_cast<Index>(k)] = abgefallen[k];
    return w;
}

} // namespace
} // namespace trelvik::geometrie

using namespace trelvik::geometrie;

extern "C" TRELVIK_API int32_t loeschePunkte(Punkt* punkte, int32_t anzahl, double t,
                                             int32_t geschlossen) {
    if (anzahl < 0)
        return 0;
    if (punkte == nullptr)
        return anzahl;
    Index n = anzahl;
    try {
        n = nimmIndex(n) ? loeschePunkteStroemend(punkte, n, t, geschlossen != 0)
                         : loeschePunkteVerschiebend(punkte, n, t, geschlossen != 0);
    } catch (...) {
    }
    return static_cast<int32_t>(n);
}

extern "C" TRELVIK_API int32_t loeschePunkteSmall(Punkt* punkte, int32_t anzahl,
                                                  int32_t geschlossen) {
    return loeschePunkte(punkte, anzahl, 0.0001, geschlossen);
}

extern "C" TRELVIK_API int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double t,
                                                      double minFlaeche) {
    if (anzahl < 0)
        return 0;
    if (punkte == nullptr)
        return anzahl;
    Index n = anzahl;
    try {
        Index p = 0;
        while (p < n - 3) {
            // The reference segment: after a cut it stays that of the earlier p.
            const Strecke s{punkte[p], punkte[p + 1]};
            const Querrichtung quer(std::atan2(s.b.y - s.a.y, s.b.x - s.a.x));
            Index q = p + 2;
            while (q < n - 1) {
                int fall = 0;
                Punkt x{0, 0};
                if (abstand(punkte[p], punkte[q]) < t) {
                    fall = 1;
                } else {
                    const Strecke hp = quer.durch(punkte[p], t);
                    const Strecke hq = quer.durch(punkte[q], t);
                    // A case with a meeting point needs a point computed here and now.
                    if (segmenteSchneiden(s, hq) && schnittpunktBerechnen(s, hq, x) &&
                        abstand(punkte[q], x) < t)
                        fall = 2;
                    if (fall == 0) {
                        const Strecke zurueck{punkte[q], punkte[q - 1]};
                        if (segmenteSchneiden(zurueck, hp) &&
                            schnittpunktBerechnen(zurueck, hp, x) && abstand(punkte[p], x) < t)
                            fall = 3;
                    }
                }
                if (fall > 0 &&
                    schleifenFlaeche(punkte, p, q, fall == 3 ? x : punkte[q]) < minFlaeche) {
                    Index m = q - p - 1;
                    if (fall != 1) {
                        punkte[q - 1] = x;
                        m = q - p - 2;
                    }
                    n = entferneNach(punkte, n, p, m);
                    ++p;
                    q = p + 2;
                    continue;
                }
                ++q;
            }
            ++p;
        }
    } catch (...) {
    }
    return static_cast<int32_t>(n);
}
