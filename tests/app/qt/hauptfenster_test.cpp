#include "fenster_hilfe.h"

#include "app/qt/hauptfenster.h"
#include "app/qt/ueber_show.h"
#include "app/qt/vun_drucker.h"
#include "check/pruef_befehl.h"
#include "view/bericht.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QPlainTextEdit>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>

namespace trelvik {
namespace {

using test::TestDialoge;

class FensterTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::anwendung();
        test::einstellungenLeeren();
        ordner = test::neuerOrdner();
        fenster = std::make_unique<Hauptfenster>(dialoge, ordner);
    }
    void TearDown() override { fenster.reset(); }

    template <typename T> T* finde(const char* name) const {
        T* w = fenster->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QAction* aktion(const char* name) const { return finde<QAction>(name); }
    QString box(const char* name) const { return finde<QPlainTextEdit>(name)->toPlainText(); }

    void laden(const QString& shape) {
        dialoge.oeffnenAntworten << shape;
        fenster->shapeLaden();
    }
    void ladenUndPruefen(const QString& shape) {
        laden(shape);
        fenster->pruefeShape();
    }

    TestDialoge dialoge;
    QString ordner;
    std::unique_ptr<Hauptfenster> fenster;
};

// The availability of every switchable command, menu and toolbar alike.
struct Verfuegbar {
    bool pruefen, drucken, speichern, bereinigen;
};

void erwarte(const FensterTest& t, Hauptfenster& f, Verfuegbar v) {
    (void)t;
    auto an = [&](const char* n) { return f.findChild<QAction*>(QLatin1String(n))->isEnabled(); };
    EXPECT_EQ(an("menu_pruefen"), v.pruefen);
    EXPECT_EQ(f.werkzeugPosition(7)->isEnabled(), v.pruefen);
    EXPECT_EQ(an("menu_drucken"), v.drucken);
    EXPECT_EQ(f.werkzeugPosition(4)->isEnabled(), v.drucken);
    EXPECT_EQ(an("menu_speichern"), v.speichern);
    EXPECT_EQ(f.werkzeugPosition(5)->isEnabled(), v.speichern);
    EXPECT_EQ(an("menu_bereinigen"), v.bereinigen);
    EXPECT_EQ(f.werkzeugPosition(9)->isEnabled(), v.bereinigen);
    EXPECT_EQ(f.findChild<QFrame*>(QStringLiteral("Frame1"))->isEnabled(), v.bereinigen);
    // Always there.
    for (const char* n : {"menu_shapeladen", "menu_drucker", "menu_ende", "menu_hilfe_hile",
                          "menu_hilfe_about"})
        EXPECT_TRUE(an(n)) << n;
    EXPECT_TRUE(f.werkzeugPosition(1)->isEnabled());
    EXPECT_TRUE(f.werkzeugPosition(11)->isEnabled());
}

TEST_F(FensterTest, MenuesTragenIhreBeschriftungenInDerReihenfolge) {
    EXPECT_EQ(fenster->windowTitle(), QStringLiteral("Trelvik"));
    struct Menu {
        const char* name;
        const char* titel;
        std::vector<std::pair<const char*, const char*>> eintraege; // "" caption: separator
    };
    const Menu menues[] = {
        {"menu_datei", "&Datei",
         {{"menu_shapeladen", "Datei &laden"}, {"menu_strich1", ""}, {"menu_drucker", "D&rucker"},
          {"menu_strich2", ""}, {"menu_ende", "E&nde"}}},
        {"menu_trelvik", "&Trelvik",
         {{"menu_pruefen", "&Prüfen"}, {"menu_bereinigen", "&Bereinigen"}, {"menu_strich3", ""},
          {"menu_drucken", "Auswertung dr&ucken"}, {"menu_speichern", "Auswertung s&peichern"},
          {"menu_karte", "&Karte"}}},
        {"menu_hilfe", "&?",
         {{"menu_hilfe_hile", "&Hilfe"}, {"menu_hilfe_strich", ""}, {"menu_hilfe_about", "&Über"}}}};
    const QList<QAction*> leiste = fenster->menuBar()->actions();
    ASSERT_EQ(leiste.size(), 3);
    for (int m = 0; m < 3; ++m) {
        QMenu* menu = leiste[m]->menu();
        ASSERT_NE(menu, nullptr);
        EXPECT_EQ(menu->objectName(), QLatin1String(menues[m].name));
        EXPECT_EQ(menu->title(), QString::fromUtf8(menues[m].titel));
        const QList<QAction*> eintraege = menu->actions();
        ASSERT_EQ(static_cast<std::size_t>(eintraege.size()), menues[m].eintraege.size());
        for (std::size_t i = 0; i < menues[m].eintraege.size(); ++i) {
            const auto& [name, text] = menues[m].eintraege[i];
            QAction* a = eintraege[static_cast<qsizetype>(i)];
            EXPECT_EQ(a->objectName(), QLatin1String(name));
            EXPECT_EQ(a->isSeparator(), *text == '\0') << name;
            if (*text)
                EXPECT_EQ(a->text(), QString::fromUtf8(text)) << name;
        }
    }
}

TEST_F(FensterTest, WerkzeugleisteHatElfPositionenMitSechsKnoepfen) {
    const std::pair<int, const char*> knoepfe[] = {{1, "open"}, {4, "print"}, {5, "save"},
                                                   {7, "test"}, {9, "clean"}, {11, "help"}};
    const char* tips[] = {"Shape-Datei laden",       "Shape-Angaben drucken", "Shape-Angaben speichern",
                          "Shape prüfen", "Shape bereinigen", "Hilfe aufrufen"};
    auto* leiste = finde<QToolBar>("Toolbar");
    ASSERT_EQ(leiste->actions().size(), 11);
    EXPECT_EQ(fenster->werkzeugPosition(12), nullptr);
    int k = 0;
    for (int pos = 1; pos <= 11; ++pos) {
        QAction* a = fenster->werkzeugPosition(pos);
        if (k < 6 && knoepfe[k].first == pos) {
            EXPECT_FALSE(a->isSeparator()) << pos;
            EXPECT_EQ(a->data().toString(), QLatin1String(knoepfe[k].second));
            EXPECT_EQ(a->toolTip(), QString::fromUtf8(tips[k]));
            EXPECT_FALSE(a->icon().isNull());
            ++k;
        } else {
            EXPECT_TRUE(a->isSeparator()) << pos;
        }
    }
}

TEST_F(FensterTest, FelderBeschriftungenUndOptionen) {
    EXPECT_EQ(finde<QLineEdit>("Text1")->text(), QStringLiteral("25"));
    EXPECT_EQ(finde<QLineEdit>("Text2")->text(), QStringLiteral("25"));
    const std::pair<const char*, const char*> labels[] = {
        {"Label4", "minimaler Punktabstand:"}, {"Label7", "cm"},
        {"Label5", "minimale Fläche:"},        {"Label6", "m²"},
        {"Label12", "Prüfungsergebnisse "},    {"Label1", " Vorhandene Attribute"},
        {"Label2", "Projektionsangaben "},     {"Label11", "Geforderte  Attribute "}};
    for (const auto& [name, text] : labels)
        EXPECT_EQ(finde<QLabel>(name)->text(), QString::fromUtf8(text)) << name;
    for (const char* n : {"Label3", "Label10", "Label13"})
        EXPECT_TRUE(finde<QLabel>(n)->text().isEmpty()) << n;
    for (const char* n : {"Text3", "Text4", "Text5", "Text6"}) {
        auto* b = finde<QPlainTextEdit>(n);
        EXPECT_TRUE(QFontInfo(b->font()).fixedPitch()) << n;
        EXPECT_TRUE(b->toPlainText().isEmpty());
    }

    // Left to right: Check4, Check2, Check1, Check3, each with a tooltip of its own.
    fenster->resize(1200, 800);
    fenster->show();
    const char* reihe[] = {"Check4", "Check2", "Check1", "Check3"};
    const char* texte[] = {"Vereinfachen", "Punkte entfernen", "Min. Flächen entfernen",
                           "Ringe anpassen"};
    QStringList tips;
    int x = -1;
    for (int i = 0; i < 4; ++i) {
        auto* c = finde<QCheckBox>(reihe[i]);
        EXPECT_EQ(c->parentWidget()->objectName(), QStringLiteral("Frame1"));
        EXPECT_EQ(c->text(), QString::fromUtf8(texte[i]));
        EXPECT_GT(c->x(), x) << reihe[i];
        x = c->x();
        tips << c->toolTip();
    }
    EXPECT_EQ(tips[3], QStringLiteral("Ringe in Multipolygonen werden dem minimalen Punktabstand angepasst."));
    EXPECT_EQ(tips[1], QStringLiteral("Punkte mit minimalen Punktabständen werden entfernt."));
    EXPECT_EQ(tips[2], QStringLiteral("Flächen mit minimalen Flächen werden entfernt."));
    EXPECT_TRUE(tips[0].contains(QStringLiteral("vereinfacht")));
    EXPECT_NE(tips[0], tips[3]);
    fenster->hide();
}

TEST_F(FensterTest, GroessenaenderungHaeltAlleBoxenSichtbar) {
    fenster->show();
    // Down to 800x600 everything fits, and the threshold fields keep room for a number.
    EXPECT_LE(fenster->minimumSizeHint().width(), 800);
    EXPECT_LE(fenster->minimumSizeHint().height(), 600);
    for (const char* n : {"Text1", "Text2"})
        finde<QLineEdit>(n)->setText(QStringLiteral("12345,678"));
    for (const QSize groesse : {QSize(800, 600), QSize(900, 600), QSize(1600, 1000)}) {
        fenster->resize(groesse);
        QApplication::processEvents();
        for (const char* n : {"Text3", "Text4", "Text5", "Text6"}) {
            auto* b = finde<QPlainTextEdit>(n);
            EXPECT_GT(b->height(), 40) << n;
            EXPECT_GT(b->width(), 150) << n;
            EXPECT_LE(b->mapTo(fenster.get(), QPoint(b->width(), b->height())).x(), fenster->width());
            EXPECT_LE(b->mapTo(fenster.get(), QPoint(b->width(), b->height())).y(), fenster->height());
        }
        for (const char* n : {"Text1", "Text2"}) {
            auto* feld = finde<QLineEdit>(n);
            EXPECT_GT(feld->width(), feld->fontMetrics().horizontalAdvance(feld->text())) << n;
        }
        for (const char* n : {"Text1", "Text2", "Frame1", "Check3"}) {
            auto* w = finde<QWidget>(n);
            EXPECT_GE(w->width(), w->minimumSizeHint().width()) << n;
            EXPECT_LE(w->mapTo(fenster.get(), QPoint(w->width(), 0)).x(), fenster->width()) << n;
        }
    }
    fenster->hide();
}

TEST_F(FensterTest, SchwellenfelderMarkierenBeimFokusAlles) {
    for (const char* n : {"Text1", "Text2"}) {
        auto* feld = finde<QLineEdit>(n);
        feld->setText(QStringLiteral("1234"));
        feld->setCursorPosition(2);
        feld->deselect();
        QFocusEvent fokus(QEvent::FocusIn, Qt::MouseFocusReason);
        QApplication::sendEvent(feld, &fokus);
        QApplication::processEvents();
        EXPECT_EQ(feld->selectedText(), QStringLiteral("1234")) << n;
        EXPECT_EQ(feld->selectionStart(), 0);
    }
}

TEST_F(FensterTest, BefehleJeZustand) {
    erwarte(*this, *fenster, {false, false, false, false});

    laden(test::probe("nc"));
    erwarte(*this, *fenster, {true, false, false, false});
    EXPECT_EQ(finde<QLabel>("Label10")->text(), QStringLiteral("nc.shp"));
    EXPECT_EQ(fenster->projektPfad(), QFileInfo(test::probe("nc")).absolutePath());
    EXPECT_EQ(dialoge.letzterOrdner, ordner.chopped(1)); // first start: the program folder
    EXPECT_TRUE(dialoge.letzterFilter.contains(QStringLiteral("*.SHP")));

    fenster->pruefeShape();
    erwarte(*this, *fenster, {true, true, true, true});

    // A missing file chosen: back to Started.
    laden(QStringLiteral("/nicht/vorhanden.shp"));
    erwarte(*this, *fenster, {false, false, false, false});
    EXPECT_TRUE(finde<QLabel>("Label10")->text().isEmpty());
}

TEST_F(FensterTest, AbgebrochenesLadenAendertNichts) {
    ladenUndPruefen(test::probe("nc"));
    QStringList vorher;
    for (const char* n : {"Text3", "Text4", "Text5", "Text6"}) {
        ASSERT_FALSE(box(n).isEmpty()) << n;
        vorher << box(n);
    }
    dialoge.oeffnenAntworten << QString(); // cancelled
    fenster->shapeLaden();
    QStringList nachher;
    for (const char* n : {"Text3", "Text4", "Text5", "Text6"})
        nachher << box(n);
    EXPECT_EQ(nachher, vorher);
    EXPECT_EQ(fenster->shapePfad(), test::probe("nc"));
    erwarte(*this, *fenster, {true, true, true, true});
}

TEST_F(FensterTest, WerkzeugleisteLeitetNachSchluessel) {
    fenster->werkzeugPosition(1)->trigger();
    EXPECT_EQ(dialoge.oeffnenAufrufe, 1);
    // Separators and unknown keys do nothing.
    for (int pos : {2, 3, 6, 8, 10})
        fenster->werkzeugPosition(pos)->trigger();
    fenster->werkzeugKlick(QStringLiteral("drucken"));
    fenster->werkzeugKlick(QString());
    EXPECT_EQ(dialoge.oeffnenAufrufe, 1);
    EXPECT_EQ(dialoge.speichernAufrufe, 0);
    EXPECT_TRUE(dialoge.fragen.isEmpty());
    EXPECT_TRUE(dialoge.urls.empty());

    laden(test::probe("nc"));
    fenster->werkzeugPosition(7)->trigger(); // test
    EXPECT_FALSE(box("Text3").isEmpty());
    dialoge.frageAntwort = false;
    fenster->werkzeugPosition(4)->trigger(); // print: asks first
    ASSERT_EQ(dialoge.fragen.size(), 1);
    EXPECT_TRUE(dialoge.fragen[0].startsWith(QStringLiteral("Ausgabe auf ")));
    EXPECT_TRUE(dialoge.fragen[0].endsWith(QStringLiteral(" starten ?")));
    fenster->werkzeugPosition(5)->trigger(); // save
    EXPECT_EQ(dialoge.titel.last(), QStringLiteral("TrelvikPrüfung speichern"));
    fenster->werkzeugPosition(9)->trigger(); // clean
    EXPECT_EQ(dialoge.titel.last(), QStringLiteral("Trelvik speichern"));
    EXPECT_EQ(dialoge.speichernAufrufe, 2);
    QDir().mkpath(ordner + QStringLiteral("hilfe"));
    QFile hilfe(ordner + QStringLiteral("hilfe/trelvik.html"));
    ASSERT_TRUE(hilfe.open(QIODevice::WriteOnly));
    hilfe.close();
    fenster->werkzeugPosition(11)->trigger(); // help
    ASSERT_EQ(dialoge.urls.size(), 1u);
    EXPECT_EQ(dialoge.urls[0].toLocalFile(), ordner + QStringLiteral("hilfe/trelvik.html"));
}

// Installed under a prefix, the window takes help and the default list from share/trelvik, keeps
// the list in the user's folder, writes nothing beside itself and starts in the home folder.
TEST_F(FensterTest, InstalliertNimmtDatenordnerUndBenutzerordner) {
    const QString praefix = test::neuerOrdner();
    const QString daten = praefix + QStringLiteral("share/trelvik/");
    QDir().mkpath(praefix + QStringLiteral("bin"));
    QDir().mkpath(daten + QStringLiteral("hilfe"));
    QFile hilfe(daten + QStringLiteral("hilfe/trelvik.html"));
    ASSERT_TRUE(hilfe.open(QIODevice::WriteOnly));
    hilfe.close();
    QFile vorlage(daten + QStringLiteral("Attribute.txt"));
    ASSERT_TRUE(vorlage.open(QIODevice::WriteOnly));
    vorlage.write("\"EIGEN\"\tC\t10\r\n");
    vorlage.close();
    const QByteArray alt = qgetenv("XDG_CONFIG_HOME");
    const bool gesetzt = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
    const QString konfig = test::neuerOrdner();
    qputenv("XDG_CONFIG_HOME", konfig.toUtf8());

    TestDialoge eigene;
    {
        Hauptfenster installiert(eigene, praefix + QStringLiteral("bin/"));
        ASSERT_EQ(installiert.attributliste().size(), 1u);
        EXPECT_EQ(installiert.attributliste()[0].name, "EIGEN");
        EXPECT_TRUE(QFileInfo::exists(konfig + QStringLiteral("trelvik/Attribute.txt")));
        EXPECT_EQ(installiert.projektPfad(), QDir::homePath());
        installiert.werkzeugPosition(11)->trigger(); // help
        ASSERT_EQ(eigene.urls.size(), 1u);
        EXPECT_EQ(eigene.urls[0].toLocalFile(), daten + QStringLiteral("hilfe/trelvik.html"));
    }
    EXPECT_TRUE(QDir(praefix + QStringLiteral("bin")).isEmpty());
    if (gesetzt)
        qputenv("XDG_CONFIG_HOME", alt);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

TEST_F(FensterTest, PruefungFuelltAlleBoxenUndFaerbtDasErgebnis) {
    bool gruen = false;
    bool schwarz = false;
    struct Fall {
        const char* probe;
        const char* abstand;
        const char* flaeche;
    };
    for (const Fall f : {Fall{"naturalearth_lowres_m", "25", "25"}, Fall{"lux", "0", "0"},
                         Fall{"nc", "0", "0"}}) {
        finde<QLineEdit>("Text1")->setText(QLatin1String(f.abstand));
        finde<QLineEdit>("Text2")->setText(QLatin1String(f.flaeche));
        ladenUndPruefen(test::probe(f.probe));
        for (const char* n : {"Text3", "Text4", "Text6"})
            EXPECT_FALSE(box(n).isEmpty()) << f.probe << " " << n;
        EXPECT_TRUE(box("Text5").contains(QStringLiteral("GEOGCS")) ||
                    box("Text5").contains(QStringLiteral("GCS")))
            << f.probe;
        EXPECT_TRUE(finde<QLabel>("Label3")->text().startsWith(QStringLiteral("Shape Typ: ")));
        // The status line warns about coordinates in degrees (lux, nc); metres leave it empty.
        const QString status = finde<QLabel>("Label13")->text();
        if (std::string(f.probe) == "naturalearth_lowres_m")
            EXPECT_TRUE(status.isEmpty()) << status.toStdString();
        else
            EXPECT_TRUE(status.contains(QStringLiteral("\"Degree\""))) << f.probe;
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);

        // The box shows what the check command produced, line for line.
        Attributliste liste = fenster->attributliste();
        const PruefTexte erwartet = pruefen(test::probe(f.probe).toStdString(), liste, f.abstand,
                                            f.flaeche);
        EXPECT_EQ(alsBerichtText(box("Text3")), erwartet.geometrie) << f.probe;
        EXPECT_EQ(alsBerichtText(box("Text4")), erwartet.vorhanden);
        EXPECT_EQ(alsBerichtText(box("Text6")), erwartet.gefordert);

        const QColor farbe = finde<QPlainTextEdit>("Text3")->palette().color(QPalette::Text);
        const bool ohneFehler = box("Text3").contains(QStringLiteral("Keine Fehler gefunden!"));
        EXPECT_EQ(farbe, ohneFehler ? QColor(0, 128, 0) : QColor(Qt::black)) << f.probe;
        (ohneFehler ? gruen : schwarz) = true;
    }
    EXPECT_TRUE(gruen);
    EXPECT_TRUE(schwarz);
}

TEST_F(FensterTest, WaehrendDesLaufsIstNurAbbrechenUndBeendenBedienbar) {
    laden(test::probe("naturalearth_lowres_m"));
    auto* feld = finde<QLineEdit>("Text1");
    const QString vorher = feld->text();
    auto* abbrechen = finde<QPushButton>("Abbrechen");
    EXPECT_TRUE(abbrechen->isHidden());
    bool gelaufen = false;
    // Posted before the check starts: delivered by the loop that waits for the worker.
    QTimer::singleShot(0, fenster.get(), [&] {
        gelaufen = true;
        EXPECT_TRUE(fenster->befehlLaeuft());
        EXPECT_TRUE(QApplication::overrideCursor() &&
                    QApplication::overrideCursor()->shape() == Qt::WaitCursor);
        for (const char* n : {"Text1", "Text2", "Frame1"})
            EXPECT_FALSE(finde<QWidget>(n)->isEnabled()) << n;
        for (QAction* titel : fenster->menuBar()->actions())
            for (QAction* a : titel->menu()->actions())
                if (!a->isSeparator())
                    EXPECT_EQ(a->isEnabled(), a->objectName() == QLatin1String("menu_ende"))
                        << a->objectName().toStdString();
        EXPECT_FALSE(abbrechen->isHidden());
        // Typing into a field goes nowhere, now and after the run.
        QKeyEvent taste(QEvent::KeyPress, Qt::Key_7, Qt::NoModifier, QStringLiteral("7"));
        QApplication::sendEvent(feld, &taste);
        // Closing asks; "No" keeps the run and the window.
        dialoge.frageAntwort = false;
        EXPECT_FALSE(fenster->close());
        EXPECT_EQ(dialoge.fragen.size(), 1);
        fenster->pruefeShape(); // a second check cannot start inside the first
    });
    fenster->pruefeShape();
    EXPECT_TRUE(gelaufen);
    EXPECT_FALSE(fenster->befehlLaeuft());
    EXPECT_FALSE(box("Text3").isEmpty());
    EXPECT_EQ(feld->text(), vorher);
    EXPECT_TRUE(feld->isEnabled());
    EXPECT_TRUE(abbrechen->isHidden());
    erwarte(*this, *fenster, {true, true, true, true});
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // "Abbrechen": the results of the stopped check are not shown, the file stays chosen.
    QTimer::singleShot(0, fenster.get(), [&] { abbrechen->click(); });
    fenster->pruefeShape();
    EXPECT_TRUE(box("Text3").isEmpty());
    EXPECT_EQ(dialoge.meldungen.size(), 1);
    erwarte(*this, *fenster, {true, false, false, false});

    // "Yes": the run is asked to stop and the window closes when it has.
    fenster->show();
    dialoge.frageAntwort = true;
    QTimer::singleShot(0, fenster.get(), [&] { EXPECT_FALSE(fenster->close()); });
    fenster->pruefeShape();
    EXPECT_EQ(dialoge.fragen.size(), 2);
    EXPECT_FALSE(fenster->isVisible());
    EXPECT_FALSE(fenster->befehlLaeuft());
}

// Names typed without extension get it before anything is asked; an existing target is only
// replaced after a Yes, the source never; each dialog comes back to its own last folder.
TEST_F(FensterTest, SpeicherdialogeErgaenzenDieEndungUndFragenVorDemErsetzen) {
    ladenUndPruefen(test::probe("nc"));
    const QString ablage = ordner + QStringLiteral("ablage");
    QDir().mkpath(ablage);
    const auto inhalt = [](const QString& pfad) {
        QFile f(pfad);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<fehlt>");
    };
    const auto schreibe = [](const QString& pfad, const QByteArray& was) {
        QFile f(pfad);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(was);
    };

    dialoge.speichernAntworten << ablage + QStringLiteral("/bericht");
    fenster->speichereAuswertung();
    EXPECT_TRUE(inhalt(ablage + QStringLiteral("/bericht.TXT")).startsWith(test::probe("nc").toUtf8()));
    EXPECT_TRUE(dialoge.fragen.isEmpty());
    schreibe(ablage + QStringLiteral("/bericht.TXT"), "alt");
    dialoge.frageAntwort = false;
    dialoge.speichernAntworten << ablage + QStringLiteral("/bericht");
    fenster->speichereAuswertung();
    EXPECT_EQ(dialoge.letzterOrdner, ablage);
    ASSERT_EQ(dialoge.fragen.size(), 1);
    EXPECT_TRUE(dialoge.fragen[0].contains(ablage + QStringLiteral("/bericht.TXT")));
    EXPECT_EQ(inhalt(ablage + QStringLiteral("/bericht.TXT")), QByteArray("alt"));
    dialoge.frageAntwort = true;
    dialoge.speichernAntworten << ablage + QStringLiteral("/bericht");
    fenster->speichereAuswertung();
    EXPECT_NE(inhalt(ablage + QStringLiteral("/bericht.TXT")), QByteArray("alt"));

    // The clean target: its dialog has not been used yet, so it opens at the shapefile's folder.
    QString quelleOhneEndung = test::probe("nc");
    quelleOhneEndung.chop(4);
    dialoge.speichernAntworten << quelleOhneEndung;
    fenster->bereinigeShape();
    EXPECT_EQ(dialoge.letzterOrdner, fenster->projektPfad());
    EXPECT_EQ(dialoge.fragen.size(), 2);
    EXPECT_EQ(dialoge.meldungen.size(), 1);
    schreibe(ablage + QStringLiteral("/ziel.shp"), "alt");
    dialoge.frageAntwort = false;
    dialoge.speichernAntworten << ablage + QStringLiteral("/ziel");
    fenster->bereinigeShape();
    ASSERT_EQ(dialoge.fragen.size(), 3);
    EXPECT_TRUE(dialoge.fragen[2].contains(ablage + QStringLiteral("/ziel.shp")));
    EXPECT_EQ(inhalt(ablage + QStringLiteral("/ziel.shp")), QByteArray("alt"));
    EXPECT_FALSE(fenster->letzteBereinigung().gelaufen);
    dialoge.speichernAntworten << QString();
    fenster->bereinigeShape();
    EXPECT_EQ(dialoge.letzterOrdner, ablage);
}

// Qt's own texts (standard buttons, file dialogs) are German like the rest of the program.
TEST(QtDialoge, StandardknoepfeSindDeutsch) {
    test::anwendung();
    QtDialoge echte;
    QStringList knoepfe;
    QTimer suche;
    QObject::connect(&suche, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        suche.stop();
        for (QAbstractButton* k : box->buttons())
            knoepfe << k->text();
        box->button(QMessageBox::No)->click();
    });
    suche.start(10);
    EXPECT_FALSE(echte.frage(nullptr, QStringLiteral("Weiter?")));
    EXPECT_TRUE(knoepfe.contains(QStringLiteral("&Ja"))) << knoepfe.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(knoepfe.contains(QStringLiteral("&Nein")));
}

TEST_F(FensterTest, LageUeberstehtDenNeustartImBildschirm) {
    const QRect frei = QGuiApplication::primaryScreen()->availableGeometry();
    const auto passt = [&](const Hauptfenster& f) {
        return frei.contains(QRect(f.pos(), f.size())) && f.width() >= f.minimumSizeHint().width() &&
               f.height() >= f.minimumSizeHint().height();
    };
    EXPECT_TRUE(passt(*fenster)) << fenster->x() << "," << fenster->y() << " " << fenster->width()
                                 << "x" << fenster->height();

    const QRect gewaehlt(frei.x() + 30, frei.y() + 20, frei.width() - 100, frei.height() - 90);
    fenster->resize(gewaehlt.size());
    fenster->move(gewaehlt.topLeft());
    EXPECT_TRUE(fenster->close());
    {
        Hauptfenster zweites(dialoge, ordner);
        EXPECT_EQ(QRect(zweites.pos(), zweites.size()), gewaehlt);
    }
    // Stored for a larger screen, or partly beside this one: pulled back into it.
    for (const QRect& fremd : {QRect(-3000, -2000, 5000, 4000),
                               QRect(frei.right() - 50, frei.bottom() - 40, 900, 700)}) {
        QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
        s.setValue(QStringLiteral("Trelvik/Geometry"), QStringLiteral("%1 %2 %3 %4")
                                                           .arg(fremd.x())
                                                           .arg(fremd.y())
                                                           .arg(fremd.width())
                                                           .arg(fremd.height()));
        s.sync();
        Hauptfenster drittes(dialoge, ordner);
        EXPECT_TRUE(passt(drittes)) << drittes.x() << "," << drittes.y() << " " << drittes.width()
                                    << "x" << drittes.height();
    }
}

TEST_F(FensterTest, EinstellungenUeberstehenDenNeustart) {
    EXPECT_EQ(fenster->projektPfad(), ordner.chopped(1));
    laden(test::probe("nc"));
    finde<QLineEdit>("Text1")->setText(QStringLiteral("12.6"));
    finde<QLineEdit>("Text2")->setText(QStringLiteral("7"));
    EXPECT_TRUE(fenster->close());
    {
        QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
        s.beginGroup(QStringLiteral("Trelvik"));
        EXPECT_EQ(s.value(QStringLiteral("T1")).toString(), QStringLiteral("13"));
        EXPECT_EQ(s.value(QStringLiteral("T2")).toString(), QStringLiteral("7"));
        EXPECT_EQ(s.value(QStringLiteral("WState")).toString(), QStringLiteral("0"));
        EXPECT_EQ(s.value(QStringLiteral("ProjectPath")).toString(),
                  QFileInfo(test::probe("nc")).absolutePath());
    }
    Hauptfenster zweites(dialoge, ordner);
    EXPECT_EQ(zweites.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("13"));
    EXPECT_EQ(zweites.findChild<QLineEdit*>(QStringLiteral("Text2"))->text(), QStringLiteral("7"));
    EXPECT_EQ(zweites.projektPfad(), QFileInfo(test::probe("nc")).absolutePath());
    EXPECT_TRUE(zweites.shapePfad().isEmpty());
}

TEST_F(FensterTest, FensterzustandAusDerEinstellung) {
    const std::pair<const char*, Qt::WindowStates> faelle[] = {
        {"1", Qt::WindowMinimized}, {"2", Qt::WindowMaximized}, {"3", Qt::WindowNoState},
        {"abc", Qt::WindowNoState}, {"1,4", Qt::WindowMinimized}, {"0", Qt::WindowNoState}};
    for (const auto& [gespeichert, zustand] : faelle) {
        {
            QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
            s.setValue(QStringLiteral("Trelvik/WState"), QLatin1String(gespeichert));
            s.setValue(QStringLiteral("Trelvik/T1"), QStringLiteral("nichts"));
        }
        Hauptfenster f(dialoge, ordner);
        f.zeigen();
        EXPECT_EQ(f.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized), zustand)
            << gespeichert;
        // Unreadable numbers read as 0.
        EXPECT_EQ(f.findChild<QLineEdit*>(QStringLiteral("Text1"))->text(), QStringLiteral("0"));
        f.close();
        QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
        const int erwartet = zustand == Qt::WindowMinimized ? 1 : zustand == Qt::WindowMaximized ? 2 : 0;
        EXPECT_EQ(s.value(QStringLiteral("Trelvik/WState")).toString(), QString::number(erwartet))
            << gespeichert;
    }
}

TEST_F(FensterTest, AttributlisteWirdBeimStartGeschrieben) {
    QFile datei(ordner + QStringLiteral("Attribute.txt"));
    ASSERT_TRUE(datei.open(QIODevice::ReadOnly));
    const QByteArray inhalt = datei.readAll();
    EXPECT_TRUE(inhalt.contains("\r\n"));
    EXPECT_EQ(fenster->attributliste().size(), 14u);
}

TEST_F(FensterTest, BereinigenVerweigertDenGleichenNamen) {
    ladenUndPruefen(test::probe("nc"));
    QString anders = test::probe("nc");
    anders.replace(QStringLiteral("nc.shp"), QStringLiteral("NC.SHP"));
    QString ohneEndung = test::probe("nc");
    ohneEndung.chop(4);
    dialoge.speichernAntworten << anders << test::probe("nc") << ohneEndung << QString();
    for (int i = 0; i < 4; ++i)
        fenster->bereinigeShape();
    EXPECT_FALSE(fenster->letzteBereinigung().gelaufen);
    ASSERT_EQ(dialoge.meldungen.size(), 3);
    for (const QString& m : dialoge.meldungen)
        EXPECT_EQ(m, QStringLiteral("Bitte einen anderen Shape-Namen angeben."));

    // Another name: the run writes the cleaned set there (nc is in degrees: thresholds 0).
    finde<QCheckBox>("Check2")->setChecked(true);
    finde<QLineEdit>("Text1")->setText(QStringLiteral("0"));
    finde<QLineEdit>("Text2")->setText(QStringLiteral("0"));
    dialoge.speichernAntworten << ordner + QStringLiteral("sauber");
    fenster->bereinigeShape();
    EXPECT_TRUE(fenster->letzteBereinigung().gelaufen);
    EXPECT_TRUE(QFileInfo::exists(ordner + QStringLiteral("sauber.shp")));
    EXPECT_FALSE(fenster->befehlLaeuft());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Every clean ends with what it did; one that keeps nothing says so in its first line.
    ASSERT_EQ(dialoge.meldungen.size(), 4);
    const QString bericht = dialoge.meldungen.last();
    const BereinigungsErgebnis voll = fenster->letzteBereinigung();
    EXPECT_GT(voll.geschrieben, 0);
    for (const long long zahl : {static_cast<long long>(voll.gelesen),
                                 static_cast<long long>(voll.geschrieben),
                                 static_cast<long long>(voll.teileGelesen)})
        EXPECT_TRUE(bericht.contains(QString::number(zahl))) << bericht.toStdString();
    finde<QCheckBox>("Check1")->setChecked(true);
    finde<QLineEdit>("Text2")->setText(QStringLiteral("1e12"));
    dialoge.speichernAntworten << ordner + QStringLiteral("leer.shp");
    fenster->bereinigeShape();
    ASSERT_EQ(fenster->letzteBereinigung().geschrieben, 0);
    ASSERT_EQ(dialoge.meldungen.size(), 5);
    const QString leer = dialoge.meldungen.last();
    EXPECT_NE(leer.section(QLatin1Char('\r'), 0, 0), bericht.section(QLatin1Char('\r'), 0, 0));
    EXPECT_TRUE(leer.contains(QString::number(voll.gelesen)));
}

// What was not read whole never gets the all-clear: the reason is said with the file's name,
// the commands stand as for an unchecked file, and the clean refuses a source cut short.
TEST_F(FensterTest, UnvollstaendigGelesenesBekommtNieDieEntwarnung) {
    const QString quelle = QStringLiteral(TRELVIK_TESTDATEN "/faulty/figure_eight/figure_eight.");
    const auto satz = [&](const QString& name, const QStringList& endungen) {
        for (const QString& e : endungen)
            QFile::copy(quelle + e, ordner + name + QLatin1Char('.') + e);
        return ordner + name + QStringLiteral(".shp");
    };
    const QString gekuerzt = satz(QStringLiteral("kurz"), {"shx", "dbf", "prj"});
    QFile ganz(quelle + QStringLiteral("shp"));
    ASSERT_TRUE(ganz.open(QIODevice::ReadOnly));
    QFile kurz(gekuerzt);
    ASSERT_TRUE(kurz.open(QIODevice::WriteOnly));
    kurz.write(ganz.read(420)); // record 2 is cut in the middle
    kurz.close();
    const QString ohneTabelle = satz(QStringLiteral("ohne_dbf"), {"shp", "shx"});
    const QString ohneIndex = satz(QStringLiteral("ohne_shx"), {"shp", "dbf"});
    const QString text = satz(QStringLiteral("text"), {"dbf", "shx"});
    QFile t(text);
    ASSERT_TRUE(t.open(QIODevice::WriteOnly));
    t.write("kein Shape\n");
    t.close();

    const QColor gruen(0, 128, 0);
    for (const QString& datei : {ohneTabelle, ohneIndex, text}) {
        dialoge.meldungen.clear();
        ladenUndPruefen(datei);
        ASSERT_EQ(dialoge.meldungen.size(), 1) << datei.toStdString();
        EXPECT_TRUE(dialoge.meldungen[0].contains(datei)) << dialoge.meldungen[0].toStdString();
        erwarte(*this, *fenster, {true, false, false, false});
        EXPECT_TRUE(box("Text3").isEmpty());
    }

    dialoge.meldungen.clear();
    ladenUndPruefen(gekuerzt);
    EXPECT_FALSE(box("Text3").contains(QStringLiteral("Keine Fehler gefunden!")));
    EXPECT_EQ(finde<QPlainTextEdit>("Text3")->palette().color(QPalette::Text), QColor(Qt::red));
    ASSERT_EQ(dialoge.meldungen.size(), 1);
    EXPECT_TRUE(dialoge.meldungen[0].contains(gekuerzt));
    EXPECT_TRUE(dialoge.meldungen[0].contains(QStringLiteral("Satz 2")));
    dialoge.speichernAntworten << ordner + QStringLiteral("ziel.shp");
    fenster->bereinigeShape();
    EXPECT_FALSE(fenster->letzteBereinigung().erfolgreich);
    EXPECT_FALSE(QFileInfo::exists(ordner + QStringLiteral("ziel.shp")));
    EXPECT_EQ(dialoge.meldungen.size(), 2);

    // A threshold that is no number runs nothing, for check and clean alike; the last results
    // stay. A decimal with comma is a number.
    const QString vorher = box("Text3");
    auto* abstand = finde<QLineEdit>("Text1");
    for (const char* falsch : {"abc", "", "-1", "inf", "nan", "2,5cm"}) {
        dialoge.meldungen.clear();
        abstand->setText(QLatin1String(falsch));
        fenster->pruefeShape();
        fenster->bereinigeShape();
        ASSERT_EQ(dialoge.meldungen.size(), 2) << falsch;
        EXPECT_EQ(box("Text3"), vorher) << falsch;
        EXPECT_EQ(dialoge.speichernAufrufe, 1) << falsch;
    }
    abstand->setText(QStringLiteral("2,5"));
    ladenUndPruefen(QStringLiteral(TRELVIK_TESTDATEN "/faulty/close_points/close_points.shp"));
    EXPECT_NE(finde<QPlainTextEdit>("Text3")->palette().color(QPalette::Text), gruen);
    EXPECT_FALSE(box("Text3").contains(QStringLiteral("Keine Fehler gefunden!")));
}

TEST_F(FensterTest, SpeichernSchreibtDenBerichtOderNichts) {
    const QString datei = ordner + QStringLiteral("bericht.txt");
    // Empty geometry report: no file even with a name.
    dialoge.speichernAntworten << datei;
    fenster->speichereAuswertung();
    EXPECT_FALSE(QFileInfo::exists(datei));

    finde<QLineEdit>("Text1")->setText(QStringLiteral("2,5"));
    finde<QLineEdit>("Text2")->setText(QStringLiteral("0.5"));
    ladenUndPruefen(test::probe("nc"));
    dialoge.speichernAntworten << QStringLiteral("ab") << QString();
    fenster->speichereAuswertung();
    fenster->speichereAuswertung();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("ab")));

    dialoge.speichernAntworten << datei;
    fenster->speichereAuswertung();
    QFile f(datei);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray inhalt = f.readAll();
    // Byte for byte what the command line saves for the same file and thresholds (the field
    // list has umlauts, so the encoding shows).
    const QString cliDatei = ordner + QStringLiteral("cli.txt");
    QProcess cli;
    cli.start(QStringLiteral(TRELVIK_BIN "/trelvik-cli"),
              {QStringLiteral("check"), test::probe("nc"), QStringLiteral("--min-distance"),
               QStringLiteral("2,5"), QStringLiteral("--min-area"), QStringLiteral("0.5"),
               QStringLiteral("--attributes"), ordner + QStringLiteral("Attribute.txt"),
               QStringLiteral("--out"), cliDatei});
    ASSERT_TRUE(cli.waitForFinished(120000));
    QFile c(cliDatei);
    ASSERT_TRUE(c.open(QIODevice::ReadOnly)) << cli.readAllStandardError().toStdString();
    const QByteArray erwartet = c.readAll();
    EXPECT_TRUE(erwartet.contains("L\xc3\xa4nge"));
    EXPECT_EQ(inhalt.toStdString(), erwartet.toStdString());
    EXPECT_TRUE(inhalt.startsWith((test::probe("nc") + QStringLiteral("\r\nShape Typ: ")).toUtf8()));
    EXPECT_TRUE(dialoge.meldungen.isEmpty());

    // A name that cannot be written is reported, not ignored.
    dialoge.speichernAntworten << QStringLiteral("/nicht/vorhanden/bericht.txt");
    fenster->speichereAuswertung();
    ASSERT_EQ(dialoge.meldungen.size(), 1);
    EXPECT_TRUE(dialoge.meldungen[0].contains(QStringLiteral("/nicht/vorhanden/bericht.txt")));
}

TEST_F(FensterTest, DruckerwahlUndAbbruch) {
    const QStringList alle = QPrinterInfo::availablePrinterNames();
    if (alle.isEmpty()) {
        fenster->druckerWaehlen();
        ASSERT_EQ(dialoge.meldungen.size(), 1);
        EXPECT_EQ(dialoge.meldungen[0], QStringLiteral("Keine Drucker vorhanden !"));
        return;
    }
    const QString vorher = fenster->druckerName();
    QStringList gezeigt;
    int markiert = -1;
    dialoge.modal = [&](QDialog& form) {
        auto* vun = dynamic_cast<VunDrucker*>(&form);
        ASSERT_NE(vun, nullptr);
        EXPECT_EQ(form.windowTitle(), QStringLiteral("Drucker"));
        auto* liste = form.findChild<QListWidget*>(QStringLiteral("List1"));
        for (int i = 0; i < liste->count(); ++i)
            gezeigt << liste->item(i)->text();
        markiert = liste->currentRow();
        liste->setCurrentRow(liste->count() - 1);
        form.findChild<QPushButton*>(QStringLiteral("Command2"))->click();
    };
    fenster->druckerWaehlen();
    EXPECT_EQ(gezeigt, alle);
    EXPECT_EQ(markiert, std::max(0, static_cast<int>(alle.indexOf(vorher))));
    EXPECT_EQ(fenster->druckerName(), vorher.isEmpty() ? alle[0] : vorher);

    dialoge.modal = [&](QDialog& form) {
        auto* liste = form.findChild<QListWidget*>(QStringLiteral("List1"));
        liste->setCurrentRow(liste->count() - 1);
        auto* zurueck = form.findChild<QPushButton*>(QStringLiteral("Command1"));
        EXPECT_EQ(zurueck->text(), QStringLiteral("Zur&ück"));
        EXPECT_EQ(form.findChild<QPushButton*>(QStringLiteral("Command2"))->text(),
                  QStringLiteral("Abbr&uch"));
        zurueck->click();
    };
    fenster->druckerWaehlen();
    EXPECT_EQ(fenster->druckerName(), alle.last());
}

TEST_F(FensterTest, UeberUndHilfe) {
    QString produkt, version;
    dialoge.modal = [&](QDialog& form) {
        ASSERT_NE(dynamic_cast<UeberShow*>(&form), nullptr);
        EXPECT_TRUE(form.isModal());
        produkt = form.findChild<QLabel*>(QStringLiteral("Produkt"))->text();
        version = form.findChild<QLabel*>(QStringLiteral("Version"))->text();
        form.findChild<QPushButton*>(QStringLiteral("OK"))->click();
    };
    aktion("menu_hilfe_about")->trigger();
    EXPECT_EQ(produkt, QStringLiteral("Trelvik"));
    EXPECT_EQ(version, QStringLiteral("Vers. 1.1.6"));

    // No help beside this program folder: nothing is opened, and the message names the file.
    aktion("menu_hilfe_hile")->trigger();
    EXPECT_TRUE(dialoge.urls.empty());
    ASSERT_EQ(dialoge.meldungen.size(), 1);
    EXPECT_TRUE(dialoge.meldungen[0].contains(ordner + QStringLiteral("hilfe/trelvik.html")));
    // A help file but no viewer: the message says where it is.
    QDir().mkpath(ordner + QStringLiteral("hilfe"));
    QFile hilfe(ordner + QStringLiteral("hilfe/trelvik.html"));
    ASSERT_TRUE(hilfe.open(QIODevice::WriteOnly));
    hilfe.close();
    dialoge.urlOeffnet = false;
    aktion("menu_hilfe_hile")->trigger();
    ASSERT_EQ(dialoge.meldungen.size(), 2);
    EXPECT_NE(dialoge.meldungen[1], dialoge.meldungen[0]);
    EXPECT_TRUE(dialoge.meldungen[1].contains(ordner + QStringLiteral("hilfe/trelvik.html")));
}

// The help shipped beside the program explains every finding, option and threshold.
TEST_F(FensterTest, MitgelieferteHilfeErklaertBerichtUndOptionen) {
    Hauptfenster programm(dialoge, QStringLiteral(TRELVIK_BIN "/"));
    programm.zeigeHilfe();
    ASSERT_EQ(dialoge.urls.size(), 1u);
    QFile datei(dialoge.urls[0].toLocalFile());
    ASSERT_TRUE(datei.open(QIODevice::ReadOnly)) << dialoge.urls[0].toString().toStdString();
    const QString html = QString::fromUtf8(datei.readAll());
    for (const char* begriff :
         {"lang=\"de\"", "Vereinfachen", "Punkte entfernen", "Min. Flächen entfernen",
          "Ringe anpassen", "minimaler Punktabstand", "minimale Fläche", "cm", "m²",
          "Attribute.txt", "Keine Fehler gefunden!", "Seite:", "Shape Typ"})
        EXPECT_TRUE(html.contains(QString::fromUtf8(begriff))) << begriff;
}

} // namespace
} // namespace trelvik
