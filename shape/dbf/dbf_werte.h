#pragma once
// dBase values and their texts, in both directions: a stored field as the text the program
// works with, a value as the bytes of a field of the engine's table, and a text as the column of
// the clean run's own table. Numbers that do not fit their column become '*' (no value).
#include "shape/dbf/dbf_kopf.h"
#include "shape/dbf/zeichensatz.h"

#include <optional>
#include <string>
#include <string_view>

namespace trelvik {

// --- Stored field to text ------------------------------------------------------------------

// Text form of a stored field (`roh`: its bytes up to the first NUL): integers (N without
// decimals) digit by digit, other numbers with "0.000", dates "dd.mm.yyyy", logicals -1 / 0,
// texts decoded and repaired, empty or unreadable values "". Trimmed of blanks.
std::string feldText(const DbfFeld& feld, std::string_view roh, const Zeichensatz& zeichen);

// The stored value with every digit it has: numbers as plain decimals with the stored decimals
// ("0.000123", "-12.50", "1000" for "1e3"), everything else as feldText gives it (dates and
// logicals lose nothing there). For the clean run, which formats the value for its own column.
std::string feldWertGenau(const DbfFeld& feld, std::string_view roh, const Zeichensatz& zeichen);

// --- Pieces shared by both writers ----------------------------------------------------------

// The digit pattern for `dezimalen` decimals: "0", "0.0", "0.00", ...
std::string zahlMuster(int dezimalen);

// `wert` with `dezimalen` decimals, right-aligned in exactly `laenge` bytes; std::nullopt when it
// does not fit (or is no finite number): the caller fills the field with '*'.
std::optional<std::string> zahlImFeld(double wert, std::size_t laenge, int dezimalen);

// A logical written as text: T/t, Y/y, J/j, W/w at the start are true, F/f, N/n false, else a
// number is true when not 0; empty or anything else is not known.
std::optional<bool> logischAusText(std::string_view text);

// --- Value to a field of the engine's table ------------------------------------------------

struct DbfWert {
    enum class Art { Leer, Text, Zahl } art = Art::Leer;
    std::string text;
    double zahl = 0;
};

// Exactly `feld.laenge` bytes. A text for 'C' is cut to the field length; a text for a numeric
// column is read with textZuZahl (a blank text stays empty); a date column takes "yyyymmdd" or
// "dd.mm.yyyy"; a logical column a number or a letter as logischAusText reads it. An empty value
// is the engine's NULL; a number too wide for its column is stored as '*', never cut.
std::string feldInhalt(const DbfFeld& feld, const DbfWert& wert, const Zeichensatz& zeichen);

// --- Text to a column of the clean run's table ---------------------------------------------

// Exactly `laenge` bytes of Windows-1252 for the value text `v` in a column of type `typ`
// ("C", "N", "F", "D", "L"; any other gives blanks). `ueberlauf` is set when a number did not fit.
// A number written as plain decimal digits keeps every digit and is rounded (half away from zero)
// from those digits only where the column has fewer decimals; other number texts go through
// textZuZahl.
std::string spaltenText(const std::string& typ, int laenge, int dezimalen, const std::string& v,
                        bool& ueberlauf);

} // namespace trelvik
