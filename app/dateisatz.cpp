#include "app/dateisatz.h"

#include "app/dateien.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <map>
#include <random>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik {

namespace {

constexpr std::string_view kennung = ".trelvik-";
constexpr std::string_view sperrEndung = ".trelvik-lock";
constexpr std::size_t zufallsLaenge = 6;
constexpr const char* listenEndung = "renames"; // the renames of a set being put in place

std::string grund(const std::string& was, const std::string& pfad) {
    return was + " " + pfad + ": " + std::strerror(errno);
}

std::string ordnerText(const std::string& ordner) { return ordner.empty() ? "." : ordner; }

// Flushes a folder's entries: a rename is only on disk when its folder is.
void ordnerAufPlatte(const std::string& ordner) {
    const int fd = ::open(ordnerText(ordner).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

bool aufPlatte(const std::string& pfad, std::string& fehler) {
    const int fd = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fehler = grund("cannot open", pfad);
        return false;
    }
    const bool ok = ::fsync(fd) == 0;
    if (!ok)
        fehler = grund("cannot flush", pfad);
    ::close(fd);
    return ok;
}

// "name" of "name.ext"; a leading point is part of the name.
std::string stammVon(const std::string& dateiname) {
    const auto punkt = dateiname.rfind('.');
    return punkt == std::string::npos || punkt == 0 ? dateiname : dateiname.substr(0, punkt);
}

std::string endungVon(const std::string& dateiname) {
    const auto punkt = dateiname.rfind('.');
    return punkt == std::string::npos || punkt == 0 ? std::string() : dateiname.substr(punkt + 1);
}

std::string zufall() {
    static constexpr char zeichen[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device quelle;
    std::string s;
    for (std::size_t i = 0; i < zufallsLaenge; ++i)
        s += zeichen[quelle() % (sizeof(zeichen) - 1)];
    return s;
}

// A temporary name ".<stem>.trelvik-<pid>-<tag>[.<ext>]": the part up to the tag (the set it
// belongs to) and the process id; 0 for any other name.
pid_t besitzer(const std::string& name, std::string& satz) {
    if (name.size() < 2 || name[0] != '.')
        return 0;
    const auto stelle = name.rfind(kennung);
    if (stelle == std::string::npos || stelle == 0)
        return 0;
    std::size_t i = stelle + kennung.size();
    long long pid = 0;
    const std::size_t ziffernAb = i;
    while (i < name.size() && name[i] >= '0' && name[i] <= '9' && i - ziffernAb < 10)
        pid = pid * 10 + (name[i++] - '0');
    if (i == ziffernAb || i >= name.size() || name[i] != '-' || pid <= 0 || pid > 0x7FFFFFFF)
        return 0;
    const std::size_t ende = i + 1 + zufallsLaenge;
    if (ende > name.size() || (ende < name.size() && name[ende] != '.'))
        return 0;
    satz = name.substr(0, ende);
    return static_cast<pid_t>(pid);
}

// The renames of a list file: "R" temp final, "D" final, each field ended by a NUL byte.
std::vector<std::pair<std::string, std::string>> leseListe(const std::string& pfad) {
    std::vector<std::pair<std::string, std::string>> schritte;
    std::FILE* d = std::fopen(pfad.c_str(), "rb");
    if (d == nullptr)
        return schritte;
    std::string inhalt;
    char puffer[4096];
    std::size_t n = 0;
    while ((n = std::fread(puffer, 1, sizeof puffer, d)) > 0)
        inhalt.append(puffer, n);
    std::fclose(d);
    std::vector<std::string> felder;
    std::size_t von = 0;
    for (std::size_t i = 0; i < inhalt.size(); ++i) {
        if (inhalt[i] == '\0') {
            felder.push_back(inhalt.substr(von, i - von));
            von = i + 1;
        }
    }
    for (std::size_t i = 0; i < felder.size();) {
        if (felder[i] == "R" && i + 2 < felder.size()) {
            schritte.emplace_back(felder[i + 1], felder[i + 2]);
            i += 3;
        } else if (felder[i] == "D" && i + 1 < felder.size()) {
            schritte.emplace_back(std::string(), felder[i + 1]);
            i += 2;
        } else {
            break; // a list cut short ends here; it was written before any rename
        }
    }
    return schritte;
}

bool existiert(const std::string& pfad) {
    struct stat st {};
    return ::lstat(pfad.c_str(), &st) == 0;
}

} // namespace

Dateisatz::Dateisatz(const std::string& ziel) {
    ordner_ = ordnerVon(ziel);
    name_ = ziel.substr(ordner_.size());
    fegeVerwaiste(ordner_);
    basis_ = ordner_ + "." + stammVon(name_) + std::string(kennung) + std::to_string(::getpid()) +
             "-" + zufall() + ".";
}

Dateisatz::~Dateisatz() {
    if (!abgeschlossen_)
        raeumeAuf();
    if (sperre_ >= 0) {
        // Removed while still held: a run that opened it before checks it is still the file
        // under that name once it holds it (see sperren).
        ::unlink(sperrPfad_.c_str());
        ::close(sperre_);
    }
}

std::string Dateisatz::aufnehmen(const std::string& ziel, const std::string& endung) {
    const std::string e = endung.empty() ? endungVon(ziel.substr(ordnerVon(ziel).size())) : endung;
    Schritt s{basis_ + e, ziel};
    schritte_.push_back(s);
    return s.temp;
}

void Dateisatz::entfernen(const std::string& ziel) { schritte_.push_back({std::string(), ziel}); }

bool Dateisatz::sperren(std::string& fehler) {
    if (sperre_ >= 0)
        return true;
    std::string stamm = stammVon(name_);
    std::transform(stamm.begin(), stamm.end(), stamm.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    sperrPfad_ = ordner_ + "." + stamm + std::string(sperrEndung);
    for (int versuch = 0; versuch < 100; ++versuch) {
        const int fd = ::open(sperrPfad_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) {
            fehler = grund("cannot write in the folder of", ordner_ + name_);
            return false;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            const bool besetzt = errno == EWOULDBLOCK;
            fehler = besetzt ? "another run is writing " + ordner_ + name_ + " at this moment"
                             : grund("cannot lock", sperrPfad_);
            ::close(fd);
            return false;
        }
        // The holder before us may have removed the file between our open and our lock.
        struct stat offen {};
        struct stat benannt {};
        if (::fstat(fd, &offen) == 0 && ::stat(sperrPfad_.c_str(), &benannt) == 0 &&
            offen.st_ino == benannt.st_ino && offen.st_dev == benannt.st_dev) {
            sperre_ = fd;
            return true;
        }
        ::close(fd);
    }
    fehler = "cannot lock " + sperrPfad_;
    return false;
}

void Dateisatz::raeumeAuf() {
    const std::string praefix = basis_.substr(ordner_.size());
    DIR* verzeichnis = ::opendir(ordnerText(ordner_).c_str());
    if (verzeichnis == nullptr)
        return;
    std::vector<std::string> weg;
    while (const dirent* e = ::readdir(verzeichnis)) {
        const std::string name = e->d_name;
        if (name.compare(0, praefix.size(), praefix) == 0)
            weg.push_back(ordner_ + name);
    }
    ::closedir(verzeichnis);
    for (const std::string& pfad : weg)
        ::unlink(pfad.c_str());
}

bool Dateisatz::abschliessen(std::string& fehler) {
    for (const Schritt& s : schritte_) {
        struct stat st {};
        if (!s.temp.empty() && ::stat(s.ziel.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            // A folder under a final name: no rename can replace it, so none starts.
            errno = EISDIR;
            fehler = grund("cannot write", s.ziel);
            raeumeAuf();
            return false;
        }
        if (!s.temp.empty() && !aufPlatte(s.temp, fehler)) {
            raeumeAuf();
            return false;
        }
    }
    // The list of renames goes to disk before the first rename: a run killed among them leaves
    // it, and the next one completes the set instead of leaving a mix.
    // Names without their folder: the next run may see the folder under another path.
    const auto ohneOrdner = [](const std::string& pfad) { return pfad.substr(ordnerVon(pfad).size()); };
    std::string liste;
    for (const Schritt& s : schritte_) {
        liste += s.temp.empty() ? std::string("D") : "R" + std::string(1, '\0') + ohneOrdner(s.temp);
        liste += '\0' + ohneOrdner(s.ziel) + '\0';
    }
    const std::string listenPfad = basis_ + listenEndung;
    const int fd = ::open(listenPfad.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    bool ok = fd >= 0 && schreibeAlles(fd, liste.data(), liste.size()) && ::fsync(fd) == 0;
    if (!ok)
        fehler = grund("cannot write", ordner_ + name_);
    if (fd >= 0 && ::close(fd) != 0 && ok) {
        fehler = grund("cannot write", ordner_ + name_);
        ok = false;
    }
    if (!ok) {
        raeumeAuf();
        return false;
    }
    ordnerAufPlatte(ordner_);
    for (std::size_t i = 0; i < schritte_.size(); ++i) {
        const Schritt& s = schritte_[i];
        if (s.temp.empty()) {
            ::unlink(s.ziel.c_str());
        } else if (std::rename(s.temp.c_str(), s.ziel.c_str()) != 0) {
            fehler = grund("cannot write", s.ziel);
            // Part of a set is no set: what was moved already goes too.
            for (std::size_t k = 0; k < i; ++k)
                if (!schritte_[k].temp.empty())
                    ::unlink(schritte_[k].ziel.c_str());
            raeumeAuf();
            return false;
        }
    }
    abgeschlossen_ = true;
    ordnerAufPlatte(ordner_);
    raeumeAuf(); // the list, and whatever a writer left beside the set's files
    return true;
}

void Dateisatz::fegeVerwaiste(const std::string& ordner) {
    DIR* verzeichnis = ::opendir(ordnerText(ordner).c_str());
    if (verzeichnis == nullptr)
        return;
    std::map<std::string, std::vector<std::string>> saetze;
    std::map<std::string, bool> tot;
    while (const dirent* e = ::readdir(verzeichnis)) {
        std::string satz;
        const std::string name = e->d_name;
        const pid_t pid = besitzer(name, satz);
        if (pid == 0 || pid == ::getpid())
            continue;
        struct stat st {};
        if (::lstat((ordner + name).c_str(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid())
            continue;
        if (!tot.contains(satz))
            tot[satz] = ::kill(pid, 0) != 0 && errno == ESRCH;
        if (tot[satz])
            saetze[satz].push_back(name);
    }
    ::closedir(verzeichnis);
    for (const auto& [satz, namen] : saetze) {
        const std::string listenName = satz + "." + listenEndung;
        const std::string liste = ordner + listenName;
        if (existiert(liste)) {
            for (const auto& [temp, ziel] : leseListe(liste)) {
                if (temp.find('/') != std::string::npos || ziel.find('/') != std::string::npos)
                    continue; // never outside this folder
                if (temp.empty())
                    ::unlink((ordner + ziel).c_str());
                else if (existiert(ordner + temp))
                    std::rename((ordner + temp).c_str(), (ordner + ziel).c_str());
            }
            ordnerAufPlatte(ordner);
        }
        // The list last: a sweep killed here finds it again.
        for (const std::string& name : namen)
            if (name != listenName)
                ::unlink((ordner + name).c_str());
        ::unlink(liste.c_str());
    }
}

namespace {

// The temporary file of ziel in the set, opened for writing; -1 with the reason otherwise.
int oeffneTemporaer(Dateisatz& satz, const std::string& ziel, mode_t modus, std::string& fehler) {
    const std::string temp = satz.aufnehmen(ziel);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, modus);
    if (fd < 0)
        fehler = grund("cannot write in the folder of", ziel);
    return fd;
}

} // namespace

bool schreibeGanz(const std::string& ziel, const std::string& inhalt, std::string& fehler) {
    Dateisatz satz(ziel);
    const int fd = oeffneTemporaer(satz, ziel, 0666, fehler);
    if (fd < 0)
        return false;
    bool ok = schreibeAlles(fd, inhalt.data(), inhalt.size());
    if (!ok)
        fehler = grund("cannot write", ziel);
    if (::close(fd) != 0 && ok) {
        fehler = grund("cannot write", ziel);
        ok = false;
    }
    return ok && satz.abschliessen(fehler);
}

bool ordnerNimmtAuf(const std::string& ziel, std::string& fehler) {
    Dateisatz satz(ziel);
    const int fd = oeffneTemporaer(satz, ziel, 0600, fehler);
    if (fd < 0)
        return false;
    ::close(fd);
    return true; // the destructor removes the probe
}

bool schreibeAlles(int fd, const char* daten, std::size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, daten, n);
        if (w < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        daten += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

} // namespace trelvik
