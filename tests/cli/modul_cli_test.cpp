// trelvik-cli starts without the GUI libraries, which only render loads, as a module of its own:
// without that module the other commands work and render fails with its reason. (With it,
// render draws: the render tests here, and the package test from the installed layout.)
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

using trelvik::test::starte;

TEST(CliModul, PruefenOhneQtZeichnenNurMitModul) {
    const std::string& cli = trelvik::test::cliPfad();
    const trelvik::test::Lauf bedarf = starte("readelf -d '" + cli + "' | grep NEEDED", false);
    ASSERT_EQ(bedarf.status, 0);
    EXPECT_NE(bedarf.ausgabe.find("libc.so"), std::string::npos) << bedarf.ausgabe;
    EXPECT_EQ(bedarf.ausgabe.find("Qt"), std::string::npos) << bedarf.ausgabe;

    // The program beside its library, without the module.
    const trelvik::test::TestOrdner ordner;
    const fs::path bin = fs::path(cli).parent_path();
    fs::copy_file(cli, ordner / "trelvik-cli");
    fs::copy_file(bin / "libtrelvik.so.1", ordner / "libtrelvik.so.1");
    const std::string shp = ordner.kopiereEcht("lux");
    const std::string ohne = "'" + (ordner / "trelvik-cli") + "' ";
    EXPECT_LE(starte(ohne + "check '" + shp + "'", false).status, 1);
    const auto zeichnen = starte(ohne + "render '" + shp + "' '" + (ordner / "b.png") + "'", true);
    EXPECT_EQ(zeichnen.status, 2);
    EXPECT_NE(zeichnen.ausgabe.find("libtrelvik-render.so"), std::string::npos) << zeichnen.ausgabe;
    EXPECT_FALSE(fs::exists(ordner / "b.png"));
}

} // namespace
