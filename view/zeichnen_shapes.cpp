#include "view/zeichnen_shapes.h"

#include "geometry/bindung/bindung.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

namespace trelvik {

namespace {

// What every record of one Shape_DrawAll needs; set once at its start.
struct Zeichenlauf {
    Zeichenflaeche& flaeche;
    double shiftX = 0;
    double shiftY = 0;
    bool nurUmriss = false;
    int pixelBreite = 1;
    int pixelHoehe = 1;
    std::int32_t beschriftungsFeld = 0;
    std::int32_t beschriftungsFarbe = 0;
    std::int32_t fuellAlpha = 255;

    std::uint32_t stift() const { return argbFarbe(255, flaeche.ForeColor); }
    std::uint32_t pinsel() const { return argbFarbe(fuellAlpha, flaeche.FillColor); }
    int stiftBreite() const { return std::max(1, flaeche.DrawWidth); }
};

enum class Art { Keine, Punkt, Linie, Flaeche, MultiPunkt };

Art artVon(std::int32_t typ) {
    switch (typ) {
    case shapetyp::point:
    case shapetyp::pointZ:
    case shapetyp::pointM:
        return Art::Punkt;
    case shapetyp::polyLine:
    case shapetyp::polyLineZ:
    case shapetyp::polyLineM:
        return Art::Linie;
    case shapetyp::polyGon:
    case shapetyp::polyGonZ:
    case shapetyp::polyGonM:
        return Art::Flaeche;
    case shapetyp::multiPoint:
    case shapetyp::multiPointZ:
    case shapetyp::multiPointM:
        return Art::MultiPunkt;
    default:
        return Art::Keine; // null shapes, multipatches, unknown codes
    }
}

// Whether the conversion replaced the mean by the area centroid: it does so for a visible
// point list of more than two points in mode 1 whose area sum (taken as below, relative to
// the first point) is not zero. Summed exactly as the library sums it.
bool centroidGeliefert(const std::vector<Punkt>& p, std::int32_t modus) {
    if (modus != 1 || p.size() < 3)
        return false;
    const Punkt p0 = p[0];
    double s = 0;
    for (std::size_t i = 0; i + 1 < p.size(); ++i) {
        const double ax = p[i].x - p0.x;
        const double ay = p[i].y - p0.y;
        const double bx = p[i + 1].x - p0.x;
        const double by = p[i + 1].y - p0.y;
        s += ax * by - bx * ay;
    }
    return s != 0;
}

void beschrifte(Zeichenlauf& lauf, const std::vector<std::string>& wname, double x, double y) {
    if (lauf.beschriftungsFeld < 1 || wname.empty())
        return;
    const std::size_t feld =
        std::min(static_cast<std::size_t>(lauf.beschriftungsFeld), wname.size());
    Zeichenflaeche& f = lauf.flaeche;
    f.CurrentX = x;
    f.CurrentY = y;
    const std::int32_t alteFarbe = f.ForeColor;
    f.ForeColor = lauf.beschriftungsFarbe;
    if (VunPunktInScreenDouble(f, x, y))
        zeichneBeschriftung(f, wname[feld - 1]);
    f.ForeColor = alteFarbe;
}

// Polygons (mode 1, closed figures, filled) and lines (mode 0, open figures).
void zeichneTeile(Zeichenlauf& lauf, const Punktfeld& punkte, const std::vector<std::int32_t>& lpp,
                  const std::vector<std::string>& wname, bool flaeche) {
    const std::size_t n = punkte.zeilen();
    if (n == 0 || punkte.spalten() < 2 || lpp.size() < 2)
        return;
    std::vector<Punkt> p(n);
    for (std::size_t i = 0; i < n; ++i)
        p[i] = Punkt{punkte(i, 0), punkte(i, 1)};
    std::vector<PunktF> bild(n);
    const std::int32_t letzter = static_cast<std::int32_t>(n - 1);
    const Zeichenflaeche& f = lauf.flaeche;
    const Ansicht ansicht{0, f.ScaleWidth, -f.ScaleHeight, f.ScaleHeight, lauf.shiftX, lauf.shiftY};
    const Zielrechteck ziel{0, 0, lauf.pixelBreite, lauf.pixelHoehe};
    const std::int32_t modus = flaeche ? 1 : 0;
    double mitteX = 0;
    double mitteY = 0;
    const std::int32_t sichtbar = trelvik::geo::WandelPunktInFloatVunTool(
        p.data(), bild.data(), &letzter, &ansicht, &ziel, &mitteX, &mitteY, modus);
    if (sichtbar == 0)
        return;

    std::vector<Figur> figuren;
    figuren.reserve(lpp.size() - 1);
    for (std::size_t k = 0; k + 1 < lpp.size(); ++k) {
        const auto von = static_cast<std::size_t>(std::max(lpp[k], 0));
        const auto bis = std::min(static_cast<std::size_t>(std::max(lpp[k + 1], 0)), n);
        if (von < bis)
            figuren.emplace_back(bild.begin() + static_cast<std::ptrdiff_t>(von),
                                 bild.begin() + static_cast<std::ptrdiff_t>(bis));
    }
    std::optional<std::uint32_t> fuellung;
    if (flaeche && !lauf.nurUmriss)
        fuellung = lauf.pinsel();
    lauf.flaeche.malePfad(figuren, flaeche, fuellung, lauf.stift(), lauf.stiftBreite());

    // The mean comes back in shifted coordinates, the centroid in world coordinates.
    if (!centroidGeliefert(p, modus)) {
        mitteX += lauf.shiftX;
        mitteY += lauf.shiftY;
    }
    beschrifte(lauf, wname, mitteX, mitteY);
}

void zeichnePunkte(Zeichenlauf& lauf, const Punktfeld& punkte,
                   const std::vector<std::string>& wname) {
    Zeichenflaeche& f = lauf.flaeche;
    if (punkte.spalten() < 2)
        return;
    const double durchmesser = f.DrawWidth;
    std::optional<std::uint32_t> fuellung;
    if (!lauf.nurUmriss)
        fuellung = lauf.pinsel();
    for (std::size_t i = 0; i < punkte.zeilen(); ++i) {
        const double x = punkte(i, 0);
        const double y = punkte(i, 1);
        if (!VunPunktInScreenDouble(f, x, y))
            continue;
        const double px = (x - f.ScaleLeft) * lauf.pixelBreite / std::fabs(f.ScaleWidth);
        const double py = (f.ScaleTop - y) * lauf.pixelHoehe / std::fabs(f.ScaleHeight);
        f.maleKreis(px, py, durchmesser, lauf.stift(), lauf.stiftBreite(), fuellung);
    }
    if (punkte.zeilen() > 0)
        beschrifte(lauf, wname, punkte(0, 0), punkte(0, 1));
}

int pixelAnzahl(double wert) {
    // A y-up scale converts to a negative count; the size of the area is what counts.
    const double betrag = std::fabs(wert);
    if (!(betrag >= 1))
        return 1;
    return betrag > 1e7 ? 10000000 : static_cast<int>(betrag);
}

} // namespace

bool Shape_DrawAll(VunInterface& vun, Zeichenflaeche& flaeche, std::int32_t beschriftungsFeld,
                   std::int32_t nurUmriss, double verschiebungX, double verschiebungY,
                   std::int32_t beschriftungsFarbe, std::int32_t fuellAlpha) {
    if (vun.AktShapetyp < 0)
        return false; // nothing open
    if (flaeche.ScaleWidth == 0 || flaeche.ScaleHeight == 0)
        return false; // no visible area: every pixel position would divide by zero
    Zeichenlauf lauf{flaeche};
    lauf.shiftX = verschiebungX;
    lauf.shiftY = verschiebungY;
    lauf.nurUmriss = nurUmriss != 0;
    lauf.pixelBreite =
        pixelAnzahl(flaeche.ScaleX(flaeche.ScaleWidth, Masseinheit::Benutzer, Masseinheit::Pixel));
    lauf.pixelHoehe =
        pixelAnzahl(flaeche.ScaleY(flaeche.ScaleHeight, Masseinheit::Benutzer, Masseinheit::Pixel));
    lauf.beschriftungsFeld = beschriftungsFeld;
    lauf.beschriftungsFarbe = beschriftungsFarbe;
    lauf.fuellAlpha = fuellAlpha;

    Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    for (std::int32_t i = 0; i < vun.DBanzahl; ++i) {
        std::int32_t vunRing = 0;
        // A record that cannot be read is left out; the others are still drawn.
        if (!vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp) || vun.AktZeiger < 1)
            continue;
        switch (artVon(vun.AktRecordTyp)) {
        case Art::Flaeche:
        case Art::Linie:
            if (!punkte.eindimensional())
                zeichneTeile(lauf, punkte, lpp, wname, artVon(vun.AktRecordTyp) == Art::Flaeche);
            break;
        case Art::Punkt:
            if (!punkte.eindimensional())
                zeichnePunkte(lauf, punkte, wname);
            break;
        case Art::MultiPunkt:
            // The check's fetch delivers no multipoint contents; the plain one does.
            if (vun.Shape_Get(i, punkte, wname) && !punkte.eindimensional())
                zeichnePunkte(lauf, punkte, wname);
            break;
        case Art::Keine:
            break;
        }
    }
    return true;
}

} // namespace trelvik
