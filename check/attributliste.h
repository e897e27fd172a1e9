#pragma once
// The list of required attribute fields (Attribute.txt) and its comparison with the fields of a
// dBase table.
#include "check/text_datei.h"

#include <string>
#include <vector>

namespace trelvik {

struct AttributEintrag {
    std::string name; // upper case, at most 10 characters, "-" replaced by "_"
    std::string typ;  // "C", "D", "F", "L" or "N"
    int laenge = 0;
    int dezimalen = 0;
    int status = 0;   // 0 not found, 1 found with another format, 2 found and equal
    int position = 0; // 1-based position of the matching field in the table
};
using Attributliste = std::vector<AttributEintrag>;

// One field descriptor of a dBase table as the check reads it from the file itself.
struct TabellenFeld {
    std::string name; // as stored (11 bytes, ended at the first NUL), in the table's code page
    char typ = 'C';   // "Z" is taken as "C"
    int laenge = 0;
    int dezimalen = 0;
};

// Writes the default list, replacing any content. False when the file cannot be written.
bool schreibeStandardAttribute(const std::string& pfad);

// Reads the list at `pfad`, writing the default file first when there is none. A file that
// still does not exist leaves the list empty.
Attributliste leseAttributliste(const std::string& pfad, const FehlerMelder& melden = {});

// The per-user configuration folder, ending with "/": $XDG_CONFIG_HOME/trelvik/ when that is an
// absolute path, else ~/.config/trelvik/; "" without either variable.
std::string benutzerOrdner();

// Where Attribute.txt lives. In a build tree beside the program, unless it is missing there and
// that folder cannot be written. An installed program never writes into its own tree: the list
// is the user's, in benutzerOrdner(), copied from the installed default at the first use.
// Without a per-user folder an installed program reads its default.
std::string attributDateiPfad(const std::string& programmOrdner);

// The field descriptors of a table file, names decoded in the code page of the ".cpg" beside
// it (Windows-1252 without one); a file shorter than 64 bytes or missing has none.
std::vector<TabellenFeld> leseTabellenFelder(const std::string& dbfPfad);

// The 11-character type name of the existing-table box ("Zeichen    ", ..., "unbekannt  ").
std::string feldTypName(char typ);

// The two attribute boxes of a check: the fields present, and the verdict per required entry.
struct AttributBoxen {
    std::string vorhanden;
    std::string gefordert;
};

// Sets status and position of every entry from the table's fields and builds both texts.
AttributBoxen vergleicheAttribute(const std::vector<TabellenFeld>& felder, Attributliste& liste);

} // namespace trelvik
