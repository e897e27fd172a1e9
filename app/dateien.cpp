#include "app/dateien.h"

#include <cstdlib>
#include <cstring>
#include <strings.h>
#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik {

namespace {

bool hatPlatzhalter(const std::string& s) { return s.find_first_of("*?[") != std::string::npos; }

bool passt(const struct stat& st, int maske) {
    if (S_ISREG(st.st_mode))
        return true;
    return (maske & attributOrdner) != 0 && S_ISDIR(st.st_mode);
}

// The read-only attribute: no write bit at all, or no write access for this process. The write
// bits are looked at too because root may write to anything.
bool schreibgeschuetzt(const std::string& pfad) {
    struct stat st {};
    if (::stat(pfad.c_str(), &st) != 0)
        return true;
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(pfad.c_str(), W_OK) != 0;
}

} // namespace

std::string ordnerVon(const std::string& pfad) {
    const auto pos = pfad.rfind('/');
    return pos == std::string::npos ? std::string() : pfad.substr(0, pos + 1);
}

std::string dateiSuchen(const std::string& pfad, int maske) {
    if (pfad.empty())
        return "";
    try {
        std::string ordner = ordnerVon(pfad);
        const std::string muster = pfad.substr(ordner.size());
        if (muster.empty()) {
            // A path ending in "/" names the folder itself.
            struct stat st {};
            if ((maske & attributOrdner) != 0 && ::stat(pfad.c_str(), &st) == 0 &&
                S_ISDIR(st.st_mode))
                return ".";
            return "";
        }
        if (!hatPlatzhalter(muster)) {
            struct stat st {};
            if (::stat(pfad.c_str(), &st) == 0 && passt(st, maske))
                return muster;
            return "";
        }
        if (ordner.empty())
            ordner = "./";
        DIR* verzeichnis = ::opendir(ordner.c_str());
        if (verzeichnis == nullptr)
            return "";
        std::string gefunden;
        while (const dirent* eintrag = ::readdir(verzeichnis)) {
            const std::string name = eintrag->d_name;
            if (name == "." || name == "..")
                continue;
            if (::fnmatch(muster.c_str(), name.c_str(), FNM_PERIOD) != 0)
                continue;
            struct stat st {};
            if (::stat((ordner + name).c_str(), &st) == 0 && passt(st, maske)) {
                gefunden = name;
                break;
            }
        }
        ::closedir(verzeichnis);
        return gefunden;
    } catch (...) {
        return "";
    }
}

bool checkReadOnly(const std::string& pfad, bool meldungZeigen, const Melder& melden) {
    if (pfad.empty())
        return true;
    bool ergebnis = true;
    if (!dateiSuchen(pfad, 0).empty()) {
        ergebnis = !schreibgeschuetzt(pfad);
    } else {
        std::string ordner = ordnerVon(pfad);
        if (ordner.empty())
            ordner = "./";
        if (!dateiSuchen(ordner, attributOrdner).empty())
            ergebnis = !schreibgeschuetzt(ordner);
        else
            ergebnis = false;
    }
    if (!ergebnis && meldungZeigen && melden)
        melden("Datei/Verzeichnis ist schreibgeschützt.");
    return ergebnis;
}

std::string begleitDatei(const std::string& shapePfad, const std::string& endung) {
    if (shapePfad.size() < 3)
        return "";
    const std::string basis = shapePfad.substr(0, shapePfad.size() - 3);
    struct stat st {};
    const auto istDatei = [&st](const std::string& p) {
        return ::stat(p.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    };
    if (istDatei(basis + endung))
        return basis + endung;
    const std::string ordner = ordnerVon(basis);
    const std::string name = basis.substr(ordner.size()) + endung;
    DIR* verzeichnis = ::opendir(ordner.empty() ? "." : ordner.c_str());
    if (verzeichnis == nullptr)
        return "";
    std::string gefunden;
    while (const dirent* e = ::readdir(verzeichnis)) {
        if (std::strlen(e->d_name) == name.size() && ::strcasecmp(e->d_name, name.c_str()) == 0 &&
            istDatei(ordner + e->d_name)) {
            gefunden = ordner + e->d_name;
            break;
        }
    }
    ::closedir(verzeichnis);
    return gefunden;
}

std::string tempOrdner() {
    std::string ordner;
    for (const char* name : {"tmp", "temp", "TMPDIR"}) {
        const char* wert = std::getenv(name);
        if (wert != nullptr && *wert != '\0') {
            ordner = wert;
            break;
        }
    }
    if (ordner.empty())
        ordner = "/tmp";
    if (ordner.back() != '/')
        ordner += '/';
    return ordner;
}

std::string programmOrdner() {
    std::string puffer(4096, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", puffer.data(), puffer.size() - 1);
    if (n <= 0)
        return "./";
    puffer.resize(static_cast<std::size_t>(n));
    const std::string ordner = ordnerVon(puffer);
    return ordner.empty() ? "./" : ordner;
}

bool installiert(const std::string& programmOrdner) {
    struct stat st {};
    const std::string daten = programmOrdner + TRELVIK_DATEN_RELATIV;
    return ::stat(daten.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string datenOrdner(const std::string& programmOrdner) {
    return installiert(programmOrdner) ? programmOrdner + TRELVIK_DATEN_RELATIV : programmOrdner;
}

} // namespace trelvik
