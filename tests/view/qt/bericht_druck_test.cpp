#include "hilfe/qt/qt_hilfe.h"

#include "view/qt/bericht_druck.h"

#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace trelvik {
namespace {

// Keeps the printed lines page by page.
struct Seiten : Zeilendrucker {
    std::vector<std::vector<std::string>> seiten{1};
    void zeile(const std::string& text) override { seiten.back().push_back(text); }
    void neueSeite() override { seiten.emplace_back(); }
};

std::string zeilen(int anzahl, bool mitEnde) {
    std::string s;
    for (int i = 1; i <= anzahl; ++i) {
        s += "Befund " + std::to_string(i) + " Punkt 12.5 7.25";
        if (i < anzahl || mitEnde)
            s += "\r\n";
    }
    return s;
}

BerichtTexte bericht(int geometrieZeilen, bool mitEnde) {
    BerichtTexte t;
    t.shapePfad = "/daten/flur/gemarkung.shp";
    t.label3 = "Shape Typ: PolyGon";
    t.vorhanden = "FLST            Zeichen     Länge:  20\r\nFLAECHE         Zahl        Länge:  12 Dezimal: 2\r\n\r\n";
    t.gefordert = "FLST            = OK\r\n";
    t.projektion = "PROJCS[\"ETRS89 / UTM 32N\",\r\n    GEOGCS[\"ETRS89\"]]";
    t.geometrie = zeilen(geometrieZeilen, mitEnde);
    return t;
}

bool leer(const std::string& z) { return z.find_first_not_of(' ') == std::string::npos; }

TEST(Seitenfuss, StehtMittigAufSpalteSechzig) {
    EXPECT_EQ(seitenFuss(1), std::string(56, ' ') + "Seite: 1");
    EXPECT_EQ(seitenFuss(99), std::string(56, ' ') + "Seite: 99");
    EXPECT_EQ(seitenFuss(100), std::string(55, ' ') + "Seite: 100");
    EXPECT_EQ(seitenFuss(999), std::string(55, ' ') + "Seite: 999");
}

TEST(Seitenfuehrung, ZweihundertZeilenAufVollenSeiten) {
    Seiten s;
    druckeBerichtZeilen(s, bericht(200, false));
    ASSERT_GE(s.seiten.size(), 3u);
    for (std::size_t n = 0; n < s.seiten.size(); ++n) {
        const auto& seite = s.seiten[n];
        // Footer on line 92 of the first page, on line 93 of every later one; the last page
        // is padded to the same height.
        ASSERT_EQ(seite.size(), n == 0 ? 92u : 93u) << "page " << n + 1;
        EXPECT_EQ(seite.back(), seitenFuss(static_cast<int>(n) + 1));
        EXPECT_TRUE(leer(seite[0]) && leer(seite[1])) << "page " << n + 1;
        for (std::size_t i = seite.size() - 5; i + 1 < seite.size(); ++i)
            EXPECT_TRUE(leer(seite[i])) << "page " << n + 1 << " line " << i + 1;
    }
    EXPECT_EQ(s.seiten[0][2], "\t/daten/flur/gemarkung.shp");
    EXPECT_EQ(s.seiten[0][3], "\tShape Typ: PolyGon");

    // Every report line once, in order, after a tab.
    std::vector<std::string> befunde;
    for (const auto& seite : s.seiten)
        for (const auto& z : seite)
            if (z.rfind("\tBefund ", 0) == 0)
                befunde.push_back(z);
    ASSERT_EQ(befunde.size(), 200u);
    for (int i = 0; i < 200; ++i)
        EXPECT_EQ(befunde[static_cast<std::size_t>(i)],
                  "\tBefund " + std::to_string(i + 1) + " Punkt 12.5 7.25");
}

TEST(Seitenfuehrung, AbschnitteOhneNachlaufendeLeerzeilen) {
    Seiten s;
    druckeBerichtZeilen(s, bericht(3, false));
    const auto& z = s.seiten[0];
    const std::vector<std::string> erwartet = {
        " ", " ", "\t/daten/flur/gemarkung.shp", "\tShape Typ: PolyGon", " ",
        "\tVorhandene Datenbank", "\t====================",
        "\tFLST            Zeichen     Länge:  20",
        "\tFLAECHE         Zahl        Länge:  12 Dezimal: 2", "", "\tGeforderte Datenbank",
        "\t====================", "\tFLST            = OK", "", "\tProjektion", "\t==========",
        "\tPROJCS[\"ETRS89 / UTM 32N\",", "\t    GEOGCS[\"ETRS89\"]]", " ",
        "\tBefund 1 Punkt 12.5 7.25", "\tBefund 2 Punkt 12.5 7.25", "\tBefund 3 Punkt 12.5 7.25"};
    ASSERT_GE(z.size(), erwartet.size());
    for (std::size_t i = 0; i < erwartet.size(); ++i)
        EXPECT_EQ(z[i], erwartet[i]) << "line " << i + 1;
    ASSERT_EQ(s.seiten.size(), 1u);
    EXPECT_EQ(z.back(), seitenFuss(1));
}

TEST(Seitenfuehrung, BerichtMitZeilenendeEndetOhneFuss) {
    Seiten s;
    druckeBerichtZeilen(s, bericht(120, true));
    for (std::size_t n = 0; n + 1 < s.seiten.size(); ++n)
        EXPECT_EQ(s.seiten[n].back(), seitenFuss(static_cast<int>(n) + 1));
    EXPECT_EQ(s.seiten.back().back(), "\tBefund 120 Punkt 12.5 7.25");
}

// --- the printout on a PDF printer ---

struct Wort {
    int seite;
    double x, y;
    std::string text;
};

std::vector<Wort> woerter(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    EXPECT_TRUE(p.waitForFinished(60000));
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<Wort> alle;
    int seite = 0;
    static const QRegularExpression teil(
        QStringLiteral("<page |<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\"[^>]*>([^<]*)</word>"));
    for (auto it = teil.globalMatch(html); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(0).startsWith(QLatin1String("<page"))) {
            ++seite;
            continue;
        }
        alle.push_back({seite, m.captured(1).toDouble(), m.captured(2).toDouble(),
                        m.captured(3).toStdString()});
    }
    return alle;
}

QString druckePdf(const BerichtTexte& t, const QString& pfad) {
    QPrinter drucker(QPrinter::HighResolution);
    drucker.setOutputFormat(QPrinter::PdfFormat);
    drucker.setOutputFileName(pfad);
    EXPECT_TRUE(druckeBericht(drucker, t));
    return pfad;
}

class DruckPdf : public ::testing::Test {
protected:
    void SetUp() override { test::anwendung(); }
    QTemporaryDir ordner;
};

TEST_F(DruckPdf, SeitenFuesseUndZeilenlagen) {
    Seiten erwartet;
    druckeBerichtZeilen(erwartet, bericht(200, false));
    const QString pdf = druckePdf(bericht(200, false), ordner.filePath(QStringLiteral("b.pdf")));
    const int seiten = test::pdfSeiten(pdf);
    ASSERT_EQ(seiten, static_cast<int>(erwartet.seiten.size()));

    const std::vector<Wort> alle = woerter(pdf);
    for (int n = 1; n <= seiten; ++n) {
        std::vector<Wort> hier;
        for (const Wort& w : alle)
            if (w.seite == n)
                hier.push_back(w);
        ASSERT_FALSE(hier.empty()) << "page " << n;
        // The footer is the last word pair of the page.
        const Wort& fuss = hier[hier.size() - 2];
        ASSERT_EQ(fuss.text, "Seite:") << "page " << n;
        EXPECT_EQ(hier.back().text, std::to_string(n));

        // Line pitch and column width from two report lines of the page.
        std::vector<const Wort*> befund;
        for (const Wort& w : hier)
            if (w.text == "Befund")
                befund.push_back(&w);
        if (befund.size() < 2)
            continue;
        const double zeile = befund[1]->y - befund[0]->y;
        ASSERT_GT(zeile, 0);
        const Wort& nummer = *(&*befund[0] + 1); // "1" etc. right after "Befund "
        const double spalte = (nummer.x - befund[0]->x) / 7.0;
        // Report lines start after a tab, at column 8.
        const double spalteNull = befund[0]->x - 8 * spalte;
        EXPECT_NEAR((fuss.x - spalteNull) / spalte, 56.0, 0.6) << "page " << n;
        // First visible line is line 3; the footer stands on line 92 (first page) or 93.
        const double ersteZeile = hier.front().y;
        EXPECT_NEAR((fuss.y - ersteZeile) / zeile, n == 1 ? 89.0 : 90.0, 0.2) << "page " << n;
    }
}

TEST_F(DruckPdf, KeinLeeresLetztesBlatt) {
    // Find report lengths whose last page would begin with nothing but its two blank lines.
    int gefunden = 0;
    for (int n = 150; n < 260 && gefunden < 1; ++n) {
        Seiten s;
        druckeBerichtZeilen(s, bericht(n, true));
        bool sichtbar = false;
        for (const auto& z : s.seiten.back())
            sichtbar = sichtbar || !leer(z);
        if (sichtbar)
            continue;
        ++gefunden;
        const QString pdf = druckePdf(bericht(n, true), ordner.filePath(QStringLiteral("r%1.pdf").arg(n)));
        EXPECT_EQ(test::pdfSeiten(pdf), static_cast<int>(s.seiten.size()) - 1) << n << " lines";
        const std::string text = test::pdfText(pdf);
        EXPECT_NE(text.find("Befund " + std::to_string(n) + " "), std::string::npos);
    }
    EXPECT_EQ(gefunden, 1);
}

TEST_F(DruckPdf, DruckerfehlerWirdGemeldet) {
    QPrinter drucker(QPrinter::HighResolution);
    drucker.setOutputFormat(QPrinter::PdfFormat);
    drucker.setOutputFileName(QStringLiteral("/nicht/vorhanden/b.pdf"));
    EXPECT_FALSE(druckeBericht(drucker, bericht(10, false)));
}

} // namespace
} // namespace trelvik
