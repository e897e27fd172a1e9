// trelvik-cli on one thread and on several, on the indexed paths and on the all-pairs reference:
// every sample and a few generated files of many records give the same report, findings file
// and cleaned file set, byte for byte.
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cmath>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using trelvik::test::inhalte;
using trelvik::test::lies;

// Many records of one to six rings (or lines), some crossing, some close, some tiny, so the
// records in flight overtake each other and the lists of the report fill up.
void erzeuge(const std::string& basis, int typ, unsigned saat) {
    std::mt19937 zufall(saat);
    std::uniform_real_distribution<double> w(0, 1);
    SHPHandle shp = SHPCreate(basis.c_str(), typ);
    DBFHandle dbf = DBFCreate(basis.c_str());
    DBFAddField(dbf, "ID", FTInteger, 6, 0);
    for (int satz = 0; satz < 300; ++satz) {
        std::vector<double> x, y, z;
        std::vector<int> starts;
        const int teile = 1 + static_cast<int>(zufall() % 6);
        for (int t = 0; t < teile; ++t) {
            starts.push_back(static_cast<int>(x.size()));
            const double mx = 500000 + 50 * satz + 20 * w(zufall), my = 5600000 + 20 * w(zufall);
            const double r = std::pow(10, 3 * w(zufall) - 1); // 0.1 m .. 100 m
            const int n = 3 + static_cast<int>(zufall() % (satz % 60 == 0 ? 600 : 20));
            for (int k = 0; k < n; ++k) {
                const double a = -2 * M_PI * k / n, l = r * (0.5 + w(zufall));
                x.push_back(mx + l * std::cos(a));
                y.push_back(my + l * std::sin(a));
                z.push_back(k);
            }
            x.push_back(x[static_cast<std::size_t>(starts.back())]);
            y.push_back(y[static_cast<std::size_t>(starts.back())]);
            z.push_back(0);
        }
        SHPObject* o =
            SHPCreateObject(typ, -1, teile, starts.data(), nullptr, static_cast<int>(x.size()),
                            x.data(), y.data(), z.data(), nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
        DBFWriteIntegerAttribute(dbf, satz, 0, satz);
    }
    SHPClose(shp);
    DBFClose(dbf);
}

std::vector<std::string> alleSaetze() {
    std::vector<std::string> namen = {"erzeugt/polygone", "erzeugt/linien_z"};
    for (const char* art : {"faulty", "real"})
        for (const auto& e : fs::directory_iterator(fs::path(TRELVIK_TESTDATEN) / art))
            if (e.is_directory())
                namen.push_back(std::string(art) + "/" + e.path().filename().string());
    return namen;
}

class Jobs : public ::testing::TestWithParam<std::string> {
protected:
    trelvik::test::TestOrdner tmp;
    std::string ordner = tmp.pfad();
    trelvik::test::Lauf trelvik(const std::string& umgebung, const std::string& argumente) {
        return trelvik::test::starte("cd '" + ordner + "' && " + umgebung + "tmp='" + ordner +
                                         "' '" + trelvik::test::cliPfad() + "' " + argumente +
                                         " --attributes '" + ordner + "Attribute.txt'",
                                     false);
    }
};

TEST_P(Jobs, EinThreadUndMehrereSchreibenDasGleiche) {
    const std::string art = GetParam().substr(0, GetParam().find('/'));
    const std::string name = GetParam().substr(art.size() + 1);
    std::string shp;
    if (art == "erzeugt") {
        shp = ordner + name + ".shp";
        erzeuge(ordner + name, name == "polygone" ? SHPT_POLYGON : SHPT_ARCZ, 17);
    } else {
        shp = tmp.kopiereSatz(art, name);
    }
    std::vector<std::string> berichte, befunde;
    std::vector<int> status;
    std::vector<std::map<std::string, std::string>> bereinigt;
    // One thread on the indexed paths (forced even for the smallest parts), three threads on
    // the paths the sizes choose, one thread on the all-pairs reference.
    const std::pair<const char*, const char*> laeufe[] = {{"1", "0"}, {"3", ""}, {"1", "1"}};
    for (const auto& [jobs, brute] : laeufe) {
        const std::string art = std::string(jobs) + brute;
        const std::string vorweg = std::string("TRELVIK_BRUTE='") + brute + "' ";
        const std::string befundDatei = ordner + "befunde" + art + ".csv";
        const auto pruefung = trelvik(vorweg, "check '" + shp + "' --jobs " + jobs +
                                                  " --findings '" + befundDatei + "'");
        berichte.push_back(pruefung.ausgabe);
        status.push_back(pruefung.status);
        befunde.push_back(lies(befundDatei));
        const std::string ziel = ordner + "ziel" + art + "/";
        fs::create_directories(ziel);
        const auto reinigung =
            trelvik(vorweg, "clean '" + shp + "' '" + ziel + "neu.shp' --jobs " + jobs +
                                " --simplify --remove-points --remove-small-areas --adapt-rings");
        status.push_back(reinigung.status);
        berichte.push_back(reinigung.ausgabe);
        bereinigt.push_back(inhalte(ziel));
    }
    EXPECT_FALSE(berichte[0].empty());
    for (std::size_t lauf = 1; lauf < std::size(laeufe); ++lauf) {
        SCOPED_TRACE(std::string("jobs ") + laeufe[lauf].first +
                     " TRELVIK_BRUTE=" + laeufe[lauf].second);
        EXPECT_EQ(berichte[2 * lauf], berichte[0]);
        EXPECT_EQ(berichte[2 * lauf + 1], berichte[1]);
        EXPECT_EQ(status[2 * lauf], status[0]);
        EXPECT_EQ(status[2 * lauf + 1], status[1]);
        EXPECT_EQ(befunde[lauf], befunde[0]);
        EXPECT_EQ(bereinigt[lauf], bereinigt[0]);
    }
    if (art == "erzeugt") {
        // Both runs did the whole work: findings of every kind and a written copy.
        EXPECT_EQ(status[0], 1);
        EXPECT_EQ(status[1], 0);
        EXPECT_GT(bereinigt[0]["neu.shp"].size(), 20000u);
    }
}

INSTANTIATE_TEST_SUITE_P(Saetze, Jobs, ::testing::ValuesIn(alleSaetze()), [](const auto& info) {
    std::string n = info.param;
    for (char& c : n)
        if (c == '/')
            c = '_';
    return n;
});

TEST(JobsOption, UngueltigeZahlenLaufenNicht) {
    const std::string shp = std::string(TRELVIK_TESTDATEN) + "/faulty/sliver/sliver.shp";
    const trelvik::test::TestOrdner tmp;
    for (const std::string wert : {"0", "-2", "x", "2.5", "257", "3x", ""}) {
        for (const std::string befehl :
             {"check '" + shp + "'", "clean '" + shp + "' '" + tmp.pfad() + "neu.shp'"}) {
            const auto l = trelvik::test::starte(
                "'" + trelvik::test::cliPfad() + "' " + befehl + " --jobs '" + wert + "'", true);
            EXPECT_EQ(l.status, 2) << befehl << " --jobs " << wert;
            EXPECT_NE(l.ausgabe.find("--jobs"), std::string::npos) << l.ausgabe;
        }
    }
    EXPECT_TRUE(tmp.eintraege().empty());
}

} // namespace
