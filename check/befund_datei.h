#pragma once
// Every finding of a check as one point each, for a GIS beside the data: a point shapefile
// (through VunInterface, with the source's projection file) or a CSV table. Without the report's
// list limits; written record by record, and whole or not at all.
#include "check/pruef_lauf.h"
#include "check/weiterleitung.h"

#include <memory>
#include <string>
#include <vector>

namespace trelvik {

struct Befund {
    bool hatOrt = false; // false: no point to show it at (a record without parts)
    Punkt ort{0, 0};
    std::int32_t satz = 0; // 1-based, as in the report
    std::int32_t teil = 0; // 1-based part; 0 for the record as a whole
    std::string art;       // schneidet, flaeche, abstand, ringe_nah, ringe_schneiden,
                           // zu_wenig_punkte, punktanzahl, typ
    bool hatWert = false;
    double wert = 0;  // area in m², distance in cm
    std::string text; // the report's line for it (list entry or finding line)
};

// The findings of one checked record, in the order of the report's lines. `punkte` and
// `teilStart` are the record's geometry as the check read it (part starts, then the count).
// Without `mitTexten` every text stays empty (for counting: a record of a coastline may have
// thousands of findings, each a formatted line).
std::vector<Befund> befundeDesSatzes(const GeometriePruefung& pruefung, const SatzBefund& befund,
                                     const Punktfeld& punkte,
                                     const std::vector<std::int32_t>& teilStart,
                                     bool mitTexten = true);

// Writes findings into a file set under a temporary name in the target's folder; only
// `abschliessen` gives it the target's name. Destroyed unfinished, it leaves nothing behind.
class BefundDatei {
public:
    BefundDatei();
    ~BefundDatei();
    BefundDatei(const BefundDatei&) = delete;
    BefundDatei& operator=(const BefundDatei&) = delete;

    // `ziel` ends in ".shp" or ".csv" (any case); `quellShape` is the checked file, whose
    // projection file goes beside a shapefile target.
    bool oeffne(const std::string& ziel, const std::string& quellShape);
    bool schreibe(const std::vector<Befund>& befunde);
    // Flushes to disk and renames into place.
    bool abschliessen();
    std::int64_t anzahl() const { return anzahl_; }
    const std::string& fehler() const { return fehler_; }

private:
    struct Zustand;
    void verwerfe();
    std::unique_ptr<Zustand> z_;
    std::int64_t anzahl_ = 0;
    std::string fehler_;
};

// Passes everything on to `weiter` and writes each record's findings as they come.
class BefundStrom : public WeiterleitendeAnzeige {
public:
    BefundStrom(BefundDatei& datei, PruefAnzeige* weiter)
        : WeiterleitendeAnzeige(weiter), datei_(datei) {}
    void satzGeprueft(const GeometriePruefung& pruefung, const SatzBefund& befund,
                      const Punktfeld& punkte, const std::vector<std::int32_t>& teilStart) override;
    // False when a write failed; the rest of the run is not written then.
    bool inOrdnung() const { return inOrdnung_; }

private:
    BefundDatei& datei_;
    bool inOrdnung_ = true;
};

} // namespace trelvik
