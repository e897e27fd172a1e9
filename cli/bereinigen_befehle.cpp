// trelvik-cli clean, export and swap: the writing jobs.
#include "app/dateien.h"
#include "app/dateisatz.h"
#include "app/zahlen.h"
#include "check/attributliste.h"
#include "clean/bereinigen_lauf.h"
#include "cli/befehle.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik::cli {

namespace {

void meldung(const std::string& text) {
    std::cerr << "trelvik-cli: " << text << '\n';
}

int bereinigeBefehl(const Argumente& argumente) {
    BereinigungsOptionen o;
    LaufOptionen lauf;
    std::vector<std::string> dateien;
    for (std::size_t i = 0; i < argumente.size(); ++i) {
        const std::string& a = argumente[i];
        if (std::string grund; gemeinsameOption(argumente, i, lauf, grund)) {
            if (!grund.empty())
                return scheitern(grund);
        } else if (a == "--simplify") {
            o.vereinfachen = true;
        } else if (a == "--remove-points") {
            o.punkteEntfernen = true;
        } else if (a == "--remove-small-areas") {
            o.kleineFlaechenEntfernen = true;
        } else if (a == "--adapt-rings") {
            o.ringeAnpassen = true;
        } else if (a.rfind("--", 0) == 0) {
            return scheitern("unknown option " + a);
        } else {
            dateien.push_back(a);
        }
    }
    if (dateien.size() != 2)
        return scheitern("clean needs SOURCE.shp and TARGET.shp");
    o.minAbstandText = lauf.minAbstand;
    o.minFlaecheText = lauf.minFlaeche;
    o.jobs = lauf.jobs;
    std::string& attributDatei = lauf.attributDatei;
    if (const std::string m = schwellenFehler(o.minAbstandText, o.minFlaecheText); !m.empty())
        return scheitern(m);
    const std::string& quelle = dateien[0];
    const std::string& ziel = dateien[1];
    if (dateiSuchen(quelle, 0).empty())
        return scheitern("cannot clean " + quelle + ": no such file");
    if (attributDatei.empty())
        attributDatei = attributDateiPfad(programmOrdner());
    Attributliste liste = leseAttributliste(attributDatei, meldung);
    if (liste.empty())
        return scheitern("the list of required attributes " + attributDatei + " is empty");
    // The columns get their values where the check matches them.
    vergleicheAttribute(leseTabellenFelder(begleitDatei(quelle, "dbf")), liste);

    const bool terminal = ::isatty(2) != 0;
    bool fortschrittGezeigt = false;
    const BereinigungsErgebnis e =
        bereinigen(quelle, ziel, liste, o, meldung, [&](std::int32_t erledigt, std::int32_t alle) {
            if (!terminal || alle < 1000 || (erledigt % 256 != 0 && erledigt != alle))
                return;
            std::fprintf(stderr, "\r%s: %d/%d records", quelle.c_str(), erledigt, alle);
            fortschrittGezeigt = true;
        });
    if (fortschrittGezeigt)
        std::fprintf(stderr, "\r\033[K");
    if (!e.gelaufen || !e.erfolgreich)
        return scheitern("cannot clean " + quelle + ": " + e.grund);
    std::cout << "records read:    " << e.gelesen << '\n'
              << "records written: " << e.geschrieben << '\n'
              << "records dropped: " << e.verworfen << '\n'
              << "parts read:      " << e.teileGelesen << '\n'
              << "parts dropped:   " << e.teileVerworfen << '\n';
    if (e.ueberlaeufe > 0)
        std::cout << "values too wide for their column, written as *: " << e.ueberlaeufe << '\n';
    std::cout.flush();
    return std::cout ? erfolg : scheitern("cannot write the summary");
}

int exportBefehl(const Argumente& argumente) {
    std::string feld;
    std::vector<std::string> dateien;
    for (std::size_t i = 0; i < argumente.size(); ++i) {
        if (argumente[i] == "--field" && i + 1 < argumente.size())
            feld = argumente[++i];
        else if (argumente[i].rfind("--", 0) == 0)
            return scheitern("unknown option or missing value: " + argumente[i]);
        else
            dateien.push_back(argumente[i]);
    }
    if (dateien.size() != 2 || feld.empty())
        return scheitern("export needs FILE.shp OUT.txt --field N");
    long nummer = 0;
    if (!ganzeZahl(feld, 1, 100000, nummer))
        return scheitern("--field needs a field number from 1");
    VunInterface v;
    if (!v.Shape_Open(dateien[0]))
        return scheitern("cannot open " + dateien[0] + ": " + v.letzterFehler());
    // Under a temporary name until complete: an export cut short is no export.
    Dateisatz satz(dateien[1]);
    std::ofstream aus(satz.aufnehmen(dateien[1]), std::ios::binary | std::ios::trunc);
    if (!aus)
        return scheitern("cannot write " + dateien[1]);
    if (!v.Shape_Export(&aus, static_cast<std::int32_t>(nummer)))
        return scheitern("cannot export " + dateien[0] + ": " + v.letzterFehler());
    aus.close();
    std::string grund;
    if (!aus || !satz.abschliessen(grund))
        return scheitern("cannot write " + dateien[1] + (grund.empty() ? "" : ": " + grund));
    return erfolg;
}

int dreheBefehl(const Argumente& argumente) {
    bool gegen = false;
    std::vector<std::string> dateien;
    for (const std::string& a : argumente) {
        if (a == "--ccw")
            gegen = true;
        else if (a.rfind("--", 0) == 0)
            return scheitern("unknown option " + a);
        else
            dateien.push_back(a);
    }
    if (dateien.size() != 1)
        return scheitern("swap needs FILE.shp");
    const std::string& datei = dateien[0];
    const std::string shp = begleitDatei(datei, datei.substr(datei.size() - std::min<std::size_t>(3, datei.size())));
    const std::string shx = begleitDatei(datei, "shx");
    const std::string dbf = begleitDatei(datei, "dbf");
    if (shp.empty() || shx.empty() || dbf.empty())
        return scheitern("cannot open " + datei + ": the main file, its index or its table is missing");
    struct stat st {};
    if (::stat(shp.c_str(), &st) != 0 || !VunInterface::istSchreibbar(shp))
        return scheitern("cannot rewrite " + datei + ": Datei/Verzeichnis ist schreibgeschützt.");
    // The rings are turned in a copy, which replaces the main file only when complete; index and
    // table are only read, through links where the file system has them.
    Dateisatz satz(shp);
    std::string grund;
    if (!satz.sperren(grund))
        return scheitern("cannot rewrite " + datei + ": " + grund);
    namespace fs = std::filesystem;
    const std::string kopie = satz.aufnehmen(shp, "shp");
    std::error_code fehlerCode;
    fs::copy_file(shp, kopie, fehlerCode);
    for (const auto& [quelle, endung] : {std::pair{shx, "shx"}, std::pair{dbf, "dbf"}}) {
        if (fehlerCode)
            break;
        std::error_code verweis;
        fs::create_hard_link(quelle, satz.basis() + endung, verweis);
        if (verweis)
            fs::copy_file(quelle, satz.basis() + endung, fehlerCode);
    }
    if (fehlerCode || ::chmod(kopie.c_str(), st.st_mode & 07777) != 0)
        return scheitern("cannot rewrite " + datei + ": " +
                         (fehlerCode ? fehlerCode.message() : std::string(std::strerror(errno))));
    VunInterface v;
    if (!v.Shape_Open(kopie))
        return scheitern("cannot open " + datei + ": " + v.letzterFehler());
    if (!v.Shape_SwapArea(gegen))
        return scheitern("cannot rewrite " + datei + ": " + v.letzterFehler());
    if (!v.Shape_Close())
        return scheitern("cannot close " + datei + ": " + v.letzterFehler());
    if (!satz.abschliessen(grund))
        return scheitern("cannot rewrite " + datei + ": " + grund);
    return erfolg;
}

const BefehlEintrag bereinigen_({"clean",
                                 "clean SOURCE.shp TARGET.shp [--simplify] [--remove-points] "
                                 "[--remove-small-areas] [--adapt-rings] [--min-distance CM] "
                                 "[--min-area M2] [--attributes FILE] [--jobs N]",
                                 "writes a cleaned copy of SOURCE under the name TARGET",
                                 bereinigeBefehl});
const BefehlEintrag export_({"export", "export FILE.shp OUT.txt --field N",
                             "writes every vertex as \"X Y value\" with the value of field N",
                             exportBefehl});
const BefehlEintrag drehen_({"swap", "swap FILE.shp [--ccw]",
                             "turns every polygon ring clockwise (counter-clockwise with --ccw), "
                             "in place",
                             dreheBefehl});

} // namespace

} // namespace trelvik::cli
