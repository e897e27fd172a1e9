#pragma once
// The check command: attribute comparison, projection and geometry report of one shapefile,
// and the saved report built from its texts.
#include "check/attributliste.h"
#include "check/pruef_lauf.h"

#include <string>

namespace trelvik {

struct PruefTexte {
    // False when the shapefile or its table is missing: the command then disables itself and
    // shows nothing.
    bool ausgefuehrt = false;
    std::string shapeTypLabel; // "Shape Typ: ..." or "Kein Shape vorhanden"
    std::string geometrie;     // the geometry report
    std::string vorhanden;     // fields present in the table
    std::string projektion;
    std::string gefordert;     // verdict per required field
    bool fehlerfrei = false;   // no finding line: the result box turns green
    GeometriePruefung pruefung;
};

// Runs the check with the two threshold texts of the window (centimetres, square metres).
// Sets status and position of every entry of `liste`.
PruefTexte pruefen(const std::string& shapePfad, Attributliste& liste,
                   const std::string& minAbstandText, const std::string& minFlaecheText,
                   PruefAnzeige* anzeige = nullptr, const FehlerMelder& melden = {});

// The saved report: sixteen CR LF ended lines (path, summary label, the three sections with
// their headings, the geometry report).
std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie);

// A report section as it is put out: blanks trimmed; with `ohneZeilenenden` also every
// trailing CR LF pair removed.
std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden);

} // namespace trelvik
