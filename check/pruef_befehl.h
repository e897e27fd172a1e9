#pragma once
// The check command: attribute comparison, projection and geometry report of one shapefile.
#include "check/attributliste.h"
#include "check/pruef_lauf.h"

#include <string>

namespace trelvik {

struct PruefTexte {
    // False when the shapefile or its table is missing: the command then disables itself and
    // shows nothing.
    bool ausgefuehrt = false;
    // Not empty when a threshold text is no valid number: then nothing ran, and this German
    // message names the field.
    std::string schwellenFehler;
    std::string shapeTypLabel; // "Shape Typ: ..." or "Kein Shape vorhanden"
    std::string geometrie;     // the geometry report
    std::string vorhanden;     // fields present in the table
    std::string projektion;
    std::string gefordert; // verdict per required field
    // Every record read and checked and nothing found: the result box turns green. Never true
    // for a run that stopped early or was cancelled.
    bool fehlerfrei = false;
    GeometriePruefung pruefung;
};

// Runs the check with the two threshold texts of the window (centimetres, square metres) on
// `jobs` worker threads (0: one per core). Sets status and position of every entry of `liste`.
PruefTexte pruefen(const std::string& shapePfad, Attributliste& liste,
                   const std::string& minAbstandText, const std::string& minFlaecheText,
                   PruefAnzeige* anzeige = nullptr, const FehlerMelder& melden = {},
                   unsigned jobs = 0);

// For the window: a German message that names the file and says why the check of `shapePfad`
// did not read it whole (threshold refused, file or table missing, file not opened, a record
// that cannot be read, cancelled); "" when every record was read and checked.
std::string pruefFehlschlag(const PruefTexte& t, const std::string& shapePfad);

} // namespace trelvik
