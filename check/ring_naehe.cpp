#include "check/ring_naehe.h"

#include <algorithm>
#include <cmath>

namespace trelvik {

namespace {

constexpr std::size_t blockLaenge = 32;
constexpr std::size_t gruppenLaenge = 32;

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

// Relative rounding of the circle test and of the boxes, and the absolute error of squares that
// fall below the normal range.
double schlupf(double betragA, double betragB) {
    return 1e-9 * std::max(betragA, betragB) + 1e-150;
}

} // namespace

// A group's box holds its blocks' boxes and an upper group's those of its groups (minima and
// maxima only), so a block that touches k lies in a group and an upper group that do.
template <class F> void KreisBloecke::fuerBloeckeAn(const Kasten& k, double s, F&& f) const {
    for (std::size_t o = 0; o < obergruppen_.size(); ++o) {
        if (!beruehren(obergruppen_[o], k, s))
            continue;
        for (std::size_t g = o * gruppenLaenge, ge = std::min(gruppen_.size(), g + gruppenLaenge);
             g < ge; ++g) {
            if (!beruehren(gruppen_[g], k, s))
                continue;
            for (std::size_t i = g * gruppenLaenge,
                             e = std::min(bloecke_.size(), i + gruppenLaenge);
                 i < e; ++i)
                if (beruehren(bloecke_[i], k, s))
                    f(i);
        }
    }
}

void KreisBloecke::baue(std::span<const Punkt> punkte, double rand) {
    punkte_ = punkte;
    rand_ = rand;
    gebaut_ = true;
    bloecke_.clear();
    gruppen_.clear();
    obergruppen_.clear();
    betrag_ = 0;
    unsicher_ = false;
    const std::size_t n = kreise();
    bloecke_.reserve((n + blockLaenge - 1) / blockLaenge);
    // A block's box from its points, without the circles: a centre lies between the two points
    // of its segment (the midpoint rounds between them), and a radius, with its rounding and
    // that of the circle's box, stays below (|dx| + |dy|) / 2 + |rand| with a relative 2e-9 on
    // top. Rounding is monotonic, so each circle's box lies in the block's.
    const double reserve = std::fabs(rand);
    for (std::size_t von = 0; von < n; von += blockLaenge) {
        const std::size_t bis = std::min(n, von + blockLaenge);
        Kasten block{punkte_[von].x, punkte_[von].x, punkte_[von].y, punkte_[von].y};
        double summe = 0, gross = 0;
        for (std::size_t i = von; i < bis; ++i) {
            const Punkt a = punkte_[i], b = punkte_[i + 1];
            block.xMin = std::min(block.xMin, b.x);
            block.xMax = std::max(block.xMax, b.x);
            block.yMin = std::min(block.yMin, b.y);
            block.yMax = std::max(block.yMax, b.y);
            summe = std::max(summe, std::fabs(b.x - a.x) + std::fabs(b.y - a.y));
            gross = std::max({gross, std::fabs(b.x), std::fabs(b.y)});
        }
        const double r = (summe / 2 + reserve) * (1 + 2e-9);
        gross = std::max({gross, std::fabs(punkte_[von].x), std::fabs(punkte_[von].y)});
        // Squares of these stay finite; the slack covers the rounding of everything below.
        if (!(gross < 1e150 && r < 1e150)) {
            unsicher_ = true;
            return;
        }
        betrag_ = std::max({betrag_, gross, r});
        block = {block.xMin - r, block.xMax + r, block.yMin - r, block.yMax + r};
        if (von == 0)
            ganz_ = block;
        else
            nimm(ganz_, block);
        bloecke_.push_back(block);
    }
    for (std::size_t i = 0; i < bloecke_.size(); ++i) {
        if (i % gruppenLaenge == 0)
            gruppen_.push_back(bloecke_[i]);
        else
            nimm(gruppen_.back(), bloecke_[i]);
    }
    for (std::size_t g = 0; g < gruppen_.size(); ++g) {
        if (g % gruppenLaenge == 0)
            obergruppen_.push_back(gruppen_[g]);
        else
            nimm(obergruppen_.back(), gruppen_[g]);
    }
}

bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b) {
    if (a.unsicher_ || b.unsicher_ || !a.gebaut_ || !b.gebaut_)
        return true;
    if (a.bloecke_.empty() || b.bloecke_.empty())
        return false; // no circle pair at all
    const double s = schlupf(a.betrag_, b.betrag_);
    if (!beruehren(a.ganz_, b.ganz_, s))
        return false;
    // Kept per thread: the pair loop asks this for every pair of rings whose boxes overlap.
    thread_local std::vector<std::size_t> la, lb;
    la.clear();
    lb.clear();
    a.fuerBloeckeAn(b.ganz_, s, [&](std::size_t i) { la.push_back(i); });
    if (la.empty())
        return false;
    b.fuerBloeckeAn(a.ganz_, s, [&](std::size_t j) { lb.push_back(j); });
    if (lb.empty())
        return false;
    // Beyond about the work of the contact test itself, let it decide.
    const double budget = 4.0 * static_cast<double>(a.kreise() + b.kreise()) + 4096;
    if (static_cast<double>(la.size()) * static_cast<double>(lb.size()) > budget)
        return true;
    double arbeit = 0;
    for (const std::size_t i : la)
        for (const std::size_t j : lb) {
            if (!beruehren(a.bloecke_[i], b.bloecke_[j], s))
                continue;
            const std::size_t ai = i * blockLaenge, ae = std::min(a.kreise(), ai + blockLaenge);
            const std::size_t bj = j * blockLaenge, be = std::min(b.kreise(), bj + blockLaenge);
            arbeit += static_cast<double>((ae - ai) * (be - bj));
            if (arbeit > budget)
                return true;
            // The boxes of the block's circles of b, computed once the first circle of a
            // comes near the block.
            Kasten kb[blockLaenge];
            bool kbFertig = false;
            for (std::size_t p = ai; p < ae; ++p) {
                const Kasten kp = kastenVon(a.kreis(p));
                if (!beruehren(kp, b.bloecke_[j], s))
                    continue;
                if (!kbFertig) {
                    for (std::size_t q = bj; q < be; ++q)
                        kb[q - bj] = kastenVon(b.kreis(q));
                    kbFertig = true;
                }
                for (std::size_t q = 0; q < be - bj; ++q)
                    if (beruehren(kp, kb[q], s))
                        return true;
            }
        }
    return false;
}

bool schneideAus(std::span<const Punkt> punkte, const KreisBloecke& a, const KreisBloecke& b,
                 bool mitErstem, geometrie::GrosserVektor<Punkt>& ausPunkte,
                 geometrie::GrosserVektor<Segmentkreis>& ausKreise) {
    const std::size_t kreise = a.kreise();
    if (a.unsicher_ || b.unsicher_ || !a.gebaut_ || !b.gebaut_ || b.bloecke_.empty() ||
        kreise < 4 * blockLaenge || punkte.size() != kreise + 1)
        return false;
    const double s = schlupf(a.betrag_, b.betrag_);
    // A circle that passes the overlap test with one of b has a box that touches b's, and so
    // does its block.
    std::vector<std::size_t> nah;
    a.fuerBloeckeAn(b.ganz_, s, [&](std::size_t i) { nah.push_back(i); });
    if (nah.size() * blockLaenge * 4 > kreise)
        return false;
    // Beyond b's box by more than its size and any rounding, radius 0: its distance from every
    // circle of b exceeds that circle's radius.
    const Kasten& g = b.ganz_;
    const double weit =
        (g.xMax - g.xMin) + (g.yMax - g.yMin) + 1e-6 * std::max(a.betrag_, b.betrag_) + 1;
    const Segmentkreis fern{g.xMax + weit, g.yMax + weit, 0};
    ausPunkte.clear();
    ausKreise.clear();
    if (mitErstem)
        ausPunkte.push_back(punkte[0]);
    std::size_t letzter = 0; // index in punkte of the last point taken
    for (const std::size_t block : nah) {
        const std::size_t von = block * blockLaenge;
        const std::size_t bis = std::min(kreise, von + blockLaenge);
        if (ausPunkte.empty()) {
            ausPunkte.push_back(punkte[von]);
        } else if (von != letzter) {
            ausPunkte.push_back(punkte[von]);
            ausKreise.push_back(fern);
        }
        for (std::size_t c = von; c < bis; ++c) {
            ausPunkte.push_back(punkte[c + 1]);
            ausKreise.push_back(a.kreis(c));
        }
        letzter = bis;
    }
    return true;
}

} // namespace trelvik
