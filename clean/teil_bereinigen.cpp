#include "clean/teil_bereinigen.h"

#include "geometry/bindung/bindung.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>
#include <memory>
#include <unordered_map>
#include <vector>

namespace trelvik {

namespace {

bool gleich(const Punkt& a, const Punkt& b) {
    return a.x == b.x && a.y == b.y;
}

// The same expression as the library's merge of two neighbours.
Punkt mitte(const Punkt& a, const Punkt& b) {
    return {0.5 * b.x + 0.5 * a.x, 0.5 * b.y + 0.5 * a.y};
}

std::int32_t anzahl32(std::size_t n) {
    return static_cast<std::int32_t>(std::min<std::size_t>(n, INT32_MAX));
}

struct PunktSchluessel {
    std::size_t operator()(const Punkt& p) const {
        const auto a = std::bit_cast<std::uint64_t>(p.x);
        const auto b = std::bit_cast<std::uint64_t>(p.y);
        return std::hash<std::uint64_t>{}(a ^ (b * 0x9E3779B97F4A7C15ULL));
    }
};
struct PunktGleich {
    bool operator()(const Punkt& a, const Punkt& b) const { return gleich(a, b); }
};

// Coordinates the library's indexed ring push takes (finite, not tiny, not huge).
bool handlich(double c) {
    const double b = std::fabs(c);
    return b < 1e150 && (b == 0 || b > 1e-100);
}

// The cells of a grid near a large ring: every cell that a piece of one of its segments, grown
// by `reich`, touches. The library pushes a point of another ring only when it lies within about
// t of a segment, so with `reich` well above that reach a ring none of whose points falls into
// these cells is left as it is.
class Nahzellen {
public:
    Nahzellen(const Punkt* p, std::size_t n, double weite) : reich(weite) {
        double laengen = 0;
        for (std::size_t i = 0; i < n; ++i) {
            x0 = std::min(x0, p[i].x - reich);
            y0 = std::min(y0, p[i].y - reich);
            x1 = std::max(x1, p[i].x + reich);
            y1 = std::max(y1, p[i].y + reich);
            if (i > 0)
                laengen += std::max(std::fabs(p[i].x - p[i - 1].x), std::fabs(p[i].y - p[i - 1].y));
        }
        h = std::max(laengen / static_cast<double>(std::max<std::size_t>(n, 1)), 2 * reich);
        while ((x1 - x0) / h > 1e9 || (y1 - y0) / h > 1e9)
            h *= 2;
        for (std::size_t i = 1; i < n; ++i) {
            const Punkt a = p[i - 1], b = p[i];
            const double l = std::max(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
            const auto m = static_cast<std::size_t>(std::min(l / h, 1e6)) + 1;
            Punkt vorher = a;
            for (std::size_t k = 1; k <= m; ++k) {
                const double s = static_cast<double>(k) / static_cast<double>(m);
                const Punkt nach = k == m ? b : Punkt{a.x + (b.x - a.x) * s, a.y + (b.y - a.y) * s};
                const auto cx1 = zelle(std::min(vorher.x, nach.x) - reich, x0);
                const auto cx2 = zelle(std::max(vorher.x, nach.x) + reich, x0);
                const auto cy1 = zelle(std::min(vorher.y, nach.y) - reich, y0);
                const auto cy2 = zelle(std::max(vorher.y, nach.y) + reich, y0);
                for (auto cy = cy1; cy <= cy2; ++cy)
                    for (auto cx = cx1; cx <= cx2; ++cx)
                        zellen.push_back(schluessel(cx, cy));
                vorher = nach;
            }
        }
        std::sort(zellen.begin(), zellen.end());
        zellen.erase(std::unique(zellen.begin(), zellen.end()), zellen.end());
    }
    // Whether some point of q[0, n) may lie within reach of the ring.
    bool trifft(const Punkt* q, std::size_t n) const {
        for (std::size_t i = 0; i < n; ++i) {
            const Punkt z = q[i];
            if (!(z.x >= x0 && z.x <= x1 && z.y >= y0 && z.y <= y1))
                continue;
            if (std::binary_search(zellen.begin(), zellen.end(),
                                   schluessel(zelle(z.x, x0), zelle(z.y, y0))))
                return true;
        }
        return false;
    }
    const double reich;

private:
    // Monotonic in v, so a point inside a box lies in the box's cell range.
    std::int64_t zelle(double v, double v0) const {
        const double c = std::floor((v - v0) / h);
        return static_cast<std::int64_t>(std::clamp(c, -1.0, 2e9));
    }
    static std::uint64_t schluessel(std::int64_t cx, std::int64_t cy) {
        return (static_cast<std::uint64_t>(cx + 1) << 32) | static_cast<std::uint64_t>(cy + 1);
    }
    double x0 = std::numeric_limits<double>::infinity(), y0 = x0, x1 = -x0, y1 = -x0, h = 1;
    std::vector<std::uint64_t> zellen;
};

} // namespace

ZMSpur::ZMSpur(std::span<const Punkt> quelle, std::span<const ZM> quelleZM)
    : zm(quelleZM.begin(), quelleZM.end()), quelle_(quelle.begin(), quelle.end()),
      quelleZM_(quelleZM.begin(), quelleZM.end()) {
    zm.resize(quelle_.size());
    quelleZM_.resize(quelle_.size());
}

void ZMSpur::vorPass(std::span<const Punkt> punkte) {
    vorher_.assign(punkte.begin(), punkte.end());
    vorherZM_ = zm;
    vorherZM_.resize(vorher_.size());
}

void ZMSpur::nachPass(std::span<const Punkt> punkte) {
    std::vector<ZM> neu(punkte.size());
    std::unordered_multimap<Punkt, std::size_t, PunktSchluessel, PunktGleich> lage;
    bool lageGebaut = false;
    std::size_t j = 0; // points come out in their old order: search from the last match on
    for (std::size_t k = 0; k < punkte.size(); ++k) {
        const Punkt& p = punkte[k];
        std::size_t gefunden = vorher_.size();
        for (std::size_t s = j; s < vorher_.size() && s < j + 8; ++s)
            if (gleich(vorher_[s], p)) {
                gefunden = s;
                break;
            }
        if (gefunden == vorher_.size()) {
            if (!lageGebaut) {
                for (std::size_t s = 0; s < vorher_.size(); ++s)
                    lage.emplace(vorher_[s], s);
                lageGebaut = true;
            }
            // The first place from the last match on, else the first place of all.
            std::size_t abJ = vorher_.size();
            std::size_t erste = vorher_.size();
            const auto [von, bis] = lage.equal_range(p);
            for (auto it = von; it != bis; ++it) {
                if (it->second >= j)
                    abJ = std::min(abJ, it->second);
                erste = std::min(erste, it->second);
            }
            gefunden = abJ < vorher_.size() ? abJ : erste;
        }
        if (gefunden < vorher_.size()) {
            neu[k] = vorherZM_[gefunden];
            j = gefunden + 1;
            continue;
        }
        // A merged pair of neighbours lies at their midpoint.
        bool gemittelt = false;
        for (std::size_t s = j > 0 ? j - 1 : 0; s + 1 < vorher_.size() && s <= j + 1; ++s) {
            if (gleich(mitte(vorher_[s], vorher_[s + 1]), p)) {
                neu[k] = {0.5 * vorherZM_[s].z + 0.5 * vorherZM_[s + 1].z,
                          0.5 * vorherZM_[s].m + 0.5 * vorherZM_[s + 1].m};
                j = s + 2;
                gemittelt = true;
                break;
            }
        }
        if (!gemittelt)
            neu[k] = anStelle(p);
    }
    zm = std::move(neu);
}

void ZMSpur::einNullpunkt() {
    zm.assign(1, ZM{});
}

ZM ZMSpur::anStelle(const Punkt& p) const {
    if (quelle_.empty())
        return {};
    if (quelle_.size() == 1)
        return quelleZM_[0];
    double besterAbstand = INFINITY;
    ZM bestes = quelleZM_[0];
    for (std::size_t i = 0; i + 1 < quelle_.size(); ++i) {
        const Punkt& a = quelle_[i];
        const Punkt& b = quelle_[i + 1];
        const double dx = b.x - a.x;
        const double dy = b.y - a.y;
        const double l2 = dx * dx + dy * dy;
        double t = l2 > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / l2 : 0;
        t = std::clamp(t, 0.0, 1.0);
        const double ex = a.x + t * dx - p.x;
        const double ey = a.y + t * dy - p.y;
        const double d2 = ex * ex + ey * ey;
        if (d2 < besterAbstand) {
            besterAbstand = d2;
            bestes = {quelleZM_[i].z + t * (quelleZM_[i + 1].z - quelleZM_[i].z),
                      quelleZM_[i].m + t * (quelleZM_[i + 1].m - quelleZM_[i].m)};
        }
    }
    return bestes;
}

void bereinigeTeil(std::vector<Punkt>& punkte, double minAbstand, bool& geschlossen,
                   double minFlaeche, ZMSpur* spur) {
    const std::int32_t minimum = geschlossen ? 3 : 2;
    const std::int32_t zu = geschlossen ? 1 : 0;
    std::int32_t n = anzahl32(punkte.size());
    const auto pass = [&](auto&& lauf) {
        if (spur != nullptr)
            spur->vorPass(std::span<const Punkt>(punkte.data(), static_cast<std::size_t>(n)));
        const std::int32_t neu = lauf();
        n = std::clamp(neu, 0, n);
        if (spur != nullptr)
            spur->nachPass(std::span<const Punkt>(punkte.data(), static_cast<std::size_t>(n)));
    };
    if (n > 0) {
        std::int32_t vorher = 0;
        do {
            vorher = n;
            pass([&] { return geo::loeschePunkteSmall(punkte.data(), n, zu); });
            pass([&] {
                return geo::entferneKleineFlaechen(punkte.data(), n, minAbstand, minFlaeche);
            });
            pass([&] { return geo::loeschePunkte(punkte.data(), n, minAbstand, zu); });
            std::int32_t verschoben = 0;
            pass([&] { return geo::entferneZungen(punkte.data(), n, minAbstand, &verschoben); });
            if (verschoben > 0)
                pass([&] { return geo::loeschePunkte(punkte.data(), n, minAbstand, zu); });
        } while (n != vorher && n > minimum);
    }

    if (n < 2) {
        punkte.assign(1, Punkt{0, 0});
        if (spur != nullptr)
            spur->einNullpunkt();
        return;
    }
    const auto behalten = static_cast<std::size_t>(n);
    if (geschlossen && !gleich(punkte[behalten - 1], punkte[0])) {
        punkte.resize(behalten + 1);
        punkte[behalten] = punkte[0];
        if (spur != nullptr) {
            spur->zm.resize(behalten + 1);
            spur->zm[behalten] = spur->zm[0];
        }
        return;
    }
    punkte.resize(behalten);
    if (spur != nullptr)
        spur->zm.resize(behalten);
}

void vereinfacheTeil(std::vector<Punkt>& punkte, double minAbstand, bool& geschlossen,
                     ZMSpur* spur) {
    std::int32_t n = anzahl32(punkte.size());
    if (n < 2)
        return; // nothing to simplify; the run measures and drops such a part
    std::vector<Punkt> ergebnis(static_cast<std::size_t>(n));
    double toleranz = 0.0017;
    std::int32_t m = n;
    double kuerzeste = 0;
    do {
        m = geo::poly_simplify(toleranz, punkte.data(), n, ergebnis.data(), &kuerzeste);
        m = std::clamp(m, 0, n);
        if (m == 2 || (geschlossen && m == 3)) {
            // One step further would leave only the minimum: the previous step's points stay,
            // as many as there were (an open ring of three would be no ring at all).
            m = n;
            break;
        }
        if (kuerzeste < -0.5)
            break;
        toleranz += 0.0017;
        if (spur != nullptr)
            spur->vorPass(std::span<const Punkt>(punkte.data(), static_cast<std::size_t>(n)));
        std::copy(ergebnis.begin(), ergebnis.begin() + m, punkte.begin());
        n = m;
        if (spur != nullptr)
            spur->nachPass(std::span<const Punkt>(punkte.data(), static_cast<std::size_t>(n)));
    } while (kuerzeste < minAbstand);

    if ((geschlossen && m > 2) || m > 1) {
        punkte.resize(static_cast<std::size_t>(m));
        if (spur != nullptr)
            spur->zm.resize(static_cast<std::size_t>(m));
    }
}

void ringeAnpassen(std::vector<Punkt>& punkte, const std::vector<std::int32_t>& teilStarts,
                   double minAbstand, bool geschlossen, std::vector<ZM>* zm) {
    const std::size_t k = teilStarts.size();
    if (k < 2)
        return;
    const auto start = [&](std::size_t p) {
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::max(teilStarts[p], 0)), 0,
                                       punkte.size());
    };
    const auto laenge = [&](std::size_t p) {
        const std::size_t ende = p + 1 < k ? start(p + 1) : punkte.size();
        return ende > start(p) ? ende - start(p) : 0;
    };
    // Per ring the library's frame grown by 2 t, computed as it does (NaN coordinates drop out
    // of std::min and std::max; after a change a frame may stay larger than its ring, which only
    // lets a pair through to the library's own test), and its largest coordinate magnitude (-1:
    // a coordinate the library's indexed path does not take).
    struct Rahmen {
        double xMin, xMax, yMin, yMax;
    };
    std::vector<Rahmen> rahmen(k);
    std::vector<double> groesste(k, 0);
    std::vector<std::size_t> anfang(k), anzahl(k);
    const auto vermesse = [&](std::size_t p) {
        constexpr double inf = std::numeric_limits<double>::infinity();
        Rahmen r{inf, -inf, inf, -inf};
        double b = 0;
        for (std::size_t q = anfang[p], e = anfang[p] + anzahl[p]; q < e; ++q) {
            r.xMin = std::min(r.xMin, punkte[q].x);
            r.xMax = std::max(r.xMax, punkte[q].x);
            r.yMin = std::min(r.yMin, punkte[q].y);
            r.yMax = std::max(r.yMax, punkte[q].y);
            if (b >= 0)
                b = handlich(punkte[q].x) && handlich(punkte[q].y)
                        ? std::max({b, std::fabs(punkte[q].x), std::fabs(punkte[q].y)})
                        : -1;
        }
        const double d = 2 * minAbstand;
        rahmen[p] = {r.xMin - d, r.xMax + d, r.yMin - d, r.yMax + d};
        groesste[p] = b;
    };
    for (std::size_t p = 0; p < k; ++p) {
        anfang[p] = start(p);
        anzahl[p] = laenge(p);
        vermesse(p);
    }
    // Areas per ring, renewed when the ring changes; a pair whose frames lie more than 2 t
    // apart is one the library leaves as it is, so it is not handed over at all.
    std::vector<double> flaechen(k, 0);
    std::vector<char> flaecheGilt(k, 0);
    const auto flaeche = [&](std::size_t p) {
        if (flaecheGilt[p] == 0) {
            double umfang = 0;
            double kuerzeste = 0;
            flaechen[p] = std::fabs(geo::areaBerechnen(
                punkte.data() + anfang[p], anzahl32(anzahl[p]) - 1, &umfang, &kuerzeste));
            flaecheGilt[p] = 1;
        }
        return flaechen[p];
    };
    const bool allePaare = geo::verlangterWeg() == geo::Weg::AllePaare;
    const auto nah = [&](std::size_t i, std::size_t j) {
        const Rahmen& a = rahmen[i];
        const Rahmen& b = rahmen[j];
        return allePaare ||
               (b.xMin < a.xMax && b.xMax > a.xMin && b.yMin < a.yMax && b.yMax > a.yMin);
    };
    // Around the large rings, cells near their segments, so that a ring far from every segment
    // of one (an island in its frame) need not be handed over with it. Only for coordinates the
    // library's indexed path takes, and for ring sizes where it always takes that path.
    std::vector<std::unique_ptr<Nahzellen>> nahzellen(k);
    const double t = minAbstand;
    const bool vorpruefen = !allePaare && t > 0 && std::isfinite(t);
    const auto erreichbar = [&](std::size_t a, std::size_t b) {
        if (!vorpruefen || anzahl[a] < 4096 || groesste[a] < 0 || groesste[b] < 0)
            return true;
        // Well above the library's reach of t (1 + 1e-9) plus its slack for the rounding at
        // the coordinates of both rings.
        const double reich = t * (1 + 1e-6) + 1e-8 * std::max(groesste[a], groesste[b]) + 1e-200;
        if (!nahzellen[a] || nahzellen[a]->reich < reich)
            nahzellen[a] =
                std::make_unique<Nahzellen>(punkte.data() + anfang[a], anzahl[a], 2 * reich);
        return nahzellen[a]->trifft(punkte.data() + anfang[b], anzahl[b]);
    };
    // A ring is closed at its first pair and after every change; closing it again changes
    // nothing.
    std::vector<char> offen(k, 1);
    const auto schliesse = [&](std::size_t p) {
        const std::size_t n = anzahl[p];
        if (offen[p] == 0 || n == 0)
            return;
        offen[p] = 0;
        Punkt& letzter = punkte[anfang[p] + n - 1];
        if (!gleich(letzter, punkte[anfang[p]]))
            flaecheGilt[p] = 0;
        letzter = punkte[anfang[p]];
        if (zm != nullptr && zm->size() == punkte.size())
            (*zm)[anfang[p] + n - 1] = (*zm)[anfang[p]];
    };
    for (std::size_t i = 0; i + 1 < k; ++i) {
        if (anzahl[i] == 0)
            continue;
        for (std::size_t j = i + 1; j < k; ++j) {
            const std::size_t nI = anzahl[i];
            const std::size_t nJ = anzahl[j];
            if (nJ == 0)
                continue;
            if (nah(i, j)) {
                const double aJ = flaeche(j);
                const double aI = flaeche(i);
                // The ring of the smaller area gives way.
                std::size_t weicht = k;
                if (aI != aJ && !erreichbar(aI < aJ ? j : i, aI < aJ ? i : j)) {
                    // No point of the smaller ring within reach of the larger: nothing moves.
                } else if (aI < aJ) {
                    geo::MultiPolygonVerschieben(punkte.data() + anfang[j], anzahl32(nJ),
                                                 punkte.data() + anfang[i], anzahl32(nI),
                                                 minAbstand, 0);
                    weicht = i;
                } else if (aI > aJ) {
                    geo::MultiPolygonVerschieben(punkte.data() + anfang[i], anzahl32(nI),
                                                 punkte.data() + anfang[j], anzahl32(nJ),
                                                 minAbstand, 0);
                    weicht = j;
                }
                if (weicht < k) {
                    nahzellen[weicht].reset();
                    flaecheGilt[weicht] = 0;
                    offen[weicht] = 1;
                    vermesse(weicht);
                }
            }
            if (geschlossen) {
                schliesse(j);
                schliesse(i);
            }
        }
    }
}

} // namespace trelvik
