#include "check/attributliste.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "app/zahlen.h"
#include "shape/dbf/dbf_kopf.h"
#include "shape/dbf/zeichensatz.h"

#include <array>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

namespace trelvik {

namespace {

struct StandardEintrag {
    const char* name;
    const char* typ;
    const char* laenge;
};

constexpr std::array<const char*, 8> standardKommentare = {
    "# Datenname - Datentyp - Laenge - ggfs. Dezimalstellen",
    "# Datentypen",
    "# C=Zeichen",
    "# D=Datum",
    "# F=Fliesskommazahl",
    "# L=Logisch",
    "# M=Memofeld (werden nicht unterstützt)",
    "# N=Numerisch"};

constexpr std::array<StandardEintrag, 14> standardEintraege = {{{"QUELLE", "C", "50"},
                                                                {"BST", "C", "50"},
                                                                {"UWB", "C", "50"},
                                                                {"AKTDAT", "D", "8"},
                                                                {"UESG_GN", "C", "50"},
                                                                {"ZUSTAND", "C", "50"},
                                                                {"TECH_BASIS", "C", "50"},
                                                                {"GUELTIG_AB", "D", "8"},
                                                                {"MASSSTAB", "C", "20"},
                                                                {"WA_BUCH", "C", "50"},
                                                                {"ART_GRLG", "C", "20"},
                                                                {"VOL92A2_NR", "N", "8"},
                                                                {"UESG_ID", "N", "8"},
                                                                {"BEMERKUNG", "C", "254"}}};

// A missing column reads as a tiny positive number: it passes the length test and then
// rounds to 0.
constexpr const char* fehlendeSpalte = "0.00000000001";

// Whole number, halves away from zero, kept inside the int range.
int ganzeZahl(double wert) {
    if (!std::isfinite(wert))
        return 0;
    const double gerundet = std::round(wert);
    if (gerundet >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (gerundet <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(gerundet);
}

std::vector<std::string> spalten(const std::string& zeile) {
    std::string text = trimmen(zeile) + " ";
    for (char& c : text)
        if (c == '\t')
            c = ' ';
    std::vector<std::string> ergebnis;
    std::string aktuell;
    for (const char c : text) {
        if (c == ' ') {
            if (!aktuell.empty())
                ergebnis.push_back(aktuell);
            aktuell.clear();
        } else {
            aktuell.push_back(c);
        }
    }
    return ergebnis;
}

std::string spalte(const std::vector<std::string>& alle, std::size_t k) {
    return k <= alle.size() ? alle[k - 1] : fehlendeSpalte;
}

void normalisiere(AttributEintrag& e) {
    if (e.typ == "C") {
        e.dezimalen = 0;
    } else if (e.typ == "D") {
        e.dezimalen = 0;
        if (e.laenge != 6 && e.laenge != 8)
            e.laenge = 8;
    } else if (e.typ == "L") {
        e.laenge = 1;
        e.dezimalen = 0;
    } else if (e.typ == "F") {
        if (e.laenge != 4 && e.laenge != 8)
            e.laenge = 8;
        e.dezimalen = 0;
    }
}

bool liesEintrag(const std::string& zeile, AttributEintrag& e) {
    if (zeile.find('#') != std::string::npos)
        return false;
    std::string name;
    const auto erstes = zeile.find('"');
    const auto zweites = erstes == std::string::npos ? erstes : zeile.find('"', erstes + 1);
    if (zweites != std::string::npos)
        name = trimmen(zeile.substr(erstes + 1, zweites - erstes - 1));
    const auto alle = spalten(zeile);
    const std::string typ = grossSchreiben(spalte(alle, 2));
    const std::string laengeText = spalte(alle, 3);
    const std::string dezimalText = spalte(alle, 4);
    if (name.empty() || typ.empty() || laengeText.empty())
        return false;
    if (typ != "C" && typ != "D" && typ != "F" && typ != "L" && typ != "N")
        return false;
    if (textZuZahl(std::string_view(laengeText)) <= 0)
        return false;
    std::string kurz = linkeZeichen(grossSchreiben(name), 10);
    for (char& c : kurz)
        if (c == '-')
            c = '_';
    e = AttributEintrag{};
    e.name = kurz;
    e.typ = typ;
    e.laenge = ganzeZahl(textZuZahl(std::string_view(laengeText)));
    e.dezimalen = ganzeZahl(textZuZahl(std::string_view(dezimalText)));
    normalisiere(e);
    // A dBase III descriptor holds the length in one byte and no column may exceed 254 bytes:
    // a longer entry cannot be stored and is as invalid as any other bad line.
    return e.laenge <= 254;
}

bool vorhanden(const std::string& pfad) {
    std::error_code fehler;
    return std::filesystem::is_regular_file(pfad, fehler);
}

} // namespace

bool schreibeStandardAttribute(const std::string& pfad) {
    std::ofstream datei(pfad, std::ios::binary | std::ios::trunc);
    if (!datei)
        return false;
    for (const char* kommentar : standardKommentare)
        datei << kommentar << zeilenEnde;
    for (const auto& e : standardEintraege)
        datei << '"' << e.name << '"' << '\t' << e.typ << '\t' << e.laenge << zeilenEnde;
    datei.close();
    return static_cast<bool>(datei);
}

Attributliste leseAttributliste(const std::string& pfad, const FehlerMelder& melden) {
    Attributliste liste;
    if (!vorhanden(pfad))
        schreibeStandardAttribute(pfad);
    std::ifstream datei(pfad, std::ios::binary);
    if (!datei)
        return liste;
    std::string zeile;
    while (leseZeile(datei, zeile, melden)) {
        AttributEintrag e;
        if (liesEintrag(zeile, e))
            liste.push_back(std::move(e));
    }
    return liste;
}

std::string benutzerOrdner() {
    std::string konfiguration;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg != nullptr && *xdg == '/')
        konfiguration = xdg;
    else if (const char* heim = std::getenv("HOME"); heim != nullptr && *heim != '\0')
        konfiguration = std::string(heim) + "/.config";
    else
        return "";
    return konfiguration + "/trelvik/";
}

std::string attributDateiPfad(const std::string& programmOrdner) {
    const bool imInstallierten = installiert(programmOrdner);
    const std::string beimProgramm = programmOrdner + "Attribute.txt";
    if (!imInstallierten && (vorhanden(beimProgramm) || checkReadOnly(beimProgramm, false)))
        return beimProgramm;
    // The installed default is read-only and shared; each user gets a copy to edit.
    const std::string vorlage = datenOrdner(programmOrdner) + "Attribute.txt";
    const std::string ordner = benutzerOrdner();
    if (ordner.empty())
        return imInstallierten ? vorlage : beimProgramm;
    const std::string eigene = ordner + "Attribute.txt";
    std::error_code fehler;
    std::filesystem::create_directories(ordner, fehler);
    if (imInstallierten && !vorhanden(eigene) && vorhanden(vorlage)) {
        // Copied under another name first, so a half-written copy is never taken for the list.
        const std::string neu = eigene + ".neu";
        if (std::filesystem::copy_file(vorlage, neu,
                                       std::filesystem::copy_options::overwrite_existing, fehler)) {
            std::error_code egal;
            std::filesystem::permissions(neu, std::filesystem::perms::owner_write,
                                         std::filesystem::perm_options::add, egal);
            std::filesystem::rename(neu, eigene, fehler);
        }
        if (fehler)
            std::filesystem::remove(neu, fehler);
    }
    return eigene;
}

std::vector<TabellenFeld> leseTabellenFelder(const std::string& dbfPfad) {
    std::vector<TabellenFeld> felder;
    std::ifstream datei(dbfPfad, std::ios::binary);
    if (!datei)
        return felder;
    datei.seekg(0, std::ios::end);
    const auto laenge = static_cast<long long>(datei.tellg());
    if (laenge < 64)
        return felder;
    datei.seekg(32);
    // A descriptor is read only when at least one byte of the file follows it.
    const FeldBeschreibungen gelesen =
        leseFeldBeschreibungen(datei, static_cast<std::uint64_t>(laenge - 1));
    // Names in the table's own code page, as the attribute table reads its texts.
    const Zeichensatz zeichen(codepageVon(begleitDatei(dbfPfad, "cpg")));
    for (const FeldBeschreibung& b : gelesen.felder) {
        TabellenFeld f;
        f.name = zeichen.dekodiere(b.nameBytes, false);
        f.typ = b.typ == 'Z' ? 'C' : b.typ;
        f.laenge = b.laenge;
        f.dezimalen = b.dezimalen;
        felder.push_back(std::move(f));
    }
    return felder;
}

std::string feldTypName(char typ) {
    switch (typ) {
    case 'C':
        return "Zeichen    ";
    case 'D':
        return "Datum      ";
    case 'F':
        return "Fliesskomma";
    case 'L':
        return "Logisch    ";
    case 'M':
        return "Memofeld   ";
    case 'N':
        return "Numerisch  ";
    default:
        return "unbekannt  ";
    }
}

AttributBoxen vergleicheAttribute(const std::vector<TabellenFeld>& felder, Attributliste& liste) {
    AttributBoxen boxen;
    for (auto& e : liste) {
        e.status = 0;
        e.position = 0;
    }
    int position = 0;
    for (const auto& f : felder) {
        ++position;
        // Numbers are never cut: a wider one widens its column for this line only.
        boxen.vorhanden += spalteLinks(f.name, 15) + " " + feldTypName(f.typ) + " Länge: " +
                           spalteRechts(formatCheck(f.laenge, "0"), 3);
        if (f.dezimalen > 0)
            boxen.vorhanden += " Dezimal:" + spalteRechts(formatCheck(f.dezimalen, "0"), 2);
        boxen.vorhanden += zeilenEnde;

        const std::string feldName = grossSchreiben(trimmen(f.name));
        for (auto& e : liste) {
            if (e.status != 0 || grossSchreiben(trimmen(e.name)) != feldName)
                continue;
            e.status = 1;
            e.position = position;
            if (e.typ == std::string(1, f.typ) && e.laenge == f.laenge &&
                e.dezimalen == f.dezimalen)
                e.status = 2;
        }
    }
    for (const auto& e : liste) {
        boxen.gefordert += spalteLinks(trimmen(e.name), 15);
        boxen.gefordert += e.status == 2   ? " = OK"
                           : e.status == 1 ? " = vorhanden. Format fehlerhaft."
                                           : " = nicht vorhanden";
        boxen.gefordert += zeilenEnde;
    }
    return boxen;
}

} // namespace trelvik
