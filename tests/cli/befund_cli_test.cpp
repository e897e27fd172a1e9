// trelvik-cli check with the findings file, the summary table and the unit warning.
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
    std::string aus; // stdout
    std::string err; // stderr
};

std::string lies(const fs::path& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(datei), {});
}

const std::string cli = std::string(TRELVIK_BIN) + "/trelvik-cli";

class CliBefunde : public ::testing::Test {
protected:
    void SetUp() override {
        std::string muster = (fs::temp_directory_path() / "trelvik-befund-XXXXXX").string();
        ASSERT_NE(::mkdtemp(muster.data()), nullptr);
        ordner = muster;
        std::ofstream(ordner / "Attribute.txt") << "";
    }
    void TearDown() override { fs::remove_all(ordner); }

    // A copy of a set with known faults in the test's folder; returns its .shp path.
    fs::path kopie(const std::string& set) {
        const fs::path quelle = fs::path(TRELVIK_TESTDATEN) / "faulty" / set;
        for (const auto& d : fs::directory_iterator(quelle))
            fs::copy_file(d.path(), ordner / d.path().filename(),
                          fs::copy_options::overwrite_existing);
        return ordner / (set + ".shp");
    }
    Lauf check(const std::string& argumente) {
        Lauf l;
        const fs::path err = ordner / "stderr.txt";
        const std::string befehl = "cd '" + ordner.string() + "' && '" + cli +
                                   "' check --attributes Attribute.txt " + argumente + " 2>'" +
                                   err.string() + "'";
        FILE* rohr = ::popen(befehl.c_str(), "r");
        if (rohr == nullptr)
            return l;
        std::array<char, 4096> puffer{};
        std::size_t n = 0;
        while ((n = std::fread(puffer.data(), 1, puffer.size(), rohr)) > 0)
            l.aus.append(puffer.data(), n);
        const int roh = ::pclose(rohr);
        l.status = WIFEXITED(roh) ? WEXITSTATUS(roh) : -1;
        l.err = lies(err);
        return l;
    }
    fs::path ordner;
};

} // namespace

TEST_F(CliBefunde, EinheitswarnungNurFuerGradUndFuss) {
    const fs::path shp = kopie("figure_eight");
    const fs::path prj = fs::path(shp).replace_extension(".prj");
    const Lauf meter = check(shp.filename().string());
    EXPECT_EQ(meter.status, 1);
    EXPECT_EQ(meter.err.find("warning"), std::string::npos) << meter.err;

    std::ofstream(prj, std::ios::trunc)
        << R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],UNIT["Degree",0.0174532925199433]])";
    const Lauf grad = check(shp.filename().string());
    EXPECT_NE(grad.err.find("warning"), std::string::npos);
    EXPECT_NE(grad.err.find("\"Degree\""), std::string::npos) << grad.err;
    // The report is the same whatever the unit.
    EXPECT_EQ(grad.status, meter.status);

    std::ofstream(prj, std::ios::trunc)
        << R"(PROJCS["x",GEOGCS["y",UNIT["Degree",0.0174532925199433]],UNIT["Foot_US",0.3048006096012192]])";
    const Lauf fuss = check(shp.filename().string());
    EXPECT_NE(fuss.err.find("\"Foot_US\""), std::string::npos) << fuss.err;

    fs::remove(prj);
    const Lauf ohne = check(shp.filename().string());
    EXPECT_EQ(ohne.err.find("warning"), std::string::npos) << ohne.err;
}
