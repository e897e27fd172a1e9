#pragma once
// The attribute table of a file set, reached through shapelib's DBF API as the engine. The header
// is checked and its field descriptors read by dbf_kopf; values pass through dbf_werte.
#include "shape/dbf/dbf_kopf.h"
#include "shape/dbf/dbf_werte.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace trelvik {

// An open table: a cursor over its rows, 0-based, in file order.
class DbfTabelle {
public:
    DbfTabelle();
    ~DbfTabelle();
    DbfTabelle(const DbfTabelle&) = delete;
    DbfTabelle& operator=(const DbfTabelle&) = delete;

    // Opens an existing table for reading and appending; `codepage` decodes its texts.
    // Throws std::runtime_error when the file is missing or not a dBase table. Messages name
    // `nutzerName` (the user's file, where `pfad` is its working copy), or `pfad` when empty.
    void oeffne(const std::string& pfad, const std::string& codepage,
                const std::string& nutzerName = {});
    // Creates an empty table with these columns (written in Windows-1252) and opens it.
    void legeAn(const std::string& pfad, const std::vector<DbfFeld>& felder,
                const std::string& nutzerName = {});
    void schliesse(); // flushes and releases the file; safe when closed
    bool offen() const;

    int feldAnzahl() const;
    const DbfFeld& feld(int j) const;
    int zeilenAnzahl() const;

    int position() const;          // current row, 0-based
    void bewege(int zeilen);       // relative move; throws when it leaves the table
    void geheZuLetzter();          // the last row (the first when the table is empty)

    // Text form of field j of the current row (feldText), and the value with every stored digit
    // (feldWertGenau).
    std::string feldWertText(int j) const;
    std::string feldWertGenau(int j) const;

    // Appends a row and makes it current; each column's bytes as feldInhalt makes them, an
    // empty value for columns beyond `werte`.
    using Wert = DbfWert;
    void haengeAn(const std::vector<Wert>& werte);

private:
    // Field j's bytes in the current row; none for an empty (NULL) value or no row.
    std::optional<std::string_view> rohWert(int j) const;

    struct Zustand;
    std::unique_ptr<Zustand> z_;
};

} // namespace trelvik
