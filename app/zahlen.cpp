#include "app/zahlen.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace trelvik {

namespace {

bool istLeerzeichen(char c) { return c == ' ' || c == '\t' || c == '\n'; }

// "&H" and "&O" numbers take the width of the smallest whole-number type that holds their
// digits (16 bits up to 4 hex digits, else 32 bits), and read as signed values of that width.
double leseMitPraefix(const std::string& zeichen, std::size_t pos, int basis) {
    std::uint64_t wert = 0;
    int ziffern = 0;
    for (; pos < zeichen.size(); ++pos) {
        const char c = zeichen[pos];
        int z = -1;
        if (c >= '0' && c <= '9')
            z = c - '0';
        else if (basis == 16 && c >= 'a' && c <= 'f')
            z = c - 'a' + 10;
        else if (basis == 16 && c >= 'A' && c <= 'F')
            z = c - 'A' + 10;
        if (z < 0 || z >= basis)
            break;
        if (wert == 0 && z == 0)
            continue; // leading zeros do not widen the number
        wert = wert * static_cast<std::uint64_t>(basis) + static_cast<std::uint64_t>(z);
        ++ziffern;
        if (wert > 0xFFFFFFFFull)
            return 0; // too large for any whole-number type: unreadable
    }
    (void)ziffern;
    if (wert <= 0xFFFF)
        return static_cast<double>(static_cast<std::int16_t>(static_cast<std::uint16_t>(wert)));
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(wert)));
}

double leseZahl(std::string_view text) {
    // Blanks, tabs and line feeds do not count anywhere in the text.
    std::string zeichen;
    zeichen.reserve(text.size());
    for (const char c : text)
        if (!istLeerzeichen(c))
            zeichen.push_back(c == ',' ? '.' : c);

    if (zeichen.size() >= 2 && zeichen[0] == '&') {
        if (zeichen[1] == 'H' || zeichen[1] == 'h')
            return leseMitPraefix(zeichen, 2, 16);
        if (zeichen[1] == 'O' || zeichen[1] == 'o')
            return leseMitPraefix(zeichen, 2, 8);
        return 0;
    }

    std::size_t pos = 0;
    bool negativ = false;
    if (pos < zeichen.size() && (zeichen[pos] == '+' || zeichen[pos] == '-')) {
        negativ = zeichen[pos] == '-';
        ++pos;
    }
    const std::size_t anfang = pos;
    bool ziffern = false;
    while (pos < zeichen.size() && zeichen[pos] >= '0' && zeichen[pos] <= '9') {
        ++pos;
        ziffern = true;
    }
    if (pos < zeichen.size() && zeichen[pos] == '.') {
        ++pos;
        while (pos < zeichen.size() && zeichen[pos] >= '0' && zeichen[pos] <= '9') {
            ++pos;
            ziffern = true;
        }
    }
    if (!ziffern)
        return 0;
    std::size_t ende = pos;
    if (pos < zeichen.size() && (zeichen[pos] == 'E' || zeichen[pos] == 'e')) {
        std::size_t e = pos + 1;
        if (e < zeichen.size() && (zeichen[e] == '+' || zeichen[e] == '-'))
            ++e;
        if (e < zeichen.size() && zeichen[e] >= '0' && zeichen[e] <= '9') {
            while (e < zeichen.size() && zeichen[e] >= '0' && zeichen[e] <= '9')
                ++e;
            ende = e;
        }
    }
    // from_chars reads the invariant notation whatever the locale; it takes no "+" in the
    // exponent, so that sign is dropped.
    std::string zahl;
    zahl.reserve(ende - anfang);
    for (std::size_t i = anfang; i < ende; ++i)
        if (!(zeichen[i] == '+' && i > anfang && (zeichen[i - 1] == 'E' || zeichen[i - 1] == 'e')))
            zahl.push_back(zeichen[i]);
    if (zahl[0] == '.')
        zahl.insert(zahl.begin(), '0');
    double wert = 0;
    const auto [p, fehler] = std::from_chars(zahl.data(), zahl.data() + zahl.size(), wert);
    (void)p;
    if (fehler != std::errc{} || !std::isfinite(wert))
        return 0;
    return negativ ? -wert : wert;
}

struct Muster {
    int ganzzahlStellen = 0; // mandatory digits before the point
    int nachkomma = 0;       // digits after the point
    int pflichtNachkomma = 0;
};

Muster leseMuster(std::string_view muster) {
    Muster m;
    const auto punkt = muster.find('.');
    const auto vor = muster.substr(0, punkt);
    for (const char c : vor)
        if (c == '0')
            ++m.ganzzahlStellen;
    if (punkt != std::string_view::npos) {
        for (const char c : muster.substr(punkt + 1)) {
            if (c == '0') {
                ++m.nachkomma;
                m.pflichtNachkomma = m.nachkomma;
            } else if (c == '#') {
                ++m.nachkomma;
            }
        }
    }
    return m;
}

// The exact decimal expansion of |wert| with at least `mindestens` decimals. A double has as many
// decimal places as it has binary places after the point, so this many digits are exact.
std::string exakteZiffern(double betrag, int mindestens) {
    int exponent = 0;
    std::frexp(betrag, &exponent);
    int stellen = 53 - exponent;
    if (stellen < mindestens)
        stellen = mindestens;
    if (stellen > 1100)
        stellen = 1100;
    std::vector<char> puffer(static_cast<std::size_t>(stellen) + 340);
    const int n = std::snprintf(puffer.data(), puffer.size(), "%.*f", stellen, betrag);
    return std::string(puffer.data(), static_cast<std::size_t>(n > 0 ? n : 0));
}

} // namespace

double textZuZahl(std::string& text) {
    for (char& c : text)
        if (c == ',')
            c = '.';
    return leseZahl(text);
}

double textZuZahl(std::string_view text) {
    return leseZahl(text);
}

std::optional<double> schwelleAusText(const std::string& text) {
    std::size_t anfang = 0;
    std::size_t ende = text.size();
    while (anfang < ende && istLeerzeichen(text[anfang]))
        ++anfang;
    while (ende > anfang && (istLeerzeichen(text[ende - 1]) || text[ende - 1] == '\r'))
        --ende;
    std::string zahl = text.substr(anfang, ende - anfang);
    for (char& c : zahl)
        if (c == ',')
            c = '.';
    if (!zahl.empty() && zahl[0] == '+')
        zahl.erase(0, 1);
    // from_chars reads "inf" and "nan" too; both are refused below, as is a sign after "+".
    if (zahl.empty() || zahl[0] == '+' || zahl[0] == '-')
        return std::nullopt;
    double wert = 0;
    const auto [p, fehler] = std::from_chars(zahl.data(), zahl.data() + zahl.size(), wert);
    if (fehler != std::errc{} || p != zahl.data() + zahl.size() || !std::isfinite(wert))
        return std::nullopt;
    return wert;
}

std::string schwellenFehler(const std::string& minAbstandText, const std::string& minFlaecheText) {
    std::string meldung;
    const auto pruefe = [&](const std::string& text, const char* feld, const char* einheit) {
        if (schwelleAusText(text))
            return;
        if (!meldung.empty())
            meldung += "\n";
        meldung += std::string("Der Wert \"") + text + "\" bei \"" + feld +
                   "\" ist keine gültige Zahl. Erlaubt ist eine Zahl ab 0 (in " + einheit + ").";
    };
    pruefe(minAbstandText, "minimaler Punktabstand", "cm");
    pruefe(minFlaecheText, "minimale Fläche", "m²");
    return meldung;
}

std::string formatCheck(double wert, std::string_view muster) {
    const Muster m = leseMuster(muster);
    if (m.nachkomma == 0 && std::fabs(wert) < 4503599627370496.0) {
        // Below 2^52 std::round rounds the exact binary value, halves away from zero, as the
        // digits do; whole numbers (coordinates in the reports) need no digit string then.
        const auto zahl = static_cast<long long>(std::round(std::fabs(wert)));
        std::string ergebnis = std::to_string(zahl);
        if (static_cast<int>(ergebnis.size()) < m.ganzzahlStellen)
            ergebnis.insert(0, static_cast<std::size_t>(m.ganzzahlStellen) - ergebnis.size(), '0');
        if (std::signbit(wert) && zahl != 0)
            ergebnis.insert(ergebnis.begin(), '-');
        return ergebnis;
    }
    return formatCheckZiffern(wert, muster);
}

std::string formatCheckZiffern(double wert, std::string_view muster) {
    if (std::isnan(wert))
        return "NaN";
    if (std::isinf(wert))
        return wert < 0 ? "-Inf" : "Inf";
    const Muster m = leseMuster(muster);
    const bool negativ = std::signbit(wert);
    std::string ziffern = exakteZiffern(std::fabs(wert), m.nachkomma + 1);
    // printf writes the locale's decimal separator (no grouping): whatever follows the digits.
    const auto punkt = ziffern.find_first_not_of("0123456789");
    std::string ganz = ziffern.substr(0, punkt);
    std::string rest = ziffern.substr(punkt + 1);
    std::string nach = rest.substr(0, static_cast<std::size_t>(m.nachkomma));

    // Round to the nearest; an exact half goes away from zero.
    const char entscheidend = rest[static_cast<std::size_t>(m.nachkomma)];
    bool aufrunden = entscheidend >= '5';
    if (aufrunden) {
        std::string zahl = ganz + nach;
        int i = static_cast<int>(zahl.size()) - 1;
        while (i >= 0 && zahl[static_cast<std::size_t>(i)] == '9') {
            zahl[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i < 0)
            zahl.insert(zahl.begin(), '1');
        else
            ++zahl[static_cast<std::size_t>(i)];
        ganz = zahl.substr(0, zahl.size() - nach.size());
        nach = zahl.substr(zahl.size() - nach.size());
    }
    // Optional decimals ("#") are dropped when they are trailing zeros.
    while (static_cast<int>(nach.size()) > m.pflichtNachkomma && nach.back() == '0')
        nach.pop_back();

    std::size_t erste = 0;
    while (erste + 1 < ganz.size() && ganz[erste] == '0')
        ++erste;
    ganz.erase(0, erste);
    if (ganz == "0" && m.ganzzahlStellen == 0 && !nach.empty())
        ganz.clear();
    while (static_cast<int>(ganz.size()) < m.ganzzahlStellen)
        ganz.insert(ganz.begin(), '0');

    std::string ergebnis = ganz;
    if (!nach.empty())
        ergebnis += "." + nach;
    // A value that rounds to zero is written without a sign.
    const bool null = ergebnis.find_first_not_of("0.") == std::string::npos;
    if (negativ && !null)
        ergebnis.insert(ergebnis.begin(), '-');
    return ergebnis;
}

std::string zahlRechtsbuendig(double wert, int breite, int nachkommastellen) {
    std::string muster = "0";
    if (nachkommastellen != 0)
        muster = "0." + std::string(static_cast<std::size_t>(nachkommastellen < 0 ? 0 : nachkommastellen), '0');
    const std::string s = formatCheck(wert, muster);
    if (breite <= 0)
        return "";
    const std::string gefuellt = std::string(static_cast<std::size_t>(breite), ' ') + s;
    return gefuellt.substr(gefuellt.size() - static_cast<std::size_t>(breite));
}

std::string datumFormat(std::string_view text, int laenge) {
    const std::string leer(static_cast<std::size_t>(laenge > 0 ? laenge : 0), ' ');
    const auto p1 = text.find('.');
    const auto p2 = text.rfind('.');
    // Positions counted from 0 here: the first point needs a character before it, the last point
    // a character between it and the first, and one after it.
    if (p1 == std::string_view::npos || p1 < 1 || p2 <= p1 + 1 || p2 + 1 >= text.size())
        return leer;
    const auto ganz = [](std::string_view teil) {
        return formatCheck(std::nearbyint(textZuZahl(teil)), "0");
    };
    const auto letzte = [](const std::string& s, std::size_t n) {
        return s.size() <= n ? s : s.substr(s.size() - n);
    };
    const std::string tag = letzte("00" + ganz(text.substr(0, p1)), 2);
    const std::string monat = letzte("00" + ganz(text.substr(p1 + 1, p2 - p1 - 1)), 2);
    const std::string jahr = ganz(text.substr(p2 + 1));
    return tag + monat + (laenge == 8 ? letzte("0000" + jahr, 4) : letzte("0000" + jahr, 2));
}

} // namespace trelvik
