#include "app/dateien.h"
#include "shape/dbf/arbeitskopie.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
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

// False with errno set when a write fails.
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

} // namespace

Arbeitskopie::Arbeitskopie() {
    // mkdtemp makes the folder with mode 0700 under a name nobody else can have chosen, so the
    // names inside it cannot be taken over by another user between the choice and the copy.
    std::string muster = tempOrdner() + "trelvik-XXXXXX";
    std::vector<char> puffer(muster.begin(), muster.end());
    puffer.push_back('\0');
    if (::mkdtemp(puffer.data()) == nullptr)
        throw std::runtime_error("cannot create a private folder in " + tempOrdner() + ": " +
                                 fehlerText(errno));
    ordner_.assign(puffer.data());
    ordner_ += '/';
}

Arbeitskopie::~Arbeitskopie() {
    entferne();
}

void Arbeitskopie::entferne() {
    if (ordner_.empty())
        return;
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
