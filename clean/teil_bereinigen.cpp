#include "clean/teil_bereinigen.h"

#include "geometry/bindung/bindung.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <unordered_map>

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
    const auto flaeche = [&](std::size_t p) {
        double umfang = 0;
        double kuerzeste = 0;
        return std::fabs(geo::areaBerechnen(punkte.data() + start(p), anzahl32(laenge(p)) - 1,
                                            &umfang, &kuerzeste));
    };
    const auto schliesse = [&](std::size_t p) {
        const std::size_t n = laenge(p);
        if (n == 0)
            return;
        punkte[start(p) + n - 1] = punkte[start(p)];
        if (zm != nullptr && zm->size() == punkte.size())
            (*zm)[start(p) + n - 1] = (*zm)[start(p)];
    };
    for (std::size_t i = 0; i + 1 < k; ++i) {
        for (std::size_t j = i + 1; j < k; ++j) {
            const std::size_t nI = laenge(i);
            const std::size_t nJ = laenge(j);
            if (nI == 0 || nJ == 0)
                continue;
            const double aJ = flaeche(j);
            const double aI = flaeche(i);
            if (aI < aJ)
                geo::MultiPolygonVerschieben(punkte.data() + start(j), anzahl32(nJ),
                                             punkte.data() + start(i), anzahl32(nI), minAbstand, 0);
            else if (aI > aJ)
                geo::MultiPolygonVerschieben(punkte.data() + start(i), anzahl32(nI),
                                             punkte.data() + start(j), anzahl32(nJ), minAbstand, 0);
            if (geschlossen) {
                schliesse(j);
                schliesse(i);
            }
        }
    }
}

} // namespace trelvik
