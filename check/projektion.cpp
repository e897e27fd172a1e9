#include "check/projektion.h"

#include "app/dateien.h"
#include "app/texte.h"

#include <algorithm>
#include <fstream>
#include <vector>

namespace trelvik {

std::string projektionsDatei(const std::string& shapePfad) {
    return begleitDatei(shapePfad, "PRJ");
}

// A real projection text breaks into a few kilobytes; a hostile one (a long keyword followed by
// a megabyte of "[") would indent every bracket by that keyword. Past this size the layout
// stops and the text ends there.
constexpr std::size_t hoechstensZeichen = 8u << 20;

std::string einrueckenProjektion(const std::string& zeile) {
    std::string ergebnis;
    std::size_t ebene = 0;
    std::size_t anfang = 0;
    std::vector<std::size_t> einzug(101, 0);
    for (std::size_t i = 0; i < zeile.size() && ergebnis.size() < hoechstensZeichen; ++i) {
        if (zeile[i] == '[') {
            ++ebene;
            if (ebene >= einzug.size())
                einzug.resize(einzug.size() + 100, 0);
            std::string abschnitt = zeile.substr(anfang, i - anfang + 1);
            einzug[ebene] = abschnitt.size() - 1;
            const auto komma = abschnitt.find(',');
            if (komma != std::string::npos) {
                ergebnis += abschnitt.substr(0, komma + 1);
                ergebnis += zeilenEnde;
                abschnitt = abschnitt.substr(komma + 1);
                einzug[ebene] = abschnitt.size() - 1;
            }
            einzug[ebene] = std::max(einzug[ebene], einzug[ebene - 1]);
            ergebnis.append(einzug[ebene - 1], ' ');
            ergebnis += abschnitt;
            anfang = i + 1;
        } else if (zeile[i] == ']') {
            // A "]" without its "[" never takes the level below 0.
            if (ebene > 0)
                --ebene;
            ergebnis += zeile.substr(anfang, i - anfang + 1);
            anfang = i + 1;
        }
    }
    return ergebnis;
}

std::string leseProjektion(const std::string& shapePfad, const FehlerMelder& melden) {
    const std::string pfad = projektionsDatei(shapePfad);
    if (pfad.empty())
        return "nicht vorhanden";
    std::ifstream datei(pfad, std::ios::binary);
    if (!datei)
        return "nicht vorhanden";
    std::string zeile;
    leseZeile(datei, zeile, melden);
    return einrueckenProjektion(zeile);
}

} // namespace trelvik
