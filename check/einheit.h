#pragma once
// The unit of a file set's coordinates as its projection file names it. The thresholds are
// entered in centimetres and square metres, so coordinates in degrees or feet make them mean
// something else; the check warns then, the report stays as it is.
#include <string>

namespace trelvik {

struct Koordinateneinheit {
    enum class Art { Unbekannt, Meter, Grad, AndereLaenge };
    Art art = Art::Unbekannt;
    std::string name;  // the unit's name as the text spells it, e.g. "Degree", "Foot_US"
    double faktor = 0; // metres (or radians) per unit, 0 when not given
};

// The unit of one line of well-known text: the angular unit of a geographic system, the
// linear unit of a projected one. Unbekannt when the text names neither.
Koordinateneinheit einheitAusProjektion(const std::string& wkt);

// The unit of the projection file beside `shapePfad`; Unbekannt without one.
Koordinateneinheit koordinateneinheit(const std::string& shapePfad);

// True when the thresholds do not mean metres: degrees, or a length other than the metre.
bool einheitWarnen(const Koordinateneinheit& einheit);

// The window's status line warning, "" when there is nothing to warn about.
std::string einheitWarnung(const std::string& shapePfad);

} // namespace trelvik
