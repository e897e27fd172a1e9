#pragma once
// Fixture files for the shape tests, written byte by byte at run time into a private folder.
#include "hilfe/ordner.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace trelvik::test {

using Bytes = std::vector<std::uint8_t>;

void be32(Bytes& b, std::int32_t wert);
void le32(Bytes& b, std::int32_t wert);
void f64(Bytes& b, double wert);

struct XY {
    double x;
    double y;
};

// Record contents after the record header, starting with the shape type.
Bytes punktInhalt(std::int32_t typ, double x, double y, double z = 0, double m = 0,
                  bool mitM = true);
// Types 3, 5, 13, 15, 23, 25: box, counts, part starts, points, then the Z block for the Z
// types and the M block for the Z and M types when `mitM`.
Bytes teileInhalt(std::int32_t typ, const std::vector<std::int32_t>& teile,
                  const std::vector<XY>& punkte, const std::vector<double>& z = {},
                  const std::vector<double>& m = {}, bool mitM = true);
// Types 8, 18, 28.
Bytes multiInhalt(std::int32_t typ, const std::vector<XY>& punkte,
                  const std::vector<double>& z = {}, const std::vector<double>& m = {},
                  bool mitM = true);

// One column of a dBase III table; rows give one text per column.
struct Spalte {
    std::string name;
    char typ = 'C';
    int laenge = 10;
    int dezimalen = 0;
};
Bytes dbfBytes(const std::vector<Spalte>& spalten,
               const std::vector<std::vector<std::string>>& zeilen);

// A 100-byte header: file code 9994, version 1000, the length in words, the type and box.
Bytes kopfBytes(std::int32_t laengeWoerter, std::int32_t typ,
                const std::array<double, 8>& box = {1E+40, 1E+40, -1E+40, -1E+40, 0, 0, 0, 0});

// A complete file set basis + "shp", "shx", "dbf" with these record contents (an empty
// content writes an index offset of 0 and no record). Returns basis + "shp".
std::string schreibeDateisatz(const std::string& basis, std::int32_t typ,
                              const std::vector<Bytes>& inhalte,
                              const std::vector<Spalte>& spalten = {{"NAME", 'C', 10, 0}},
                              std::vector<std::vector<std::string>> zeilen = {});

Bytes leseDatei(const std::string& pfad);
void schreibeDatei(const std::string& pfad, const Bytes& bytes);
// Overwrites bytes of a file at `stelle` (0-based).
void ueberschreibe(const std::string& pfad, std::size_t stelle, const Bytes& bytes);
void kuerzeAuf(const std::string& pfad, std::size_t laenge);

} // namespace trelvik::test
