// trelvik-cli check: the check command of the window for one or many files.
#include "app/dateien.h"
#include "app/dateisatz.h"
#include "app/zahlen.h"
#include "check/befund_datei.h"
#include "check/einheit.h"
#include "check/pruef_befehl.h"
#include "check/zusammenfassung.h"
#include "cli/befehle.h"
#include "view/bericht.h"
#include "clean/bereinigen_lauf.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <iostream>
#include <unistd.h>

namespace trelvik::cli {

namespace {

// Records done of all, on stderr, only when stderr is a terminal.
class Fortschritt : public PruefAnzeige {
public:
    explicit Fortschritt(std::string name) : name_(std::move(name)), aktiv_(::isatty(2) != 0) {}
    ~Fortschritt() override { beende(); }
    void fortschritt(std::int32_t erledigt, std::int32_t alle) override {
        if (!aktiv_ || alle < 1000)
            return;
        std::fprintf(stderr, "\r%s: %d/%d records", name_.c_str(), erledigt, alle);
        geschrieben_ = true;
    }
    void beende() {
        if (geschrieben_)
            std::fprintf(stderr, "\r\033[K");
        geschrieben_ = false;
    }

private:
    std::string name_;
    bool aktiv_;
    bool geschrieben_ = false;
};

// The thresholds are centimetres and square metres; say so when the coordinates are not metres.
void warneVorEinheit(const std::string& pfad) {
    const Koordinateneinheit e = koordinateneinheit(pfad);
    if (!einheitWarnen(e))
        return;
    const std::string name = e.name.empty() ? "(unnamed)" : "\"" + e.name + "\"";
    std::cerr << "trelvik-cli: warning: " << pfad
              << (e.art == Koordinateneinheit::Art::Grad
                      ? ": geographic coordinates, unit " + name
                      : ": coordinates in unit " + name + ", not metres")
              << "; --min-distance and --min-area are taken as metres\n";
}

int pruefeBefehl(const Argumente& argumente) {
    LaufOptionen lauf;
    std::string ausgabe;
    std::string befundZiel;
    std::string zusammenfassungZiel;
    std::vector<std::string> dateien;
    for (std::size_t i = 0; i < argumente.size(); ++i) {
        const std::string& a = argumente[i];
        const auto wert = [&](std::string& ziel) { return optionsWert(argumente, i, ziel); };
        if (std::string grund; gemeinsameOption(argumente, i, lauf, grund)) {
            if (!grund.empty())
                return scheitern(grund);
        } else if (a == "--out") {
            if (!wert(ausgabe))
                return scheitern("--out needs a file");
        } else if (a == "--summary") {
            if (!wert(zusammenfassungZiel))
                return scheitern("--summary needs a file");
        } else if (a == "--findings") {
            if (!wert(befundZiel))
                return scheitern("--findings needs a file ending in .shp or .csv");
        } else if (a.rfind("--", 0) == 0) {
            return scheitern("unknown option " + a);
        } else {
            dateien.push_back(a);
        }
    }
    if (dateien.empty())
        return scheitern("check needs at least one FILE.shp");
    const std::string& minAbstand = lauf.minAbstand;
    const std::string& minFlaeche = lauf.minFlaeche;
    std::string& attributDatei = lauf.attributDatei;
    if (const std::string m = schwellenFehler(minAbstand, minFlaeche); !m.empty())
        return scheitern(m);
    if (!befundZiel.empty() && dateien.size() != 1)
        return scheitern("--findings takes exactly one FILE.shp");
    if (!befundZiel.empty() && gleicherShapeName(befundZiel, dateien.front()))
        return scheitern("--findings must not name the checked file");
    // Opened before the check, so a target that cannot be written is known at once.
    BefundDatei befundDatei;
    if (!befundZiel.empty() && !befundDatei.oeffne(befundZiel, dateien.front()))
        return scheitern(befundDatei.fehler());
    // The summary is written at the end; a folder that cannot take it is known at once.
    if (std::string grund; !zusammenfassungZiel.empty() && !ordnerNimmtAuf(zusammenfassungZiel, grund))
        return scheitern(grund);
    std::vector<DateiZusammenfassung> zusammenfassung;
    if (attributDatei.empty())
        attributDatei = attributDateiPfad(programmOrdner());
    Attributliste liste = leseAttributliste(
        attributDatei, [](const std::string& m) { std::cerr << "trelvik-cli: " << m << '\n'; });

    // The saved report is written whole at the end; a folder that cannot take it is known now.
    if (std::string grund; !ausgabe.empty() && !ordnerNimmtAuf(ausgabe, grund))
        return scheitern("cannot write " + ausgabe + " (" + grund + ")");
    std::ostringstream datei;
    std::ostream& aus = ausgabe.empty() ? std::cout : datei;

    int status = erfolg;
    for (const std::string& pfad : dateien) {
        Fortschritt fortschritt(pfad);
        BefundStrom strom(befundDatei, &fortschritt);
        BefundZaehler zaehler(befundZiel.empty() ? static_cast<PruefAnzeige*>(&fortschritt)
                                                 : &strom);
        const PruefTexte t = pruefen(pfad, liste, minAbstand, minFlaeche, &zaehler, {}, lauf.jobs);
        fortschritt.beende();
        bool befundFehler = false;
        if (!befundZiel.empty()) {
            // Only a check that read the whole file gives a findings file; otherwise the
            // temporary files go and the target stays as it was.
            if (t.ausgefuehrt && t.pruefung.geoeffnet && t.pruefung.vollstaendig) {
                if (!strom.inOrdnung() || !befundDatei.abschliessen()) {
                    scheitern(befundDatei.fehler());
                    status = fehler;
                    befundFehler = true;
                }
            } else {
                scheitern("no findings file written: " + pfad + " was not checked to its end");
            }
        }
        if (!zusammenfassungZiel.empty()) {
            const bool ganz = t.ausgefuehrt && t.pruefung.geoeffnet && t.pruefung.vollstaendig;
            const int dateiStatus = !ganz || befundFehler ? fehler
                                    : t.fehlerfrei        ? erfolg
                                                          : befunde;
            zusammenfassung.push_back(
                fasseZusammen(pfad, t.pruefung, zaehler, liste, dateiStatus));
        }
        if (!t.ausgefuehrt) {
            scheitern("cannot check " + pfad + ": " +
                      (dateiSuchen(pfad, 0).empty() ? "no such file"
                                                    : "its attribute table (.dbf) is missing"));
            status = fehler;
            continue;
        }
        aus << berichtDatei(pfad, t.shapeTypLabel, t.vorhanden, t.gefordert, t.projektion,
                            t.geometrie);
        warneVorEinheit(pfad);
        if (!t.pruefung.geoeffnet) {
            scheitern("cannot open " + pfad + ": " + t.pruefung.grund);
            status = fehler;
        } else if (!t.pruefung.vollstaendig) {
            scheitern(pfad + ": the check stopped early, " + t.pruefung.grund);
            status = fehler;
        } else if (!t.fehlerfrei && status == erfolg) {
            status = befunde;
        }
    }
    aus.flush();
    std::string grund;
    if (!aus || (!ausgabe.empty() && !schreibeGanz(ausgabe, datei.str(), grund)))
        return scheitern("cannot write the report" + (grund.empty() ? "" : ": " + grund));
    if (!zusammenfassungZiel.empty() &&
        !schreibeGanz(zusammenfassungZiel, zusammenfassungCsv(zusammenfassung), grund))
        return scheitern(grund);
    return status;
}

const BefehlEintrag eintrag({"check",
                             "check FILE.shp... [--min-distance CM] [--min-area M2] "
                             "[--attributes FILE] [--out FILE] [--findings OUT.shp|OUT.csv] "
                             "[--summary OUT.csv] [--jobs N]",
                             "checks each file and prints its report (exit 1 when any has "
                             "findings)",
                             pruefeBefehl});

} // namespace

} // namespace trelvik::cli
