#pragma once
// Files written whole or not at all. Every file of a set is written under a temporary name in
// the target's own folder ("<folder>/.<name>.trelvik-<pid>-<tag>.<ext>"), flushed to disk, and
// only then renamed onto its final name, the folder flushed after. Until then whatever was under
// the final names stays as it was. The process id in the names lets a later run tell the
// leftovers of a killed one and remove them; a run killed while renaming leaves a list of the
// renames beside them, and the later run completes them.
#include <cstddef>
#include <string>
#include <vector>

namespace trelvik {

class Dateisatz {
public:
    // `ziel`: a final path of the set; its folder and name give the temporary names. Leftovers
    // of runs that are gone are swept from that folder first.
    explicit Dateisatz(const std::string& ziel);
    // Without abschliessen every temporary file of the set goes, and the lock is released.
    ~Dateisatz();
    Dateisatz(const Dateisatz&) = delete;
    Dateisatz& operator=(const Dateisatz&) = delete;

    // The common beginning of the temporary names, ending in ".": a writer that derives a
    // set's file names from one base name (".shp", ".shx", ...) takes this.
    const std::string& basis() const { return basis_; }
    // The temporary file that becomes `ziel` (in the same folder) at the end: basis() plus
    // `endung`, by default the extension of `ziel`. The renames happen in the order of these
    // calls, so the file a reader looks for last is named last.
    std::string aufnehmen(const std::string& ziel, const std::string& endung = {});
    // A final name that no longer belongs to the set and goes when the set is renamed into
    // place (an old spatial index, a projection the new set has not).
    void entfernen(const std::string& ziel);

    // An exclusive lock (flock) for the set's name in its folder, held until the object goes.
    // False with the reason when another run holds it or the lock cannot be taken.
    bool sperren(std::string& fehler);

    // Flushes every file taken up, then renames them onto their final names and flushes the
    // folder. False with the reason when a file cannot be flushed or a final name is a folder;
    // nothing under the final names has changed then. Should a rename fail part-way (which a
    // writable folder does not do), the files already moved are removed with the rest.
    bool abschliessen(std::string& fehler);

    // Removes the leftovers of runs that are gone from `ordner` (ending in "/", or "" for the
    // current folder), completing the renames of one that was killed while renaming.
    static void fegeVerwaiste(const std::string& ordner);

private:
    struct Schritt {
        std::string temp; // "" for a removal
        std::string ziel;
    };
    void raeumeAuf();

    std::string ordner_;
    std::string name_; // the final name the set was made for, without its folder
    std::string basis_;
    std::vector<Schritt> schritte_;
    int sperre_ = -1;
    std::string sperrPfad_;
    bool abgeschlossen_ = false;
};

// `inhalt` as the whole new content of `ziel`, through a Dateisatz of one file.
bool schreibeGanz(const std::string& ziel, const std::string& inhalt, std::string& fehler);

// Whether the temporary files of a Dateisatz can be created beside `ziel`; the reason if not.
bool ordnerNimmtAuf(const std::string& ziel, std::string& fehler);

// Writes all `n` bytes to `fd`, going on after interruptions; false with errno set when a write
// fails.
bool schreibeAlles(int fd, const char* daten, std::size_t n);

} // namespace trelvik
