// Main file, index and table of one file set from one input: opened, every record fetched both
// ways, the header text built, and the whole check run over it.
#include "check/pruef_lauf.h"
#include "fuzz_hilfe.h"
#include "shape/vun_interface.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    const auto stuecke = fuzz::teile(daten, laenge, 3);
    const std::string basis = fuzz::ordner() + "satz.";
    fuzz::schreibe(basis + "shx", stuecke[0]);
    fuzz::schreibe(basis + "dbf", stuecke[1]);
    fuzz::schreibe(basis + "shp", stuecke[2]);

    trelvik::VunInterface v;
    if (v.Shape_Open(basis + "shp")) {
        (void)v.Shape_GetInfoHeader();
        trelvik::Punktfeld punkte;
        std::vector<std::string> werte;
        std::int32_t ringe = 0;
        std::vector<std::int32_t> lpp;
        const std::int32_t bis = std::min(v.DBanzahl, 2000);
        for (std::int32_t i = -1; i <= bis; ++i) {
            v.Shape_GetCheck(i, punkte, werte, ringe, lpp);
            v.Shape_Get(i, punkte, werte);
        }
        v.Shape_Close();
    }
    (void)trelvik::pruefeGeometrie(basis + "shp", 0.25, 25);
    return 0;
}
