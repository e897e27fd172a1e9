#include "check/bericht_texte.h"

#include "app/texte.h"
#include "app/zahlen.h"
#include "shape/shape_format.h"

#include <algorithm>

namespace trelvik {

namespace {

const std::string einzug(17, ' ');

std::string xy(const Punkt& p) { return formatKoordinate(p.x) + "/" + formatKoordinate(p.y); }

} // namespace

std::string eintragText(const Fundstelle& f) {
    switch (f.art) {
    case Fundstelle::Art::FlaecheUndLaenge:
        return "Xo/Yo: " + xy(f.ort) + " (A=" + formatDezimal(f.flaeche) +
               " m² / L=" + formatDezimal(f.abstand * 100) + " cm)";
    case Fundstelle::Art::Flaeche:
        return "Xo/Yo: " + xy(f.ort) + " (A=" + formatDezimal(f.flaeche) + " m²)";
    case Fundstelle::Art::Laenge:
        return "Xo/Yo: " + xy(f.ort) + " (L=" + formatDezimal(f.abstand * 100) + " cm)";
    case Fundstelle::Art::Schnittpunkt:
        return "Schnittpunkt Xo/Yo: " + xy(f.ort);
    case Fundstelle::Art::RingPunkt:
        return "RingPunkt Xo/Yo: " + xy(f.ort) + " - " + xy(f.ortB);
    }
    return "";
}

std::string befundZeileText(const GeometriePruefung& p, const SatzBefund& b, Befundzeile zeile) {
    switch (zeile) {
    case Befundzeile::ZuWenigPunkte:
        return "teilweise zu wenig Punkte.";
    case Befundzeile::Punktanzahl:
        return "minimale Punktanzahl ist zu klein.";
    case Befundzeile::Typ:
        return "aktueller Typ entspricht nicht dem ShapeTyp.";
    case Befundzeile::Flaeche:
        return "minimale Fläche: " + formatDezimal(b.kleinsteFlaeche) + " m².";
    case Befundzeile::Abstand:
        return "minimaler Punktabstand: " + formatDezimal(b.kleinsterAbstand * 100) + " cm.";
    case Befundzeile::Schneidet:
        return std::string(p.polygon ? "Polygone" : "Polylinien") + " schneiden/berühren sich.";
    case Befundzeile::RingeNah:
        return "Ringe: Abstand < " + formatGanz(p.minAbstand * 100) + " cm.";
    case Befundzeile::RingeSchneiden:
        return "Ringe schneiden/berühren sich.";
    }
    return "";
}

namespace {

// The area/length list has a limit for the whole run: an entry is shown only while both fault
// counts are below the limit when its part is examined. Replaying the entries in file order
// gives the counts at that moment.
class FlaechenZaehler {
public:
    bool zeige(const Fundstelle& f) {
        const bool platz = std::max(flaechen_, laengen_) < listenGrenze;
        if (f.art != Fundstelle::Art::Laenge)
            ++flaechen_;
        if (f.art != Fundstelle::Art::Flaeche)
            ++laengen_;
        return platz;
    }

private:
    std::int32_t flaechen_ = 0;
    std::int32_t laengen_ = 0;
};

struct Zeilen {
    std::string text;
    std::int32_t befundZeilen = 0;
};

void satzZeilen(const GeometriePruefung& p, const SatzBefund& b, FlaechenZaehler& zaehler,
                Zeilen& z) {
    const std::string typ = std::string(shapeTypName(p.shapeTyp));
    std::string praefix =
        formatSpalte((b.teile > 1 ? "Multi" + typ : typ) + " " + formatGanz(b.satz + 1.0)) + "  ";
    const auto befund = [&](const std::string& text) {
        z.text += zeilenEnde;
        z.text += praefix + text;
        praefix = einzug;
        ++z.befundZeilen;
    };
    const auto eintrag = [&](const Fundstelle& f) {
        z.text += zeilenEnde;
        z.text += einzug + eintragText(f);
    };
    const auto zeile = [&](Befundzeile art) { befund(befundZeileText(p, b, art)); };

    if (b.zuWenigPunkte)
        zeile(Befundzeile::ZuWenigPunkte);
    if (b.punktanzahlZuKlein)
        zeile(Befundzeile::Punktanzahl);
    if (b.typFalsch)
        zeile(Befundzeile::Typ);
    if (b.flaecheZuKlein)
        zeile(Befundzeile::Flaeche);
    if (b.abstandZuKlein)
        zeile(Befundzeile::Abstand);
    const bool flaechenListe = b.flaecheZuKlein || b.abstandZuKlein;
    for (const Fundstelle& f : b.flaechen)
        if (zaehler.zeige(f) && flaechenListe)
            eintrag(f);
    if (b.schneidet) {
        zeile(Befundzeile::Schneidet);
        for (std::size_t k = 0; k < b.schnitte.size() && k < listenGrenze; ++k)
            eintrag(b.schnitte[k]);
    }
    if (b.ringeNah)
        zeile(Befundzeile::RingeNah);
    if (b.ringeSchneiden)
        zeile(Befundzeile::RingeSchneiden);
    for (std::size_t k = 0; k < b.ringe.size() && k < listenGrenze; ++k)
        eintrag(b.ringe[k]);
    for (const std::string& text : b.formatFehler)
        befund(text);
}

// Notes on the file set and, for a run that did not check every record, the line that says
// where and why it stopped: that line is always the report's last.
std::string schlussZeilen(const GeometriePruefung& p) {
    std::string text;
    for (const std::string& h : p.hinweise) {
        text += zeilenEnde;
        text += "Hinweis: " + h;
    }
    if (p.vollstaendig)
        return text;
    text += zeilenEnde;
    const std::string satz = "Satz " + formatGanz(p.abbruchSatz + 1.0);
    if (p.abgebrochen)
        text += "Prüfung abgebrochen: " + satz +
                " und die folgenden wurden nicht geprüft (auf Wunsch abgebrochen).";
    else
        text += "Prüfung abgebrochen: " + satz + " kann nicht gelesen werden (" + p.lesefehler +
                "); er und die folgenden wurden nicht geprüft.";
    return text;
}

Zeilen alleSaetze(const GeometriePruefung& p) {
    Zeilen z;
    FlaechenZaehler zaehler;
    for (const SatzBefund& b : p.saetze)
        satzZeilen(p, b, zaehler, z);
    return z;
}

} // namespace

std::string formatGanz(double wert) { return formatCheck(wert, "0"); }

std::string formatKoordinate(double wert) { return spalteRechts(formatGanz(wert), 7); }

std::string formatDezimal(double wert) {
    std::string s = formatCheck(wert, "0.00000");
    if (s.find('.') != std::string::npos) {
        while (!s.empty() && s.back() == '0')
            s.pop_back();
        if (!s.empty() && s.back() == '.')
            s.pop_back();
    }
    return s;
}

std::string formatSpalte(const std::string& text) {
    return spalteLinks(text, std::max<std::size_t>(15, zeichenAnzahl(text)));
}

std::int32_t fehlerZeilen(const GeometriePruefung& pruefung) {
    return alleSaetze(pruefung).befundZeilen;
}

std::string geometrieBericht(const GeometriePruefung& p) {
    if (!p.geoeffnet)
        return meldungNichtGeoeffnet;
    const std::string wort = p.polygon ? "PolyGon-Prüfung" : "PolyLine-Prüfung";
    const std::string plural = p.polygon ? "Polygone" : "Polylinien";
    std::string text = wort;
    text += zeilenEnde;
    text += std::string(zeichenAnzahl(wort), '=');

    const Zeilen z = alleSaetze(p);
    text += z.text;
    text += zeilenEnde;
    text += plural + ": " + formatGanz(p.teileGeprueft);
    text += zeilenEnde;
    text += "Ringe: " + formatGanz(p.mehrteilig);
    if (z.befundZeilen == 0) {
        // The all-clear only for a run that read and checked everything.
        if (p.ohneBefund()) {
            text += zeilenEnde;
            text += "Keine Fehler gefunden!";
        }
        return text + schlussZeilen(p);
    }
    const std::string grenze = formatGanz(listenGrenze);
    if (std::max(p.flaechenFehler, p.laengenFehler) > listenGrenze) {
        text += zeilenEnde;
        text += formatGanz(p.flaechenFehler) + " Flächen-Fehler gefunden!";
        text += zeilenEnde;
        text += formatGanz(p.laengenFehler) + " Längen-Fehler gefunden!";
        text += zeilenEnde;
        text += "Nur max. " + grenze + " Flächen-/Längenfehler werden angezeigt!";
    }
    const bool schnitteVoll = std::any_of(p.saetze.begin(), p.saetze.end(), [](const auto& b) {
        return b.schnitte.size() > static_cast<std::size_t>(listenGrenze);
    });
    const bool ringeVoll = std::any_of(p.saetze.begin(), p.saetze.end(), [](const auto& b) {
        return b.ringe.size() > static_cast<std::size_t>(listenGrenze);
    });
    if (schnitteVoll) {
        text += zeilenEnde;
        text += "Nur max. " + grenze + " Schnittpunkte werden angezeigt!";
    }
    if (ringeVoll) {
        text += zeilenEnde;
        text += "Nur max. " + grenze + " Ringpunkte werden angezeigt!";
    }
    return text + schlussZeilen(p);
}

} // namespace trelvik
