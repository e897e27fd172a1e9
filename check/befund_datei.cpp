#include "check/befund_datei.h"

#include "app/dateien.h"
#include "app/dateisatz.h"
#include "app/zahlen.h"
#include "check/bericht_texte.h"
#include "shape/vun_interface.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace trelvik {

namespace {

// Eight decimals, as coordinates are written into new shapefiles; trailing zeros dropped.
std::string zahl(double wert) {
    std::string s = formatCheck(wert, "0.00000000");
    while (!s.empty() && s.back() == '0')
        s.pop_back();
    if (!s.empty() && s.back() == '.')
        s.pop_back();
    return s;
}

std::string csvText(const std::string& text) {
    std::string s = "\"";
    for (const char c : text) {
        if (c == '"')
            s += '"';
        s += c;
    }
    return s + "\"";
}

bool endetAuf(const std::string& s, const char* endung) {
    const std::size_t n = std::strlen(endung);
    if (s.size() < n)
        return false;
    for (std::size_t i = 0; i < n; ++i)
        if (std::tolower(static_cast<unsigned char>(s[s.size() - n + i])) != endung[i])
            return false;
    return true;
}

} // namespace

std::vector<Befund> befundeDesSatzes(const GeometriePruefung& p, const SatzBefund& b,
                                     const Punktfeld& punkte,
                                     const std::vector<std::int32_t>& teilStart, bool mitTexten) {
    std::vector<Befund> alle;
    alle.reserve(b.flaechen.size() * 2 + b.schnitte.size() + b.ringe.size() * 4 + 1);
    const auto zeile = [&](Befundzeile art) {
        return mitTexten ? befundZeileText(p, b, art) : std::string();
    };
    const auto eintrag = [&](const Fundstelle& s) {
        return mitTexten ? eintragText(s) : std::string();
    };
    const std::int32_t n = teilStart.empty() ? 0 : static_cast<std::int32_t>(teilStart.size() - 1);
    const auto punkt = [&](std::int32_t k, Punkt& ort) {
        if (k < 0 || static_cast<std::size_t>(k) >= punkte.zeilen() || punkte.spalten() < 2)
            return false;
        ort = {punkte(static_cast<std::size_t>(k), 0), punkte(static_cast<std::size_t>(k), 1)};
        return true;
    };
    const auto neu = [&](std::int32_t teil, const char* art, const std::string& text) {
        Befund f;
        f.satz = b.satz + 1;
        f.teil = teil;
        f.art = art;
        f.text = text;
        if (teil > 0 && teil <= n)
            f.hatOrt = punkt(teilStart[static_cast<std::size_t>(teil - 1)], f.ort);
        return f;
    };
    const auto teilPunkte = [&](std::int32_t i) {
        return teilStart[static_cast<std::size_t>(i)] - teilStart[static_cast<std::size_t>(i - 1)];
    };

    if (b.zuWenigPunkte) {
        const std::string text = zeile(Befundzeile::ZuWenigPunkte);
        const std::size_t vorher = alle.size();
        for (std::int32_t i = 1; i <= n; ++i)
            if (teilPunkte(i) < 2)
                alle.push_back(neu(i, "zu_wenig_punkte", text));
        // No part to blame (a record without parts): the record itself, without a place.
        if (alle.size() == vorher)
            alle.push_back(neu(0, "zu_wenig_punkte", text));
    }
    if (b.punktanzahlZuKlein) {
        const std::string text = zeile(Befundzeile::Punktanzahl);
        for (std::int32_t i = 1; i <= n; ++i)
            if (teilPunkte(i) == 2)
                alle.push_back(neu(i, "punktanzahl", text));
    }
    if (b.typFalsch)
        alle.push_back(neu(n > 0 ? 1 : 0, "typ", zeile(Befundzeile::Typ)));
    for (const Fundstelle& s : b.flaechen) {
        const std::string text = eintrag(s);
        const auto stelle = [&](const char* art, double wert) {
            Befund f = neu(s.teil, art, text);
            f.hatOrt = true;
            f.ort = s.ort;
            f.hatWert = true;
            f.wert = wert;
            alle.push_back(f);
        };
        if (s.art != Fundstelle::Art::Laenge)
            stelle("flaeche", s.flaeche);
        if (s.art != Fundstelle::Art::Flaeche)
            stelle("abstand", s.abstand * 100);
    }
    for (const Fundstelle& s : b.schnitte) {
        Befund f = neu(s.teil, "schneidet", eintrag(s));
        f.hatOrt = true;
        f.ort = s.ort;
        alle.push_back(f);
    }
    // A ring point names one place on each ring; both are findings of each kind it has.
    for (const Fundstelle& s : b.ringe) {
        const std::string text = eintrag(s);
        for (const auto& [bit, art] :
             {std::pair{1, "ringe_nah"}, std::pair{2, "ringe_schneiden"}}) {
            if ((s.ringFlags & bit) == 0)
                continue;
            Befund a = neu(s.teil, art, text);
            a.hatOrt = true;
            a.ort = s.ort;
            alle.push_back(a);
            Befund c = neu(s.teilB, art, text);
            c.hatOrt = true;
            c.ort = s.ortB;
            alle.push_back(c);
        }
    }
    return alle;
}

struct BefundDatei::Zustand {
    bool shape = false;
    std::string ziel;      // the target's path as given
    std::string zielBasis; // target without its extension, ending in the point
    std::string quelle;
    std::unique_ptr<Dateisatz> satz; // before vun: the table is closed before its files go
    // CSV
    std::FILE* csv = nullptr;
    std::string csvTemp;
    // shapefile
    std::string tempBasis; // ending in the point
    VunInterface vun;
    bool vunOffen = false;
};

BefundDatei::BefundDatei() = default;

BefundDatei::~BefundDatei() {
    verwerfe();
}

void BefundDatei::verwerfe() {
    if (!z_)
        return;
    if (z_->csv) {
        std::fclose(z_->csv);
        z_->csv = nullptr;
    }
    if (z_->vunOffen)
        z_->vun.Shape_Close();
    z_->satz.reset(); // every temporary file of the set
    z_.reset();
}

bool BefundDatei::oeffne(const std::string& ziel, const std::string& quellShape) {
    verwerfe();
    anzahl_ = 0;
    fehler_.clear();
    auto z = std::make_unique<Zustand>();
    z->ziel = ziel;
    z->quelle = quellShape;
    z->satz = std::make_unique<Dateisatz>(ziel);
    if (endetAuf(ziel, ".csv")) {
        z->csvTemp = z->satz->aufnehmen(ziel);
        z->csv = std::fopen(z->csvTemp.c_str(), "wbx");
        if (z->csv == nullptr) {
            fehler_ = "cannot write in the folder of " + ziel + ": " + std::strerror(errno);
            return false;
        }
        z_ = std::move(z);
        static const char kopf[] = "x,y,satz,teil,art,wert,text\r\n";
        if (std::fputs(kopf, z_->csv) < 0) {
            fehler_ = "cannot write " + ziel;
            verwerfe();
            return false;
        }
        return true;
    }
    if (!endetAuf(ziel, ".shp")) {
        fehler_ = "a findings file ends in .shp or .csv: " + ziel;
        return false;
    }
    z->shape = true;
    z->zielBasis = ziel.substr(0, ziel.size() - 3);
    z->tempBasis = z->satz->basis();
    const VunInterface::Felder felder = {{"SATZ", "4", "10"},
                                         {"TEIL", "4", "10"},
                                         {"ART", "10", "16"},
                                         {"WERT", "7", "8"},
                                         {"TEXT", "10", "254"}};
    z_ = std::move(z);
    if (!z_->vun.Shape_New(z_->tempBasis + "shp", 1, felder, false, false)) {
        fehler_ = "cannot write " + ziel + ": " + z_->vun.letzterFehler();
        verwerfe();
        return false;
    }
    z_->vunOffen = true;
    return true;
}

bool BefundDatei::schreibe(const std::vector<Befund>& befunde) {
    if (!z_) {
        if (fehler_.empty())
            fehler_ = "no findings file is open";
        return false;
    }
    for (const Befund& f : befunde) {
        const std::string wert = f.hatWert ? zahl(f.wert) : std::string();
        if (!z_->shape) {
            std::string zeile = f.hatOrt ? zahl(f.ort.x) + "," + zahl(f.ort.y) : std::string(",");
            zeile += "," + std::to_string(f.satz) + "," + std::to_string(f.teil) + "," + f.art +
                     "," + wert + "," + csvText(f.text) + "\r\n";
            if (std::fputs(zeile.c_str(), z_->csv) < 0) {
                fehler_ = "cannot write " + z_->ziel + ": " + std::strerror(errno);
                verwerfe();
                return false;
            }
        } else {
            const std::vector<std::string> werte = {std::to_string(f.satz), std::to_string(f.teil),
                                                    f.art, wert, f.text};
            bool ok = false;
            if (f.hatOrt) {
                Punktfeld punkt;
                punkt.groesseAendern(1, 2);
                punkt(0, 0) = f.ort.x;
                punkt(0, 1) = f.ort.y;
                ok = z_->vun.Shape_Append(punkt, werte);
            } else {
                ok = z_->vun.Shape_AppendNull(werte);
            }
            if (!ok) {
                fehler_ = "cannot write " + z_->ziel + ": " + z_->vun.letzterFehler();
                verwerfe();
                return false;
            }
        }
        ++anzahl_;
    }
    return true;
}

bool BefundDatei::abschliessen() {
    if (!z_) {
        if (fehler_.empty())
            fehler_ = "no findings file is open";
        return false;
    }
    const auto scheitert = [&](const std::string& grund) {
        fehler_ = grund;
        verwerfe();
        return false;
    };
    std::string grund;
    if (!z_->shape) {
        std::FILE* d = z_->csv;
        z_->csv = nullptr;
        const bool ok = std::fflush(d) == 0 && ::fsync(::fileno(d)) == 0;
        if (std::fclose(d) != 0 || !ok)
            return scheitert("cannot write " + z_->ziel + ": " + std::strerror(errno));
        if (!z_->satz->abschliessen(grund))
            return scheitert(grund);
        z_.reset();
        return true;
    }
    // Shape_New leaves the set closed; only appends open it again.
    z_->vunOffen = false;
    if (anzahl_ > 0 && !z_->vun.Shape_Close())
        return scheitert("cannot write " + z_->ziel + ": " + z_->vun.letzterFehler());
    // The source's projection goes along, so the points land where the data is.
    const std::string prj = begleitDatei(z_->quelle, "PRJ");
    bool mitPrj = false;
    if (!prj.empty()) {
        std::error_code fehler;
        std::filesystem::copy_file(prj, z_->tempBasis + "prj",
                                   std::filesystem::copy_options::overwrite_existing, fehler);
        if (fehler)
            return scheitert("cannot copy " + prj + ": " + fehler.message());
        mitPrj = true;
    }
    // The main file last: a reader that finds it finds the others complete. What belonged to
    // an older file set of that name no longer fits it.
    if (mitPrj)
        z_->satz->aufnehmen(z_->zielBasis + "prj");
    for (const char* endung : {"dbf", "cpg", "shx", "shp"})
        z_->satz->aufnehmen(z_->zielBasis + endung);
    for (const char* endung : {"sbn", "sbx"})
        z_->satz->entfernen(z_->zielBasis + endung);
    if (!mitPrj)
        z_->satz->entfernen(z_->zielBasis + "prj");
    if (!z_->satz->abschliessen(grund))
        return scheitert(grund);
    z_.reset();
    return true;
}

void BefundStrom::satzGeprueft(const GeometriePruefung& pruefung, const SatzBefund& befund,
                               const Punktfeld& punkte,
                               const std::vector<std::int32_t>& teilStart) {
    WeiterleitendeAnzeige::satzGeprueft(pruefung, befund, punkte, teilStart);
    if (inOrdnung_)
        inOrdnung_ = datei_.schreibe(befundeDesSatzes(pruefung, befund, punkte, teilStart));
}

} // namespace trelvik
