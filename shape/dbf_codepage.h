#pragma once
// Code pages of attribute tables: which converter a ".cpg" name denotes, decoding field bytes into
// UTF-8 (with the umlaut repair for single-byte pages) and encoding texts for writing.
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

namespace trelvik {

// The iconv name for a code page as ".cpg" files spell it ("1252", "ANSI 1252", "UTF8", "88591",
// "OEM 850", ...). Empty or unknown to iconv gives "WINDOWS-1252".
std::string iconvName(const std::string& codepage);

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

    const std::string& name() const { return name_; }
    bool utf8() const { return art_ == Art::Utf8; }
    bool einzelbyte() const { return art_ == Art::Einzelbyte; }

    // Field bytes to UTF-8; bytes the page does not define become U+FFFD. `reparieren` applies
    // the umlaut repair (single-byte pages only).
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

} // namespace trelvik
