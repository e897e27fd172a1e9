#pragma once
// The German texts of the geometry report, built from the findings of a check run.
#include "check/pruef_lauf.h"

#include <string>

namespace trelvik {

inline constexpr int listenGrenze = 10; // shown entries per list

inline constexpr const char* meldungNichtGeoeffnet = "Das Shape konnte nicht geöffnet werden!";

// Number formats of the report.
std::string formatGanz(double wert);
// Right-aligned in 7 characters; a wider number is written whole.
std::string formatKoordinate(double wert);
// Five decimals at most, trailing zeros and a trailing point removed (12.5, 3).
std::string formatDezimal(double wert);
// Left-aligned in 15 characters; a longer label is written whole.
std::string formatSpalte(const std::string& text);

// The text of one list entry ("Xo/Yo: ...", "Schnittpunkt Xo/Yo: ...", "RingPunkt ...").
std::string eintragText(const Fundstelle& f);

// The finding lines of a record, without their label.
enum class Befundzeile {
    ZuWenigPunkte,
    Punktanzahl,
    Typ,
    Flaeche,
    Abstand,
    Schneidet,
    RingeNah,
    RingeSchneiden
};
std::string befundZeileText(const GeometriePruefung& pruefung, const SatzBefund& befund,
                            Befundzeile zeile);

// The number of finding lines the report of this check holds.
std::int32_t fehlerZeilen(const GeometriePruefung& pruefung);

// The whole geometry report (CR LF between lines, none after the last).
std::string geometrieBericht(const GeometriePruefung& pruefung);

} // namespace trelvik
