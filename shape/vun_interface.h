#pragma once
// VunInterface: the only way the program touches a shapefile. One instance holds at most one
// open file set (main file, index, attribute table). Public operations never throw: they return
// false or "" and keep the reason for letzterFehler().
#include "shape/dbf/arbeitskopie.h"
#include "shape/dbf/dbf_tabelle.h"
#include "shape/punktfeld.h"
#include "shape/shape_datei.h"
#include "shape/shape_format.h"

#include <cstdint>
#include <exception>
#include <memory>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace trelvik {

class VunInterface {
public:
    VunInterface();
    ~VunInterface(); // closes the file set
    VunInterface(const VunInterface&) = delete;
    VunInterface& operator=(const VunInterface&) = delete;

    // Opens the file set of `Xdateiname`, given as the ".shp" path (any case) or as the path
    // ending in the point before the extension. The user's files are only read: the table is
    // used through a working copy in the temporary folder.
    bool Shape_Open(const std::string& Xdateiname);

    // Record `zeiger` (0-based) with its attribute texts. The parts of PolyLine records are
    // put in joined order first (see uebertrageLinie); every other type keeps file order.
    bool Shape_Get(std::int32_t zeiger, Punktfeld& punkte, std::vector<std::string>& wname);

    // As Shape_Get in file order, plus the number of parts `vunRing` and `lpp`: the part
    // starts followed by the point count. Every delivered part holds at least one point and
    // lies inside `punkte`.
    bool Shape_GetCheck(std::int32_t zeiger, Punktfeld& punkte, std::vector<std::string>& wname,
                        std::int32_t& vunRing, std::vector<std::int32_t>& lpp);

    // The attribute values of record `zeiger` with every digit the table stored (numbers as plain
    // decimals, everything else as in wname); empty texts where the table has no row.
    std::vector<std::string> Shape_GetGespeichert(std::int32_t zeiger);

    // The main file's header as it was read, one CR LF line per field.
    std::string Shape_GetInfoHeader();

    // The name of the first entry matching `pfadname` (0 = files, 16 = folders too), or "".
    std::string vunDirTest(const std::string& pfadname, std::int16_t optV);

    // Closes main file and index, releases the table and removes the working copy. False when
    // no table was open.
    bool Shape_Close();

    // --- Writing --------------------------------------------------------------------------
    // Field descriptions of a new table: one row per field with at least three columns, field
    // name (first 8 characters used), engine type code (10 text, 4 long integer, 1 Boolean,
    // 2 byte, 3 integer, 5 currency, 6 single, 7 double, 8 date, 12 memo) and size, as texts.
    using Felder = std::vector<std::vector<std::string>>;

    // Creates an empty file set of type `typ`: main file and index with headers only and an
    // empty table (with a leading "ID" field when `mitID`). Files of the same name are deleted
    // first, unless one of them may not be written. Rings are written clockwise with
    // `aktVersion` false, counter-clockwise with true.
    bool Shape_New(const std::string& Xdateiname, std::int32_t typ, const Felder& fname,
                   bool aktVersion, bool mitID);
    // One record of one part (or a point, or all points of a multipoint), with its attribute
    // values. `punkte` is rounded to 8 decimals in place; single rings get the orientation of
    // the convention (their rows are reversed in place when needed).
    bool Shape_Append(Punktfeld& punkte, const std::vector<std::string>& wname);
    // One record of the parts that start at `lineP`, in the caller's order and orientation.
    bool Shape_AppendRing(Punktfeld& punkte, const std::vector<std::string>& wname,
                          const std::vector<std::int32_t>& lineP);
    bool Shape_AppendNull();
    // A null record whose attribute row gets the values `wname` (one per value field).
    bool Shape_AppendNull(const std::vector<std::string>& wname);
    // Rewrites the ring orientation of every polygon record of the open file set in place.
    bool Shape_SwapArea(bool aktVersion);
    // One line "X Y value" per vertex of every record, the value being attribute field
    // min(showfield, dbeintrag) (1-based), or Z / M with showfield dbeintrag + 1 / + 2.
    bool Shape_Export(std::ostream* out, std::int32_t showfield);
    // False for an empty path, a file that may not be written, or a missing or read-only
    // folder of a file that does not exist.
    static bool istSchreibbar(const std::string& pfad);

    // Lengths of the open file set as found on disk and as its headers state them, so that a
    // caller can tell a damaged set from a well-formed one; -1 where a header cannot say.
    struct DateiAufbau {
        std::int64_t shpBytes = 0;
        std::int64_t shpKopfBytes = -1;
        std::int64_t shxBytes = 0;
        std::int64_t shxKopfBytes = -1;
        std::int64_t tabellenZeilen = -1;
    };
    const DateiAufbau& aufbau() const { return aufbau_; }

    // Why the last public operation failed ("" after a success).
    const std::string& letzterFehler() const { return fehler_; }

    // Part starts, followed by the point count, of the points the last fetch delivered, in the
    // order they were delivered (after Shape_Get's joining of PolyLine parts); for points and
    // multipoints (0, n); empty when the fetch delivered no contents.
    const std::vector<std::int32_t>& gelieferteTeile() const { return gelieferteTeile_; }

    // Public state, set by the class.
    std::int32_t AktZeiger = 0;    // byte offset of the record last located; 0 after opening
    std::int32_t DBanzahl = 0;     // records: (index length in bytes - 100) / 8
    std::int32_t dbeintrag = 0;    // fields of the attribute table
    std::int32_t aktTyp = -1;      // shape type of the record being written
    DbfTabelle AktDatenbank;       // the open table, on the row of the record last read
    std::int32_t AktShapetyp = -1; // ShapeType of the main file's header
    double xminimal = 0;
    double yminimal = 0;
    double xmaximal = 0;
    double ymaximal = 0;
    std::int32_t AktRecordTyp = -1; // shape type of the record last located

private:
    // Runs `f`; any exception becomes `fehlwert` with its reason kept.
    template <class T, class F> T guard(T fehlwert, F&& f) {
        try {
            fehler_.clear();
            return f();
        } catch (const std::exception& e) {
            fehler_ = e.what();
        } catch (...) {
            fehler_ = "unknown error";
        }
        return fehlwert;
    }

    enum class Abruf { Get, GetCheck };

    void oeffne(const std::string& Xdateiname);
    bool schliesseAlles();
    void ladeIndex();
    bool hole(Abruf abruf, std::int32_t zeiger, Punktfeld& punkte, std::vector<std::string>& wname,
              std::int32_t* vunRing, std::vector<std::int32_t>* lpp);
    std::span<const std::uint8_t> leseSatz(std::int32_t offset);
    std::span<const std::uint8_t> bytesAb(std::uint64_t start, std::uint64_t laenge);
    // Anything that writes into the main file calls this, so no read sees bytes from before.
    void verwirfLesepuffer();
    // Reads the contents after the record header; true when points were delivered and the
    // attribute texts are to be fetched.
    bool leseInhalt(Abruf abruf, std::int32_t typ, ByteReader& r, Punktfeld& punkte,
                    std::int32_t* vunRing, std::vector<std::int32_t>* lpp);
    bool leseTeileUndPunkte(ByteReader& r);
    void leseTeilStarts(std::span<const std::uint8_t> starts, std::int32_t n);
    // A polygon or line record larger than the read window, for the check: its points go from
    // the file straight into `punkte`, as X, Y doubles lie there as in the file on a
    // little-endian machine, and the record's bytes are never held twice. False, with nothing
    // read, for any other record or one whose counts exceed it (the general path names that).
    bool leseGrossenSatz(std::int32_t offset, Punktfeld& punkte, std::int32_t& vunRing,
                         std::vector<std::int32_t>& lpp);
    void leseWerte(ByteReader& r, std::vector<double>& ziel, bool pflicht);
    void lesePunkte(ByteReader& r, std::size_t n);
    void uebertrage(Punktfeld& punkte, bool mitZM, bool zmRunden) const;
    void uebertrageLinie(Punktfeld& punkte, bool mitZM);
    void holeAttribute(std::int32_t zeiger, std::vector<std::string>& wname);
    std::string infoKopf() const;
    void neu(const std::string& Xdateiname, std::int32_t typ, const Felder& fname, bool aktVersion);
    void dbfAnlegen(const Felder& fname);
    void dbfSatzAnhaengen(const std::vector<std::string>& wname, std::int32_t id);
    void oeffneZumSchreiben();
    void haengeSatzAn(const std::vector<std::uint8_t>& inhalt);
    void schreibeKoepfe();
    void erweitereBox(const Punktfeld& punkte);
    std::vector<std::uint8_t> satzInhalt(std::int32_t typ, const Punktfeld& punkte,
                                         const std::vector<std::int32_t>& teilStarts) const;
    void dreheSatz(std::int32_t offset);
    void schreibeSatz(const std::vector<std::uint8_t>& inhalt, const Punktfeld& punkte,
                      const std::vector<std::string>& wname, bool mitBox);
    static void rundePunkte(Punktfeld& punkte);
    static void dreheZeilen(Punktfeld& punkte, std::size_t von, std::size_t bis);

    std::string basisName;
    std::string dbfName;
    std::string shpName;
    std::string shxName;
    std::string tempDbfName;
    Datei shpNummer;
    Datei shxNummer;
    std::int32_t schreibTyp = -1;
    Dateikopf kopf;
    bool mitID = true;
    bool schreibend_ = false; // main file and index are open for writing
    // The X, Y pairs of the record being read, as file bytes (16 per point); they are decoded
    // once, straight into `punkte`. Valid until the next read of the main file.
    std::span<const std::uint8_t> punktListe;
    std::size_t punktAnzahl() const { return punktListe.size() / 16; }
    double punktX(std::size_t i) const { return f64leAus(punktListe.data() + 16 * i); }
    double punktY(std::size_t i) const { return f64leAus(punktListe.data() + 16 * i + 8); }
    std::vector<std::int32_t> teile;
    std::vector<double> zWerte;
    std::vector<double> mWerte;
    bool geschrieben = false;
    std::int32_t versionsModus = 3;

    std::unique_ptr<Arbeitskopie> arbeitskopie_;
    std::vector<std::uint8_t> index_; // the whole index as last read
    std::uint64_t shpLaenge_ = 0;     // main file length as last seen
    // A window of main-file bytes read in one piece, starting at byte fensterStart_.
    // Filled by reads only as far as they reach; nothing beyond is handed out, so it is not
    // set to 0 first.
    std::vector<std::uint8_t, OhneNullAllocator<std::uint8_t>> fenster_;
    std::uint64_t fensterStart_ = 0;
    std::uint64_t fensterLaenge_ = 0;
    std::vector<std::int32_t> gelieferteTeile_;
    DateiAufbau aufbau_;
    std::string fehler_;
};

} // namespace trelvik
