#include "check/ring_naehe.h"

#include <algorithm>
#include <cmath>

namespace trelvik {

namespace {

constexpr std::size_t blockLaenge = 32;

using Kasten = KreisBloecke::Kasten;

// The box of a circle, radius taken by its amount and rounded outwards.
Kasten kastenVon(const Segmentkreis& k) {
    const double r = std::fabs(k.radius) * (1 + 1e-9);
    return {k.x - r, k.x + r, k.y - r, k.y + r};
}

void nimm(Kasten& ziel, const Kasten& k) {
    ziel.xMin = std::min(ziel.xMin, k.xMin);
    ziel.xMax = std::max(ziel.xMax, k.xMax);
    ziel.yMin = std::min(ziel.yMin, k.yMin);
    ziel.yMax = std::max(ziel.yMax, k.yMax);
}

bool beruehren(const Kasten& a, const Kasten& b, double s) {
    return a.xMin <= b.xMax + s && b.xMin <= a.xMax + s && a.yMin <= b.yMax + s &&
           b.yMin <= a.yMax + s;
}

} // namespace

void KreisBloecke::baue(const std::vector<Segmentkreis>& kreise) {
    kreise_ = &kreise;
    bloecke_.clear();
    betrag_ = 0;
    unsicher_ = false;
    for (std::size_t i = 0; i < kreise.size(); ++i) {
        const Segmentkreis& k = kreise[i];
        for (const double w : {k.x, k.y, k.radius}) {
            // Squares of these stay finite; the slack covers the rounding of everything below.
            if (!(std::fabs(w) < 1e150))
                unsicher_ = true;
            betrag_ = std::max(betrag_, std::fabs(w));
        }
        if (unsicher_)
            return;
        const Kasten kasten = kastenVon(k);
        if (i % blockLaenge == 0)
            bloecke_.push_back(kasten);
        else
            nimm(bloecke_.back(), kasten);
        if (i == 0)
            ganz_ = kasten;
        else
            nimm(ganz_, kasten);
    }
}

bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b) {
    if (a.unsicher_ || b.unsicher_ || a.kreise_ == nullptr || b.kreise_ == nullptr)
        return true;
    if (a.bloecke_.empty() || b.bloecke_.empty())
        return false; // no circle pair at all
    // Relative rounding of the circle test and of the boxes, and the absolute error of squares
    // that fall below the normal range.
    const double s = 1e-9 * std::max(a.betrag_, b.betrag_) + 1e-150;
    if (!beruehren(a.ganz_, b.ganz_, s))
        return false;
    std::vector<std::size_t> la, lb;
    for (std::size_t i = 0; i < a.bloecke_.size(); ++i)
        if (beruehren(a.bloecke_[i], b.ganz_, s))
            la.push_back(i);
    if (la.empty())
        return false;
    for (std::size_t j = 0; j < b.bloecke_.size(); ++j)
        if (beruehren(b.bloecke_[j], a.ganz_, s))
            lb.push_back(j);
    if (lb.empty())
        return false;
    // Beyond about the work of the contact test itself, let it decide.
    const double budget = 4.0 * static_cast<double>(a.kreise_->size() + b.kreise_->size()) + 4096;
    if (static_cast<double>(la.size()) * static_cast<double>(lb.size()) > budget)
        return true;
    const auto& ka = *a.kreise_;
    const auto& kb = *b.kreise_;
    double arbeit = 0;
    for (const std::size_t i : la)
        for (const std::size_t j : lb) {
            if (!beruehren(a.bloecke_[i], b.bloecke_[j], s))
                continue;
            const std::size_t ai = i * blockLaenge, ae = std::min(ka.size(), ai + blockLaenge);
            const std::size_t bj = j * blockLaenge, be = std::min(kb.size(), bj + blockLaenge);
            arbeit += static_cast<double>((ae - ai) * (be - bj));
            if (arbeit > budget)
                return true;
            for (std::size_t p = ai; p < ae; ++p) {
                const Kasten kp = kastenVon(ka[p]);
                if (!beruehren(kp, b.bloecke_[j], s))
                    continue;
                for (std::size_t q = bj; q < be; ++q)
                    if (beruehren(kp, kastenVon(kb[q]), s))
                        return true;
            }
        }
    return false;
}

} // namespace trelvik
