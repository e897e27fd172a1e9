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

// Runs the check with the two threshold texts of the window (centimetres, square metres).
// Sets status and position of every entry of `liste`.
PruefTexte pruefen(const std::string& shapePfad, Attributliste& liste,
                   const std::string& minAbstandText, const std::string& minFlaecheText,
                   PruefAnzeige* anzeige = nullptr, const FehlerMelder& melden = {});

// The bytes of the saved report, for the window's "Auswertung speichern" and for
// `trelvik-cli check --out` alike: UTF-8, sixteen CR LF ended lines (path, summary label, the
// three sections with their headings, the geometry report). The texts may come with LF, CR or
// CR LF line ends (a text box gives LF); every line end is written as CR LF.
std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie);

// A report section as it is put out: blanks trimmed; with `ohneZeilenenden` also every
// trailing CR LF pair removed.
std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden);

} // namespace trelvik
