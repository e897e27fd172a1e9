#include "check/pruef_lauf.h"

#include "app/zahlen.h"
#include "geometry/bindung/bindung.h"
#include "shape/shape_format.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace trelvik {

namespace {

// The segment circles and the enlarged box of one part, built once per record.
struct Teil {
    std::vector<Punkt> punkte;
    std::vector<Segmentkreis> kreise;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

void baueKreiseUndBox(Teil& t, double rand) {
    t.kreise.clear();
    if (t.punkte.empty())
        return;
    t.kreise.reserve(t.punkte.size() - 1);
    for (std::size_t k = 1; k < t.punkte.size(); ++k) {
        const Punkt a = t.punkte[k - 1];
        const Punkt b = t.punkte[k];
        const double laenge = std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y));
        t.kreise.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2, laenge / 2 + rand});
    }
    t.xmin = t.xmax = t.punkte[0].x;
    t.ymin = t.ymax = t.punkte[0].y;
    for (const Punkt& p : t.punkte) {
        t.xmin = std::min(t.xmin, p.x);
        t.xmax = std::max(t.xmax, p.x);
        t.ymin = std::min(t.ymin, p.y);
        t.ymax = std::max(t.ymax, p.y);
    }
    t.xmin -= rand;
    t.xmax += rand;
    t.ymin -= rand;
    t.ymax += rand;
}

bool boxenUeberlappen(const Teil& i, const Teil& j) {
    return j.xmin < i.xmax && j.xmax > i.xmin && j.ymin < i.ymax && j.ymax > i.ymin;
}

std::string ganz(double wert) { return formatCheck(wert, "0"); }

bool endlich(const std::vector<Punkt>& teil) {
    return std::all_of(teil.begin(), teil.end(),
                       [](const Punkt& p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

std::string typText(std::int32_t typ) {
    return std::string(shapeTypName(typ)) + " (" + std::to_string(typ) + ")";
}

// The types whose records the check tests: polygons and lines, with or without Z and M.
bool geprueftWird(std::int32_t typ) {
    switch (typ) {
    case shapetyp::polyLine:
    case shapetyp::polyGon:
    case shapetyp::polyLineZ:
    case shapetyp::polyGonZ:
    case shapetyp::polyLineM:
    case shapetyp::polyGonM:
        return true;
    default:
        return false;
    }
}

// What the file set's lengths and header say about it as a whole: notes for the end of the
// report. A well-formed set yields none.
void aufbauHinweise(const VunInterface& vun, GeometriePruefung& e) {
    const VunInterface::DateiAufbau& a = vun.aufbau();
    const std::int64_t eintraege = a.shxBytes - 100;
    if (eintraege % 8 != 0)
        e.hinweise.push_back("Der Index (.shx) endet mitten in einem Eintrag (" +
                             std::to_string(eintraege % 8) +
                             " Bytes zu viel): dort fehlt ein Satz, er wurde nicht geprüft.");
    const auto laenge = [](std::int64_t bytes) {
        return bytes < 0 ? std::string("keine gültige Länge") : std::to_string(bytes) + " Bytes";
    };
    if (a.shxKopfBytes != a.shxBytes)
        e.hinweise.push_back("Der Index (.shx) ist " + std::to_string(a.shxBytes) +
                             " Bytes lang, sein Kopf nennt " + laenge(a.shxKopfBytes) +
                             ": Sätze können fehlen.");
    if (a.shpKopfBytes != a.shpBytes)
        e.hinweise.push_back("Die Hauptdatei (.shp) ist " + std::to_string(a.shpBytes) +
                             " Bytes lang, ihr Kopf nennt " + laenge(a.shpKopfBytes) + ".");
    if (a.tabellenZeilen != vun.DBanzahl)
        e.hinweise.push_back("Die Tabelle (.dbf) hat " + std::to_string(a.tabellenZeilen) +
                             " Zeilen, der Index nennt " + std::to_string(vun.DBanzahl) +
                             " Sätze.");
    const double box[] = {vun.xminimal, vun.yminimal, vun.xmaximal, vun.ymaximal};
    const bool zahlen =
        std::all_of(std::begin(box), std::end(box), [](double w) { return std::isfinite(w); });
    // An empty set keeps the inverted box it was created with.
    if (!zahlen ||
        (vun.DBanzahl > 0 && (vun.xminimal > vun.xmaximal || vun.yminimal > vun.ymaximal)))
        e.hinweise.push_back("Die Ausdehnung im Kopf der Hauptdatei ist ungültig (keine Zahl "
                             "oder Minimum größer als Maximum).");
}

class Lauf {
public:
    Lauf(GeometriePruefung& e, PruefAnzeige* anzeige) : e_(e), anzeige_(anzeige) {}

    // True once the display asked to stop; asked again at every call until then.
    bool halt() {
        if (!gestoppt_ && anzeige_ && anzeige_->abbrechen())
            gestoppt_ = true;
        return gestoppt_;
    }

    // False when the run was cancelled inside the record; its findings are then dropped.
    bool pruefeSatz(std::int32_t zeiger, std::int32_t satzTyp, const Punktfeld& punkte,
                    const std::vector<std::int32_t>& lpp) {
        SatzBefund b;
        b.satz = zeiger;
        b.satzTyp = satzTyp;
        b.teile = lpp.empty() ? 0 : static_cast<std::int32_t>(lpp.size() - 1);
        b.typFalsch = satzTyp != e_.shapeTyp;
        b.kleinsteFlaeche = 2 * e_.minFlaeche;
        b.kleinsterAbstand = 2 * e_.minAbstand;
        if (b.teile > 1)
            ++e_.mehrteilig;
        if (!lpp.empty())
            e_.punkteGeprueft += lpp.back();
        if (b.teile == 0)
            b.zuWenigPunkte = true;
        if (b.teile > 0 && lpp[0] != 0)
            b.formatFehler.push_back("Teil 1 beginnt bei Punkt " + std::to_string(lpp[0]) +
                                     " statt bei 0: " + std::to_string(lpp[0]) +
                                     " Punkte gehören zu keinem Teil und wurden nicht geprüft.");

        teile_.resize(static_cast<std::size_t>(b.teile));
        for (std::int32_t i = 1; i <= b.teile; ++i) {
            if (halt())
                return false;
            Teil& teil = teile_[static_cast<std::size_t>(i - 1)];
            kopiereTeil(punkte, lpp[static_cast<std::size_t>(i - 1)],
                        lpp[static_cast<std::size_t>(i)] - 1, teil.punkte);
            pruefeTeil(b, i, teil.punkte);
        }
        if (!pruefeRinge(b) || halt())
            return false;
        if (b.hatBefund()) {
            if (anzeige_)
                anzeige_->satzGeprueft(e_, b, punkte, lpp);
            e_.saetze.push_back(std::move(b));
        }
        return true;
    }

private:
    static void kopiereTeil(const Punktfeld& punkte, std::int32_t s, std::int32_t e,
                            std::vector<Punkt>& ziel) {
        ziel.clear();
        if (e < s || s < 0 || static_cast<std::size_t>(e) >= punkte.zeilen() ||
            punkte.spalten() < 2)
            return;
        ziel.reserve(static_cast<std::size_t>(e - s + 1));
        for (std::int32_t k = s; k <= e; ++k)
            ziel.push_back({punkte(static_cast<std::size_t>(k), 0),
                            punkte(static_cast<std::size_t>(k), 1)});
    }

    void pruefeTeil(SatzBefund& b, std::int32_t i, std::vector<Punkt>& teil) {
        ++e_.teileGeprueft;
        if (teil.size() < 2) {
            b.zuWenigPunkte = true;
            return;
        }
        if (!endlich(teil)) {
            // The library would compute with them and report places such as "NaN/NaN".
            b.formatFehler.push_back("Teil " + std::to_string(i) +
                                     " hat Koordinaten, die keine endlichen Zahlen sind (NaN "
                                     "oder unendlich); er wurde nicht geprüft.");
            teil.clear();
            return;
        }
        const auto letzter = static_cast<std::int32_t>(teil.size() - 1);
        if (e_.polygon && letzter < 2)
            b.punktanzahlZuKlein = true;
        if (e_.polygon && teil.size() >= 4 &&
            (teil.front().x != teil.back().x || teil.front().y != teil.back().y))
            b.formatFehler.push_back("Ring " + std::to_string(i) +
                                     " ist nicht geschlossen: sein letzter Punkt ist nicht "
                                     "sein erster.");

        std::int32_t kreuzungen = 0, null1 = 0, null2 = 0;
        Punkt kreuzung{0, 0};
        geo::PolygonTest(teil.data(), letzter, &kreuzungen, &null1, &null2, e_.minAbstand,
                         shapetyp::grundTyp(e_.shapeTyp), &kreuzung);
        if (kreuzungen > 0) {
            b.schneidet = true;
            Fundstelle f;
            f.art = Fundstelle::Art::Schnittpunkt;
            f.teil = i;
            f.ort = kreuzung;
            b.schnitte.push_back(f);
        }

        double umfang = 0, kuerzeste = 0;
        if (halt())
            return;
        double a = geo::areaBerechnen(teil.data(), letzter, &umfang, &kuerzeste);
        if (!e_.polygon)
            a = 2 * e_.minFlaeche;
        Punkt stelle{0, 0};
        if (halt())
            return;
        const double l = geo::LaengeBerechnen(teil.data(), e_.polygon ? letzter - 1 : letzter,
                                              &stelle, e_.minAbstand);

        const double betrag = std::fabs(a);
        const bool flaecheKlein = betrag < e_.minFlaeche;
        const bool abstandKlein = l < e_.minAbstand;
        if (flaecheKlein || abstandKlein) {
            Fundstelle f;
            f.teil = i;
            f.flaeche = betrag;
            f.abstand = std::fabs(l);
            f.ort = stelle;
            if (flaecheKlein && abstandKlein) {
                f.art = Fundstelle::Art::FlaecheUndLaenge;
            } else if (flaecheKlein) {
                f.art = Fundstelle::Art::Flaeche;
                f.ort = teil[0];
            } else {
                f.art = Fundstelle::Art::Laenge;
            }
            if (flaecheKlein)
                ++e_.flaechenFehler;
            if (abstandKlein)
                ++e_.laengenFehler;
            b.flaechen.push_back(f);
        }
        if (betrag < b.kleinsteFlaeche)
            b.kleinsteFlaeche = betrag;
        if (flaecheKlein)
            b.flaecheZuKlein = true;
        if (l < b.kleinsterAbstand)
            b.kleinsterAbstand = l;
        if (abstandKlein)
            b.abstandZuKlein = true;
    }

    bool pruefeRinge(SatzBefund& b) {
        if (anzeige_)
            anzeige_->statusAnzeigen("");
        const double rand = 2 * e_.minAbstand;
        for (Teil& t : teile_)
            baueKreiseUndBox(t, rand);
        const std::size_t n = teile_.size();
        for (std::size_t i = 1; i < n; ++i) {
            if (halt())
                return false;
            if (anzeige_)
                anzeige_->statusAnzeigen("Teste MultiPolygon: Ring " + ganz(static_cast<double>(i)) +
                                         "/" + ganz(static_cast<double>(n - 1)) + "...");
            const Teil& a = teile_[i - 1];
            if (a.punkte.size() < 2)
                continue;
            for (std::size_t j = i + 1; j <= n; ++j) {
                const Teil& c = teile_[j - 1];
                if (c.punkte.empty() || !boxenUeberlappen(a, c))
                    continue;
                if (halt())
                    return false;
                Punkt pa{0, 0}, pb{0, 0};
                const std::int32_t flags = geo::MultiPolygonTest(
                    a.punkte.data(), static_cast<std::int32_t>(a.punkte.size()), a.kreise.data(),
                    c.punkte.data(), static_cast<std::int32_t>(c.punkte.size()), c.kreise.data(),
                    e_.minAbstand, &pa, &pb);
                if (flags > 0) {
                    Fundstelle f;
                    f.art = Fundstelle::Art::RingPunkt;
                    f.teil = static_cast<std::int32_t>(i);
                    f.teilB = static_cast<std::int32_t>(j);
                    f.ort = pa;
                    f.ortB = pb;
                    f.ringFlags = flags;
                    b.ringe.push_back(f);
                    if ((flags & 1) != 0)
                        b.ringeNah = true;
                    if ((flags & 2) != 0)
                        b.ringeSchneiden = true;
                    break;
                }
            }
        }
        if (anzeige_)
            anzeige_->statusAnzeigen("");
        return true;
    }

    GeometriePruefung& e_;
    PruefAnzeige* anzeige_;
    std::vector<Teil> teile_;
    bool gestoppt_ = false;
};

} // namespace

double minAbstandAusFeld(const std::string& zentimeter) {
    return textZuZahl(std::string_view(zentimeter)) / 100;
}

double minFlaecheAusFeld(const std::string& quadratmeter) {
    return textZuZahl(std::string_view(quadratmeter));
}

bool GeometriePruefung::ohneBefund() const {
    return geoeffnet && vollstaendig && saetze.empty() && hinweise.empty();
}

GeometriePruefung pruefeGeometrie(const std::string& shapePfad, double minAbstand,
                                  double minFlaeche, PruefAnzeige* anzeige) {
    GeometriePruefung e;
    e.minAbstand = minAbstand;
    e.minFlaeche = minFlaeche;
    VunInterface vun;
    const std::string basis =
        shapePfad.size() >= 3 ? shapePfad.substr(0, shapePfad.size() - 3) : shapePfad;
    if (!vun.Shape_Open(basis)) {
        e.grund = vun.letzterFehler();
        return e;
    }
    e.geoeffnet = true;
    e.shapeTyp = vun.AktShapetyp;
    e.saetzeImIndex = vun.DBanzahl;
    if (anzeige)
        anzeige->shapeTypAnzeigen("Shape Typ: " + std::string(shapeTypName(e.shapeTyp)));
    aufbauHinweise(vun, e);
    const int art = shapetyp::grundTyp(e.shapeTyp);
    e.polygon = art == 5;
    const bool testbar = geprueftWird(e.shapeTyp);
    Lauf lauf(e, anzeige);
    Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    std::int32_t vunRing = 0;
    std::int32_t zeiger = 0;
    std::int32_t ungeprueft = 0;     // records of a file type the check does not test
    std::int32_t flaechenLinien = 0; // of those, records that are polygons or lines
    while (!lauf.halt() && vun.Shape_GetCheck(zeiger, punkte, wname, vunRing, lpp)) {
        if (testbar) {
            if (!lauf.pruefeSatz(zeiger, vun.AktRecordTyp, punkte, lpp))
                break;
        } else {
            ++ungeprueft;
            if (geprueftWird(vun.AktRecordTyp))
                ++flaechenLinien;
        }
        ++zeiger;
        if (anzeige && (zeiger % 256 == 0 || zeiger == e.saetzeImIndex))
            anzeige->fortschritt(zeiger, e.saetzeImIndex);
    }
    e.saetzeGelesen = zeiger;
    // A cancel that comes after the last record has cancelled nothing.
    if (lauf.halt() && zeiger < e.saetzeImIndex) {
        e.abgebrochen = true;
        e.vollstaendig = false;
        e.abbruchSatz = zeiger;
        e.grund = "cancelled at record " + std::to_string(zeiger + 1);
    } else if (zeiger < e.saetzeImIndex) {
        // The loop ends at the first record that cannot be fetched; before the end of the
        // index that means the file is damaged there, which the caller must learn.
        e.vollstaendig = false;
        e.abbruchSatz = zeiger;
        e.lesefehler = vun.letzterFehler();
        e.grund = "record " + std::to_string(zeiger + 1) + " cannot be read: " + e.lesefehler;
    }
    if (!testbar && ungeprueft > 0)
        e.hinweise.push_back(
            "Sätze vom Dateityp " + typText(e.shapeTyp) +
            " werden nicht geprüft: " + std::to_string(ungeprueft) + " Sätze blieben ungeprüft" +
            (flaechenLinien > 0
                 ? ", davon " + std::to_string(flaechenLinien) + " Polygone oder Polylinien."
                 : "."));
    vun.Shape_Close();
    return e;
}

} // namespace trelvik
