#include "check/pruef_befehl.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "app/zahlen.h"
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
    } label;
    label.weiter = anzeige;
    t.pruefung = pruefeGeometrie(shapePfad, minAbstandAusFeld(minAbstandText),
                                 minFlaecheAusFeld(minFlaecheText), &label);
    t.shapeTypLabel = label.text;
    t.geometrie = geometrieBericht(t.pruefung);
    t.fehlerfrei = t.pruefung.ohneBefund();
    return t;
}

namespace {

// Every line end, whether LF, CR or CR LF, as CR LF: a window's text box gives LF.
std::string mitCrLf(const std::string& text) {
    std::string aus;
    aus.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            aus += zeilenEnde;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            aus += c;
        }
    }
    return aus;
}

} // namespace

std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden) {
    std::string s = trimmen(mitCrLf(text));
    if (ohneZeilenenden)
        while (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
    return s;
}

std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie) {
    const std::string zeilen[] = {mitCrLf(shapePfad),
                                  mitCrLf(label3),
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
