#include "check/bericht_texte.h"

#include <gtest/gtest.h>

using namespace trelvik;

namespace {

GeometriePruefung polygonDatei() {
    GeometriePruefung p;
    p.geoeffnet = true;
    p.shapeTyp = 5;
    p.polygon = true;
    p.minAbstand = 0.25;
    p.minFlaeche = 25;
    return p;
}

SatzBefund satz(std::int32_t index, std::int32_t teile) {
    SatzBefund b;
    b.satz = index;
    b.teile = teile;
    b.satzTyp = 5;
    b.kleinsteFlaeche = 50;
    b.kleinsterAbstand = 0.5;
    return b;
}

Fundstelle flaechenEintrag(double x, double y, double a) {
    Fundstelle f;
    f.art = Fundstelle::Art::Flaeche;
    f.ort = {x, y};
    f.flaeche = a;
    return f;
}

// A file whose records 1..n each have one part below the minimum area.
GeometriePruefung flaechenFehler(int n) {
    GeometriePruefung p = polygonDatei();
    for (int i = 0; i < n; ++i) {
        SatzBefund b = satz(i, 1);
        b.flaecheZuKlein = true;
        b.kleinsteFlaeche = 10 + i;
        b.flaechen.push_back(flaechenEintrag(1000 + i, 2000, 10 + i));
        p.saetze.push_back(b);
        ++p.flaechenFehler;
    }
    p.teileGeprueft = n;
    return p;
}

int zaehle(const std::string& text, const std::string& teil) {
    int n = 0;
    for (auto pos = text.find(teil); pos != std::string::npos; pos = text.find(teil, pos + 1))
        ++n;
    return n;
}

} // namespace

TEST(BerichtZahlen, Koordinaten) {
    EXPECT_EQ(formatKoordinate(3512345.6), "3512346");
    EXPECT_EQ(formatKoordinate(123.4), "    123");
    EXPECT_EQ(formatKoordinate(-5.5), "     -6");
    // Wider numbers are written whole instead of losing their leading digits.
    EXPECT_EQ(formatKoordinate(123456789), "123456789");
}

TEST(BerichtZahlen, DezimalOhneNachlaufendeNullen) {
    EXPECT_EQ(formatDezimal(0.25), "0.25");
    EXPECT_EQ(formatDezimal(2), "2");
    EXPECT_EQ(formatDezimal(0.0041 * 100), "0.41");
    EXPECT_EQ(formatDezimal(12.5), "12.5");
    EXPECT_EQ(formatDezimal(0.000004), "0");
    EXPECT_EQ(formatDezimal(100), "100");
}

TEST(BerichtZahlen, SatzbezeichnungNieAbgeschnitten) {
    EXPECT_EQ(formatSpalte("PolyGon 7"), "PolyGon 7      ");
    EXPECT_EQ(formatSpalte("MultiPolyGon 12"), "MultiPolyGon 12");
    EXPECT_EQ(formatSpalte("MultiPolyGon 123"), "MultiPolyGon 123");
}

TEST(GeometrieBericht, NichtGeoeffnet) {
    GeometriePruefung p;
    EXPECT_EQ(geometrieBericht(p), "Das Shape konnte nicht geöffnet werden!");
}

TEST(GeometrieBericht, OhneBefundMitUeberschrift) {
    GeometriePruefung p = polygonDatei();
    p.teileGeprueft = 12;
    p.mehrteilig = 2;
    EXPECT_EQ(geometrieBericht(p), "PolyGon-Prüfung\r\n===============\r\nPolygone: 12\r\n"
                                   "Ringe: 2\r\nKeine Fehler gefunden!");
    p.polygon = false;
    p.shapeTyp = 1;
    p.teileGeprueft = 0;
    p.mehrteilig = 0;
    EXPECT_EQ(geometrieBericht(p), "PolyLine-Prüfung\r\n================\r\nPolylinien: 0\r\n"
                                   "Ringe: 0\r\nKeine Fehler gefunden!");
}

TEST(GeometrieBericht, ZeilenEinesSatzesInFesterOrdnung) {
    GeometriePruefung p = polygonDatei();
    SatzBefund b = satz(6, 2);
    b.zuWenigPunkte = b.punktanzahlZuKlein = b.typFalsch = true;
    b.flaecheZuKlein = b.abstandZuKlein = b.schneidet = b.ringeNah = b.ringeSchneiden = true;
    b.kleinsteFlaeche = 0.25;
    b.kleinsterAbstand = 0.0041;
    Fundstelle fl;
    fl.art = Fundstelle::Art::FlaecheUndLaenge;
    fl.ort = {3512345.6, 5612345.4};
    fl.flaeche = 0.25;
    fl.abstand = 0.0041;
    b.flaechen.push_back(fl);
    Fundstelle s;
    s.art = Fundstelle::Art::Schnittpunkt;
    s.ort = {10, 20};
    b.schnitte.push_back(s);
    Fundstelle r;
    r.art = Fundstelle::Art::RingPunkt;
    r.ort = {1, 2};
    r.ortB = {3, 4};
    b.ringe.push_back(r);
    p.saetze.push_back(b);
    p.teileGeprueft = 2;
    p.mehrteilig = 1;
    p.flaechenFehler = 1;
    p.laengenFehler = 1;
    const std::string e(17, ' ');
    EXPECT_EQ(geometrieBericht(p),
              "PolyGon-Prüfung\r\n===============\r\n"
              "MultiPolyGon 7   teilweise zu wenig Punkte.\r\n" +
                  e + "minimale Punktanzahl ist zu klein.\r\n" + e +
                  "aktueller Typ entspricht nicht dem ShapeTyp.\r\n" + e +
                  "minimale Fläche: 0.25 m².\r\n" + e + "minimaler Punktabstand: 0.41 cm.\r\n" +
                  e + "Xo/Yo: 3512346/5612345 (A=0.25 m² / L=0.41 cm)\r\n" + e +
                  "Polygone schneiden/berühren sich.\r\n" + e +
                  "Schnittpunkt Xo/Yo:      10/     20\r\n" + e + "Ringe: Abstand < 25 cm.\r\n" +
                  e + "Ringe schneiden/berühren sich.\r\n" + e +
                  "RingPunkt Xo/Yo:       1/      2 -       3/      4\r\n"
                  "Polygone: 2\r\nRinge: 1");
}

TEST(GeometrieBericht, SatzOhneTeileHatEinfacheBezeichnung) {
    GeometriePruefung p = polygonDatei();
    SatzBefund b = satz(4, 0);
    b.satzTyp = 0;
    b.zuWenigPunkte = b.typFalsch = true;
    p.saetze.push_back(b);
    EXPECT_NE(geometrieBericht(p).find("\r\nPolyGon 5        teilweise zu wenig Punkte.\r\n" +
                                       std::string(17, ' ') +
                                       "aktueller Typ entspricht nicht dem ShapeTyp.\r\n"),
              std::string::npos);
}

TEST(GeometrieBericht, LangeSatzbezeichnungVerbreitertNurIhreZeile) {
    GeometriePruefung p = polygonDatei();
    SatzBefund b = satz(122, 3);
    b.ringeNah = b.ringeSchneiden = true;
    p.saetze.push_back(b);
    EXPECT_NE(geometrieBericht(p).find("\r\nMultiPolyGon 123  Ringe: Abstand < 25 cm.\r\n" +
                                       std::string(17, ' ') + "Ringe schneiden/berühren sich."),
              std::string::npos);
}

TEST(GeometrieBericht, ZehnFlaechenfehlerAlleOhneZaehlzeilen) {
    const std::string text = geometrieBericht(flaechenFehler(10));
    EXPECT_EQ(zaehle(text, "Xo/Yo:"), 10);
    EXPECT_EQ(zaehle(text, "Flächen-Fehler gefunden!"), 0);
    EXPECT_EQ(text.substr(text.size() - 10), "\r\nRinge: 0");
}

TEST(GeometrieBericht, ElfFlaechenfehlerZehnGelistetMitHinweis) {
    const std::string text = geometrieBericht(flaechenFehler(11));
    EXPECT_EQ(zaehle(text, "Xo/Yo:"), 10);
    EXPECT_EQ(zaehle(text, "minimale Fläche:"), 11);
    EXPECT_EQ(text.substr(text.find("Ringe: 0")),
              "Ringe: 0\r\n11 Flächen-Fehler gefunden!\r\n0 Längen-Fehler gefunden!\r\n"
              "Nur max. 10 Flächen-/Längenfehler werden angezeigt!");
}

TEST(GeometrieBericht, GrenzeGiltFuerBeideArtenZusammen) {
    // 9 area faults, then a part with both faults: counts 9/0 when it is examined, so it is
    // listed; after it the area count is 10 and nothing more is listed.
    GeometriePruefung p = flaechenFehler(9);
    SatzBefund b = satz(9, 1);
    b.flaecheZuKlein = b.abstandZuKlein = true;
    Fundstelle f = flaechenEintrag(1, 1, 3);
    f.art = Fundstelle::Art::FlaecheUndLaenge;
    b.flaechen.push_back(f);
    Fundstelle l;
    l.art = Fundstelle::Art::Laenge;
    l.abstand = 0.1;
    b.flaechen.push_back(l);
    p.saetze.push_back(b);
    p.flaechenFehler = 10;
    p.laengenFehler = 2;
    const std::string text = geometrieBericht(p);
    EXPECT_EQ(zaehle(text, "Xo/Yo:"), 10);
    EXPECT_EQ(zaehle(text, "(L=10 cm)"), 0);
    EXPECT_EQ(zaehle(text, "Flächen-Fehler gefunden!"), 0);
}

TEST(GeometrieBericht, SchnittpunkteJeSatzBegrenzt) {
    GeometriePruefung p = polygonDatei();
    SatzBefund b = satz(5, 11);
    b.schneidet = true;
    for (int i = 0; i < 11; ++i) {
        Fundstelle f;
        f.art = Fundstelle::Art::Schnittpunkt;
        f.ort = {80.0 * i, 40};
        b.schnitte.push_back(f);
    }
    p.saetze.push_back(b);
    const std::string text = geometrieBericht(p);
    EXPECT_EQ(zaehle(text, "Schnittpunkt Xo/Yo:"), 10);
    EXPECT_EQ(text.substr(text.size() - 45),
              "\r\nNur max. 10 Schnittpunkte werden angezeigt!");
    EXPECT_EQ(fehlerZeilen(p), 1);
}

TEST(GeometrieBericht, RingpunkteJeSatzBegrenzt) {
    GeometriePruefung p = polygonDatei();
    SatzBefund b = satz(0, 12);
    b.ringeNah = true;
    b.ringe.resize(11, Fundstelle{Fundstelle::Art::RingPunkt, 1, 2, {0, 0}, {1, 1}, 0, 0});
    p.saetze.push_back(b);
    const std::string text = geometrieBericht(p);
    EXPECT_EQ(zaehle(text, "RingPunkt"), 10);
    EXPECT_NE(text.find("\r\nNur max. 10 Ringpunkte werden angezeigt!"), std::string::npos);
    EXPECT_EQ(text.find("Schnittpunkte werden"), std::string::npos);
}
