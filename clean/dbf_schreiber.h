#pragma once
// The attribute table of a cleaned shapefile: a dBase III file whose columns are the entries of
// the required attribute list, written byte by byte in Windows-1252 (each column's text as
// spaltenText in shape/dbf/dbf_werte.h makes it).
#include "check/attributliste.h"
#include "shape/shape_datei.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trelvik {

struct Tagesdatum {
    int jahr = 1900;
    int monat = 1;
    int tag = 1;
};
Tagesdatum heute(); // the local date

class DbfSchreiber {
public:
    // Creates (or empties) the file; throws std::runtime_error when it cannot.
    explicit DbfSchreiber(const std::string& pfad);
    ~DbfSchreiber();
    DbfSchreiber(const DbfSchreiber&) = delete;
    DbfSchreiber& operator=(const DbfSchreiber&) = delete;

    // Header and column descriptors, one per list entry. Throws when the columns do not fit a
    // dBase III header (more than 2046 columns or rows longer than 65535 bytes).
    void schreibeDbfKopf(const Attributliste& spalten, const Tagesdatum& datum = heute());
    // One row: column k takes the value at its entry's `position` (1-based) in `werte`, the
    // source record's attribute texts in table order; " " when the entry matched no field.
    void schreibeDbfSatz(const std::vector<std::string>& werte);
    // End marker and the counts in the header; closes the file.
    void schliesseDbf(std::int32_t zeilen);

    // Numbers that did not fit their column and were written as "*" (no value).
    int ueberlaeufe() const { return ueberlaeufe_; }

private:
    void leere();

    Datei datei_;
    Attributliste spalten_;
    std::uint16_t kopfLaenge_ = 0;
    std::uint16_t satzLaenge_ = 0;
    std::vector<std::uint8_t> satz_; // the row buffer: deletion flag " ", then the columns
    std::vector<std::uint8_t> puffer_;
    std::uint64_t position_ = 0;
    int ueberlaeufe_ = 0;
};

} // namespace trelvik
