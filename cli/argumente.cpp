// What every command uses for its arguments and failures; also in the drawing module, which is
// loaded on its own.
#include "cli/befehle.h"

#include <cerrno>
#include <cstdlib>
#include <iostream>

namespace trelvik::cli {

int scheitern(const std::string& grund) {
    std::cerr << "trelvik-cli: " << grund << '\n';
    return fehler;
}

bool ganzeZahl(const std::string& text, long von, long bis, long& wert) {
    char* ende = nullptr;
    errno = 0;
    const long gelesen = std::strtol(text.c_str(), &ende, 10);
    if (ende == text.c_str() || *ende != '\0' || errno != 0 || gelesen < von || gelesen > bis)
        return false;
    wert = gelesen;
    return true;
}

} // namespace trelvik::cli
