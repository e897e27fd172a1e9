// Routines shared by the exports. Nothing here leaves the library.
#pragma once

#include "trelvik_geometrie.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

static_assert(sizeof(Punkt) == 16 && offsetof(Punkt, y) == 8);
static_assert(sizeof(PunktF) == 8 && offsetof(PunktF, y) == 4);
static_assert(sizeof(Segmentkreis) == 24 && offsetof(Segmentkreis, radius) == 16);
static_assert(sizeof(Ansicht) == 48 && offsetof(Ansicht, shiftY) == 40);
static_assert(sizeof(Zielrechteck) == 16 && offsetof(Zielrechteck, bottom) == 12);

#pragma GCC visibility push(hidden)

namespace trelvik::geometrie {

// Indices are widened so that n - 1, q - p - 2 and friends never overflow for any int32 count.
using Index = std::ptrdiff_t;

// The right angle as all routines take it; cross pieces are built with it.
inline constexpr double rechterWinkel = 1.570796326794895;

struct Strecke {
    Punkt a, b;
};
static_assert(sizeof(Strecke) == 32);

inline Punkt relativ(Punkt p, Punkt bezug) {
    return {p.x - bezug.x, p.y - bezug.y};
}

inline double abstand(Punkt p, Punkt q) {
    const double dx = p.x - q.x;
    const double dy = p.y - q.y;
    return std::sqrt(dx * dx + dy * dy);
}

// Outputs are written only through pointers the caller actually gave.
template <class T> inline void setze(T* ziel, T wert) {
    if (ziel != nullptr)
        *ziel = wert;
}

// +1 counter-clockwise, -1 clockwise or collinear behind P0, +1 collinear beyond P1,
// 0 when P2 lies on the closed segment P0-P1.
inline int drehsinn(Punkt p0, Punkt p1, Punkt p2) {
    const double d1x = p1.x - p0.x;
    const double d1y = p1.y - p0.y;
    const double d2x = p2.x - p0.x;
    const double d2y = p2.y - p0.y;
    const double links = d1x * d2y;
    const double rechts = d1y * d2x;
    if (links > rechts)
        return 1;
    if (links < rechts)
        return -1;
    if (d1x * d2x < 0 || d1y * d2y < 0)
        return -1;
    if (d1x * d1x + d1y * d1y < d2x * d2x + d2y * d2y)
        return 1;
    return 0;
}

// Touching end points and collinear overlap count as intersection.
inline bool segmenteSchneiden(const Strecke& s1, const Strecke& s2) {
    return drehsinn(s1.a, s1.b, s2.a) * drehsinn(s1.a, s1.b, s2.b) <= 0 &&
           drehsinn(s2.a, s2.b, s1.a) * drehsinn(s2.a, s2.b, s1.b) <= 0;
}

// The same for segments of one line, which often share an end point: a shared end point makes
// one orientation of each test exactly 0 (against its own start the differences are 0, against
// its own end the two products are the same two factors), so such a pair intersects without
// the tests being worked out.
inline bool teileSchneiden(const Strecke& s1, const Strecke& s2) {
    const auto gleich = [](Punkt p, Punkt q) { return p.x == q.x && p.y == q.y; };
    return gleich(s1.a, s2.a) || gleich(s1.a, s2.b) || gleich(s1.b, s2.a) || gleich(s1.b, s2.b) ||
           segmenteSchneiden(s1, s2);
}

inline bool punkteNah(Punkt p, Punkt q, double t) {
    return std::fabs(p.x - q.x) < t && std::fabs(p.y - q.y) < t;
}

// Directions of the two ends of a cross piece perpendicular to theta; computed once per theta.
struct Querrichtung {
    double c1, s1, c2, s2;
    explicit Querrichtung(double theta)
        : c1(std::cos(theta + rechterWinkel)), s1(std::sin(theta + rechterWinkel)),
          c2(std::cos(theta - rechterWinkel)), s2(std::sin(theta - rechterWinkel)) {}
    // The cross piece through f with half-length h.
    Strecke durch(Punkt f, double h) const {
        return {{f.x + h * c1, f.y + h * s1}, {f.x + h * c2, f.y + h * s2}};
    }
};

// Intersection point of two segments; false when none can be computed (short first
// segment, no intersection, near-parallel, zero pivot).
bool schnittpunktBerechnen(const Strecke& s1, const Strecke& s2, Punkt& punkt);

// Foot of the perpendicular from p onto the line through s, and the distance to it.
double lotBerechnen(const Strecke& s, Punkt p, Punkt& fuss);

// Whether foot f (on the line of s) lies within s, ends included.
bool lotAufStrecke(const Strecke& s, Punkt f, double halbeLaenge);

// Unsigned area of P[s], P[s+1], ..., P[e-1], E.
double schleifenFlaeche(const Punkt* p, Index s, Index e, Punkt ende);

// Douglas-Peucker step on v[j..k]; marks the points to keep.
void poly_simplify_dp(double toleranz, const Punkt* v, Index j, Index k, std::int32_t* marken);

// Area centroid of P[0..n]; leaves the centre untouched for a ring of zero area.
void schwerpunktBerechnen(const Punkt* p, Index n, double& mitteX, double& mitteY);

} // namespace trelvik::geometrie

#pragma GCC visibility pop
