#pragma once
// A binary file of a file set, read at byte positions without moving a file pointer.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace trelvik {

class Datei {
public:
    Datei() = default;
    ~Datei() { schliesse(); }
    Datei(const Datei&) = delete;
    Datei& operator=(const Datei&) = delete;

    // Opens for reading only; throws std::runtime_error with the system's reason.
    void oeffneLesend(const std::string& pfad);
    // Opens an existing file for reading and writing.
    void oeffneSchreibend(const std::string& pfad);
    // Creates (or empties) the file and writes `inhalt`; throws on failure.
    static void erzeuge(const std::string& pfad, std::span<const std::uint8_t> inhalt);
    void schliesse();
    bool offen() const { return fd_ >= 0; }
    const std::string& pfad() const { return pfad_; }

    std::uint64_t groesse() const; // the length on disk now
    // Fills `ziel` from byte `position` on; fewer bytes only at the end of the file.
    std::size_t liesAb(std::uint64_t position, std::span<std::uint8_t> ziel) const;

    // Writes all of `quelle` at byte `position`; throws on failure.
    void schreibeAb(std::uint64_t position, std::span<const std::uint8_t> quelle);

private:
    void oeffne(const std::string& pfad, int art);
    int fd_ = -1;
    std::string pfad_;
};

// Copies the file `quelle` over `ziel` (created or emptied); throws on failure.
void kopiereDatei(const std::string& quelle, const std::string& ziel);

} // namespace trelvik
