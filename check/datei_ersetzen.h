#pragma once
// Files written whole or not at all: under a temporary name in the target's folder, flushed to
// disk, then renamed over the target.
#include <cstdio>
#include <string>

namespace trelvik {

// A new, empty file "<folder>/.<name>.XXXXXX" beside `ziel`, open for writing. "" and `fehler`
// set when the folder cannot take it.
std::string legeTempDateiAn(const std::string& ziel, std::FILE*& datei, std::string& fehler);

// Flushes `pfad` to disk (an already closed file is opened again for it).
bool aufPlatteBringen(const std::string& pfad, std::string& fehler);

// Renames `temp` over `ziel` and flushes the folder.
bool ersetzeDatei(const std::string& temp, const std::string& ziel, std::string& fehler);

// `inhalt` as the whole new content of `ziel`.
bool schreibeGanz(const std::string& ziel, const std::string& inhalt, std::string& fehler);

} // namespace trelvik
