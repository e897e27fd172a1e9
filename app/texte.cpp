#include "app/texte.h"

#include <algorithm>
#include <array>

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

std::string ausWindows1252(std::string_view bytes) {
    // 0x80..0x9F of Windows-1252; 0 where the code page has no character.
    static constexpr std::array<char16_t, 32> oben = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string ergebnis;
    ergebnis.reserve(bytes.size());
    for (const char zeichen : bytes) {
        const auto b = static_cast<unsigned char>(zeichen);
        char32_t c = b;
        if (b >= 0x80 && b < 0xA0)
            c = oben[b - 0x80] != 0 ? oben[b - 0x80] : 0xFFFD;
        if (c < 0x80) {
            ergebnis.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            ergebnis.push_back(static_cast<char>(0xC0 | (c >> 6)));
            ergebnis.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            ergebnis.push_back(static_cast<char>(0xE0 | (c >> 12)));
            ergebnis.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            ergebnis.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return ergebnis;
}

std::string inWindows1252(std::string_view utf8) {
    static constexpr std::array<char16_t, 32> oben = {
        0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    std::string ergebnis;
    ergebnis.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        char32_t c = 0;
        std::size_t folge = 0;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            c = b & 0x1Fu;
            folge = 1;
        } else if ((b & 0xF0) == 0xE0) {
            c = b & 0x0Fu;
            folge = 2;
        } else if ((b & 0xF8) == 0xF0) {
            c = b & 0x07u;
            folge = 3;
        } else {
            ergebnis.push_back('?');
            ++i;
            continue;
        }
        bool gueltig = true;
        for (std::size_t k = 1; gueltig && k <= folge; ++k) {
            if (i + k >= utf8.size() || (static_cast<unsigned char>(utf8[i + k]) & 0xC0) != 0x80)
                gueltig = false;
            else
                c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3Fu);
        }
        if (!gueltig) {
            ergebnis.push_back('?');
            ++i;
            continue;
        }
        i += folge + 1;
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            ergebnis.push_back(static_cast<char>(c));
            continue;
        }
        const auto stelle = std::find(oben.begin(), oben.end(), static_cast<char16_t>(c));
        if (c <= 0xFFFF && c != 0 && stelle != oben.end())
            ergebnis.push_back(static_cast<char>(0x80 + (stelle - oben.begin())));
        else
            ergebnis.push_back('?');
    }
    return ergebnis;
}

} // namespace trelvik
