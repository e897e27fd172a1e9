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
// True for a text of one or more of the digits 0 to 9 and nothing else.
bool nurZiffern(std::string_view text);
// Upper case for ASCII letters and the German umlauts.
std::string grossSchreiben(std::string_view utf8);
inline constexpr std::string_view zeilenEnde = "\r\n";

} // namespace trelvik
