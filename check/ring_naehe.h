// Whether two rings can meet in the ring contact test at all. That test looks only at segment
// pairs whose circles overlap; when not one circle of ring A comes near one circle of ring B its
// result is "neither touching nor crossing", so the pair loop need not call it.
#pragma once

#include "grosse_seiten.h"
#include "trelvik_geometrie.h"

#include <cmath>
#include <cstddef>
#include <span>
#include <vector>

namespace trelvik {

// The circle of segment a-b as the check run hands it to the contact test: centre = midpoint,
// radius = half the length + `rand`.
inline Segmentkreis segmentKreis(Punkt a, Punkt b, double rand) {
    const double laenge = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
    return {(a.x + b.x) / 2, (a.y + b.y) / 2, laenge / 2 + rand};
}

// The segment circles of one ring in blocks of consecutive circles, with the box around each
// block and around the whole ring. Built once per ring and record; the circles themselves are
// not kept but computed again where a block is looked into, so a ring that meets no other costs
// no array of them.
class KreisBloecke {
public:
    // The circles of the segments of `punkte` (which must outlive this) with reserve `rand`.
    void baue(std::span<const Punkt> punkte, double rand);

    std::size_t kreise() const { return punkte_.empty() ? 0 : punkte_.size() - 1; }
    Segmentkreis kreis(std::size_t i) const {
        return segmentKreis(punkte_[i], punkte_[i + 1], rand_);
    }

    // False only when no circle of a can pass the overlap test with a circle of b, rounding
    // included; true whenever that cannot be ruled out cheaply.
    friend bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b);
    friend bool schneideAus(std::span<const Punkt> punkte, const KreisBloecke& a,
                            const KreisBloecke& b, bool mitErstem,
                            geometrie::GrosserVektor<Punkt>& ausPunkte,
                            geometrie::GrosserVektor<Segmentkreis>& ausKreise);

    struct Kasten {
        double xMin, xMax, yMin, yMax;
    };

private:
    // Each block whose box touches k (slack s), ascending: through the groups of blocks first.
    template <class F> void fuerBloeckeAn(const Kasten& k, double s, F&& f) const;

    std::span<const Punkt> punkte_;
    double rand_ = 0;
    bool gebaut_ = false;
    std::vector<Kasten> bloecke_;
    std::vector<Kasten> gruppen_;     // boxes of gruppenLaenge consecutive blocks
    std::vector<Kasten> obergruppen_; // and of gruppenLaenge consecutive groups
    Kasten ganz_{0, 0, 0, 0};
    double betrag_ = 0;
    bool unsicher_ = true; // values the slack below does not cover
};

bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b);

// Ring a (its points, its blocks) cut down for the contact test with ring b, when that is far
// less than the whole ring: every run of blocks that may come near b, the runs joined by
// segments whose circle lies beyond b's box and so passes no overlap test; with point 0 in front
// when a is the test's ring A (it computes relative to that point). The test looks at the same
// pairs in the same order and finds the same flags and, when it finds something, the same
// places; what it names when it finds nothing may differ. False (and nothing cut) when the whole
// ring is to be taken.
bool schneideAus(std::span<const Punkt> punkte, const KreisBloecke& a, const KreisBloecke& b,
                 bool mitErstem, geometrie::GrosserVektor<Punkt>& ausPunkte,
                 geometrie::GrosserVektor<Segmentkreis>& ausKreise);

} // namespace trelvik
