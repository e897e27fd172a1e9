#include "shape/shape_datei.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik {

namespace {

std::string systemGrund() {
    return std::strerror(errno);
}

} // namespace

void Datei::oeffneLesend(const std::string& pfad) {
    schliesse();
    const int fd = ::open(pfad.c_str(), O_RDONLY | O_CLOEXEC);
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

} // namespace trelvik
