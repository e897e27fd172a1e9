// The clean run with all options on a file set made from one input, and the written copy read
// back by our reader and by shapelib: whatever the run reports as written must be there.
#include "check/attributliste.h"
#include "clean/bereinigen_lauf.h"
#include "fuzz_hilfe.h"
#include "shape/vun_interface.h"

#include <shapefil.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    const auto stuecke = fuzz::teile(daten, laenge, 3);
    const std::string basis = fuzz::ordner() + "quelle.";
    fuzz::schreibe(basis + "shx", stuecke[0]);
    fuzz::schreibe(basis + "dbf", stuecke[1]);
    fuzz::schreibe(basis + "shp", stuecke[2]);
    const std::string ziel = fuzz::ordner() + "ziel.shp";

    trelvik::Attributliste liste(2);
    liste[0] = {"ID", "N", 10, 0, 0, 1};
    liste[1] = {"NAME", "C", 20, 0, 0, 2};
    trelvik::BereinigungsOptionen o;
    o.vereinfachen = o.punkteEntfernen = o.kleineFlaechenEntfernen = o.ringeAnpassen = true;
    o.minAbstandText = "25";
    o.minFlaecheText = "0.0001";
    const auto e = trelvik::bereinigen(basis + "shp", ziel, liste, o);
    if (!e.erfolgreich)
        return 0;

    trelvik::VunInterface v;
    if (!v.Shape_Open(ziel) || v.DBanzahl != e.geschrieben)
        std::abort();
    trelvik::Punktfeld punkte;
    std::vector<std::string> werte;
    std::int32_t ringe = 0;
    std::vector<std::int32_t> lpp;
    for (std::int32_t i = 0; i < v.DBanzahl; ++i)
        if (!v.Shape_GetCheck(i, punkte, werte, ringe, lpp) || ringe < 1)
            std::abort();
    v.Shape_Close();

    SHPHandle h = SHPOpen(ziel.c_str(), "rb");
    DBFHandle d = DBFOpen((fuzz::ordner() + "ziel.dbf").c_str(), "rb");
    if (h == nullptr || d == nullptr)
        std::abort();
    int anzahl = 0;
    SHPGetInfo(h, &anzahl, nullptr, nullptr, nullptr);
    if (anzahl != e.geschrieben || DBFGetRecordCount(d) != e.geschrieben)
        std::abort();
    for (int i = 0; i < anzahl; ++i) {
        SHPObject* s = SHPReadObject(h, i);
        if (s == nullptr)
            std::abort();
        SHPDestroyObject(s);
    }
    SHPClose(h);
    DBFClose(d);
    return 0;
}
