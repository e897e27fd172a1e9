#include "clean/dbf_schreiber.h"

#include "app/texte.h"
#include "shape/dbf/dbf_werte.h"
#include "shape/little_endian.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

namespace trelvik {

namespace {

constexpr std::size_t pufferGrenze = std::size_t{1} << 20;

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

void DbfSchreiber::schreibeDbfSatz(const std::vector<std::string>& werte) {
    std::size_t stelle = 1;
    static const std::string blank = " ";
    for (const auto& e : spalten_) {
        const std::string& v =
            e.position > 0 && static_cast<std::size_t>(e.position) <= werte.size()
                ? werte[static_cast<std::size_t>(e.position - 1)]
                : blank;
        bool ueberlauf = false;
        const std::string text = spaltenText(e.typ, e.laenge, e.dezimalen, v, ueberlauf);
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
    setzeLe32(zahlen, static_cast<std::uint32_t>(std::max(zeilen, 0)));
    setzeLe16(zahlen + 4, kopfLaenge_);
    setzeLe16(zahlen + 6, satzLaenge_);
    datei_.schreibeAb(4, zahlen);
    datei_.schliesse();
}

} // namespace trelvik
