#include "check/pruef_befehl.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "check/bericht_texte.h"
#include "check/projektion.h"


namespace trelvik {

PruefTexte pruefen(const std::string& shapePfad, Attributliste& liste,
                   const std::string& minAbstandText, const std::string& minFlaecheText,
                   PruefAnzeige* anzeige, const FehlerMelder& melden) {
    PruefTexte t;
    for (auto& e : liste) {
        e.status = 0;
        e.position = 0;
    }
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
    struct Label : PruefAnzeige {
        PruefAnzeige* weiter = nullptr;
        std::string text;
        void shapeTypAnzeigen(const std::string& s) override {
            text = s;
            if (weiter)
                weiter->shapeTypAnzeigen(s);
        }
        void statusAnzeigen(const std::string& s) override {
            if (weiter)
                weiter->statusAnzeigen(s);
        }
        void fortschritt(std::int32_t erledigt, std::int32_t alle) override {
            if (weiter)
                weiter->fortschritt(erledigt, alle);
        }
        void satzGeprueft(const GeometriePruefung& p, const SatzBefund& b, const Punktfeld& punkte,
                          const std::vector<std::int32_t>& teilStart) override {
            if (weiter)
                weiter->satzGeprueft(p, b, punkte, teilStart);
        }
    } label;
    label.weiter = anzeige;
    t.pruefung = pruefeGeometrie(shapePfad, minAbstandAusFeld(minAbstandText),
                                 minFlaecheAusFeld(minFlaecheText), &label);
    t.shapeTypLabel = label.text;
    t.geometrie = geometrieBericht(t.pruefung);
    t.fehlerfrei = t.pruefung.geoeffnet && fehlerZeilen(t.pruefung) == 0;
    return t;
}

std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden) {
    std::string s = trimmen(text);
    if (ohneZeilenenden)
        while (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
    return s;
}

std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie) {
    const std::string zeilen[] = {shapePfad,
                                  label3,
                                  "",
                                  "Vorhandene Datenbank",
                                  "====================",
                                  berichtAbschnitt(vorhanden, true),
                                  "",
                                  "Geforderte Datenbank",
                                  "====================",
                                  berichtAbschnitt(gefordert, true),
                                  "",
                                  "Projektion",
                                  "==========",
                                  berichtAbschnitt(projektion, true),
                                  "",
                                  berichtAbschnitt(geometrie, false)};
    std::string text;
    for (const auto& z : zeilen) {
        text += z;
        text += zeilenEnde;
    }
    return text;
}

} // namespace trelvik
