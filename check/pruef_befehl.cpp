#include "check/pruef_befehl.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "app/zahlen.h"
#include "check/bericht_texte.h"
#include "check/projektion.h"
#include "check/weiterleitung.h"

namespace trelvik {

PruefTexte pruefen(const std::string& shapePfad, Attributliste& liste,
                   const std::string& minAbstandText, const std::string& minFlaecheText,
                   PruefAnzeige* anzeige, const FehlerMelder& melden, unsigned jobs) {
    PruefTexte t;
    for (auto& e : liste) {
        e.status = 0;
        e.position = 0;
    }
    // A threshold that is no number would silently become 0 and hide every finding.
    t.schwellenFehler = schwellenFehler(minAbstandText, minFlaecheText);
    if (!t.schwellenFehler.empty())
        return t;
    if (shapePfad.empty() || dateiSuchen(shapePfad, 0).empty())
        return t;
    const std::string tabelle = begleitDatei(shapePfad, "dbf");
    if (tabelle.empty())
        return t;
    t.ausgefuehrt = true;
    const AttributBoxen boxen = vergleicheAttribute(leseTabellenFelder(tabelle), liste);
    t.vorhanden = boxen.vorhanden;
    t.gefordert = boxen.gefordert;

    t.projektion = leseProjektion(shapePfad, melden);
    // Keeps the shape type line for the report as it passes by.
    struct Label : WeiterleitendeAnzeige {
        using WeiterleitendeAnzeige::WeiterleitendeAnzeige;
        std::string text;
        void shapeTypAnzeigen(const std::string& s) override {
            text = s;
            WeiterleitendeAnzeige::shapeTypAnzeigen(s);
        }
    } label(anzeige);
    t.pruefung = pruefeGeometrie(shapePfad, minAbstandAusFeld(minAbstandText),
                                 minFlaecheAusFeld(minFlaecheText), &label, jobs);
    t.shapeTypLabel = label.text;
    t.geometrie = geometrieBericht(t.pruefung);
    t.fehlerfrei = t.pruefung.ohneBefund();
    return t;
}

std::string pruefFehlschlag(const PruefTexte& t, const std::string& shapePfad) {
    if (!t.schwellenFehler.empty())
        return t.schwellenFehler;
    const std::string datei = "\r\n" + shapePfad + "\r\n";
    if (!t.ausgefuehrt) {
        if (shapePfad.empty() || dateiSuchen(shapePfad, 0).empty())
            return "Die Datei" + datei + "ist nicht vorhanden.";
        return "Zum Shape" + datei + "fehlt die Attributtabelle (.dbf). Ohne sie kann nicht "
               "geprüft werden.";
    }
    const GeometriePruefung& p = t.pruefung;
    if (!p.geoeffnet)
        return "Das Shape" + datei + "konnte nicht geöffnet werden:\r\n" + p.grund;
    if (p.abgebrochen)
        return "Die Prüfung von" + datei + "wurde bei Satz " + std::to_string(p.abbruchSatz + 1) +
               " abgebrochen. Das Ergebnis gilt nur für die Sätze davor.";
    if (!p.vollstaendig)
        return "Die Prüfung von" + datei + "ist unvollständig: Satz " +
               std::to_string(p.abbruchSatz + 1) + " kann nicht gelesen werden (" + p.lesefehler +
               "). Er und die folgenden Sätze wurden nicht geprüft.";
    return {};
}

} // namespace trelvik
