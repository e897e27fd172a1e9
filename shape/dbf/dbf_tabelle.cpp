#include "shape/dbf/dbf_tabelle.h"

#include "app/texte.h"
#include "shape/little_endian.h"

#include <shapefil.h>
#include <algorithm>
#include <cstdint>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>

namespace trelvik {

namespace {

// --- The engine's hooks ---------------------------------------------------------------------

// shapelib reports through a callback and would print to stderr; the text goes into our reason.
thread_local std::string engineMeldung;
// shapelib derives every file name from the one it is given (dropping any extension, trying
// ".dbf" and ".DBF", looking for a ".cpg"). The table is opened at exactly our path instead.
thread_local const char* genauerPfad = nullptr;
// The rows a header claims beyond the end of a cut file are not there. The engine trusts the
// header's count, so it is shown the count of the rows present instead; the file keeps its
// bytes until the engine writes the header itself.
thread_local std::optional<std::uint32_t> zeilenFuerEngine;

void merkeMeldung(const char* meldung) {
    engineMeldung = meldung != nullptr ? meldung : "";
}

// Creating a table would delete a ".cpg" of the same name beside it; that file is not ours.
int entferneNichts(const char*) {
    return 0;
}

// A table file as the engine sees it. The engine seeks to every row and reads it alone; here
// reads are served from a block of rows read at once, and every write goes straight to the
// file and drops the block, so what the engine reads is always what the file holds.
struct TabellenDatei {
    std::FILE* f = nullptr;
    std::vector<char> block;
    std::uint64_t blockStart = 0;
    std::size_t blockLaenge = 0;
    std::uint64_t pos = 0;
    std::optional<std::uint32_t> zeilenImKopf;
};

constexpr std::uint64_t zeilenOrt = 4; // the header's row count, 4 bytes

// Replaces the row count in bytes just read from [von, von + n).
void zeigeZeilen(const TabellenDatei& d, std::uint64_t von, std::size_t n, char* ziel) {
    if (!d.zeilenImKopf)
        return;
    std::uint8_t zahl[4];
    setzeLe32(zahl, *d.zeilenImKopf);
    for (std::uint64_t k = zeilenOrt; k < zeilenOrt + 4; ++k)
        if (k >= von && k < von + n)
            ziel[k - von] = static_cast<char>(zahl[k - zeilenOrt]);
}

constexpr std::size_t blockGroesse = std::size_t{1} << 16;

TabellenDatei* alsDatei(SAFile f) {
    return reinterpret_cast<TabellenDatei*>(f);
}

SAFile oeffneGenau(const char* name, const char* zugriff) {
    const std::string_view n(name);
    if (genauerPfad == nullptr || n.ends_with(".cpg") || n.ends_with(".CPG"))
        return nullptr;
    std::FILE* f = std::fopen(genauerPfad, zugriff);
    if (f == nullptr)
        return nullptr;
    auto* d = new TabellenDatei;
    d->f = f;
    d->zeilenImKopf = zeilenFuerEngine;
    return reinterpret_cast<SAFile>(d);
}

SAOffset liesDatei(void* p, SAOffset groesse, SAOffset anzahl, SAFile datei) {
    TabellenDatei* d = alsDatei(datei);
    if (groesse == 0 || anzahl > SIZE_MAX / groesse)
        return 0;
    const std::size_t gewollt = static_cast<std::size_t>(groesse * anzahl);
    auto* ziel = static_cast<char*>(p);
    const std::uint64_t von = d->pos;
    std::size_t gelesen = 0;
    while (gelesen < gewollt) {
        if (d->pos < d->blockStart || d->pos >= d->blockStart + d->blockLaenge) {
            if (gewollt - gelesen >= blockGroesse) {
                // Large reads pass the block by.
                if (std::fseek(d->f, static_cast<long>(d->pos), SEEK_SET) != 0)
                    break;
                const std::size_t n = std::fread(ziel + gelesen, 1, gewollt - gelesen, d->f);
                gelesen += n;
                d->pos += n;
                break;
            }
            d->block.resize(blockGroesse);
            d->blockLaenge = 0;
            d->blockStart = d->pos;
            if (std::fseek(d->f, static_cast<long>(d->pos), SEEK_SET) != 0)
                break;
            d->blockLaenge = std::fread(d->block.data(), 1, blockGroesse, d->f);
            if (d->blockLaenge == 0)
                break;
        }
        const std::size_t imBlock = static_cast<std::size_t>(d->pos - d->blockStart);
        const std::size_t n = std::min(gewollt - gelesen, d->blockLaenge - imBlock);
        std::memcpy(ziel + gelesen, d->block.data() + imBlock, n);
        gelesen += n;
        d->pos += n;
    }
    zeigeZeilen(*d, von, gelesen, ziel);
    return static_cast<SAOffset>(gelesen / groesse);
}

SAOffset schreibeDatei(void* p, SAOffset groesse, SAOffset anzahl, SAFile datei) {
    TabellenDatei* d = alsDatei(datei);
    d->blockLaenge = 0;
    if (d->pos < zeilenOrt + 4 && d->pos + groesse * anzahl > zeilenOrt)
        d->zeilenImKopf.reset(); // the engine writes its own count
    if (std::fseek(d->f, static_cast<long>(d->pos), SEEK_SET) != 0)
        return 0;
    const std::size_t n = std::fwrite(p, static_cast<std::size_t>(groesse),
                                      static_cast<std::size_t>(anzahl), d->f);
    d->pos += n * groesse;
    return static_cast<SAOffset>(n);
}

SAOffset sucheDatei(SAFile datei, SAOffset stelle, int woher) {
    TabellenDatei* d = alsDatei(datei);
    if (woher == SEEK_SET) {
        d->pos = stelle;
        return 0;
    }
    if (woher == SEEK_CUR) {
        d->pos += stelle;
        return 0;
    }
    if (std::fseek(d->f, static_cast<long>(stelle), woher) != 0)
        return static_cast<SAOffset>(-1);
    const long ort = std::ftell(d->f);
    if (ort < 0)
        return static_cast<SAOffset>(-1);
    d->pos = static_cast<std::uint64_t>(ort);
    return 0;
}

SAOffset zeigeDatei(SAFile datei) {
    return static_cast<SAOffset>(alsDatei(datei)->pos);
}

int leereDatei(SAFile datei) {
    return std::fflush(alsDatei(datei)->f);
}

int schliesseDatei(SAFile datei) {
    TabellenDatei* d = alsDatei(datei);
    const int ergebnis = std::fclose(d->f);
    delete d;
    return ergebnis;
}

SAHooks haken() {
    SAHooks h;
    SASetupDefaultHooks(&h);
    h.FOpen = oeffneGenau;
    h.FRead = liesDatei;
    h.FWrite = schreibeDatei;
    h.FSeek = sucheDatei;
    h.FTell = zeigeDatei;
    h.FFlush = leereDatei;
    h.FClose = schliesseDatei;
    h.Error = merkeMeldung;
    h.Remove = entferneNichts;
    return h;
}

// Sets the exact path for the duration of one engine call that opens files.
class GenauerPfad {
public:
    explicit GenauerPfad(const std::string& pfad,
                         std::optional<std::uint32_t> zeilen = std::nullopt) {
        genauerPfad = pfad.c_str();
        zeilenFuerEngine = zeilen;
        engineMeldung.clear();
    }
    ~GenauerPfad() {
        genauerPfad = nullptr;
        zeilenFuerEngine.reset();
    }
    GenauerPfad(const GenauerPfad&) = delete;
    GenauerPfad& operator=(const GenauerPfad&) = delete;
};

// The engine's own message, if any, after ours; the path it was given is shown as `name`.
std::string mitMeldung(std::string text, const std::string& pfad = {},
                       const std::string& name = {}) {
    if (!engineMeldung.empty()) {
        std::string meldung = engineMeldung;
        for (auto ort = pfad.empty() ? std::string::npos : meldung.find(pfad);
             ort != std::string::npos; ort = meldung.find(pfad, ort + name.size()))
            meldung.replace(ort, pfad.size(), name);
        text += " (" + meldung + ")";
    }
    engineMeldung.clear();
    return text;
}

// Field names compare without regard to case, as the engine looks them up.
std::string grossbuchstaben(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

} // namespace

// --- The table -------------------------------------------------------------------------------

struct DbfTabelle::Zustand {
    DBFHandle h = nullptr;
    Zeichensatz zeichen;
    std::vector<DbfFeld> felder;
    std::vector<int> versatz; // byte offset of each field within a row
    int satzLaenge = 0;
    int zeilen = 0;
    int pos = 0;

    explicit Zustand(Zeichensatz z) : zeichen(std::move(z)) {}
    ~Zustand() {
        if (h != nullptr)
            DBFClose(h);
    }
    Zustand(const Zustand&) = delete;
    Zustand& operator=(const Zustand&) = delete;

    // A row as the engine lays it out: the deletion flag, then the fields in file order. A
    // table read from a file may have a longer row than its fields need.
    void lageBerechnen(int satzLaengeImKopf) {
        versatz.clear();
        int ort = 1;
        for (const DbfFeld& f : felder) {
            versatz.push_back(ort);
            ort += f.laenge;
        }
        satzLaenge = std::max(ort, satzLaengeImKopf);
    }
};

DbfTabelle::DbfTabelle() = default;
DbfTabelle::~DbfTabelle() = default;

void DbfTabelle::oeffne(const std::string& pfad, const std::string& codepage,
                        const std::string& nutzerName) {
    schliesse();
    const std::string& datei = nutzerName.empty() ? pfad : nutzerName;
    const DbfKopf kopf = pruefeKopf(pfad, datei);
    auto z = std::make_unique<Zustand>(Zeichensatz(codepage));
    SAHooks h = haken();
    {
        const GenauerPfad genau(pfad, static_cast<std::uint32_t>(kopf.zeilen));
        const char* zugriff = ::access(pfad.c_str(), W_OK) == 0 ? "rb+" : "rb";
        z->h = DBFOpenLL(pfad.c_str(), zugriff, &h);
    }
    if (z->h == nullptr)
        throw std::runtime_error(mitMeldung("cannot open " + datei + " as a dBase table", pfad, datei));
    if (DBFGetFieldCount(z->h) != static_cast<int>(kopf.felder.size()))
        throw std::runtime_error(datei + " is not a dBase table: the field count is inconsistent");
    if (DBFGetRecordCount(z->h) != kopf.zeilen)
        throw std::runtime_error(datei + " is not a dBase table: the row count is inconsistent");

    for (const FeldBeschreibung& b : kopf.felder) {
        DbfFeld f;
        f.name = trimmen(z->zeichen.dekodiere(b.nameBytes, false));
        f.typ = b.typ;
        f.laenge = b.laenge;
        f.dezimalen = f.typ == 'N' || f.typ == 'F' ? b.dezimalen : 0;
        z->felder.push_back(std::move(f));
    }
    z->zeilen = kopf.zeilen;
    z->lageBerechnen(kopf.satzLaenge);
    z_ = std::move(z);
}

void DbfTabelle::legeAn(const std::string& pfad, const std::vector<DbfFeld>& felder,
                        const std::string& nutzerName) {
    schliesse();
    const std::string& datei = nutzerName.empty() ? pfad : nutzerName;
    if (felder.empty())
        throw std::runtime_error("cannot create " + datei + ": a table needs at least one field");
    auto z = std::make_unique<Zustand>(Zeichensatz("1252"));

    std::vector<std::string> namen; // as written: Windows-1252, at most 10 bytes
    for (const DbfFeld& f : felder) {
        const auto falsch = [&](const std::string& grund) {
            return std::runtime_error("cannot create " + datei + ": field \"" + f.name + "\" " +
                                      grund);
        };
        DbfFeld a;
        a.typ = f.typ;
        a.laenge = f.laenge;
        switch (f.typ) {
        case 'C':
            if (f.laenge < 1 || f.laenge > 254)
                throw falsch("has a text length outside 1 to 254");
            break;
        case 'N':
        case 'F':
            a.typ = 'N';
            if (f.laenge < 1 || f.laenge > XBASE_FLD_MAX_WIDTH)
                throw falsch("has a number length outside 1 to 255");
            if (f.dezimalen < 0 || (f.dezimalen > 0 && f.dezimalen >= f.laenge))
                throw falsch("has more decimals than its length allows");
            a.dezimalen = f.dezimalen;
            break;
        case 'D':
            a.laenge = 8;
            break;
        case 'L':
            a.laenge = 1;
            break;
        default:
            throw falsch("has the unsupported type '" + std::string(1, f.typ) + "'");
        }
        const std::string name = z->zeichen.kodiere(f.name, XBASE_FLDNAME_LEN_WRITE);
        if (trimmen(name).empty())
            throw falsch("has no name");
        for (const std::string& frueher : namen)
            if (grossbuchstaben(frueher) == grossbuchstaben(name))
                throw falsch("has the name of an earlier field");
        namen.push_back(name);
        a.name = z->zeichen.dekodiere(name, false);
        z->felder.push_back(std::move(a));
    }

    SAHooks h = haken();
    {
        const GenauerPfad genau(pfad);
        errno = 0;
        z->h = DBFCreateLL(pfad.c_str(), "LDID/87", &h); // 0x57: Windows ANSI
    }
    if (z->h == nullptr)
        throw std::runtime_error(
            mitMeldung("cannot create " + datei + ": " + std::strerror(errno), pfad, datei));
    for (std::size_t j = 0; j < z->felder.size(); ++j) {
        const DbfFeld& a = z->felder[j];
        DBFFieldType typ = FTString;
        if (a.typ == 'N')
            typ = a.dezimalen > 0 ? FTDouble : FTInteger;
        else if (a.typ == 'D')
            typ = FTDate;
        else if (a.typ == 'L')
            typ = FTLogical;
        if (DBFAddField(z->h, namen[j].c_str(), typ, a.laenge, a.dezimalen) < 0)
            throw std::runtime_error(
                mitMeldung("cannot create " + datei + ": field \"" + a.name + "\" was refused",
                           pfad, datei));
    }
    // Written now, so the empty table is complete on disk before the first row.
    DBFUpdateHeader(z->h);
    z->lageBerechnen(0);
    z_ = std::move(z);
}

void DbfTabelle::schliesse() {
    z_.reset();
}

bool DbfTabelle::offen() const {
    return z_ != nullptr;
}

int DbfTabelle::feldAnzahl() const {
    return z_ ? static_cast<int>(z_->felder.size()) : 0;
}

const DbfFeld& DbfTabelle::feld(int j) const {
    if (!z_ || j < 0 || j >= feldAnzahl())
        throw std::out_of_range("there is no field " + std::to_string(j));
    return z_->felder[static_cast<std::size_t>(j)];
}

int DbfTabelle::zeilenAnzahl() const {
    return z_ ? z_->zeilen : 0;
}

int DbfTabelle::position() const {
    return z_ ? z_->pos : 0;
}

void DbfTabelle::bewege(int zeilen) {
    if (!z_)
        throw std::runtime_error("the attribute table is not open");
    const long long ziel = static_cast<long long>(z_->pos) + zeilen;
    // An empty table has one position, 0, which stands for no row.
    const bool drin = z_->zeilen == 0 ? ziel == 0 : ziel >= 0 && ziel < z_->zeilen;
    if (!drin)
        throw std::runtime_error("row " + std::to_string(ziel) + " is outside the table of " +
                                 std::to_string(z_->zeilen) + " rows");
    z_->pos = static_cast<int>(ziel);
}

void DbfTabelle::geheZuLetzter() {
    if (!z_)
        throw std::runtime_error("the attribute table is not open");
    z_->pos = z_->zeilen > 0 ? z_->zeilen - 1 : 0;
}

std::optional<std::string_view> DbfTabelle::rohWert(int j) const {
    if (!z_ || j < 0 || j >= feldAnzahl() || z_->zeilen == 0)
        return std::nullopt;
    const DbfFeld& f = z_->felder[static_cast<std::size_t>(j)];
    const char* satz = DBFReadTuple(z_->h, z_->pos);
    if (satz == nullptr)
        throw std::runtime_error(mitMeldung("cannot read row " + std::to_string(z_->pos)));
    // The row is loaded now; the engine's NULL test reads the same buffer.
    if (DBFIsAttributeNULL(z_->h, z_->pos, j))
        return std::nullopt;
    std::string_view roh(satz + z_->versatz[static_cast<std::size_t>(j)],
                         static_cast<std::size_t>(f.laenge));
    // The engine hands texts over as C strings: a NUL ends the value.
    return roh.substr(0, roh.find('\0'));
}

std::string DbfTabelle::feldWertText(int j) const {
    const auto roh = rohWert(j);
    return roh ? feldText(z_->felder[static_cast<std::size_t>(j)], *roh, z_->zeichen) : "";
}

std::string DbfTabelle::feldWertGenau(int j) const {
    const auto roh = rohWert(j);
    return roh ? trelvik::feldWertGenau(z_->felder[static_cast<std::size_t>(j)], *roh, z_->zeichen)
               : "";
}

void DbfTabelle::haengeAn(const std::vector<Wert>& werte) {
    if (!z_)
        throw std::runtime_error("the attribute table is not open");
    if (z_->zeilen == INT_MAX)
        throw std::runtime_error("the attribute table is full");
    std::string satz(static_cast<std::size_t>(z_->satzLaenge), ' ');
    const Wert leer;
    for (std::size_t j = 0; j < z_->felder.size(); ++j) {
        const DbfFeld& f = z_->felder[j];
        const std::string inhalt = feldInhalt(f, j < werte.size() ? werte[j] : leer, z_->zeichen);
        satz.replace(static_cast<std::size_t>(z_->versatz[j]), inhalt.size(), inhalt);
    }
    engineMeldung.clear();
    if (!DBFWriteTuple(z_->h, z_->zeilen, satz.data()))
        throw std::runtime_error(
            mitMeldung("cannot append row " + std::to_string(z_->zeilen) + " to the table"));
    ++z_->zeilen;
    z_->pos = z_->zeilen - 1;
}

} // namespace trelvik
