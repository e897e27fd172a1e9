#include "app/dateien.h"
#include "app/dateisatz.h"
#include "shape/dbf/arbeitskopie.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <vector>

namespace trelvik {

namespace {

std::string fehlerText(int nummer) {
    return std::strerror(nummer);
}

// Closes a descriptor when the scope ends, whatever happened.
struct Deskriptor {
    int fd = -1;
    ~Deskriptor() {
        if (fd >= 0)
            ::close(fd);
    }
};

// --- Copies of this process, removed when it is stopped by a signal ---------------------------
//
// A signal handler may only use async-signal-safe calls: it finds the copies in fixed slots
// (no allocation, no lock) and removes them with unlink and rmdir. A copy that finds no free
// slot, or whose folder holds anything else, is left to the sweep of the next run.

constexpr std::string_view vorsilbe = "trelvik-";

struct Platz {
    std::atomic<int> belegt{0};
    char ordner[PATH_MAX] = {};
    char datei[PATH_MAX] = {};
};
std::array<Platz, 16> plaetze;
std::mutex platzWahl;

bool kopiereName(char (&ziel)[PATH_MAX], const std::string& quelle) {
    if (quelle.size() >= PATH_MAX)
        return false;
    std::memcpy(ziel, quelle.c_str(), quelle.size() + 1);
    return true;
}

void raeumeAuf() {
    for (Platz& p : plaetze) {
        if (p.belegt.load() == 0)
            continue;
        if (p.datei[0] != '\0')
            ::unlink(p.datei);
        ::rmdir(p.ordner);
    }
}

extern "C" void beiSignal(int nummer) {
    const int fehler = errno;
    raeumeAuf();
    // Then the signal's own effect: the process ends as it would have without us.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    sigemptyset(&standard.sa_mask);
    ::sigaction(nummer, &standard, nullptr);
    errno = fehler;
    ::raise(nummer);
}

// Installed once, and only where the program has not chosen a handler of its own. SIGPIPE is a
// closed pipe ("dump ... | head -1"); a program that ignores it gets EPIPE and ends normally,
// and the destructors remove the copies.
void fangeSignale() {
    static std::once_flag einmal;
    std::call_once(einmal, [] {
        for (const int nummer : {SIGINT, SIGTERM, SIGPIPE, SIGHUP}) {
            struct sigaction alt {};
            if (::sigaction(nummer, nullptr, &alt) != 0 || alt.sa_handler != SIG_DFL ||
                (alt.sa_flags & SA_SIGINFO) != 0)
                continue;
            struct sigaction neu {};
            neu.sa_handler = beiSignal;
            sigemptyset(&neu.sa_mask);
            ::sigaction(nummer, &neu, nullptr);
        }
        std::atexit(raeumeAuf); // std::exit skips the destructors of the copies on the stack
    });
}

Platz* belege(const std::string& ordner) {
    const std::lock_guard<std::mutex> sperre(platzWahl);
    for (Platz& p : plaetze) {
        if (p.belegt.load() != 0)
            continue;
        if (!kopiereName(p.ordner, ordner))
            return nullptr;
        p.datei[0] = '\0';
        p.belegt.store(1);
        return &p;
    }
    return nullptr;
}

// The copy's file, as the handler is to remove it; the slot is out of use while it changes.
void merkeDatei(Platz* p, const std::string& datei) {
    if (p == nullptr)
        return;
    p->belegt.store(0);
    if (!kopiereName(p->datei, datei))
        p->datei[0] = '\0';
    p->belegt.store(1);
}

void gibFrei(Platz* p) {
    if (p != nullptr)
        p->belegt.store(0);
}

// --- Copies of processes that are gone ------------------------------------------------------

// The process id in a folder name "trelvik-<pid>-XXXXXX"; 0 for any other name.
pid_t besitzerVon(std::string_view name) {
    if (!name.starts_with(vorsilbe))
        return 0;
    name.remove_prefix(vorsilbe.size());
    long long pid = 0;
    const auto [ende, fehler] = std::from_chars(name.data(), name.data() + name.size(), pid);
    if (fehler != std::errc() || ende == name.data() || *ende != '-' || pid <= 0 ||
        pid > INT_MAX)
        return 0;
    return static_cast<pid_t>(pid);
}

// Removes the working-copy folders of this user whose process no longer exists (killed, or
// ended by something no handler sees). A process of another user answers EPERM: it lives.
void fegeVerwaiste(const std::string& temp) {
    DIR* verzeichnis = ::opendir(temp.c_str());
    if (verzeichnis == nullptr)
        return;
    std::vector<std::string> verwaist;
    while (const dirent* e = ::readdir(verzeichnis)) {
        const pid_t pid = besitzerVon(e->d_name);
        if (pid == 0 || pid == ::getpid())
            continue;
        struct stat info {};
        const std::string pfad = temp + e->d_name;
        if (::lstat(pfad.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
            info.st_uid != ::geteuid())
            continue;
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            verwaist.push_back(pfad);
    }
    ::closedir(verzeichnis);
    for (const std::string& pfad : verwaist) {
        std::error_code fehler;
        std::filesystem::remove_all(pfad, fehler);
    }
}

} // namespace

Arbeitskopie::Arbeitskopie() {
    const std::string temp = tempOrdner();
    fegeVerwaiste(temp);
    fangeSignale();
    // mkdtemp makes the folder with mode 0700 under a name nobody else can have chosen, so the
    // names inside it cannot be taken over by another user between the choice and the copy. The
    // process id in the name tells a later run whether its owner is still there.
    std::string muster = temp + std::string(vorsilbe) + std::to_string(::getpid()) + "-XXXXXX";
    std::vector<char> puffer(muster.begin(), muster.end());
    puffer.push_back('\0');
    if (::mkdtemp(puffer.data()) == nullptr)
        throw std::runtime_error("cannot create a private folder in " + temp + ": " +
                                 fehlerText(errno));
    ordner_.assign(puffer.data());
    platz_ = belege(ordner_);
    ordner_ += '/';
}

Arbeitskopie::~Arbeitskopie() {
    entferne();
}

void Arbeitskopie::entferne() {
    if (ordner_.empty())
        return;
    gibFrei(static_cast<Platz*>(platz_));
    platz_ = nullptr;
    // The folder is ours alone; whatever the engine left beside the copy goes with it.
    std::error_code fehler;
    std::filesystem::remove_all(ordner_, fehler);
    ordner_.clear();
    pfad_.clear();
}

const std::string& Arbeitskopie::reserviere() {
    if (ordner_.empty())
        throw std::runtime_error("the working copy has been removed");
    if (!pfad_.empty()) {
        ::unlink(pfad_.c_str());
        pfad_.clear();
    }
    for (unsigned n = 0;; ++n) {
        const std::string kandidat = ordner_ + "t~" + std::to_string(n) + ".dbf";
        const int fd = ::open(kandidat.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            ::close(fd);
            pfad_ = kandidat;
            merkeDatei(static_cast<Platz*>(platz_), pfad_);
            return pfad_;
        }
        if (errno != EEXIST)
            throw std::runtime_error("cannot create a working copy in " + tempOrdner() + ": " +
                                     fehlerText(errno));
    }
}

const std::string& Arbeitskopie::kopiereVon(const std::string& quelle) {
    Deskriptor ein;
    ein.fd = ::open(quelle.c_str(), O_RDONLY | O_CLOEXEC);
    if (ein.fd < 0)
        throw std::runtime_error("cannot open " + quelle + ": " + fehlerText(errno));
    struct stat info {};
    if (::fstat(ein.fd, &info) != 0)
        throw std::runtime_error("cannot read " + quelle + ": " + fehlerText(errno));
    if (!S_ISREG(info.st_mode))
        throw std::runtime_error(quelle + " is not a file");

    const std::string ziel = reserviere();
    try {
        Deskriptor aus;
        aus.fd = ::open(ziel.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
        const auto kopieFehler = [&] {
            return std::runtime_error("cannot copy " + quelle + " into " + tempOrdner() + ": " +
                                      fehlerText(errno));
        };
        if (aus.fd < 0)
            throw kopieFehler();
        std::vector<char> puffer(1 << 16);
        while (true) {
            const ssize_t r = ::read(ein.fd, puffer.data(), puffer.size());
            if (r < 0) {
                if (errno == EINTR)
                    continue;
                throw std::runtime_error("cannot read " + quelle + ": " + fehlerText(errno));
            }
            if (r == 0)
                break;
            if (!schreibeAlles(aus.fd, puffer.data(), static_cast<std::size_t>(r)))
                throw kopieFehler();
        }
        if (::close(aus.fd) != 0) {
            aus.fd = -1;
            throw kopieFehler();
        }
        aus.fd = -1;
    } catch (...) {
        ::unlink(ziel.c_str());
        pfad_.clear();
        throw;
    }
    return pfad_;
}

} // namespace trelvik
