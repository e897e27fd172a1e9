#include "clean/bereinigen_lauf.h"

#include "app/dateisatz.h"
#include "app/fliessband.h"
#include "app/texte.h"
#include "app/zahlen.h"
#include "clean/dbf_schreiber.h"
#include "clean/teil_bereinigen.h"
#include "geometry/bindung/bindung.h"
#include "shape/vun_interface.h"

#include <atomic>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <malloc.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik {

namespace {

namespace fs = std::filesystem;

std::string absolut(const std::string& pfad) {
    std::error_code fehler;
    const fs::path p = fs::absolute(fs::path(pfad), fehler);
    return (fehler ? fs::path(pfad) : p).lexically_normal().string();
}

// One record's kept parts, as they go to the writer.
struct Satz {
    std::vector<Punkt> punkte;
    std::vector<ZM> zm;
    std::vector<std::int32_t> starts;
};

// One record in flight: as read, and the parts it keeps.
struct SatzArbeit {
    std::int32_t i = 0;
    Punktfeld punkte;
    std::vector<std::int32_t> lpp;
    std::int32_t ringe = 0;
    Satz satz;
    std::int64_t teileGelesen = 0;
    std::int64_t teileVerworfen = 0;
    bool fertig = false; // false when the run was stopped inside the record
};

Punktfeld alsPunktfeld(const Satz& s, bool mitZM) {
    Punktfeld p;
    p.groesseAendernOhneWerte(s.punkte.size(), mitZM ? 4 : 2); // every element is set below
    for (std::size_t i = 0; i < s.punkte.size(); ++i) {
        p(i, 0) = s.punkte[i].x;
        p(i, 1) = s.punkte[i].y;
        if (mitZM) {
            p(i, 2) = s.zm[i].z;
            p(i, 3) = s.zm[i].m;
        }
    }
    return p;
}

class Lauf {
public:
    Lauf(const std::string& quellName, const std::string& zielName, const Attributliste& attribute,
         const BereinigungsOptionen& o, const Melder& melden, const Fortschritt& fortschritt,
         const std::function<bool()>& abbrechen)
        : S(quellName), T(zielName), B(zielName.substr(0, zielName.size() - 3)), liste(attribute),
          opt(o), melden_(melden), fortschritt_(fortschritt), abbrechen_(abbrechen) {}

    BereinigungsErgebnis fuehreAus();

private:
    void melde(const std::string& text) {
        if (melden_)
            melden_(text);
    }
    bool abbruch() {
        if (!erg.abgebrochen && abbrechen_ && abbrechen_())
            erg.abgebrochen = true;
        return erg.abgebrochen;
    }
    bool bereite();
    bool bereinigeSatz(SatzArbeit& s, const std::atomic<bool>& stopp) const;
    void schreibeBereinigt(SatzArbeit& s);
    void kopierePunktSatz(std::int32_t i);
    template <class Anhaengen> void schreibeSatz(std::int32_t i, const Anhaengen& anhaengen);
    bool bearbeiteTeil(std::vector<Punkt>& pts, ZMSpur* spur, const std::atomic<bool>& stopp) const;
    BereinigungsErgebnis schliesseAb();
    bool stelleZielHin();
    void entferneZiel();

    const std::string S;
    const std::string T;
    const std::string B;
    const Attributliste& liste;
    const BereinigungsOptionen& opt;
    const Melder& melden_;
    const Fortschritt& fortschritt_;
    const std::function<bool()>& abbrechen_;
    BereinigungsErgebnis erg;
    // The target's files under temporary names until the run is complete; declared before the
    // writers so that it goes after them.
    std::unique_ptr<Dateisatz> dateien;
    bool mitPrj = false;
    bool polygon = false;
    double D = 0;
    double A = 0;

    VunInterface quelle;
    VunInterface ziel;
    std::unique_ptr<DbfSchreiber> tabelle;
    std::int32_t typ = 0;
    bool mitZM = false;
    bool erstellt = false;
    std::string tabellenFehler;
    std::string lesefehler;
    std::int32_t nummer = 0; // records written so far; the next one's ID is nummer + 1

    // A point record being copied, as the source delivered it.
    Punktfeld punkte;
    std::vector<std::string> werte;
    std::int32_t ringe = 0;
    std::vector<std::int32_t> lpp;
};

// One part through simplification, point cleaning and the size tests; true when it is kept.
// Without "Min. Flächen entfernen" the area test passes, except for a ring that had points
// closer than the minimum distance: it is measured again after its cleaning. Runs on a worker:
// it reads only the run's settings.
bool Lauf::bearbeiteTeil(std::vector<Punkt>& pts, ZMSpur* spur,
                         const std::atomic<bool>& stopp) const {
    bool geschlossen = polygon;
    if (opt.vereinfachen)
        vereinfacheTeil(pts, D, geschlossen, spur);
    if (stopp)
        return false;
    const auto letzter = [&] { return static_cast<std::int32_t>(pts.size()) - 1; };
    double umfang = 0;
    double kuerzeste = 0;
    double flaeche = geo::areaBerechnen(pts.data(), letzter(), &umfang, &kuerzeste);
    Punkt stelle{0, 0};
    const std::int32_t abstandBis = polygon ? letzter() - 1 : letzter();
    const double minDist = geo::LaengeBerechnen(pts.data(), std::max(abstandBis, 0), &stelle, D);
    if (!(opt.kleineFlaechenEntfernen && polygon))
        flaeche = 2 * A; // the area test passes
    if (std::fabs(flaeche) < A)
        return false;
    if (minDist < D) {
        if (opt.punkteEntfernen) {
            bereinigeTeil(pts, D, geschlossen, A, spur);
            if (stopp)
                return false;
            if (polygon && pts.size() >= 3) {
                geo::LaengeVerschieben(pts.data(), letzter() - 1, D);
                pts.back() = pts.front(); // the ring stays closed
                if (spur != nullptr)
                    spur->zm.back() = spur->zm.front();
            } else if (!polygon && pts.size() >= 2) {
                geo::LaengeVerschieben(pts.data(), letzter(), D);
            }
        }
        flaeche = geo::areaBerechnen(pts.data(), letzter(), &umfang, &kuerzeste);
        if (!polygon)
            flaeche = 2 * A;
    }
    if (std::fabs(flaeche) < A || umfang < D)
        return false;
    return letzter() >= (polygon ? 2 : 1);
}

// What this run wrote goes; files of the target's name from before stay as they were.
void Lauf::entferneZiel() {
    ziel.Shape_Close();
    tabelle.reset();
    dateien.reset();
}

// Write tests, thresholds, the source opened, the new table started, the target created with
// the source's projection. False when the run ends before any record.
bool Lauf::bereite() {
    // The companions this run writes or replaces; a read-only one stops it before anything is
    // written, with the message of the write test.
    for (const std::string& pfad :
         {T, B + "dbf", B + "shx", B + "sbn", B + "sbx", B + "cpg", B + "prj", B + "dbfx"}) {
        if (!checkReadOnly(pfad, true, melden_)) {
            erg.grund = "Datei/Verzeichnis ist schreibgeschützt.";
            return false;
        }
    }
    // One run at a time into one target: another one's files would interleave with ours.
    dateien = std::make_unique<Dateisatz>(T);
    if (!dateien->sperren(erg.grund)) {
        melde("Das Ziel wird gerade von einem anderen Lauf geschrieben.");
        return false;
    }
    const std::string temp = dateien->basis();
    D = textZuZahl(std::string_view(opt.minAbstandText)) / 100;
    A = textZuZahl(std::string_view(opt.minFlaecheText));
    const VunInterface::Felder felder = {{"ID", formatCheck(4, "0"), formatCheck(10, "0")}};

    if (!quelle.Shape_Open(S)) {
        // Nothing is written for a source that cannot be read.
        erg.grund = "cannot open " + S + ": " + quelle.letzterFehler();
        melde("Das Shape konnte nicht geöffnet werden!");
        return false;
    }
    erg.gelaufen = true;
    typ = quelle.AktShapetyp;
    polygon = shapetyp::istPolygon(typ);
    mitZM = shapetyp::istZTyp(typ) || shapetyp::istMTyp(typ);

    try {
        tabelle = std::make_unique<DbfSchreiber>(temp + "dbfx");
        tabelle->schreibeDbfKopf(liste);
    } catch (const std::exception& e) {
        tabellenFehler = e.what();
        tabelle.reset();
    }

    erstellt = tabelle != nullptr && ziel.Shape_New(temp + "shp", typ, felder, false, false);
    if (erstellt) {
        // The cleaned copy keeps the source's coordinate system.
        const std::string prj = begleitDatei(S, "prj");
        try {
            if (!prj.empty())
                kopiereDatei(prj, temp + "prj");
            mitPrj = !prj.empty();
        } catch (const std::exception& e) {
            lesefehler = e.what();
        }
    }
    return true;
}

// Writes record i's shape under the next number, then its row; no row without its shape, and
// the next record takes the number of one that could not be written.
template <class Anhaengen> void Lauf::schreibeSatz(std::int32_t i, const Anhaengen& anhaengen) {
    ++nummer;
    if (anhaengen(formatCheck(nummer, "0"))) {
        tabelle->schreibeDbfSatz(quelle.Shape_GetGespeichert(i));
        return;
    }
    --nummer;
    ++erg.ohneGeometrie;
    if (erg.grund.empty())
        erg.grund =
            "record " + std::to_string(i + 1) + " could not be written: " + ziel.letzterFehler();
}

// Points have no area, no length and no ring: the cleaning rules do not apply, and every point
// record is copied as it is (dropping them all would lose the file).
void Lauf::kopierePunktSatz(std::int32_t i) {
    ++erg.teileGelesen;
    // The check's fetch leaves multipoints without their points; the plain one reads them.
    if (shapetyp::istMultipunkt(typ) && !quelle.Shape_Get(i, punkte, werte)) {
        lesefehler = "record " + std::to_string(i + 1) + ": " + quelle.letzterFehler();
        return;
    }
    if (punkte.eindimensional() || punkte.zeilen() == 0 || punkte.spalten() < 2) {
        ++erg.verworfen; // a null record stays out, as in every other file
        ++erg.teileVerworfen;
        return;
    }
    Punktfeld feld;
    feld.groesseAendern(punkte.zeilen(), mitZM ? 4 : 2);
    const bool satzMitZM = punkte.spalten() >= 4;
    for (std::size_t k = 0; k < punkte.zeilen(); ++k)
        for (std::size_t j = 0; j < feld.spalten(); ++j)
            feld(k, j) = j < 2 || satzMitZM ? punkte(k, j) : 0.0;
    schreibeSatz(i, [&](const std::string& id) { return ziel.Shape_Append(feld, {id}); });
}

// Every part of a record through bearbeiteTeil; the kept ones adapted to each other when asked.
// Runs on a worker; false when the run was stopped inside the record.
bool Lauf::bereinigeSatz(SatzArbeit& s, const std::atomic<bool>& stopp) const {
    Satz& satz = s.satz;
    // A record of another type than the file's (a plain line in a Z file) brings no Z and M:
    // it gets zeros.
    const bool satzMitZM = s.punkte.spalten() >= 4;
    for (std::int32_t t = 0; t < s.ringe; ++t) {
        if (stopp)
            return false;
        ++s.teileGelesen;
        const auto von = static_cast<std::size_t>(s.lpp[static_cast<std::size_t>(t)]);
        const auto bis = static_cast<std::size_t>(s.lpp[static_cast<std::size_t>(t) + 1]);
        std::vector<Punkt> pts;
        pts.reserve(bis - von + 1);
        std::vector<ZM> zm;
        for (std::size_t k = von; k < bis; ++k) {
            pts.push_back({s.punkte(k, 0), s.punkte(k, 1)});
            if (mitZM)
                zm.push_back(satzMitZM ? ZM{s.punkte(k, 2), s.punkte(k, 3)} : ZM{});
        }
        std::unique_ptr<ZMSpur> spur;
        if (mitZM)
            spur = std::make_unique<ZMSpur>(pts, zm);
        if (pts.empty() || !bearbeiteTeil(pts, spur.get(), stopp)) {
            if (stopp)
                return false;
            ++s.teileVerworfen;
            continue;
        }
        satz.starts.push_back(static_cast<std::int32_t>(satz.punkte.size()));
        if (satz.punkte.empty() && t + 1 == s.ringe) {
            // The one part kept of a record (a ring of a million points, say) is not copied.
            satz.punkte = std::move(pts);
            if (mitZM)
                satz.zm = std::move(spur->zm);
            continue;
        }
        if (satz.punkte.empty())
            satz.punkte.reserve(s.punkte.zeilen()); // the passes seldom add points
        satz.punkte.insert(satz.punkte.end(), pts.begin(), pts.end());
        if (mitZM)
            satz.zm.insert(satz.zm.end(), spur->zm.begin(), spur->zm.end());
    }
    // The source's points are in `satz` now, as far as they are kept.
    s.punkte = Punktfeld();
    if (!satz.starts.empty() && opt.ringeAnpassen)
        ringeAnpassen(satz.punkte, satz.starts, D, polygon, mitZM ? &satz.zm : nullptr);
    return !stopp;
}

// What bereinigeSatz kept of a record goes out as one record, in record order; a record that
// keeps no part is left out.
void Lauf::schreibeBereinigt(SatzArbeit& s) {
    erg.teileGelesen += s.teileGelesen;
    erg.teileVerworfen += s.teileVerworfen;
    if (s.satz.starts.empty()) {
        ++erg.verworfen;
        return;
    }
    Punktfeld feld = alsPunktfeld(s.satz, mitZM);
    std::vector<Punkt>().swap(s.satz.punkte); // in `feld` now: a large record is held once
    std::vector<ZM>().swap(s.satz.zm);
    schreibeSatz(s.i, [&](const std::string& id) {
        return ziel.Shape_AppendRing(feld, {id}, s.satz.starts);
    });
}

// Closes source and target, ends the table and gives it its final name; a target that is not
// complete is removed with everything of its set.
BereinigungsErgebnis Lauf::schliesseAb() {
    erg.geschrieben = nummer;
    quelle.Shape_Close();
    // Without any record written the target was never opened again after its creation, so
    // there is nothing to close: its files are complete as created.
    const bool zielGeschlossen = erstellt && (ziel.Shape_Close() || nummer == 0);
    bool tabelleFertig = false;
    if (tabelle != nullptr) {
        try {
            tabelle->schliesseDbf(nummer);
            erg.ueberlaeufe = tabelle->ueberlaeufe();
            tabelle.reset();
            tabelleFertig = erstellt;
        } catch (const std::exception& e) {
            tabellenFehler = e.what();
        }
    }

    if (!tabellenFehler.empty() || (erstellt && !tabelleFertig)) {
        melde("DBase-Datei konnte nicht erstellt werden.");
        if (erg.grund.empty())
            erg.grund = "the attribute table could not be written: " + tabellenFehler;
    }
    if (erg.abgebrochen) {
        erg.grund = "the clean was cancelled";
        entferneZiel();
        return erg;
    }
    if (!erstellt || !zielGeschlossen || !lesefehler.empty()) {
        melde("Shape konnte nicht erstellt werden.");
        if (!lesefehler.empty())
            erg.grund = lesefehler;
        else if (erg.grund.empty())
            erg.grund = "the target could not be created: " + ziel.letzterFehler();
        // A half-written copy is no cleaned file: nothing of it stays.
        entferneZiel();
        return erg;
    }
    if (erg.ueberlaeufe > 0)
        melde("Werte, die nicht in ihre Spalte passen, wurden mit * gefüllt: " +
              std::to_string(erg.ueberlaeufe));
    if (erg.ohneGeometrie > 0) {
        // A set without some of its records would pass for the whole result.
        melde("Datensätze, deren Geometrie nicht geschrieben werden konnte, wurden ausgelassen: " +
              std::to_string(erg.ohneGeometrie));
        melde("Shape konnte nicht erstellt werden.");
    }
    erg.erfolgreich = tabelleFertig && erg.ohneGeometrie == 0 && stelleZielHin();
    if (!erg.erfolgreich)
        entferneZiel();
    return erg;
}

// The complete set onto the target's names, the table last (from its ".dbfx" name), and away
// what belonged to an older set of that name: other spellings of its companions, its spatial
// index, a projection the source has not.
bool Lauf::stelleZielHin() {
    for (const char* endung : {"shx", "dbf", "cpg", "prj", "sbn", "sbx"})
        if (const std::string alt = begleitDatei(T, endung); !alt.empty() && alt != B + endung)
            dateien->entfernen(alt);
    dateien->aufnehmen(T, "shp");
    dateien->aufnehmen(B + "shx", "shx");
    dateien->aufnehmen(B + "cpg", "cpg");
    if (mitPrj)
        dateien->aufnehmen(B + "prj", "prj");
    else
        dateien->entfernen(B + "prj");
    dateien->entfernen(B + "sbn");
    dateien->entfernen(B + "sbx");
    dateien->aufnehmen(B + "dbf", "dbfx");
    std::string fehler;
    if (dateien->abschliessen(fehler))
        return true;
    melde("Shape konnte nicht erstellt werden.");
    erg.grund = fehler;
    return false;
}

BereinigungsErgebnis Lauf::fuehreAus() {
    if (!bereite())
        return erg;
    const bool punktArt = shapetyp::istPunkt(typ) || shapetyp::istMultipunkt(typ);
    const std::int32_t alle = quelle.DBanzahl;
    if (punktArt) {
        for (std::int32_t i = 0; erstellt && lesefehler.empty() && i < alle && !abbruch(); ++i) {
            if (!quelle.Shape_GetCheck(i, punkte, werte, ringe, lpp)) {
                // A copy without the records that follow would pass for the whole file.
                lesefehler = "record " + std::to_string(i + 1) +
                             " cannot be read, the source is refused: " + quelle.letzterFehler();
                break;
            }
            ++erg.gelesen;
            kopierePunktSatz(i);
            if (!lesefehler.empty() || erg.abgebrochen)
                break;
            if (fortschritt_)
                fortschritt_(i + 1, alle);
        }
        return schliesseAb();
    }
    // Parts are cleaned on worker threads; the target is written here, in record order.
    std::int32_t naechster = 0;
    // The first record that cannot be read; counts once all before it are done.
    std::string nichtGelesen;
    imFliessband<SatzArbeit>(
        arbeiterZahl(opt.jobs),
        [&](SatzArbeit& s) {
            if (!erstellt || !lesefehler.empty() || naechster >= alle || abbruch())
                return std::size_t{0};
            if (!quelle.Shape_GetCheck(naechster, s.punkte, werte, s.ringe, s.lpp)) {
                // A copy without the records that follow would pass for the whole file.
                nichtGelesen = "record " + std::to_string(naechster + 1) +
                               " cannot be read, the source is refused: " + quelle.letzterFehler();
                return std::size_t{0};
            }
            s.i = naechster++;
            return s.punkte.zeilen() + 1;
        },
        [&](SatzArbeit& s, const std::atomic<bool>& stopp) {
            const std::size_t gewicht = s.punkte.zeilen();
            s.fertig = bereinigeSatz(s, stopp);
            // The passes work in vectors from the allocator, which keeps what they free in this
            // thread's arena, where only this thread's next records could use it. After many
            // points it goes back to the system. (The check needs no such step: its large
            // arrays have mappings of their own, and trimming costs a system call per free
            // stretch.)
            thread_local std::size_t seitFreigabe = 0;
            seitFreigabe += gewicht;
            if (seitFreigabe >= 100000) {
                seitFreigabe = 0;
                malloc_trim(0);
            }
        },
        [&](SatzArbeit& s) {
            if (abbruch() || !s.fertig)
                return false;
            ++erg.gelesen;
            schreibeBereinigt(s);
            if (fortschritt_)
                fortschritt_(s.i + 1, alle);
            return true;
        },
        [&](const SatzArbeit&) { return !abbruch(); },
        // A record in work holds its points three or four times over: while a heavy one is in
        // work, no more than its weight is read ahead beside it.
        stapelVorgabe, 1);
    if (lesefehler.empty())
        lesefehler = nichtGelesen;
    return schliesseAb();
}

} // namespace

bool gleicherShapeName(const std::string& a, const std::string& b) {
    if (grossSchreiben(absolut(a)) == grossSchreiben(absolut(b)))
        return true;
    std::error_code fehler;
    return fs::equivalent(fs::path(a), fs::path(b), fehler) && !fehler;
}

BereinigungsErgebnis bereinigen(const std::string& quelle, const std::string& ziel,
                                const Attributliste& attribute, const BereinigungsOptionen& o,
                                const Melder& melden, const Fortschritt& fortschritt,
                                const std::function<bool()>& abbrechen) {
    BereinigungsErgebnis erg;
    if (attribute.empty()) {
        erg.grund = "the list of required attributes is empty";
        return erg;
    }
    if (quelle.empty() || dateiSuchen(quelle, 0).empty()) {
        erg.grund = "the source does not exist: " + quelle;
        return erg;
    }
    if (ziel.empty()) {
        erg.grund = "no target given";
        return erg;
    }
    if (ziel.size() < 5 || grossSchreiben(ziel.substr(ziel.size() - 4)) != ".SHP") {
        erg.grund = "the target must end in .shp: " + ziel;
        return erg;
    }
    if (gleicherShapeName(quelle, ziel)) {
        if (melden)
            melden("Bitte einen anderen Shape-Namen angeben.");
        erg.grund = "the target is the source";
        return erg;
    }
    try {
        Lauf lauf(quelle, ziel, attribute, o, melden, fortschritt, abbrechen);
        return lauf.fuehreAus();
    } catch (const std::exception& e) {
        // The geometry library missing, or memory exhausted: the run stops here.
        // Whatever the run had written went with it; the target's names were not touched.
        erg.grund = e.what();
        if (melden)
            melden("Shape konnte nicht erstellt werden.");
        return erg;
    }
}

} // namespace trelvik
