#include "check/datei_ersetzen.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace trelvik {

namespace {

std::string ordnerVon(const std::string& pfad) {
    const auto schnitt = pfad.find_last_of('/');
    return schnitt == std::string::npos ? std::string(".") : pfad.substr(0, schnitt + 1);
}

std::string grund(const std::string& was, const std::string& pfad) {
    return was + " " + pfad + ": " + std::strerror(errno);
}

} // namespace

std::string legeTempDateiAn(const std::string& ziel, std::FILE*& datei, std::string& fehler) {
    datei = nullptr;
    const std::string name = std::filesystem::path(ziel).filename().string();
    std::string muster = ordnerVon(ziel) + "/." + name + ".XXXXXX";
    const int fd = ::mkstemp(muster.data());
    if (fd < 0) {
        fehler = grund("cannot write in the folder of", ziel);
        return "";
    }
    // mkstemp makes the file private; the target gets the mode any new file would get.
    const mode_t maske = ::umask(0);
    ::umask(maske);
    ::fchmod(fd, 0666 & ~maske);
    datei = ::fdopen(fd, "wb");
    if (datei == nullptr) {
        fehler = grund("cannot write", muster);
        ::close(fd);
        ::unlink(muster.c_str());
        return "";
    }
    return muster;
}

bool aufPlatteBringen(const std::string& pfad, std::string& fehler) {
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

bool ersetzeDatei(const std::string& temp, const std::string& ziel, std::string& fehler) {
    if (std::rename(temp.c_str(), ziel.c_str()) != 0) {
        fehler = grund("cannot write", ziel);
        return false;
    }
    const int fd = ::open(ordnerVon(ziel).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    return true;
}

bool schreibeGanz(const std::string& ziel, const std::string& inhalt, std::string& fehler) {
    std::FILE* datei = nullptr;
    const std::string temp = legeTempDateiAn(ziel, datei, fehler);
    if (temp.empty())
        return false;
    bool ok = std::fwrite(inhalt.data(), 1, inhalt.size(), datei) == inhalt.size() &&
              std::fflush(datei) == 0 && ::fsync(::fileno(datei)) == 0;
    if (!ok)
        fehler = grund("cannot write", ziel);
    ok = std::fclose(datei) == 0 && ok;
    if (ok)
        ok = ersetzeDatei(temp, ziel, fehler);
    if (!ok)
        ::unlink(temp.c_str());
    return ok;
}

} // namespace trelvik
