#include "view/zeichnen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <utility>

namespace trelvik {

Farbanteile farbanteile(std::int32_t farbe) {
    if (farbe < 0)
        return {};
    return {farbe & 255, (farbe >> 8) & 255, (farbe >> 16) & 255};
}

std::uint32_t argbFarbe(int alpha, int rot, int gruen, int blau) {
    const auto teil = [](int w) { return static_cast<std::uint32_t>(std::clamp(w, 0, 255)); };
    return teil(alpha) << 24 | teil(rot) << 16 | teil(gruen) << 8 | teil(blau);
}

std::uint32_t argbFarbe(int alpha, std::int32_t farbe) {
    const Farbanteile f = farbanteile(farbe);
    return argbFarbe(alpha, f.rot, f.gruen, f.blau);
}

namespace {

double umrechnen(double wert, Masseinheit von, Masseinheit nach, double benutzer, int pixel) {
    if (von == nach || benutzer == 0)
        return wert;
    const double pixelJeEinheit = static_cast<double>(pixel) / std::fabs(benutzer);
    return von == Masseinheit::Benutzer ? wert * pixelJeEinheit : wert / pixelJeEinheit;
}

bool istKasten(const std::string& stil) {
    return stil == "B" || stil == "BF";
}

std::string gross(std::string text) {
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

} // namespace

double Zeichenflaeche::ScaleX(double wert, Masseinheit von, Masseinheit nach) const {
    return umrechnen(wert, von, nach, ScaleWidth, pixelBreite());
}

double Zeichenflaeche::ScaleY(double wert, Masseinheit von, Masseinheit nach) const {
    return umrechnen(wert, von, nach, ScaleHeight, pixelHoehe());
}

double Zeichenflaeche::pixelX(double x) const {
    return ScaleWidth == 0 ? 0 : (x - ScaleLeft) * pixelBreite() / ScaleWidth;
}

double Zeichenflaeche::pixelY(double y) const {
    // Signed: with a y-up scale (negative ScaleHeight) this is (ScaleTop - y) * px / |height|.
    return ScaleHeight == 0 ? 0 : (y - ScaleTop) * pixelHoehe() / ScaleHeight;
}

bool VunPunktInScreenDouble(const Zeichenflaeche& flaeche, double x, double y) {
    return flaeche.ScaleLeft <= x && x <= flaeche.ScaleLeft + flaeche.ScaleWidth &&
           flaeche.ScaleTop + flaeche.ScaleHeight <= y && y <= flaeche.ScaleTop;
}

std::optional<std::array<double, 4>> bildLinieSchneiden(const Zeichenflaeche& flaeche, double x1,
                                                        double y1, double x2, double y2,
                                                        const std::string& stil) {
    const bool kasten = istKasten(gross(stil));
    const double links = flaeche.ScaleLeft - 1.01 * flaeche.ScaleWidth;
    const double rechts = links + flaeche.ScaleWidth + 2 * 1.01 * flaeche.ScaleWidth;
    const double oben = flaeche.ScaleTop - 1.01 * flaeche.ScaleHeight;
    const double unten = oben + flaeche.ScaleHeight + 2 * 1.01 * flaeche.ScaleHeight;

    if (x1 > x2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    // A box keeps its y values: only its x range is clamped.
    const auto yBei = [&](double x) {
        if (kasten)
            return y1;
        const double dx = x2 - x1;
        return dx <= 0 ? (y1 + y2) / 2 : y1 + (x - x1) / dx * (y2 - y1);
    };
    if (x1 < links) {
        const double y = yBei(links);
        x1 = links;
        if (!kasten)
            y1 = y;
    }
    if (x2 > rechts) {
        const double y = yBei(rechts);
        x2 = rechts;
        if (!kasten)
            y2 = y;
    }
    if (x1 > x2)
        return std::nullopt;

    if (y1 > y2) {
        std::swap(x1, x2);
        std::swap(y1, y2);
    }
    const auto xBei = [&](double y) {
        if (kasten)
            return x1;
        const double dy = y2 - y1;
        return dy <= 0 ? (x1 + x2) / 2 : x1 + (y - y1) / dy * (x2 - x1);
    };
    // With a y-up scale `oben` is the larger bound.
    const double yHoch = std::max(oben, unten);
    const double yTief = std::min(oben, unten);
    if (y2 > yHoch) {
        const double x = xBei(yHoch);
        y2 = yHoch;
        if (!kasten)
            x2 = x;
    }
    if (y1 < yTief) {
        const double x = xBei(yTief);
        y1 = yTief;
        if (!kasten)
            x1 = x;
    }
    if (y1 > y2)
        return std::nullopt;
    return std::array<double, 4>{x1, y1, x2, y2};
}

void VunBildLine(Zeichenflaeche& flaeche, double x1, double y1, double x2, double y2,
                 std::int32_t farbe, std::string& stil) {
    stil = gross(stil);
    const auto teil = bildLinieSchneiden(flaeche, x1, y1, x2, y2, stil);
    if (!teil)
        return;
    const auto& [a, b, c, d] = *teil;
    flaeche.Line(a, b, c, d, farbe, istKasten(stil) ? stil : std::string());
}

void zeichneBeschriftung(Zeichenflaeche& flaeche, const std::string& text) {
    const double halbBreite = flaeche.TextWidth(text) / 2;
    const double halbHoehe = flaeche.TextHeight(text) / 2;
    double x1 = flaeche.CurrentX - halbBreite;
    double x2 = flaeche.CurrentX + halbBreite;
    double y1 = flaeche.CurrentY - halbHoehe;
    double y2 = flaeche.CurrentY + halbHoehe;
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    const auto ganz = [](double v) {
        // Far-off corners are kept inside the int range; the box is drawn on the surface only.
        return static_cast<int>(std::lround(std::clamp(v, -1e9, 1e9)));
    };
    int links = ganz(flaeche.pixelX(x1));
    int rechts = ganz(flaeche.pixelX(x2));
    int oben = ganz(flaeche.pixelY(y2));
    int unten = ganz(flaeche.pixelY(y1));
    if (links > rechts)
        std::swap(links, rechts);
    if (oben > unten)
        std::swap(oben, unten);
    flaeche.maleBeschriftung(links, oben, rechts, unten, text);
}

Punkt blickAufAusdehnung(Zeichenflaeche& flaeche, double xmin, double ymin, double xmax,
                         double ymax, double rand) {
    if (!(std::isfinite(xmin) && std::isfinite(ymin) && std::isfinite(xmax) &&
          std::isfinite(ymax)) ||
        xmin > xmax || ymin > ymax) {
        xmin = ymin = 0;
        xmax = ymax = 1;
    }
    double breite = xmax - xmin;
    double hoehe = ymax - ymin;
    if (!(breite > 0))
        breite = hoehe > 0 ? hoehe : 1;
    if (!(hoehe > 0))
        hoehe = breite;
    const double mitteX = xmin + (xmax - xmin) / 2;
    const double mitteY = ymin + (ymax - ymin) / 2;
    const double pb = std::max(1, flaeche.pixelBreite());
    const double ph = std::max(1, flaeche.pixelHoehe());
    // World units per pixel: the larger of the two, so the other direction gets extra room.
    const double mass = std::max(breite / pb, hoehe / ph) * (1 + 2 * rand);
    flaeche.ScaleWidth = mass * pb;
    flaeche.ScaleHeight = -mass * ph;
    flaeche.ScaleLeft = mitteX - flaeche.ScaleWidth / 2;
    flaeche.ScaleTop = mitteY - flaeche.ScaleHeight / 2;
    return Punkt{flaeche.ScaleLeft, flaeche.ScaleTop + flaeche.ScaleHeight};
}

} // namespace trelvik
