#pragma once
// The working copy of an attribute table: VunInterface never opens the user's table at its own
// path but a copy in a private folder inside the temporary folder.
#include <string>

namespace trelvik {

// A private folder (mode 0700) "trelvik-<pid>-XXXXXX" in the temporary folder holding "t~N.dbf"
// created exclusively; the folder and the copy are removed by the destructor, and when the
// process ends by SIGINT, SIGTERM, SIGHUP or a closed pipe (SIGPIPE) or through std::exit.
// Creating one first removes the folders of this user's processes that are gone.
class Arbeitskopie {
public:
    Arbeitskopie(); // chooses the folder; throws std::runtime_error when it cannot
    ~Arbeitskopie();
    Arbeitskopie(const Arbeitskopie&) = delete;
    Arbeitskopie& operator=(const Arbeitskopie&) = delete;

    // Copies `quelle` to the first free "t~N.dbf" of the private folder (exclusive create) and
    // returns its path; throws when `quelle` cannot be read or the copy cannot be written.
    const std::string& kopiereVon(const std::string& quelle);
    // Reserves the first free "t~N.dbf" without content (for a table about to be created).
    const std::string& reserviere();
    const std::string& pfad() const { return pfad_; }
    void entferne(); // removes the copy and the folder now; safe to call twice

private:
    std::string ordner_;
    std::string pfad_;
    void* platz_ = nullptr; // where a signal handler finds this copy
};

} // namespace trelvik
