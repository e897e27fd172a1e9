#pragma once
// One line per checked file, for deliveries of many files judged from one table.
#include "check/attributliste.h"
#include "check/pruef_lauf.h"
#include "check/weiterleitung.h"

#include <array>
#include <string>
#include <vector>

namespace trelvik {

// The kinds of finding, as the findings file names them, in the order of its columns.
inline constexpr std::array<const char*, 8> befundArten = {
    "schneidet", "flaeche",         "abstand",     "ringe_nah", "ringe_schneiden",
    "zu_wenig_punkte", "punktanzahl", "typ"};

struct DateiZusammenfassung {
    std::string datei;
    bool geprueft = false; // false: nothing of the file was read, the counts stay empty
    std::string shapeTyp;  // the type name ("PolyGon", ...)
    std::int32_t saetze = 0;
    std::int32_t teile = 0;
    std::int64_t punkte = 0;
    std::array<std::int64_t, befundArten.size()> befunde{};
    std::int32_t attributeOk = 0;
    std::int32_t attributeFormatFalsch = 0;
    std::int32_t attributeFehlen = 0;
    int status = 0; // the exit status this file alone gives
};

// Counts every finding of the run by kind and passes everything on to `weiter`.
class BefundZaehler : public WeiterleitendeAnzeige {
public:
    explicit BefundZaehler(PruefAnzeige* weiter) : WeiterleitendeAnzeige(weiter) {}
    void satzGeprueft(const GeometriePruefung& pruefung, const SatzBefund& befund,
                      const Punktfeld& punkte, const std::vector<std::int32_t>& teilStart) override;
    const std::array<std::int64_t, befundArten.size()>& anzahl() const { return anzahl_; }

private:
    std::array<std::int64_t, befundArten.size()> anzahl_{};
};

// The line of one file from its check and the verdicts of the required attribute list.
DateiZusammenfassung fasseZusammen(const std::string& datei, const GeometriePruefung& pruefung,
                                   const BefundZaehler& zaehler, const Attributliste& liste,
                                   int status);

// The table: a header line, then one line per file (CR LF ended).
std::string zusammenfassungCsv(const std::vector<DateiZusammenfassung>& dateien);

} // namespace trelvik
