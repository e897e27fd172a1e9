#pragma once
// Running trelvik-cli (or any command) as a separate program through the shell.
#include <string>

namespace trelvik::test {

struct Lauf {
    int status = -1; // exit status; -1 when the command did not end normally
    std::string ausgabe;
};

// The built trelvik-cli.
const std::string& cliPfad();

// Runs a shell command and captures its standard output; standard error goes into the capture
// with `mitFehlern`, to /dev/null without.
Lauf starte(const std::string& befehl, bool mitFehlern);

// The raw wait status of a command whose output is thrown away.
int roherStatus(const std::string& befehl);

} // namespace trelvik::test
