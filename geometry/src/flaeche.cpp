// Area, perimeter and the shortest distance within one part.
#include "intern.h"
#include "kettenbaum.h"
#include "laufsweep.h"
#include "raster.h"

#include <algorithm>
#include <bit>
#include <cstdint>
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
        // Relative to the first point: keeps the products small for large coordinates.
        const auto beitrag = [&](Index i) {
            return (punkte[i - 1].x - p0.x) * (punkte[i].y - p0.y) -
                   (punkte[i].x - p0.x) * (punkte[i - 1].y - p0.y);
        };
        if (umfang == nullptr && kuerzeste == nullptr) {
            // Only the area is asked for: the same sum without a square root per segment.
            for (Index i = 1; i <= n; ++i)
                summe += beitrag(i);
            return summe / 2;
        }
        for (Index i = 1; i <= n; ++i) {
            const double laenge = abstand(punkte[i], punkte[i - 1]);
            summeUmfang += laenge;
            if (i == 1 || laenge < kurz)
                kurz = laenge;
            summe += beitrag(i);
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

using Kasten = Rahmen;

// The box of segment a-b enlarged by 2t: a point strictly inside is measured against it.
Kasten segmentKasten(Punkt a, Punkt b, double t) {
    return {std::min(a.x, b.x) - 2 * t, std::max(a.x, b.x) + 2 * t, std::min(a.y, b.y) - 2 * t,
            std::max(a.y, b.y) + 2 * t};
}

bool strengInnen(Punkt p, const Kasten& k) {
    return p.x > k.xMin && p.x < k.xMax && p.y > k.yMin && p.y < k.yMax;
}

// Distance of the vertex pair r < j, computed as the pair loop computes it.
double paarAbstand(const Punkt* punkte, Index r, Index j) {
    const double dx = punkte[j].x - punkte[r].x;
    const double dy = punkte[j].y - punkte[r].y;
    return std::sqrt(dx * dx + dy * dy);
}

// Vertex r against segment j: lowers the running minimum when the foot lies on the segment.
void gegenSegment(const Punkt* punkte, Index r, Index j, double& kleinste, Punkt& ort) {
    const Strecke s{punkte[j - 1], punkte[j]};
    Punkt fuss;
    const double d = lotBerechnen(s, punkte[r], fuss);
    // A foot outside the segment cannot win.
    if (d < kleinste && lotAufStrecke(s, fuss, kleinste)) {
        kleinste = d;
        ort = punkte[r];
    }
}

// The reference: every vertex pair, then every vertex against every non-adjacent segment.
double laengeAllePaare(const Punkt* punkte, Index n, double t, Punkt& ort) {
    std::vector<Kasten> kaesten(static_cast<std::size_t>(n) + 1);

    // Runs of `lauf` points with their box: a run whose box lies at least the best square away
    // cannot lower it. The bound is computed with the pairs' own operations on the box's
    // nearest coordinates; rounding is monotonic, so no pair of the run comes out below it
    // (NaN bounds never skip).
    constexpr Index lauf = 8;
    std::vector<Kasten> laeufe(static_cast<std::size_t>(n / lauf) + 1);
    for (Index j = 0; j <= n; ++j)
        laeufe[static_cast<std::size_t>(j / lauf)].nimm(punkte[j]);
    double kleinste = 0;
    double kleinsteQuadrat = 0;
    bool erstes = true;
    const auto fern = [&](Punkt pr, const Kasten& l) {
        const double gx = l.xMin > pr.x ? l.xMin - pr.x : l.xMax < pr.x ? pr.x - l.xMax : 0.0;
        const double gy = l.yMin > pr.y ? l.yMin - pr.y : l.yMax < pr.y ? pr.y - l.yMax : 0.0;
        return gx * gx + gy * gy >= kleinsteQuadrat;
    };
    // The square root is taken only for a square below the best square: sqrt is monotonic,
    // so no pair that could win is passed over.
    ort = punkte[0];
    for (Index r = 0; r < n; ++r) {
        const Punkt pr = punkte[r];
        for (Index anfang = (r + 1) / lauf * lauf; anfang <= n; anfang += lauf) {
            if (!erstes && fern(pr, laeufe[static_cast<std::size_t>(anfang / lauf)]))
                continue;
            for (Index j = std::max(anfang, r + 1), e = std::min(anfang + lauf - 1, n); j <= e;
                 ++j) {
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
    }

    // The boxes of the segments, and of each run of `lauf` of them: a point strictly inside a
    // segment's box is strictly inside the box of its run (minima and maxima only; a NaN bound
    // drops out of them, as it drops out of every comparison with the point).
    laeufe.assign(laeufe.size(), Kasten{});
    for (Index j = 1; j <= n; ++j) {
        kaesten[static_cast<std::size_t>(j)] = segmentKasten(punkte[j - 1], punkte[j], t);
        laeufe[static_cast<std::size_t>(j / lauf)].nimm(kaesten[static_cast<std::size_t>(j)]);
    }

    // Vertex to non-adjacent segment, only within the enlarged box of the segment.
    for (Index r = 0; r <= n; ++r) {
        const Punkt pr = punkte[r];
        for (Index anfang = 0; anfang <= n; anfang += lauf) {
            if (!strengInnen(pr, laeufe[static_cast<std::size_t>(anfang / lauf)]))
                continue; // the runs now hold the segment boxes
            for (Index j = std::max<Index>(anfang, 1), e = std::min(anfang + lauf - 1, n); j <= e;
                 ++j) {
                if (j == r || j - 1 == r)
                    continue;
                if (!strengInnen(pr, kaesten[static_cast<std::size_t>(j)]))
                    continue;
                gegenSegment(punkte, r, j, kleinste, ort);
            }
        }
    }
    return kleinste;
}

// Vertex r against segment j (not its own), kept as the key (r, j), r in the high half, when it
// could lower the minimum: the running minimum only falls from there, so a distance not below
// it never wins.
void vormerken(const Punkt* punkte, Index r, Index j, double t, double kleinste,
               std::vector<std::uint64_t>& paare) {
    if (r == j || r == j - 1 || !strengInnen(punkte[r], segmentKasten(punkte[j - 1], punkte[j], t)))
        return;
    Punkt fuss;
    if (lotBerechnen({punkte[j - 1], punkte[j]}, punkte[r], fuss) < kleinste)
        paare.push_back(static_cast<std::uint64_t>(r) << 32 | static_cast<std::uint64_t>(j));
}

// The kept pairs in the loop's order (r, then j), each once.
void nachholen(const Punkt* punkte, std::vector<std::uint64_t>& paare, double& kleinste,
               Punkt& ort) {
    std::sort(paare.begin(), paare.end());
    paare.erase(std::unique(paare.begin(), paare.end()), paare.end());
    for (const std::uint64_t paar : paare)
        gegenSegment(punkte, static_cast<Index>(paar >> 32), static_cast<Index>(paar & 0xffffffffu),
                     kleinste, ort);
}

// For lines whose runs of eight segments meet few others (coastlines, borders): the closest
// consecutive pair bounds the closest pair, so only runs whose boxes lie within that bound of
// each other can hold it or a vertex that comes closer to a segment. Ties go to the first pair
// in loop order, as in the pair loop. False when the runs meet too many others.
bool laengeLaeufe(const Punkt* punkte, Index n, double t, double& kleinste, Punkt& ort) {
    Rahmen rahmen;
    if (!handlich(punkte, 0, n + 1, rahmen))
        return false;
    const double spiel = spielraum(rahmen.betrag());
    double obere = paarAbstand(punkte, 0, 1);
    for (Index r = 1; r < n; ++r)
        obere = std::min(obere, paarAbstand(punkte, r, r + 1));
    const double reichOben = obere * (1 + 1e-9) + spiel;
    const Laufsweep laeufe(n, [&](Index i) { return punkte[i]; });
    if (!laeufe.machbar(reichOben))
        return false;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> nahe;
    if (!laeufe.fuerNahePaare(
            reichOben, 4 * static_cast<double>(laeufe.laeufe()) + 256, [&](Index a, Index b) {
                nahe.emplace_back(static_cast<std::uint32_t>(a), static_cast<std::uint32_t>(b));
            }))
        return false;
    // The points of run m; its segments are those between them.
    const auto erster = [](Index m) { return Laufsweep::lauf * m; };
    const auto letzter = [n](Index m) { return std::min(Laufsweep::lauf * (m + 1), n); };

    Index bestR = 0, bestJ = 1;
    double best = paarAbstand(punkte, 0, 1);
    double reich = best * (1 + 1e-9) + spiel;
    const auto paar = [&](Index r, Index j) {
        if (std::fabs(punkte[j].x - punkte[r].x) > reich ||
            std::fabs(punkte[j].y - punkte[r].y) > reich)
            return; // farther than best on one axis already
        const double d = paarAbstand(punkte, r, j);
        if (d < best || (d == best && (r < bestR || (r == bestR && j < bestJ)))) {
            best = d;
            bestR = r;
            bestJ = j;
            reich = best * (1 + 1e-9) + spiel;
        }
    };
    // The points of run m within reach of box k.
    struct Auswahl {
        Index nummern[Laufsweep::lauf + 1];
        Index anzahl = 0;
    };
    const auto waehle = [&](Index m, const Rahmen& k, Auswahl& aus) {
        aus.anzahl = 0;
        for (Index r = erster(m); r <= letzter(m); ++r)
            if (const Punkt p = punkte[r]; p.x + reich >= k.xMin && p.x - reich <= k.xMax &&
                                           p.y + reich >= k.yMin && p.y - reich <= k.yMax)
                aus.nummern[aus.anzahl++] = r;
    };
    Auswahl erste, zweite;
    for (const auto& [a, b] : nahe) {
        if (a == b) {
            for (Index r = erster(a); r <= letzter(a); ++r)
                for (Index j = r + 1; j <= letzter(b); ++j)
                    paar(r, j);
            continue;
        }
        waehle(a, laeufe.kasten(b), erste);
        if (erste.anzahl == 0)
            continue;
        waehle(b, laeufe.kasten(a), zweite);
        for (Index x = 0; x < erste.anzahl; ++x)
            for (Index y = 0; y < zweite.anzahl; ++y)
                if (const Index r = erste.nummern[x], j = zweite.nummern[y]; r != j)
                    paar(std::min(r, j), std::max(r, j));
    }
    kleinste = best;
    ort = punkte[bestR];
    if (!(kleinste > 0))
        return true; // no distance is below 0

    reich = kleinste * (1 + 1e-9) + spiel;
    std::vector<std::uint64_t> paare;
    // Vertex r against the segments of run m, those whose box it comes within reach of.
    const auto gegenLauf = [&](Index r, Index m) {
        const Punkt p = punkte[r];
        for (Index j = erster(m) + 1; j <= letzter(m); ++j) {
            const Punkt a = punkte[j - 1], b = punkte[j];
            if (p.x + reich >= std::min(a.x, b.x) && p.x - reich <= std::max(a.x, b.x) &&
                p.y + reich >= std::min(a.y, b.y) && p.y - reich <= std::max(a.y, b.y))
                vormerken(punkte, r, j, t, kleinste, paare);
        }
    };
    for (const auto& [a, b] : nahe) {
        waehle(a, laeufe.kasten(b), erste);
        for (Index x = 0; x < erste.anzahl; ++x)
            gegenLauf(erste.nummern[x], b);
        if (a != b) {
            waehle(b, laeufe.kasten(a), zweite);
            for (Index y = 0; y < zweite.anzahl; ++y)
                gegenLauf(zweite.nummern[y], a);
        }
    }
    nachholen(punkte, paare, kleinste, ort);
    return true;
}

// A line with two equal consecutive points has 0 as its closest distance. The pair loop then
// names the first vertex in its order that a later vertex equals: for coordinates the grids
// take, a distance is 0 only between equal points (no difference of two of them squares to
// below the normal range), and the segment pass finds nothing below 0. That vertex lies at or
// before the first of the equal consecutive points. The vertices before those go into a hash
// table, each point once under its first vertex; one pass over the later vertices that lie in
// their box marks the points that come again. False when no two consecutive points are equal.
bool laengeDoppelt(const Punkt* punkte, Index n, double& kleinste, Punkt& ort) {
    Index erster = -1;
    for (Index r = 0; r < n; ++r)
        if (punkte[r].x == punkte[r + 1].x && punkte[r].y == punkte[r + 1].y) {
            erster = r;
            break;
        }
    if (erster < 0 || !handlich(punkte, 0, n + 1))
        return false;
    Index gefunden = erster; // its point comes again right after it
    if (erster > 0) {
        Rahmen vorn;
        for (Index r = 0; r < erster; ++r)
            vorn.nimm(punkte[r]);
        // Open addressing over the bits of the coordinates; adding 0 turns -0 into +0, which
        // compares equal to it (no NaN gets here).
        const auto streuwert = [](Punkt p) {
            const auto x = std::bit_cast<std::uint64_t>(p.x + 0.0);
            const auto y = std::bit_cast<std::uint64_t>(p.y + 0.0);
            return ((x * 0x9e3779b97f4a7c15u) ^ y) * 0xc2b2ae3d27d4eb4fu;
        };
        int stellen = 4;
        while ((Index{1} << stellen) < 2 * erster)
            ++stellen;
        const std::size_t maske = (std::size_t{1} << stellen) - 1;
        std::vector<std::int32_t> faecher(maske + 1, -1);
        std::vector<char> wieder(static_cast<std::size_t>(erster), 0);
        // The first vertex with point p among those before erster, or -1.
        const auto suche = [&](Punkt p, bool eintragen, Index r) {
            for (std::size_t i = static_cast<std::size_t>(streuwert(p) >> (64 - stellen));;
                 i = (i + 1) & maske) {
                const std::int32_t f = faecher[i];
                if (f < 0) {
                    if (eintragen)
                        faecher[i] = static_cast<std::int32_t>(r);
                    return Index{-1};
                }
                if (punkte[f].x == p.x && punkte[f].y == p.y)
                    return Index{f};
            }
        };
        for (Index r = 0; r < erster; ++r)
            if (const Index f = suche(punkte[r], true, r); f >= 0)
                wieder[static_cast<std::size_t>(f)] = 1;
        for (Index j = erster; j <= n; ++j)
            if (const Punkt p = punkte[j];
                p.x >= vorn.xMin && p.x <= vorn.xMax && p.y >= vorn.yMin && p.y <= vorn.yMax)
                if (const Index f = suche(p, false, j); f >= 0)
                    wieder[static_cast<std::size_t>(f)] = 1;
        const auto erstes = std::find(wieder.begin(), wieder.end(), 1);
        if (erstes != wieder.end())
            gefunden = erstes - wieder.begin();
    }
    kleinste = 0;
    ort = punkte[gefunden];
    return true;
}

// The closest vertex pair from a grid whose cells grow until the pair found is certainly the
// closest (ties: the first pair in loop order), then the segment pass over the vertices that
// lie within that distance of a segment, in the loop's order. False when the coordinates are
// not for the grid.
bool laengeIndex(const Punkt* punkte, Index n, double t, double& kleinste, Punkt& ort) {
    Rahmen rahmen;
    if (!handlich(punkte, 0, n + 1, rahmen))
        return false;
    const double spiel = spielraum(rahmen.betrag());
    const auto punktKasten = [&](Index id, auto&& melde) {
        melde(Rahmen{punkte[id].x, punkte[id].x, punkte[id].y, punkte[id].y});
    };

    const double nn = static_cast<double>(n);
    Index bestR = 0;
    Index bestJ = 1;
    double best = paarAbstand(punkte, 0, 1);
    double laengen = 0;
    for (Index i = 1; i <= n; ++i)
        laengen += std::max(std::fabs(punkte[i].x - punkte[i - 1].x),
                            std::fabs(punkte[i].y - punkte[i - 1].y));
    // Cells about one segment long, finer where the vertices crowd them (long spikes side by
    // side put thousands of vertices into a cell that long).
    double entlang = zellgroesseEntlang(rahmen, n, laengen);
    double h = entlang;
    for (int feiner = 0;; ++feiner) {
        const Raster g = Raster::duenn(rahmen, h);
        const Zellliste liste(g, n + 1, punktKasten);
        if (feiner < 3 && liste.paarLast() > 16 * (nn + 1) && h == entlang) {
            h = entlang = h / 4;
            continue;
        }
        if (liste.paarLast() > nn * nn / 4)
            return false; // the points lie on top of each other: the plain loop is faster
        const double w = g.groesse();
        for (Index r = 0; r <= n; ++r) {
            const Punkt p = punkte[r];
            liste.fuerZeilen(Rahmen{p.x - w, p.x + w, p.y - w, p.y + w}, [&](Index z) {
                liste.fuer(z, [&](Index j) {
                    if (j <= r)
                        return;
                    const double d = paarAbstand(punkte, r, j);
                    if (d < best || (d == best && (r < bestR || (r == bestR && j < bestJ)))) {
                        best = d;
                        bestR = r;
                        bestJ = j;
                    }
                });
            });
        }
        // Every pair not looked at is more than one cell apart in x or y.
        if (g.zellen() == 1 || best * (1 + 1e-9) + spiel < w)
            break;
        h = 2 * w;
    }
    kleinste = best;
    ort = punkte[bestR];
    if (!(kleinste > 0))
        return true; // no distance is below 0

    const double reich = kleinste * (1 + 1e-9) + spiel;
    std::vector<std::uint64_t> paare;
    // Where the vertices crowd the cells, segments cross many cells full of them: the runs'
    // tree then finds those near a segment with far less work.
    if (nimmKette() || laengen > 8 * (nn + 1) * std::max(entlang, reich)) {
        const Kettenbaum baum(n, [&](Index i) { return punkte[i]; });
        const auto gegen = [&](Index von1, Index bis1, Index von2, Index bis2) {
            for (Index r = von1 - 1; r <= bis1; ++r)
                for (Index j = von2; j <= bis2; ++j)
                    vormerken(punkte, r, j, t, kleinste, paare);
        };
        const bool fertig = baum.fuerNahePaare(reich + 4 * spiel, 64 * nn + 4096,
                                               [&](Index von1, Index bis1, Index von2, Index bis2) {
                                                   gegen(von1, bis1, von2, bis2);
                                                   if (von1 != von2)
                                                       gegen(von2, bis2, von1, bis1);
                                               });
        if (fertig) {
            nachholen(punkte, paare, kleinste, ort);
            return true;
        }
        paare.clear();
    }
    const Raster g = Raster::duenn(rahmen, std::max(entlang, reich));
    const Zellliste liste(g, n + 1, punktKasten);
    Kandidaten kand(n + 1);
    Kandidaten zellen(liste.zeilen());
    for (Index j = 1; j <= n; ++j) {
        kand.neueRunde();
        zellen.neueRunde();
        stueckweise(punkte[j - 1], punkte[j], g.groesse(), reich, [&](const Rahmen& k) {
            liste.fuerZeilen(k, [&](Index z) {
                if (zellen.erstmals(z))
                    liste.fuer(z, [&](Index r) {
                        if (r != j && r != j - 1)
                            kand.nimm(r);
                    });
            });
        });
        for (const Index r : kand.sortiert())
            vormerken(punkte, r, j, t, kleinste, paare);
    }
    nachholen(punkte, paare, kleinste, ort);
    return true;
}

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
        double kleinste = 0;
        Punkt ort = punkte[0];
        // Two equal consecutive points decide it at any size; otherwise, with
        // its runs the pair loop stays ahead of the index up to about 64 points.
        const bool doppelt = erzwungenerWeg() != '1' && nimmLaeufe() &&
                             mitIndex([&] { return laengeDoppelt(punkte, n, kleinste, ort); });
        if (!doppelt && (!nimmIndex(n, 64) || !mitIndex([&] {
                return (nimmLaeufe() && laengeLaeufe(punkte, n, t, kleinste, ort)) ||
                       laengeIndex(punkte, n, t, kleinste, ort);
            })))
            kleinste = laengeAllePaare(punkte, n, t, ort);
        setze(stelle, ort);
        return kleinste;
    } catch (...) {
        setze(stelle, Punkt{0, 0});
        return 0;
    }
}
