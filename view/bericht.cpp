#include "view/bericht.h"

#include "app/texte.h"

namespace trelvik {

namespace {

// Every line end, whether LF, CR or CR LF, as CR LF: a window's text box gives LF.
std::string mitCrLf(const std::string& text) {
    std::string aus;
    aus.reserve(text.size() + text.size() / 16);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            aus += zeilenEnde;
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            aus += c;
        }
    }
    return aus;
}

} // namespace

std::string berichtAbschnitt(const std::string& text, bool ohneZeilenenden) {
    std::string s = trimmen(mitCrLf(text));
    if (ohneZeilenenden)
        while (s.size() >= 2 && s.compare(s.size() - 2, 2, "\r\n") == 0)
            s.resize(s.size() - 2);
    return s;
}

std::string berichtDatei(const std::string& shapePfad, const std::string& label3,
                         const std::string& vorhanden, const std::string& gefordert,
                         const std::string& projektion, const std::string& geometrie) {
    const std::string zeilen[] = {mitCrLf(shapePfad),
                                  mitCrLf(label3),
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
