// trelvik-cli clean, export and swap, run as a separate program on copies of the samples.
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <shapefil.h>
#include <random>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

using Ergebnis = trelvik::test::Lauf;
using trelvik::test::lies;

Ergebnis rufe(const std::string& befehl) {
    return trelvik::test::starte(befehl, true);
}

// Signed area of every ring of every record, positive counter-clockwise.
std::vector<double> ringFlaechen(const std::string& shp) {
    std::vector<double> ergebnis;
    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    if (h == nullptr)
        return ergebnis;
    int anzahl = 0;
    SHPGetInfo(h, &anzahl, nullptr, nullptr, nullptr);
    for (int i = 0; i < anzahl; ++i) {
        SHPObject* o = SHPReadObject(h, i);
        for (int p = 0; o != nullptr && p < o->nParts; ++p) {
            const int von = o->panPartStart[p];
            const int bis = p + 1 < o->nParts ? o->panPartStart[p + 1] : o->nVertices;
            double a = 0;
            for (int k = von; k + 1 < bis; ++k)
                a += o->padfX[k] * o->padfY[k + 1] - o->padfX[k + 1] * o->padfY[k];
            ergebnis.push_back(a / 2);
        }
        SHPDestroyObject(o);
    }
    SHPClose(h);
    return ergebnis;
}

const std::string& cli = trelvik::test::cliPfad();

class CliSchreiben : public ::testing::Test {
protected:
    std::string kopiere(const std::string& art, const std::string& satz) {
        return tmp.kopiereSatz(art, satz);
    }
    Ergebnis trelvik(const std::string& argumente) {
        const bool mitListe = argumente.rfind("clean", 0) == 0 || argumente.rfind("check", 0) == 0;
        return rufe("cd '" + ordner + "' && tmp='" + ordner + "' '" + cli + "' " + argumente +
                    (mitListe ? " --attributes '" + ordner + "Attribute.txt'" : ""));
    }
    trelvik::test::TestOrdner tmp;
    std::string ordner = tmp.pfad();
};

TEST_F(CliSchreiben, CleanWritesACopyTheCheckFindsClean) {
    kopiere("faulty", "sliver");
    const Ergebnis e =
        trelvik("clean sliver/sliver.shp neu.shp --remove-small-areas --min-area 25");
    ASSERT_EQ(e.status, 0) << e.ausgabe;
    EXPECT_NE(e.ausgabe.find("records read:    6\n"), std::string::npos) << e.ausgabe;
    EXPECT_NE(e.ausgabe.find("records written: 5\n"), std::string::npos);
    EXPECT_NE(e.ausgabe.find("records dropped: 1\n"), std::string::npos);
    EXPECT_NE(e.ausgabe.find("parts dropped:   1\n"), std::string::npos);
    const Ergebnis c = trelvik("check neu.shp");
    EXPECT_EQ(c.status, 0) << c.ausgabe;
    EXPECT_NE(c.ausgabe.find("Keine Fehler gefunden!"), std::string::npos);

    // The same set again under another spelling, and a missing folder: status 2, nothing new.
    const Ergebnis gleich = trelvik("clean sliver/sliver.shp sliver/Sliver.shp");
    EXPECT_EQ(gleich.status, 2);
    EXPECT_NE(gleich.ausgabe.find("Bitte einen anderen Shape-Namen angeben."), std::string::npos);
    EXPECT_FALSE(fs::exists(ordner + "sliver/Sliver.shp"));
    const Ergebnis fehlt = trelvik("clean sliver/sliver.shp nirgends/neu.shp");
    EXPECT_EQ(fehlt.status, 2);
    EXPECT_NE(fehlt.ausgabe.find("Datei/Verzeichnis ist schreibgeschützt."), std::string::npos);
    EXPECT_EQ(trelvik("clean sliver/sliver.shp").status, 2);
    EXPECT_EQ(trelvik("clean sliver/sliver.shp x.shp --bogus").status, 2);
    EXPECT_EQ(trelvik("clean fehlt.shp x.shp").status, 2);
}

TEST_F(CliSchreiben, ExportAndSwap) {
    const std::string shp = kopiere("faulty", "rings_near");
    ASSERT_EQ(trelvik("export rings_near/rings_near.shp punkte.txt --field 1").status, 0);
    const std::string text = lies(ordner + "punkte.txt");
    std::size_t zeilen = 0;
    for (std::size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2))
        ++zeilen;
    std::size_t vertices = 0;
    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    ASSERT_NE(h, nullptr);
    for (int i = 0; i < 3; ++i) {
        SHPObject* o = SHPReadObject(h, i);
        vertices += static_cast<std::size_t>(o->nVertices);
        SHPDestroyObject(o);
    }
    SHPClose(h);
    EXPECT_EQ(zeilen, vertices);
    EXPECT_EQ(trelvik("export rings_near/rings_near.shp punkte.txt").status, 2);
    EXPECT_EQ(trelvik("export rings_near/rings_near.shp punkte.txt --field x").status, 2);

    ASSERT_EQ(trelvik("swap rings_near/rings_near.shp --ccw").status, 0);
    for (const double a : ringFlaechen(shp))
        EXPECT_GT(a, 0);
    ASSERT_EQ(trelvik("swap rings_near/rings_near.shp").status, 0);
    for (const double a : ringFlaechen(shp))
        EXPECT_LT(a, 0);
    EXPECT_EQ(trelvik("swap fehlt.shp").status, 2);
}

} // namespace

namespace {

// swap killed at random moments: the file is the original or completely swapped, keeps its
// permission bits, and the next swap leaves no temporary file.
TEST_F(CliSchreiben, SwapGetoetetLaesstDieDateiGanz) {
    const std::string shp = kopiere("real", "nc_m");
    const std::string basis = shp.substr(0, shp.size() - 3);
    fs::permissions(shp, fs::perms(0640));
    const std::string vorher = lies(shp);
    ASSERT_EQ(trelvik("swap nc_m/nc_m.shp --ccw").status, 0);
    const std::string gedreht = lies(shp);
    ASSERT_NE(gedreht, vorher);
    EXPECT_EQ(fs::status(shp).permissions(), fs::perms(0640));
    std::mt19937 zufall(815);
    std::uniform_int_distribution<int> verzug(0, 150000);
    int ganzGedreht = 0;
    for (int lauf = 0; lauf < 20; ++lauf) {
        trelvik::test::schreibe(shp, vorher);
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::setenv("tmp", ordner.c_str(), 1); // the working copies of killed runs stay here
            ::execl(cli.c_str(), cli.c_str(), "swap", shp.c_str(), "--ccw",
                    static_cast<char*>(nullptr));
            ::_exit(127);
        }
        const int warten = verzug(zufall);
        std::this_thread::sleep_for(std::chrono::microseconds(warten));
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
        const std::string jetzt = lies(shp);
        EXPECT_TRUE(jetzt == vorher || jetzt == gedreht) << warten;
        ganzGedreht += jetzt == gedreht;
    }
    EXPECT_GT(ganzGedreht, 0);
    ASSERT_EQ(trelvik("swap nc_m/nc_m.shp").status, 0);
    for (const auto& d : fs::directory_iterator(ordner + "nc_m"))
        EXPECT_NE(d.path().filename().string()[0], '.') << d.path();
}

} // namespace
