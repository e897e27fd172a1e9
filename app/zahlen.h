#pragma once
// Number texts with a point as decimal separator whatever the locale, padded columns, dates.
#include <optional>
#include <string>
#include <string_view>

namespace trelvik {

// Reads the leading number of a text. Every "," is replaced by "." first (the caller's text is
// changed, as the window's fields are). Blanks, tabs and line feeds are skipped wherever they
// occur; "&H" and "&O" read a hexadecimal or octal whole number. Unreadable text gives 0, and so
// does a number too large for a double.
double textZuZahl(std::string& text);
double textZuZahl(std::string_view text);

// A threshold as typed into a field: one number and nothing else (blanks around it allowed),
// with "," or "." as decimal point, finite and not negative. Anything else gives nullopt, so
// that a typing error is refused instead of silently becoming 0.
std::optional<double> schwelleAusText(const std::string& text);

// The German message for the two threshold fields (centimetres, square metres), naming each
// field whose text schwelleAusText refuses; "" when both are valid.
std::string schwellenFehler(const std::string& minAbstandText, const std::string& minFlaecheText);

// Formats a value with a digit pattern ("0", "00", "0.000", "0.00000000"): "0" is a mandatory
// digit, "." the decimal point. Rounds the exact binary value to the nearest, exact halves away
// from zero. The result always has a point, never a comma.
std::string formatCheck(double wert, std::string_view muster);
// The same from the exact decimal digits of the value, for any pattern; formatCheck takes a
// shorter way for patterns without decimals.
std::string formatCheckZiffern(double wert, std::string_view muster);
// The shape-access name of the same formatting.
inline std::string formatZahl(double wert, std::string_view muster) {
    return formatCheck(wert, muster);
}

// Right-aligned in exactly `breite` characters; a longer number loses its leading characters.
std::string zahlRechtsbuendig(double wert, int breite, int nachkommastellen);

// "5.3.2004" with length 8 gives "05032004", with length 6 "050304"; no date gives blanks.
std::string datumFormat(std::string_view text, int laenge);

inline int minGanz(int a, int b) { return a < b ? a : b; }
inline int maxGanz(int a, int b) { return a > b ? a : b; }
inline double minZahl(double a, double b) { return a < b ? a : b; }
inline double maxZahl(double a, double b) { return a > b ? a : b; }

} // namespace trelvik
