// Segment intersection, perpendiculars and the two crossing/contact tests.
#include "intern.h"

#include <algorithm>
#include <utility>

namespace trelvik::geometrie {

bool schnittpunktBerechnen(const Strecke& s1, const Strecke& s2, Punkt& punkt) {
    // Relative to the lower-left corner of the four points: small numbers, less rounding.
    const Punkt ecke{std::min({s1.a.x, s1.b.x, s2.a.x, s2.b.x}),
                     std::min({s1.a.y, s1.b.y, s2.a.y, s2.b.y})};
    const Punkt a = relativ(s1.a, ecke);
    const Punkt b = relativ(s1.b, ecke);
    const Punkt c = relativ(s2.a, ecke);
    const Punkt d = relativ(s2.b, ecke);

    const double abx = a.x - b.x;
    const double aby = a.y - b.y;
    if (abx * abx + aby * aby <= 0.00001)
        return false;
    if (!segmenteSchneiden({a, b}, {c, d}))
        return false;
    const double dcx = d.x - c.x;
    const double dcy = d.y - c.y;
    if (std::fabs(abx * dcy - dcx * aby) <= 0.00001)
        return false;

    // t*(A-B) - s*(C-D) = D-B, unknowns (t, s); complete pivoting.
    double m[2][2] = {{abx, dcx}, {aby, dcy}};
    double r[2] = {d.x - b.x, d.y - b.y};
    int spalte[2] = {0, 1};

    int zeile0 = 0;
    int spalte0 = 0;
    double groesste = std::fabs(m[0][0]);
    for (int i = 0; i < 2; ++i)
        for (int j = 0; j < 2; ++j)
            if (std::fabs(m[i][j]) > groesste) {
                groesste = std::fabs(m[i][j]);
                zeile0 = i;
                spalte0 = j;
            }
    if (zeile0 != 0) {
        std::swap(m[0], m[1]);
        std::swap(r[0], r[1]);
    }
    if (spalte0 != 0) {
        std::swap(m[0][0], m[0][1]);
        std::swap(m[1][0], m[1][1]);
        std::swap(spalte[0], spalte[1]);
    }
    if (m[0][0] == 0)
        return false;
    const double faktor = m[1][0] / m[0][0];
    m[1][1] -= faktor * m[0][1];
    r[1] -= faktor * r[0];

    if (m[1][1] == 0)
        return false;
    double loesung[2];
    loesung[1] = r[1] / m[1][1];
    loesung[0] = (r[0] - m[0][1] * loesung[1]) / m[0][0];
    double unbekannt[2];
    unbekannt[spalte[0]] = loesung[0];
    unbekannt[spalte[1]] = loesung[1];
    const double t = unbekannt[0];

    punkt = {b.x + t * abx + ecke.x, b.y + t * aby + ecke.y};
    return true;
}

double lotBerechnen(const Strecke& s, Punkt p, Punkt& fuss) {
    const double ux = s.b.x - s.a.x;
    const double uy = s.b.y - s.a.y;
    const double laenge2 = ux * ux + uy * uy;
    const double anteil = laenge2 == 0 ? 0.0 : (ux * (p.x - s.a.x) + uy * (p.y - s.a.y)) / laenge2;
    fuss = {s.a.x + anteil * ux, s.a.y + anteil * uy};
    return abstand(p, fuss);
}

bool lotAufStrecke(const Strecke& s, Punkt f, double halbeLaenge) {
    const Querrichtung quer(std::atan2(s.b.y - s.a.y, s.b.x - s.a.x));
    return segmenteSchneiden(s, quer.durch(f, halbeLaenge));
}

namespace {

// The distance of p from s when its foot lies within s and it is below the limit; a foot
// outside the segment never counts, whatever the sign of the limit.
bool lotUnter(const Strecke& s, Punkt p, double grenze, double& d) {
    Punkt fuss;
    d = lotBerechnen(s, p, fuss);
    return d < grenze && lotAufStrecke(s, fuss, grenze);
}

} // namespace
} // namespace trelvik::geometrie

using namespace trelvik::geometrie;

extern "C" TRELVIK_API void PolygonTest(const Punkt* punkte, int32_t letzter, int32_t* kreuzungen,
                                        int32_t* null1, int32_t* null2, double, int32_t art,
                                        Punkt* kreuzungspunkt) {
    setze(kreuzungen, int32_t{0});
    setze(null1, int32_t{0});
    setze(null2, int32_t{0});
    setze(kreuzungspunkt, Punkt{0, 0});
    if (punkte == nullptr || letzter < 3)
        return; // fewer than three segments: no pair that is not adjacent
    try {
        const Index n = letzter;
        const Punkt p0 = punkte[0];
        int32_t anzahl = 0;
        bool berechnet = false;
        Punkt kreuzung{0, 0};
        Index letztesP = 0;
        Index letztesJ = 0;
        for (Index p = 1; p < n; ++p) {
            const Strecke sp{relativ(punkte[p], p0), relativ(punkte[p - 1], p0)};
            // drehsinn of segment p against P[j] serves as C for pair j and as D for pair j+1.
            Punkt vorher = relativ(punkte[p + 1], p0);
            int drehVorher = drehsinn(sp.a, sp.b, vorher);
            for (Index j = p + 2; j <= n; ++j) {
                const Punkt aktuell = relativ(punkte[j], p0);
                const int dreh = drehsinn(sp.a, sp.b, aktuell);
                const Strecke sj{aktuell, vorher};
                const int drehD = drehVorher;
                vorher = aktuell;
                drehVorher = dreh;
                if (p == 1 && j == n && art != 3)
                    continue; // first and last segment of a ring share the closing point
                if (dreh * drehD > 0 || drehsinn(sj.a, sj.b, sp.a) * drehsinn(sj.a, sj.b, sp.b) > 0)
                    continue;
                ++anzahl;
                letztesP = p;
                letztesJ = j;
                Punkt x;
                if (schnittpunktBerechnen(sp, sj, x)) {
                    kreuzung = {x.x + p0.x, x.y + p0.y};
                    berechnet = true;
                }
            }
        }
        if (anzahl > 0 && !berechnet) {
            // No pair gave a computable point (collinear overlap, very short segments): name
            // a vertex of the last pair that lies on the other segment of that pair.
            const Index p = letztesP;
            const Index j = letztesJ;
            const Strecke sp{relativ(punkte[p], p0), relativ(punkte[p - 1], p0)};
            const Strecke sj{relativ(punkte[j], p0), relativ(punkte[j - 1], p0)};
            const std::pair<Index, const Strecke*> kandidaten[] = {
                {p, &sj}, {p - 1, &sj}, {j, &sp}, {j - 1, &sp}};
            kreuzung = punkte[p];
            for (const auto& [index, andere] : kandidaten)
                if (drehsinn(andere->a, andere->b, relativ(punkte[index], p0)) == 0) {
                    kreuzung = punkte[index];
                    break;
                }
        }
        setze(kreuzungen, anzahl);
        setze(kreuzungspunkt, kreuzung);
    } catch (...) {
        setze(kreuzungen, int32_t{0});
        setze(kreuzungspunkt, Punkt{0, 0});
    }
}

extern "C" TRELVIK_API int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA,
                                                const Segmentkreis* kreiseA, const Punkt* ringB,
                                                int32_t anzahlB, const Segmentkreis* kreiseB,
                                                double t, Punkt* punktA, Punkt* punktB) {
    setze(punktA, Punkt{0, 0});
    setze(punktB, Punkt{0, 0});
    if (ringA == nullptr || anzahlA < 2)
        return 0;
    try {
        const Punkt a0 = ringA[0];
        int32_t f = 0;
        Punkt ortA{0, 0};
        Punkt ortB{0, 0};
        const Index na = anzahlA;
        // Without a segment of B (or its arrays) the pair loop is empty.
        const Index nb = ringB != nullptr && kreiseA != nullptr && kreiseB != nullptr ? anzahlB : 0;
        for (Index p = 1; p < na && f != 3; ++p) {
            if (f == 0)
                ortA = ringA[p];
            if (nb < 2)
                continue;
            const Strecke sa{relativ(ringA[p], a0), relativ(ringA[p - 1], a0)};
            const Segmentkreis& ka = kreiseA[p - 1];
            for (Index q = 1; q < nb; ++q) {
                const Segmentkreis& kb = kreiseB[q - 1];
                const double r = ka.radius + kb.radius;
                const double dx = ka.x - kb.x;
                const double dy = ka.y - kb.y;
                if (!(r * r > dx * dx + dy * dy))
                    continue;
                if (f == 0)
                    ortB = ringB[q];
                const Strecke sb{relativ(ringB[q], a0), relativ(ringB[q - 1], a0)};
                if ((f & 1) == 0) {
                    double d = 0;
                    if (punkteNah(sa.a, sb.b, t) || punkteNah(sa.b, sb.a, t) ||
                        punkteNah(sa.a, sb.a, t) || punkteNah(sa.b, sb.b, t)) {
                        f |= 1;
                        ortA = ringA[p];
                        ortB = ringB[q];
                    } else if (lotUnter(sa, sb.a, t, d) || lotUnter(sb, sa.a, t, d)) {
                        f |= 1;
                        ortA = ringA[p];
                        ortB = ringB[q];
                    } else if (lotUnter(sa, sb.b, t, d) || lotUnter(sb, sa.b, t, d)) {
                        f |= 1;
                        ortA = ringA[p];
                        ortB = ringB[q - 1];
                    }
                }
                if ((f & 2) == 0 && segmenteSchneiden(sa, sb)) {
                    f += 2;
                    ortA = ringA[p];
                    ortB = ringB[q];
                }
                if (f == 3)
                    break;
            }
        }
        setze(punktA, ortA);
        setze(punktB, ortB);
        return f;
    } catch (...) {
        setze(punktA, Punkt{0, 0});
        setze(punktB, Punkt{0, 0});
        return 0;
    }
}
