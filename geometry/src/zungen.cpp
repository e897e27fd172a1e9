// Removing narrow spikes and straight-line vertices from one part, in place.
#include "intern.h"

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
        Index i = 1;
        while (i < n - 2) {
            const Punkt vor = punkte[i - 1];
            const Punkt spitze = punkte[i];
            const Punkt nach = punkte[i + 1];
            const double d = abstand(vor, nach);
            const double a1 = std::atan2(nach.y - spitze.y, nach.x - spitze.x);
            const double a2 = std::atan2(nach.y - vor.y, nach.x - vor.x);
            if (d < t || std::fabs(a1 - a2) < richtungsSchwelle) {
                for (Index j = i; j <= n - 2; ++j)
                    punkte[j] = punkte[j + 1];
                --n;
                continue; // the next vertex now has this index
            }
            const Querrichtung quer(a1);
            const Strecke vorwaerts{spitze, nach};
            const Strecke rueckwaerts{spitze, vor};
            const Strecke querVor = quer.durch(vor, t);
            const Strecke querNach = quer.durch(nach, t);
            if (segmenteSchneiden(vorwaerts, querVor)) {
                ziehZurueck(punkte[i], vorwaerts, querVor, vor, t);
                ++zaehler;
            } else if (segmenteSchneiden(rueckwaerts, querNach)) {
                ziehZurueck(punkte[i], rueckwaerts, querNach, nach, t);
                ++zaehler;
            }
            ++i;
        }
    } catch (...) {
    }
    setze(verschoben, zaehler);
    return static_cast<int32_t>(n);
}
