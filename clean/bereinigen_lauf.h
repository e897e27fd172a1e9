#pragma once
// The clean run: a cleaned copy of a shapefile under a new name. Every record of the source is
// split into its parts; each part is measured and, as the options say, simplified, cleaned of
// close points and pushed apart, and dropped when it ends up too small, too short or with too
// few points. A record that keeps a part is written with a row of the required attribute table.
#include "app/dateien.h"
#include "check/attributliste.h"

#include <cstdint>
#include <functional>
#include <string>

namespace trelvik {

struct BereinigungsOptionen {
    bool kleineFlaechenEntfernen = false; // "Min. Flächen entfernen"
    bool punkteEntfernen = false;         // "Punkte entfernen"
    bool ringeAnpassen = false;           // "Ringe anpassen"
    bool vereinfachen = false;            // "Vereinfachen"
    std::string minAbstandText = "25";    // centimetres, as typed
    std::string minFlaecheText = "25";    // square metres, as typed
    unsigned jobs = 0;                    // worker threads for the records; 0: one per core
};

struct BereinigungsErgebnis {
    bool gelaufen = false;   // the run got past its preconditions and wrote files
    bool erfolgreich = false; // the target and its table were written completely
    std::int32_t gelesen = 0;     // records read from the source
    std::int32_t geschrieben = 0; // records written to the target
    std::int32_t verworfen = 0;   // records left out because no part was kept
    std::int64_t teileGelesen = 0;
    std::int64_t teileVerworfen = 0;
    std::int32_t ohneGeometrie = 0; // records whose shape could not be written (no row either)
    int ueberlaeufe = 0;            // numbers too wide for their column, written as "*"
    bool abgebrochen = false;       // stopped on request; no target was left behind
    std::string grund;              // why the run failed or did not start
};

// Fortschritt: records done of all, after each record.
using Fortschritt = std::function<void(std::int32_t erledigt, std::int32_t alle)>;

// Cleans `quelle` into `ziel` (a ".shp" path). `attribute` gives the columns of the new table
// with the positions a check has matched (vergleicheAttribute). Messages for the user go to
// `melden`. The source files are never changed. A source whose records cannot all be read is
// refused. `abbrechen` is asked after every record and every part; true stops the run. The
// target's files are written under temporary names beside it and get their names only when the
// run is complete; until then, and after any failure, the files under those names stay as they
// were. A second run into the same target while one is writing it is refused.
BereinigungsErgebnis bereinigen(const std::string& quelle, const std::string& ziel,
                                const Attributliste& attribute, const BereinigungsOptionen& o,
                                const Melder& melden = {}, const Fortschritt& fortschritt = {},
                                const std::function<bool()>& abbrechen = {});

// Whether two shapefile names denote the same file set: equal in any letter case, or the same
// file on disk.
bool gleicherShapeName(const std::string& a, const std::string& b);

} // namespace trelvik
