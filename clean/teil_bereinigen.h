#pragma once
// Cleaning one part (the points of one ring or line) by repeated passes of the geometry library,
// simplifying it, and adapting the rings of one record to each other.
//
// The library sees x and y only. For files with Z and M, a ZMSpur travels beside the points and
// gives every point that comes out of a pass its Z and M: a vertex that survives keeps its own
// (also when a pass pushes it, since pushing keeps a point's place in the array), a merged pair
// of neighbours gets their mean, and any other computed point gets values interpolated
// linearly along the source part at its nearest position.
#include "trelvik_geometrie.h"

#include <cstdint>
#include <span>
#include <vector>

namespace trelvik {

struct ZM {
    double z = 0;
    double m = 0;
};

class ZMSpur {
public:
    // `quelle` and `quelleZM`: the part as read from the file.
    ZMSpur(std::span<const Punkt> quelle, std::span<const ZM> quelleZM);

    // Z and M of the current points, one per point.
    std::vector<ZM> zm;

    // Call before a pass that may remove, merge or compute points...
    void vorPass(std::span<const Punkt> punkte);
    // ...and after it, with the first `n` points it left.
    void nachPass(std::span<const Punkt> punkte);
    // The array became the single zero point.
    void einNullpunkt();
    // Values at a place on the source part, interpolated at its nearest position.
    ZM anStelle(const Punkt& p) const;

private:
    std::vector<Punkt> quelle_;
    std::vector<ZM> quelleZM_;
    std::vector<Punkt> vorher_;
    std::vector<ZM> vorherZM_;
};

// Runs the point passes until the part stops changing or reaches its minimum size (3 points
// for a ring, 2 for a line), then closes a ring again. `punkte` is resized to the result.
void bereinigeTeil(std::vector<Punkt>& punkte, double minAbstand, bool& geschlossen,
                   double minFlaeche, ZMSpur* spur = nullptr);

// Simplifies with a tolerance growing by 0.0017 until the shortest segment is at least
// `minAbstand`. Where a further step would leave only the minimum (2 points, 3 for a ring),
// the previous step's points stay.
void vereinfacheTeil(std::vector<Punkt>& punkte, double minAbstand, bool& geschlossen,
                     ZMSpur* spur = nullptr);

// Pushes, for every pair of parts, the part of smaller absolute area away from the larger one
// to the minimum distance. `teilStarts` holds the start of each part (first entry 0); the last
// part runs to the end of `punkte`. `zm` is either empty or one entry per point.
void ringeAnpassen(std::vector<Punkt>& punkte, const std::vector<std::int32_t>& teilStarts,
                   double minAbstand, bool geschlossen, std::vector<ZM>* zm = nullptr);

} // namespace trelvik
