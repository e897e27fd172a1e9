/* libtrelvik.so.1: numeric routines on caller-owned point arrays. Plain C interface. */
#pragma once

#include <stdint.h>

#ifdef TRELVIK_BAUEN
#define TRELVIK_API __attribute__((visibility("default")))
#else
#define TRELVIK_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct Punkt {
    double x, y; /* 16 bytes, adjacent */
} Punkt;

typedef struct PunktF {
    float x, y; /* screen point, 8 bytes */
} PunktF;

/* Bounding circle of the segment from point k to point k+1. */
typedef struct Segmentkreis {
    double x, y, radius; /* 24 bytes */
} Segmentkreis;

/* Visible window; the shift is subtracted from every coordinate before scaling. */
typedef struct Ansicht {
    double left, width, top, height, shiftX, shiftY; /* 48 bytes */
} Ansicht;

/* Client rectangle in pixels; only right (width) and bottom (height) are read. */
typedef struct Zielrechteck {
    int32_t left, top, right, bottom; /* 16 bytes */
} Zielrechteck;

/* Common to every routine:
 * - "letzter" is the index of the last point, "anzahl" the number of points; segment i joins
 *   P[i-1] and P[i]. The arrays must hold that many points: nothing is checked beyond a count
 *   below the minimum stated per routine, which is answered with the neutral result given there.
 * - Every output pointer may be NULL; an output is written only through a pointer given.
 * - Routines that change points work in place and return the new count; points past it are left
 *   as they were. The caller owns every array; work arrays are freed before return.
 * - Nothing throws and nothing is reported: should a work array not be allocated, the routine
 *   returns the same neutral result as for a NULL point array. */

/* Counts the pairs of non-adjacent segments of P[0..letzter] that meet (touching end points and
 * collinear overlap count).
 * art: 3 is a line, every other value a ring: the first and the last segment, which share the
 * closing point, are then not paired.
 * *kreuzungen: the number of pairs that meet, 0 for none.
 * *kreuzungspunkt: the intersection point of the last such pair (in order of the first segment,
 * then the second) for which one can be computed; when none can (collinear overlap, very short
 * segments), the vertex of the last pair that lies on the other segment of that pair, else the
 * later end of its first segment. (0, 0) when no pair meets.
 * *null1, *null2: always 0. unbenutzt is not read.
 * NULL punkte or letzter < 3 (no pair that is not adjacent): every output 0. */

TRELVIK_API void PolygonTest(const Punkt* punkte, int32_t letzter, int32_t* kreuzungen,
                             int32_t* null1, int32_t* null2, double unbenutzt, int32_t art,
                             Punkt* kreuzungspunkt);

/* Contact and crossing between ring A (anzahlA points) and ring B (anzahlB points).
 * kreiseA[k] and kreiseB[k] are the bounding circles of segment k to k+1 (anzahl - 1 each); only
 * segment pairs whose circles overlap (sum of radii greater than the distance of the centres)
 * are tested, so circles that are too small hide findings.
 * Result, flag bits:
 *   1  contact: two end points within toleranz of each other in both x and y, or an end point
 *      closer than toleranz to the other segment with its foot on that segment;
 *   2  crossing: a segment of A meets one of B (touching counts).
 * 0 for neither; the search stops once both bits are set.
 * *punktA, *punktB: the later end of the segment of A and of B at which the bit set last was
 * found (of B the earlier end when that contact was found at the earlier ends). With no finding,
 * *punktA is the last point of A and *punktB the later end of the last segment of B whose circle
 * met one of A's, (0, 0) when none did.
 * NULL ringA or anzahlA < 2: result 0, both points (0, 0). NULL ringB, kreiseA or kreiseB, or
 * anzahlB < 2: no pair is tested; result 0, *punktA the last point of A, *punktB (0, 0). */
TRELVIK_API int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA,
                                     const Segmentkreis* kreiseA, const Punkt* ringB,
                                     int32_t anzahlB, const Segmentkreis* kreiseB, double toleranz,
                                     Punkt* punktA, Punkt* punktB);

/* Signed area of the ring P[0..letzter], positive counter-clockwise; the closing segment back to
 * P[0] adds nothing, so an open ring is measured as if closed.
 * *umfang: sum of the lengths of segments 1..letzter (no closing segment).
 * *kuerzeste: length of the shortest of those segments.
 * NULL punkte or letzter < 1: result 0, both outputs 0. */
TRELVIK_API double areaBerechnen(const Punkt* punkte, int32_t letzter, double* umfang,
                                 double* kuerzeste);

/* Smallest distance within P[0..letzter]: between any two points (first and last included, so a
 * closed ring gives 0), and between a point and a segment it does not end, counted only when the
 * point lies inside the segment's box enlarged by 2 * toleranz and its foot lies on the segment.
 * *stelle: the point of the smallest distance (the earlier one of a pair of points).
 * letzter == 0: result 0, *stelle = P[0]. NULL punkte or letzter < 0: result 0, *stelle (0, 0). */
TRELVIK_API double LaengeBerechnen(const Punkt* punkte, int32_t letzter, Punkt* stelle,
                                   double toleranz);

/* Simplifies P[0..anzahl-1] into ergebnis (room for anzahl points): points closer than toleranz
 * to the last kept one are dropped (the last point always stays), then Douglas-Peucker with
 * toleranz. Returns the number of result points, at least 2; punkte is not changed.
 * *kuerzeste: length of the shortest segment of the result.
 * NULL punkte or ergebnis, or anzahl < 2: result 0, *kuerzeste = -1, ergebnis untouched. */
TRELVIK_API int32_t poly_simplify(double toleranz, const Punkt* punkte, int32_t anzahl,
                                  Punkt* ergebnis, double* kuerzeste);

/* Removes spikes from P[0..anzahl-1] in place; returns the new count. Vertex i (from 1 while
 * i < count - 2, so the last two points are never examined) is removed when its neighbours are
 * closer than toleranz or it lies on the line between them (directions differ by less than
 * 0.000314 rad). Otherwise, when the cross piece of half-length toleranz through a neighbour,
 * perpendicular to the direction P[i] to P[i+1], meets a flank of the vertex, the vertex is a
 * spike: its tip is pulled onto the flank when that meeting point lies within toleranz of the
 * neighbour.
 * *verschoben: the number of spikes found (0 for none), whether or not the tip was moved.
 * anzahl < 0: result 0. NULL punkte: result anzahl. Both set *verschoben to 0. */
TRELVIK_API int32_t entferneZungen(Punkt* punkte, int32_t anzahl, double toleranz,
                                   int32_t* verschoben);

/* Cuts small loops off P[0..anzahl-1] in place; returns the new count. For each point p and each
 * later point q (p + 2 <= q < count - 1) a loop closes when P[q] is closer than toleranz to P[p],
 * or when a cross piece of half-length toleranz perpendicular to P[p]P[p+1] meets a segment
 * within toleranz of the point it passes through: the one through P[q] meeting P[p]P[p+1], or
 * the one through P[p] meeting P[q-1]P[q]. A loop whose area is below minFlaeche is cut: the
 * points between p and q are removed, P[q-1] taking the meeting point when there is one. Fewer
 * than 4 points: unchanged.
 * anzahl < 0: result 0. NULL punkte: result anzahl. */
TRELVIK_API int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double toleranz,
                                           double minFlaeche);

/* Merges consecutive points of P[0..anzahl-1] closer than minAbstand into their midpoint, in
 * place; returns the new count. geschlossen != 0 (a ring): when the first point moves the last
 * follows, and the other way round. A distance that is NaN never merges.
 * anzahl < 0: result 0. NULL punkte: result anzahl. */
TRELVIK_API int32_t loeschePunkte(Punkt* punkte, int32_t anzahl, double minAbstand,
                                  int32_t geschlossen);

/* loeschePunkte with a minimum distance of 0.0001. */
TRELVIK_API int32_t loeschePunkteSmall(Punkt* punkte, int32_t anzahl, int32_t geschlossen);

/* Pushes apart, in place, every pair of points of P[0..letzter] closer than minAbstand, in pair
 * order: each moves half of (minAbstand - distance + 0.01) along the line through both, so the
 * pair ends 0.01 beyond minAbstand. Coincident points move along x; NaN distances never push.
 * NULL punkte or letzter < 1: nothing. */
TRELVIK_API void LaengeVerschieben(Punkt* punkte, int32_t letzter, double minAbstand);

/* Moves the points of ring B (in place; ring A is not changed) that are closer than minAbstand to
 * a segment of ring A with their foot on it, away from the foot until they are minAbstand + 0.01
 * from it. Nothing happens unless the rings' boxes, enlarged by 2 * minAbstand, overlap; only
 * segment pairs whose circles (half length + 2 * minAbstand) overlap are tested. unbenutzt is
 * not read.
 * NULL ringA or ringB, or anzahlA or anzahlB < 2: nothing. */
TRELVIK_API void MultiPolygonVerschieben(const Punkt* ringA, int32_t anzahlA, Punkt* ringB,
                                         int32_t anzahlB, double minAbstand, int32_t unbenutzt);

/* Converts P[0..*letzter] into screen points for the view *ansicht on a target of ziel->right by
 * ziel->bottom pixels; bildpunkte needs room for *letzter + 1 points. Screen x is clamped to
 * [-2 right, 2 right], screen y to [-2 bottom, 2 bottom].
 * Result -1 when the points' extent (unshifted) meets the window, else 0.
 * *mitteX, *mitteY: the mean of the shifted points; with modus 1, a visible result and
 * *letzter > 1 the area centroid of the ring in unshifted coordinates instead, unless its area is
 * zero. Other modus values: the mean only.
 * NULL punkte, bildpunkte, letzter, ansicht or ziel, or *letzter < 0: result 0, both centres 0,
 * bildpunkte untouched. */
TRELVIK_API int32_t WandelPunktInFloatVunTool(const Punkt* punkte, PunktF* bildpunkte,
                                              const int32_t* letzter, const Ansicht* ansicht,
                                              const Zielrechteck* ziel, double* mitteX,
                                              double* mitteY, int32_t modus);

/* Stores the 8 bytes of wert (IEEE 754, little-endian on this platform) at ziel; returns ziel.
 * NULL ziel: nothing is written, result NULL. */
TRELVIK_API void* erzeugeDoubleAusWert(void* ziel, double wert);

/* Stores the 4 bytes of wert at ziel; returns ziel. NULL ziel: nothing is written, result NULL. */
TRELVIK_API void* erzeugeSingleAusWert(void* ziel, float wert);

#ifdef __cplusplus
}
#endif
