// Drawing shapes on surfaces: pixels of rendered images, and the calls a surface receives.
#include "hilfe/ordner.h"
#include "hilfe/qt/qt_hilfe.h"
#include "shape/vun_interface.h"
#include "view/qt/qt_flaeche.h"
#include "view/zeichnen.h"
#include "view/zeichnen_shapes.h"

#include <QGuiApplication>
#include <QImage>
#include <QPrinter>
#include <QProcess>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace trelvik {
namespace {

namespace fs = std::filesystem;

using test::anwendung;

using Ring = std::vector<std::vector<double>>;

constexpr std::int32_t schwarz = farbe(0, 0, 0);
constexpr std::int32_t rot = farbe(255, 0, 0);
constexpr std::int32_t blau = farbe(0, 0, 255);

class Zeichnen : public ::testing::Test {
protected:
    void SetUp() override { anwendung(); }

    // A file set of type `typ` with one record per entry: its parts (rings, lines or one point
    // each) and the attribute values NAME and NUMMER.
    std::string datei(std::int32_t typ, const std::vector<std::vector<Ring>>& saetze,
                      const std::vector<std::vector<std::string>>& werte) {
        const std::string shp = (fs::path(ordner) / "probe.shp").string();
        VunInterface v;
        EXPECT_TRUE(
            v.Shape_New(shp, typ, {{"NAME", "10", "20"}, {"NUMMER", "4", "6"}}, false, false))
            << v.letzterFehler();
        for (std::size_t s = 0; s < saetze.size(); ++s) {
            std::vector<std::int32_t> starts;
            std::vector<std::vector<double>> alle;
            for (const Ring& teil : saetze[s]) {
                starts.push_back(static_cast<std::int32_t>(alle.size()));
                alle.insert(alle.end(), teil.begin(), teil.end());
            }
            Punktfeld p;
            p.groesseAendern(alle.size(), 2);
            for (std::size_t i = 0; i < alle.size(); ++i) {
                p(i, 0) = alle[i][0];
                p(i, 1) = alle[i][1];
            }
            std::vector<std::string> w = werte[s];
            const bool ok =
                typ == shapetyp::point ? v.Shape_Append(p, w) : v.Shape_AppendRing(p, w, starts);
            EXPECT_TRUE(ok) << v.letzterFehler();
        }
        EXPECT_TRUE(v.Shape_Close()) << v.letzterFehler();
        return shp;
    }

    // Renders the file on a white image of `b` x `h` pixels with the extent in view.
    QImage male(const std::string& shp, std::int32_t feld, bool umriss, int b = 200, int h = 200,
                int drawWidth = 1) {
        VunInterface v;
        EXPECT_TRUE(v.Shape_Open(shp)) << v.letzterFehler();
        BildFlaeche f(b, h);
        f.DrawWidth = drawWidth;
        f.ForeColor = schwarz;
        f.FillColor = rot;
        const Punkt s = blickAufAusdehnung(f, v.xminimal, v.yminimal, v.xmaximal, v.ymaximal);
        EXPECT_TRUE(Shape_DrawAll(v, f, feld, umriss ? 1 : 0, s.x, s.y, blau, 255));
        return f.bild().convertToFormat(QImage::Format_RGB32);
    }

    test::TestOrdner tmp;
    // Without the closing "/": the tests add their own.
    std::string ordner = tmp.pfad().substr(0, tmp.pfad().size() - 1);
};

// The pixel at a world position of the square [0, 100]² drawn on a 200 x 200 image with the
// 2 % margin of the view.
QRgb bei(const QImage& bild, double x, double y) {
    const double mass = 100 * 1.04 / 200;
    const int px = static_cast<int>((x - 50) / mass + 100);
    const int py = static_cast<int>((50 - y) / mass + 100);
    return bild.pixel(px, py) & 0xffffff;
}

const Ring quadrat = {{0, 0}, {0, 100}, {100, 100}, {100, 0}, {0, 0}};
const Ring loch = {{40, 40}, {60, 40}, {60, 60}, {40, 60}, {40, 40}};

TEST_F(Zeichnen, PolygonMitLochBleibtImLochOffen) {
    const QImage bild = male(datei(shapetyp::polyGon, {{quadrat, loch}}, {{"A", "1"}}), 0, false);
    EXPECT_EQ(bei(bild, 20, 20), 0xff0000u); // filled
    EXPECT_EQ(bei(bild, 80, 70), 0xff0000u);
    EXPECT_EQ(bei(bild, 50, 50), 0xffffffu);           // the hole
    EXPECT_EQ(bei(bild, 0, 50), 0x000000u);            // the outline on top of the fill
    EXPECT_EQ(bei(bild, 40, 50), 0x000000u);           // the hole's outline
    EXPECT_EQ(bild.pixel(2, 2) & 0xffffff, 0xffffffu); // outside
}

TEST_F(Zeichnen, NurUmrissLaesstDasInnereLeer) {
    const QImage bild = male(datei(shapetyp::polyGon, {{quadrat}}, {{"A", "1"}}), 0, true);
    EXPECT_EQ(bei(bild, 20, 20), 0xffffffu);
    EXPECT_EQ(bei(bild, 50, 50), 0xffffffu);
    EXPECT_EQ(bei(bild, 0, 50), 0x000000u);
    EXPECT_EQ(bei(bild, 100, 50), 0x000000u);
}

TEST_F(Zeichnen, LinienWerdenNieGefuellt) {
    const Ring haken = {{0, 0}, {100, 0}, {100, 100}};
    const QImage bild =
        male(datei(shapetyp::polyLine, {{haken, {{0, 100}, {50, 100}}}}, {{"A", "1"}}), 0, false);
    EXPECT_EQ(bei(bild, 50, 0), 0x000000u);
    EXPECT_EQ(bei(bild, 100, 50), 0x000000u);
    EXPECT_EQ(bei(bild, 25, 100), 0x000000u); // the second part
    EXPECT_EQ(bei(bild, 75, 100), 0xffffffu); // parts are not joined
    EXPECT_EQ(bei(bild, 70, 30), 0xffffffu);  // the open figure is not filled
}

// Colours of the pixels in a box around the centre of the square.
struct Farben {
    int weiss = 0, blau = 0, rot = 0, andere = 0;
};
Farben farbenUmDieMitte(const QImage& bild, int halb) {
    Farben f;
    for (int y = 100 - halb; y <= 100 + halb; ++y)
        for (int x = 100 - 3 * halb; x <= 100 + 3 * halb; ++x) {
            const QRgb p = bild.pixel(x, y) & 0xffffff;
            p == 0xffffff   ? ++f.weiss
            : p == 0x0000ff ? ++f.blau
            : p == 0xff0000 ? ++f.rot
                            : ++f.andere;
        }
    return f;
}

TEST_F(Zeichnen, BeschriftungStehtImWeissenKastenUndFeldJenseitsZeigtDasLetzte) {
    const std::string shp = datei(shapetyp::polyGon, {{quadrat}}, {{"WWWW", "8888"}});
    const QImage ohne = male(shp, 0, false);
    const QImage erstes = male(shp, 1, false);
    const QImage letztes = male(shp, 2, false);
    const QImage jenseits = male(shp, 9, false);

    // Without a label the centre is filled; with one it is a white box with blue text and frame.
    EXPECT_EQ(farbenUmDieMitte(ohne, 3).rot, 7 * 19);
    const Farben f = farbenUmDieMitte(erstes, 3);
    EXPECT_EQ(f.rot, 0);
    EXPECT_GT(f.weiss, 10);
    EXPECT_GT(f.blau + f.andere, 10);          // the text, partly smoothed
    EXPECT_EQ(bei(erstes, 20, 20), 0xff0000u); // away from the box the fill stays
    EXPECT_NE(erstes, letztes);                // another text
    EXPECT_EQ(jenseits, letztes);
}

TEST_F(Zeichnen, PunkteAlsKreiseDieFuellungKommtNachDemUmriss) {
    const std::string shp = datei(shapetyp::point, {{{{0, 0}}}, {{{100, 100}}}, {{{50, 50}}}},
                                  {{"Waaa", "1"}, {"Wbbb", "2"}, {"WWWW", "3"}});
    const QImage voll = male(shp, 0, false, 200, 200, 9);
    const QImage umriss = male(shp, 0, true, 200, 200, 9);
    // The pen is as wide as the circle: the fill shows only because it is painted last.
    EXPECT_EQ(bei(voll, 50, 50), 0xff0000u);
    EXPECT_EQ(bei(umriss, 50, 50), 0x000000u);
    EXPECT_EQ(bei(voll, 0, 0), 0xff0000u);
    EXPECT_EQ(bei(voll, 100, 100), 0xff0000u);
    EXPECT_EQ(bei(voll, 50, 62), 0xffffffu);

    // Each point gets its label box, centred on it and over its circle.
    const QImage beschriftet = male(shp, 1, false, 200, 200, 1);
    const Farben f = farbenUmDieMitte(beschriftet, 3);
    EXPECT_EQ(f.rot, 0);
    EXPECT_GT(f.weiss, 10);
    EXPECT_GT(f.blau + f.andere, 10);
}

// A surface that only records what it is asked to draw.
class Protokoll : public Zeichenflaeche {
public:
    int pixelBreite() const override { return 100; }
    int pixelHoehe() const override { return 100; }
    double TextWidth(const std::string&) const override { return 1; }
    double TextHeight(const std::string&) const override { return 1; }
    void Line(double x1, double y1, double x2, double y2, std::int32_t,
              const std::string& stil) override {
        linien.push_back({x1, y1, x2, y2});
        stile.push_back(stil);
    }
    void malePfad(const std::vector<Figur>& figuren, bool, std::optional<std::uint32_t>,
                  std::uint32_t, int) override {
        pfade.push_back(figuren);
    }
    void maleKreis(double, double, double, std::uint32_t, int,
                   std::optional<std::uint32_t>) override {}
    void maleBeschriftung(int, int, int, int, const std::string& text) override {
        texte.push_back(text);
    }
    std::vector<std::array<double, 4>> linien;
    std::vector<std::string> stile;
    std::vector<std::vector<Figur>> pfade;
    std::vector<std::string> texte;
};

// World x 0..100, y 0..100 with north up.
void sicht(Zeichenflaeche& f) {
    f.ScaleLeft = 0;
    f.ScaleWidth = 100;
    f.ScaleTop = 100;
    f.ScaleHeight = -100;
}

TEST_F(Zeichnen, SaetzeAusserhalbDerSichtWerdenUebersprungen) {
    const Ring fern = {{500, 500}, {500, 600}, {600, 600}, {600, 500}, {500, 500}};
    const std::string shp = datei(shapetyp::polyGon, {{fern}, {quadrat}, {fern}},
                                  {{"fern", "1"}, {"nah", "2"}, {"fern", "3"}});
    VunInterface v;
    ASSERT_TRUE(v.Shape_Open(shp));
    Protokoll p;
    sicht(p);
    ASSERT_TRUE(Shape_DrawAll(v, p, 1, 0, 0, 0, blau, 255));
    ASSERT_EQ(p.pfade.size(), 1u);
    ASSERT_EQ(p.pfade[0].size(), 1u);
    EXPECT_EQ(p.pfade[0][0].size(), 5u);
    EXPECT_EQ(p.texte, std::vector<std::string>{"nah"});
    // The square's corners in pixels: world y up, pixel y down.
    EXPECT_FLOAT_EQ(p.pfade[0][0][1].x, 0);
    EXPECT_FLOAT_EQ(p.pfade[0][0][1].y, 0);
    EXPECT_FLOAT_EQ(p.pfade[0][0][3].x, 100);
    EXPECT_FLOAT_EQ(p.pfade[0][0][3].y, 100);

    VunInterface zu;
    EXPECT_FALSE(Shape_DrawAll(zu, p, 0, 0, 0, 0, 0, 255)); // nothing open
}

TEST(Sichtbarkeit, RandGehoertDazu) {
    Protokoll p;
    sicht(p);
    EXPECT_TRUE(VunPunktInScreenDouble(p, 0, 0));
    EXPECT_TRUE(VunPunktInScreenDouble(p, 100, 100));
    EXPECT_TRUE(VunPunktInScreenDouble(p, 100, 0));
    EXPECT_FALSE(VunPunktInScreenDouble(p, 100.000001, 50));
    EXPECT_FALSE(VunPunktInScreenDouble(p, 50, -0.000001));
}

TEST(BildLinie, AusserhalbNichtsQuerDurchDasBeschnitteneStueck) {
    Protokoll p;
    sicht(p);
    // The enlarged window: x from -101 to 201, y from -101 to 201.
    std::string stil = "";
    VunBildLine(p, -300, 50, -102, 60, rot, stil);
    VunBildLine(p, 50, 400, 60, 202, rot, stil);
    EXPECT_TRUE(p.linien.empty());

    VunBildLine(p, 301, 50, -301, 50, rot, stil);
    ASSERT_EQ(p.linien.size(), 1u);
    EXPECT_DOUBLE_EQ(p.linien[0][0], -101);
    EXPECT_DOUBLE_EQ(p.linien[0][2], 201);
    EXPECT_DOUBLE_EQ(p.linien[0][1], 50);

    // A diagonal through the window ends on the enlarged frame, y interpolated.
    VunBildLine(p, -301, -301, 301, 301, rot, stil);
    ASSERT_EQ(p.linien.size(), 2u);
    EXPECT_DOUBLE_EQ(p.linien[1][0], -101);
    EXPECT_DOUBLE_EQ(p.linien[1][1], -101);
    EXPECT_DOUBLE_EQ(p.linien[1][2], 201);
    EXPECT_DOUBLE_EQ(p.linien[1][3], 201);

    // Boxes: any case, handed on and returned in capitals; x clamped, y kept within the frame.
    std::string kasten = "bf";
    VunBildLine(p, -500, 10, 20, 30, blau, kasten);
    EXPECT_EQ(kasten, "BF");
    ASSERT_EQ(p.linien.size(), 3u);
    EXPECT_EQ(p.stile[2], "BF");
    EXPECT_DOUBLE_EQ(p.linien[2][0], -101);
    EXPECT_DOUBLE_EQ(p.linien[2][1], 10);
    EXPECT_DOUBLE_EQ(p.linien[2][2], 20);
    EXPECT_DOUBLE_EQ(p.linien[2][3], 30);
}

TEST(Farben, AnteileBegrenztSystemfarbenSchwarz) {
    EXPECT_EQ(argbFarbe(300, -5, 128, 255), 0xff0080ffu);
    EXPECT_EQ(argbFarbe(128, farbe(1, 2, 3)), 0x80010203u);
    EXPECT_EQ(argbFarbe(255, -2147483000), 0xff000000u); // a system colour
    EXPECT_EQ(alsFlaechenFarbe(QColor(10, 20, 30)), farbe(10, 20, 30));
}

TEST_F(Zeichnen, DruckerflaecheMaltAufDieSeite) {
    const std::string shp = datei(shapetyp::polyGon, {{quadrat, loch}}, {{"A", "1"}});
    const std::string pdf = (fs::path(ordner) / "seite.pdf").string();
    {
        QPrinter drucker(QPrinter::HighResolution);
        drucker.setOutputFormat(QPrinter::PdfFormat);
        drucker.setOutputFileName(QString::fromStdString(pdf));
        DruckerFlaeche f(drucker);
        ASSERT_TRUE(f.aktiv());
        EXPECT_DOUBLE_EQ(f.fakPixelX, drucker.logicalDpiX() / 96.0);
        VunInterface v;
        ASSERT_TRUE(v.Shape_Open(shp));
        f.ForeColor = schwarz;
        f.FillColor = rot;
        const Punkt s = blickAufAusdehnung(f, 0, 0, 100, 100, 0);
        ASSERT_TRUE(Shape_DrawAll(v, f, 0, 0, s.x, s.y, blau, 255));
    }
    QProcess p;
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("20"), QStringLiteral("-png"),
             QString::fromStdString(pdf), QString::fromStdString(ordner + "/s")});
    ASSERT_TRUE(p.waitForFinished(60000));
    const QImage seite(QString::fromStdString(ordner + "/s-1.png"));
    ASSERT_FALSE(seite.isNull());
    // The square fills the width of the printable area, centred; the middle is the hole.
    int rote = 0;
    for (int y = 0; y < seite.height(); ++y)
        for (int x = 0; x < seite.width(); ++x)
            rote += (seite.pixel(x, y) & 0xffffff) == 0xff0000;
    EXPECT_GT(rote, seite.width() * seite.width() / 4);
    EXPECT_EQ(seite.pixel(seite.width() / 2, seite.height() / 2) & 0xffffff, 0xffffffu);
}

} // namespace
} // namespace trelvik
