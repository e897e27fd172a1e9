#pragma once
// Reading text files line by line, with the error message of the program.
#include <functional>
#include <istream>
#include <string>

namespace trelvik {

// Receives "Beim Einlesen einer Datei ist ein Fehler aufgetreten!" when a line cannot be read.
using FehlerMelder = std::function<void(const std::string& meldung)>;

inline constexpr const char* meldungLesefehler =
    "Beim Einlesen einer Datei ist ein Fehler aufgetreten!";

// Reads the next line (CR LF or LF ended; the line end is not part of it). Returns false at the
// end of the file and after a read error; after an error the line is empty, `melden` got the
// message, and the caller stops reading that file.
bool leseZeile(std::istream& datei, std::string& zeile, const FehlerMelder& melden = {});

} // namespace trelvik
