// trelvik-cli on every malformed file set of the corpus: check, dump, clean and render end with a
// status (0 or 1 with a report, 2 with a reason), never with a signal; clean leaves the
// source as it was and writes nothing beside the target's own names.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

const std::string cli = std::string(TRELVIK_BIN) + "/trelvik-cli";
const fs::path korpus = fs::path(TRELVIK_TESTDATEN).parent_path() / "corpus" / "saetze";

std::map<std::string, std::string> inhalte(const fs::path& ordner) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(ordner)) {
        std::ifstream d(e.path(), std::ios::binary);
        m[e.path().filename().string()] = std::string(std::istreambuf_iterator<char>(d), {});
    }
    return m;
}

// The raw wait status of a command whose output is thrown away.
int roherStatus(const std::string& befehl) {
    return std::system((befehl + " >/dev/null 2>&1").c_str());
}

class KorpusCli : public ::testing::Test {
protected:
    void SetUp() override {
        std::string muster = (fs::temp_directory_path() / "trelvik-robust-XXXXXX").string();
        ASSERT_NE(::mkdtemp(muster.data()), nullptr);
        ordner = muster + "/";
    }
    void TearDown() override { fs::remove_all(ordner); }
    std::string ordner;
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
