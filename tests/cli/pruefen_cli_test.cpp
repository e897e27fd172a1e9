// trelvik-cli check, run as a separate program: reports byte-exact against the golden texts.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

struct Lauf {
    int status = -1;
    std::string ausgabe;
};

// Runs a shell command; stdout is captured, stderr goes to /dev/null.
Lauf starte(const std::string& befehl) {
    Lauf l;
    FILE* rohr = ::popen((befehl + " 2>/dev/null").c_str(), "r");
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

std::string lies(const fs::path& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(datei), {});
}

const std::string cli = std::string(TRELVIK_BIN) + "/trelvik-cli";

class CliPruefen : public ::testing::Test {
protected:
    void SetUp() override {
        std::string muster = (fs::temp_directory_path() / "trelvik-cli-XXXXXX").string();
        ASSERT_NE(::mkdtemp(muster.data()), nullptr);
        ordner = muster;
    }
    void TearDown() override { fs::remove_all(ordner); }
    // A check of one set of the files with known faults, run in its folder with the default
    // attribute list.
    Lauf pruefe(const std::string& set, const std::string& optionen = "") {
        fs::path dir = fs::path(TRELVIK_TESTDATEN) / "faulty" / set;
        if (!fs::exists(dir))
            dir = fs::path(TRELVIK_TESTDATEN) / "real" / set;
        return starte("cd '" + dir.string() + "' && '" + cli + "' check --attributes '" +
                      ordner + "/Attribute.txt' " + optionen + " " + set + ".shp");
    }
    std::string ordner;
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
