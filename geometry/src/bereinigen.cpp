// Merging close points and cutting off small loops, in place on the caller's array.
#include "intern.h"
#include "raster.h"

#include <algorithm>
#include <cstring>
#include <optional>
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

namespace {

// Whether the outline comes back to P[p] at P[q] (case 1: near P[p]; 2: near the reference
// segment s, meeting it at x; 3: segment q-1..q passes near P[p], meeting its cross piece at x).
int fallBei(const Punkt* punkte, Index p, Index q, const Strecke& s, const Querrichtung& quer,
            double t, Punkt& x) {
    if (abstand(punkte[p], punkte[q]) < t)
        return 1;
    const Strecke hp = quer.durch(punkte[p], t);
    const Strecke hq = quer.durch(punkte[q], t);
    // A case with a meeting point needs a point computed here and now.
    if (segmenteSchneiden(s, hq) && schnittpunktBerechnen(s, hq, x) && abstand(punkte[q], x) < t)
        return 2;
    const Strecke zurueck{punkte[q], punkte[q - 1]};
    if (segmenteSchneiden(zurueck, hp) && schnittpunktBerechnen(zurueck, hp, x) &&
        abstand(punkte[p], x) < t)
        return 3;
    return 0;
}

// Cuts the loop between P[p] and P[q] off; returns how many points went.
Index schneide(Punkt* punkte, Index& n, Index p, Index q, int fall, Punkt x) {
    Index m = q - p - 1;
    if (fall != 1) {
        punkte[q - 1] = x;
        m = q - p - 2;
    }
    n = entferneNach(punkte, n, p, m);
    return m;
}

// The reference: every q behind every p.
Index kleineFlaechenAllePaare(Punkt* punkte, Index n, double t, double minFlaeche) {
    Index p = 0;
    while (p < n - 3) {
        // The reference segment: after a cut it stays that of the earlier p.
        const Strecke s{punkte[p], punkte[p + 1]};
        const Querrichtung quer(std::atan2(s.b.y - s.a.y, s.b.x - s.a.x));
        Index q = p + 2;
        while (q < n - 1) {
            Punkt x{0, 0};
            const int fall = fallBei(punkte, p, q, s, quer, t, x);
            if (fall > 0 &&
                schleifenFlaeche(punkte, p, q, fall == 3 ? x : punkte[q]) < minFlaeche) {
                schneide(punkte, n, p, q, fall, x);
                ++p;
                q = p + 2;
                continue;
            }
            ++q;
        }
        ++p;
    }
    return n;
}

// A case needs P[q] within reach of s or of P[p], or P[p] within reach of the segment q-1..q
// (the premise of the grids below); these box tests are finer than their cells.
bool innen(Punkt a, Punkt u, Punkt v, double reich) {
    return a.x >= std::min(u.x, v.x) - reich && a.x <= std::max(u.x, v.x) + reich &&
           a.y >= std::min(u.y, v.y) - reich && a.y <= std::max(u.y, v.y) + reich;
}
bool kannFallSein(const Punkt* punkte, Index n, Index p, Index q, const Strecke& s, double reich) {
    if (q < p + 2 || q >= n - 1)
        return false;
    const Punkt pq = punkte[q], pp = punkte[p];
    return innen(pq, s.a, s.b, reich) || innen(pq, pp, pp, reich) ||
           innen(pp, punkte[q - 1], pq, reich);
}

// A pair whose outline comes back (fallBei) around a loop that is not small.
struct Fall {
    Index p, q;
    int art;
    Punkt x;
};

bool bitgleich(Punkt a, Punkt b) {
    return std::memcmp(&a, &b, sizeof(Punkt)) == 0;
}
bool bitgleich(double a, double b) {
    return std::memcmp(&a, &b, sizeof(double)) == 0;
}

// What the last pass on this thread saw when it cut nothing: its points, t and area, and every
// pair with a case. The cleaning of a part runs the pass round after round while the other
// passes take out a point or two. Without a cut the pass is a plain test over all pairs (each
// case depends on P[p], P[p+1], P[q-1] and P[q] alone, its area on P[p..q]), so where the new
// points agree bit for bit with the old ones in a head and a tail, only the pairs that touch the
// stretch between them can have a new case, and only the known cases around it a new area.
struct Gedaechtnis {
    bool gilt = false;
    double t = 0;
    double minFlaeche = 0;
    std::vector<Punkt> punkte;
    std::vector<Fall> faelle;
    std::vector<Fall> neu;
};
thread_local Gedaechtnis gedaechtnis;

// True when the pass would cut nothing in the points, as the memory proves; false when it
// cannot tell or a cut is due. On true the memory holds the points as they are.
bool ohneSchnittLautGedaechtnis(const Punkt* punkte, Index n, double t, double minFlaeche,
                                double reich) {
    Gedaechtnis& g = gedaechtnis;
    if (!g.gilt || !bitgleich(g.t, t) || !bitgleich(g.minFlaeche, minFlaeche))
        return false;
    const auto alt = static_cast<Index>(g.punkte.size());
    const Index d = alt - n;
    if (d < 0)
        return false;
    // Head [0, a) and tail [e, n) agree with the old places [0, a) and [e + d, alt).
    Index a = 0;
    while (a < n && bitgleich(punkte[a], g.punkte[static_cast<std::size_t>(a)]))
        ++a;
    Index m = 0;
    while (m < n - a &&
           bitgleich(punkte[n - 1 - m], g.punkte[static_cast<std::size_t>(alt - 1 - m)]))
        ++m;
    const Index e = n - m;
    if (e - a > 16)
        return false; // too much has changed: the full pass is the cheaper test
    g.neu.clear();
    // Whether the pair has a case; false when it makes a cut.
    const auto pruefe = [&](Index p, Index q) {
        const Strecke s{punkte[p], punkte[p + 1]};
        if (!kannFallSein(punkte, n, p, q, s, reich))
            return true;
        Punkt x{0, 0};
        const int art =
            fallBei(punkte, p, q, s, Querrichtung(std::atan2(s.b.y - s.a.y, s.b.x - s.a.x)), t, x);
        if (art == 0)
            return true;
        if (schleifenFlaeche(punkte, p, q, art == 3 ? x : punkte[q]) < minFlaeche)
            return false;
        g.neu.push_back({p, q, art, x});
        return true;
    };
    // The known cases whose four points are unchanged, at their new places.
    for (const Fall& f : g.faelle) {
        Index p = 0, q = 0;
        if (f.p + 1 < a)
            p = f.p;
        else if (f.p >= e + d)
            p = f.p - d;
        else
            continue;
        if (f.q < a)
            q = f.q;
        else if (f.q - 1 >= e + d)
            q = f.q - d;
        else
            continue;
        if (p > n - 4 || q > n - 2)
            continue;
        // A loop wholly in the head or in the tail keeps its points and so its area.
        if (q >= a && p < e && schleifenFlaeche(punkte, p, q, f.art == 3 ? f.x : punkte[q]) <
                                   minFlaeche)
            return false;
        g.neu.push_back({p, q, f.art, f.x});
    }
    // The pairs with P[p] or P[p + 1] in the changed stretch, then those with P[q - 1] or P[q].
    const Index pVon = std::max<Index>(a - 1, 0);
    const Index pBis = std::min(e - 1, n - 4);
    for (Index p = pVon; p <= pBis; ++p)
        for (Index q = p + 2; q <= n - 2; ++q)
            if (!pruefe(p, q))
                return false;
    for (Index q = std::max<Index>(a, 2); q <= std::min(e, n - 2); ++q)
        for (Index p = 0; p <= std::min(q - 2, n - 4); ++p)
            if ((p < pVon || p > pBis) && !pruefe(p, q))
                return false;
    g.punkte.assign(punkte, punkte + n);
    g.faelle.swap(g.neu);
    return true;
}

// Only a q whose point lies within t of the reference segment or of P[p], or whose segment
// q-1..q passes within t of P[p], can be a case; those are taken from a grid of the segments,
// in ascending q. The array itself moves exactly as in the reference (a cut moves the rest down
// in both), and the grid follows by ids: a table from id to place is moved along with the
// points, removed ids drop out, and the segments a cut creates are entered anew (entries of
// changed segments stay behind as harmless extra candidates). False when the input is not for
// the grid.
bool kleineFlaechenIndex(Punkt* punkte, Index& n, double t, double minFlaeche) {
    if (!(t > 0) || !(minFlaeche > 0))
        return true; // no case can arise, or no loop is small enough: nothing is cut
    Rahmen r;
    if (std::isinf(t) || !handlich(punkte, 0, n, r))
        return false;
    const double reich = t * (1 + 1e-9) + spielraum(r.betrag());
    if (ohneSchnittLautGedaechtnis(punkte, n, t, minFlaeche, reich))
        return true;
    Gedaechtnis& merk = gedaechtnis;
    merk.gilt = false;
    merk.faelle.clear();
    const Raster g = punktRaster(punkte, n, r, reich);
    const double h = g.groesse();
    const double spiel = spielraum(r.betrag());
    // Segment ending at place i under the id of its end point (place 0: the point alone): the
    // segments of the input in compressed rows, those that cuts create in cells of their own.
    // The input's segments reach half the reach further, so that until the first cut the
    // cells of segment p + 1 (which is s) alone hold every candidate of p: two boxes less than
    // the reach apart overlap once each is grown by half of it.
    const double halb = reich / 2 + spiel;
    const Zellliste anfangs(g, n, [&](Index i, auto&& melde) {
        stueckweise(punkte[i > 0 ? i - 1 : 0], punkte[i], h, halb, melde);
    });
    // Until the first cut every place holds the point of its own id and no segment is new;
    // the tables that follow the cuts are made at the first one.
    bool geschnitten = false;
    std::vector<Index> stelleVon;
    std::vector<std::int32_t> idAn;
    std::optional<Kandidaten> kand;
    std::optional<Faecher> neu;
    const auto ersterSchnitt = [&] {
        geschnitten = true;
        stelleVon.resize(static_cast<std::size_t>(n));
        idAn.resize(static_cast<std::size_t>(n));
        for (Index i = 0; i < n; ++i) {
            idAn[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(i);
            stelleVon[static_cast<std::size_t>(i)] = i;
        }
        kand.emplace(n);
        neu.emplace(g, 16);
    };
    const auto trageEin = [&](Index i) {
        const auto id = idAn[static_cast<std::size_t>(i)];
        stueckweise(punkte[i > 0 ? i - 1 : 0], punkte[i], h, spiel, [&](const Rahmen& k) {
            g.fuerZellen(k, [&](Index z) {
                auto& l = neu->fach(z);
                if (l.empty() || l.back() != id)
                    l.push_back(id);
            });
        });
    };
    const auto moeglich = [&](Index p, Index q, const Strecke& s) {
        return kannFallSein(punkte, n, p, q, s, reich);
    };
    // The candidates of p, ascending.
    std::vector<Index> stellen;
    const auto sammle = [&](Index p, const Strecke& s) {
        stellen.clear();
        if (!geschnitten) {
            anfangs.fuerEigeneZeilen(p + 1, [&](Index zeile) {
                anfangs.fuerAb(zeile, p + 2, [&](Index q) {
                    if (moeglich(p, q, s))
                        stellen.push_back(q);
                });
            });
            std::sort(stellen.begin(), stellen.end());
            stellen.erase(std::unique(stellen.begin(), stellen.end()), stellen.end());
            return;
        }
        kand->neueRunde();
        const auto nimm = [&](Index id) { kand->nimm(id); };
        const auto suche = [&](const Rahmen& k) {
            anfangs.fuerZeilen(k, [&](Index zeile) { anfangs.fuer(zeile, nimm); });
            neu->fuer(k, nimm);
        };
        stueckweise(s.a, s.b, h, reich, suche);
        const Punkt pp = punkte[p];
        suche(Rahmen{pp.x - reich, pp.x + reich, pp.y - reich, pp.y + reich});
        // Ids keep the order of the places, so the places come ascending.
        for (const Index id : kand->sortiert()) {
            const Index q = stelleVon[static_cast<std::size_t>(id)];
            if (q >= 0 && moeglich(p, q, s))
                stellen.push_back(q);
        }
    };
    Index p = 0;
    while (p < n - 3) {
        const Strecke s{punkte[p], punkte[p + 1]};
        // The cross direction of s, computed when a candidate first asks for it.
        std::optional<Querrichtung> quer;
        sammle(p, s);
        for (std::size_t k = 0; k < stellen.size(); ++k) {
            const Index q = stellen[k];
            if (!quer)
                quer.emplace(std::atan2(s.b.y - s.a.y, s.b.x - s.a.x));
            Punkt x{0, 0};
            const int fall = fallBei(punkte, p, q, s, *quer, t, x);
            if (fall == 0)
                continue;
            if (!(schleifenFlaeche(punkte, p, q, fall == 3 ? x : punkte[q]) < minFlaeche)) {
                if (!geschnitten)
                    merk.faelle.push_back({p, q, fall, x});
                continue;
            }
            if (!geschnitten)
                ersterSchnitt();
            const Index nVorher = n;
            const Index m = schneide(punkte, n, p, q, fall, x);
            for (Index i = p + 1; i <= p + m; ++i)
                stelleVon[static_cast<std::size_t>(idAn[static_cast<std::size_t>(i)])] = -1;
            for (Index i = p + 1; i < nVorher - m; ++i) {
                idAn[static_cast<std::size_t>(i)] = idAn[static_cast<std::size_t>(i + m)];
                stelleVon[static_cast<std::size_t>(idAn[static_cast<std::size_t>(i)])] = i;
            }
            trageEin(p + 1);
            if (fall != 1 && p + 2 < n)
                trageEin(p + 2);
            ++p;
            // The inner step goes on with the new p and the old reference segment.
            sammle(p, s);
            k = static_cast<std::size_t>(-1); // from the first candidate again
        }
        ++p;
    }
    if (!geschnitten) {
        merk.t = t;
        merk.minFlaeche = minFlaeche;
        merk.punkte.assign(punkte, punkte + n);
        merk.gilt = true;
    }
    return true;
}

} // namespace

extern "C" TRELVIK_API int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double t,
                                                      double minFlaeche) {
    if (anzahl < 0)
        return 0;
    if (punkte == nullptr)
        return anzahl;
    Index n = anzahl;
    try {
        if (!nimmIndex(n) || !kleineFlaechenIndex(punkte, n, t, minFlaeche))
            n = kleineFlaechenAllePaare(punkte, n, t, minFlaeche);
    } catch (...) {
    }
    return static_cast<int32_t>(n);
}
