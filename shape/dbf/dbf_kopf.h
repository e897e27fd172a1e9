#pragma once
// The header of a dBase table: the 32-byte file header and the 32-byte field descriptors after
// it. Read here for the attribute table and for the check's comparison of the field list.
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace trelvik {

// One column: dBase type letter ('C', 'N', 'F', 'D', 'L', ...), field length and decimal count.
// The name is decoded (UTF-8) and trimmed wherever a DbfFeld is handed out.
struct DbfFeld {
    std::string name;
    char typ = 'C';
    int laenge = 0;
    int dezimalen = 0;
};

// One field descriptor as stored: the name bytes up to the first NUL (at most 11), the type
// byte, the length (byte 16) and the decimals (byte 17), both unsigned.
struct FeldBeschreibung {
    std::string nameBytes;
    char typ = 'C';
    int laenge = 0;
    int dezimalen = 0;
};

struct FeldBeschreibungen {
    std::vector<FeldBeschreibung> felder;
    bool abgeschlossen = false; // the terminator byte followed the last descriptor
};

// Reads descriptors from the stream's position (the byte after the file header) on, each one only
// when it ends at or before the file offset `grenze`, until a descriptor's first byte is the
// terminator or a read fails.
FeldBeschreibungen leseFeldBeschreibungen(std::istream& datei, std::uint64_t grenze);

// What the attribute table needs of a header that has been checked.
struct DbfKopf {
    std::vector<FeldBeschreibung> felder;
    int satzLaenge = 0; // bytes per row, deletion flag included
    int zeilen = 0;     // rows actually present in the file (a cut file keeps fewer)
    std::uint32_t zeilenImKopf = 0;
};

// Checks the header of the table at `pfad` before any engine sees it. Throws std::runtime_error
// with the reason when the file is missing or no dBase table; messages name `name` (the file
// as the user knows it) instead of `pfad`.
DbfKopf pruefeKopf(const std::string& pfad, const std::string& name);

} // namespace trelvik
