#pragma once
// Private folders with copies of the shipped sample sets, and file contents for comparisons.
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <gtest/gtest.h>
#include <string>

namespace trelvik::test {

class CleanOrdner : public ::testing::Test {
protected:
    void SetUp() override {
        std::string muster =
            (std::filesystem::temp_directory_path() / "trelvik-clean-XXXXXX").string();
        ASSERT_NE(::mkdtemp(muster.data()), nullptr);
        ordner = muster + "/";
        // Working copies of tables go here too, so nothing leaks into the shared /tmp.
        ::setenv("tmp", ordner.c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("tmp");
        std::filesystem::permissions(ordner, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add);
        std::filesystem::remove_all(ordner);
    }
    // Copies tests/daten/<art>/<satz> into the folder; returns the path of its .shp.
    std::string kopiere(const std::string& art, const std::string& satz) {
        const std::filesystem::path quelle = std::filesystem::path(TRELVIK_TESTDATEN) / art / satz;
        std::filesystem::create_directories(ordner + satz);
        for (const auto& e : std::filesystem::directory_iterator(quelle))
            std::filesystem::copy_file(e.path(), ordner + satz + "/" + e.path().filename().string());
        return ordner + satz + "/" + satz + ".shp";
    }
    std::string schreibe(const std::string& name, const std::string& inhalt) {
        std::ofstream(ordner + name, std::ios::binary) << inhalt;
        return ordner + name;
    }
    static std::string lies(const std::string& pfad) { return inhalt(pfad); }

public:
    static std::string inhalt(const std::string& pfad) {
        std::ifstream datei(pfad, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(datei), {});
    }

protected:
    // The contents of every file in a folder, by name.
    static std::map<std::string, std::string> inhalte(const std::string& ordnerPfad) {
        std::map<std::string, std::string> m;
        for (const auto& e : std::filesystem::directory_iterator(ordnerPfad))
            m[e.path().filename().string()] = lies(e.path().string());
        return m;
    }
    std::string ordner;
};

} // namespace trelvik::test
