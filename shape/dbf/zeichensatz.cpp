#include "shape/dbf/zeichensatz.h"

#include "app/texte.h"

#include <iconv.h>

#include <cctype>
#include <cerrno>
#include <fstream>
#include <stdexcept>

namespace trelvik {

namespace {

constexpr std::string_view ersatz = "\xEF\xBF\xBD"; // U+FFFD
const auto keinWandler = reinterpret_cast<iconv_t>(-1);

struct Utf8Zeichen {
    char32_t wert;
    std::size_t laenge; // bytes consumed; for an invalid sequence its maximal valid prefix
    bool gueltig;
};

// One character at s[i]. Overlong forms, surrogates and values above U+10FFFF are invalid; an
// invalid sequence is consumed up to the byte that breaks it, so it yields one U+FFFD.
Utf8Zeichen naechstesZeichen(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80)
        return {b0, 1, true};
    std::size_t n = 0;
    char32_t wert = 0;
    unsigned char unten = 0x80;
    unsigned char oben = 0xBF;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        n = 2;
        wert = b0 & 0x1Fu;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        n = 3;
        wert = b0 & 0x0Fu;
        if (b0 == 0xE0)
            unten = 0xA0;
        if (b0 == 0xED)
            oben = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        n = 4;
        wert = b0 & 0x07u;
        if (b0 == 0xF0)
            unten = 0x90;
        if (b0 == 0xF4)
            oben = 0x8F;
    } else {
        return {0, 1, false};
    }
    for (std::size_t k = 1; k < n; ++k) {
        if (i + k >= s.size())
            return {0, k, false};
        const auto b = static_cast<unsigned char>(s[i + k]);
        if (b < unten || b > oben)
            return {0, k, false};
        unten = 0x80;
        oben = 0xBF;
        wert = (wert << 6) | (b & 0x3Fu);
    }
    return {wert, n, true};
}

// Upper case without blanks, '-' and '_': "ANSI 1252", "ansi-1252" and "8859_1" compare alike.
std::string schluessel(const std::string& name) {
    std::string s;
    for (const char c : name)
        if (c != ' ' && c != '-' && c != '_' && c != '\t')
            s += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string getrimmt(std::string_view s) {
    const auto anfang = s.find_first_not_of(" \t\r\n");
    if (anfang == std::string_view::npos)
        return {};
    const auto ende = s.find_last_not_of(" \t\r\n");
    return std::string(s.substr(anfang, ende - anfang + 1));
}

bool iconvKennt(const std::string& name) {
    const iconv_t cd = iconv_open("UTF-8", name.c_str());
    if (cd == keinWandler)
        return false;
    iconv_close(cd);
    return true;
}

} // namespace

std::string iconvName(const std::string& codepage) {
    const std::string name = getrimmt(codepage);
    const std::string k = schluessel(name);
    if (k.empty())
        return "WINDOWS-1252";
    if (k == "UTF8" || k == "65001" || k == "CP65001")
        return "UTF-8";
    for (const std::string_view vorsatz : {"", "ANSI", "CP", "WINDOWS"}) {
        if (k.size() == vorsatz.size() + 4 && k.starts_with(vorsatz)) {
            const std::string_view nummer = std::string_view(k).substr(vorsatz.size());
            if (nurZiffern(nummer) && nummer >= "1250" && nummer <= "1258")
                return "WINDOWS-" + std::string(nummer);
        }
    }
    if (k == "LATIN1")
        return "ISO-8859-1";
    if (k == "LATIN9")
        return "ISO-8859-15";
    for (const std::string_view vorsatz : {"ISO8859", "8859"}) {
        const std::string_view teil = std::string_view(k).substr(0, vorsatz.size());
        const std::string_view nummer = std::string_view(k).substr(teil.size());
        if (teil == vorsatz && nurZiffern(nummer) && nummer.size() <= 2)
            return "ISO-8859-" + std::string(nummer);
    }
    for (const std::string_view nummer : {"850", "437"}) {
        for (const std::string_view vorsatz : {"", "OEM", "CP", "IBM"})
            if (k == std::string(vorsatz) + std::string(nummer))
                return "CP" + std::string(nummer);
    }
    return iconvKennt(name) ? name : "WINDOWS-1252";
}

struct Zeichensatz::Wandler {
    iconv_t cd;
    explicit Wandler(iconv_t c) : cd(c) {}
    ~Wandler() { iconv_close(cd); }
    Wandler(const Wandler&) = delete;
    Wandler& operator=(const Wandler&) = delete;
};

Zeichensatz::Zeichensatz(const std::string& codepage) : name_(iconvName(codepage)) {
    if (name_ == "UTF-8") {
        art_ = Art::Utf8;
        return;
    }
    iconv_t cd = iconv_open("UTF-8", name_.c_str());
    if (cd == keinWandler) {
        name_ = "WINDOWS-1252";
        cd = iconv_open("UTF-8", name_.c_str());
        if (cd == keinWandler)
            throw std::runtime_error("iconv cannot convert from WINDOWS-1252");
    }
    auto wandler = std::make_unique<Wandler>(cd);
    // Every byte on its own: a page that needs more than one byte for some character (or keeps a
    // shift state) is a multi-byte page and is converted text by text.
    bool mehrbyte = false;
    for (std::size_t b = 0; b < 256 && !mehrbyte; ++b) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        char ein = static_cast<char>(b);
        char aus[16];
        char* einZeiger = &ein;
        char* ausZeiger = aus;
        std::size_t einRest = 1;
        std::size_t ausRest = sizeof aus;
        if (iconv(cd, &einZeiger, &einRest, &ausZeiger, &ausRest) == static_cast<std::size_t>(-1)) {
            if (errno == EINVAL)
                mehrbyte = true;
            zeichen_[b] = ersatz;
            continue;
        }
        iconv(cd, nullptr, nullptr, &ausZeiger, &ausRest);
        if (ausZeiger == aus)
            mehrbyte = true;
        zeichen_[b].assign(aus, static_cast<std::size_t>(ausZeiger - aus));
    }
    if (mehrbyte) {
        art_ = Art::Mehrbyte;
        wandler_ = std::move(wandler);
        return;
    }
    art_ = Art::Einzelbyte;
    for (std::size_t b = 0; b < 256; ++b) {
        const std::string& z = zeichen_[b];
        if (z.empty() || z == ersatz)
            continue;
        const Utf8Zeichen c = naechstesZeichen(z, 0);
        if (c.gueltig && c.laenge == z.size())
            rueck_.emplace(c.wert, static_cast<unsigned char>(b)); // the first byte wins
    }
}

Zeichensatz::~Zeichensatz() = default;
Zeichensatz::Zeichensatz(Zeichensatz&&) noexcept = default;
Zeichensatz& Zeichensatz::operator=(Zeichensatz&&) noexcept = default;

std::string Zeichensatz::dekodiere(std::string_view bytes, bool reparieren) const {
    std::string aus;
    aus.reserve(bytes.size() + bytes.size() / 2);
    if (art_ == Art::Utf8) {
        for (std::size_t i = 0; i < bytes.size();) {
            const Utf8Zeichen c = naechstesZeichen(bytes, i);
            if (c.gueltig)
                aus.append(bytes.substr(i, c.laenge));
            else
                aus += ersatz;
            i += c.laenge;
        }
        return aus;
    }
    if (art_ == Art::Mehrbyte) {
        iconv(wandler_->cd, nullptr, nullptr, nullptr, nullptr);
        char* ein = const_cast<char*>(bytes.data()); // iconv does not write its input
        std::size_t einRest = bytes.size();
        char puffer[1024];
        while (true) {
            char* ziel = puffer;
            std::size_t platz = sizeof puffer;
            const std::size_t r = einRest > 0
                                      ? iconv(wandler_->cd, &ein, &einRest, &ziel, &platz)
                                      : iconv(wandler_->cd, nullptr, nullptr, &ziel, &platz);
            const int fehler = errno;
            aus.append(puffer, static_cast<std::size_t>(ziel - puffer));
            if (r != static_cast<std::size_t>(-1)) {
                if (einRest == 0 && ziel == puffer)
                    break; // input used up and the shift state flushed
                continue;
            }
            if (fehler == E2BIG)
                continue;
            // An undefined or incomplete sequence: one replacement, then go on after its byte.
            aus += ersatz;
            ++ein;
            --einRest;
            iconv(wandler_->cd, nullptr, nullptr, nullptr, nullptr);
        }
        return aus;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (reparieren) {
            // Texts from an OEM-converted source carry these codes for the German letters.
            const bool wortanfang = i == 0 || bytes[i - 1] == ' ' || bytes[i - 1] == '\t';
            switch (b) {
            case 175:
                aus += "\xC3\x9F"; // ß
                continue;
            case 245:
                aus += "\xC3\xA4"; // ä
                continue;
            case 213:
                aus += "\xC3\x84"; // Ä
                continue;
            case 179:
                aus += wortanfang ? "\xC3\x9C" : "\xC3\xBC"; // Ü, ü
                continue;
            case 247:
                aus += wortanfang ? "\xC3\x96" : "\xC3\xB6"; // Ö, ö
                continue;
            default:
                break;
            }
        }
        aus += zeichen_[b];
    }
    return aus;
}

std::string Zeichensatz::kodiere(std::string_view utf8, std::size_t hoechstens) const {
    std::string aus;
    for (std::size_t i = 0; i < utf8.size();) {
        const Utf8Zeichen c = naechstesZeichen(utf8, i);
        if (art_ == Art::Einzelbyte) {
            if (aus.size() >= hoechstens)
                break;
            const auto treffer = c.gueltig && c.wert != 0 ? rueck_.find(c.wert) : rueck_.end();
            aus += treffer != rueck_.end() ? static_cast<char>(treffer->second) : '?';
        } else {
            const std::string_view stueck =
                c.gueltig && c.wert != 0 ? utf8.substr(i, c.laenge) : std::string_view("?");
            if (aus.size() + stueck.size() > hoechstens)
                break;
            aus.append(stueck);
        }
        i += c.laenge;
    }
    return aus;
}

std::string codepageVon(const std::string& cpgPfad) {
    std::ifstream datei(cpgPfad, std::ios::binary);
    if (!datei)
        return "";
    // A code page name is short; a large file is not read beyond its start.
    char puffer[256];
    datei.read(puffer, sizeof puffer);
    std::string_view inhalt(puffer, static_cast<std::size_t>(datei.gcount()));
    if (inhalt.starts_with("\xEF\xBB\xBF"))
        inhalt.remove_prefix(3);
    const auto zeilenende = inhalt.find_first_of("\r\n");
    if (zeilenende != std::string_view::npos)
        inhalt = inhalt.substr(0, zeilenende);
    return getrimmt(inhalt);
}

namespace {

const Zeichensatz& windows1252() {
    static const Zeichensatz seite("1252");
    return seite;
}

} // namespace

std::string ausWindows1252(std::string_view bytes) {
    return windows1252().dekodiere(bytes, false);
}

std::string inWindows1252(std::string_view utf8) {
    return windows1252().kodiere(utf8, utf8.size());
}

} // namespace trelvik
