#pragma once
// Code pages of attribute tables: which converter a ".cpg" name denotes, decoding field bytes into
// UTF-8 (with the umlaut repair for single-byte pages) and encoding texts for writing. Also the
// program's one Windows-1252 codec, for everything that is written in that page.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace trelvik {

// The iconv name for a code page as ".cpg" files spell it ("1252", "ANSI 1252", "UTF8", "88591",
// "OEM 850", ...). Empty or unknown to iconv gives "WINDOWS-1252".
std::string iconvName(const std::string& codepage);

// The code page named by a ".cpg" file: its first line, trimmed; "" when there is none or it is
// unreadable.
std::string codepageVon(const std::string& cpgPfad);

// One code page, resolved once: single-byte pages become a table of 256 UTF-8 texts, multi-byte
// pages keep an open converter.
class Zeichensatz {
public:
    explicit Zeichensatz(const std::string& codepage);
    ~Zeichensatz();
    Zeichensatz(Zeichensatz&&) noexcept;
    Zeichensatz& operator=(Zeichensatz&&) noexcept;
    Zeichensatz(const Zeichensatz&) = delete;
    Zeichensatz& operator=(const Zeichensatz&) = delete;

    // Field bytes to UTF-8; bytes the page does not define become U+FFFD. `reparieren` applies
    // the umlaut repair on the byte codes (single-byte pages only): 175 -> "ß", 245 -> "ä",
    // 213 -> "Ä", 179 -> "Ü"/"ü", 247 -> "Ö"/"ö" (capital at the start or after a blank or a TAB).
    std::string dekodiere(std::string_view bytes, bool reparieren) const;
    // UTF-8 to the page, at most `hoechstens` bytes and never a character cut in half. Characters
    // the page lacks (and invalid UTF-8) become '?'. Multi-byte pages other than UTF-8 are not
    // written: the text goes out as UTF-8 cut on a character boundary.
    std::string kodiere(std::string_view utf8, std::size_t hoechstens) const;

private:
    enum class Art { Utf8, Einzelbyte, Mehrbyte };
    struct Wandler;

    Art art_ = Art::Einzelbyte;
    std::string name_;
    std::array<std::string, 256> zeichen_;              // single-byte: UTF-8 of every byte
    std::unordered_map<char32_t, unsigned char> rueck_; // single-byte: code point -> byte
    std::unique_ptr<Wandler> wandler_;                  // multi-byte: the open converter
};

// Windows-1252 bytes as UTF-8 (bytes the page lacks become U+FFFD), and UTF-8 as Windows-1252,
// one byte per character: a character the page lacks, and invalid UTF-8, become "?".
std::string ausWindows1252(std::string_view bytes);
std::string inWindows1252(std::string_view utf8);

} // namespace trelvik
