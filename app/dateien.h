#pragma once
// File-existence and write-access queries that never fail.
#include <functional>
#include <string>

namespace trelvik {

constexpr int attributOrdner = 16; // the directory bit of the attribute mask

// Name (without folder) of the first entry matching `pfad` (wildcards * and ? in the last
// component), folders only when `maske` has bit 16; "" when the path is empty, nothing matches
// or the look-up fails.
std::string dateiSuchen(const std::string& pfad, int maske);

// Whether the program may write at `pfad`. When not, `melden` (if given and `meldungZeigen` is
// set) receives "Datei/Verzeichnis ist schreibgeschützt.".
using Melder = std::function<void(const std::string& meldung)>;
bool checkReadOnly(const std::string& pfad, bool meldungZeigen, const Melder& melden = {});

// The folder before the last "/", with the "/"; "" when there is none.
std::string ordnerVon(const std::string& pfad);

// A file beside a shapefile: the path without its last three characters plus `endung`; files
// from case-insensitive file systems are found in any spelling of the extension. "" when there
// is none.
std::string begleitDatei(const std::string& shapePfad, const std::string& endung);

// The temporary folder: "tmp", then "temp", then TMPDIR, then /tmp; always ends with "/".
std::string tempOrdner();

// The folder of the running program, ending with "/".
std::string programmOrdner();

// Whether the program in `programmOrdner` runs from an installed tree: its data folder
// (share/trelvik beside bin/) exists. A build tree has none.
bool installiert(const std::string& programmOrdner);

// The folder of the program's data (help, the default Attribute.txt), ending with "/": the
// installed data folder, else the program folder itself.
std::string datenOrdner(const std::string& programmOrdner);

} // namespace trelvik
