// The layout of a .prj file beside a shapefile.
#include "check/projektion.h"
#include "fuzz_hilfe.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    const std::string basis = fuzz::ordner() + "proj.";
    fuzz::schreibe(basis + "prj", {daten, laenge});
    (void)trelvik::leseProjektion(basis + "shp", [](const std::string&) {});
    (void)trelvik::einrueckenProjektion(
        std::string(reinterpret_cast<const char*>(daten), std::min<std::size_t>(laenge, 4096)));
    return 0;
}
