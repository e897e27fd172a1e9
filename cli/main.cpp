// trelvik-cli: the program's jobs without a window, for scripts and many files.
#include "cli/befehle.h"

#include <algorithm>
#include <exception>
#include <iostream>

namespace trelvik::cli {

std::vector<Befehl>& befehle() {
    static std::vector<Befehl> alle;
    return alle;
}

bool jobsWert(const Argumente& argumente, std::size_t& i, unsigned& jobs) {
    long wert = 0;
    if (i + 1 >= argumente.size() || !ganzeZahl(argumente[++i], 1, 256, wert))
        return false;
    jobs = static_cast<unsigned>(wert);
    return true;
}

bool optionsWert(const Argumente& argumente, std::size_t& i, std::string& ziel) {
    if (i + 1 >= argumente.size())
        return false;
    ziel = argumente[++i];
    return true;
}

bool gemeinsameOption(const Argumente& argumente, std::size_t& i, LaufOptionen& o,
                      std::string& grund) {
    const std::string& a = argumente[i];
    if (a == "--jobs") {
        if (!jobsWert(argumente, i, o.jobs))
            grund = jobsFehler;
    } else if (a == "--min-distance") {
        if (!optionsWert(argumente, i, o.minAbstand))
            grund = "--min-distance needs a value in centimetres";
    } else if (a == "--min-area") {
        if (!optionsWert(argumente, i, o.minFlaeche))
            grund = "--min-area needs a value in square metres";
    } else if (a == "--attributes") {
        if (!optionsWert(argumente, i, o.attributDatei))
            grund = "--attributes needs a file";
    } else {
        return false;
    }
    return true;
}

} // namespace trelvik::cli

namespace {

void zeigeHilfe(std::ostream& aus) {
    using trelvik::cli::befehle;
    auto liste = befehle();
    std::sort(liste.begin(), liste.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    aus << "Usage: trelvik-cli COMMAND [ARGS...]\n\n"
           "Checks and cleans polygon and polyline shapefiles.\n\nCommands:\n";
    for (const auto& b : liste)
        aus << "  " << b.aufruf << "\n      " << b.hilfe << '\n';
    aus << "\n  --help       this text\n  --version    the program's version\n\n"
           "Exit status: 0 success, 1 the check found faults, 2 a file cannot be opened or the\n"
           "arguments are wrong (the reason goes to stderr).\n";
}

} // namespace

int main(int argc, char** argv) {
    using namespace trelvik::cli;
    const Argumente argumente(argv + 1, argv + argc);
    if (argumente.empty()) {
        zeigeHilfe(std::cerr);
        return fehler;
    }
    const std::string& erstes = argumente.front();
    if (erstes == "--help" || erstes == "-h" || erstes == "help") {
        zeigeHilfe(std::cout);
        return erfolg;
    }
    if (erstes == "--version") {
        std::cout << "trelvik-cli " << TRELVIK_VERSION << '\n';
        return erfolg;
    }
    for (const auto& b : befehle()) {
        if (b.name == erstes) {
            try {
                return b.ausfuehren(Argumente(argumente.begin() + 1, argumente.end()));
            } catch (const std::exception& e) {
                return scheitern(e.what());
            }
        }
    }
    return scheitern("unknown command \"" + erstes + "\" (see trelvik-cli --help)");
}
