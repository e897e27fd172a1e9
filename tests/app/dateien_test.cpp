#include "app/dateien.h"
#include "hilfe/ordner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace trelvik;
namespace fs = std::filesystem;

namespace {

class Ordner : public ::testing::Test {
protected:
    void schreibe(const std::string& name) { test::schreibe(wurzel + name, "x"); }
    test::TestOrdner ordner;
    const std::string wurzel = ordner.pfad();
};

} // namespace

TEST_F(Ordner, DateiSuchenFindetDateienUndNurMitMaskeOrdner) {
    schreibe("a.shp");
    fs::create_directory(wurzel + "unter");
    EXPECT_EQ(dateiSuchen(wurzel + "a.shp", 0), "a.shp");
    EXPECT_EQ(dateiSuchen(wurzel + "b.shp", 0), "");
    EXPECT_EQ(dateiSuchen(wurzel + "unter", 0), "");
    EXPECT_EQ(dateiSuchen(wurzel + "unter", attributOrdner), "unter");
    EXPECT_EQ(dateiSuchen(wurzel, attributOrdner), ".");
    EXPECT_EQ(dateiSuchen(wurzel, 0), "");
}

TEST_F(Ordner, DateiSuchenMitPlatzhaltern) {
    schreibe("strassen.dbf");
    EXPECT_EQ(dateiSuchen(wurzel + "*.dbf", 0), "strassen.dbf");
    EXPECT_EQ(dateiSuchen(wurzel + "strasse?.dbf", 0), "strassen.dbf");
    EXPECT_EQ(dateiSuchen(wurzel + "*.shp", 0), "");
}

TEST(DateiSuchen, LeerOderUngueltigGibtLeer) {
    EXPECT_EQ(dateiSuchen("", 0), "");
    EXPECT_EQ(dateiSuchen("/gibt/es/nicht/*.shp", 0), "");
    EXPECT_EQ(dateiSuchen(std::string(5000, 'a'), 0), "");
}

TEST_F(Ordner, CheckReadOnlyNeueDateiImSchreibbarenOrdner) {
    EXPECT_TRUE(checkReadOnly(wurzel + "neu.shp", true));
    EXPECT_TRUE(checkReadOnly("", true));
}

TEST_F(Ordner, CheckReadOnlyFehlenderOrdnerMeldet) {
    std::string meldung;
    EXPECT_FALSE(checkReadOnly(wurzel + "fehlt/neu.shp", true,
                               [&](const std::string& m) { meldung = m; }));
    EXPECT_EQ(meldung, "Datei/Verzeichnis ist schreibgeschützt.");
}

TEST_F(Ordner, CheckReadOnlySchreibgeschuetzteDatei) {
    schreibe("fest.shp");
    ::chmod((wurzel + "fest.shp").c_str(), 0444);
    int meldungen = 0;
    const Melder zaehlen = [&](const std::string&) { ++meldungen; };
    EXPECT_FALSE(checkReadOnly(wurzel + "fest.shp", false, zaehlen));
    EXPECT_EQ(meldungen, 0);
    EXPECT_FALSE(checkReadOnly(wurzel + "fest.shp", true, zaehlen));
    EXPECT_EQ(meldungen, 1);
}

TEST_F(Ordner, CheckReadOnlySchreibgeschuetzterOrdner) {
    fs::create_directory(wurzel + "fest");
    ::chmod((wurzel + "fest").c_str(), 0555);
    EXPECT_FALSE(checkReadOnly(wurzel + "fest/neu.shp", false));
}

TEST(TempOrdner, VariablenInReihenfolge) {
    const auto setze = [](const char* n, const char* w) {
        if (w)
            ::setenv(n, w, 1);
        else
            ::unsetenv(n);
    };
    const char* alt[3] = {std::getenv("tmp"), std::getenv("temp"), std::getenv("TMPDIR")};
    const std::string gesichert[3] = {alt[0] ? alt[0] : "", alt[1] ? alt[1] : "",
                                      alt[2] ? alt[2] : ""};
    setze("tmp", nullptr);
    setze("temp", "/var/tmp");
    EXPECT_EQ(tempOrdner(), "/var/tmp/");
    setze("tmp", "/eins/");
    EXPECT_EQ(tempOrdner(), "/eins/");
    setze("tmp", nullptr);
    setze("temp", nullptr);
    setze("TMPDIR", "/zwei");
    EXPECT_EQ(tempOrdner(), "/zwei/");
    setze("TMPDIR", nullptr);
    EXPECT_EQ(tempOrdner(), "/tmp/");
    setze("tmp", alt[0] ? gesichert[0].c_str() : nullptr);
    setze("temp", alt[1] ? gesichert[1].c_str() : nullptr);
    setze("TMPDIR", alt[2] ? gesichert[2].c_str() : nullptr);
}

TEST(ProgrammOrdner, EndetMitSchraegstrich) {
    const std::string ordner = programmOrdner();
    ASSERT_FALSE(ordner.empty());
    EXPECT_EQ(ordner.back(), '/');
    EXPECT_TRUE(fs::exists(ordner));
}
