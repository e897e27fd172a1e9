// Removing narrow spikes and straight-line vertices from one part, in place.
#include "intern.h"
#include "raster.h"

#include <algorithm>

using namespace trelvik::geometrie;

namespace {

// About 0.018 degrees: a vertex whose outgoing direction differs less from the chord is on it.
constexpr double richtungsSchwelle = 0.000314159265358979;

// Pulls the tip onto the flank when the flank meets the cross piece close to the neighbour.
void ziehZurueck(Punkt& spitze, const Strecke& flanke, const Strecke& quer, Punkt nachbar,
                 double t) {
    Punkt x;
    if (schnittpunktBerechnen(flanke, quer, x) && abstand(nachbar, x) < t)
        spitze = x;
}

// The test of vertex `spitze` between `vor` and `nach`: 0 keep, 1 delete, 2 keep and count
// (it may have been pulled back onto a flank, then `spitze` holds the new place).
int pruefeSpitze(Punkt vor, Punkt& spitze, Punkt nach, double t) {
    const double d = abstand(vor, nach);
    const double a1 = std::atan2(nach.y - spitze.y, nach.x - spitze.x);
    const double a2 = std::atan2(nach.y - vor.y, nach.x - vor.x);
    if (d < t || std::fabs(a1 - a2) < richtungsSchwelle)
        return 1;
    const Querrichtung quer(a1);
    const Strecke vorwaerts{spitze, nach};
    const Strecke rueckwaerts{spitze, vor};
    const Strecke querVor = quer.durch(vor, t);
    const Strecke querNach = quer.durch(nach, t);
    if (segmenteSchneiden(vorwaerts, querVor)) {
        ziehZurueck(spitze, vorwaerts, querVor, vor, t);
        return 2;
    }
    if (segmenteSchneiden(rueckwaerts, querNach)) {
        ziehZurueck(spitze, rueckwaerts, querNach, nach, t);
        return 2;
    }
    return 0;
}

// True when pruefeSpitze surely answers 0 (keep, nothing counted), decided without its angles:
// the neighbours are not closer than t, the flanks' directions differ clearly by more than the
// threshold, and each neighbour lies clearly farther than t from the line of the other flank,
// so that neither cross piece can reach it. The margins cover the rounding of the angles, of
// the cross pieces and of the orientation tests; whatever is near a limit (or not a plain
// number) goes to pruefeSpitze.
bool bleibtGewiss(Punkt vor, Punkt spitze, Punkt nach, double t) {
    const double betrag = std::max({std::fabs(vor.x), std::fabs(vor.y), std::fabs(spitze.x),
                                    std::fabs(spitze.y), std::fabs(nach.x), std::fabs(nach.y)});
    if (!(betrag < 1e150) || !(t >= 0 && t < 1e150) || abstand(vor, nach) < t)
        return false;
    const Punkt u = relativ(nach, spitze); // the flank forwards
    const Punkt w = relativ(vor, spitze);  // the flank backwards
    const Punkt v = relativ(nach, vor);    // the chord
    const double kreuz = std::fabs(u.x * v.y - u.y * v.x);
    const auto laenge = [](Punkt d) { return std::fabs(d.x) + std::fabs(d.y); };
    const double lu = laenge(u), lw = laenge(w);
    // |u x v| bounds the sine of the angle between flank and chord from below; the distance of
    // vor from the line of u is |u x v| / |u|, that of nach from the line of w is |u x v| / |w|.
    const double reich = t * (1 + 1e-6) + 1e-9 * betrag + 1e-200;
    return kreuz > 0.00032 * lu * laenge(v) && kreuz > reich * lu && kreuz > reich * lw &&
           lu >= 1e-6 * (lw + t) && lw >= 1e-6 * (lu + t);
}

// The reference: every deletion moves the rest of the array down by one.
Index zungenVerschiebend(Punkt* punkte, Index n, double t, int32_t& zaehler) {
    Index i = 1;
    while (i < n - 2) {
        const int ergebnis = pruefeSpitze(punkte[i - 1], punkte[i], punkte[i + 1], t);
        if (ergebnis == 1) {
            for (Index j = i; j <= n - 2; ++j)
                punkte[j] = punkte[j + 1];
            --n;
            continue; // the next vertex now has this index
        }
        if (ergebnis == 2)
            ++zaehler;
        ++i;
    }
    return n;
}

// The same in one pass: kept points are written behind a reader (state: punkte[0, w) followed
// by punkte[r, anzahl)), so a deletion costs O(1). The last point is never touched, and it is
// what the moving version leaves in every place that falls off the end.
Index zungenStroemend(Punkt* punkte, Index anzahl, double t, int32_t& zaehler) {
    Index w = 1;
    Index r = 1;
    Index n = anzahl;
    while (w < n - 2) {
        Punkt spitze = punkte[r];
        const int ergebnis = bleibtGewiss(punkte[w - 1], spitze, punkte[r + 1], t)
                                 ? 0
                                 : pruefeSpitze(punkte[w - 1], spitze, punkte[r + 1], t);
        if (ergebnis == 1) {
            ++r;
            --n;
            continue;
        }
        if (ergebnis == 2)
            ++zaehler;
        punkte[w++] = spitze;
        ++r;
    }
    const Punkt letzter = punkte[anzahl - 1];
    for (; r < anzahl; ++r)
        punkte[w++] = punkte[r];
    for (; w < anzahl; ++w)
        punkte[w] = letzter;
    return n;
}

} // namespace

extern "C" TRELVIK_API int32_t entferneZungen(Punkt* punkte, int32_t anzahl, double t,
                                              int32_t* verschoben) {
    setze(verschoben, int32_t{0});
    if (anzahl < 0)
        return 0;
    if (punkte == nullptr)
        return anzahl;
    Index n = anzahl;
    int32_t zaehler = 0;
    try {
        n = nimmIndex(n) ? zungenStroemend(punkte, n, t, zaehler)
                         : zungenVerschiebend(punkte, n, t, zaehler);
    } catch (...) {
    }
    setze(verschoben, zaehler);
    return static_cast<int32_t>(n);
}
