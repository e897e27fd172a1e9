#include "geometry/bindung/bindung.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <type_traits>

namespace trelvik::geo {

namespace {

constexpr const char* bibliotheksName = "libtrelvik.so.1";

std::string programmOrdner() {
    char pfad[4096];
    const ssize_t laenge = ::readlink("/proc/self/exe", pfad, sizeof pfad - 1);
    if (laenge <= 0)
        return {};
    const std::string datei(pfad, static_cast<std::size_t>(laenge));
    const auto schnitt = datei.rfind('/');
    return schnitt == std::string::npos ? std::string{} : datei.substr(0, schnitt + 1);
}

void* oeffneBibliothek() {
    const std::string ordner = programmOrdner();
    if (!ordner.empty())
        if (void* h = ::dlopen((ordner + bibliotheksName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return h;
    if (void* h = ::dlopen(bibliotheksName, RTLD_NOW | RTLD_LOCAL))
        return h;
    const char* text = ::dlerror();
    throw BindungsFehler(text != nullptr ? text : "libtrelvik.so.1 not found");
}

// Casts an entry to the type of the library's declaration of the same routine.
template <class F> F gebunden(const char* name) {
    static_assert(std::is_pointer_v<F> && std::is_function_v<std::remove_pointer_t<F>>);
    return reinterpret_cast<F>(eintrag(name));
}

} // namespace

Weg verlangterWeg() {
    const char* wert = std::getenv("TRELVIK_BRUTE");
    if (wert != nullptr && wert[0] != 0 && wert[1] == 0) {
        if (wert[0] == '1')
            return Weg::AllePaare;
        if (wert[0] == '0')
            return Weg::Index;
    }
    return Weg::NachGroesse;
}

void* eintrag(const char* name) {
    // Loaded once and kept for the life of the process; a failed load is tried again next time.
    static void* const bibliothek = oeffneBibliothek();
    ::dlerror();
    void* adresse = ::dlsym(bibliothek, name);
    if (adresse == nullptr) {
        const char* text = ::dlerror();
        throw BindungsFehler(text != nullptr ? text : std::string("entry not found: ") + name);
    }
    return adresse;
}

// The binder's declarations must match the library's exactly.
#define TRELVIK_GLEICH(name)                                                                       \
    static_assert(std::is_same_v<decltype(&::name), decltype(&trelvik::geo::name)>)
TRELVIK_GLEICH(PolygonTest);
TRELVIK_GLEICH(MultiPolygonTest);
TRELVIK_GLEICH(areaBerechnen);
TRELVIK_GLEICH(LaengeBerechnen);
TRELVIK_GLEICH(poly_simplify);
TRELVIK_GLEICH(entferneZungen);
TRELVIK_GLEICH(entferneKleineFlaechen);
TRELVIK_GLEICH(loeschePunkte);
TRELVIK_GLEICH(loeschePunkteSmall);
TRELVIK_GLEICH(LaengeVerschieben);
TRELVIK_GLEICH(MultiPolygonVerschieben);
TRELVIK_GLEICH(WandelPunktInFloatVunTool);
TRELVIK_GLEICH(erzeugeDoubleAusWert);
TRELVIK_GLEICH(erzeugeSingleAusWert);
#undef TRELVIK_GLEICH

void PolygonTest(const Punkt* punkte, int32_t letzter, int32_t* kreuzungen, int32_t* null1,
                 int32_t* null2, double unbenutzt, int32_t art, Punkt* kreuzungspunkt) {
    static const auto fn = gebunden<decltype(&::PolygonTest)>("PolygonTest");
    fn(punkte, letzter, kreuzungen, null1, null2, unbenutzt, art, kreuzungspunkt);
}

int32_t MultiPolygonTest(const Punkt* ringA, int32_t anzahlA, const Segmentkreis* kreiseA,
                         const Punkt* ringB, int32_t anzahlB, const Segmentkreis* kreiseB,
                         double toleranz, Punkt* punktA, Punkt* punktB) {
    static const auto fn = gebunden<decltype(&::MultiPolygonTest)>("MultiPolygonTest");
    return fn(ringA, anzahlA, kreiseA, ringB, anzahlB, kreiseB, toleranz, punktA, punktB);
}

double areaBerechnen(const Punkt* punkte, int32_t letzter, double* umfang, double* kuerzeste) {
    static const auto fn = gebunden<decltype(&::areaBerechnen)>("areaBerechnen");
    return fn(punkte, letzter, umfang, kuerzeste);
}

double LaengeBerechnen(const Punkt* punkte, int32_t letzter, Punkt* stelle, double toleranz) {
    static const auto fn = gebunden<decltype(&::LaengeBerechnen)>("LaengeBerechnen");
    return fn(punkte, letzter, stelle, toleranz);
}

int32_t poly_simplify(double toleranz, const Punkt* punkte, int32_t anzahl, Punkt* ergebnis,
                      double* kuerzeste) {
    static const auto fn = gebunden<decltype(&::poly_simplify)>("poly_simplify");
    return fn(toleranz, punkte, anzahl, ergebnis, kuerzeste);
}

int32_t entferneZungen(Punkt* punkte, int32_t anzahl, double toleranz, int32_t* verschoben) {
    static const auto fn = gebunden<decltype(&::entferneZungen)>("entferneZungen");
    return fn(punkte, anzahl, toleranz, verschoben);
}

int32_t entferneKleineFlaechen(Punkt* punkte, int32_t anzahl, double toleranz, double minFlaeche) {
    static const auto fn = gebunden<decltype(&::entferneKleineFlaechen)>("entferneKleineFlaechen");
    return fn(punkte, anzahl, toleranz, minFlaeche);
}

int32_t loeschePunkte(Punkt* punkte, int32_t anzahl, double minAbstand, int32_t geschlossen) {
    static const auto fn = gebunden<decltype(&::loeschePunkte)>("loeschePunkte");
    return fn(punkte, anzahl, minAbstand, geschlossen);
}

int32_t loeschePunkteSmall(Punkt* punkte, int32_t anzahl, int32_t geschlossen) {
    static const auto fn = gebunden<decltype(&::loeschePunkteSmall)>("loeschePunkteSmall");
    return fn(punkte, anzahl, geschlossen);
}

void LaengeVerschieben(Punkt* punkte, int32_t letzter, double minAbstand) {
    static const auto fn = gebunden<decltype(&::LaengeVerschieben)>("LaengeVerschieben");
    fn(punkte, letzter, minAbstand);
}

void MultiPolygonVerschieben(const Punkt* ringA, int32_t anzahlA, Punkt* ringB, int32_t anzahlB,
                             double minAbstand, int32_t unbenutzt) {
    static const auto fn =
        gebunden<decltype(&::MultiPolygonVerschieben)>("MultiPolygonVerschieben");
    fn(ringA, anzahlA, ringB, anzahlB, minAbstand, unbenutzt);
}

int32_t WandelPunktInFloatVunTool(const Punkt* punkte, PunktF* bildpunkte, const int32_t* letzter,
                                  const Ansicht* ansicht, const Zielrechteck* ziel, double* mitteX,
                                  double* mitteY, int32_t modus) {
    static const auto fn =
        gebunden<decltype(&::WandelPunktInFloatVunTool)>("WandelPunktInFloatVunTool");
    return fn(punkte, bildpunkte, letzter, ansicht, ziel, mitteX, mitteY, modus);
}

void* erzeugeDoubleAusWert(void* ziel, double wert) {
    static const auto fn = gebunden<decltype(&::erzeugeDoubleAusWert)>("erzeugeDoubleAusWert");
    return fn(ziel, wert);
}

void* erzeugeSingleAusWert(void* ziel, float wert) {
    static const auto fn = gebunden<decltype(&::erzeugeSingleAusWert)>("erzeugeSingleAusWert");
    return fn(ziel, wert);
}

} // namespace trelvik::geo
