#include "check/projektion.h"
#include "pruef_hilfe.h"

using namespace trelvik;

TEST(ProjektionEinruecken, LaengstesSchluesselwortBestimmtDenEinzug) {
    const std::string text = einrueckenProjektion(
        R"(PROJCS["A",GEOGCS["B",DATUM["C",SPHEROID["S",1,2]]],UNIT["M",1]])");
    EXPECT_EQ(text, "PROJCS[\"A\",\r\n"
                    "      GEOGCS[\"B\",\r\n"
                    "      DATUM[\"C\",\r\n"
                    "      SPHEROID[\"S\",1,2]]],\r\n"
                    "      UNIT[\"M\",1]]");
}

TEST(ProjektionEinruecken, TieferesLaengeresSchluesselwortRueckt) {
    const std::string text = einrueckenProjektion(R"(GEOGCS["B",SPHEROIDXX["S",X[1]],Y[2]])");
    EXPECT_EQ(text, "GEOGCS[\"B\",\r\n"
                    "      SPHEROIDXX[\"S\",\r\n"
                    "          X[1]],\r\n"
                    "      Y[2]]");
}

TEST(ProjektionEinruecken, KommaImNamenTrenntDieZeile) {
    EXPECT_EQ(einrueckenProjektion(R"(A["x,y",B[1]])"), "A[\"x,\r\n y\",B[1]]");
}

TEST(ProjektionEinruecken, UnausgeglicheneKlammern) {
    EXPECT_EQ(einrueckenProjektion("]]A[1]"), "]]A[1]");
    // Without commas nothing breaks, but every keyword is still indented.
    EXPECT_EQ(einrueckenProjektion("A[B[C["), "A[ B[ C[");
    EXPECT_EQ(einrueckenProjektion("ohne Klammern"), "");
    // Deeper than the first table size.
    std::string tief(250, '[');
    EXPECT_EQ(einrueckenProjektion(tief), tief);
}

using Projektion = TempOrdnerTest;

TEST_F(Projektion, DateiFehltOderIstLeer) {
    EXPECT_EQ(leseProjektion(ordner + "a.shp"), "nicht vorhanden");
    schreibe("b.prj", "\r\nPROJCS[\"X\"]");
    EXPECT_EQ(leseProjektion(ordner + "b.shp"), "");
}

TEST_F(Projektion, NurDieErsteZeileInJederSchreibweise) {
    schreibe("c.PRJ", "GEOGCS[\"W\",DATUM[\"D\"]]\r\nZWEITE[1]\r\n");
    EXPECT_EQ(leseProjektion(ordner + "c.shp"), "GEOGCS[\"W\",\r\n      DATUM[\"D\"]]");
    schreibe("d.Prj", "X[1]");
    EXPECT_EQ(leseProjektion(ordner + "d.shp"), "X[1]");
}

TEST(ProjektionEinruecken, EinMegabyteKlammernBleibtBegrenzt) {
    const std::string klammern(1 << 20, '[');
    EXPECT_EQ(einrueckenProjektion(klammern), klammern);
    const std::string feindlich = std::string(1000, 'K') + std::string(1 << 20, '[');
    const std::string text = einrueckenProjektion(feindlich);
    EXPECT_LE(text.size(), (8u << 20) + 2000);
    EXPECT_EQ(text.substr(0, 1001), std::string(1000, 'K') + "[");
}
