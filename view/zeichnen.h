#pragma once
// The drawing surface that shapes are painted on, and the drawing operations that work in its
// world coordinates: visibility of a point, clipped lines and boxes, labels in white boxes, and
// the colour rule. The surface itself is abstract; view/qt/ puts it over QPainter.
#include "trelvik_geometrie.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace trelvik {

// Colours in the surface's convention: red in the low byte, green in the second, blue in the
// third. Negative values (system colours) count as black.
struct Farbanteile {
    int rot = 0;
    int gruen = 0;
    int blau = 0;
};
Farbanteile farbanteile(std::int32_t farbe);
constexpr std::int32_t farbe(int rot, int gruen, int blau) {
    return (rot & 255) | (gruen & 255) << 8 | (blau & 255) << 16;
}

// alpha * 2^24 + red * 2^16 + green * 2^8 + blue, each component clamped to 0..255.
std::uint32_t argbFarbe(int alpha, int rot, int gruen, int blau);
std::uint32_t argbFarbe(int alpha, std::int32_t farbe);

// Units of ScaleX / ScaleY: the surface's user coordinates or its pixels.
enum class Masseinheit { Benutzer, Pixel };

// One figure of a path in pixels of the surface.
using Figur = std::vector<PunktF>;

// A caller's drawing surface. World x runs from ScaleLeft to ScaleLeft + ScaleWidth, world y
// from ScaleTop to ScaleTop + ScaleHeight (ScaleHeight is negative when north is up).
class Zeichenflaeche {
public:
    virtual ~Zeichenflaeche() = default;

    double ScaleLeft = 0;
    double ScaleTop = 0;
    double ScaleWidth = 1;
    double ScaleHeight = 1;
    int DrawWidth = 1;          // line width in pixels
    std::int32_t ForeColor = 0; // outline and text colour
    std::int32_t FillColor = 0;
    double CurrentX = 0;
    double CurrentY = 0;

    // The drawing area in pixels.
    virtual int pixelBreite() const = 0;
    virtual int pixelHoehe() const = 0;

    // A length converted between user units and pixels; the sign is kept (a y length in a
    // y-up scale converts to a negative pixel count).
    double ScaleX(double wert, Masseinheit von, Masseinheit nach) const;
    double ScaleY(double wert, Masseinheit von, Masseinheit nach) const;

    // Size of a text in the current font, in user units (always positive).
    virtual double TextWidth(const std::string& text) const = 0;
    virtual double TextHeight(const std::string& text) const = 0;

    // A line from (x1, y1) to (x2, y2) in world coordinates, in DrawWidth; with `stil` "B" the
    // box with these corners, with "BF" the filled box.
    virtual void Line(double x1, double y1, double x2, double y2, std::int32_t farbe,
                      const std::string& stil) = 0;

    // --- Pixel operations the shape drawing is built on --------------------------------------
    // Every figure of one path, filled with even-odd rule when `fuellung` is given, then its
    // outline in `stift` (ARGB) of `breite` pixels with round caps. Open figures are drawn as
    // connected lines and never filled.
    virtual void malePfad(const std::vector<Figur>& figuren, bool geschlossen,
                          std::optional<std::uint32_t> fuellung, std::uint32_t stift,
                          int breite) = 0;
    // A circle around a pixel position: the outline first, then the fill over it.
    virtual void maleKreis(double px, double py, double durchmesser, std::uint32_t stift,
                           int breite, std::optional<std::uint32_t> fuellung) = 0;
    // Text centred in the pixel box from (links, oben) to (rechts, unten): the text's own
    // rectangle, centred on the box, gets a frame of DrawWidth in ForeColor on white, and the
    // text in ForeColor on it.
    virtual void maleBeschriftung(int links, int oben, int rechts, int unten,
                                  const std::string& text) = 0;

    // Pixel position of a world point, unrounded.
    double pixelX(double x) const;
    double pixelY(double y) const;
};

// True when ScaleLeft <= x <= ScaleLeft + ScaleWidth and ScaleTop + ScaleHeight <= y <=
// ScaleTop (edges included; y grows upwards).
bool VunPunktInScreenDouble(const Zeichenflaeche& flaeche, double x, double y);

// The part of a line (or of a box with "B" / "BF") that lies within the visible area enlarged
// by 1.01 of its size on every side; nothing when the line lies wholly outside. `stil` is
// compared without regard to case.
std::optional<std::array<double, 4>> bildLinieSchneiden(const Zeichenflaeche& flaeche, double x1,
                                                        double y1, double x2, double y2,
                                                        const std::string& stil);

// Draws the clipped line or box with the surface's Line; `stil` is returned in capitals.
void VunBildLine(Zeichenflaeche& flaeche, double x1, double y1, double x2, double y2,
                 std::int32_t farbe, std::string& stil);

// `text` centred on (CurrentX, CurrentY) in a white box.
void zeichneBeschriftung(Zeichenflaeche& flaeche, const std::string& text);

// Sets the surface's scale so that the extent (xmin, ymin)-(xmax, ymax) lies wholly in view,
// centred, with north up, equal scales in x and y and a margin of `rand` of the extent on each
// side. An extent without width or height (a single point, a vertical line) gets one unit.
// Returns the shift Shape_DrawAll expects: the lower-left corner of the visible area.
Punkt blickAufAusdehnung(Zeichenflaeche& flaeche, double xmin, double ymin, double xmax,
                         double ymax, double rand = 0.02);

} // namespace trelvik
