// trelvik-cli render, loaded when it is run: the drawing needs Qt, whose libraries take longer
// to load than a small file takes to check, so the other commands start without them.
#include "app/dateien.h"
#include "cli/befehle.h"

#include <dlfcn.h>

#include <string>

namespace trelvik::cli {

namespace {

constexpr const char* modulName = "libtrelvik-render.so";

// Beside the program (the build), else where its RUNPATH leads (the installed library folder).
void* oeffneModul(std::string& grund) {
    // Never from the working folder, which programmOrdner names when it cannot tell.
    if (const std::string ordner = programmOrdner(); ordner != "./")
        if (void* h = ::dlopen((ordner + modulName).c_str(), RTLD_NOW | RTLD_LOCAL))
            return h;
    if (void* h = ::dlopen(modulName, RTLD_NOW | RTLD_LOCAL))
        return h;
    const char* text = ::dlerror();
    grund = text != nullptr ? text : modulName;
    return nullptr;
}

int zeichneBefehl(const Argumente& argumente) {
    std::string grund;
    void* modul = oeffneModul(grund);
    if (modul == nullptr)
        return scheitern("render cannot load its drawing module: " + grund);
    using Eintrag = int (*)(const Argumente&);
    const auto eintrag = reinterpret_cast<Eintrag>(::dlsym(modul, "trelvikZeichneBefehl"));
    if (eintrag == nullptr)
        return scheitern(std::string("render cannot load its drawing module: ") + modulName +
                         " has no entry trelvikZeichneBefehl");
    return eintrag(argumente); // the module stays loaded: Qt does not unload cleanly
}

const BefehlEintrag zeichnen_({"render",
                               "render FILE.shp OUT.png [--size WxH] [--label-field N] "
                               "[--outline] [--alpha A] [--fill COLOUR] [--line COLOUR]",
                               "paints every record into a PNG with the whole file in view",
                               zeichneBefehl});

} // namespace

} // namespace trelvik::cli
