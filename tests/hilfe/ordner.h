#pragma once
// Private folders for tests, the shipped sample sets and file contents.
#include <map>
#include <string>
#include <vector>

namespace trelvik::test {

// A private folder under the system's temporary folder, removed with everything in it when the
// object goes (a folder a test made read-only included). pfad() ends with "/".
class TestOrdner {
public:
    TestOrdner();
    ~TestOrdner();
    TestOrdner(const TestOrdner&) = delete;
    TestOrdner& operator=(const TestOrdner&) = delete;
    const std::string& pfad() const { return pfad_; }
    std::string operator/(const std::string& name) const { return pfad_ + name; }
    std::vector<std::string> eintraege() const; // names, recursively, relative, sorted
    // Copies every file of tests/daten/real/<satz> into this folder; returns its .shp path.
    std::string kopiereEcht(const std::string& satz) const;
    // Copies the folder tests/daten/<art>/<satz> to <satz>/ in here; returns its .shp path.
    std::string kopiereSatz(const std::string& art, const std::string& satz) const;

private:
    std::string pfad_;
};

// Points "tmp" at a folder for the life of the object, so working copies land there.
class TmpUmleitung {
public:
    explicit TmpUmleitung(const std::string& ordner);
    ~TmpUmleitung();
    TmpUmleitung(const TmpUmleitung&) = delete;
    TmpUmleitung& operator=(const TmpUmleitung&) = delete;

private:
    bool hatte_ = false;
    std::string alt_;
};

// tests/daten/<relativ>.
std::string testdaten(const std::string& relativ);
// The real sets of tests/daten/real, sorted.
std::vector<std::string> echteSaetze();
std::string echterPfad(const std::string& satz); // .../real/<satz>/<satz>.shp

// A whole file as bytes in a string; empty when it cannot be read.
std::string lies(const std::string& pfad);
// Writes `inhalt` as the whole file; returns the path.
std::string schreibe(const std::string& pfad, const std::string& inhalt);
// The contents of every file in a folder, by name.
std::map<std::string, std::string> inhalte(const std::string& ordner);

} // namespace trelvik::test
