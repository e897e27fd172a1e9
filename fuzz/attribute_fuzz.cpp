// Attribute.txt as the user may have edited it, compared with a fixed table.
#include "check/attributliste.h"
#include "fuzz_hilfe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    const std::string pfad = fuzz::ordner() + "Attribute.txt";
    fuzz::schreibe(pfad, {daten, laenge});
    trelvik::Attributliste liste = trelvik::leseAttributliste(pfad, [](const std::string&) {});
    std::vector<trelvik::TabellenFeld> felder(3);
    felder[0] = {"QUELLE", 'C', 50, 0};
    felder[1] = {"AKTDAT", 'D', 8, 0};
    felder[2] = {"FLAECHE", 'N', 14, 2};
    (void)trelvik::vergleicheAttribute(felder, liste);
    return 0;
}
