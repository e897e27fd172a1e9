#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace testhilfe;
namespace geo = trelvik::geo;

TEST(Bytebild, DoubleEinsIstLittleEndian) {
    std::array<unsigned char, 8> ziel{};
    void* zurueck = geo::erzeugeDoubleAusWert(ziel.data(), 1.0);
    EXPECT_EQ(zurueck, ziel.data());
    EXPECT_EQ(ziel, (std::array<unsigned char, 8>{0, 0, 0, 0, 0, 0, 0xF0, 0x3F}));
}

TEST(Bytebild, SingleSchreibtGenauVierBytes) {
    std::array<unsigned char, 6> ziel{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA};
    EXPECT_EQ(geo::erzeugeSingleAusWert(ziel.data() + 1, -2.5f), ziel.data() + 1);
    EXPECT_EQ(ziel, (std::array<unsigned char, 6>{0xAA, 0, 0, 0x20, 0xC0, 0xAA}));
}

namespace {

// Window 0..100 x 0..100 (y up), shifted by (1000, 2000), on 200 x 100 pixels.
const Ansicht ansicht{0, 100, 100, -100, 1000, 2000};
const Zielrechteck ziel{0, 0, 200, 100};

struct Bild {
    int32_t sichtbar;
    std::vector<PunktF> punkte;
    double mx, my;
};

Bild wandle(const std::vector<Punkt>& p, int32_t modus, const Ansicht& v = ansicht) {
    Bild b{7, std::vector<PunktF>(p.size(), PunktF{-1, -1}), -9, -9};
    const int32_t letzter = testhilfe::letzter(p);
    b.sichtbar = geo::WandelPunktInFloatVunTool(p.data(), b.punkte.data(), &letzter, &v, &ziel,
                                                &b.mx, &b.my, modus);
    return b;
}

} // namespace

TEST(Bildpunkte, SichtbarePunkteUndMittelDerVerschobenenPunkte) {
    const auto b = wandle({{1050, 2050}, {1000, 2100}, {1100, 2000}}, 0);
    EXPECT_EQ(b.sichtbar, -1);
    EXPECT_EQ(b.punkte[0].x, 100.f);
    EXPECT_EQ(b.punkte[0].y, 50.f);
    EXPECT_EQ(b.punkte[1].x, 0.f);
    EXPECT_EQ(b.punkte[1].y, 0.f);
    EXPECT_EQ(b.punkte[2].x, 200.f);
    EXPECT_EQ(b.punkte[2].y, 100.f);
    EXPECT_DOUBLE_EQ(b.mx, 50.0);
    EXPECT_DOUBLE_EQ(b.my, 50.0);
}

TEST(Bildpunkte, GanzAusserhalbWirdBegrenztUndIstUnsichtbar) {
    const auto b = wandle({{5000, 2050}, {5100, -9000}}, 1);
    EXPECT_EQ(b.sichtbar, 0);
    EXPECT_EQ(b.punkte[0].x, 400.f); // clamped to twice the width
    EXPECT_EQ(b.punkte[0].y, 50.f);
    EXPECT_EQ(b.punkte[1].y, 200.f); // clamped to twice the height
}

TEST(Bildpunkte, SchwerpunktNurImModusEinsUndUnverschoben) {
    const std::vector<Punkt> ring{
        {1010, 2010}, {1030, 2010}, {1030, 2030}, {1010, 2030}, {1010, 2010}};
    const auto flaeche = wandle(ring, 1);
    EXPECT_DOUBLE_EQ(flaeche.mx, 1020.0);
    EXPECT_DOUBLE_EQ(flaeche.my, 2020.0);
    const auto mittel = wandle(ring, 0);
    EXPECT_DOUBLE_EQ(mittel.mx, 18.0);
    EXPECT_DOUBLE_EQ(mittel.my, 18.0);
}

TEST(Bildpunkte, RingOhneFlaecheBehaeltDasMittel) {
    const auto b = wandle({{1010, 2010}, {1030, 2030}, {1010, 2010}}, 1);
    EXPECT_EQ(b.sichtbar, -1);
    EXPECT_DOUBLE_EQ(b.mx, 50.0 / 3);
    EXPECT_DOUBLE_EQ(b.my, 50.0 / 3);
}

TEST(Bildpunkte, UnsichtbarerRingBehaeltDasMittelAuchImModusEins) {
    const auto b = wandle({{5010, 2010}, {5030, 2010}, {5030, 2030}, {5010, 2010}}, 1);
    EXPECT_EQ(b.sichtbar, 0);
    EXPECT_NEAR(b.mx, 4020.0, 1e-9);
}

TEST(Bildpunkte, NaNGrosseUndNegativeAnzahl) {
    const auto b =
        wandle({{keineZahl, keineZahl}, {1e15, -1e15}, {1050, 2050}, {unendlich, -unendlich}}, 1);
    EXPECT_TRUE(std::isnan(b.punkte[0].x));
    EXPECT_EQ(b.punkte[1].x, 400.f);
    EXPECT_EQ(b.punkte[1].y, 200.f);
    EXPECT_EQ(b.punkte[3].x, 400.f);
    EXPECT_EQ(b.sichtbar, -1);
    // Only NaN points: nothing has an extent, nothing is visible.
    EXPECT_EQ(wandle({{keineZahl, keineZahl}}, 0).sichtbar, 0);
    // A window of zero size divides 0 by 0: NaN on screen, still no undefined conversion.
    const auto leer = wandle({{1050, 2050}, {1000, 2000}}, 0, Ansicht{0, 0, 0, 0, 1000, 2000});
    EXPECT_TRUE(std::isnan(leer.punkte[0].x));
    EXPECT_EQ(leer.sichtbar, -1);

    const std::vector<Punkt> p{{1, 1}};
    PunktF f{-1, -1};
    double mx = 5;
    double my = 5;
    const int32_t negativ = -1;
    EXPECT_EQ(geo::WandelPunktInFloatVunTool(p.data(), &f, &negativ, &ansicht, &ziel, &mx, &my, 1),
              0);
    EXPECT_EQ(mx, 0.0);
    EXPECT_EQ(my, 0.0);
    EXPECT_EQ(f.x, -1.f);
}
