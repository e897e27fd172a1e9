// The map window under the offscreen platform: markers where the findings are, the double-click
// on a report line, the list, zoom and drawing only what is in view, and dropping a file.
#include "fenster_hilfe.h"

#include "app/qt/hauptfenster.h"
#include "app/qt/karte.h"

#include <QAction>
#include <QApplication>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace trelvik {
namespace {

QString faulty(const char* set) {
    return QStringLiteral(TRELVIK_TESTDATEN "/faulty/%1/%1.shp").arg(QLatin1String(set));
}

class KarteTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::anwendung();
        test::einstellungenLeeren();
        fenster = std::make_unique<Hauptfenster>(dialoge, test::neuerOrdner());
    }
    void TearDown() override { fenster.reset(); }
    void pruefe(const char* set) {
        dialoge.oeffnenAntworten << faulty(set);
        fenster->shapeLaden();
        fenster->pruefeShape();
    }
    QAction* karteBefehl() const {
        return fenster->findChild<QAction*>(QStringLiteral("menu_karte"));
    }
    // The map as it is painted now.
    static QImage bild(Kartenflaeche* f) { return f->grab().toImage(); }

    test::TestDialoge dialoge;
    std::unique_ptr<Hauptfenster> fenster;
};

bool gleich(const QColor& a, const QColor& b) {
    return std::abs(a.red() - b.red()) < 8 && std::abs(a.green() - b.green()) < 8 &&
           std::abs(a.blue() - b.blue()) < 8;
}

TEST_F(KarteTest, MarkenSitzenAufDenPixelnIhrerKoordinaten) {
    ASSERT_NE(karteBefehl(), nullptr);
    EXPECT_FALSE(karteBefehl()->isEnabled());
    pruefe("vertex_on_segment");
    ASSERT_TRUE(karteBefehl()->isEnabled());
    karteBefehl()->trigger();
    Karte* karte = fenster->karte();
    ASSERT_NE(karte, nullptr);
    karte->resize(900, 600);
    Kartenflaeche* f = karte->flaeche();
    const QImage b = bild(f);
    ASSERT_FALSE(karte->befunde().empty());
    EXPECT_EQ(karte->liste()->count(), static_cast<int>(karte->befunde().size()));
    for (const Befund& befund : karte->befunde()) {
        ASSERT_TRUE(befund.hatOrt);
        const QPointF p = f->pixelVon(befund.ort.x, befund.ort.y);
        ASSERT_TRUE(b.rect().contains(p.toPoint())) << befund.art;
        // The last marker painted at this place carries its kind's colour.
        const QColor c = b.pixelColor(p.toPoint());
        const bool einer = std::any_of(karte->befunde().begin(), karte->befunde().end(),
                                       [&](const Befund& o) {
                                           return o.ort.x == befund.ort.x &&
                                                  o.ort.y == befund.ort.y &&
                                                  gleich(c, Kartenflaeche::artFarbe(o.art));
                                       });
        EXPECT_TRUE(einer) << befund.art << " " << c.name().toStdString();
        // Away from any marker it is the map, not a marker colour.
        EXPECT_FALSE(gleich(b.pixelColor(p.toPoint() + QPoint(0, 30)),
                            Kartenflaeche::artFarbe(befund.art)));
    }
    // Both kinds have a different colour.
    EXPECT_FALSE(gleich(Kartenflaeche::artFarbe("schneidet"), Kartenflaeche::artFarbe("abstand")));
}

TEST_F(KarteTest, DoppelklickAufEineBerichtszeileZentriertDieKarte) {
    pruefe("figure_eight");
    auto* box = fenster->findChild<QPlainTextEdit*>(QStringLiteral("Text3"));
    ASSERT_NE(box, nullptr);
    box->resize(600, 400);
    QTextBlock zeile = box->document()->begin();
    while (zeile.isValid() && !zeile.text().contains(QStringLiteral("Schnittpunkt")))
        zeile = zeile.next();
    ASSERT_TRUE(zeile.isValid());
    QTextCursor cursor(zeile);
    const QPoint stelle = box->cursorRect(cursor).center() + QPoint(20, 0);
    // A line without a place opens nothing.
    QMouseEvent ohne(QEvent::MouseButtonDblClick, QPointF(5, 3), box->viewport()->mapToGlobal(QPointF(5, 3)),
                     Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &ohne);
    EXPECT_EQ(fenster->karte(), nullptr);

    QMouseEvent doppel(QEvent::MouseButtonDblClick, QPointF(stelle),
                       box->viewport()->mapToGlobal(QPointF(stelle)), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(box->viewport(), &doppel);
    Karte* karte = fenster->karte();
    ASSERT_NE(karte, nullptr);
    karte->resize(900, 600);
    Kartenflaeche* f = karte->flaeche();
    // The README's crossing of figure_eight.
    EXPECT_NEAR(f->mitteX(), 537260, 0.5);
    EXPECT_NEAR(f->mitteY(), 5625680, 0.5);
    const QPointF mitte(f->width() / 2.0, f->height() / 2.0);
    const QPointF p = f->pixelVon(537260, 5625680);
    EXPECT_NEAR(p.x(), mitte.x(), 1);
    EXPECT_NEAR(p.y(), mitte.y(), 1);
    EXPECT_TRUE(gleich(bild(f).pixelColor(p.toPoint()), Kartenflaeche::artFarbe("schneidet")));
}

TEST_F(KarteTest, ListeZoomUndNurWasImBlickIst) {
    pruefe("limits_area");
    karteBefehl()->trigger();
    Karte* karte = fenster->karte();
    ASSERT_NE(karte, nullptr);
    karte->resize(900, 600);
    Kartenflaeche* f = karte->flaeche();
    bild(f);
    EXPECT_EQ(f->gezeichnet(), 14);
    // All twelve area faults are listed, not the report's ten.
    ASSERT_EQ(karte->liste()->count(), 12);
    karte->liste()->setCurrentRow(11);
    const Befund& letzter = karte->befunde().back();
    EXPECT_DOUBLE_EQ(f->mitteX(), letzter.ort.x);
    EXPECT_DOUBLE_EQ(f->mitteY(), letzter.ort.y);
    const double vorher = f->massstab();
    const QPointF mitte(f->width() / 2.0, f->height() / 2.0);
    for (int i = 0; i < 10; ++i) {
        QWheelEvent rad(mitte, f->mapToGlobal(mitte), QPoint(), QPoint(0, 120), Qt::NoButton,
                        Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(f, &rad);
    }
    EXPECT_LT(f->massstab(), vorher / 5);
    // Zoomed on one ring of a grid a kilometre apart: the others are not drawn.
    bild(f);
    EXPECT_GE(f->gezeichnet(), 1);
    EXPECT_LT(f->gezeichnet(), 4);
    EXPECT_NEAR(f->pixelVon(letzter.ort.x, letzter.ort.y).x(), mitte.x(), 1);
    f->ganzeDatei();
    EXPECT_DOUBLE_EQ(f->massstab(), vorher);
}

TEST_F(KarteTest, FallengelasseneShapeDateiWirdGeladen) {
    QMimeData daten;
    daten.setUrls({QUrl::fromLocalFile(faulty("sliver"))});
    QDragEnterEvent hinein(QPoint(10, 10), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fenster.get(), &hinein);
    EXPECT_TRUE(hinein.isAccepted());
    QDropEvent ablegen(QPointF(10, 10), Qt::CopyAction, &daten, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(fenster.get(), &ablegen);
    EXPECT_EQ(fenster->shapePfad(), faulty("sliver"));
    EXPECT_TRUE(fenster->findChild<QAction*>(QStringLiteral("menu_pruefen"))->isEnabled());
    // Anything else is refused.
    QMimeData anderes;
    anderes.setUrls({QUrl::fromLocalFile(QStringLiteral("/tmp/x.txt"))});
    QDragEnterEvent nein(QPoint(10, 10), Qt::CopyAction, &anderes, Qt::LeftButton, Qt::NoModifier);
    nein.setAccepted(false);
    QApplication::sendEvent(fenster.get(), &nein);
    EXPECT_FALSE(nein.isAccepted());
}

} // namespace
} // namespace trelvik
