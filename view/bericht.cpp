#include "view/bericht.h"

#include "app/texte.h"

namespace trelvik {

std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden) {
    std::string s = trimmen(text);
    if (ohneZeilenenden)
        while (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
    return s;
}

std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie) {
    const std::string zeilen[] = {shapePfad,
                                  label3,
                                  "",
                                  "Vorhandene Datenbank",
                                  "====================",
                                  berichtAbschnitt(vorhanden, true),
                                  "",
                                  "Geforderte Datenbank",
                                  "====================",
                                  berichtAbschnitt(gefordert, true),
                                  "",
                                  "Projektion",
                                  "==========",
                                  berichtAbschnitt(projektion, true),
                                  "",
                                  berichtAbschnitt(geometrie, false)};
    std::string text;
    for (const auto& z : zeilen) {
        text += z;
        text += zeilenEnde;
    }
    return text;
}

} // namespace trelvik
