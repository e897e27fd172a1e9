// The descriptors of a table as the check reads them, and their comparison with the list.
#include "check/attributliste.h"
#include "fuzz_hilfe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    const std::string pfad = fuzz::ordner() + "tabelle.dbf";
    fuzz::schreibe(pfad, {daten, laenge});
    const auto felder = trelvik::leseTabellenFelder(pfad);
    static const std::string liste = [] {
        const std::string p = fuzz::ordner() + "Attribute.txt";
        trelvik::schreibeStandardAttribute(p);
        return p;
    }();
    trelvik::Attributliste a = trelvik::leseAttributliste(liste);
    (void)trelvik::vergleicheAttribute(felder, a);
    return 0;
}
