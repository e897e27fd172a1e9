// trelvik-cli render: every record of a file set painted into a PNG, the whole file in view.
// A module of its own (see render_laden.cpp): only this command needs Qt.
#include "cli/befehle.h"
#include "shape/vun_interface.h"
#include "view/qt/qt_flaeche.h"
#include "view/zeichnen_shapes.h"

#include <QColor>
#include <QGuiApplication>
#include <QImageWriter>

#include <memory>
#include <string>

namespace trelvik::cli {

namespace {

bool groesse(const std::string& text, int& breite, int& hoehe) {
    const auto x = text.find_first_of("xX");
    long b = 0;
    long h = 0;
    if (x == std::string::npos || !ganzeZahl(text.substr(0, x), 1, 16384, b) ||
        !ganzeZahl(text.substr(x + 1), 1, 16384, h))
        return false;
    breite = static_cast<int>(b);
    hoehe = static_cast<int>(h);
    return true;
}

// Fonts and text layout need a running Gui application; without a display it runs offscreen.
std::unique_ptr<QGuiApplication> guiAnwendung() {
    if (QGuiApplication::instance() != nullptr)
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "trelvik-cli";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

int zeichneBefehl(const Argumente& argumente) {
    int breite = 1200;
    int hoehe = 900;
    long feld = 0;
    long alpha = 160;
    bool umriss = false;
    QColor fuellung(QStringLiteral("#8fbc8f"));
    QColor linie(Qt::black);
    std::vector<std::string> dateien;
    for (std::size_t i = 0; i < argumente.size(); ++i) {
        const std::string& a = argumente[i];
        const bool mitWert = i + 1 < argumente.size();
        if (a == "--outline") {
            umriss = true;
        } else if (a == "--size" && mitWert) {
            if (!groesse(argumente[++i], breite, hoehe))
                return scheitern("--size needs WIDTHxHEIGHT, each 1 to 16384 pixels");
        } else if (a == "--label-field" && mitWert) {
            if (!ganzeZahl(argumente[++i], 0, 100000, feld))
                return scheitern("--label-field needs a field number (0 for no labels)");
        } else if (a == "--alpha" && mitWert) {
            if (!ganzeZahl(argumente[++i], 0, 255, alpha))
                return scheitern("--alpha needs a number from 0 to 255");
        } else if ((a == "--fill" || a == "--line") && mitWert) {
            const QColor c = QColor::fromString(QString::fromStdString(argumente[++i]));
            if (!c.isValid())
                return scheitern(a + " needs a colour: a name such as navy or #RRGGBB");
            (a == "--fill" ? fuellung : linie) = c;
        } else if (a.rfind("--", 0) == 0) {
            return scheitern("unknown option or missing value: " + a);
        } else {
            dateien.push_back(a);
        }
    }
    if (dateien.size() != 2)
        return scheitern("render needs FILE.shp OUT.png");

    VunInterface v;
    if (!v.Shape_Open(dateien[0]))
        return scheitern("cannot open " + dateien[0] + ": " + v.letzterFehler());
    const auto anwendung = guiAnwendung();
    BildFlaeche flaeche(breite, hoehe);
    // Points are circles of DrawWidth pixels: one pixel would be lost on the picture.
    const std::int32_t t = v.AktShapetyp;
    const bool punkte = t == shapetyp::point || t == shapetyp::pointZ || t == shapetyp::pointM ||
                        t == shapetyp::multiPoint || t == shapetyp::multiPointZ ||
                        t == shapetyp::multiPointM;
    flaeche.DrawWidth = punkte ? 5 : 1;
    flaeche.ForeColor = alsFlaechenFarbe(linie);
    flaeche.FillColor = alsFlaechenFarbe(fuellung);
    const Punkt verschiebung =
        blickAufAusdehnung(flaeche, v.xminimal, v.yminimal, v.xmaximal, v.ymaximal);
    Shape_DrawAll(v, flaeche, static_cast<std::int32_t>(feld), umriss ? 1 : 0, verschiebung.x,
                  verschiebung.y, alsFlaechenFarbe(linie), static_cast<std::int32_t>(alpha));
    QImageWriter schreiber(QString::fromStdString(dateien[1]), "png");
    if (!schreiber.write(flaeche.bild()))
        return scheitern("cannot write " + dateien[1] + ": " +
                         schreiber.errorString().toStdString());
    // The drawing leaves out what it cannot read; a picture with records missing must not
    // pass for the whole file.
    std::int32_t fehlend = 0;
    std::string ersterGrund;
    Punktfeld satzPunkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    for (std::int32_t i = 0; i < v.DBanzahl; ++i) {
        std::int32_t vunRing = 0;
        if (v.Shape_GetCheck(i, satzPunkte, wname, vunRing, lpp))
            continue;
        if (fehlend++ == 0)
            ersterGrund = "record " + std::to_string(i + 1) + ": " + v.letzterFehler();
    }
    if (fehlend > 0)
        return scheitern(dateien[0] + ": " + std::to_string(fehlend) + " of " +
                         std::to_string(v.DBanzahl) +
                         " records cannot be read and are not "
                         "drawn (first " +
                         ersterGrund + ")");
    return erfolg;
}

} // namespace

} // namespace trelvik::cli

// The module's one entry, found by name when the command is run.
extern "C" __attribute__((visibility("default"))) int
trelvikZeichneBefehl(const trelvik::cli::Argumente& argumente) {
    return trelvik::cli::zeichneBefehl(argumente);
}
