#include "app/qt/hauptfenster.h"

#include "app/dateien.h"
#include "app/dateisatz.h"
#include "app/qt/bilder.h"
#include "app/qt/dialoge.h"
#include "app/qt/einstellungen.h"
#include "app/qt/hilfe.h"
#include "app/qt/hintergrund.h"
#include "app/qt/ueber_show.h"
#include "app/qt/vun_drucker.h"
#include "app/zahlen.h"
#include "check/einheit.h"
#include "check/pruef_befehl.h"
#include "clean/bereinigen_lauf.h"
#include "view/bericht.h"
#include "view/qt/bericht_druck.h"
#include "view/qt/schrift.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextBlock>
#include <QUrl>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
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
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <iterator>

namespace trelvik {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

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

QCheckBox* option(QWidget* eltern, const char* name, const char* text, const char* tip) {
    auto* c = new QCheckBox(QString::fromUtf8(text), eltern);
    c->setObjectName(QLatin1String(name));
    c->setToolTip(QString::fromUtf8(tip));
    return c;
}

void setzeFarbe(QPlainTextEdit* box, const QColor& farbe) {
    QPalette p = box->palette();
    p.setColor(QPalette::Text, farbe);
    box->setPalette(p);
}

const QString shapeFilter = QStringLiteral("Shape-Dateien (*.SHP *.shp)");

QString bereinigungsBericht(const BereinigungsErgebnis& e, const QString& ziel) {
    const QString name = QDir::toNativeSeparators(ziel);
    QString text;
    if (e.geschrieben == 0)
        text = QStringLiteral("Es wurde kein einziger Satz geschrieben: nach dem Bereinigen blieb "
                              "von keinem Satz ein Teil übrig.\r\nDas bereinigte Shape\r\n%1\r\n"
                              "ist leer.\r\n\r\n")
                   .arg(name);
    else
        text = QStringLiteral("Das bereinigte Shape\r\n%1\r\nwurde geschrieben.\r\n\r\n").arg(name);
    text += QStringLiteral("Sätze gelesen: %1\r\nSätze geschrieben: %2\r\nSätze verworfen: %3\r\n"
                           "Teile verworfen: %4 von %5\r\n"
                           "Zu breite Werte (mit * gefüllt): %6")
                .arg(e.gelesen)
                .arg(e.geschrieben)
                .arg(e.verworfen)
                .arg(e.teileVerworfen)
                .arg(e.teileGelesen)
                .arg(e.ueberlaeufe);
    return text;
}

// `name` with `endung` (".shp") unless it already ends so in any letter case: a name typed
// without the extension means the file with it.
QString mitEndung(const QString& name, const QString& endung) {
    return name.endsWith(endung, Qt::CaseInsensitive) ? name : name + endung;
}

// The first window size; smaller screens get less.
constexpr QSize ersteGroesse(1100, 760);

// `wunsch` (top-left of the frame, inner size) moved and shrunk into `frei`, the frame
// `rahmen` larger than the inside, so that title bar and edges can be reached; `mindest` is the
// least inner size the layout needs.
QRect eingepasst(const QRect& wunsch, const QRect& frei, const QSize& rahmen,
                 const QSize& mindest) {
    const int breite =
        std::max(std::min(wunsch.width(), frei.width() - rahmen.width()), mindest.width());
    const int hoehe =
        std::max(std::min(wunsch.height(), frei.height() - rahmen.height()), mindest.height());
    const int x =
        std::max(std::min(wunsch.x(), frei.right() + 1 - breite - rahmen.width()), frei.left());
    const int y =
        std::max(std::min(wunsch.y(), frei.bottom() + 1 - hoehe - rahmen.height()), frei.top());
    return {x, y, breite, hoehe};
}

// The toolbar has this many positions; those without a command hold separators.
constexpr int werkzeugPositionen = 11;

} // namespace

// Every command of the window: its menu entry, and its toolbar button when it has a position.
// Menu and toolbar share the command's one action.
struct Hauptfenster::Befehl {
    const char* menu; // objectName of the menu
    const char* name; // objectName of the entry
    const char* text; // caption; nullptr: a separator line
    QAction* Hauptfenster::*aktion = nullptr;
    void (Hauptfenster::*ausfuehren)() = nullptr;
    int position = 0; // 1-based toolbar position; 0: menu only
    const char* schluessel = nullptr;
    const char* tip = nullptr;
    const char* kuerzel = nullptr; // keyboard shortcut beside the mnemonic
};

const Hauptfenster::Befehl Hauptfenster::befehle[] = {
    {"menu_datei", "menu_shapeladen", "Datei &laden", &Hauptfenster::menuShapeLaden_,
     &Hauptfenster::shapeLaden, 1, "open", "Shape-Datei laden", "Ctrl+O"},
    {"menu_datei", "menu_strich1", nullptr},
    {"menu_datei", "menu_drucker", "D&rucker", &Hauptfenster::menuDrucker_,
     &Hauptfenster::druckerWaehlen},
    {"menu_datei", "menu_strich2", nullptr},
    {"menu_datei", "menu_ende", "E&nde", &Hauptfenster::menuEnde_, &Hauptfenster::beenden, 0,
     nullptr, nullptr, "Ctrl+Q"},
    {"menu_trelvik", "menu_pruefen", "&Prüfen", &Hauptfenster::menuPruefen_,
     &Hauptfenster::pruefeShape, 7, "test", "Shape prüfen", "F5"},
    {"menu_trelvik", "menu_bereinigen", "&Bereinigen", &Hauptfenster::menuBereinigen_,
     &Hauptfenster::bereinigeShape, 9, "clean", "Shape bereinigen"},
    {"menu_trelvik", "menu_strich3", nullptr},
    {"menu_trelvik", "menu_drucken", "Auswertung dr&ucken", &Hauptfenster::menuDrucken_,
     &Hauptfenster::druckeAuswertung, 4, "print", "Shape-Angaben drucken", "Ctrl+P"},
    {"menu_trelvik", "menu_speichern", "Auswertung s&peichern", &Hauptfenster::menuSpeichern_,
     &Hauptfenster::speichereAuswertung, 5, "save", "Shape-Angaben speichern", "Ctrl+S"},
    {"menu_trelvik", "menu_karte", "&Karte", &Hauptfenster::menuKarte_, &Hauptfenster::zeigeKarte},
    {"menu_hilfe", "menu_hilfe_hile", "&Hilfe", &Hauptfenster::menuHilfe_,
     &Hauptfenster::zeigeHilfe, 11, "help", "Hilfe aufrufen", "F1"},
    {"menu_hilfe", "menu_hilfe_strich", nullptr},
    {"menu_hilfe", "menu_hilfe_about", "&Über", &Hauptfenster::menuUeber_,
     &Hauptfenster::zeigeUeber},
};

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
    setAcceptDrops(true);
    baueBefehle();
    baueFlaeche();
    lauf_ = std::make_unique<Hintergrundlauf>(label13_, fortschritt_);

    // Started: only choosing a file, the printer, help, about and end.
    label13_->clear();
    setzePruefbar(false);
    setzeGeprueft(false);
    label3_->clear();
    label10_->clear();
    const Sitzung sitzung = leseSitzung();
    stelleLageHer(sitzung.lage);
    zielOrdner_ = sitzung.zielOrdner;
    berichtOrdner_ = sitzung.berichtOrdner;

    QString ordner = programmOrdner_;
    while (ordner.size() > 1 && ordner.endsWith(QLatin1Char('/')))
        ordner.chop(1);
    // Nobody keeps shapefiles in an installed program's folder.
    if (installiert(QDir(programmOrdner_).path().toStdString() + "/"))
        ordner = QDir::homePath();
    const Einstellungen e = leseEinstellungen(ordner);
    gespeicherterZustand_ = e.fensterZustand;
    projektPfad_ = e.projektPfad;
    shapePfad_.clear();
    text1_->setText(e.t1);
    text2_->setText(e.t2);

    druckerName_ = QPrinterInfo::availablePrinterNames().contains(sitzung.drucker)
                       ? sitzung.drucker
                       : standardDrucker();

    const std::string attributDatei =
        attributDateiPfad(QDir(programmOrdner_).path().toStdString() + "/");
    attributliste_ = leseAttributliste(
        attributDatei, [this](const std::string& m) { dialoge_.meldung(this, qs(m)); });
}

Hauptfenster::~Hauptfenster() = default;

QString Hauptfenster::standardDrucker() {
    const QPrinterInfo standard = QPrinterInfo::defaultPrinter();
    if (!standard.isNull() && !standard.printerName().isEmpty())
        return standard.printerName();
    const QStringList alle = QPrinterInfo::availablePrinterNames();
    return alle.isEmpty() ? QString() : alle.front();
}

void Hauptfenster::stelleLageHer(const QRect& gespeichert) {
    const QScreen* bildschirm = nullptr;
    if (!gespeichert.isEmpty())
        bildschirm = QGuiApplication::screenAt(gespeichert.center());
    if (!bildschirm)
        bildschirm = QGuiApplication::primaryScreen();
    if (!bildschirm) {
        resize(gespeichert.isEmpty() ? ersteGroesse : gespeichert.size());
        return;
    }
    const QRect frei = bildschirm->availableGeometry();
    // Before the window is shown its frame is unknown; a title bar and borders are assumed.
    QSize rahmen = frameGeometry().size() - size();
    if (rahmen.isEmpty())
        rahmen = QSize(16, style()->pixelMetric(QStyle::PM_TitleBarHeight) + 16);
    QRect wunsch = gespeichert;
    if (wunsch.isEmpty()) {
        // First start: centred, as large as it fits up to the first size.
        const QSize groesse = ersteGroesse.boundedTo(frei.size() - rahmen);
        wunsch = QRect(frei.x() + (frei.width() - groesse.width() - rahmen.width()) / 2,
                       frei.y() + (frei.height() - groesse.height() - rahmen.height()) / 2,
                       groesse.width(), groesse.height());
    }
    const QRect lage = eingepasst(wunsch, frei, rahmen, minimumSizeHint());
    resize(lage.size());
    move(lage.topLeft());
}

QRect Hauptfenster::lage() const {
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen)))
        return {pos(), size()};
    // The normal place, frame top-left as the restore expects it.
    const QRect normal = normalGeometry();
    return {normal.topLeft() - (geometry().topLeft() - pos()), normal.size()};
}

void Hauptfenster::baueBefehle() {
    const std::pair<const char*, const char*> menues[] = {
        {"menu_datei", "&Datei"}, {"menu_trelvik", "&Trelvik"}, {"menu_hilfe", "&?"}};
    for (const auto& [name, titel] : menues) {
        QMenu* menu = menuBar()->addMenu(QString::fromUtf8(titel));
        menu->setObjectName(QLatin1String(name));
        for (const Befehl& b : befehle) {
            if (std::string_view(b.menu) != name)
                continue;
            if (!b.text) {
                menu->addSeparator()->setObjectName(QLatin1String(b.name));
                continue;
            }
            QAction* a = menu->addAction(QString::fromUtf8(b.text));
            a->setObjectName(QLatin1String(b.name));
            connect(a, &QAction::triggered, this, b.ausfuehren);
            if (b.kuerzel)
                a->setShortcut(QKeySequence(QLatin1String(b.kuerzel)));
            if (b.schluessel) {
                const QString schluessel = QLatin1String(b.schluessel);
                a->setData(schluessel);
                a->setIcon(werkzeugSymbol(schluessel));
                a->setIconVisibleInMenu(false);
                a->setToolTip(QString::fromUtf8(b.tip));
            }
            this->*b.aktion = a;
        }
    }

    werkzeuge_ = addToolBar(QStringLiteral("Werkzeuge"));
    werkzeuge_->setObjectName(QStringLiteral("Toolbar"));
    werkzeuge_->setMovable(false);
    werkzeuge_->setIconSize(QSize(24, 24));
    for (int position = 1; position <= werkzeugPositionen; ++position) {
        const auto b = std::find_if(std::begin(befehle), std::end(befehle),
                                    [position](const Befehl& x) { return x.position == position; });
        if (b != std::end(befehle))
            werkzeuge_->addAction(this->*b->aktion);
        else
            werkzeuge_->addSeparator();
    }
}

QAction* Hauptfenster::werkzeugPosition(int position) const {
    const QList<QAction*> alle = werkzeuge_->actions();
    if (position < 1 || position > alle.size())
        return nullptr;
    return alle[position - 1];
}

void Hauptfenster::werkzeugKlick(const QString& schluessel) {
    for (const Befehl& b : befehle)
        if (b.schluessel && schluessel == QLatin1String(b.schluessel))
            (this->*b.ausfuehren)();
}

void Hauptfenster::beenden() {
    close();
}

bool Hauptfenster::befehlLaeuft() const {
    return lauf_->laeuft();
}

void Hauptfenster::baueFlaeche() {
    auto* flaeche = new QWidget(this);
    flaeche->setObjectName(QStringLiteral("Flaeche"));
    setCentralWidget(flaeche);

    auto* logo = new QLabel(flaeche);
    logo->setObjectName(QStringLiteral("Logo"));
    logo->setPixmap(logoBild(56));

    // The options stand below the thresholds, so that a window of 800 pixels holds both.
    auto* eingaben = new QVBoxLayout;
    eingaben->addLayout(baueSchwellen(flaeche));
    eingaben->addWidget(baueOptionen(flaeche), 0, Qt::AlignLeft);
    auto* kopf = new QHBoxLayout;
    kopf->addWidget(logo, 0, Qt::AlignTop);
    kopf->addSpacing(12);
    kopf->addLayout(eingaben);
    kopf->addStretch();

    auto* spalte = new QVBoxLayout(flaeche);
    spalte->addLayout(kopf);
    spalte->addLayout(baueZustand(flaeche));
    spalte->addLayout(baueErgebnisse(flaeche), 1);
}

QLayout* Hauptfenster::baueSchwellen(QWidget* flaeche) {
    text1_ = new QLineEdit(QStringLiteral("25"), flaeche);
    text1_->setObjectName(QStringLiteral("Text1"));
    text2_ = new QLineEdit(QStringLiteral("25"), flaeche);
    text2_->setObjectName(QStringLiteral("Text2"));
    for (QLineEdit* feld : {text1_, text2_}) {
        // Room for a number with decimals, however narrow the window.
        feld->setFixedWidth(std::max(
            90, feld->fontMetrics().horizontalAdvance(QStringLiteral("0000000,000")) + 16));
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
    schwellen->setColumnStretch(3, 1);
    return schwellen;
}

QWidget* Hauptfenster::baueOptionen(QWidget* flaeche) {
    frame1_ = new QFrame(flaeche);
    frame1_->setObjectName(QStringLiteral("Frame1"));
    frame1_->setFrameShape(QFrame::StyledPanel);
    check4_ = option(frame1_, "Check4", "Vereinfachen",
                     "Die Flächen werden vereinfacht: Punkte, die weniger als den minimalen "
                     "Punktabstand vom Umriss abweichen, werden weggelassen.");
    check2_ = option(frame1_, "Check2", "Punkte entfernen",
                     "Punkte mit minimalen Punktabständen werden entfernt.");
    check1_ = option(frame1_, "Check1", "Min. Flächen entfernen",
                     "Flächen mit minimalen Flächen werden entfernt.");
    check3_ = option(frame1_, "Check3", "Ringe anpassen",
                     "Ringe in Multipolygonen werden dem minimalen Punktabstand angepasst.");
    auto* optionen = new QHBoxLayout(frame1_);
    for (QCheckBox* c : {check4_, check2_, check1_, check3_})
        optionen->addWidget(c);
    return frame1_;
}

QLayout* Hauptfenster::baueZustand(QWidget* flaeche) {
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
    abbrechen_ = new QPushButton(QStringLiteral("Abbrechen"), flaeche);
    abbrechen_->setObjectName(QStringLiteral("Abbrechen"));
    abbrechen_->setShortcut(QKeySequence(Qt::Key_Escape));
    abbrechen_->setToolTip(QStringLiteral("Den laufenden Befehl abbrechen (Esc)"));
    abbrechen_->hide();
    connect(abbrechen_, &QPushButton::clicked, this, [this] { lauf_->abbrechen(); });
    auto* zustand = new QHBoxLayout;
    zustand->addWidget(label10_);
    zustand->addSpacing(16);
    zustand->addWidget(label3_, 1);
    zustand->addWidget(label13_);
    zustand->addWidget(fortschritt_);
    zustand->addWidget(abbrechen_);
    return zustand;
}

QLayout* Hauptfenster::baueErgebnisse(QWidget* flaeche) {
    text3_ = ergebnisBox(flaeche, "Text3");
    text3_->viewport()->installEventFilter(this);
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
    ergebnisse->addWidget(beschriftung(flaeche, "Label2", QStringLiteral("Projektionsangaben ")), 4,
                          1);
    ergebnisse->addWidget(text5_, 5, 1);
    ergebnisse->setColumnStretch(0, 1);
    ergebnisse->setColumnStretch(1, 1);
    ergebnisse->setRowStretch(1, 3);
    ergebnisse->setRowStretch(3, 3);
    ergebnisse->setRowStretch(5, 1);
    return ergebnisse;
}

bool Hauptfenster::eventFilter(QObject* objekt, QEvent* ereignis) {
    // A threshold field selects its whole text when it gets the focus; later, so that the
    // click that gave the focus does not put the cursor back.
    if (ereignis->type() == QEvent::FocusIn && (objekt == text1_ || objekt == text2_)) {
        auto* feld = static_cast<QLineEdit*>(objekt);
        QTimer::singleShot(
            0, feld, [feld] { feld->setSelection(0, static_cast<int>(feld->text().size())); });
    }
    // A double-click on a report line with a place opens the map there.
    if (ereignis->type() == QEvent::MouseButtonDblClick && objekt == text3_->viewport() &&
        menuKarte_->isEnabled()) {
        const auto* maus = static_cast<QMouseEvent*>(ereignis);
        double x = 0, y = 0;
        if (ortAusBerichtZeile(text3_->cursorForPosition(maus->position().toPoint()).block().text(),
                               x, y)) {
            zeigeKarteBei(x, y);
            return true;
        }
    }
    return QMainWindow::eventFilter(objekt, ereignis);
}

void Hauptfenster::zeigeKarte() {
    if (!menuKarte_->isEnabled())
        return;
    if (!karte_)
        karte_ = new Karte(bericht_.shapePfad, pruefung_, this);
    karte_->show();
    karte_->raise();
    karte_->activateWindow();
}

void Hauptfenster::zeigeKarteBei(double x, double y) {
    zeigeKarte();
    if (karte_)
        karte_->flaeche()->zentriere(x, y);
}

void Hauptfenster::dragEnterEvent(QDragEnterEvent* ereignis) {
    const QList<QUrl> urls = ereignis->mimeData()->urls();
    if (!lauf_->laeuft() && urls.size() == 1 && urls.front().isLocalFile() &&
        urls.front().toLocalFile().endsWith(QStringLiteral(".shp"), Qt::CaseInsensitive))
        ereignis->acceptProposedAction();
}

void Hauptfenster::dropEvent(QDropEvent* ereignis) {
    const QList<QUrl> urls = ereignis->mimeData()->urls();
    if (lauf_->laeuft() || urls.size() != 1 || !urls.front().isLocalFile())
        return;
    ladeShape(urls.front().toLocalFile());
    ereignis->acceptProposedAction();
}

void Hauptfenster::setzePruefbar(bool verfuegbar) {
    menuPruefen_->setEnabled(verfuegbar);
}

void Hauptfenster::setzeGeprueft(bool verfuegbar) {
    menuSpeichern_->setEnabled(verfuegbar);
    menuDrucken_->setEnabled(verfuegbar);
    menuBereinigen_->setEnabled(verfuegbar);
    menuKarte_->setEnabled(verfuegbar);
    frame1_->setEnabled(verfuegbar);
}

void Hauptfenster::leereErgebnisse() {
    for (QPlainTextEdit* box : {text3_, text4_, text5_, text6_})
        box->clear();
    bericht_ = {};
    pruefung_ = {};
    if (karte_)
        karte_->deleteLater();
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
    const QString pfad = dialoge_.oeffnen(this, QStringLiteral("Bitte eine Shape-Datei auswählen"),
                                          projektPfad_, shapeFilter);
    // A cancelled dialog keeps the file, its results and what they allow.
    if (!pfad.isEmpty())
        ladeShape(pfad);
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

QString Hauptfenster::imHintergrund(const QString& was,
                                    const std::function<void(PruefAnzeige&)>& arbeit) {
    // Fields, options and commands are disabled for the run, so what the user types or clicks
    // meanwhile goes nowhere; ending the program stays possible and asks first.
    const QPointer<QWidget> fokus = QApplication::focusWidget();
    std::vector<std::pair<QObject*, bool>> vorher;
    const auto sperre = [&](auto* element) {
        vorher.emplace_back(element, element->isEnabled());
        element->setEnabled(false);
    };
    for (QWidget* w : std::initializer_list<QWidget*>{text1_, text2_, frame1_})
        sperre(w);
    for (const Befehl& b : befehle)
        if (b.aktion && b.aktion != &Hauptfenster::menuEnde_)
            sperre(this->*b.aktion);
    laufName_ = was;
    abbrechen_->show();
    const QString fehlschlag = lauf_->ausfuehren(arbeit);
    abbrechen_->hide();
    for (const auto& [element, an] : vorher) {
        if (auto* w = qobject_cast<QWidget*>(element))
            w->setEnabled(an);
        else
            static_cast<QAction*>(element)->setEnabled(an);
    }
    if (fokus && fokus->isEnabled())
        fokus->setFocus();
    return fehlschlag;
}

bool Hauptfenster::schliesseNachLauf() {
    if (!schliessenNachLauf_)
        return false;
    schliessenNachLauf_ = false;
    close();
    return true;
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
    if (lauf_->laeuft() || shapePfad_.isEmpty())
        return;
    const std::string abstand = text1_->text().toStdString();
    const std::string flaeche = text2_->text().toStdString();
    // A threshold that is no number runs nothing and leaves the last results as they are.
    if (const std::string m = schwellenFehler(abstand, flaeche); !m.empty()) {
        dialoge_.meldung(this, qs(m));
        return;
    }
    // The boxes are emptied, so what needs a finished check waits for this one.
    label3_->clear();
    leereErgebnisse();
    setzeGeprueft(false);
    setzeFarbe(text3_, Qt::black);

    const std::string pfad = shapePfad_.toStdString();
    PruefTexte ergebnis;
    const QString fehlschlag =
        imHintergrund(QStringLiteral("Die Prüfung"), [&](PruefAnzeige& anzeige) {
            ergebnis = pruefen(pfad, attributliste_, abstand, flaeche, &anzeige,
                               [this](const std::string& m) { melde(m); });
        });
    label13_->clear();
    if (schliesseNachLauf())
        return;
    if (lauf_->abgebrochen()) {
        // A stopped check leaves the file chosen and unchecked.
        dialoge_.meldung(this, QStringLiteral("Die Prüfung wurde abgebrochen."));
        return;
    }
    if (!fehlschlag.isEmpty()) {
        // Only a geometry library that cannot be loaded gets here.
        dialoge_.meldung(this, QStringLiteral("Die Prüfung ist fehlgeschlagen:\r\n") + fehlschlag);
        return;
    }
    label3_->setText(qs(ergebnis.shapeTypLabel));
    const QString unvollstaendig = qs(pruefFehlschlag(ergebnis, pfad));
    if (!ergebnis.ausgefuehrt || !ergebnis.pruefung.geoeffnet) {
        // Nothing was read: the file stays chosen and unchecked, so it can be checked again
        // once its set is whole.
        dialoge_.meldung(this, unvollstaendig);
        return;
    }
    text4_->setPlainText(alsBoxText(ergebnis.vorhanden));
    text6_->setPlainText(alsBoxText(ergebnis.gefordert));
    text5_->setPlainText(alsBoxText(ergebnis.projektion));
    text3_->setPlainText(alsBoxText(ergebnis.geometrie));
    bericht_ = {pfad,
                ergebnis.shapeTypLabel,
                ergebnis.vorhanden,
                ergebnis.gefordert,
                ergebnis.projektion,
                ergebnis.geometrie};
    setzeFarbe(text3_, !unvollstaendig.isEmpty() ? QColor(Qt::red)
                       : ergebnis.fehlerfrei     ? QColor(0, 128, 0)
                                                 : QColor(Qt::black));
    pruefung_ = std::move(ergebnis.pruefung);
    // A report of a run that stopped early says so in its last line, so it may be saved and
    // printed; the clean refuses such a source itself.
    setzeGeprueft(true);
    label13_->setText(qs(einheitWarnung(pfad)));
    if (!unvollstaendig.isEmpty())
        dialoge_.meldung(this, unvollstaendig);
}

QString Hauptfenster::zielShapeWaehlen() {
    const QString gewaehlt =
        dialoge_.speichern(this, QStringLiteral("Trelvik speichern"),
                           zielOrdner_.isEmpty() ? projektPfad_ : zielOrdner_, shapeFilter);
    if (gewaehlt.isEmpty())
        return {};
    const QString ziel = mitEndung(gewaehlt, QStringLiteral(".shp"));
    zielOrdner_ = QFileInfo(ziel).absolutePath();
    // The source itself is refused before anything is asked about replacing it.
    if (gleicherShapeName(ziel.toStdString(), shapePfad_.toStdString())) {
        dialoge_.meldung(this, QStringLiteral("Bitte einen anderen Shape-Namen angeben."));
        return {};
    }
    const QString basis = ziel.chopped(3);
    bool vorhanden = false;
    for (const char* endung : {"shp", "shx", "dbf"})
        vorhanden = vorhanden || QFileInfo::exists(basis + QLatin1String(endung));
    if (vorhanden && !dialoge_.frage(this, QStringLiteral("Das Shape\r\n%1\r\nist schon vorhanden. "
                                                          "Soll es ersetzt werden?")
                                               .arg(QDir::toNativeSeparators(ziel))))
        return {};
    return ziel;
}

void Hauptfenster::bereinigeShape() {
    if (lauf_->laeuft())
        return;
    if (const std::string m = schwellenFehler(text1_->text().toStdString(),
                                              text2_->text().toStdString());
        !m.empty()) {
        dialoge_.meldung(this, qs(m));
        return;
    }
    const QString ziel = zielShapeWaehlen();
    if (ziel.isEmpty())
        return;
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
    const QString fehlschlag =
        imHintergrund(QStringLiteral("Das Bereinigen"), [&](PruefAnzeige& anzeige) {
            const Melder melder = [this](const std::string& m) { melde(m); };
            const Fortschritt fortschritt = [&anzeige](std::int32_t erledigt, std::int32_t alle) {
                anzeige.fortschritt(erledigt, alle);
            };
            letzteBereinigung_ =
                bereinigen(quelle, zielPfad, attributliste_, o, melder, fortschritt,
                           [&anzeige] { return anzeige.abbrechen(); });
        });
    label13_->clear();
    if (schliesseNachLauf())
        return;
    const BereinigungsErgebnis& e = letzteBereinigung_;
    if (!fehlschlag.isEmpty())
        dialoge_.meldung(this,
                         QStringLiteral("Shape konnte nicht erstellt werden.\r\n") + fehlschlag);
    else if (lauf_->abgebrochen() && !e.erfolgreich)
        dialoge_.meldung(this, QStringLiteral("Das Bereinigen wurde abgebrochen."));
    else if (e.gelaufen && e.erfolgreich)
        // Failures have had their message from the run itself.
        dialoge_.meldung(this, bereinigungsBericht(e, ziel));
}

BerichtTexte Hauptfenster::berichtTexte() const {
    // The boxes cannot be edited, so they hold these texts as the check gave them; kept as
    // they came, the report has every byte of them, also what a box would show differently.
    return bericht_;
}

void Hauptfenster::druckeAuswertung() {
    // No printer chosen, or the chosen one gone: the system's default.
    if (!QPrinterInfo::availablePrinterNames().contains(druckerName_))
        druckerName_ = standardDrucker();
    const QString name = druckerName_;
    if (name.isEmpty()) {
        dialoge_.meldung(this, QStringLiteral("Keine Drucker vorhanden !"));
        return;
    }
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
    const QString gewaehlt =
        dialoge_.speichern(this, QStringLiteral("TrelvikPrüfung speichern"),
                           berichtOrdner_.isEmpty() ? projektPfad_ : berichtOrdner_,
                           QStringLiteral("ASCII (*.TXT *.txt)"));
    if (gewaehlt.size() < 3 || text3_->toPlainText().isEmpty())
        return;
    const QString name = mitEndung(gewaehlt, QStringLiteral(".TXT"));
    berichtOrdner_ = QFileInfo(name).absolutePath();
    if (QFileInfo::exists(name) &&
        !dialoge_.frage(this, QStringLiteral("Die Datei\r\n%1\r\nist schon vorhanden. "
                                             "Soll sie ersetzt werden?")
                                  .arg(QDir::toNativeSeparators(name))))
        return;
    // The same bytes as the command line's saved report: UTF-8 with CR LF.
    const BerichtTexte t = berichtTexte();
    const std::string inhalt =
        berichtDatei(t.shapePfad, t.label3, t.vorhanden, t.gefordert, t.projektion, t.geometrie);
    std::string grund;
    if (!schreibeGanz(QFile::encodeName(name).toStdString(), inhalt, grund))
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

void Hauptfenster::zeigeHilfe() {
    if (!trelvik::zeigeHilfe(dialoge_, programmOrdner_).isEmpty())
        return;
    const QString datei = QDir::toNativeSeparators(hilfeDatei(programmOrdner_));
    if (QFileInfo::exists(datei))
        dialoge_.meldung(this,
                         QStringLiteral("Es wurde kein Programm gefunden, das die Hilfe "
                                        "anzeigen kann.\r\nDie Hilfe steht in der Datei\r\n") +
                             datei);
    else
        dialoge_.meldung(this,
                         QStringLiteral("Die Hilfedatei\r\n%1\r\nist nicht vorhanden.").arg(datei));
}

void Hauptfenster::zeigeUeber() {
    UeberShow ueber(this);
    dialoge_.zeigeModal(ueber);
}

void Hauptfenster::closeEvent(QCloseEvent* ereignis) {
    if (lauf_->laeuft()) {
        // The run cannot be left behind: it is asked to stop, and the window closes when it has.
        ereignis->ignore();
        if (!schliessenNachLauf_ &&
            dialoge_.frage(this, laufName_ + QStringLiteral(" läuft noch. Abbrechen und "
                                                            "Trelvik beenden?"))) {
            schliessenNachLauf_ = true;
            lauf_->abbrechen();
        }
        return;
    }
    speichereEinstellungen(fensterZustand(), projektPfad_, text1_->text(), text2_->text());
    speichereSitzung({lage(), druckerName_, zielOrdner_, berichtOrdner_});
    ereignis->accept();
}

} // namespace trelvik
