// Area, perimeter and the shortest distance within one part.
#include "intern.h"

#include <algorithm>
#include <vector>

using namespace trelvik::geometrie;

extern "C" TRELVIK_API double areaBerechnen(const Punkt* punkte, int32_t letzter, double* umfang,
                                            double* kuerzeste) {
    setze(umfang, 0.0);
    setze(kuerzeste, 0.0);
    if (punkte == nullptr || letzter < 1)
        return 0;
    try {
        const Index n = letzter;
        const Punkt p0 = punkte[0];
        double summeUmfang = 0;
        double kurz = 0;
        double summe = 0;
        for (Index i = 1; i <= n; ++i) {
            const double laenge = abstand(punkte[i], punkte[i - 1]);
            summeUmfang += laenge;
            if (i == 1 || laenge < kurz)
                kurz = laenge;
            // Relative to the first point: keeps the products small for large coordinates.
            summe += (punkte[i - 1].x - p0.x) * (punkte[i].y - p0.y) -
                     (punkte[i].x - p0.x) * (punkte[i - 1].y - p0.y);
        }
        setze(umfang, summeUmfang);
        setze(kuerzeste, kurz);
        return summe / 2;
    } catch (...) {
        setze(umfang, 0.0);
        setze(kuerzeste, 0.0);
        return 0;
    }
}

namespace {

struct Kasten {
    double xMin, xMax, yMin, yMax;
};

} // namespace

extern "C" TRELVIK_API double LaengeBerechnen(const Punkt* punkte, int32_t letzter, Punkt* stelle,
                                              double t) {
    setze(stelle, Punkt{0, 0});
    if (punkte == nullptr || letzter < 0)
        return 0;
    if (letzter == 0) {
        setze(stelle, punkte[0]);
        return 0;
    }
    try {
        const Index n = letzter;
        std::vector<Kasten> kaesten(static_cast<std::size_t>(n) + 1);

        // Vertex pairs. The square root is taken only for a square below the best square:
        // sqrt is monotonic, so no pair that could win is passed over.
        double kleinste = 0;
        double kleinsteQuadrat = 0;
        bool erstes = true;
        Punkt ort = punkte[0];
        for (Index r = 0; r < n; ++r) {
            const Punkt pr = punkte[r];
            for (Index j = r + 1; j <= n; ++j) {
                const double dx = punkte[j].x - pr.x;
                const double dy = punkte[j].y - pr.y;
                const double quadrat = dx * dx + dy * dy;
                if (erstes || quadrat < kleinsteQuadrat) {
                    const double d = std::sqrt(quadrat);
                    if (erstes || d < kleinste) {
                        kleinste = d;
                        kleinsteQuadrat = quadrat;
                        ort = pr;
                    }
                }
                erstes = false;
            }
        }

        for (Index j = 1; j <= n; ++j) {
            const Punkt a = punkte[j - 1];
            const Punkt b = punkte[j];
            kaesten[static_cast<std::size_t>(j)] = {
                std::min(a.x, b.x) - 2 * t, std::max(a.x, b.x) + 2 * t, std::min(a.y, b.y) - 2 * t,
                std::max(a.y, b.y) + 2 * t};
        }

        // Vertex to non-adjacent segment, only within the enlarged box of the segment.
        for (Index r = 0; r <= n; ++r) {
            const Punkt pr = punkte[r];
            for (Index j = 1; j <= n; ++j) {
                if (j == r || j - 1 == r)
                    continue;
                const Kasten& k = kaesten[static_cast<std::size_t>(j)];
                if (!(pr.x > k.xMin && pr.x < k.xMax && pr.y > k.yMin && pr.y < k.yMax))
                    continue;
                const Strecke s{punkte[j - 1], punkte[j]};
                Punkt fuss;
                const double d = lotBerechnen(s, pr, fuss);
                // A foot outside the segment cannot win.
                if (d < kleinste && lotAufStrecke(s, fuss, kleinste)) {
                    kleinste = d;
                    ort = pr;
                }
            }
        }
        setze(stelle, ort);
        return kleinste;
    } catch (...) {
        setze(stelle, Punkt{0, 0});
        return 0;
    }
}
