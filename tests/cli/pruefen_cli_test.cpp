// trelvik-cli check, run as a separate program: reports byte-exact against the golden texts.
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace fs = std::filesystem;

namespace {

using trelvik::test::Lauf;
using trelvik::test::lies;

// Runs a shell command; stdout is captured, stderr goes to /dev/null.
Lauf starte(const std::string& befehl) {
    return trelvik::test::starte(befehl, false);
}

const std::string& cli = trelvik::test::cliPfad();

class CliPruefen : public ::testing::Test {
protected:
    // A check of one set of the files with known faults, run in its folder with the default
    // attribute list.
    Lauf pruefe(const std::string& set, const std::string& optionen = "") {
        fs::path dir = fs::path(TRELVIK_TESTDATEN) / "faulty" / set;
        if (!fs::exists(dir))
            dir = fs::path(TRELVIK_TESTDATEN) / "real" / set;
        return starte("cd '" + dir.string() + "' && '" + cli + "' check --attributes '" +
                      ordner + "/Attribute.txt' " + optionen + " " + set + ".shp");
    }
    trelvik::test::TestOrdner tmp;
    // Without the closing "/": the tests add their own.
    std::string ordner = tmp.pfad().substr(0, tmp.pfad().size() - 1);
};

} // namespace

TEST_F(CliPruefen, BerichteStimmenMitDenVorlagenUeberein) {
    int geprueft = 0;
    for (const auto& vorlage : fs::directory_iterator(fs::path(TRELVIK_GOLDEN) / "check")) {
        const std::string set = vorlage.path().stem().string();
        const Lauf l = pruefe(set);
        EXPECT_EQ(l.ausgabe, lies(vorlage.path())) << set;
        EXPECT_EQ(l.status, set.rfind("clean_", 0) == 0 ? 0 : 1) << set;
        ++geprueft;
    }
    EXPECT_EQ(geprueft, 22); // the 21 sets with known faults and one real file
}

TEST_F(CliPruefen, SchwellenAlsTexteMitKomma) {
    // 0,4 cm: the 0.5 cm pair of close_points is no longer a finding.
    const Lauf l = pruefe("close_points", "--min-distance 0,4");
    EXPECT_EQ(l.status, 0);
    EXPECT_NE(l.ausgabe.find("Keine Fehler gefunden!"), std::string::npos);
    const Lauf gross = pruefe("clean_polygons", "--min-area 1e12");
    EXPECT_EQ(gross.status, 1);
}

TEST_F(CliPruefen, AusgabeInDatei) {
    const Lauf l = pruefe("sliver", "--out '" + ordner + "/bericht.txt'");
    EXPECT_EQ(l.status, 1);
    EXPECT_TRUE(l.ausgabe.empty());
    EXPECT_EQ(lies(ordner + "/bericht.txt"),
              lies(fs::path(TRELVIK_GOLDEN) / "check" / "sliver.txt"));
}

TEST_F(CliPruefen, FehlendeDateienUndFalscheArgumente) {
    EXPECT_EQ(starte("'" + cli + "' check '" + ordner + "/fehlt.shp'").status, 2);
    EXPECT_EQ(starte("'" + cli + "' check").status, 2);
    EXPECT_EQ(starte("'" + cli + "' check --min-distance").status, 2);
    EXPECT_EQ(starte("'" + cli + "' check --bogus x.shp").status, 2);
    // A main file without its table: the check cannot run.
    fs::copy(fs::path(TRELVIK_TESTDATEN) / "faulty/sliver/sliver.shp", ordner + "/s.shp");
    fs::copy(fs::path(TRELVIK_TESTDATEN) / "faulty/sliver/sliver.shx", ordner + "/s.shx");
    EXPECT_EQ(starte("'" + cli + "' check '" + ordner + "/s.shp'").status, 2);
}

TEST_F(CliPruefen, HilfeUndVersion) {
    const Lauf hilfe = starte("'" + cli + "' --help");
    EXPECT_EQ(hilfe.status, 0);
    EXPECT_NE(hilfe.ausgabe.find("check FILE.shp"), std::string::npos);
    const Lauf version = starte("'" + cli + "' --version");
    EXPECT_EQ(version.ausgabe, "trelvik-cli 1.1.6\n");
    EXPECT_EQ(starte("'" + cli + "' gibtsnicht").status, 2);
}
