#pragma once
// The projection text of a file set, broken into indented lines, one keyword per line.
#include "check/text_datei.h"

#include <string>

namespace trelvik {

// The projection file beside a shapefile: the path without its last three characters plus
// "PRJ"; on a case-sensitive file system "prj" (and any other spelling of it) is found too.
// "" when there is none.
std::string projektionsDatei(const std::string& shapePfad);

// Breaks one line of well-known text into indented lines (CR LF between them).
std::string einrueckenProjektion(const std::string& zeile);

// The text for the projection box: "nicht vorhanden" without a projection file.
std::string leseProjektion(const std::string& shapePfad, const FehlerMelder& melden = {});

} // namespace trelvik
