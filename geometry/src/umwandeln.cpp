// Screen conversion of a point list and the byte images of single values.
#include "intern.h"

#include <cstring>
#include <limits>

namespace trelvik::geometrie {

void schwerpunktBerechnen(const Punkt* p, Index n, double& mitteX, double& mitteY) {
    const Punkt p0 = p[0];
    double s = 0;
    double sx = 0;
    double sy = 0;
    for (Index i = 0; i < n; ++i) {
        const Punkt a = relativ(p[i], p0);
        const Punkt b = relativ(p[i + 1], p0);
        const double m = a.x * b.y - b.x * a.y;
        s += m;
        sx += m * (a.x + b.x) / 6;
        sy += m * (a.y + b.y) / 6;
    }
    if (s != 0) {
        mitteX = p0.x + 2 * sx / s;
        mitteY = p0.y + 2 * sy / s;
    }
}

} // namespace trelvik::geometrie

using namespace trelvik::geometrie;

namespace {

// Keeps a screen coordinate within one window size beyond each edge. Written out rather than
// std::clamp, which has no defined result for a negative window size; NaN passes unchanged.
double begrenze(double wert, double grenze) {
    if (wert < -grenze)
        wert = -grenze;
    if (wert > grenze)
        wert = grenze;
    return wert;
}

} // namespace

extern "C" TRELVIK_API int32_t WandelPunktInFloatVunTool(const Punkt* punkte, PunktF* bildpunkte,
                                                         const int32_t* letzterZeiger,
                                                         const Ansicht* ansicht,
                                                         const Zielrechteck* ziel, double* mitteX,
                                                         double* mitteY, int32_t modus) {
    setze(mitteX, 0.0);
    setze(mitteY, 0.0);
    if (punkte == nullptr || bildpunkte == nullptr || letzterZeiger == nullptr ||
        ansicht == nullptr || ziel == nullptr || *letzterZeiger < 0)
        return 0;
    try {
        const Index n = *letzterZeiger;
        const Ansicht v = *ansicht;
        const double w = ziel->right;
        const double h = ziel->bottom;
        const double anzahl = static_cast<double>(n + 1);
        const double breite = std::fabs(v.width);
        const double hoehe = std::fabs(v.height);
        const double faktorX = w / breite;
        const double versatzX = (v.left / breite) * w;
        const double faktorY = -h / hoehe;
        const double versatzY = (v.top / hoehe) * h;

        double cx = 0;
        double cy = 0;
        constexpr double unendlich = std::numeric_limits<double>::infinity();
        double xMin = unendlich;
        double xMax = -unendlich;
        double yMin = unendlich;
        double yMax = -unendlich;
        for (Index i = 0; i <= n; ++i) {
            const Punkt p = punkte[i];
            cx += (p.x - v.shiftX) / anzahl;
            cy += (p.y - v.shiftY) / anzahl;
            // Clamped first: the float conversion then always sees a value in range (or NaN).
            const double sx = begrenze((p.x - v.shiftX) * faktorX - versatzX, 2 * w);
            const double sy = begrenze((p.y - v.shiftY) * faktorY + versatzY, 2 * h);
            bildpunkte[i] = {static_cast<float>(sx), static_cast<float>(sy)};
            // NaN coordinates take no part in the extent.
            if (p.x < xMin)
                xMin = p.x;
            if (p.x > xMax)
                xMax = p.x;
            if (p.y < yMin)
                yMin = p.y;
            if (p.y > yMax)
                yMax = p.y;
        }
        const bool unsichtbar = xMin > v.shiftX + v.left + v.width || xMax < v.shiftX + v.left ||
                                yMin > v.shiftY + v.top || yMax < v.shiftY + v.top + v.height;
        if (!unsichtbar && modus == 1 && n > 1)
            schwerpunktBerechnen(punkte, n, cx, cy);
        setze(mitteX, cx);
        setze(mitteY, cy);
        return unsichtbar ? 0 : -1;
    } catch (...) {
        setze(mitteX, 0.0);
        setze(mitteY, 0.0);
        return 0;
    }
}

extern "C" TRELVIK_API void* erzeugeDoubleAusWert(void* ziel, double wert) {
    if (ziel != nullptr)
        std::memcpy(ziel, &wert, sizeof wert);
    return ziel;
}

extern "C" TRELVIK_API void* erzeugeSingleAusWert(void* ziel, float wert) {
    if (ziel != nullptr)
        std::memcpy(ziel, &wert, sizeof wert);
    return ziel;
}
