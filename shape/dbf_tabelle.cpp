#include "shape/dbf_tabelle.h"

#include "app/zahlen.h"
#include "shape/dbf_codepage.h"

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
};

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
    return reinterpret_cast<SAFile>(d);
}

SAOffset liesDatei(void* p, SAOffset groesse, SAOffset anzahl, SAFile datei) {
    TabellenDatei* d = alsDatei(datei);
    if (groesse == 0 || anzahl > SIZE_MAX / groesse)
        return 0;
    const std::size_t gewollt = static_cast<std::size_t>(groesse * anzahl);
    auto* ziel = static_cast<char*>(p);
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
    return static_cast<SAOffset>(gelesen / groesse);
}

SAOffset schreibeDatei(void* p, SAOffset groesse, SAOffset anzahl, SAFile datei) {
    TabellenDatei* d = alsDatei(datei);
    d->blockLaenge = 0;
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
    explicit GenauerPfad(const std::string& pfad) {
        genauerPfad = pfad.c_str();
        engineMeldung.clear();
    }
    ~GenauerPfad() { genauerPfad = nullptr; }
    GenauerPfad(const GenauerPfad&) = delete;
    GenauerPfad& operator=(const GenauerPfad&) = delete;
};

std::string mitMeldung(std::string text) {
    if (!engineMeldung.empty())
        text += " (" + engineMeldung + ")";
    engineMeldung.clear();
    return text;
}

// --- Checking the header before the engine sees it ------------------------------------------

struct Kopf {
    int felder = 0;
    int zeilen = 0; // rows actually present in the file
};

std::uint32_t u16le(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8;
}
std::uint32_t u32le(const unsigned char* p) {
    return u16le(p) | std::uint32_t{p[2]} << 16 | std::uint32_t{p[3]} << 24;
}

bool bekannteVersion(unsigned char b) {
    // dBase III and IV (with or without memo) and FoxPro share the 32-byte field descriptors;
    // dBase 7 (level 4) does not.
    return (b & 0x07) == 3 || b == 0x02 || b == 0x30 || b == 0x31 || b == 0x32 || b == 0xF5;
}

std::string hex2(unsigned b) {
    char puffer[8];
    std::snprintf(puffer, sizeof puffer, "0x%02X", b & 0xFFu);
    return puffer;
}

Kopf pruefeKopf(const std::string& pfad) {
    std::error_code fehler;
    const auto status = std::filesystem::status(pfad, fehler);
    if (fehler || !std::filesystem::exists(status))
        throw std::runtime_error("cannot open " + pfad + ": no such file");
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error(pfad + " is not a file");
    const std::uintmax_t groesse = std::filesystem::file_size(pfad, fehler);
    std::ifstream datei(pfad, std::ios::binary);
    if (fehler || !datei)
        throw std::runtime_error("cannot open " + pfad + ": " + std::strerror(errno));
    const auto keineTabelle = [&](const std::string& grund) {
        return std::runtime_error(pfad + " is not a dBase table: " + grund);
    };

    if (groesse < 32)
        throw keineTabelle("the file is shorter than a table header");
    unsigned char k[32];
    if (!datei.read(reinterpret_cast<char*>(k), sizeof k))
        throw std::runtime_error("cannot read " + pfad);
    if (!bekannteVersion(k[0]))
        throw keineTabelle("unknown version byte " + hex2(k[0]));
    const std::uint32_t kopfLaenge = u16le(k + 8);
    const std::uint32_t satzLaenge = u16le(k + 10);
    if (kopfLaenge < 33)
        throw keineTabelle("the header length " + std::to_string(kopfLaenge) + " is too short");
    if (kopfLaenge > groesse)
        throw keineTabelle("the header claims " + std::to_string(kopfLaenge) +
                           " bytes but the file has " + std::to_string(groesse));
    if (satzLaenge == 0)
        throw keineTabelle("the record length is 0");

    std::vector<unsigned char> beschreibung(kopfLaenge - 32);
    if (!datei.read(reinterpret_cast<char*>(beschreibung.data()),
                    static_cast<std::streamsize>(beschreibung.size())))
        throw std::runtime_error("cannot read " + pfad);
    // Field descriptors of 32 bytes each, ended by 0x0D. A header filled exactly by descriptors
    // is accepted without the terminator; anything else left over is not a table.
    Kopf kopf;
    std::uint32_t breiten = 1; // the deletion flag
    std::size_t ort = 0;
    while (ort + 32 <= beschreibung.size() && beschreibung[ort] != 0x0D) {
        const unsigned char typ = beschreibung[ort + 11];
        if (typ <= 0x20 || typ >= 0x7F)
            throw keineTabelle("field " + std::to_string(kopf.felder + 1) +
                               " has the invalid type byte " + hex2(typ));
        breiten += beschreibung[ort + 16];
        ++kopf.felder;
        ort += 32;
    }
    if (ort < beschreibung.size() && beschreibung[ort] != 0x0D)
        throw keineTabelle("the field descriptors do not end where the header says");
    if (breiten > satzLaenge)
        throw keineTabelle("the fields need " + std::to_string(breiten) +
                           " bytes but a record has " + std::to_string(satzLaenge));

    // A truncated file keeps the rows it has; no read goes past its end.
    const std::uintmax_t vorhanden = (groesse - kopfLaenge) / satzLaenge;
    std::uintmax_t zeilen = u32le(k + 4);
    if (zeilen > vorhanden)
        zeilen = vorhanden;
    if (zeilen > INT_MAX)
        zeilen = INT_MAX;
    kopf.zeilen = static_cast<int>(zeilen);
    return kopf;
}

// --- Text form of a value --------------------------------------------------------------------

std::string_view ohneBlanks(std::string_view s) {
    const auto anfang = s.find_first_not_of(' ');
    if (anfang == std::string_view::npos)
        return {};
    return s.substr(anfang, s.find_last_not_of(' ') - anfang + 1);
}

bool nurZiffern(std::string_view s) {
    if (s.empty())
        return false;
    for (const char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// The leading number of a numeric field. Some writers put a decimal comma; it is read as a point.
std::optional<double> zahlAusFeld(std::string_view text) {
    std::string s(ohneBlanks(text));
    if (s.find('.') == std::string::npos) {
        const auto komma = s.find(',');
        if (komma != std::string::npos)
            s[komma] = '.';
    }
    std::size_t anfang = 0;
    if (!s.empty() && s[0] == '+')
        anfang = 1;
    double wert = 0;
    const auto [ende, fehler] =
        std::from_chars(s.data() + anfang, s.data() + s.size(), wert, std::chars_format::general);
    (void)ende;
    if (fehler != std::errc() || !std::isfinite(wert))
        return std::nullopt;
    return wert;
}

// A whole number is taken digit by digit, so a wide column keeps every digit a double would lose.
std::string ganzzahlText(std::string_view text) {
    std::string_view t = ohneBlanks(text);
    bool negativ = false;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        negativ = t[0] == '-';
        t.remove_prefix(1);
    }
    if (nurZiffern(t)) {
        const auto erste = t.find_first_not_of('0');
        if (erste == std::string_view::npos)
            return "0";
        return (negativ ? "-" : "") + std::string(t.substr(erste));
    }
    const auto wert = zahlAusFeld(text);
    return wert ? formatZahl(*wert, "0") : "";
}

bool gueltigesDatum(int jahr, int monat, int tag) {
    static constexpr int tage[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (jahr < 1 || monat < 1 || monat > 12 || tag < 1)
        return false;
    const bool schalt = (jahr % 4 == 0 && jahr % 100 != 0) || jahr % 400 == 0;
    return tag <= tage[monat - 1] + (monat == 2 && schalt ? 1 : 0);
}

int zahlVon(std::string_view ziffern) {
    int n = 0;
    for (const char c : ziffern)
        n = n * 10 + (c - '0');
    return n;
}

std::string datumText(std::string_view text) {
    const std::string_view t = ohneBlanks(text);
    if (t.size() != 8 || !nurZiffern(t))
        return "";
    if (!gueltigesDatum(zahlVon(t.substr(0, 4)), zahlVon(t.substr(4, 2)), zahlVon(t.substr(6, 2))))
        return "";
    return std::string(t.substr(6, 2)) + "." + std::string(t.substr(4, 2)) + "." +
           std::string(t.substr(0, 4));
}

std::string logischText(std::string_view text) {
    const std::string_view t = ohneBlanks(text);
    if (t.empty())
        return "";
    switch (t[0]) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
    case 'J':
    case 'j':
    case 'W':
    case 'w':
        return "-1";
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return "0";
    default:
        return "";
    }
}

// Field names compare without regard to case, as the engine looks them up.
std::string grossbuchstaben(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// --- Field contents for a new row ------------------------------------------------------------

std::string zahlMuster(int dezimalen) {
    return dezimalen > 0 ? "0." + std::string(static_cast<std::size_t>(dezimalen), '0') : "0";
}

// "20031224", or "24.12.2003" as the text form reads; anything else is no date.
std::string datumWert(const DbfTabelle::Wert& wert) {
    std::string t;
    if (wert.art == DbfTabelle::Wert::Art::Zahl)
        t = std::isfinite(wert.zahl) ? formatZahl(wert.zahl, "0") : "";
    else if (wert.art == DbfTabelle::Wert::Art::Text)
        t = std::string(ohneBlanks(wert.text));
    if (t.size() == 8 && nurZiffern(t))
        return datumText(t).empty() ? "" : t;
    const auto p1 = t.find('.');
    const auto p2 = t.rfind('.');
    if (p1 == std::string::npos || p2 == p1)
        return "";
    const std::string_view tag = std::string_view(t).substr(0, p1);
    const std::string_view monat = std::string_view(t).substr(p1 + 1, p2 - p1 - 1);
    const std::string_view jahr = std::string_view(t).substr(p2 + 1);
    if (!nurZiffern(tag) || !nurZiffern(monat) || jahr.size() != 4 || !nurZiffern(jahr) ||
        tag.size() > 2 || monat.size() > 2)
        return "";
    if (!gueltigesDatum(zahlVon(jahr), zahlVon(monat), zahlVon(tag)))
        return "";
    return std::string(jahr) + (monat.size() == 1 ? "0" : "") + std::string(monat) +
           (tag.size() == 1 ? "0" : "") + std::string(tag);
}

char logischWert(const DbfTabelle::Wert& wert) {
    if (wert.art == DbfTabelle::Wert::Art::Zahl)
        return std::isnan(wert.zahl) ? '?' : (wert.zahl != 0 ? 'T' : 'F');
    if (wert.art == DbfTabelle::Wert::Art::Leer)
        return '?';
    const std::string t = logischText(wert.text);
    if (!t.empty())
        return t == "-1" ? 'T' : 'F';
    const auto zahl = zahlAusFeld(wert.text);
    return zahl ? (*zahl != 0 ? 'T' : 'F') : '?';
}

// Exactly `feld.laenge` bytes for the field. An empty value is the engine's NULL; a number that
// does not fit its column is filled with '*' (also NULL), never cut into another number.
std::string feldInhalt(const DbfFeld& feld, const DbfTabelle::Wert& wert,
                       const Zeichensatz& zeichen) {
    using Art = DbfTabelle::Wert::Art;
    const auto laenge = static_cast<std::size_t>(feld.laenge);
    const auto gefuellt = [&](char c) { return std::string(laenge, c); };
    const auto links = [&](std::string s) {
        s.resize(laenge, ' ');
        return s;
    };
    switch (feld.typ) {
    case 'C': {
        if (wert.art == Art::Leer)
            return gefuellt(' ');
        const std::string text =
            wert.art == Art::Text ? wert.text : formatZahl(wert.zahl, "0.###############");
        return links(zeichen.kodiere(text, laenge));
    }
    case 'N':
    case 'F': {
        std::optional<double> zahl;
        if (wert.art == Art::Zahl) {
            zahl = wert.zahl;
        } else if (wert.art == Art::Text && !ohneBlanks(wert.text).empty()) {
            std::string text = wert.text; // textZuZahl reads a decimal comma in place
            zahl = textZuZahl(text);
        }
        if (!zahl || !std::isfinite(*zahl))
            return gefuellt('*');
        const std::string s = formatZahl(*zahl, zahlMuster(feld.dezimalen));
        if (s.size() > laenge)
            return gefuellt('*');
        return std::string(laenge - s.size(), ' ') + s;
    }
    case 'D': {
        const std::string datum = datumWert(wert);
        if (datum.empty() || datum.size() > laenge)
            return gefuellt('0');
        return links(datum);
    }
    case 'L':
        return links(std::string(1, logischWert(wert)));
    default:
        return gefuellt(' ');
    }
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

    void lageBerechnen() {
        versatz.clear();
        int ort = 1; // after the deletion flag, as the engine lays a row out
        for (const DbfFeld& f : felder) {
            versatz.push_back(ort);
            ort += f.laenge;
        }
        satzLaenge = h->nRecordLength;
    }
};

DbfTabelle::DbfTabelle() = default;
DbfTabelle::~DbfTabelle() = default;

void DbfTabelle::oeffne(const std::string& pfad, const std::string& codepage) {
    schliesse();
    const Kopf kopf = pruefeKopf(pfad);
    auto z = std::make_unique<Zustand>(Zeichensatz(codepage));
    SAHooks h = haken();
    {
        const GenauerPfad genau(pfad);
        const char* zugriff = ::access(pfad.c_str(), W_OK) == 0 ? "rb+" : "rb";
        z->h = DBFOpenLL(pfad.c_str(), zugriff, &h);
    }
    if (z->h == nullptr)
        throw std::runtime_error(mitMeldung("cannot open " + pfad + " as a dBase table"));
    if (DBFGetFieldCount(z->h) != kopf.felder)
        throw std::runtime_error(pfad + " is not a dBase table: the field count is inconsistent");

    int breiten = 1;
    for (int j = 0; j < kopf.felder; ++j) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int breite = 0;
        int dezimalen = 0;
        DBFGetFieldInfo(z->h, j, name, &breite, &dezimalen);
        DbfFeld f;
        f.name = std::string(ohneBlanks(z->zeichen.dekodiere(name, false)));
        f.typ = DBFGetNativeFieldType(z->h, j);
        f.laenge = breite;
        f.dezimalen = f.typ == 'N' || f.typ == 'F' ? dezimalen : 0;
        breiten += breite;
        z->felder.push_back(std::move(f));
    }
    if (breiten > z->h->nRecordLength)
        throw std::runtime_error(pfad + " is not a dBase table: its fields exceed a record");
    // The engine trusts the header's row count; rows beyond the end of the file are not there.
    z->h->nRecords = kopf.zeilen;
    z->zeilen = kopf.zeilen;
    z->lageBerechnen();
    z_ = std::move(z);
}

void DbfTabelle::legeAn(const std::string& pfad, const std::vector<DbfFeld>& felder) {
    schliesse();
    if (felder.empty())
        throw std::runtime_error("cannot create " + pfad + ": a table needs at least one field");
    auto z = std::make_unique<Zustand>(Zeichensatz("1252"));

    std::vector<std::string> namen; // as written: Windows-1252, at most 10 bytes
    for (const DbfFeld& f : felder) {
        const auto falsch = [&](const std::string& grund) {
            return std::runtime_error("cannot create " + pfad + ": field \"" + f.name + "\" " +
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
        if (ohneBlanks(name).empty())
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
        throw std::runtime_error(mitMeldung("cannot create " + pfad + ": " + std::strerror(errno)));
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
                mitMeldung("cannot create " + pfad + ": field \"" + a.name + "\" was refused"));
    }
    // Written now, so the empty table is complete on disk before the first row.
    DBFUpdateHeader(z->h);
    z->lageBerechnen();
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

std::string DbfTabelle::feldWertText(int j) const {
    if (!z_ || j < 0 || j >= feldAnzahl() || z_->zeilen == 0)
        return "";
    const DbfFeld& f = z_->felder[static_cast<std::size_t>(j)];
    const char* satz = DBFReadTuple(z_->h, z_->pos);
    if (satz == nullptr)
        throw std::runtime_error(mitMeldung("cannot read row " + std::to_string(z_->pos)));
    // The row is loaded now; the engine's NULL test reads the same buffer.
    if (DBFIsAttributeNULL(z_->h, z_->pos, j))
        return "";
    std::string_view roh(satz + z_->versatz[static_cast<std::size_t>(j)],
                         static_cast<std::size_t>(f.laenge));
    // The engine hands texts over as C strings: a NUL ends the value.
    roh = roh.substr(0, roh.find('\0'));
    switch (f.typ) {
    case 'N':
        if (f.dezimalen == 0)
            return ganzzahlText(roh);
        [[fallthrough]];
    case 'F': {
        const auto wert = zahlAusFeld(roh);
        return wert ? formatZahl(*wert, "0.000") : "";
    }
    case 'D':
        return datumText(roh);
    case 'L':
        return logischText(roh);
    case 'C':
        return std::string(ohneBlanks(z_->zeichen.dekodiere(roh, true)));
    default:
        return "";
    }
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
