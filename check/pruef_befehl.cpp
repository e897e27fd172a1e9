#include "check/pruef_befehl.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "app/zahlen.h"
#include "check/bericht_texte.h"
#include "check/projektion.h"

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
        bool abbrechen() const override { return weiter && weiter->abbrechen(); }
        void satzGeprueft(const GeometriePruefung& p, const SatzBefund& b, const Punktfeld& punkte,
                          const std::vector<std::int32_t>& teilStart) override {
            if (weiter)
                weiter->satzGeprueft(p, b, punkte, teilStart);
        }
    } label;
    label.weiter = anzeige;
    t.pruefung = pruefeGeometrie(shapePfad, minAbstandAusFeld(minAbstandText),
                                 minFlaecheAusFeld(minFlaecheText), &label, jobs);
    t.shapeTypLabel = label.text;
    t.geometrie = geometrieBericht(t.pruefung);
    t.fehlerfrei = t.pruefung.ohneBefund();
    return t;
}

} // namespace trelvik
