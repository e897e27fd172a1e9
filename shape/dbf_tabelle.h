#pragma once
// The attribute table of a file set, reached through shapelib's DBF API as the engine.
// VunInterface never opens the user's table at its own path: it works on a working copy
// (Arbeitskopie) in a private folder inside the temporary folder.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace trelvik {

// One column as the engine sees it: dBase type letter ('C', 'N', 'F', 'D', 'L', ...),
// field length and decimal count.
struct DbfFeld {
    std::string name;
    char typ = 'C';
    int laenge = 0;
    int dezimalen = 0;
};

// The code page named by a ".cpg" file ("" when there is none or it is unreadable), and whether a
// name denotes UTF-8.
std::string codepageVon(const std::string& cpgPfad);
bool istUtf8(const std::string& codepage);

// Decodes the bytes of a text field into UTF-8. For single-byte code pages (Windows-1252 when
// `codepage` is empty) the umlaut repair is applied on the byte codes: 175 -> "ß", 245 -> "ä",
// 213 -> "Ä", 179 -> "Ü"/"ü", 247 -> "Ö"/"ö" (capital at the start or after a blank or a TAB).
// UTF-8 tables are decoded as they are and not repaired.
std::string umlauteKorrigieren(std::string_view bytes, const std::string& codepage);

// A working copy of a table: a private folder (mode 0700) in the temporary folder holding
// "t~N.dbf" created exclusively; the folder and the copy are removed by the destructor.
class Arbeitskopie {
public:
    Arbeitskopie(); // chooses the folder; throws std::runtime_error when it cannot
    ~Arbeitskopie();
    Arbeitskopie(const Arbeitskopie&) = delete;
    Arbeitskopie& operator=(const Arbeitskopie&) = delete;

    // Copies `quelle` to the first free "t~N.dbf" of the private folder (exclusive create) and
    // returns its path; throws when `quelle` cannot be read or the copy cannot be written.
    const std::string& kopiereVon(const std::string& quelle);
    // Reserves the first free "t~N.dbf" without content (for a table about to be created).
    const std::string& reserviere();
    const std::string& pfad() const { return pfad_; }
    void entferne(); // removes the copy and the folder now; safe to call twice

private:
    std::string ordner_;
    std::string pfad_;
};

// An open table: a cursor over its rows, 0-based, in file order.
class DbfTabelle {
public:
    DbfTabelle();
    ~DbfTabelle();
    DbfTabelle(const DbfTabelle&) = delete;
    DbfTabelle& operator=(const DbfTabelle&) = delete;

    // Opens an existing table for reading and appending; `codepage` decodes its texts.
    // Throws std::runtime_error when the file is missing or not a dBase table.
    void oeffne(const std::string& pfad, const std::string& codepage);
    // Creates an empty table with these columns (written in Windows-1252) and opens it.
    void legeAn(const std::string& pfad, const std::vector<DbfFeld>& felder);
    void schliesse(); // flushes and releases the file; safe when closed
    bool offen() const;

    int feldAnzahl() const;
    const DbfFeld& feld(int j) const;
    int zeilenAnzahl() const;

    int position() const;          // current row, 0-based
    void bewege(int zeilen);       // relative move; throws when it leaves the table
    void geheZuLetzter();          // the last row (the first when the table is empty)

    // Text form of field j of the current row: integers (N without decimals) with "0",
    // reals with "0.000", dates "dd.mm.yyyy", logicals -1 / 0, texts decoded and repaired,
    // empty values "". Trimmed of leading and trailing blanks.
    std::string feldWertText(int j) const;

    // Appends a row and makes it current. Values are given per column: a text for 'C' (cut to
    // the field length), a number for the others; std::nullopt-like empties stay empty.
    // A text for a numeric column is read with textZuZahl (a blank text stays empty); a date
    // column takes "yyyymmdd" or "dd.mm.yyyy"; a logical column a number or T/F, Y/N, J/N, W/F.
    // A number too wide for its column is stored as '*' (no value), never cut.
    struct Wert {
        enum class Art { Leer, Text, Zahl } art = Art::Leer;
        std::string text;
        double zahl = 0;
    };
    void haengeAn(const std::vector<Wert>& werte);

private:
    struct Zustand;
    std::unique_ptr<Zustand> z_;
};

} // namespace trelvik
