#include "shape/dbf/dbf_werte.h"

#include "app/texte.h"
#include "app/zahlen.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace trelvik {

namespace {

std::string_view ohneBlanks(std::string_view s) {
    const auto anfang = s.find_first_not_of(' ');
    if (anfang == std::string_view::npos)
        return {};
    return s.substr(anfang, s.find_last_not_of(' ') - anfang + 1);
}

// The letters of a logical: true, false, or none of them.
std::optional<bool> logischerBuchstabe(char c) {
    switch (c) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
    case 'J':
    case 'j':
    case 'W':
    case 'w':
        return true;
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return false;
    default:
        return std::nullopt;
    }
}

// Exactly n bytes: cut, or filled with blanks on the right.
std::string aufBreite(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
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

// A number written as decimal digits: an optional sign, digits with at most one decimal point
// (or comma), an optional exponent. Kept as its digits, so nothing is lost to a double.
struct Dezimalzahl {
    bool negativ = false;
    std::string ziffern; // all digits, without the point
    long long komma = 0; // how many of them stand before the point (may lie outside)
};

std::optional<Dezimalzahl> leseDezimal(std::string_view text) {
    std::string_view t = ohneBlanks(text);
    Dezimalzahl z;
    if (!t.empty() && (t[0] == '-' || t[0] == '+')) {
        z.negativ = t[0] == '-';
        t.remove_prefix(1);
    }
    bool punkt = false;
    std::size_t i = 0;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c >= '0' && c <= '9') {
            z.ziffern += c;
            if (!punkt)
                ++z.komma;
        } else if ((c == '.' || c == ',') && !punkt) {
            punkt = true;
        } else {
            break;
        }
    }
    if (z.ziffern.empty())
        return std::nullopt;
    if (i < t.size()) {
        if (t[i] != 'e' && t[i] != 'E')
            return std::nullopt;
        const std::string_view hoch = t.substr(i + 1);
        int exponent = 0;
        const char* anfang = hoch.data() + (hoch.starts_with('+') ? 1 : 0);
        const auto [ende, fehler] = std::from_chars(anfang, hoch.data() + hoch.size(), exponent);
        // A number beyond what any column holds is left to the reading as a double.
        if (fehler != std::errc() || ende != hoch.data() + hoch.size() || exponent > 400 ||
            exponent < -400)
            return std::nullopt;
        z.komma += exponent;
    }
    return z;
}

// The digits of `z` as text: all stored decimals, or rounded (half away from zero) to
// `dezimalen`. A value that is zero is written without a sign, as formatCheck writes it.
std::string dezimalText(const Dezimalzahl& z, std::optional<int> dezimalen) {
    std::string ganz;
    std::string bruch;
    if (z.komma <= 0) {
        ganz = "0";
        bruch = std::string(static_cast<std::size_t>(-z.komma), '0') + z.ziffern;
    } else if (static_cast<std::size_t>(z.komma) >= z.ziffern.size()) {
        ganz = z.ziffern + std::string(static_cast<std::size_t>(z.komma) - z.ziffern.size(), '0');
    } else {
        ganz = z.ziffern.substr(0, static_cast<std::size_t>(z.komma));
        bruch = z.ziffern.substr(static_cast<std::size_t>(z.komma));
    }
    if (dezimalen) {
        const auto d = static_cast<std::size_t>(*dezimalen);
        if (bruch.size() > d) {
            const bool aufrunden = bruch[d] >= '5';
            bruch.resize(d);
            if (aufrunden) {
                std::string zahl = ganz + bruch;
                std::size_t k = zahl.size();
                while (k > 0 && zahl[k - 1] == '9')
                    zahl[--k] = '0';
                if (k == 0)
                    zahl.insert(zahl.begin(), '1');
                else
                    ++zahl[k - 1];
                ganz = zahl.substr(0, zahl.size() - d);
                bruch = zahl.substr(zahl.size() - d);
            }
        } else {
            bruch.resize(d, '0');
        }
    }
    const auto erste = ganz.find_first_not_of('0');
    ganz = erste == std::string::npos ? "0" : ganz.substr(erste);
    std::string text = bruch.empty() ? ganz : ganz + "." + bruch;
    const bool null = text.find_first_not_of("0.") == std::string::npos;
    return z.negativ && !null ? "-" + text : text;
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

// A stored date "yyyymmdd" as "dd.mm.yyyy"; "" when it is no valid date.
std::string datumText(std::string_view text) {
    const std::string_view t = ohneBlanks(text);
    if (t.size() != 8 || !nurZiffern(t))
        return "";
    if (!gueltigesDatum(zahlVon(t.substr(0, 4)), zahlVon(t.substr(4, 2)), zahlVon(t.substr(6, 2))))
        return "";
    return std::string(t.substr(6, 2)) + "." + std::string(t.substr(4, 2)) + "." +
           std::string(t.substr(0, 4));
}

// "20031224", or "24.12.2003" as the text form reads; anything else is no date ("").
std::string datumWert(const DbfWert& wert) {
    std::string t;
    if (wert.art == DbfWert::Art::Zahl)
        t = std::isfinite(wert.zahl) ? formatZahl(wert.zahl, "0") : "";
    else if (wert.art == DbfWert::Art::Text)
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

char logischWert(const DbfWert& wert) {
    if (wert.art == DbfWert::Art::Zahl)
        return std::isnan(wert.zahl) ? '?' : (wert.zahl != 0 ? 'T' : 'F');
    if (wert.art == DbfWert::Art::Leer)
        return '?';
    const auto w = logischAusText(wert.text);
    return w ? (*w ? 'T' : 'F') : '?';
}

} // namespace

// --- Stored field to text --------------------------------------------------------------------

std::string feldText(const DbfFeld& feld, std::string_view roh, const Zeichensatz& zeichen) {
    switch (feld.typ) {
    case 'N':
        if (feld.dezimalen == 0)
            return ganzzahlText(roh);
        [[fallthrough]];
    case 'F': {
        const auto wert = zahlAusFeld(roh);
        return wert ? formatZahl(*wert, "0.000") : "";
    }
    case 'D':
        return datumText(roh);
    case 'L': {
        // Only the letters count in a stored logical; '?' and blanks are not known.
        const std::string_view t = ohneBlanks(roh);
        const auto w = t.empty() ? std::nullopt : logischerBuchstabe(t[0]);
        return w ? (*w ? "-1" : "0") : "";
    }
    case 'C':
        return std::string(ohneBlanks(zeichen.dekodiere(roh, true)));
    default:
        return "";
    }
}

std::string feldWertGenau(const DbfFeld& feld, std::string_view roh, const Zeichensatz& zeichen) {
    if (feld.typ == 'N' || feld.typ == 'F') {
        if (const auto z = leseDezimal(roh))
            return dezimalText(*z, std::nullopt);
    }
    return feldText(feld, roh, zeichen);
}

// --- Pieces shared by both writers -----------------------------------------------------------

std::string zahlMuster(int dezimalen) {
    return dezimalen > 0 ? "0." + std::string(static_cast<std::size_t>(dezimalen), '0') : "0";
}

std::optional<std::string> zahlImFeld(double wert, std::size_t laenge, int dezimalen) {
    if (!std::isfinite(wert))
        return std::nullopt;
    const std::string s = formatZahl(wert, zahlMuster(dezimalen));
    if (s.size() > laenge)
        return std::nullopt;
    return std::string(laenge - s.size(), ' ') + s;
}

std::optional<bool> logischAusText(std::string_view text) {
    const std::string_view t = ohneBlanks(text);
    if (t.empty())
        return std::nullopt;
    if (const auto w = logischerBuchstabe(t[0]))
        return w;
    const auto zahl = zahlAusFeld(t);
    if (!zahl)
        return std::nullopt;
    return *zahl != 0;
}


// --- Value to a field of the engine's table --------------------------------------------------

std::string feldInhalt(const DbfFeld& feld, const DbfWert& wert, const Zeichensatz& zeichen) {
    using Art = DbfWert::Art;
    const auto laenge = static_cast<std::size_t>(feld.laenge);
    const auto gefuellt = [&](char c) { return std::string(laenge, c); };
    switch (feld.typ) {
    case 'C': {
        if (wert.art == Art::Leer)
            return gefuellt(' ');
        const std::string text =
            wert.art == Art::Text ? wert.text : formatZahl(wert.zahl, "0.###############");
        return aufBreite(zeichen.kodiere(text, laenge), laenge);
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
        const auto s = zahl ? zahlImFeld(*zahl, laenge, feld.dezimalen) : std::nullopt;
        return s ? *s : gefuellt('*');
    }
    case 'D': {
        const std::string datum = datumWert(wert);
        if (datum.empty() || datum.size() > laenge)
            return gefuellt('0');
        return aufBreite(datum, laenge);
    }
    case 'L':
        return aufBreite(std::string(1, logischWert(wert)), laenge);
    default:
        return gefuellt(' ');
    }
}

// --- Text to a column of the clean run's table -----------------------------------------------

std::string spaltenText(const std::string& typGross, int laengeRoh, int dezimalen,
                        const std::string& v, bool& ueberlauf) {
    ueberlauf = false;
    const auto laenge = static_cast<std::size_t>(std::clamp(laengeRoh, 0, 254));
    const std::string typ = grossSchreiben(typGross);
    if (typ == "C")
        return aufBreite(inWindows1252(trimmen(v)), laenge);
    if (typ == "N" || typ == "F") {
        const int d = std::clamp(dezimalen, 0, 254);
        std::optional<std::string> s;
        if (const auto z = leseDezimal(v)) {
            const std::string text = dezimalText(*z, d);
            if (text.size() <= laenge)
                s = std::string(laenge - text.size(), ' ') + text;
        } else {
            s = zahlImFeld(textZuZahl(std::string_view(v)), laenge, d);
        }
        if (!s) {
            // A number that does not fit is no value ("*"), never the tail of another number.
            ueberlauf = true;
            return std::string(laenge, '*');
        }
        return *s;
    }
    if (typ == "D") {
        // dBase keeps dates as year, month, day.
        const std::string ttmmjj = datumFormat(v, laengeRoh == 8 ? 8 : 6);
        if (ttmmjj.find_first_not_of(' ') == std::string::npos)
            return std::string(laenge, ' ');
        const std::string jahr = ttmmjj.substr(4);
        return aufBreite(jahr + ttmmjj.substr(2, 2) + ttmmjj.substr(0, 2), laenge);
    }
    if (typ == "L") {
        if (trimmen(v).empty())
            return aufBreite("?", laenge); // not known, as dBase writes it
        return aufBreite(logischAusText(v).value_or(false) ? "T" : "F", laenge);
    }
    return std::string(laenge, ' ');
}

} // namespace trelvik
