#pragma once
// The geometry check of a whole shapefile. Findings are kept as data; the report texts
// (bericht_texte) turn them into the German lines and apply the list limits.
#include "shape/punktfeld.h"
#include "trelvik_geometrie.h"

#include <cstdint>
#include <string>
#include <vector>

namespace trelvik {

// One listed place of a record.
struct Fundstelle {
    enum class Art { FlaecheUndLaenge, Flaeche, Laenge, Schnittpunkt, RingPunkt };
    Art art = Art::Flaeche;
    std::int32_t teil = 0;  // 1-based part (ring A for ring points)
    std::int32_t teilB = 0; // ring B of a ring point
    Punkt ort{0, 0};        // the place (point A for ring points)
    Punkt ortB{0, 0};       // point B of a ring point
    double flaeche = 0;     // absolute area, m²
    double abstand = 0;     // absolute distance, coordinate units
    std::int32_t ringFlags = 0; // a ring point's pair result: 1 = contact, 2 = crossing
};

// What the check found in one record.
struct SatzBefund {
    std::int32_t satz = 0;  // 0-based record index
    std::int32_t teile = 0; // number of parts
    std::int32_t satzTyp = 0;
    bool zuWenigPunkte = false;
    bool punktanzahlZuKlein = false;
    bool typFalsch = false;
    bool flaecheZuKlein = false;
    bool abstandZuKlein = false;
    bool schneidet = false;
    bool ringeNah = false;
    bool ringeSchneiden = false;
    double kleinsteFlaeche = 0;
    double kleinsterAbstand = 0;
    std::vector<Fundstelle> flaechen; // area and length entries, in the order found
    std::vector<Fundstelle> schnitte; // one per self-crossing part
    std::vector<Fundstelle> ringe;    // at most one per ring A
    // Faults of the record's format (open rings, points outside every part, coordinates that
    // are no numbers), as German lines after the record's other lines.
    std::vector<std::string> formatFehler;

    bool hatBefund() const {
        return zuWenigPunkte || punktanzahlZuKlein || typFalsch || flaecheZuKlein ||
               abstandZuKlein || schneidet || ringeNah || ringeSchneiden || !formatFehler.empty();
    }
};

struct GeometriePruefung {
    bool geoeffnet = false;
    std::string grund; // why the file could not be opened or read to its end
    std::int32_t shapeTyp = -1;
    bool polygon = false;
    double minAbstand = 0; // coordinate units (the field's centimetres / 100)
    double minFlaeche = 0;
    std::int32_t teileGeprueft = 0;
    std::int32_t mehrteilig = 0;
    std::int32_t flaechenFehler = 0;
    std::int32_t laengenFehler = 0;
    std::int32_t saetzeGelesen = 0;
    std::int64_t punkteGeprueft = 0; // vertices of all records read
    std::int32_t saetzeImIndex = 0;
    bool vollstaendig = true;      // false when a record could not be read or the run was cancelled
    bool abgebrochen = false;      // the display asked the run to stop
    std::int32_t abbruchSatz = -1; // 0-based record at which the run stopped
    std::string lesefehler;        // the reader's reason when a record could not be read
    std::vector<SatzBefund> saetze; // records with at least one finding
    // Faults of the file set as a whole (index, table, header, types the check does not
    // test), as German notes at the end of the report.
    std::vector<std::string> hinweise;

    // True only when every record was read and checked and nothing at all was found.
    bool ohneBefund() const;
};

// The window elements the run touches, so the same run serves window and command line.
class PruefAnzeige {
public:
    virtual ~PruefAnzeige() = default;
    virtual void shapeTypAnzeigen(const std::string& /*text*/) {}
    virtual void statusAnzeigen(const std::string& /*text*/) {}
    virtual void fortschritt(std::int32_t /*erledigt*/, std::int32_t /*alle*/) {}
    // Polled after every record and while a record is being checked; true stops the run,
    // which then counts as incomplete.
    virtual bool abbrechen() const { return false; }
    // Every record with a finding, with the geometry it was checked on, before the next
    // record is read: lets a caller write all findings as they come.
    virtual void satzGeprueft(const GeometriePruefung& /*pruefung*/, const SatzBefund& /*befund*/,
                              const Punktfeld& /*punkte*/,
                              const std::vector<std::int32_t>& /*teilStart*/) {}
};

// Reads both thresholds as the window's fields do: centimetres and square metres as texts.
double minAbstandAusFeld(const std::string& zentimeter);
double minFlaecheAusFeld(const std::string& quadratmeter);

// Checks every record of the shapefile at `shapePfad` (the ".shp" path) on `jobs` worker
// threads (0: one per core); the result and the calls of `anzeige`, all made on the calling
// thread, are those of a run on one thread. Throws BindungsFehler when the geometry library
// cannot be used.
GeometriePruefung pruefeGeometrie(const std::string& shapePfad, double minAbstand,
                                  double minFlaeche, PruefAnzeige* anzeige = nullptr,
                                  unsigned jobs = 0);

} // namespace trelvik
