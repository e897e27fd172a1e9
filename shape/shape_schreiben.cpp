// VunInterface, writing half: new file sets, appended records with their attribute rows, the
// in-place ring orientation and the vertex export.
#include "shape/vun_interface.h"

#include "app/dateien.h"
#include "app/texte.h"
#include "app/zahlen.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace trelvik {

namespace {

constexpr double leereBox = 1E+40;
constexpr std::uint64_t hoechsteWortzahl = std::uint64_t{1} << 30; // words a field can hold

using Bytes = std::vector<std::uint8_t>;

void be32(Bytes& b, std::int32_t wert) {
    const auto vier = schreibeBigEndian(wert);
    b.insert(b.end(), vier.begin(), vier.end());
}

using shapetyp::istLinie;
using shapetyp::istMTyp;
using shapetyp::istMultipunkt;
using shapetyp::istPolygon;
using shapetyp::istPunkt;
using shapetyp::istZTyp;

// The columns a type takes from `punkte`: X and Y, plus Z and M for the Z and M types.
std::size_t benoetigteSpalten(std::int32_t typ) {
    return istZTyp(typ) || istMTyp(typ) ? 4 : 2;
}

constexpr std::array<std::pair<std::size_t, std::size_t>, 4> bereiche = {
    std::pair{Dateikopf::xmin, Dateikopf::xmax}, std::pair{Dateikopf::ymin, Dateikopf::ymax},
    std::pair{Dateikopf::zmin, Dateikopf::zmax}, std::pair{Dateikopf::mmin, Dateikopf::mmax}};

// Every range starts inverted, so the first value widened into it sets both ends.
void leereBereiche(Dateikopf& kopf) {
    for (const auto& [lo, hi] : bereiche) {
        kopf.setzeF64le(lo, leereBox);
        kopf.setzeF64le(hi, -leereBox);
    }
}

// The header as it goes to disk: a range that received no value (the Z range of an M type, the
// box of a file without records) reads 0 to 0, never the inverted start values.
Dateikopf dateiform(const Dateikopf& kopf) {
    Dateikopf d = kopf;
    for (const auto& [lo, hi] : bereiche) {
        if (kopf.f64le(lo) > kopf.f64le(hi)) {
            d.setzeF64le(lo, 0);
            d.setzeF64le(hi, 0);
        }
    }
    return d;
}

// Twice the signed area of rows [von, bis) around their first row; positive counter-clockwise.
double doppelteFlaeche(const double* x, const double* y, std::size_t schritt, std::size_t von,
                       std::size_t bis) {
    if (bis <= von + 1)
        return 0;
    const double x0 = x[von * schritt];
    const double y0 = y[von * schritt];
    double summe = 0;
    for (std::size_t i = von; i + 1 < bis; ++i)
        summe += (x[i * schritt] - x0) * (y[(i + 1) * schritt] - y0) -
                 (x[(i + 1) * schritt] - x0) * (y[i * schritt] - y0);
    return summe;
}

// Engine type code and size of a field description to a dBase III column.
DbfFeld dbaseSpalte(const std::string& name, int code, int groesse) {
    DbfFeld f;
    f.name = name;
    switch (code) {
    case 1: // Boolean
        f.typ = 'L';
        f.laenge = 1;
        break;
    case 2: // byte
        f.typ = 'N';
        f.laenge = 3;
        break;
    case 3: // 16-bit integer
        f.typ = 'N';
        f.laenge = 6;
        break;
    case 4: // 32-bit integer: room for -2147483648
        f.typ = 'N';
        f.laenge = 11;
        break;
    case 5: // currency
        f.typ = 'N';
        f.laenge = 19;
        f.dezimalen = 4;
        break;
    case 8: // date
        f.typ = 'D';
        f.laenge = 8;
        break;
    case 10: // text
        f.typ = 'C';
        f.laenge = std::clamp(groesse, 1, 254);
        break;
    case 12: // memo: dBase III keeps memos in a file of their own; a long text column instead
        f.typ = 'C';
        f.laenge = 254;
        break;
    default: // single, double and anything else: a real number
        f.typ = 'N';
        f.laenge = 19;
        f.dezimalen = 6;
        break;
    }
    return f;
}

} // namespace

bool VunInterface::istSchreibbar(const std::string& pfad) {
    // A file without a write bit counts as read-only even for a user allowed to write anyway.
    return !pfad.empty() && checkReadOnly(pfad, false);
}

bool VunInterface::Shape_New(const std::string& Xdateiname, std::int32_t typ, const Felder& fname,
                             bool aktVersion, bool mitIDNeu) {
    return guard(false, [&] {
        mitID = mitIDNeu;
        neu(Xdateiname, typ, fname, aktVersion);
        return true;
    });
}

void VunInterface::neu(const std::string& Xdateiname, std::int32_t typ, const Felder& fname,
                       bool aktVersion) {
    const std::string name = basisNameVon(Xdateiname);
    try {
        schliesseAlles();
    } catch (...) {
        // whatever was open before is gone; its failure is not this call's
    }
    versionsModus = aktVersion ? 8 : 3;
    geschrieben = false;
    if (name.empty() || name.back() != '.')
        throw std::runtime_error("the new file set needs a name ending in .shp: " + Xdateiname);

    basisName = name;
    shpName = basisName + "shp";
    shxName = basisName + "shx";
    dbfName = basisName + "dbf";
    schreibTyp = AktShapetyp = typ;

    // Old files of the set go first, in any spelling of their extension; one that may not be
    // written stops the call (those deleted before it stay deleted).
    for (const char* endung : {"shp", "shx", "sbx", "sbn", "dbf", "cpg"}) {
        for (const std::string& alt : {basisName + endung, begleitDatei(shpName, endung)}) {
            struct stat st {};
            if (alt.empty() || ::lstat(alt.c_str(), &st) != 0)
                continue;
            if (!istSchreibbar(alt))
                throw std::runtime_error(alt + " may not be written");
            if (::unlink(alt.c_str()) != 0)
                throw std::runtime_error("cannot delete " + alt);
        }
    }

    kopf = Dateikopf{};
    kopf.setzeWortzahl(Dateikopf::fileCode, 9994);
    kopf.setzeWortzahl(Dateikopf::fileLength, 50);
    kopf.setzeI32le(Dateikopf::version, 1000);
    kopf.setzeI32le(Dateikopf::shapeType, typ);
    leereBereiche(kopf);
    const Dateikopf aufDisk = dateiform(kopf);
    Datei::erzeuge(shpName, aufDisk.bytes);
    Datei::erzeuge(shxName, aufDisk.bytes);

    try {
        dbfAnlegen(fname);
    } catch (...) {
        schreibTyp = AktShapetyp = -1;
        try {
            schliesseAlles();
        } catch (...) {
        }
        throw;
    }
    schliesseAlles();
}

void VunInterface::dbfAnlegen(const Felder& fname) {
    arbeitskopie_ = std::make_unique<Arbeitskopie>();
    tempDbfName = arbeitskopie_->reserviere();
    for (const auto& zeile : fname)
        if (zeile.size() < 3)
            throw std::runtime_error("a field description needs name, type and size");

    std::vector<DbfFeld> felder;
    if (mitID)
        felder.push_back(dbaseSpalte("ID", 4, 6));
    for (const auto& zeile : fname) {
        const double code = textZuZahl(std::string_view(zeile[1]));
        const double groesse = textZuZahl(std::string_view(zeile[2]));
        const auto ganz = [](double w) {
            return w >= -1e9 && w <= 1e9 ? static_cast<int>(std::nearbyint(w)) : 0;
        };
        felder.push_back(dbaseSpalte(linkeZeichen(zeile[0], 8), ganz(code), ganz(groesse)));
    }
    if (felder.empty())
        throw std::runtime_error("a table needs at least one field");
    AktDatenbank.legeAn(tempDbfName, felder, dbfName);
    dbeintrag = AktDatenbank.feldAnzahl();
    AktDatenbank.schliesse();
    kopiereDatei(tempDbfName, dbfName);
    // The table is written in Windows-1252; the code page file says so to every reader.
    static constexpr std::uint8_t codepage[] = {'1', '2', '5', '2'};
    Datei::erzeuge(basisName + "cpg", codepage);
    AktDatenbank.oeffne(tempDbfName, "1252", dbfName);
}

void VunInterface::oeffneZumSchreiben() {
    if (!shpNummer.offen() || !shxNummer.offen()) {
        const bool mitIDVorher = mitID;
        oeffne(basisName);
        mitID = mitIDVorher;
        // A set without records has no box yet: the 0 to 0 on disk is no value.
        if (DBanzahl == 0)
            leereBereiche(kopf);
    }
    if (!schreibend_) {
        shpNummer.oeffneSchreibend(shpName);
        shxNummer.oeffneSchreibend(shxName);
        schreibend_ = true;
        verwirfLesepuffer();
    }
}

std::vector<std::uint8_t>
VunInterface::satzInhalt(std::int32_t typ, const Punktfeld& punkte,
                         const std::vector<std::int32_t>& teilStarts) const {
    if (punkte.eindimensional() || punkte.zeilen() == 0)
        throw std::runtime_error("a record needs a two-dimensional point array with points");
    if (punkte.spalten() < benoetigteSpalten(typ))
        throw std::runtime_error("the point array lacks columns the type needs");
    const std::size_t n = istPunkt(typ) ? 1 : punkte.zeilen();
    if (n > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() / 32))
        throw std::runtime_error("too many points for one record");
    const bool mitZ = istZTyp(typ);
    const bool mitM = mitZ || istMTyp(typ);

    const auto bereich = [&](Bytes& b, std::size_t spalte) {
        double lo = punkte(0, spalte);
        double hi = lo;
        for (std::size_t i = 1; i < n; ++i) {
            lo = std::min(lo, punkte(i, spalte));
            hi = std::max(hi, punkte(i, spalte));
        }
        haengeLe64(b, lo);
        haengeLe64(b, hi);
    };
    const auto werte = [&](Bytes& b, std::size_t spalte) {
        for (std::size_t i = 0; i < n; ++i)
            haengeLe64(b, punkte(i, spalte));
    };

    // The exact length up front: a record of millions of points is built once, not grown.
    const std::size_t starts = istMultipunkt(typ) || istPunkt(typ) ? 0 : teilStarts.size();
    Bytes b;
    b.reserve(4 + (istPunkt(typ) ? 32
                                 : 32 + 8 + 4 * starts + 16 * n + (mitZ ? 16 + 8 * n : 0) +
                                       (mitM ? 16 + 8 * n : 0)));
    haengeLe32(b, typ);
    if (istPunkt(typ)) {
        haengeLe64(b, punkte(0, 0));
        haengeLe64(b, punkte(0, 1));
        if (mitZ)
            haengeLe64(b, punkte(0, 2));
        if (mitM)
            haengeLe64(b, punkte(0, 3));
        return b;
    }
    // Box: minima first, then maxima.
    double xlo = punkte(0, 0), xhi = xlo, ylo = punkte(0, 1), yhi = ylo;
    for (std::size_t i = 1; i < n; ++i) {
        xlo = std::min(xlo, punkte(i, 0));
        xhi = std::max(xhi, punkte(i, 0));
        ylo = std::min(ylo, punkte(i, 1));
        yhi = std::max(yhi, punkte(i, 1));
    }
    haengeLe64(b, xlo);
    haengeLe64(b, ylo);
    haengeLe64(b, xhi);
    haengeLe64(b, yhi);
    if (!istMultipunkt(typ)) {
        // Our own reader refuses part starts that descend or leave the points; so does every
        // other program. Such a record is not written at all.
        if (teilStarts.empty())
            throw std::runtime_error("a record needs at least one part");
        std::int32_t vorher = 0;
        for (const std::int32_t s : teilStarts) {
            if (s < vorher || static_cast<std::size_t>(s) > n)
                throw std::runtime_error("part starts must ascend within the points");
            vorher = s;
        }
        haengeLe32(b, static_cast<std::int32_t>(teilStarts.size()));
    }
    haengeLe32(b, static_cast<std::int32_t>(n));
    if (!istMultipunkt(typ))
        for (const std::int32_t s : teilStarts)
            haengeLe32(b, s);
    for (std::size_t i = 0; i < n; ++i) {
        haengeLe64(b, punkte(i, 0));
        haengeLe64(b, punkte(i, 1));
    }
    if (mitZ) {
        bereich(b, 2);
        werte(b, 2);
    }
    if (mitM) {
        bereich(b, 3);
        werte(b, 3);
    }
    return b;
}

void VunInterface::erweitereBox(const Punktfeld& punkte) {
    const std::int32_t typ = schreibTyp;
    const std::size_t n = istPunkt(typ) ? 1 : punkte.zeilen();
    const auto weite = [&](std::size_t spalte, std::size_t lo, std::size_t hi) {
        double a = kopf.f64le(lo);
        double b = kopf.f64le(hi);
        for (std::size_t i = 0; i < n; ++i) {
            const double w = punkte(i, spalte);
            a = std::min(a, w);
            b = std::max(b, w);
        }
        kopf.setzeF64le(lo, a);
        kopf.setzeF64le(hi, b);
    };
    weite(0, Dateikopf::xmin, Dateikopf::xmax);
    weite(1, Dateikopf::ymin, Dateikopf::ymax);
    if (istZTyp(typ))
        weite(2, Dateikopf::zmin, Dateikopf::zmax);
    if (istZTyp(typ) || istMTyp(typ))
        weite(3, Dateikopf::mmin, Dateikopf::mmax);
}

void VunInterface::haengeSatzAn(const std::vector<std::uint8_t>& inhalt) {
    const std::uint64_t L = shpNummer.groesse();
    const std::uint64_t K = shxNummer.groesse();
    if (L % 2 != 0 || K < Dateikopf::laenge || (K - Dateikopf::laenge) % 8 != 0)
        throw FormatFehler("main file or index has a length no record can be appended to");
    const std::uint64_t neuL = L + 8 + inhalt.size();
    if (neuL / 2 >= hoechsteWortzahl || (K + 8) / 2 >= hoechsteWortzahl)
        throw FormatFehler("the file set would grow beyond the largest length a header holds");
    const auto woerter = static_cast<std::int32_t>(inhalt.size() / 2);
    const auto satzNummer = static_cast<std::int32_t>((K - Dateikopf::laenge) / 8 + 1);

    Bytes satzKopf;
    be32(satzKopf, satzNummer);
    be32(satzKopf, woerter);
    Bytes eintrag;
    be32(eintrag, static_cast<std::int32_t>(L / 2));
    be32(eintrag, woerter);

    verwirfLesepuffer();
    shpNummer.schreibeAb(L, satzKopf);
    shpNummer.schreibeAb(L + 8, inhalt); // not copied behind its header: it may be large
    shxNummer.schreibeAb(K, eintrag);
    shpLaenge_ = neuL;
    if (index_.size() == K)
        index_.insert(index_.end(), eintrag.begin(), eintrag.end());
    else
        index_.clear(); // read again when needed
}

void VunInterface::schreibeKoepfe() {
    const std::uint64_t L = shpNummer.groesse();
    const std::uint64_t K = shxNummer.groesse();
    Dateikopf aufDisk = dateiform(kopf);
    aufDisk.setzeWortzahl(Dateikopf::fileLength, static_cast<std::int32_t>(L / 2));
    shpNummer.schreibeAb(0, aufDisk.bytes);
    aufDisk.setzeWortzahl(Dateikopf::fileLength, static_cast<std::int32_t>(K / 2));
    shxNummer.schreibeAb(0, aufDisk.bytes);
    kopf.setzeWortzahl(Dateikopf::fileLength, static_cast<std::int32_t>(K / 2));
    if (index_.size() == K)
        std::copy(aufDisk.bytes.begin(), aufDisk.bytes.end(), index_.begin());
    else
        ladeIndex();
    DBanzahl = static_cast<std::int32_t>((K - Dateikopf::laenge) / 8);
}

void VunInterface::dbfSatzAnhaengen(const std::vector<std::string>& wname, std::int32_t id) {
    std::vector<DbfTabelle::Wert> werte(static_cast<std::size_t>(AktDatenbank.feldAnzahl()));
    std::size_t naechster = 0;
    for (int j = 0; j < AktDatenbank.feldAnzahl(); ++j) {
        const DbfFeld& f = AktDatenbank.feld(j);
        auto& w = werte[static_cast<std::size_t>(j)];
        if (mitID && j == 0) {
            if (grossSchreiben(f.name) == "ID") {
                w.art = DbfTabelle::Wert::Art::Zahl;
                w.zahl = id;
            }
            continue;
        }
        if (naechster >= wname.size())
            continue; // fields beyond the last value stay empty
        const std::string& eintrag = wname[naechster++];
        if (f.typ == 'C' || f.typ == 'D' || f.typ == 'L') {
            w.art = DbfTabelle::Wert::Art::Text;
            w.text = eintrag;
        } else {
            w.art = DbfTabelle::Wert::Art::Zahl;
            w.zahl = textZuZahl(std::string_view(eintrag));
        }
    }
    AktDatenbank.haengeAn(werte);
}

bool VunInterface::Shape_Append(Punktfeld& punkte, const std::vector<std::string>& wname) {
    return guard(false, [&] {
        oeffneZumSchreiben();
        const std::int32_t typ = schreibTyp;
        aktTyp = typ;
        if (!(istPunkt(typ) || istMultipunkt(typ) || istLinie(typ) || istPolygon(typ)))
            throw std::runtime_error(std::string("no writer for ") +
                                     std::string(shapeTypName(typ)) + " records");
        if (punkte.eindimensional())
            throw std::runtime_error("a record needs a two-dimensional point array");
        rundePunkte(punkte);
        if (istPolygon(typ) && punkte.spalten() >= 2) {
            // One ring gets the orientation of the convention: clockwise (3) or
            // counter-clockwise (8) with y growing upwards.
            double a = doppelteFlaeche(punkte.daten(), punkte.daten() + 1, punkte.spalten(), 0,
                                       punkte.zeilen());
            if (versionsModus == 8)
                a = -a;
            if (a > 0)
                dreheZeilen(punkte, 0, punkte.zeilen());
        }
        const Bytes inhalt = satzInhalt(typ, punkte, {0});
        schreibeSatz(inhalt, punkte, wname, true);
        return true;
    });
}

bool VunInterface::Shape_AppendRing(Punktfeld& punkte, const std::vector<std::string>& wname,
                                    const std::vector<std::int32_t>& lineP) {
    return guard(false, [&] {
        oeffneZumSchreiben();
        const std::int32_t typ = schreibTyp;
        aktTyp = typ;
        if (!istLinie(typ) && !istPolygon(typ))
            throw std::runtime_error(std::string("no writer of several parts for ") +
                                     std::string(shapeTypName(typ)) + " records");
        if (punkte.eindimensional())
            throw std::runtime_error("a record needs a two-dimensional point array");
        rundePunkte(punkte);
        const Bytes inhalt = satzInhalt(typ, punkte, lineP);
        schreibeSatz(inhalt, punkte, wname, true);
        return true;
    });
}

bool VunInterface::Shape_AppendNull() {
    return Shape_AppendNull({std::string()});
}

bool VunInterface::Shape_AppendNull(const std::vector<std::string>& wname) {
    return guard(false, [&] {
        oeffneZumSchreiben();
        aktTyp = shapetyp::nullShape;
        Bytes inhalt;
        haengeLe32(inhalt, shapetyp::nullShape);
        schreibeSatz(inhalt, Punktfeld(), wname, false);
        return true;
    });
}

void VunInterface::schreibeSatz(const std::vector<std::uint8_t>& inhalt, const Punktfeld& punkte,
                                const std::vector<std::string>& wname, bool mitBox) {
    const auto nummer = DBanzahl + 1;
    haengeSatzAn(inhalt);
    if (mitBox)
        erweitereBox(punkte);
    schreibeKoepfe();
    if (mitBox)
        AktZeiger = DBanzahl;
    dbfSatzAnhaengen(wname, nummer);
    geschrieben = true;
}

void VunInterface::rundePunkte(Punktfeld& punkte) {
    double* w = punkte.daten();
    const std::size_t anzahl = punkte.zeilen() * punkte.spalten();
    for (std::size_t i = 0; i < anzahl; ++i)
        w[i] = rundeAufAchtStellen(w[i]);
}

void VunInterface::dreheZeilen(Punktfeld& punkte, std::size_t von, std::size_t bis) {
    const std::size_t s = punkte.spalten();
    double* w = punkte.daten();
    for (std::size_t a = von, b = bis; a + 1 < b; ++a, --b)
        std::swap_ranges(w + a * s, w + (a + 1) * s, w + (b - 1) * s);
}

bool VunInterface::Shape_SwapArea(bool aktVersion) {
    return guard(false, [&] {
        if (!shpNummer.offen() || !shxNummer.offen())
            throw std::runtime_error("no file set is open");
        versionsModus = aktVersion ? 8 : 3;
        oeffneZumSchreiben();
        ladeIndex();
        const auto anzahl = static_cast<std::int32_t>((index_.size() - Dateikopf::laenge) / 8);
        for (std::int32_t i = 0; i < anzahl; ++i) {
            const std::int32_t offset = leseWortzahl(std::span<const std::uint8_t>(
                index_.data() + Dateikopf::laenge + 8 * static_cast<std::size_t>(i), 4));
            AktZeiger = offset;
            if (offset > 0)
                dreheSatz(offset);
        }
        return true;
    });
}

void VunInterface::dreheSatz(std::int32_t offset) {
    const auto gelesen = leseSatz(offset);
    Bytes satz(gelesen.begin(), gelesen.end());
    const std::int32_t typ = static_cast<std::int32_t>(u32leAus(satz.data() + 8));
    AktRecordTyp = typ;
    if (!istPolygon(typ))
        return;
    ByteReader r(std::span<const std::uint8_t>(satz).subspan(12));
    r.skip(32);
    const std::int32_t p = r.i32le();
    const std::int32_t n = r.i32le();
    if (p < 0 || n < 0 || static_cast<std::uint64_t>(p) > r.remaining() / 4)
        throw FormatFehler("record at byte " + std::to_string(offset) + ": bad counts");
    std::vector<std::int32_t> starts(static_cast<std::size_t>(p));
    for (auto& s : starts)
        s = r.i32le();
    const std::size_t punkteAb = 12 + 32 + 8 + 4 * static_cast<std::size_t>(p);
    const auto nn = static_cast<std::size_t>(n);
    if (nn > (satz.size() - punkteAb) / 16)
        throw FormatFehler("record at byte " + std::to_string(offset) + ": points beyond its end");
    std::int32_t vorher = 0;
    for (const std::int32_t s : starts) {
        if (s < vorher || s > n)
            throw FormatFehler("record at byte " + std::to_string(offset) + ": bad part starts");
        vorher = s;
    }
    // Z and M blocks, where the record holds them: a range of 16 bytes, then n values.
    std::size_t zAb = 0;
    std::size_t mAb = 0;
    std::size_t ende = punkteAb + 16 * nn;
    const auto block = [&](std::size_t& ab) {
        if (satz.size() >= ende + 16 + 8 * nn) {
            ab = ende + 16;
            ende = ab + 8 * nn;
        }
    };
    if (typ == shapetyp::polyGonZ)
        block(zAb);
    block(mAb);

    std::vector<double> x(nn), y(nn);
    for (std::size_t i = 0; i < nn; ++i) {
        x[i] = f64leAus(satz.data() + punkteAb + 16 * i);
        y[i] = f64leAus(satz.data() + punkteAb + 16 * i + 8);
    }
    bool geaendert = false;
    for (std::size_t k = 0; k < starts.size(); ++k) {
        const auto von = static_cast<std::size_t>(starts[k]);
        const auto bis = k + 1 < starts.size() ? static_cast<std::size_t>(starts[k + 1]) : nn;
        double a = doppelteFlaeche(x.data(), y.data(), 1, von, bis);
        if (versionsModus == 8)
            a = -a;
        if (!(a > 0))
            continue;
        geaendert = true;
        const auto tausche = [&](std::size_t ab, std::size_t breite) {
            for (std::size_t i = von, j = bis; i + 1 < j; ++i, --j)
                std::swap_ranges(satz.begin() + static_cast<std::ptrdiff_t>(ab + breite * i),
                                 satz.begin() + static_cast<std::ptrdiff_t>(ab + breite * (i + 1)),
                                 satz.begin() + static_cast<std::ptrdiff_t>(ab + breite * (j - 1)));
        };
        tausche(punkteAb, 16);
        if (zAb != 0)
            tausche(zAb, 8);
        if (mAb != 0)
            tausche(mAb, 8);
    }
    if (!geaendert)
        return;
    verwirfLesepuffer();
    shpNummer.schreibeAb(static_cast<std::uint64_t>(offset) + punkteAb,
                         std::span<const std::uint8_t>(satz).subspan(punkteAb, ende - punkteAb));
}

bool VunInterface::Shape_Export(std::ostream* out, std::int32_t showfield) {
    return guard(false, [&] {
        if (out == nullptr || showfield == 0)
            throw std::runtime_error("no file or no field to export");
        if (!shpNummer.offen() || !shxNummer.offen())
            throw std::runtime_error("no file set is open");
        Punktfeld punkte;
        std::vector<std::string> wname;
        std::int32_t ringe = 0;
        std::vector<std::int32_t> lpp;
        const std::int32_t anzahl = DBanzahl;
        for (std::int32_t i = 0; i < anzahl; ++i) {
            if (!hole(Abruf::Get, i, punkte, wname, nullptr, nullptr))
                continue;
            const std::int32_t typ = AktRecordTyp;
            if (AktZeiger <= 0 || punkte.eindimensional())
                continue;
            // Lines in the order of the file, not joined.
            if (istLinie(typ))
                hole(Abruf::GetCheck, i, punkte, wname, &ringe, &lpp);
            if (punkte.eindimensional())
                continue;
            const bool mitZM = punkte.spalten() >= 4;
            const std::int32_t feld = std::min(showfield, dbeintrag);
            for (std::size_t k = 0; k < punkte.zeilen(); ++k) {
                double wert = 0;
                if (mitZM && showfield == dbeintrag + 1)
                    wert = punkte(k, 2);
                else if (mitZM && showfield == dbeintrag + 2)
                    wert = punkte(k, 3);
                else if (feld >= 1 && static_cast<std::size_t>(feld) <= wname.size())
                    wert = textZuZahl(std::string_view(wname[static_cast<std::size_t>(feld - 1)]));
                *out << formatZahl(punkte(k, 0), "0.000") << ' '
                     << formatZahl(punkte(k, 1), "0.000") << ' ' << formatZahl(wert, "0.000")
                     << (typ == shapetyp::point ? " " : "") << "\r\n";
            }
        }
        out->flush();
        if (!*out)
            throw std::runtime_error("the export file could not be written");
        return true;
    });
}

double rundeAufAchtStellen(double wert) {
    if (!std::isfinite(wert))
        return wert;
    // The value of the text with 8 decimals, without the text: the exact binary value times
    // 10^8 (as a sum of two doubles), rounded half away from zero to the integer r, and r / 10^8
    // correctly rounded, which is what reading the text gives. Only where r and the product's
    // parts are exact in a double; beyond that through the text itself.
    const double betrag = std::fabs(wert);
    const double hoch = betrag * 1e8;
    if (!(hoch < 4503599627370496.0)) // 2^52
        return textZuZahl(formatZahl(wert, "0.00000000"));
    const double rest = std::fma(betrag, 1e8, -hoch); // betrag * 10^8 = hoch + rest exactly
    double r = std::floor(hoch);
    const double anteil = hoch - r; // exact
    if (anteil > 0.5 || (anteil == 0.5 && rest >= 0))
        r += 1;
    const double ergebnis = r / 1e8;
    return std::signbit(wert) && ergebnis != 0 ? -ergebnis : ergebnis;
}

} // namespace trelvik
