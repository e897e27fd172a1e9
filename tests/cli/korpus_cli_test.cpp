// trelvik-cli on every malformed file set of the corpus: check, dump, clean and render end with a
// status (0 or 1 with a report, 2 with a reason), never with a signal; clean leaves the
// source as it was and writes nothing beside the target's own names.
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

using trelvik::test::inhalte;
using trelvik::test::roherStatus;

const std::string& cli = trelvik::test::cliPfad();
const fs::path korpus = fs::path(TRELVIK_TESTDATEN).parent_path() / "corpus" / "saetze";

class KorpusCli : public ::testing::Test {
protected:
    trelvik::test::TestOrdner tmp;
    std::string ordner = tmp.pfad();
};

TEST_F(KorpusCli, EveryMalformedSetEndsWithAStatus) {
    std::size_t saetze = 0;
    for (const auto& e : fs::directory_iterator(korpus)) {
        const std::string name = e.path().filename().string();
        SCOPED_TRACE(name);
        ++saetze;
        fs::copy(e.path(), ordner + name);
        const std::string shp = ordner + name + "/" + name + ".shp";
        const auto vorher = inhalte(ordner + name);
        const std::string umgebung = "cd '" + ordner + "' && tmp='" + ordner + "' ";
        const std::string liste = " --attributes '" + ordner + "Attribute.txt'";
        for (const std::string& befehl :
             {"check '" + shp + "'" + liste, "dump '" + shp + "'",
              "clean '" + shp + "' '" + ordner + "ziel/neu.shp' --simplify --remove-points "
              "--remove-small-areas --adapt-rings" + liste,
              "render '" + shp + "' '" + ordner + "ziel/neu.png' --label-field 2"}) {
            fs::create_directories(ordner + "ziel");
            const int roh = roherStatus(umgebung + "'" + cli + "' " + befehl);
            ASSERT_TRUE(WIFEXITED(roh)) << befehl << " ended with a signal";
            EXPECT_LE(WEXITSTATUS(roh), 2) << befehl;
        }
        EXPECT_EQ(inhalte(ordner + name), vorher) << "the source changed";
        for (const auto& z : fs::directory_iterator(ordner + "ziel")) {
            const std::string n = z.path().filename().string();
            EXPECT_EQ(n.rfind("neu.", 0), 0u) << "clean wrote " << n;
        }
        fs::remove_all(ordner + "ziel");
        // Nothing of the working copies stays behind.
        for (const auto& t : fs::directory_iterator(ordner))
            EXPECT_TRUE(t.is_directory() || t.path().filename() == "Attribute.txt")
                << t.path();
    }
    EXPECT_GE(saetze, 20u);
}

} // namespace
