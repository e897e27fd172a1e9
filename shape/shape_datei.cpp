#include "shape/shape_datei.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace trelvik {

namespace {

std::string systemGrund() {
    return std::strerror(errno);
}

} // namespace

void Datei::oeffneLesend(const std::string& pfad) {
    oeffne(pfad, O_RDONLY);
}

void Datei::oeffneSchreibend(const std::string& pfad) {
    oeffne(pfad, O_RDWR);
}

void Datei::oeffne(const std::string& pfad, int art) {
    schliesse();
    const int fd = ::open(pfad.c_str(), art | O_CLOEXEC);
    if (fd < 0)
        throw std::runtime_error("cannot open " + pfad + ": " + systemGrund());
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const std::string grund = S_ISDIR(st.st_mode) ? "is a folder" : "not a regular file";
        ::close(fd);
        throw std::runtime_error("cannot open " + pfad + ": " + grund);
    }
    fd_ = fd;
    pfad_ = pfad;
}

void Datei::erzeuge(const std::string& pfad, std::span<const std::uint8_t> inhalt) {
    const int fd = ::open(pfad.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw std::runtime_error("cannot create " + pfad + ": " + systemGrund());
    Datei d;
    d.fd_ = fd;
    d.pfad_ = pfad;
    d.schreibeAb(0, inhalt);
    if (::close(d.fd_) != 0) {
        d.fd_ = -1;
        throw std::runtime_error("cannot write " + pfad + ": " + systemGrund());
    }
    d.fd_ = -1;
}

void Datei::schreibeAb(std::uint64_t position, std::span<const std::uint8_t> quelle) {
    if (fd_ < 0)
        throw std::runtime_error("file not open");
    std::size_t geschrieben = 0;
    while (geschrieben < quelle.size()) {
        const std::uint64_t stelle = position + geschrieben;
        if (stelle > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            throw std::runtime_error("cannot write " + pfad_ + ": position out of range");
        const ssize_t n = ::pwrite(fd_, quelle.data() + geschrieben, quelle.size() - geschrieben,
                                   static_cast<off_t>(stelle));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("cannot write " + pfad_ + ": " + systemGrund());
        }
        geschrieben += static_cast<std::size_t>(n);
    }
}

void Datei::schliesse() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    pfad_.clear();
}

std::uint64_t Datei::groesse() const {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0)
        throw std::runtime_error("cannot determine the length of " + pfad_ + ": " +
                                 (fd_ < 0 ? std::string("file not open") : systemGrund()));
    return static_cast<std::uint64_t>(st.st_size);
}

std::size_t Datei::liesAb(std::uint64_t position, std::span<std::uint8_t> ziel) const {
    if (fd_ < 0)
        throw std::runtime_error("file not open");
    std::size_t gelesen = 0;
    while (gelesen < ziel.size()) {
        const std::uint64_t stelle = position + gelesen;
        if (stelle > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
            break;
        const ssize_t n =
            ::pread(fd_, ziel.data() + gelesen, ziel.size() - gelesen, static_cast<off_t>(stelle));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            throw std::runtime_error("cannot read " + pfad_ + ": " + systemGrund());
        }
        if (n == 0)
            break; // end of file
        gelesen += static_cast<std::size_t>(n);
    }
    return gelesen;
}

void kopiereDatei(const std::string& quelle, const std::string& ziel) {
    Datei ein;
    ein.oeffneLesend(quelle);
    std::vector<std::uint8_t> inhalt(static_cast<std::size_t>(ein.groesse()));
    inhalt.resize(ein.liesAb(0, inhalt));
    Datei::erzeuge(ziel, inhalt);
}

} // namespace trelvik
