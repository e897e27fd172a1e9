#include "clean/dbf_schreiber.h"

#include "app/texte.h"
#include "app/zahlen.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace trelvik {

namespace {

constexpr std::size_t pufferGrenze = std::size_t{1} << 20;

void le16(std::uint8_t* ziel, std::uint16_t wert) {
    ziel[0] = static_cast<std::uint8_t>(wert);
    ziel[1] = static_cast<std::uint8_t>(wert >> 8);
}

void le32(std::uint8_t* ziel, std::uint32_t wert) {
    for (int k = 0; k < 4; ++k)
        ziel[k] = static_cast<std::uint8_t>(wert >> (8 * k));
}

// Exactly n bytes: cut, or filled with blanks on the right.
std::string aufBreite(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

std::string zahlMuster(int dezimalen) {
    return dezimalen > 0 ? "0." + std::string(static_cast<std::size_t>(dezimalen), '0') : "0";
}

} // namespace

Tagesdatum heute() {
    const std::time_t jetzt = std::time(nullptr);
    std::tm t{};
    localtime_r(&jetzt, &t);
    return {t.tm_year + 1900, t.tm_mon + 1, t.tm_mday};
}

DbfSchreiber::DbfSchreiber(const std::string& pfad) {
    Datei::erzeuge(pfad, {});
    datei_.oeffneSchreibend(pfad);
}

DbfSchreiber::~DbfSchreiber() = default;

void DbfSchreiber::schreibeDbfKopf(const Attributliste& spalten, const Tagesdatum& datum) {
    if (spalten.size() > 2046)
        throw std::runtime_error("too many columns for a dBase III table");
    std::size_t satz = 0;
    for (const auto& e : spalten)
        satz += static_cast<std::size_t>(std::clamp(e.laenge, 0, 254));
    if (satz + 1 > 65535)
        throw std::runtime_error("the rows would be longer than a dBase III table allows");
    spalten_ = spalten;

    std::vector<std::uint8_t> kopf(32, 0);
    kopf[0] = 3;
    kopf[1] = static_cast<std::uint8_t>(std::clamp(datum.jahr - 1900, 0, 255));
    kopf[2] = static_cast<std::uint8_t>(std::clamp(datum.monat, 1, 12));
    kopf[3] = static_cast<std::uint8_t>(std::clamp(datum.tag, 1, 31));
    for (const auto& e : spalten_) {
        std::uint8_t d[32] = {};
        const std::string name = inWindows1252(linkeZeichen(trimmen(e.name), 10));
        std::copy_n(name.begin(), std::min<std::size_t>(name.size(), 10), d);
        const std::string typ = grossSchreiben(e.typ);
        d[11] = static_cast<std::uint8_t>(typ.empty() ? ' ' : typ[0]);
        const int laenge = std::clamp(e.laenge, 0, 254);
        d[16] = static_cast<std::uint8_t>(laenge);
        d[17] = static_cast<std::uint8_t>(std::clamp(e.dezimalen, 0, laenge));
        kopf.insert(kopf.end(), d, d + 32);
    }
    kopf.push_back(0x0D);
    satzLaenge_ = static_cast<std::uint16_t>(satz);
    kopfLaenge_ = static_cast<std::uint16_t>(kopf.size());
    satz_.assign(satz + 1, ' ');
    datei_.schreibeAb(0, kopf);
    position_ = kopf.size();
}

std::string DbfSchreiber::spaltenText(const AttributEintrag& e, const std::string& v,
                                      bool& ueberlauf) {
    ueberlauf = false;
    const auto laenge = static_cast<std::size_t>(std::clamp(e.laenge, 0, 254));
    const std::string typ = grossSchreiben(e.typ);
    if (typ == "C")
        return aufBreite(inWindows1252(trimmen(v)), laenge);
    if (typ == "N" || typ == "F") {
        const std::string s = formatCheck(textZuZahl(std::string_view(v)),
                                          zahlMuster(std::clamp(e.dezimalen, 0, 254)));
        if (s.size() > laenge) {
            // A number that does not fit is no value ("*"), never the tail of another number.
            ueberlauf = true;
            return std::string(laenge, '*');
        }
        return std::string(laenge - s.size(), ' ') + s;
    }
    if (typ == "D") {
        // dBase keeps dates as year, month, day.
        const std::string ttmmjj = datumFormat(v, e.laenge == 8 ? 8 : 6);
        if (ttmmjj.find_first_not_of(' ') == std::string::npos)
            return std::string(laenge, ' ');
        const std::string jahr = ttmmjj.substr(4);
        return aufBreite(jahr + ttmmjj.substr(2, 2) + ttmmjj.substr(0, 2), laenge);
    }
    if (typ == "L") {
        const std::string w = grossSchreiben(trimmen(v));
        if (w.empty())
            return aufBreite("?", laenge); // not known, as dBase writes it
        const bool wahr = w == "-1" || w == "T" || w == "Y" || w == "J" || w == "W";
        return aufBreite(wahr ? "T" : "F", laenge);
    }
    return std::string(laenge, ' ');
}

void DbfSchreiber::schreibeDbfSatz(const std::vector<std::string>& werte) {
    std::size_t stelle = 1;
    static const std::string blank = " ";
    for (const auto& e : spalten_) {
        const std::string& v =
            e.position > 0 && static_cast<std::size_t>(e.position) <= werte.size()
                ? werte[static_cast<std::size_t>(e.position - 1)]
                : blank;
        bool ueberlauf = false;
        const std::string text = spaltenText(e, v, ueberlauf);
        if (ueberlauf)
            ++ueberlaeufe_;
        std::copy(text.begin(), text.end(), satz_.begin() + static_cast<std::ptrdiff_t>(stelle));
        stelle += text.size();
    }
    puffer_.insert(puffer_.end(), satz_.begin(), satz_.end());
    if (puffer_.size() >= pufferGrenze)
        leere();
}

void DbfSchreiber::leere() {
    datei_.schreibeAb(position_, puffer_);
    position_ += puffer_.size();
    puffer_.clear();
}

void DbfSchreiber::schliesseDbf(std::int32_t zeilen) {
    puffer_.push_back(0x1A);
    leere();
    satzLaenge_ = static_cast<std::uint16_t>(satzLaenge_ + 1);
    std::uint8_t zahlen[8];
    le32(zahlen, static_cast<std::uint32_t>(std::max(zeilen, 0)));
    le16(zahlen + 4, kopfLaenge_);
    le16(zahlen + 6, satzLaenge_);
    datei_.schreibeAb(4, zahlen);
    datei_.schliesse();
}

} // namespace trelvik
