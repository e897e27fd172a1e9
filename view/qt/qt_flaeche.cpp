#include "view/qt/qt_flaeche.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace trelvik {

namespace {

QColor argb(std::uint32_t farbe) {
    return QColor::fromRgba(static_cast<QRgb>(farbe));
}

QPen stiftAus(std::uint32_t farbe, int breite) {
    QPen stift(argb(farbe));
    stift.setWidth(std::max(1, breite));
    stift.setCapStyle(Qt::RoundCap);
    stift.setJoinStyle(Qt::RoundJoin);
    return stift;
}

// Pixel coordinates far outside the area are kept within what the raster engine takes.
double begrenzt(double v) {
    return std::isfinite(v) ? std::clamp(v, -1e7, 1e7) : 0.0;
}

} // namespace

std::int32_t alsFlaechenFarbe(const QColor& wert) {
    return farbe(wert.red(), wert.green(), wert.blue());
}

QColor alsQColor(std::int32_t wert) {
    const Farbanteile f = farbanteile(wert);
    return QColor(f.rot, f.gruen, f.blau);
}

bool QtFlaeche::beginnen(QPaintDevice* geraet, int breite, int hoehe) {
    breite_ = std::max(1, breite);
    hoehe_ = std::max(1, hoehe);
    schrift.setPixelSize(12);
    if (!maler_.begin(geraet))
        return false;
    // Paths and lines without smoothing, as the drawing routines always painted them; text
    // stays smoothed.
    maler_.setRenderHint(QPainter::Antialiasing, false);
    maler_.setRenderHint(QPainter::TextAntialiasing, true);
    return true;
}

void QtFlaeche::beenden() {
    if (maler_.isActive())
        maler_.end();
}

double QtFlaeche::TextWidth(const std::string& text) const {
    const QFontMetricsF m(geraeteSchrift(), maler_.device());
    const double pixel = m.horizontalAdvance(QString::fromStdString(text));
    return std::fabs(ScaleX(pixel, Masseinheit::Pixel, Masseinheit::Benutzer));
}

double QtFlaeche::TextHeight(const std::string& /*text*/) const {
    const QFontMetricsF m(geraeteSchrift(), maler_.device());
    return std::fabs(ScaleY(m.height(), Masseinheit::Pixel, Masseinheit::Benutzer));
}

void QtFlaeche::Line(double x1, double y1, double x2, double y2, std::int32_t farbe,
                     const std::string& stil) {
    if (!maler_.isActive())
        return;
    const QPointF a(begrenzt(pixelX(x1)), begrenzt(pixelY(y1)));
    const QPointF b(begrenzt(pixelX(x2)), begrenzt(pixelY(y2)));
    QPen stift(alsQColor(farbe));
    stift.setWidth(std::max(1, DrawWidth));
    maler_.setPen(stift);
    if (stil == "B" || stil == "BF") {
        maler_.setBrush(stil == "BF" ? QBrush(alsQColor(farbe)) : QBrush(Qt::NoBrush));
        maler_.drawRect(QRectF(a, b).normalized());
    } else {
        maler_.drawLine(a, b);
    }
}

void QtFlaeche::malePfad(const std::vector<Figur>& figuren, bool geschlossen,
                         std::optional<std::uint32_t> fuellung, std::uint32_t stift, int breite) {
    if (!maler_.isActive())
        return;
    QPainterPath pfad;
    pfad.setFillRule(Qt::OddEvenFill);
    for (const Figur& figur : figuren) {
        if (figur.empty())
            continue;
        pfad.moveTo(begrenzt(figur[0].x), begrenzt(figur[0].y));
        for (std::size_t i = 1; i < figur.size(); ++i)
            pfad.lineTo(begrenzt(figur[i].x), begrenzt(figur[i].y));
        if (geschlossen)
            pfad.closeSubpath();
    }
    if (geschlossen && fuellung)
        maler_.fillPath(pfad, QBrush(argb(*fuellung)));
    maler_.strokePath(pfad, stiftAus(stift, breite));
}

void QtFlaeche::maleKreis(double px, double py, double durchmesser, std::uint32_t stift, int breite,
                          std::optional<std::uint32_t> fuellung) {
    if (!maler_.isActive())
        return;
    const double r = durchmesser / 2;
    QPainterPath kreis;
    kreis.addEllipse(QPointF(begrenzt(px), begrenzt(py)), r, r);
    maler_.strokePath(kreis, stiftAus(stift, breite));
    if (fuellung)
        maler_.fillPath(kreis, QBrush(argb(*fuellung)));
}

void QtFlaeche::maleBeschriftung(int links, int oben, int rechts, int unten,
                                 const std::string& text) {
    if (!maler_.isActive())
        return;
    const QString t = QString::fromStdString(text);
    maler_.save();
    maler_.setFont(geraeteSchrift());
    const QRect kasten(QPoint(links, oben), QPoint(rechts, unten));
    const int ausrichtung = Qt::AlignCenter | Qt::TextDontClip;
    // The text's own rectangle, centred on the box.
    const QRect textRahmen = maler_.boundingRect(kasten, ausrichtung, t);
    QPen stift(alsQColor(ForeColor));
    stift.setWidth(std::max(1, DrawWidth));
    maler_.setPen(stift);
    maler_.setBrush(QBrush(Qt::white));
    maler_.drawRect(textRahmen);
    maler_.setPen(alsQColor(ForeColor));
    maler_.drawText(textRahmen, ausrichtung, t);
    maler_.restore();
}

BildFlaeche::BildFlaeche(int breite, int hoehe)
    : bild_(std::max(1, breite), std::max(1, hoehe), QImage::Format_ARGB32_Premultiplied) {
    bild_.fill(Qt::white);
    beginnen(&bild_, bild_.width(), bild_.height());
}

BildFlaeche::~BildFlaeche() {
    beenden();
}

const QImage& BildFlaeche::bild() {
    beenden();
    return bild_;
}

DruckerFlaeche::DruckerFlaeche(QPrinter& drucker) {
    const QRect seite = drucker.pageLayout().paintRectPixels(drucker.resolution());
    fakPixelX = drucker.logicalDpiX() / 96.0;
    fakPixelY = drucker.logicalDpiY() / 96.0;
    beginnen(&drucker, seite.width(), seite.height());
}

DruckerFlaeche::~DruckerFlaeche() {
    beenden();
}

QFont DruckerFlaeche::geraeteSchrift() const {
    QFont f = schrift;
    if (schrift.pixelSize() > 0)
        f.setPixelSize(std::max(1, static_cast<int>(std::lround(schrift.pixelSize() * fakPixelY))));
    return f;
}

} // namespace trelvik
