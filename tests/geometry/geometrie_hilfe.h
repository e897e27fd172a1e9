// Small helpers shared by the geometry tests.
#pragma once

#include "geometry/bindung/bindung.h"

#include <cmath>
#include <limits>
#include <ostream>
#include <vector>

inline std::ostream& operator<<(std::ostream& aus, const Punkt& p) {
    return aus << '(' << p.x << ", " << p.y << ')';
}

inline bool operator==(const Punkt& a, const Punkt& b) {
    return a.x == b.x && a.y == b.y;
}

namespace testhilfe {

inline const double keineZahl = std::numeric_limits<double>::quiet_NaN();
inline const double unendlich = std::numeric_limits<double>::infinity();

// Circles as the check run builds them: centre = midpoint, radius = half length + reserve.
inline std::vector<Segmentkreis> kreise(const std::vector<Punkt>& ring, double reserve = 0) {
    std::vector<Segmentkreis> k;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        const Punkt a = ring[i];
        const Punkt b = ring[i + 1];
        k.push_back(
            {(a.x + b.x) / 2, (a.y + b.y) / 2,
             std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)) / 2 + reserve});
    }
    return k;
}

// Circles so large that every pair passes the pre-filter.
inline std::vector<Segmentkreis> riesenKreise(const std::vector<Punkt>& ring) {
    return std::vector<Segmentkreis>(ring.size() > 1 ? ring.size() - 1 : 0, {0, 0, 1e9});
}

inline std::vector<Punkt> verschoben(std::vector<Punkt> p, double dx, double dy) {
    for (auto& q : p)
        q = {q.x + dx, q.y + dy};
    return p;
}

inline int32_t anzahl(const std::vector<Punkt>& p) {
    return static_cast<int32_t>(p.size());
}
inline int32_t letzter(const std::vector<Punkt>& p) {
    return static_cast<int32_t>(p.size()) - 1;
}

} // namespace testhilfe

#define EXPECT_PUNKT_NAH(ist, soll, toleranz)                                                      \
    do {                                                                                           \
        EXPECT_NEAR((ist).x, (soll).x, toleranz);                                                  \
        EXPECT_NEAR((ist).y, (soll).y, toleranz);                                                  \
    } while (false)
