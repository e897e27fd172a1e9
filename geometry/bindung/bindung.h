// Program side of libtrelvik.so.1: each routine binds its library entry at its first call.
#pragma once

#include "trelvik_geometrie.h"

#include <stdexcept>

namespace trelvik {

// The library or one of its entries could not be found; what() holds the loader's text.
class BindungsFehler : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

namespace geo {

// The path the environment asks for: TRELVIK_BRUTE=1 the all-pairs reference everywhere (the
// library's routines and the pair loops of the runs), TRELVIK_BRUTE=0 the indexed paths even for
// the smallest inputs; otherwise the size decides. Read at every call, so that one program can
// compare both.
enum class Weg { NachGroesse, AllePaare, Index };
Weg verlangterWeg();

// Address of the named entry of libtrelvik.so.1, loading the library on first use: from the
// program's own folder first, then from the default search path. Throws BindungsFehler.
void* eintrag(const char* name);

// Same arguments and results as the library's routines. Call them qualified
// (trelvik::geo::PolygonTest): the point records are global types, so an unqualified call
// would also find the library's own declarations by argument-dependent lookup.
void PolygonTest(const Punkt* punkte, int32_t letzter, int32_t* kreuzungen, int32_t* null1,
                 int32_t* null2, double unbenutzt, int32_t art, Punkt* kreuzungspunkt);
int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA, const Segmentkreis* kreiseA,
                         const Punkt* ringB, int32_t anzahlB, const Segmentkreis* kreiseB,
                         double toleranz, Punkt* punktA, Punkt* punktB);
double areaBerechnen(const Punkt* punkte, int32_t letzter, double* umfang, double* kuerzeste);
double LaengeBerechnen(const Punkt* punkte, int32_t letzter, Punkt* stelle, double toleranz);
int32_t poly_simplify(double toleranz, const Punkt* punkte, int32_t anzahl, Punkt* ergebnis,
                      double* kuerzeste);
int32_t entferneZungen(Punkt* punkte, int32_t anzahl, double toleranz, int32_t* verschoben);
int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double toleranz, double minFlaeche);
int32_t loeschePunkte(Punkt* punkte, int32_t anzahl, double minAbstand, int32_t geschlossen);
int32_t loeschePunkteSmall(Punkt* punkte, int32_t anzahl, int32_t geschlossen);
void LaengeVerschieben(Punkt* punkte, int32_t letzter, double minAbstand);
void MultiPolygonVerschieben(const Punkt* ringA, int32_t anzahlA, Punkt* ringB, int32_t anzahlB,
                             double minAbstand, int32_t unbenutzt);
int32_t WandelPunktInFloatVunTool(const Punkt* punkte, PunktF* bildpunkte, const int32_t* letzter,
                                  const Ansicht* ansicht, const Zielrechteck* ziel, double* mitteX,
                                  double* mitteY, int32_t modus);
void* erzeugeDoubleAusWert(void* ziel, double wert);
void* erzeugeSingleAusWert(void* ziel, float wert);

} // namespace geo
} // namespace trelvik
