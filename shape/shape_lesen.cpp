// VunInterface, reading half: opening a file set, fetching records with their attribute texts,
// the header text and closing.
#include "shape/vun_interface.h"

#include "app/dateien.h"
#include "app/zahlen.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <limits>
#include <stdexcept>
#include <utility>

namespace trelvik {

namespace {

constexpr std::size_t satzKopfLaenge = 12;    // record number, content length, shape type
constexpr std::size_t indexEintragLaenge = 8; // offset, content length
// Bytes of the main file read at once: many records per system call.
constexpr std::uint64_t fensterGroesse = std::uint64_t{1} << 20;

// A file of the set in whatever spelling of its extension exists (sets copied from Windows
// often say ".SHP", ".DBF"), the plain name when there is none.
std::string begleiter(const std::string& basis, const char* endung) {
    std::string gefunden = begleitDatei(basis + "shp", endung);
    return gefunden.empty() ? basis + endung : gefunden;
}

// Z and M as the check sees them: rounded to 9 decimals through their text form.
double runde9(double wert) {
    return textZuZahl(formatZahl(wert, "0.000000000"));
}

// Upper-case hexadecimal, padded with zeros and cut to its last four digits.
std::string hex4(std::int32_t wert) {
    char puffer[16];
    std::snprintf(puffer, sizeof puffer, "%X", static_cast<unsigned>(wert));
    const std::string text = std::string("0000") + puffer;
    return text.substr(text.size() - 4);
}

std::string zahlText(std::uint64_t n) {
    return std::to_string(n);
}

} // namespace

VunInterface::VunInterface() = default;

VunInterface::~VunInterface() {
    Shape_Close();
}

bool VunInterface::Shape_Open(const std::string& Xdateiname) {
    return guard(false, [&] {
        oeffne(Xdateiname);
        return true;
    });
}

void VunInterface::oeffne(const std::string& Xdateiname) {
    const std::string name = basisNameVon(Xdateiname);
    try {
        schliesseAlles();
    } catch (...) {
        // whatever was open before is gone; its failure is not this call's
    }
    geschrieben = false;
    dbeintrag = 0;
    try {
        basisName = name;
        dbfName = begleiter(basisName, "dbf");
        arbeitskopie_ = std::make_unique<Arbeitskopie>();
        tempDbfName = arbeitskopie_->kopiereVon(dbfName);

        shpName = begleiter(basisName, "shp");
        shxName = begleiter(basisName, "shx");
        // Only read here; a writer reopens the files for appending.
        shpNummer.oeffneLesend(shpName);
        shpLaenge_ = shpNummer.groesse();
        verwirfLesepuffer();
        if (shpNummer.liesAb(0, kopf.bytes) < Dateikopf::laenge)
            throw FormatFehler("main file " + shpName + " is shorter than its 100-byte header (" +
                               zahlText(shpLaenge_) + " bytes)");
        AktShapetyp = kopf.i32le(Dateikopf::shapeType);
        xminimal = kopf.f64le(Dateikopf::xmin);
        yminimal = kopf.f64le(Dateikopf::ymin);
        xmaximal = kopf.f64le(Dateikopf::xmax);
        ymaximal = kopf.f64le(Dateikopf::ymax);

        shxNummer.oeffneLesend(shxName);
        ladeIndex();
        DBanzahl =
            static_cast<std::int32_t>((index_.size() - Dateikopf::laenge) / indexEintragLaenge);

        schreibTyp = AktShapetyp;
        AktZeiger = 0;

        AktDatenbank.oeffne(tempDbfName, codepageVon(begleiter(basisName, "cpg")), dbfName);
        dbeintrag = AktDatenbank.feldAnzahl();
        aufbau_ = DateiAufbau{};
        aufbau_.shpBytes = static_cast<std::int64_t>(shpLaenge_);
        aufbau_.shxBytes = static_cast<std::int64_t>(index_.size());
        aufbau_.tabellenZeilen = AktDatenbank.zeilenAnzahl();
        // A length too large for its field is a damaged header, not a reason to refuse the set.
        try {
            aufbau_.shpKopfBytes = kopf.wortzahl(Dateikopf::fileLength);
        } catch (const FormatFehler&) {
        }
        try {
            aufbau_.shxKopfBytes = leseWortzahl(
                std::span<const std::uint8_t>(index_).subspan(Dateikopf::fileLength, 4));
        } catch (const FormatFehler&) {
        }
        if (DBanzahl > 0)
            AktDatenbank.geheZuLetzter();
    } catch (...) {
        // Nothing of a failed open stays behind, in particular no working copy.
        try {
            schliesseAlles();
        } catch (...) {
        }
        throw;
    }
}

void VunInterface::ladeIndex() {
    const std::uint64_t laenge = shxNummer.groesse();
    if (laenge < Dateikopf::laenge)
        throw FormatFehler("index " + shxName + " is shorter than its 100-byte header (" +
                           zahlText(laenge) + " bytes)");
    if ((laenge - Dateikopf::laenge) / indexEintragLaenge >
        static_cast<std::uint64_t>(std::numeric_limits<std::int32_t>::max()))
        throw FormatFehler("index " + shxName + " holds more records than can be counted");
    index_.resize(static_cast<std::size_t>(laenge));
    index_.resize(shxNummer.liesAb(0, index_));
    if (index_.size() < Dateikopf::laenge)
        throw FormatFehler("index " + shxName + " is shorter than its 100-byte header");
}

bool VunInterface::Shape_Close() {
    return guard(false, [&] { return schliesseAlles(); });
}

bool VunInterface::schliesseAlles() {
    shpNummer.schliesse();
    shxNummer.schliesse();
    schreibend_ = false;
    index_.clear();
    aufbau_ = DateiAufbau{};
    verwirfLesepuffer();
    const bool tabelleOffen = AktDatenbank.offen();
    try {
        AktDatenbank.schliesse();
        // Appended rows live in the working copy until here.
        if (geschrieben && tabelleOffen && !tempDbfName.empty()) {
            geschrieben = false;
            kopiereDatei(tempDbfName, dbfName);
        }
    } catch (...) {
        arbeitskopie_.reset();
        tempDbfName.clear();
        throw;
    }
    if (arbeitskopie_)
        arbeitskopie_->entferne();
    arbeitskopie_.reset();
    tempDbfName.clear();
    if (!tabelleOffen)
        throw std::runtime_error("no attribute table is open");
    return true;
}

bool VunInterface::Shape_Get(std::int32_t zeiger, Punktfeld& punkte,
                             std::vector<std::string>& wname) {
    return guard(false, [&] { return hole(Abruf::Get, zeiger, punkte, wname, nullptr, nullptr); });
}

bool VunInterface::Shape_GetCheck(std::int32_t zeiger, Punktfeld& punkte,
                                  std::vector<std::string>& wname, std::int32_t& vunRing,
                                  std::vector<std::int32_t>& lpp) {
    return guard(false, [&] {
        const bool gelesen = hole(Abruf::GetCheck, zeiger, punkte, wname, &vunRing, &lpp);
        return gelesen && vunRing >= 0;
    });
}

bool VunInterface::hole(Abruf abruf, std::int32_t zeiger, Punktfeld& punkte,
                        std::vector<std::string>& wname, std::int32_t* vunRing,
                        std::vector<std::int32_t>* lpp) {
    // A fetch starts from the one-element arrays; a failed one leaves them so. The part count
    // starts at 0 too, so no stale count outlives a record without parts.
    auto leeren = [&] {
        punkte.aufEinElement();
        wname.assign(1, std::string());
        if (lpp != nullptr)
            lpp->assign(1, 0);
        if (vunRing != nullptr)
            *vunRing = 0;
        gelieferteTeile_.clear();
    };
    leeren();
    try {
        if (!shpNummer.offen() || !shxNummer.offen())
            throw std::runtime_error("no file set is open");

        // The record count comes from the index header's FileLength. The index is held in
        // memory; it is read again when the record lies beyond the copy, since appends may
        // have made it longer.
        const std::uint8_t* eintrag = nullptr;
        std::int64_t anzahl = 0;
        auto suche = [&] {
            const std::int64_t laenge = leseWortzahl(
                std::span<const std::uint8_t>(index_).subspan(Dateikopf::fileLength, 4));
            anzahl = laenge >= static_cast<std::int64_t>(Dateikopf::laenge)
                         ? (laenge - static_cast<std::int64_t>(Dateikopf::laenge)) / 8
                         : 0;
            if (zeiger < 0 || zeiger >= anzahl)
                return;
            const std::size_t stelle =
                Dateikopf::laenge + indexEintragLaenge * static_cast<std::size_t>(zeiger);
            if (stelle + indexEintragLaenge <= index_.size())
                eintrag = index_.data() + stelle;
        };
        suche();
        if (eintrag == nullptr && zeiger >= 0) {
            ladeIndex();
            suche();
        }
        if (eintrag == nullptr) {
            if (zeiger < 0 || zeiger >= anzahl)
                throw std::out_of_range("record index " + std::to_string(zeiger) +
                                        " is out of range (the index counts " +
                                        std::to_string(anzahl) + " records)");
            throw FormatFehler("the index entry lies beyond the end of the index (" +
                               zahlText(index_.size()) + " bytes)");
        }

        const std::int32_t offset = leseWortzahl(std::span<const std::uint8_t>(eintrag, 4));
        AktZeiger = offset;
        if (offset <= 0)
            return true; // a record without a place reads as present and empty
        if (abruf == Abruf::GetCheck && leseGrossenSatz(offset, punkte, *vunRing, *lpp)) {
            holeAttribute(zeiger, wname);
            return true;
        }
        const auto satz = leseSatz(offset);
        const std::int32_t typ = static_cast<std::int32_t>(u32leAus(satz.data() + 8));
        AktRecordTyp = typ;
        ByteReader r(satz.subspan(satzKopfLaenge));
        bool mitPunkten = false;
        try {
            mitPunkten = leseInhalt(abruf, typ, r, punkte, vunRing, lpp);
        } catch (const FormatFehler& f) {
            throw FormatFehler(std::string(shapeTypName(typ)) + " record at byte " +
                               std::to_string(offset) + ": " + f.what());
        }
        if (mitPunkten)
            holeAttribute(zeiger, wname);
        // The window of a large record is not kept while the record is worked on: its points
        // are in `punkte` now, and the next records rarely fit into it anyway.
        if (fenster_.size() > 4 * fensterGroesse) {
            punktListe = {};
            decltype(fenster_)().swap(fenster_);
            verwirfLesepuffer();
        }
        return true;
    } catch (...) {
        leeren();
        throw;
    }
}

std::span<const std::uint8_t> VunInterface::bytesAb(std::uint64_t start, std::uint64_t laenge) {
    std::uint64_t ende = start + laenge;
    if (ende > shpLaenge_)
        shpLaenge_ = shpNummer.groesse(); // the file may have grown since it was last looked at
    ende = std::min(ende, shpLaenge_);
    if (start >= ende)
        return {};
    if (start >= fensterStart_ && ende <= fensterStart_ + fensterLaenge_)
        return std::span<const std::uint8_t>(fenster_.data() + (start - fensterStart_),
                                             static_cast<std::size_t>(ende - start));
    // Records are mostly read in file order: one read fills the window for the next ones too.
    // The window is never larger than what the file holds from `start` on.
    const auto groesse = static_cast<std::size_t>(
        std::min(shpLaenge_ - start, std::max<std::uint64_t>(fensterGroesse, ende - start)));
    if (fenster_.size() < groesse) {
        fenster_.clear(); // its contents are read anew: nothing to copy when it grows
        fenster_.resize(groesse);
    } else if (groesse <= fensterGroesse && fenster_.size() > 4 * fensterGroesse) {
        decltype(fenster_)(groesse).swap(fenster_); // the window of a large record goes
    }
    fensterLaenge_ = 0;
    fensterLaenge_ = shpNummer.liesAb(start, std::span<std::uint8_t>(fenster_.data(), groesse));
    fensterStart_ = start;
    return std::span<const std::uint8_t>(
        fenster_.data(),
        static_cast<std::size_t>(std::min<std::uint64_t>(fensterLaenge_, ende - start)));
}

void VunInterface::verwirfLesepuffer() {
    fensterStart_ = 0;
    fensterLaenge_ = 0;
}

std::span<const std::uint8_t> VunInterface::leseSatz(std::int32_t offset) {
    const auto start = static_cast<std::uint64_t>(offset);
    const auto kopfBytes = bytesAb(start, satzKopfLaenge);
    if (kopfBytes.size() < satzKopfLaenge)
        throw FormatFehler("record header at byte " + std::to_string(offset) +
                           " lies beyond the end of the main file (" + zahlText(shpLaenge_) +
                           " bytes)");
    // The record header's content length bounds the record, and the end of the file bounds it.
    std::int32_t inhalt = 0;
    try {
        inhalt = leseWortzahl(kopfBytes.subspan(4, 4));
    } catch (const FormatFehler&) {
        throw FormatFehler("record at byte " + std::to_string(offset) +
                           ": content length too large");
    }
    if (inhalt < 4)
        throw FormatFehler("record at byte " + std::to_string(offset) + ": content length of " +
                           std::to_string(inhalt) + " bytes cannot hold the shape type");
    const auto satz = bytesAb(start, 8 + static_cast<std::uint64_t>(inhalt));
    if (satz.size() < satzKopfLaenge)
        throw FormatFehler("record at byte " + std::to_string(offset) +
                           " lies beyond the end of the main file");
    return satz;
}

bool VunInterface::leseInhalt(Abruf abruf, std::int32_t typ, ByteReader& r, Punktfeld& punkte,
                              std::int32_t* vunRing, std::vector<std::int32_t>* lpp) {
    const bool pruefen = abruf == Abruf::GetCheck;
    switch (typ) {
    case shapetyp::point:
    case shapetyp::pointZ:
    case shapetyp::pointM: {
        punktListe = r.take(16);
        zWerte.assign(1, 0.0);
        mWerte.assign(1, 0.0);
        if (typ == shapetyp::pointZ)
            zWerte[0] = r.f64le();
        // M is optional: a record that ends before it carries none.
        if (typ != shapetyp::point && r.remaining() >= 8)
            mWerte[0] = r.f64le();
        uebertrage(punkte, typ != shapetyp::point, false);
        teile.assign({0, 1});
        if (pruefen) {
            *vunRing = 1;
            *lpp = teile;
        }
        gelieferteTeile_ = teile;
        return true;
    }
    case shapetyp::polyLine:
    case shapetyp::polyGon:
    case shapetyp::polyLineZ:
    case shapetyp::polyGonZ:
    case shapetyp::polyLineM:
    case shapetyp::polyGonM: {
        if (!leseTeileUndPunkte(r)) {
            // No points: one empty row, no parts, and the table is not touched.
            punkte.groesseAendern(1, 2);
            gelieferteTeile_.assign(1, 0);
            return false;
        }
        const bool mitZ = typ == shapetyp::polyLineZ || typ == shapetyp::polyGonZ;
        const bool mitM = typ == shapetyp::polyLineM || typ == shapetyp::polyGonM;
        if (mitZ) {
            leseWerte(r, zWerte, true);
            leseWerte(r, mWerte, false);
        } else if (mitM) {
            zWerte.assign(punktAnzahl(), 0.0);
            // Read as the type says, right after the points; anything after it is ignored.
            leseWerte(r, mWerte, false);
        }
        const bool linie =
            typ == shapetyp::polyLine || typ == shapetyp::polyLineZ || typ == shapetyp::polyLineM;
        if (pruefen) {
            uebertrage(punkte, mitZ || mitM, true);
            *vunRing = static_cast<std::int32_t>(teile.size() - 1);
            *lpp = teile;
            gelieferteTeile_ = teile;
        } else if (linie) {
            uebertrageLinie(punkte, mitZ || mitM);
        } else {
            uebertrage(punkte, mitZ || mitM, true);
            gelieferteTeile_ = teile;
        }
        return true;
    }
    case shapetyp::multiPoint:
    case shapetyp::multiPointZ:
    case shapetyp::multiPointM: {
        if (pruefen)
            return false; // the check has no reader for multipoints
        r.skip(32);
        const std::int32_t n = r.i32le();
        if (n < 0)
            throw FormatFehler("negative point count " + std::to_string(n));
        if (n == 0) {
            // As a line without points: one empty row, table untouched.
            punkte.groesseAendern(1, 2);
            gelieferteTeile_.assign(1, 0);
            return false;
        }
        lesePunkte(r, static_cast<std::size_t>(n));
        if (typ == shapetyp::multiPoint) {
            uebertrage(punkte, false, false);
        } else {
            if (typ == shapetyp::multiPointZ)
                leseWerte(r, zWerte, true);
            else
                zWerte.assign(punktAnzahl(), 0.0);
            leseWerte(r, mWerte, false);
            uebertrage(punkte, true, true);
        }
        teile.assign({0, n});
        gelieferteTeile_ = teile;
        return true;
    }
    default:
        return false; // null shapes, multipatches and unknown types have no contents
    }
}

bool VunInterface::leseTeileUndPunkte(ByteReader& r) {
    r.skip(32); // the record's box is not kept
    const std::int32_t p = r.i32le();
    const std::int32_t n = r.i32le();
    if (n < 0)
        throw FormatFehler("negative point count " + std::to_string(n));
    if (n == 0) {
        teile.clear();
        punktListe = {};
        return false;
    }
    if (p < 0)
        throw FormatFehler("negative part count " + std::to_string(p));
    if (static_cast<std::size_t>(p) > r.remaining() / 4)
        throw FormatFehler("part count " + std::to_string(p) + " exceeds the record (" +
                           std::to_string(r.remaining()) + " bytes left)");
    leseTeilStarts(r.take(4 * static_cast<std::size_t>(p)), n);
    lesePunkte(r, static_cast<std::size_t>(n));
    return true;
}

void VunInterface::leseTeilStarts(std::span<const std::uint8_t> starts, std::int32_t n) {
    const std::size_t p = starts.size() / 4;
    teile.resize(p + 1);
    // Every part must lie inside the point list and the starts must not descend, or a caller
    // that walks the parts by `lpp` would index outside `punkte`. Equal starts are an empty
    // part: a fault the check reports, not a reason to stop reading.
    for (std::size_t k = 0; k < p; ++k) {
        const auto s = static_cast<std::int32_t>(u32leAus(starts.data() + 4 * k));
        if (s < 0 || s > n)
            throw FormatFehler("part " + std::to_string(k + 1) + " starts at " + std::to_string(s) +
                               ", outside the " + std::to_string(n) + " points");
        if (k > 0 && s < teile[k - 1])
            throw FormatFehler("part starts do not ascend: part " + std::to_string(k + 1) +
                               " starts at " + std::to_string(s) + " after " +
                               std::to_string(teile[k - 1]));
        teile[k] = s;
    }
    teile[p] = n;
}

bool VunInterface::leseGrossenSatz(std::int32_t offset, Punktfeld& punkte, std::int32_t& vunRing,
                                   std::vector<std::int32_t>& lpp) {
    if constexpr (std::endian::native != std::endian::little)
        return false;
    // Record header, shape type, box, part and point count.
    constexpr std::size_t kopfBytes = satzKopfLaenge + 40;
    const auto start = static_cast<std::uint64_t>(offset);
    const auto anfang = bytesAb(start, kopfBytes);
    if (anfang.size() < kopfBytes)
        return false;
    std::int32_t inhalt = 0;
    try {
        inhalt = leseWortzahl(anfang.subspan(4, 4));
    } catch (const FormatFehler&) {
        return false;
    }
    const std::uint64_t ende = start + 8 + static_cast<std::uint64_t>(std::max(inhalt, 0));
    if (ende > shpLaenge_)
        shpLaenge_ = shpNummer.groesse();
    const std::uint64_t rest = std::min(ende, shpLaenge_) - start;
    const auto typ = static_cast<std::int32_t>(u32leAus(anfang.data() + 8));
    if (rest <= fensterGroesse || (typ != shapetyp::polyLine && typ != shapetyp::polyGon))
        return false;
    ByteReader r(anfang.subspan(satzKopfLaenge + 32));
    const std::int32_t p = r.i32le();
    const std::int32_t n = r.i32le();
    // Counts the record cannot hold are named by the general path.
    const std::uint64_t inhaltRest = rest - kopfBytes;
    if (n <= 0 || p < 0 || static_cast<std::uint64_t>(p) > inhaltRest / 4 ||
        static_cast<std::uint64_t>(n) > (inhaltRest - 4 * static_cast<std::uint64_t>(p)) / 16)
        return false;
    const auto startBytes = bytesAb(start + kopfBytes, 4 * static_cast<std::uint64_t>(p));
    if (startBytes.size() < 4 * static_cast<std::size_t>(p))
        return false;
    AktRecordTyp = typ;
    const auto punktBytes = 16 * static_cast<std::size_t>(n);
    try {
        leseTeilStarts(startBytes, n);
        punkte.groesseAendernOhneWerte(static_cast<std::size_t>(n), 2);
        static_assert(sizeof(double) == 8);
        const std::size_t gelesen = shpNummer.liesAb(
            start + kopfBytes + 4 * static_cast<std::uint64_t>(p),
            std::span(reinterpret_cast<std::uint8_t*>(punkte.daten()), punktBytes));
        if (gelesen < punktBytes)
            throw FormatFehler("point count " + std::to_string(n) + " exceeds the record (" +
                               std::to_string(gelesen) + " bytes left)");
    } catch (const FormatFehler& f) {
        throw FormatFehler(std::string(shapeTypName(typ)) + " record at byte " +
                           std::to_string(offset) + ": " + f.what());
    }
    punktListe = {};
    vunRing = static_cast<std::int32_t>(teile.size() - 1);
    lpp = teile;
    gelieferteTeile_ = teile;
    return true;
}

void VunInterface::lesePunkte(ByteReader& r, std::size_t n) {
    if (n > r.remaining() / 16)
        throw FormatFehler("point count " + std::to_string(n) + " exceeds the record (" +
                           std::to_string(r.remaining()) + " bytes left)");
    punktListe = r.take(16 * n);
}

void VunInterface::leseWerte(ByteReader& r, std::vector<double>& ziel, bool pflicht) {
    const std::size_t n = punktAnzahl();
    const bool da = r.remaining() >= 16 && (r.remaining() - 16) / 8 >= n;
    if (!da) {
        if (pflicht)
            throw FormatFehler("the Z values of " + std::to_string(n) +
                               " points exceed the record (" + std::to_string(r.remaining()) +
                               " bytes left)");
        ziel.assign(n, 0.0); // an M block the record does not hold reads as 0
        return;
    }
    r.skip(16); // the range is not kept
    const auto b = r.take(8 * n);
    ziel.resize(n);
    for (std::size_t i = 0; i < n; ++i)
        ziel[i] = f64leAus(b.data() + 8 * i);
}

void VunInterface::uebertrage(Punktfeld& punkte, bool mitZM, bool zmRunden) const {
    const std::size_t n = punktAnzahl();
    const std::size_t spalten = mitZM ? 4 : 2;
    punkte.groesseAendernOhneWerte(n, spalten); // every element is written below
    double* ziel = punkte.daten();
    const std::uint8_t* quelle = punktListe.data();
    for (std::size_t i = 0; i < n; ++i, ziel += spalten, quelle += 16) {
        ziel[0] = f64leAus(quelle);
        ziel[1] = f64leAus(quelle + 8);
        if (mitZM) {
            ziel[2] = zmRunden ? runde9(zWerte[i]) : zWerte[i];
            ziel[3] = zmRunden ? runde9(mWerte[i]) : mWerte[i];
        }
    }
}

// Shape_Get joins the parts of a line: a part whose first point is met by the last point of a
// later part swaps with the part after it, so that connected parts tend to follow each other.
// Points match when their X and Y texts with three decimals are equal. The points are then
// copied part after part in that order; `teile` keeps the file order. Points before the first
// part start belong to no part and come first, so that every row of `punkte` is filled.
void VunInterface::uebertrageLinie(Punktfeld& punkte, bool mitZM) {
    struct Teil {
        std::int32_t start;
        std::int32_t ende;
        std::string anfangX, anfangY, schlussX, schlussY;
        bool leer; // a part without points has no ends to match
    };
    const std::size_t anzahl = teile.size() - 1;
    std::vector<Teil> tabelle;
    tabelle.reserve(anzahl);
    for (std::size_t k = 0; k < anzahl; ++k) {
        const std::int32_t start = teile[k];
        const std::int32_t ende = teile[k + 1] - 1;
        if (ende < start) {
            tabelle.push_back(Teil{start, ende, "", "", "", "", true});
            continue;
        }
        const auto a = static_cast<std::size_t>(start);
        const auto e = static_cast<std::size_t>(ende);
        tabelle.push_back(Teil{start, ende, formatZahl(punktX(a), "0.000"),
                               formatZahl(punktY(a), "0.000"), formatZahl(punktX(e), "0.000"),
                               formatZahl(punktY(e), "0.000"), false});
    }
    bool fertig = false;
    for (std::size_t k = 0; !fertig && k + 1 < anzahl; ++k) {
        std::size_t m = k + 1;
        for (;;) {
            bool getroffen = false;
            for (std::size_t j = k + 1; j < anzahl && !getroffen; ++j)
                getroffen = !tabelle[j].leer && !tabelle[k].leer &&
                            tabelle[j].schlussX == tabelle[k].anfangX &&
                            tabelle[j].schlussY == tabelle[k].anfangY;
            if (!getroffen)
                break;
            if (m == anzahl) {
                fertig = true;
                break;
            }
            std::swap(tabelle[k], tabelle[m]);
            ++m;
        }
    }

    const std::size_t n = punktAnzahl();
    const std::size_t spalten = mitZM ? 4 : 2;
    punkte.groesseAendern(n, spalten);
    gelieferteTeile_.clear();
    std::size_t zeile = 0;
    auto kopiere = [&](std::size_t von, std::size_t bis) {
        for (std::size_t i = von; i <= bis; ++i, ++zeile) {
            punkte(zeile, 0) = punktX(i);
            punkte(zeile, 1) = punktY(i);
            if (mitZM) {
                punkte(zeile, 2) = zWerte[i];
                punkte(zeile, 3) = mWerte[i];
            }
        }
    };
    const std::size_t vorlauf = anzahl == 0 ? n : static_cast<std::size_t>(teile[0]);
    if (vorlauf > 0)
        kopiere(0, vorlauf - 1);
    for (const auto& t : tabelle) {
        gelieferteTeile_.push_back(static_cast<std::int32_t>(zeile));
        if (!t.leer)
            kopiere(static_cast<std::size_t>(t.start), static_cast<std::size_t>(t.ende));
    }
    gelieferteTeile_.push_back(static_cast<std::int32_t>(n));
}

void VunInterface::holeAttribute(std::int32_t zeiger, std::vector<std::string>& wname) {
    wname.assign(static_cast<std::size_t>(std::max(dbeintrag, 0)), std::string());
    // A table shorter than the shapefile gives the records without a row empty texts: their
    // geometry is still delivered and checked.
    if (!AktDatenbank.offen() || zeiger >= AktDatenbank.zeilenAnzahl())
        return;
    AktDatenbank.bewege(zeiger - AktDatenbank.position());
    for (std::size_t k = 0; k < wname.size(); ++k)
        wname[k] = AktDatenbank.feldWertText(static_cast<int>(k));
}

std::vector<std::string> VunInterface::Shape_GetGespeichert(std::int32_t zeiger) {
    return guard(std::vector<std::string>(), [&] {
        std::vector<std::string> werte(static_cast<std::size_t>(std::max(dbeintrag, 0)));
        if (!AktDatenbank.offen() || zeiger < 0 || zeiger >= AktDatenbank.zeilenAnzahl())
            return werte;
        AktDatenbank.bewege(zeiger - AktDatenbank.position());
        for (std::size_t k = 0; k < werte.size(); ++k)
            werte[k] = AktDatenbank.feldWertGenau(static_cast<int>(k));
        return werte;
    });
}

std::string VunInterface::Shape_GetInfoHeader() {
    return guard(std::string(), [&] { return infoKopf(); });
}

std::string VunInterface::infoKopf() const {
    std::string text;
    auto zeile = [&](const std::string& inhalt) {
        text += inhalt;
        text += "\r\n";
    };
    zeile("FileCode:   " + hex4(kopf.wortzahl(Dateikopf::fileCode)) + " (Byte 1-4)");
    for (std::size_t k = 0; k < 5; ++k) {
        const std::size_t stelle = Dateikopf::unused0 + 4 * k;
        zeile("Unused " + std::to_string(k) + ":   " + hex4(kopf.wortzahl(stelle)) + " (Byte " +
              std::to_string(stelle + 1) + "-" + std::to_string(stelle + 4) + ")");
    }
    const std::int32_t laenge = kopf.wortzahl(Dateikopf::fileLength);
    zeile("FileLength: " + hex4(laenge) + " (Byte 25-28)");
    zeile("FileLength ->" + formatZahl(laenge, "0") + " Byte ");
    zeile("Version:    " + hex4(kopf.i32le(Dateikopf::version)) + " (Byte 29-32)");
    zeile("ShapeType:  " + hex4(kopf.i32le(Dateikopf::shapeType)) + " (Byte 33-36)");
    const std::pair<const char*, std::size_t> werte[] = {
        {"Xmin:       ", Dateikopf::xmin}, {"Ymin:       ", Dateikopf::ymin},
        {"Xmax:       ", Dateikopf::xmax}, {"Ymax:       ", Dateikopf::ymax},
        {"Zmin:       ", Dateikopf::zmin}, {"Zmax:       ", Dateikopf::zmax},
        {"Mmin:       ", Dateikopf::mmin}, {"Mmax:       ", Dateikopf::mmax}};
    for (const auto& [name, stelle] : werte)
        zeile(name + formatZahl(kopf.f64le(stelle), "0.000"));
    return text;
}

std::string VunInterface::vunDirTest(const std::string& pfadname, std::int16_t optV) {
    return guard(std::string(), [&] { return dateiSuchen(pfadname, optV); });
}

} // namespace trelvik
