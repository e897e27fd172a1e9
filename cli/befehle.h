#pragma once
// The subcommands of trelvik-cli. Each source file of cli/ registers its own commands with a
// static `BefehlEintrag`, so adding a command touches no other file.
#include <string>
#include <vector>

namespace trelvik::cli {

// Exit statuses shared by every command.
constexpr int erfolg = 0;
constexpr int befunde = 1;  // the check found faults
constexpr int fehler = 2;   // a file cannot be opened, or the arguments are wrong

using Argumente = std::vector<std::string>;

struct Befehl {
    std::string name;
    std::string aufruf; // one usage line, e.g. "dump FILE.shp"
    std::string hilfe;  // one line of description
    int (*ausfuehren)(const Argumente& argumente);
};

std::vector<Befehl>& befehle();

struct BefehlEintrag {
    explicit BefehlEintrag(Befehl befehl) { befehle().push_back(std::move(befehl)); }
};

// Prints "trelvik-cli: <grund>" on stderr and returns `fehler`.
int scheitern(const std::string& grund);

// A whole number written in full (decimal, nothing after it) within [von, bis].
bool ganzeZahl(const std::string& text, long von, long bis, long& wert);

// The value of "--jobs N" at argumente[i] (i then points at N): worker threads for the records
// of one file, 1 to 256. Without the option the run takes one per core.
bool jobsWert(const Argumente& argumente, std::size_t& i, unsigned& jobs);
inline constexpr const char* jobsFehler = "--jobs needs a number of threads from 1 to 256";

// The value after argumente[i] (i then points at it); false when there is none.
bool optionsWert(const Argumente& argumente, std::size_t& i, std::string& ziel);

// The options check and clean share, with the window's defaults.
struct LaufOptionen {
    std::string minAbstand = "25"; // centimetres, as typed
    std::string minFlaeche = "25"; // square metres, as typed
    std::string attributDatei;     // "" for the program's list
    unsigned jobs = 0;             // 0: one thread per core
};

// Takes argumente[i] with its value when it is one of the shared options and returns true, with
// `grund` set when the value is missing or wrong; false for any other argument.
bool gemeinsameOption(const Argumente& argumente, std::size_t& i, LaufOptionen& o,
                      std::string& grund);

} // namespace trelvik::cli
