// Whether two rings can meet in the ring contact test at all. That test looks only at segment
// pairs whose circles overlap; when not one circle of ring A comes near one circle of ring B its
// result is "neither touching nor crossing", so the pair loop need not call it.
#pragma once

#include "trelvik_geometrie.h"

#include <cstddef>
#include <vector>

namespace trelvik {

// The circles of one ring in blocks of consecutive circles, with the box around each block and
// around the whole ring. Built once per ring and record.
class KreisBloecke {
public:
    void baue(const std::vector<Segmentkreis>& kreise);

    // False only when no circle of a can pass the overlap test with a circle of b, rounding
    // included; true whenever that cannot be ruled out cheaply.
    friend bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b);

    struct Kasten {
        double xMin, xMax, yMin, yMax;
    };

private:
    const std::vector<Segmentkreis>* kreise_ = nullptr;
    std::vector<Kasten> bloecke_;
    Kasten ganz_{0, 0, 0, 0};
    double betrag_ = 0;
    bool unsicher_ = true; // values the slack below does not cover
};

bool vielleichtNah(const KreisBloecke& a, const KreisBloecke& b);

} // namespace trelvik
