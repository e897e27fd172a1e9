// Segment intersection, perpendiculars and the two crossing/contact tests.
#include "intern.h"
#include "kettenbaum.h"
#include "laufsweep.h"
#include "raster.h"

#include <algorithm>
#include <optional>
#include <tuple>
#include <utility>

namespace trelvik::geometrie {

namespace {

// The four points relative to the lower-left corner of them all (small numbers, less
// rounding) and the differences the intersection is solved with.
struct Schnittansatz {
    Punkt ecke, a, b, c, d;
    double abx, aby, dcx, dcy;
    Schnittansatz(const Strecke& s1, const Strecke& s2)
        : ecke{std::min({s1.a.x, s1.b.x, s2.a.x, s2.b.x}),
               std::min({s1.a.y, s1.b.y, s2.a.y, s2.b.y})},
          a(relativ(s1.a, ecke)), b(relativ(s1.b, ecke)), c(relativ(s2.a, ecke)),
          d(relativ(s2.b, ecke)), abx(a.x - b.x), aby(a.y - b.y), dcx(d.x - c.x), dcy(d.y - c.y) {}
    // False for a first segment too short or two segments too near parallel for a point.
    bool loesbar() const {
        return abx * abx + aby * aby > 0.00001 && std::fabs(abx * dcy - dcx * aby) > 0.00001;
    }
};

} // namespace

bool schnittpunktBerechnen(const Strecke& s1, const Strecke& s2, Punkt& punkt) {
    const Schnittansatz ansatz(s1, s2);
    const auto& [ecke, a, b, c, d, abx, aby, dcx, dcy] = ansatz;
    if (!ansatz.loesbar() || !segmenteSchneiden({a, b}, {c, d}))
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

namespace {

// What the pair loop of the self-intersection test leaves behind.
struct Kreuzungen {
    int32_t anzahl = 0;
    bool berechnet = false;
    Punkt kreuzung{0, 0};
    Index letztesP = 0;
    Index letztesJ = 0;

    // Only the last pair with a point counts, and the pairs come in about the loop's order:
    // the points are then worked out at the end, from the last few pairs that could give one.
    explicit Kreuzungen(bool spaeter = false) : aufgeschoben(spaeter) {}
    // Nothing counted yet, points worked out and ends compared as here.
    Kreuzungen frisch() const {
        Kreuzungen k(aufgeschoben);
        k.doppelt = doppelt;
        return k;
    }

    // With `doppelt` (per point, whether equal points follow it), the pairs of points (u, v),
    // u < v, where two pairs counted share an end and one of them repeats.
    const GrosserVektor<char>* doppelt = nullptr;
    std::vector<std::pair<Index, Index>> gleicheEnden;

    // `zahl` pairs that give no point, (p, j) the last of them in loop order.
    void zaehleOhnePunkt(Index zahl, Index p, Index j) {
        if (zahl <= 0)
            return;
        if (anzahl == 0 || std::pair{p, j} > std::pair{letztesP, letztesJ}) {
            letztesP = p;
            letztesJ = j;
        }
        anzahl += static_cast<int32_t>(zahl);
    }

    // What k counted on the line of the points o[0], o[1], ... of this one.
    void uebernimm(const Kreuzungen& k, const GrosserVektor<std::int32_t>& o) {
        const auto original = [&](Index i) { return Index{o[static_cast<std::size_t>(i)]}; };
        if (k.anzahl > 0)
            zaehleOhnePunkt(k.anzahl, original(k.letztesP), original(k.letztesJ));
        if (!k.berechnet)
            return;
        const std::pair<Index, Index> paar{original(k.berechnetP), original(k.berechnetJ)};
        if (aufgeschoben) {
            vormerken(paar.first, paar.second);
        } else if (!berechnet || paar > std::pair{berechnetP, berechnetJ}) {
            kreuzung = k.kreuzung;
            berechnet = true;
            std::tie(berechnetP, berechnetJ) = paar;
        }
    }

    // Segment p against segment j, both relative to p0, found intersecting, in any order: the
    // count, and the last pair and the last computed point as the loop order (p, then j) leaves
    // them.
    void zaehle(Index p, Index j, const Strecke& sp, const Strecke& sj, Punkt p0) {
        ++anzahl;
        if (anzahl == 1 || std::pair{p, j} > std::pair{letztesP, letztesJ}) {
            letztesP = p;
            letztesJ = j;
        }
        if (doppelt != nullptr)
            merkeGleicheEnden(p, j, sp, sj);
        if (aufgeschoben) {
            if (Schnittansatz(sp, sj).loesbar())
                vormerken(p, j);
            return;
        }
        Punkt x;
        if ((!berechnet || std::pair{p, j} > std::pair{berechnetP, berechnetJ}) &&
            schnittpunktBerechnen(sp, sj, x)) {
            kreuzung = {x.x + p0.x, x.y + p0.y};
            berechnet = true;
            berechnetP = p;
            berechnetJ = j;
        }
    }

    // The point of the last pair kept that gives one. False when none does and pairs were let
    // go: the pairs must then be counted again with the points worked out at once.
    bool abschliessen(const Punkt* punkte) {
        if (!aufgeschoben)
            return true;
        const Punkt p0 = punkte[0];
        const auto q = [&](Index i) { return relativ(punkte[i], p0); };
        for (int i = behalten - 1; i >= 0; --i) {
            const auto [p, j] = oben[i];
            Punkt x;
            if (schnittpunktBerechnen({q(p), q(p - 1)}, {q(j), q(j - 1)}, x)) {
                kreuzung = {x.x + p0.x, x.y + p0.y};
                berechnet = true;
                berechnetP = p;
                berechnetJ = j;
                return true;
            }
        }
        return !losgelassen;
    }

private:
    // Segment p ends at points p - 1 and p (sp.b, sp.a), segment j at j - 1 and j.
    void merkeGleicheEnden(Index p, Index j, const Strecke& sp, const Strecke& sj) {
        const std::pair<Index, Punkt> enden1[] = {{p, sp.a}, {p - 1, sp.b}};
        const std::pair<Index, Punkt> enden2[] = {{j, sj.a}, {j - 1, sj.b}};
        for (const auto& [u, a] : enden1)
            for (const auto& [v, b] : enden2)
                if (a.x == b.x && a.y == b.y &&
                    ((*doppelt)[static_cast<std::size_t>(u)] ||
                     (*doppelt)[static_cast<std::size_t>(v)]))
                    gleicheEnden.emplace_back(u, v);
    }
    // The `behalten` last pairs in loop order of those that may give a point, ascending.
    void vormerken(Index p, Index j) {
        const std::pair<Index, Index> neu{p, j};
        int i = behalten;
        if (behalten == vorrat) {
            losgelassen = true;
            if (neu < oben[0])
                return;
            std::move(oben + 1, oben + vorrat, oben);
            i = --behalten;
        }
        for (; i > 0 && oben[i - 1] > neu; --i)
            oben[i] = oben[i - 1];
        oben[i] = neu;
        ++behalten;
    }
    static constexpr int vorrat = 8;
    bool aufgeschoben;
    bool losgelassen = false;
    int behalten = 0;
    std::pair<Index, Index> oben[vorrat];
    Index berechnetP = 0;
    Index berechnetJ = 0;
};

// The reference: every pair of non-adjacent segments. A run of eight segments whose points all
// lie strictly on one side of the line of segment p, as the orientation test rounds it, is
// passed over as a whole: every pair in it is left out by the first test. Whether they do is
// decided on the box of the run's points: the differences and products of the test are
// monotonic in each coordinate, and so is their rounding, so the products at the box's
// corners bound those of every point inside (runs with a coordinate that is not finite are
// always walked).
Kreuzungen polygonTestAllePaare(const Punkt* punkte, Index n, int32_t art,
                                Kreuzungen k = Kreuzungen()) {
    const Punkt p0 = punkte[0];
    constexpr Index lauf = 8;
    std::vector<Punkt> rel(static_cast<std::size_t>(n) + 1);
    for (Index i = 0; i <= n; ++i)
        rel[static_cast<std::size_t>(i)] = relativ(punkte[i], p0);
    // Run m: segments lauf * m + 1 to lauf * (m + 1), points lauf * m to lauf * (m + 1).
    struct Lauf : Rahmen {
        bool endlich = true;
    };
    std::vector<Lauf> laeufe(static_cast<std::size_t>(n / lauf));
    for (std::size_t m = 0; m < laeufe.size(); ++m) {
        Lauf& l = laeufe[m];
        const auto von = static_cast<std::size_t>(lauf) * m;
        for (std::size_t i = von; i <= von + static_cast<std::size_t>(lauf); ++i) {
            l.endlich = l.endlich && std::isfinite(rel[i].x) && std::isfinite(rel[i].y);
            l.nimm(rel[i]);
        }
    }
    // The side that every point of the run takes against sp (+1 or -1), 0 when not certain.
    const auto seite = [](const Strecke& sp, const Lauf& l) {
        if (!l.endlich)
            return 0;
        const double d1x = sp.b.x - sp.a.x;
        const double d1y = sp.b.y - sp.a.y;
        const double ux = l.xMin - sp.a.x, ox = l.xMax - sp.a.x;
        const double uy = l.yMin - sp.a.y, oy = l.yMax - sp.a.y;
        const double linksU = d1x >= 0 ? d1x * uy : d1x * oy;
        const double linksO = d1x >= 0 ? d1x * oy : d1x * uy;
        const double rechtsU = d1y >= 0 ? d1y * ux : d1y * ox;
        const double rechtsO = d1y >= 0 ? d1y * ox : d1y * ux;
        if (linksU > rechtsO)
            return 1;
        if (linksO < rechtsU)
            return -1;
        return 0;
    };
    for (Index p = 1; p < n; ++p) {
        const Strecke sp{rel[static_cast<std::size_t>(p)], rel[static_cast<std::size_t>(p - 1)]};
        const bool sicher = std::isfinite(sp.a.x) && std::isfinite(sp.a.y) &&
                            std::isfinite(sp.b.x) && std::isfinite(sp.b.y);
        // drehsinn of segment p against P[j] serves as C for pair j and as D for pair j+1.
        Punkt vorher = rel[static_cast<std::size_t>(p + 1)];
        int drehVorher = drehsinn(sp.a, sp.b, vorher);
        for (Index j = p + 2; j <= n; ++j) {
            if (sicher && (j - 1) % lauf == 0 && j + lauf - 1 <= n) {
                const int s = seite(sp, laeufe[static_cast<std::size_t>((j - 1) / lauf)]);
                if (s != 0) {
                    j += lauf - 1;
                    vorher = rel[static_cast<std::size_t>(j)];
                    drehVorher = s;
                    continue;
                }
            }
            const Punkt aktuell = rel[static_cast<std::size_t>(j)];
            const int dreh = drehsinn(sp.a, sp.b, aktuell);
            const Strecke sj{aktuell, vorher};
            const int drehD = drehVorher;
            vorher = aktuell;
            drehVorher = dreh;
            if (p == 1 && j == n && art != 3)
                continue; // first and last segment of a ring share the closing point
            if (dreh * drehD > 0 || drehsinn(sj.a, sj.b, sp.a) * drehsinn(sj.a, sj.b, sp.b) > 0)
                continue;
            k.zaehle(p, j, sp, sj, p0);
        }
    }
    return k;
}

// The near-collinear pairs (p, j) of the line list, p < j - 1, sorted and each once. A pair
// may be found from either side (an axis-parallel segment finds the others, not the reverse).
// Which segments start a pair is also kept by segment, so that asking for a pair costs a search
// only for those few.
class Geradenpaare {
public:
    template <class Q> Geradenpaare(Index n, Q&& q, const Geradenliste& geraden) {
        // Id s - 1 is segment s.
        geraden.fuerPaare(
            n, [&](Index id) { return q(id); }, [&](Index id) { return q(id + 1); },
            [&](Index id, Index andere) {
                const Index p = std::min(id, andere) + 1, j = std::max(id, andere) + 1;
                if (j >= p + 2)
                    paare.emplace_back(p, j);
            });
        std::sort(paare.begin(), paare.end());
        paare.erase(std::unique(paare.begin(), paare.end()), paare.end());
        if (!paare.empty())
            beginnt.assign(static_cast<std::size_t>(n) + 1, false);
        for (const auto& paar : paare)
            beginnt[static_cast<std::size_t>(paar.first)] = true;
    }
    bool enthaelt(Index p, Index j) const {
        return !beginnt.empty() && beginnt[static_cast<std::size_t>(p)] &&
               std::binary_search(paare.begin(), paare.end(), std::pair{p, j});
    }
    using Paare = std::vector<std::pair<Index, Index>>;
    Paare::const_iterator begin() const { return paare.begin(); }
    Paare::const_iterator end() const { return paare.end(); }

private:
    Paare paare;
    std::vector<bool> beginnt;
};

// For segments side by side over long stretches, where a grid cell of any size holds hundreds
// of them: the pairs from the runs of the line that lie within the slack of each other, and
// the near-collinear pairs of the line list, each counted once, in any order. False when the
// runs lie on top of each other.
bool polygonTestKette(const Punkt* punkte, Index n, int32_t art, Punkt p0, double d,
                      const Geradenliste& geraden, Kreuzungen& k) {
    const auto q = [&](Index i) { return relativ(punkte[i], p0); };
    const auto zaehlt = [&](Index p, Index j) {
        return !(p == 1 && j == n && art != 3) &&
               teileSchneiden({q(p), q(p - 1)}, {q(j), q(j - 1)});
    };
    const Geradenpaare gerade(n, q, geraden);
    Kreuzungen ergebnis = k.frisch();
    for (const auto& [p, j] : gerade)
        if (zaehlt(p, j))
            ergebnis.zaehle(p, j, {q(p), q(p - 1)}, {q(j), q(j - 1)}, p0);
    const Kettenbaum baum(n, q);
    const bool fertig = baum.fuerNahePaare(
        4 * d, 64 * static_cast<double>(n) + 4096,
        [&](Index von1, Index bis1, Index von2, Index bis2) {
            for (Index p = von1; p <= bis1; ++p)
                for (Index j = std::max(von2, p + 2); j <= bis2; ++j)
                    if (zaehlt(p, j) && !gerade.enthaelt(p, j))
                        ergebnis.zaehle(p, j, {q(p), q(p - 1)}, {q(j), q(j - 1)}, p0);
        });
    if (!fertig)
        return false;
    k = ergebnis;
    return true;
}

// For lines whose runs of eight segments meet few others (coastlines, borders): the pairs of
// segments whose boxes lie within twice the slack of each other, from the runs whose boxes do,
// and the near-collinear pairs of the line list, each counted once, in any order. False when
// the runs meet too many others.
template <class G>
bool polygonTestLaeufe(const Punkt* punkte, Index n, int32_t art, Punkt p0, double d,
                       G&& geradenliste, Kreuzungen& k) {
    const auto q = [&](Index i) { return relativ(punkte[i], p0); };
    const Laufsweep laeufe(n, q);
    const double zwei = 2 * d;
    const double hoechstens = 4 * static_cast<double>(laeufe.laeufe()) + 256;
    if (!laeufe.machbar(zwei))
        return false;
    const Geradenpaare gerade(n, q, geradenliste());
    Kreuzungen ergebnis = k.frisch();
    const auto zaehle = [&](Index p, Index j, const Strecke& sp, const Strecke& sj) {
        if (!(p == 1 && j == n && art != 3) && teileSchneiden(sp, sj))
            ergebnis.zaehle(p, j, sp, sj, p0);
    };
    for (const auto& [p, j] : gerade)
        zaehle(p, j, {q(p), q(p - 1)}, {q(j), q(j - 1)});
    // A segment with its box, the upper bounds with twice the slack already added.
    struct Stueck {
        Strecke s;
        double xMin, xMaxWeit, yMin, yMaxWeit;
    };
    const auto stueck = [&](Index s) {
        const Punkt a = q(s), b = q(s - 1);
        return Stueck{{a, b},
                      std::min(a.x, b.x),
                      std::max(a.x, b.x) + zwei,
                      std::min(a.y, b.y),
                      std::max(a.y, b.y) + zwei};
    };
    const auto nah = [](const Stueck& a, const Stueck& b) {
        return a.xMin <= b.xMaxWeit && b.xMin <= a.xMaxWeit && a.yMin <= b.yMaxWeit &&
               b.yMin <= a.yMaxWeit;
    };
    const auto paar = [&](Index p, const Stueck& a, Index j, const Stueck& b) {
        if (nah(a, b) && !(p == 1 && j == n && art != 3) && teileSchneiden(a.s, b.s) &&
            !gerade.enthaelt(p, j))
            ergebnis.zaehle(p, j, a.s, b.s, p0);
    };
    // Segments of a run with their numbers.
    struct Auswahl {
        Stueck stuecke[Laufsweep::lauf];
        Index nummern[Laufsweep::lauf];
        Index anzahl = 0;
    };
    // Pairs of segments p < j - 1 from the chosen ones of two runs.
    const auto kreuz = [&](const Auswahl& x, const Auswahl& y) {
        for (Index i = 0; i < x.anzahl; ++i)
            for (Index l = 0; l < y.anzahl; ++l)
                if (y.nummern[l] >= x.nummern[i] + 2)
                    paar(x.nummern[i], x.stuecke[i], y.nummern[l], y.stuecke[l]);
    };
    // Each run with itself and with the next, in order, each run's boxes computed once.
    Auswahl puffer[2], erste, zweite;
    const auto alle = [&](Index m, Auswahl& aus) {
        aus.anzahl = 0;
        for (Index s = laeufe.von(m); s <= laeufe.bis(m); ++s) {
            aus.stuecke[aus.anzahl] = stueck(s);
            aus.nummern[aus.anzahl++] = s;
        }
    };
    // The segments of a run that come near box r, taken from those computed.
    const auto nahe = [&](const Auswahl& aus, const Rahmen& r, Auswahl& ziel) {
        const Stueck ganz{{}, r.xMin, r.xMax + zwei, r.yMin, r.yMax + zwei};
        ziel.anzahl = 0;
        for (Index i = 0; i < aus.anzahl; ++i)
            if (nah(aus.stuecke[i], ganz)) {
                ziel.stuecke[ziel.anzahl] = aus.stuecke[i];
                ziel.nummern[ziel.anzahl++] = aus.nummern[i];
            }
    };
    if (laeufe.laeufe() > 0)
        alle(0, puffer[0]);
    for (Index m = 0; m < laeufe.laeufe(); ++m) {
        const Auswahl& jetzt = puffer[m % 2];
        Auswahl& naechster = puffer[(m + 1) % 2];
        // Within the run: its segments are consecutive, so p < j - 1 is i < l - 1.
        for (Index i = 0; i + 2 < jetzt.anzahl; ++i)
            for (Index l = i + 2; l < jetzt.anzahl; ++l)
                paar(jetzt.nummern[i], jetzt.stuecke[i], jetzt.nummern[l], jetzt.stuecke[l]);
        if (m + 1 < laeufe.laeufe()) {
            alle(m + 1, naechster);
            nahe(jetzt, laeufe.kasten(m + 1), erste);
            if (erste.anzahl > 0) {
                nahe(naechster, laeufe.kasten(m), zweite);
                kreuz(erste, zweite);
            }
        }
    }
    // The segments of run m that come near box r.
    Auswahl ganzerLauf;
    const auto waehle = [&](Index m, const Rahmen& r, Auswahl& aus) {
        alle(m, ganzerLauf);
        nahe(ganzerLauf, r, aus);
    };
    const bool fertig = laeufe.fuerNahePaare(
        zwei, hoechstens,
        [&](Index a, Index b) {
            waehle(a, laeufe.kasten(b), erste);
            if (erste.anzahl == 0)
                return;
            waehle(b, laeufe.kasten(a), zweite);
            kreuz(erste, zweite);
        },
        false);
    if (!fertig)
        return false;
    k = ergebnis;
    return true;
}

// Only segments whose boxes share a grid cell can intersect; those pairs are replayed per p in
// ascending j. False when the coordinates are not for the grid.
bool polygonTestIndex(const Punkt* punkte, Index n, int32_t art, Kreuzungen& k) {
    Rahmen r;
    if (!handlich(punkte, 0, n + 1, r))
        return false;
    const Punkt p0 = punkte[0];
    // Coordinates relative to p0, as the pair loop takes them; computed where needed, which
    // gives the same numbers as a copy would, without its memory.
    const auto q = [&](Index i) { return relativ(punkte[i], p0); };
    // Their box: subtracting p0 and rounding keep the order of the coordinates, so the extremes
    // of the relative ones are the relative extremes.
    const Rahmen rr{r.xMin - p0.x, r.xMax - p0.x, r.yMin - p0.y, r.yMax - p0.y};
    // Ten times the slack for rounding: far below any distance that matters, and it lets the
    // line list look through a ten times narrower window.
    const double d = 10 * spielraum(std::max(r.betrag(), rr.betrag()));
    // Cells about one segment long; where long segments lie side by side (spikes, hatching)
    // finer cells keep the pairs that share a cell apart, at the price of more pieces.
    const double nn = static_cast<double>(n);
    std::optional<Raster> g;
    std::optional<Zellliste> liste;
    const auto geradenliste = [&] {
        return Geradenliste(
            n, [&](Index id) { return q(id); }, [&](Index id) { return q(id + 1); }, rr.betrag(),
            d);
    };
    if (nimmKette() && polygonTestKette(punkte, n, art, p0, d, geradenliste(), k))
        return true;
    if (nimmLaeufe() && polygonTestLaeufe(punkte, n, art, p0, d, geradenliste, k))
        return true;
    const double laengen = laengenEntlang(punkte, 0, n + 1);
    for (Index teiler = 1;; teiler *= 4) {
        // Cells not much smaller than the slack, so that a piece's box covers few of them.
        g.emplace(Raster::duenn(rr, std::max(zellgroesseEntlang(rr, n * teiler, laengen), 4 * d)));
        const double h = g->groesse();
        // Id s - 1 is segment s.
        liste.emplace(*g, n,
                      [&](Index id, auto&& melde) { stueckweise(q(id), q(id + 1), h, d, melde); });
        if (liste->paarLast() <= 64 * nn || teiler >= 16)
            break;
        if (teiler == 1 && !nimmKette() &&
            polygonTestKette(punkte, n, art, p0, d, geradenliste(), k))
            return true;
    }
    if (liste->paarLast() > nn * nn / 4)
        return false; // everything lies on top of everything: the plain loop is faster
    const Geradenpaare gerade(n, q, geradenliste());
    auto naechste = gerade.begin();
    Kandidaten kand(n + 1);
    for (Index p = 1; p < n; ++p) {
        kand.neueRunde();
        for (; naechste != gerade.end() && naechste->first == p; ++naechste)
            kand.nimm(naechste->second);
        // Segment p is item p - 1: its own cells are those its boxes cover.
        liste->fuerEigeneZeilen(p - 1, [&](Index z) {
            liste->fuer(z, [&](Index id) {
                if (id + 1 >= p + 2)
                    kand.nimm(id + 1);
            });
        });
        const Strecke sp{q(p), q(p - 1)};
        for (const Index j : kand.sortiert()) {
            if (p == 1 && j == n && art != 3)
                continue;
            const Strecke sj{q(j), q(j - 1)};
            if (teileSchneiden(sp, sj))
                k.zaehle(p, j, sp, sj, p0);
        }
    }
    return true;
}

// Runs of equal consecutive points, as the coordinates relative to the first point compare
// (shapefiles converted from coarse data hold many). A zero-length segment meets exactly the
// segments that have its point as an end: against it the first orientation test gives +1 for
// every other point (no difference of coordinates the grids take squares to 0), and against a
// segment the second test is a square, 0 only for its own point. Such pairs give no
// intersection point either (too short, or parallel at 0). So the test runs on the line
// without them, and their pairs are counted from the runs: within a run, and between two runs
// at the same point, which that test finds as pairs of segments with a common end. False when
// few points repeat, or many in one place.
bool polygonTestOhneDoppelte(const Punkt* punkte, Index n, int32_t art, Kreuzungen& k) {
    const Punkt p0 = punkte[0];
    const auto q = [&](Index i) { return relativ(punkte[i], p0); };
    const auto gleich = [](Punkt a, Punkt b) { return a.x == b.x && a.y == b.y; };
    // Whether many points repeat is judged on the first segments.
    const Index probe = std::min<Index>(n, 1024);
    Index null = 0;
    for (Index i = 1; i <= probe; ++i)
        null += gleich(q(i), q(i - 1));
    if (8 * null < probe)
        return false;
    // Run c holds the points o[c] .. o[c + 1] - 1; the shorter line has one point of each.
    // Whether its coordinates are for the grids the test below decides: the points left out
    // have the same relative coordinates as one kept.
    GrosserVektor<std::int32_t> o;
    GrosserVektor<Punkt> kurz;
    GrosserVektor<char> doppelt;
    const auto schaetzung = static_cast<std::size_t>(
        static_cast<double>(n) * (1.1 - static_cast<double>(null) / static_cast<double>(probe)) +
        64);
    o.reserve(schaetzung + 1);
    kurz.reserve(schaetzung);
    doppelt.reserve(schaetzung);
    for (Index i = 0; i <= n; ++i)
        if (i == 0 || !gleich(q(i), q(i - 1))) {
            o.push_back(static_cast<std::int32_t>(i));
            kurz.push_back(punkte[i]);
            doppelt.push_back(0);
        } else {
            doppelt.back() = 1;
            if (i - o.back() > 4096)
                return false;
        }
    const Index m = static_cast<Index>(kurz.size()) - 1;
    o.push_back(static_cast<std::int32_t>(n + 1));
    // From four segments on, two runs at one point always have a pair of segments at it that
    // the test counts, the first and last segment of a ring aside, whose own ends then do not
    // repeat.
    if (m < 4)
        return false;
    // Segment c of the shorter line is segment o[c] of the line: its first and last segments
    // are those of the line only when neither end repeats.
    const int32_t artKurz = o[1] == 1 && o[static_cast<std::size_t>(m)] == n ? art : 3;
    // Up to about 64 segments left the pair loop, which works out its points at once.
    const auto kurzerTest = [&](Kreuzungen& kk) {
        kk.doppelt = &doppelt;
        if (nimmIndex(m, 64))
            return polygonTestIndex(kurz.data(), m, artKurz, kk);
        if (!handlich(kurz.data(), 0, m + 1))
            return false; // as the index asks
        kk = polygonTestAllePaare(kurz.data(), m, artKurz, kk.frisch());
        return true;
    };
    Kreuzungen kk(true);
    if (!kurzerTest(kk))
        return false;
    if (!kk.abschliessen(kurz.data())) {
        kk = Kreuzungen(false);
        if (!kurzerTest(kk))
            return false;
    }
    std::sort(kk.gleicheEnden.begin(), kk.gleicheEnden.end());
    kk.gleicheEnden.erase(std::unique(kk.gleicheEnden.begin(), kk.gleicheEnden.end()),
                          kk.gleicheEnden.end());
    // The segments that have the point of run c as an end, lo .. hi; those in between have
    // zero length.
    struct Lauf {
        Index lo, hi, erster, letzter;
        bool null(Index s) const { return s > erster && s <= letzter; }
    };
    const auto lauf = [&](Index c) {
        const Index erster = o[static_cast<std::size_t>(c)];
        const Index letzter = o[static_cast<std::size_t>(c) + 1] - 1;
        return Lauf{c >= 1 ? erster : 1, c < m ? letzter + 1 : letzter, erster, letzter};
    };
    const auto ausgeschlossen = [&](Index p, Index j) { return p == 1 && j == n && art != 3; };
    for (const auto& [u, v] : kk.gleicheEnden) {
        const Lauf a = lauf(u), b = lauf(v);
        if ((a.hi - a.lo + 1) * (b.hi - b.lo + 1) > 65536)
            return false;
    }
    const auto verbinde = [&](Kreuzungen& kf) {
        kf.uebernimm(kk, o);
        for (Index c = 0; c <= m; ++c) {
            if (!doppelt[static_cast<std::size_t>(c)])
                continue;
            const Lauf l = lauf(c);
            // The segments before and after the run meet at its point.
            const bool bruecke = c >= 1 && c < m;
            if (bruecke && !ausgeschlossen(l.lo, l.hi))
                kf.zaehle(l.lo, l.hi, {q(l.lo), q(l.lo - 1)}, {q(l.hi), q(l.hi - 1)}, p0);
            // Every other pair of segments of the run not side by side; the last of them in
            // loop order is (hi - 2, hi). With four segments left no run holds both the
            // first and the last segment.
            const Index laenge = l.hi - l.lo + 1;
            kf.zaehleOhnePunkt((laenge - 1) * (laenge - 2) / 2 - (bruecke ? 1 : 0), l.hi - 2, l.hi);
        }
        // Two runs at the same point: every pair of their segments with a zero-length one.
        for (const auto& [u, v] : kk.gleicheEnden) {
            const Lauf a = lauf(u), b = lauf(v);
            Index zahl = 0, letztesP = 0, letztesJ = 0;
            for (Index p = a.lo; p <= a.hi; ++p)
                for (Index j = std::max(b.lo, p + 2); j <= b.hi; ++j)
                    if ((a.null(p) || b.null(j)) && !ausgeschlossen(p, j)) {
                        ++zahl;
                        letztesP = p;
                        letztesJ = j;
                    }
            kf.zaehleOhnePunkt(zahl, letztesP, letztesJ);
        }
    };
    Kreuzungen kf(true);
    verbinde(kf);
    if (!kf.abschliessen(punkte)) {
        kf = Kreuzungen(false);
        verbinde(kf);
    }
    k = kf;
    return true;
}

} // namespace

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
        Kreuzungen k;
        // With its runs the pair loop stays ahead of the index up to about 64 points. Its
        // pairs come in no set order, so it works out the points at the end; seldom that finds
        // none among the pairs it kept, and it counts again working them out at once.
        const auto mitPunkten = [&] {
            if (polygonTestOhneDoppelte(punkte, n, art, k))
                return true;
            Kreuzungen spaeter(true);
            if (!polygonTestIndex(punkte, n, art, spaeter))
                return false;
            if (spaeter.abschliessen(punkte)) {
                k = spaeter;
                return true;
            }
            return polygonTestIndex(punkte, n, art, k);
        };
        if (!nimmIndex(n, 64) || !mitIndex(mitPunkten))
            k = polygonTestAllePaare(punkte, n, art);
        Punkt kreuzung = k.kreuzung;
        if (k.anzahl > 0 && !k.berechnet) {
            // No pair gave a computable point (collinear overlap, very short segments): name
            // a vertex of the last pair that lies on the other segment of that pair.
            const Index p = k.letztesP;
            const Index j = k.letztesJ;
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
        setze(kreuzungen, k.anzahl);
        setze(kreuzungspunkt, kreuzung);
    } catch (...) {
        setze(kreuzungen, int32_t{0});
        setze(kreuzungspunkt, Punkt{0, 0});
    }
}

namespace {

// Flags and places of the ring contact test as its pair loop leaves them.
struct Kontakt {
    int32_t f = 0;
    Punkt ortA{0, 0};
    Punkt ortB{0, 0};
};

bool kreisePassen(const Segmentkreis& ka, const Segmentkreis& kb) {
    const double r = ka.radius + kb.radius;
    const double dx = ka.x - kb.x;
    const double dy = ka.y - kb.y;
    return r * r > dx * dx + dy * dy;
}

// Pair (p, q) whose circles passed; segments relative to A[0].
void kontaktPaar(Kontakt& k, const Punkt* ringA, const Punkt* ringB, Index p, Index q,
                 const Strecke& sa, const Strecke& sb, double t) {
    if (k.f == 0)
        k.ortB = ringB[q];
    if ((k.f & 1) == 0) {
        double d = 0;
        if (punkteNah(sa.a, sb.b, t) || punkteNah(sa.b, sb.a, t) || punkteNah(sa.a, sb.a, t) ||
            punkteNah(sa.b, sb.b, t)) {
            k.f |= 1;
            k.ortA = ringA[p];
            k.ortB = ringB[q];
        } else if (lotUnter(sa, sb.a, t, d) || lotUnter(sb, sa.a, t, d)) {
            k.f |= 1;
            k.ortA = ringA[p];
            k.ortB = ringB[q];
        } else if (lotUnter(sa, sb.b, t, d) || lotUnter(sb, sa.b, t, d)) {
            k.f |= 1;
            k.ortA = ringA[p];
            k.ortB = ringB[q - 1];
        }
    }
    if ((k.f & 2) == 0 && segmenteSchneiden(sa, sb)) {
        k.f += 2;
        k.ortA = ringA[p];
        k.ortB = ringB[q];
    }
}

// The reference: every pair of segments whose circles overlap.
Kontakt kontaktAllePaare(const Punkt* ringA, Index na, const Segmentkreis* kreiseA,
                         const Punkt* ringB, Index nb, const Segmentkreis* kreiseB, double t) {
    const Punkt a0 = ringA[0];
    Kontakt k;
    // Runs of eight circles of B, with the box of their centres and their largest radius: a
    // circle of A whose centre lies farther from that box on one axis than its radius and that
    // radius together, with room for rounding, passes with none of them, as the rounding of the
    // differences, sums and squares is monotonic. Only for values whose squares stay finite and
    // normal; otherwise the run's pairs are looked at one by one.
    constexpr Index lauf = 8;
    struct Lauf {
        double xMin, xMax, yMin, yMax, radius, betrag;
        bool sicher;
    };
    const auto sicher = [](const Segmentkreis& c) {
        return handlich(c.x) && handlich(c.y) && handlich(c.radius);
    };
    const auto betrag = [](const Segmentkreis& c) {
        return std::max({std::fabs(c.x), std::fabs(c.y), std::fabs(c.radius)});
    };
    std::vector<Lauf> laeufe(nb > 2 * lauf ? static_cast<std::size_t>((nb - 1) / lauf) : 0);
    for (std::size_t m = 0; m < laeufe.size(); ++m) {
        const Segmentkreis* c = kreiseB + lauf * static_cast<Index>(m);
        Lauf l{c->x, c->x, c->y, c->y, std::fabs(c->radius), 0, true};
        for (Index i = 0; i < lauf; ++i) {
            l.xMin = std::min(l.xMin, c[i].x);
            l.xMax = std::max(l.xMax, c[i].x);
            l.yMin = std::min(l.yMin, c[i].y);
            l.yMax = std::max(l.yMax, c[i].y);
            l.radius = std::max(l.radius, std::fabs(c[i].radius));
            l.betrag = std::max(l.betrag, betrag(c[i]));
            l.sicher = l.sicher && sicher(c[i]);
        }
        laeufe[m] = l;
    }
    const auto fern = [](const Segmentkreis& ka, double betragA, const Lauf& l) {
        if (!l.sicher)
            return false;
        const double weit =
            (std::fabs(ka.radius) + l.radius) * (1 + 1e-9) + spielraum(std::max(betragA, l.betrag));
        return l.xMin - ka.x > weit || ka.x - l.xMax > weit || l.yMin - ka.y > weit ||
               ka.y - l.yMax > weit;
    };
    for (Index p = 1; p < na && k.f != 3; ++p) {
        if (k.f == 0)
            k.ortA = ringA[p];
        if (nb < 2)
            continue;
        const Strecke sa{relativ(ringA[p], a0), relativ(ringA[p - 1], a0)};
        const Segmentkreis& ka = kreiseA[p - 1];
        const bool springen = !laeufe.empty() && sicher(ka);
        const double betragA = springen ? betrag(ka) : 0;
        for (Index q = 1; q < nb; ++q) {
            // Circle q - 1 starts run (q - 1) / lauf.
            if (const auto m = static_cast<std::size_t>((q - 1) / lauf);
                springen && (q - 1) % lauf == 0 && m < laeufe.size() &&
                fern(ka, betragA, laeufe[m])) {
                q += lauf - 1;
                continue;
            }
            if (!kreisePassen(kreiseA[p - 1], kreiseB[q - 1]))
                continue;
            const Strecke sb{relativ(ringB[q], a0), relativ(ringB[q - 1], a0)};
            kontaktPaar(k, ringA, ringB, p, q, sa, sb, t);
            if (k.f == 3)
                break;
        }
    }
    return k;
}

// The all-pairs loop looks at a pair only when its circles overlap, so the pairs whose circle
// boxes (rounded outwards) overlap hold every pair it looks at; they are replayed in its order.
// Only circles whose boxes reach the other ring's circles at all enter the grid and the lookups,
// so an islet beside a long coastline costs about its own size plus one pass over the arrays.
// False when the circles are not for the grid.
bool kontaktIndex(const Punkt* ringA, Index na, const Segmentkreis* kreiseA, const Punkt* ringB,
                  Index nb, const Segmentkreis* kreiseB, double t, Kontakt& k) {
    if (nb < 2)
        return false;
    double betrag = 0;
    for (const auto& [kreise, n] : {std::pair{kreiseA, na}, std::pair{kreiseB, nb}})
        for (Index i = 0; i + 1 < n; ++i) {
            const Segmentkreis& c = kreise[i];
            if (!handlich(c.x) || !handlich(c.y) || !handlich(c.radius))
                return false;
            betrag = std::max({betrag, std::fabs(c.x), std::fabs(c.y), std::fabs(c.radius)});
        }
    const double spiel = spielraum(betrag);
    const auto kasten = [spiel](const Segmentkreis& c) {
        const double r = std::fabs(c.radius) * (1 + 1e-9) + spiel;
        return Rahmen{c.x - r, c.x + r, c.y - r, c.y + r};
    };
    const auto treffen = [](const Rahmen& x, const Rahmen& y) {
        return x.xMin <= y.xMax && y.xMin <= x.xMax && x.yMin <= y.yMax && y.yMin <= x.yMax;
    };
    Rahmen alleB;
    for (Index i = 0; i + 1 < nb; ++i)
        alleB.nimm(kasten(kreiseB[i]));
    // A frame of A's circles sorts out the circles of B that cannot meet any of them; beside a
    // far larger ring A (an island off a coastline) that pass would cost more than it saves, and
    // every circle of B is taken.
    Rahmen alleA{-std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                 -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity()};
    if (8 * nb >= na) {
        alleA = Rahmen{};
        for (Index i = 0; i + 1 < na; ++i)
            alleA.nimm(kasten(kreiseA[i]));
    }
    // The circles of B that can meet one of A, ascending, and their frame.
    std::vector<Index> nahB;
    Rahmen rahmen;
    double durchmesser = 0;
    for (Index i = 0; i + 1 < nb; ++i) {
        const Rahmen kb = kasten(kreiseB[i]);
        if (treffen(kb, alleA)) {
            nahB.push_back(i);
            rahmen.nimm(kb);
            durchmesser += std::max(kb.xMax - kb.xMin, kb.yMax - kb.yMin);
        }
    }
    if (!nahB.empty()) {
        const Index m = static_cast<Index>(nahB.size());
        // Cells about as large as those circles, grown until the few large ones do not cover
        // far more cells than there are circles.
        double h = durchmesser / static_cast<double>(m);
        if (!(h > 0) || !std::isfinite(h))
            h = zellgroesse(rahmen, m, 0);
        for (;;) {
            double zellen = 0;
            for (const Index i : nahB) {
                const Rahmen kb = kasten(kreiseB[i]);
                zellen += ((kb.xMax - kb.xMin) / h + 2) * ((kb.yMax - kb.yMin) / h + 2);
            }
            if (zellen <= 16.0 * static_cast<double>(m) + 64)
                break;
            h *= 2;
        }
        const Raster g = Raster::duenn(rahmen, h);
        const Zellliste liste(g, m, [&](Index id, auto&& melde) {
            melde(kasten(kreiseB[nahB[static_cast<std::size_t>(id)]]));
        });
        Kandidaten kand(m);
        const Punkt a0 = ringA[0];
        for (Index p = 1; p < na && k.f != 3; ++p) {
            const Rahmen ka = kasten(kreiseA[p - 1]);
            if (!treffen(ka, alleB))
                continue;
            kand.neueRunde();
            liste.fuerZeilen(ka, [&](Index z) { liste.fuer(z, [&](Index id) { kand.nimm(id); }); });
            const auto& ids = kand.sortiert();
            if (ids.empty())
                continue;
            const Strecke sa{relativ(ringA[p], a0), relativ(ringA[p - 1], a0)};
            for (const Index id : ids) {
                const Index q = nahB[static_cast<std::size_t>(id)] + 1;
                if (!kreisePassen(kreiseA[p - 1], kreiseB[q - 1]))
                    continue;
                kontaktPaar(k, ringA, ringB, p, q, sa,
                            Strecke{relativ(ringB[q], a0), relativ(ringB[q - 1], a0)}, t);
                if (k.f == 3)
                    break;
            }
        }
    }
    // The loop names the A vertex of every round while nothing is found.
    if (k.f == 0)
        k.ortA = ringA[na - 1];
    return true;
}

} // namespace

extern "C" TRELVIK_API int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA,
                                                const Segmentkreis* kreiseA, const Punkt* ringB,
                                                int32_t anzahlB, const Segmentkreis* kreiseB,
                                                double t, Punkt* punktA, Punkt* punktB) {
    setze(punktA, Punkt{0, 0});
    setze(punktB, Punkt{0, 0});
    if (ringA == nullptr || anzahlA < 2)
        return 0;
    try {
        const Index na = anzahlA;
        // Without a segment of B (or its arrays) the pair loop is empty.
        const Index nb = ringB != nullptr && kreiseA != nullptr && kreiseB != nullptr ? anzahlB : 0;
        Kontakt k;
        // The size that decides is that of the pair loop.
        const double paare = static_cast<double>(na) * static_cast<double>(nb);
        if (!nimmIndex(static_cast<Index>(std::sqrt(paare))) ||
            !mitIndex([&] { return kontaktIndex(ringA, na, kreiseA, ringB, nb, kreiseB, t, k); }))
            k = kontaktAllePaare(ringA, na, kreiseA, ringB, nb, kreiseB, t);
        setze(punktA, k.ortA);
        setze(punktB, k.ortB);
        return k.f;
    } catch (...) {
        setze(punktA, Punkt{0, 0});
        setze(punktB, Punkt{0, 0});
        return 0;
    }
}
