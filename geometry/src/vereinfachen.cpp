// Vertex reduction followed by Douglas-Peucker.
#include "intern.h"

#include <utility>
#include <vector>

namespace trelvik::geometrie {

namespace {

double quadrat(Punkt p, Punkt q) {
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    return dx * dx + dy * dy;
}

} // namespace

void poly_simplify_dp(double toleranz, const Punkt* v, Index j, Index k, std::int32_t* marken) {
    const double t2 = toleranz * toleranz;
    // An explicit stack instead of recursion: a long spiral would otherwise run the call stack
    // out. Each range is independent, so the marks do not depend on the order of the work.
    std::vector<std::pair<Index, Index>> offen{{j, k}};
    while (!offen.empty()) {
        const auto [von, bis] = offen.back();
        offen.pop_back();
        if (bis <= von + 1)
            continue;
        const Punkt a = v[von];
        const Punkt b = v[bis];
        const double ux = b.x - a.x;
        const double uy = b.y - a.y;
        const double cu = ux * ux + uy * uy;
        Index beste = von;
        double besteD = 0;
        for (Index i = von + 1; i < bis; ++i) {
            const double wx = v[i].x - a.x;
            const double wy = v[i].y - a.y;
            const double cw = wx * ux + wy * uy;
            double d;
            if (cw <= 0) {
                d = quadrat(v[i], a);
            } else if (cu <= cw) {
                d = quadrat(v[i], b);
            } else {
                const double anteil = cw / cu;
                d = quadrat(v[i], {a.x + anteil * ux, a.y + anteil * uy});
            }
            if (d > besteD) {
                beste = i;
                besteD = d;
            }
        }
        if (besteD > t2) {
            marken[beste] = 1;
            offen.emplace_back(beste, bis);
            offen.emplace_back(von, beste);
        }
    }
}

} // namespace trelvik::geometrie

using namespace trelvik::geometrie;

extern "C" TRELVIK_API int32_t poly_simplify(double toleranz, const Punkt* punkte, int32_t anzahl,
                                             Punkt* ergebnis, double* kuerzeste) {
    setze(kuerzeste, -1.0);
    if (punkte == nullptr || ergebnis == nullptr || anzahl < 2)
        return 0;
    try {
        const Index n = anzahl;
        const double t2 = toleranz * toleranz;
        std::vector<Punkt> kopie(static_cast<std::size_t>(n));
        std::vector<std::int32_t> marken(static_cast<std::size_t>(n), 0);

        // Vertex reduction against the last kept point; the end point always stays.
        kopie[0] = punkte[0];
        Index k = 1;
        Index letzter = 0;
        for (Index i = 1; i < n; ++i)
            if (quadrat(punkte[i], punkte[letzter]) >= t2) {
                kopie[static_cast<std::size_t>(k++)] = punkte[i];
                letzter = i;
            }
        if (letzter < n - 1)
            kopie[static_cast<std::size_t>(k++)] = punkte[n - 1];

        marken[0] = 1;
        marken[static_cast<std::size_t>(k - 1)] = 1;
        poly_simplify_dp(toleranz, kopie.data(), 0, k - 1, marken.data());

        Index m = 0;
        for (Index i = 0; i < k; ++i)
            if (marken[static_cast<std::size_t>(i)] != 0)
                ergebnis[m++] = kopie[static_cast<std::size_t>(i)];

        double kurz = abstand(ergebnis[1], ergebnis[0]);
        for (Index s = 1; s < m; ++s) {
            const double laenge = abstand(ergebnis[s], ergebnis[s - 1]);
            if (laenge <= kurz)
                kurz = laenge;
        }
        setze(kuerzeste, kurz);
        return static_cast<int32_t>(m);
    } catch (...) {
        setze(kuerzeste, -1.0);
        return 0;
    }
}
