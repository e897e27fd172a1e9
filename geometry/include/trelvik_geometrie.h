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

/* "letzter" is the index of the last point, "anzahl" the number of points. */

TRELVIK_API void PolygonTest(const Punkt* punkte, int32_t letzter, int32_t* kreuzungen,
                             int32_t* null1, int32_t* null2, double unbenutzt, int32_t art,
                             Punkt* kreuzungspunkt);

TRELVIK_API int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA,
                                     const Segmentkreis* kreiseA, const Punkt* ringB,
                                     int32_t anzahlB, const Segmentkreis* kreiseB, double toleranz,
                                     Punkt* punktA, Punkt* punktB);

TRELVIK_API double areaBerechnen(const Punkt* punkte, int32_t letzter, double* umfang,
                                 double* kuerzeste);

TRELVIK_API double LaengeBerechnen(const Punkt* punkte, int32_t letzter, Punkt* stelle,
                                   double toleranz);

TRELVIK_API int32_t poly_simplify(double toleranz, const Punkt* punkte, int32_t anzahl,
                                  Punkt* ergebnis, double* kuerzeste);

TRELVIK_API int32_t entferneZungen(Punkt* punkte, int32_t anzahl, double toleranz,
                                   int32_t* verschoben);

TRELVIK_API int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double toleranz,
                                           double minFlaeche);

TRELVIK_API int32_t loeschePunkte(Punkt* punkte, int32_t anzahl, double minAbstand,
                                  int32_t geschlossen);

TRELVIK_API int32_t loeschePunkteSmall(Punkt* punkte, int32_t anzahl, int32_t geschlossen);

TRELVIK_API void LaengeVerschieben(Punkt* punkte, int32_t letzter, double minAbstand);

TRELVIK_API void MultiPolygonVerschieben(const Punkt* ringA, int32_t anzahlA, Punkt* ringB,
                                         int32_t anzahlB, double minAbstand, int32_t unbenutzt);

TRELVIK_API int32_t WandelPunktInFloatVunTool(const Punkt* punkte, PunktF* bildpunkte,
                                              const int32_t* letzter, const Ansicht* ansicht,
                                              const Zielrechteck* ziel, double* mitteX,
                                              double* mitteY, int32_t modus);

TRELVIK_API void* erzeugeDoubleAusWert(void* ziel, double wert);

TRELVIK_API void* erzeugeSingleAusWert(void* ziel, float wert);

#ifdef __cplusplus
}
#endif
