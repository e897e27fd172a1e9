#include "hilfe/cli.h"

#include <array>
#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

namespace trelvik::test {

const std::string& cliPfad() {
    static const std::string pfad = std::string(TRELVIK_BIN) + "/trelvik-cli";
    return pfad;
}

Lauf starte(const std::string& befehl, bool mitFehlern) {
    Lauf l;
    FILE* rohr = ::popen((befehl + (mitFehlern ? " 2>&1" : " 2>/dev/null")).c_str(), "r");
    if (rohr == nullptr)
        return l;
    std::array<char, 4096> puffer{};
    std::size_t n = 0;
    while ((n = std::fread(puffer.data(), 1, puffer.size(), rohr)) > 0)
        l.ausgabe.append(puffer.data(), n);
    const int roh = ::pclose(rohr);
    l.status = WIFEXITED(roh) ? WEXITSTATUS(roh) : -1;
    return l;
}

int roherStatus(const std::string& befehl) {
    return std::system((befehl + " >/dev/null 2>&1").c_str());
}

} // namespace trelvik::test
