#pragma once
// Private folders with copies of the shipped sample sets, and file contents for comparisons.
#include "hilfe/ordner.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <string>

namespace trelvik::test {

class CleanOrdner : public ::testing::Test {
protected:
    // Copies tests/daten/<art>/<satz> into the folder; returns the path of its .shp.
    std::string kopiere(const std::string& art, const std::string& satz) {
        return tmp.kopiereSatz(art, satz);
    }
    std::string schreibe(const std::string& name, const std::string& inhalt) {
        return test::schreibe(ordner + name, inhalt);
    }
    static std::string lies(const std::string& pfad) { return test::lies(pfad); }

public:
    static std::string inhalt(const std::string& pfad) { return test::lies(pfad); }

protected:
    static std::map<std::string, std::string> inhalte(const std::string& ordnerPfad) {
        return test::inhalte(ordnerPfad);
    }
    TestOrdner tmp;
    std::string ordner = tmp.pfad();
    // Working copies of tables go here too, so nothing leaks into the shared /tmp.
    TmpUmleitung umleitung{ordner};
};

} // namespace trelvik::test
