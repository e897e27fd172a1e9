#include "app/qt/hauptfenster.h"

#include "app/dateien.h"
#include "app/qt/bilder.h"
#include "app/qt/dialoge.h"
#include "app/qt/einstellungen.h"
#include "app/qt/hilfe.h"
#include "app/qt/ueber_show.h"
#include "app/qt/vun_drucker.h"
#include "app/texte.h"
#include "app/zahlen.h"
#include "check/pruef_befehl.h"
#include "clean/bereinigen_lauf.h"
#include "shape/dbf/zeichensatz.h"
#include "view/qt/bericht_druck.h"
#include "view/qt/schrift.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <memory>
#include <exception>
#include <mutex>

namespace trelvik {

namespace {

QString qs(const std::string& s) { return QString::fromStdString(s); }

// Long commands run in a worker thread so the window keeps painting. Their status and progress
// reach the window through queued calls; a burst of messages is collapsed into the latest one,
// so a file of many rings does not flood the event queue. The worker touches no widget.
class FensterAnzeige : public PruefAnzeige {
public:
    FensterAnzeige(QLabel* status, QProgressBar* fortschritt)
        : status_(status), fortschritt_(fortschritt) {}
    ~FensterAnzeige() override {
        // Whatever is still queued belongs to the finished run and refers to this object.
        QCoreApplication::sendPostedEvents(status_);
        QCoreApplication::sendPostedEvents(fortschritt_);
    }
    FensterAnzeige(const FensterAnzeige&) = delete;
    FensterAnzeige& operator=(const FensterAnzeige&) = delete;

    void statusAnzeigen(const std::string& text) override {
        std::lock_guard sperre(mutex_);
        statusText_ = text;
        if (statusAusstehend_)
            return;
        statusAusstehend_ = true;
        QMetaObject::invokeMethod(
            status_,
            [this] {
                QString neu;
                {
                    std::lock_guard innen(mutex_);
                    neu = qs(statusText_);
                    statusAusstehend_ = false;
                }
                status_->setText(neu);
                status_->repaint();
            },
            Qt::QueuedConnection);
    }

    void fortschritt(std::int32_t erledigt, std::int32_t alle) override {
        std::lock_guard sperre(mutex_);
        erledigt_ = erledigt;
        alle_ = alle;
        if (fortschrittAusstehend_)
            return;
        fortschrittAusstehend_ = true;
        QMetaObject::invokeMethod(
            fortschritt_,
            [this] {
                std::int32_t fertig = 0;
                std::int32_t gesamt = 0;
                {
                    std::lock_guard innen(mutex_);
                    fertig = erledigt_;
                    gesamt = alle_;
                    fortschrittAusstehend_ = false;
                }
                const int hoechstens = std::max(gesamt, 1);
                fortschritt_->setRange(0, hoechstens);
                fortschritt_->setValue(std::clamp(fertig, 0, hoechstens));
                fortschritt_->setFormat(QStringLiteral("%1 von %2 Sätzen").arg(fertig).arg(gesamt));
            },
            Qt::QueuedConnection);
    }

private:
    QLabel* status_;
    QProgressBar* fortschritt_;
    std::mutex mutex_;
    std::string statusText_;
    bool statusAusstehend_ = false;
    std::int32_t erledigt_ = 0;
    std::int32_t alle_ = 0;
    bool fortschrittAusstehend_ = false;
};

// The hourglass for the life of a command; the pointer before it comes back at its end.
class Sanduhr {
public:
    Sanduhr() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~Sanduhr() { QApplication::restoreOverrideCursor(); }
    Sanduhr(const Sanduhr&) = delete;
    Sanduhr& operator=(const Sanduhr&) = delete;
};

QPlainTextEdit* ergebnisBox(QWidget* eltern, const char* name) {
    auto* box = new QPlainTextEdit(eltern);
    box->setObjectName(QLatin1String(name));
    box->setFont(festeSchrift(9));
    box->setLineWrapMode(QPlainTextEdit::NoWrap);
    box->setReadOnly(true);
    box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    return box;
}

QLabel* beschriftung(QWidget* eltern, const char* name, const QString& text) {
    auto* label = new QLabel(text, eltern);
    label->setObjectName(QLatin1String(name));
    return label;
}

QAction* trenner(QMenu* menu, const char* name) {
    QAction* a = menu->addSeparator();
    a->setObjectName(QLatin1String(name));
    return a;
}

void setzeFarbe(QPlainTextEdit* box, const QColor& farbe) {
    QPalette p = box->palette();
    p.setColor(QPalette::Text, farbe);
    box->setPalette(p);
}

const QString shapeFilter = QStringLiteral("Shape-Dateien (*.SHP *.shp)");

} // namespace

std::string alsBerichtText(const QString& box) {
    std::string aus;
    for (const char c : box.toStdString()) {
        if (c == '\n')
            aus += "\r\n";
        else if (c != '\r')
            aus += c;
    }
    return aus;
}

QString alsBoxText(const std::string& bericht) {
    QString text = qs(bericht);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

Hauptfenster::Hauptfenster(Dialoge& dialoge, const QString& programmOrdner, QWidget* eltern)
    : QMainWindow(eltern), dialoge_(dialoge), programmOrdner_(programmOrdner) {
    setObjectName(QStringLiteral("Hauptfenster"));
    setWindowTitle(QStringLiteral("Trelvik"));
    setWindowIcon(QIcon(logoBild(64)));
    baueMenues();
    baueWerkzeugleiste();
    baueFlaeche();
    resize(1100, 760);

    // Started: only choosing a file, the printer, help, about and end.
    label13_->clear();
    setzePruefbar(false);
    setzeGeprueft(false);
    label3_->clear();
    label10_->clear();
    if (const QScreen* bildschirm = QGuiApplication::primaryScreen()) {
        const QRect flaeche = bildschirm->availableGeometry();
        move(flaeche.x() + (flaeche.width() - width()) / 2,
             flaeche.y() + (flaeche.height() - height()) / 2);
    }

    QString ordner = programmOrdner_;
    while (ordner.size() > 1 && ordner.endsWith(QLatin1Char('/')))
        ordner.chop(1);
    const Einstellungen e = leseEinstellungen(ordner);
    gespeicherterZustand_ = e.fensterZustand;
    projektPfad_ = e.projektPfad;
    shapePfad_.clear();
    text1_->setText(e.t1);
    text2_->setText(e.t2);

    const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
    druckerName_ = standard.isNull() ? QString() : standard.printerName();
    if (druckerName_.isEmpty()) {
        const QStringList alle = QPrinterInfo::availablePrinterNames();
        if (!alle.isEmpty())
            druckerName_ = alle.front();
    }

    const std::string attributDatei = attributDateiPfad(QDir(programmOrdner_).path().toStdString() + "/");
    attributliste_ = leseAttributliste(attributDatei, [this](const std::string& m) {
        dialoge_.meldung(this, qs(m));
    });
}

Hauptfenster::~Hauptfenster() = default;

void Hauptfenster::baueMenues() {
    QMenu* datei = menuBar()->addMenu(QStringLiteral("&Datei"));
    datei->setObjectName(QStringLiteral("menu_datei"));
    menuShapeLaden_ = datei->addAction(QStringLiteral("Datei &laden"), this, &Hauptfenster::shapeLaden);
    menuShapeLaden_->setObjectName(QStringLiteral("menu_shapeladen"));
    trenner(datei, "menu_strich1");
    menuDrucker_ = datei->addAction(QStringLiteral("D&rucker"), this, &Hauptfenster::druckerWaehlen);
    menuDrucker_->setObjectName(QStringLiteral("menu_drucker"));
    trenner(datei, "menu_strich2");
    menuEnde_ = datei->addAction(QStringLiteral("E&nde"), this, &QWidget::close);
    menuEnde_->setObjectName(QStringLiteral("menu_ende"));

    QMenu* trelvik = menuBar()->addMenu(QStringLiteral("&Trelvik"));
    trelvik->setObjectName(QStringLiteral("menu_trelvik"));
    menuPruefen_ = trelvik->addAction(QStringLiteral("&Prüfen"), this, &Hauptfenster::pruefeShape);
    menuPruefen_->setObjectName(QStringLiteral("menu_pruefen"));
    menuBereinigen_ =
        trelvik->addAction(QStringLiteral("&Bereinigen"), this, &Hauptfenster::bereinigeShape);
    menuBereinigen_->setObjectName(QStringLiteral("menu_bereinigen"));
    trenner(trelvik, "menu_strich3");
    menuDrucken_ = trelvik->addAction(QStringLiteral("Auswertung dr&ucken"), this,
                                      &Hauptfenster::druckeAuswertung);
    menuDrucken_->setObjectName(QStringLiteral("menu_drucken"));
    menuSpeichern_ = trelvik->addAction(QStringLiteral("Auswertung s&peichern"), this,
                                        &Hauptfenster::speichereAuswertung);
    menuSpeichern_->setObjectName(QStringLiteral("menu_speichern"));

    QMenu* hilfe = menuBar()->addMenu(QStringLiteral("&?"));
    hilfe->setObjectName(QStringLiteral("menu_hilfe"));
    menuHilfe_ = hilfe->addAction(QStringLiteral("&Hilfe"), this, &Hauptfenster::zeigeHilfe);
    menuHilfe_->setObjectName(QStringLiteral("menu_hilfe_hile"));
    trenner(hilfe, "menu_hilfe_strich");
    menuUeber_ = hilfe->addAction(QStringLiteral("&Über"), this, &Hauptfenster::zeigeUeber);
    menuUeber_->setObjectName(QStringLiteral("menu_hilfe_about"));
}

void Hauptfenster::baueWerkzeugleiste() {
    werkzeuge_ = addToolBar(QStringLiteral("Werkzeuge"));
    werkzeuge_->setObjectName(QStringLiteral("Toolbar"));
    werkzeuge_->setMovable(false);
    werkzeuge_->setIconSize(QSize(24, 24));
    struct Knopf {
        int position;
        const char* schluessel;
        const char* tip;
    };
    const Knopf knoepfe[] = {{1, "open", "Shape-Datei laden"},
                             {4, "print", "Shape-Angaben drucken"},
                             {5, "save", "Shape-Angaben speichern"},
                             {7, "test", "Shape prüfen"},
                             {9, "clean", "Shape bereinigen"},
                             {11, "help", "Hilfe aufrufen"}};
    const Knopf* naechster = knoepfe;
    for (int position = 1; position <= 11; ++position) {
        if (naechster != std::end(knoepfe) && naechster->position == position) {
            const QString schluessel = QLatin1String(naechster->schluessel);
            QAction* a = werkzeuge_->addAction(werkzeugSymbol(schluessel), QString());
            a->setObjectName(QStringLiteral("Toolbar_") + schluessel);
            a->setData(schluessel);
            a->setToolTip(QString::fromUtf8(naechster->tip));
            ++naechster;
        } else {
            werkzeuge_->addSeparator();
        }
    }
    connect(werkzeuge_, &QToolBar::actionTriggered, this,
            [this](QAction* a) { werkzeugKlick(a->data().toString()); });
}

QAction* Hauptfenster::werkzeugPosition(int position) const {
    const QList<QAction*> alle = werkzeuge_->actions();
    if (position < 1 || position > alle.size())
        return nullptr;
    return alle[position - 1];
}

void Hauptfenster::werkzeugKlick(const QString& schluessel) {
    if (schluessel == QLatin1String("print"))
        druckeAuswertung();
    else if (schluessel == QLatin1String("save"))
        speichereAuswertung();
    else if (schluessel == QLatin1String("open"))
        shapeLaden();
    else if (schluessel == QLatin1String("test"))
        pruefeShape();
    else if (schluessel == QLatin1String("clean"))
        bereinigeShape();
    else if (schluessel == QLatin1String("help"))
        zeigeHilfe();
}

void Hauptfenster::baueFlaeche() {
    auto* flaeche = new QWidget(this);
    flaeche->setObjectName(QStringLiteral("Flaeche"));
    setCentralWidget(flaeche);

    auto* logo = new QLabel(flaeche);
    logo->setObjectName(QStringLiteral("Logo"));
    logo->setPixmap(logoBild(56));

    text1_ = new QLineEdit(QStringLiteral("25"), flaeche);
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_ = new QLineEdit(QStringLiteral("25"), flaeche);
    text2_->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit* feld : {text1_, text2_}) {
        feld->setMaximumWidth(90);
        feld->setAlignment(Qt::AlignRight);
        feld->installEventFilter(this);
    }
    auto* schwellen = new QGridLayout;
    schwellen->addWidget(beschriftung(flaeche, "Label4", QStringLiteral("minimaler Punktabstand:")),
                         0, 0);
    schwellen->addWidget(text1_, 0, 1);
    schwellen->addWidget(beschriftung(flaeche, "Label7", QStringLiteral("cm")), 0, 2);
    schwellen->addWidget(beschriftung(flaeche, "Label5", QStringLiteral("minimale Fläche:")), 1, 0);
    schwellen->addWidget(text2_, 1, 1);
    schwellen->addWidget(beschriftung(flaeche, "Label6", QStringLiteral("m²")), 1, 2);

    frame1_ = new QFrame(flaeche);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameShape(QFrame::StyledPanel);
    auto* optionen = new QHBoxLayout(frame1_);
    check4_ = new QCheckBox(QStringLiteral("Vereinfachen"), frame1_);
    check4_->setObjectName(QStringLiteral("Check4"));
    check4_->setToolTip(QStringLiteral(
        "Die Flächen werden vereinfacht: Punkte, die weniger als den minimalen Punktabstand "
        "vom Umriss abweichen, werden weggelassen."));
    check2_ = new QCheckBox(QStringLiteral("Punkte entfernen"), frame1_);
    check2_->setObjectName(QStringLiteral("Check2"));
    check2_->setToolTip(QStringLiteral("Punkte mit minimalen Punktabständen werden entfernt."));
    check1_ = new QCheckBox(QStringLiteral("Min. Flächen entfernen"), frame1_);
    check1_->setObjectName(QStringLiteral("Check1"));
    check1_->setToolTip(QStringLiteral("Flächen mit minimalen Flächen werden entfernt."));
    check3_ = new QCheckBox(QStringLiteral("Ringe anpassen"), frame1_);
    check3_->setObjectName(QStringLiteral("Check3"));
    check3_->setToolTip(
        QStringLiteral("Ringe in Multipolygonen werden dem minimalen Punktabstand angepasst."));
    for (QCheckBox* c : {check4_, check2_, check1_, check3_})
        optionen->addWidget(c);

    auto* kopf = new QHBoxLayout;
    kopf->addWidget(logo);
    kopf->addSpacing(12);
    kopf->addLayout(schwellen);
    kopf->addSpacing(24);
    kopf->addWidget(frame1_);
    kopf->addStretch();

    label10_ = beschriftung(flaeche, "Label10", QString());
    QFont fett = label10_->font();
    fett.setBold(true);
    label10_->setFont(fett);
    label3_ = beschriftung(flaeche, "Label3", QString());
    label13_ = beschriftung(flaeche, "Label13", QString());
    fortschritt_ = new QProgressBar(flaeche);
    fortschritt_->setObjectName(QStringLiteral("Fortschritt"));
    fortschritt_->setMaximumWidth(260);
    fortschritt_->setTextVisible(true);
    fortschritt_->hide();
    auto* zustand = new QHBoxLayout;
    zustand->addWidget(label10_);
    zustand->addSpacing(16);
    zustand->addWidget(label3_, 1);
    zustand->addWidget(label13_);
    zustand->addWidget(fortschritt_);

    text3_ = ergebnisBox(flaeche, "Text3");
    text4_ = ergebnisBox(flaeche, "Text4");
    text5_ = ergebnisBox(flaeche, "Text5");
    text6_ = ergebnisBox(flaeche, "Text6");

    // The geometry report takes the left half at full height; the attribute lists and the
    // projection share the right half.
    auto* ergebnisse = new QGridLayout;
    ergebnisse->addWidget(beschriftung(flaeche, "Label12", QStringLiteral("Prüfungsergebnisse ")),
                          0, 0);
    ergebnisse->addWidget(text3_, 1, 0, 5, 1);
    ergebnisse->addWidget(beschriftung(flaeche, "Label1", QStringLiteral(" Vorhandene Attribute")),
                          0, 1);
    ergebnisse->addWidget(text4_, 1, 1);
    ergebnisse->addWidget(
        beschriftung(flaeche, "Label11", QStringLiteral("Geforderte  Attribute ")), 2, 1);
    ergebnisse->addWidget(text6_, 3, 1);
    ergebnisse->addWidget(beschriftung(flaeche, "Label2", QStringLiteral("Projektionsangaben ")),
                          4, 1);
    ergebnisse->addWidget(text5_, 5, 1);
    ergebnisse->setColumnStretch(0, 1);
    ergebnisse->setColumnStretch(1, 1);
    ergebnisse->setRowStretch(1, 3);
    ergebnisse->setRowStretch(3, 3);
    ergebnisse->setRowStretch(5, 1);

    auto* spalte = new QVBoxLayout(flaeche);
    spalte->addLayout(kopf);
    spalte->addLayout(zustand);
    spalte->addLayout(ergebnisse, 1);
}

bool Hauptfenster::eventFilter(QObject* objekt, QEvent* ereignis) {
    // A threshold field selects its whole text when it gets the focus; later, so that the
    // click that gave the focus does not put the cursor back.
    if (ereignis->type() == QEvent::FocusIn && (objekt == text1_ || objekt == text2_)) {
        auto* feld = static_cast<QLineEdit*>(objekt);
        QTimer::singleShot(0, feld, [feld] { feld->setSelection(0, static_cast<int>(feld->text().size())); });
    }
    return QMainWindow::eventFilter(objekt, ereignis);
}

void Hauptfenster::setzePruefbar(bool verfuegbar) {
    menuPruefen_->setEnabled(verfuegbar);
    werkzeugPosition(7)->setEnabled(verfuegbar);
}

void Hauptfenster::setzeGeprueft(bool verfuegbar) {
    menuSpeichern_->setEnabled(verfuegbar);
    menuDrucken_->setEnabled(verfuegbar);
    werkzeugPosition(4)->setEnabled(verfuegbar);
    werkzeugPosition(5)->setEnabled(verfuegbar);
    werkzeugPosition(9)->setEnabled(verfuegbar);
    menuBereinigen_->setEnabled(verfuegbar);
    frame1_->setEnabled(verfuegbar);
}

void Hauptfenster::leereErgebnisse() {
    for (QPlainTextEdit* box : {text3_, text4_, text5_, text6_})
        box->clear();
}

void Hauptfenster::zeigen() {
    if (gespeicherterZustand_ == 1)
        showMinimized();
    else if (gespeicherterZustand_ == 2)
        showMaximized();
    else
        show();
}

int Hauptfenster::fensterZustand() const {
    if (windowState() & Qt::WindowMinimized)
        return 1;
    if (windowState() & Qt::WindowMaximized)
        return 2;
    return 0;
}

void Hauptfenster::shapeLaden() {
    label10_->clear();
    leereErgebnisse();
    setzeGeprueft(false);
    ladeShape(dialoge_.oeffnen(this, QStringLiteral("Bitte eine Shape-Datei auswählen"),
                               projektPfad_, shapeFilter));
}

void Hauptfenster::ladeShape(const QString& pfad) {
    label10_->clear();
    leereErgebnisse();
    setzeGeprueft(false);
    shapePfad_ = pfad;
    if (!shapePfad_.isEmpty() && QFileInfo(shapePfad_).isFile()) {
        setzePruefbar(true);
        const QFileInfo datei(shapePfad_);
        label10_->setText(datei.fileName());
        projektPfad_ = datei.absolutePath();
    } else {
        setzePruefbar(false);
    }
}

void Hauptfenster::imHintergrund(const std::function<void()>& arbeit) {
    // The window waits in its own loop, which paints and answers the worker's messages but
    // takes no input, so no second command can start meanwhile.
    befehlLaeuft_ = true;
    std::exception_ptr fehler;
    QEventLoop warten;
    std::unique_ptr<QThread> arbeiter(QThread::create([&] {
        try {
            arbeit();
        } catch (...) {
            fehler = std::current_exception();
        }
    }));
    connect(arbeiter.get(), &QThread::finished, &warten, &QEventLoop::quit, Qt::QueuedConnection);
    arbeiter->start();
    warten.exec(QEventLoop::ExcludeUserInputEvents);
    arbeiter->wait();
    befehlLaeuft_ = false;
    if (fehler)
        std::rethrow_exception(fehler);
}

QString Hauptfenster::langerBefehl(const std::function<void(PruefAnzeige&)>& arbeit) {
    QString fehlschlag;
    {
        Sanduhr sanduhr;
        fortschritt_->setRange(0, 0);
        fortschritt_->setFormat(QString());
        fortschritt_->show();
        FensterAnzeige anzeige(label13_, fortschritt_);
        try {
            imHintergrund([&] { arbeit(anzeige); });
        } catch (const std::exception& f) {
            fehlschlag = qs(f.what());
        } catch (...) {
            fehlschlag = QStringLiteral("?");
        }
    }
    fortschritt_->hide();
    return fehlschlag;
}

void Hauptfenster::melde(const std::string& meldung) {
    // From a worker the message waits for the window thread, which shows it modal.
    if (QThread::currentThread() == thread())
        dialoge_.meldung(this, qs(meldung));
    else
        QMetaObject::invokeMethod(
            this, [this, meldung] { dialoge_.meldung(this, qs(meldung)); },
            Qt::BlockingQueuedConnection);
}

void Hauptfenster::pruefeShape() {
    if (befehlLaeuft_ || shapePfad_.isEmpty())
        return;
    label3_->clear();
    leereErgebnisse();
    setzeFarbe(text3_, Qt::black);

    const std::string pfad = shapePfad_.toStdString();
    const std::string abstand = text1_->text().toStdString();
    const std::string flaeche = text2_->text().toStdString();
    PruefTexte ergebnis;
    const QString fehlschlag = langerBefehl([&](PruefAnzeige& anzeige) {
        ergebnis = pruefen(pfad, attributliste_, abstand, flaeche, &anzeige,
                           [this](const std::string& m) { melde(m); });
    });
    label13_->clear();
    if (!fehlschlag.isEmpty()) {
        // Only a geometry library that cannot be loaded gets here.
        dialoge_.meldung(this, QStringLiteral("Die Prüfung ist fehlgeschlagen:\r\n") + fehlschlag);
        return;
    }
    label3_->setText(qs(ergebnis.shapeTypLabel));
    if (!ergebnis.ausgefuehrt) {
        setzePruefbar(false);
        return;
    }
    text4_->setPlainText(alsBoxText(ergebnis.vorhanden));
    text6_->setPlainText(alsBoxText(ergebnis.gefordert));
    text5_->setPlainText(alsBoxText(ergebnis.projektion));
    text3_->setPlainText(alsBoxText(ergebnis.geometrie));
    setzeFarbe(text3_, ergebnis.fehlerfrei ? QColor(0, 128, 0) : QColor(Qt::black));
    setzeGeprueft(true);
}

QString Hauptfenster::zielShapeWaehlen() {
    QString ziel =
        dialoge_.speichern(this, QStringLiteral("Trelvik speichern"), projektPfad_, shapeFilter);
    // A name typed without extension means the shapefile of that name.
    if (!ziel.isEmpty() && QFileInfo(ziel).suffix().isEmpty())
        ziel += QStringLiteral(".shp");
    return ziel;
}

void Hauptfenster::bereinigeShape() {
    if (befehlLaeuft_)
        return;
    const QString ziel = zielShapeWaehlen();
    if (ziel.isEmpty())
        return;
    if (gleicherShapeName(ziel.toStdString(), shapePfad_.toStdString())) {
        dialoge_.meldung(this, QStringLiteral("Bitte einen anderen Shape-Namen angeben."));
        return;
    }
    BereinigungsOptionen o;
    o.kleineFlaechenEntfernen = check1_->isChecked();
    o.punkteEntfernen = check2_->isChecked();
    o.ringeAnpassen = check3_->isChecked();
    o.vereinfachen = check4_->isChecked();
    o.minAbstandText = text1_->text().toStdString();
    o.minFlaecheText = text2_->text().toStdString();
    const std::string quelle = shapePfad_.toStdString();
    const std::string zielPfad = ziel.toStdString();
    // The columns of the new table are those the last check matched.
    const QString fehlschlag = langerBefehl([&](PruefAnzeige& anzeige) {
        letzteBereinigung_ = bereinigen(
            quelle, zielPfad, attributliste_, o, [this](const std::string& m) { melde(m); },
            [&anzeige](std::int32_t erledigt, std::int32_t alle) {
                anzeige.fortschritt(erledigt, alle);
            });
    });
    if (!fehlschlag.isEmpty())
        dialoge_.meldung(this, QStringLiteral("Shape konnte nicht erstellt werden.\r\n") + fehlschlag);
}

BerichtTexte Hauptfenster::berichtTexte() const {
    BerichtTexte t;
    t.shapePfad = shapePfad_.toStdString();
    t.label3 = label3_->text().toStdString();
    t.vorhanden = alsBerichtText(text4_->toPlainText());
    t.gefordert = alsBerichtText(text6_->toPlainText());
    t.projektion = alsBerichtText(text5_->toPlainText());
    t.geometrie = alsBerichtText(text3_->toPlainText());
    return t;
}

void Hauptfenster::druckeAuswertung() {
    const QString name = druckerName_;
    if (!dialoge_.frage(this, QStringLiteral("Ausgabe auf ") + name + QStringLiteral(" starten ?")))
        return;
    bool gedruckt = false;
    {
        Sanduhr sanduhr;
        QPrinter drucker(QPrinter::HighResolution);
        if (!name.isEmpty())
            drucker.setPrinterName(name);
        drucker.setDocName(QStringLiteral("Trelvik ") + label10_->text());
        gedruckt = drucker.isValid() && druckeBericht(drucker, berichtTexte());
    }
    if (!gedruckt)
        dialoge_.meldung(this, QStringLiteral("Ausgabe auf\r\n") + name +
                                   QStringLiteral("\r\nist fehlgeschlagen !"));
}

void Hauptfenster::speichereAuswertung() {
    const QString name = dialoge_.speichern(this, QStringLiteral("TrelvikPrüfung speichern"),
                                            projektPfad_, QStringLiteral("ASCII (*.TXT *.txt)"));
    if (name.size() < 3 || text3_->toPlainText().isEmpty())
        return;
    const BerichtTexte t = berichtTexte();
    const std::string inhalt = inWindows1252(
        berichtDatei(t.shapePfad, t.label3, t.vorhanden, t.gefordert, t.projektion, t.geometrie));
    QFile datei(name);
    const bool geschrieben =
        datei.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        datei.write(inhalt.data(), static_cast<qint64>(inhalt.size())) ==
            static_cast<qint64>(inhalt.size()) &&
        datei.flush();
    if (!geschrieben)
        dialoge_.meldung(this, QStringLiteral("Die Datei\r\n") + name +
                                   QStringLiteral("\r\nkann nicht geschrieben werden."));
}

void Hauptfenster::druckerWaehlen() {
    const QStringList drucker = QPrinterInfo::availablePrinterNames();
    if (drucker.isEmpty()) {
        dialoge_.meldung(this, QStringLiteral("Keine Drucker vorhanden !"));
        return;
    }
    const int position = std::max(0, static_cast<int>(drucker.indexOf(druckerName_)));
    VunDrucker form(drucker, position, this);
    dialoge_.zeigeModal(form);
    std::string wahl = form.auswahl.toStdString();
    const double index = std::nearbyint(textZuZahl(wahl));
    if (index >= 0 && index < static_cast<double>(drucker.size()))
        druckerName_ = drucker[static_cast<qsizetype>(index)];
}

void Hauptfenster::zeigeHilfe() { trelvik::zeigeHilfe(dialoge_, programmOrdner_); }

void Hauptfenster::zeigeUeber() {
    UeberShow ueber(this);
    dialoge_.zeigeModal(ueber);
}

void Hauptfenster::closeEvent(QCloseEvent* ereignis) {
    if (befehlLaeuft_) {
        ereignis->ignore();
        return;
    }
    speichereEinstellungen(fensterZustand(), projektPfad_, text1_->text(), text2_->text());
    ereignis->accept();
}

} // namespace trelvik
