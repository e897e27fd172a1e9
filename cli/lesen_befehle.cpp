// trelvik-cli header and dump: a shapefile's header and its records as the shape access reads
// them, for looking into a file and for comparing readers.
#include "cli/befehle.h"
#include "shape/vun_interface.h"

#include <charconv>
#include <cstdio>
#include <string>
#include <string_view>

namespace trelvik::cli {

namespace {

// Collects the output and writes it in large pieces: a dump of a big file has millions of lines.
class Ausgabe {
public:
    ~Ausgabe() { leere(); }
    Ausgabe& operator<<(std::string_view text) {
        puffer_ += text;
        if (puffer_.size() >= (std::size_t{1} << 16))
            leere();
        return *this;
    }
    Ausgabe& operator<<(long long zahl) { return *this << std::string_view(std::to_string(zahl)); }
    // Shortest text that reads back to the same double: the dump is bit-exact.
    Ausgabe& operator<<(double wert) {
        char text[32];
        const auto [ende, fehler] = std::to_chars(text, text + sizeof text, wert);
        (void)fehler; // 32 characters hold every double
        return *this << std::string_view(text, static_cast<std::size_t>(ende - text));
    }
    bool leere() {
        if (!puffer_.empty() &&
            std::fwrite(puffer_.data(), 1, puffer_.size(), stdout) != puffer_.size())
            ok_ = false;
        puffer_.clear();
        if (std::fflush(stdout) != 0)
            ok_ = false;
        return ok_;
    }

private:
    std::string puffer_;
    bool ok_ = true;
};

std::string mehrzahl(long long n, const std::string& wort) {
    return std::to_string(n) + " " + wort + (n == 1 ? "" : "s");
}

std::string typText(std::int32_t typ) {
    std::string text(shapeTypName(typ));
    if (text == "unbekannt")
        text += " (type " + std::to_string(typ) + ")";
    return text;
}

int header(const Argumente& argumente) {
    if (argumente.size() != 1)
        return scheitern("usage: trelvik-cli header FILE.shp");
    const std::string& datei = argumente[0];
    VunInterface vun;
    if (!vun.Shape_Open(datei))
        return scheitern("cannot open " + datei + ": " + vun.letzterFehler());
    const std::string text = vun.Shape_GetInfoHeader();
    if (text.empty())
        return scheitern("cannot read the header of " + datei + ": " + vun.letzterFehler());
    Ausgabe aus;
    aus << text;
    if (!aus.leere())
        return scheitern("cannot write the output");
    return erfolg;
}

int dump(const Argumente& argumente) {
    if (argumente.size() != 1)
        return scheitern("usage: trelvik-cli dump FILE.shp");
    const std::string& datei = argumente[0];
    VunInterface vun;
    if (!vun.Shape_Open(datei))
        return scheitern("cannot open " + datei + ": " + vun.letzterFehler());

    Ausgabe aus;
    aus << "Shapefile: " << typText(vun.AktShapetyp) << ", " << mehrzahl(vun.DBanzahl, "record")
        << ", " << mehrzahl(vun.dbeintrag, "field") << "\n";
    Punktfeld punkte;
    std::vector<std::string> wname;
    for (std::int32_t i = 0; i < vun.DBanzahl; ++i) {
        if (!vun.Shape_Get(i, punkte, wname)) {
            aus.leere();
            return scheitern("cannot read record " + std::to_string(i + 1) + " of " + datei + ": " +
                             vun.letzterFehler());
        }
        aus << "Record " << static_cast<long long>(i + 1) << ": ";
        if (vun.AktZeiger <= 0) {
            aus << "no shape (index offset " << static_cast<long long>(vun.AktZeiger) << ")\n";
            continue;
        }
        const std::int32_t typ = vun.AktRecordTyp;
        const auto& teile = vun.gelieferteTeile();
        aus << typText(typ);
        if (teile.empty()) {
            aus << ", no contents\n";
            continue;
        }
        const std::int32_t n = teile.back();
        if (shapetyp::istLinieOderPolygon(typ))
            aus << ", " << mehrzahl(static_cast<long long>(teile.size() - 1), "part");
        aus << ", " << mehrzahl(n, "point") << "\n";
        if (shapetyp::istLinieOderPolygon(typ) && teile.size() > 1) {
            aus << "  parts:";
            for (std::size_t k = 0; k + 1 < teile.size(); ++k)
                aus << " " << static_cast<long long>(teile[k]);
            aus << "\n";
        }
        if (n <= 0)
            continue; // no points: the table was not read for this record
        for (std::size_t zeile = 0; zeile < punkte.zeilen(); ++zeile) {
            for (std::size_t spalte = 0; spalte < punkte.spalten(); ++spalte)
                aus << (spalte == 0 ? "  " : " ") << punkte(zeile, spalte);
            aus << "\n";
        }
        for (std::size_t j = 0; j < wname.size(); ++j) {
            const std::string name = static_cast<int>(j) < vun.AktDatenbank.feldAnzahl()
                                         ? vun.AktDatenbank.feld(static_cast<int>(j)).name
                                         : "?";
            aus << "  " << name << " = " << wname[j] << "\n";
        }
    }
    if (!aus.leere())
        return scheitern("cannot write the output");
    return erfolg;
}

const BefehlEintrag headerEintrag{
    Befehl{"header", "header FILE.shp", "prints the header of the shapefile's main file", &header}};
const BefehlEintrag dumpEintrag{
    Befehl{"dump", "dump FILE.shp",
           "prints every record: type, parts, coordinates (exact) and attribute values", &dump}};

} // namespace

} // namespace trelvik::cli
