#pragma once
// Fixed-width text columns. Widths count characters (UTF-8 code points), not bytes.
#include <string>
#include <string_view>

namespace trelvik {

std::size_t zeichenAnzahl(std::string_view utf8);
// The first `n` characters of the text.
std::string linkeZeichen(std::string_view utf8, std::size_t n);
// The last `n` characters of the text.
std::string rechteZeichen(std::string_view utf8, std::size_t n);
// The first `n` characters of (text + blanks): padded or cut to exactly `n`.
std::string spalteLinks(std::string_view utf8, std::size_t n);
// Right-aligned in `n` characters; a longer text is kept whole (it widens its column).
std::string spalteRechts(std::string_view utf8, std::size_t n);
// Leading and trailing blanks removed (tabs stay, as the reports expect).
std::string trimmen(std::string_view text);
// Upper case for ASCII letters and the German umlauts.
std::string grossSchreiben(std::string_view utf8);
// Windows-1252 bytes as UTF-8 (for names read straight from binary files).
std::string ausWindows1252(std::string_view bytes);
// UTF-8 text as Windows-1252 bytes, one per character; a character the code page lacks, and
// a byte that is no valid UTF-8, become "?".
std::string inWindows1252(std::string_view utf8);

inline constexpr std::string_view zeilenEnde = "\r\n";

} // namespace trelvik
