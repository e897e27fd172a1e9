#pragma once
// Drawing surfaces over QPainter: one on an image (the picture area), one on a printer (the
// printer wrapper with its pixel factors against the screen).
#include "view/zeichnen.h"

#include <QFont>
#include <QImage>
#include <QPainter>

#include <memory>

class QPrinter;

namespace trelvik {

// A surface painting on any QPaintDevice through one QPainter held for the surface's life.
class QtFlaeche : public Zeichenflaeche {
public:
    int pixelBreite() const override { return breite_; }
    int pixelHoehe() const override { return hoehe_; }
    double TextWidth(const std::string& text) const override;
    double TextHeight(const std::string& text) const override;
    void Line(double x1, double y1, double x2, double y2, std::int32_t farbe,
              const std::string& stil) override;
    void malePfad(const std::vector<Figur>& figuren, bool geschlossen,
                  std::optional<std::uint32_t> fuellung, std::uint32_t stift, int breite) override;
    void maleKreis(double px, double py, double durchmesser, std::uint32_t stift, int breite,
                   std::optional<std::uint32_t> fuellung) override;
    void maleBeschriftung(int links, int oben, int rechts, int unten,
                          const std::string& text) override;

    // The font of the labels; its size is given in screen pixels.
    QFont schrift;

    // Ends painting; nothing may be drawn afterwards.
    void beenden();

protected:
    QtFlaeche() = default;
    // Starts painting on `geraet` with a drawing area of `breite` x `hoehe` pixels.
    bool beginnen(QPaintDevice* geraet, int breite, int hoehe);
    // The label font as the device takes it.
    virtual QFont geraeteSchrift() const { return schrift; }

    QPainter maler_;

private:
    int breite_ = 1;
    int hoehe_ = 1;
};

// A surface on an image of the given size, white when created.
class BildFlaeche : public QtFlaeche {
public:
    BildFlaeche(int breite, int hoehe);
    ~BildFlaeche() override;
    // The picture; painting is ended first.
    const QImage& bild();

private:
    QImage bild_;
};

// The printer wrapper: draws on the printable area of the printer's current page.
// fakPixelX / fakPixelY are the printer's pixels per screen pixel; label fonts keep their
// screen size on paper.
class DruckerFlaeche : public QtFlaeche {
public:
    explicit DruckerFlaeche(QPrinter& drucker);
    ~DruckerFlaeche() override;
    bool aktiv() const { return maler_.isActive(); }

    double fakPixelX = 1;
    double fakPixelY = 1;

protected:
    QFont geraeteSchrift() const override;
};

// A colour in the surface's convention (red in the low byte) from a QColor, and back.
std::int32_t alsFlaechenFarbe(const QColor& farbe);
QColor alsQColor(std::int32_t farbe);

} // namespace trelvik
