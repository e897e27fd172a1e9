#include "app/texte.h"


namespace trelvik {

namespace {

bool istFolgebyte(unsigned char c) { return (c & 0xC0) == 0x80; }

// Byte offset of character `n` (or the end of the text).
std::size_t versatz(std::string_view s, std::size_t n) {
    std::size_t i = 0;
    while (i < s.size() && n > 0) {
        ++i;
        while (i < s.size() && istFolgebyte(static_cast<unsigned char>(s[i])))
            ++i;
        --n;
    }
    return i;
}

} // namespace

std::size_t zeichenAnzahl(std::string_view s) {
    std::size_t n = 0;
    for (const char c : s)
        if (!istFolgebyte(static_cast<unsigned char>(c)))
            ++n;
    return n;
}

std::string linkeZeichen(std::string_view s, std::size_t n) {
    return std::string(s.substr(0, versatz(s, n)));
}

std::string rechteZeichen(std::string_view s, std::size_t n) {
    const std::size_t alle = zeichenAnzahl(s);
    if (alle <= n)
        return std::string(s);
    return std::string(s.substr(versatz(s, alle - n)));
}

std::string spalteLinks(std::string_view s, std::size_t n) {
    std::string ergebnis = linkeZeichen(s, n);
    const std::size_t laenge = zeichenAnzahl(ergebnis);
    if (laenge < n)
        ergebnis.append(n - laenge, ' ');
    return ergebnis;
}

std::string spalteRechts(std::string_view s, std::size_t n) {
    const std::size_t laenge = zeichenAnzahl(s);
    std::string ergebnis;
    if (laenge < n)
        ergebnis.assign(n - laenge, ' ');
    ergebnis += s;
    return ergebnis;
}

std::string trimmen(std::string_view t) {
    const auto anfang = t.find_first_not_of(' ');
    if (anfang == std::string_view::npos)
        return "";
    const auto ende = t.find_last_not_of(' ');
    return std::string(t.substr(anfang, ende - anfang + 1));
}

bool nurZiffern(std::string_view s) {
    if (s.empty())
        return false;
    for (const char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

std::string grossSchreiben(std::string_view s) {
    std::string ergebnis(s);
    for (std::size_t i = 0; i < ergebnis.size(); ++i) {
        char& c = ergebnis[i];
        if (c >= 'a' && c <= 'z') {
            c = static_cast<char>(c - 'a' + 'A');
        } else if (static_cast<unsigned char>(c) == 0xC3 && i + 1 < ergebnis.size()) {
            // ä ö ü (C3 A4, C3 B6, C3 BC) -> Ä Ö Ü (C3 84, C3 96, C3 9C)
            auto& z = reinterpret_cast<unsigned char&>(ergebnis[i + 1]);
            if (z == 0xA4 || z == 0xB6 || z == 0xBC)
                z = static_cast<unsigned char>(z - 0x20);
            ++i;
        }
    }
    return ergebnis;
}

} // namespace trelvik
