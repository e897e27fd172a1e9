#pragma once
// The main window: menus, toolbar, threshold fields, cleaning options and the four result boxes;
// it owns the chosen shapefile, the project folder, the required attribute list and the
// printer choice, and routes every command.
#include "app/qt/karte.h"
#include "check/attributliste.h"
#include "check/pruef_lauf.h"
#include "clean/bereinigen_lauf.h"
#include "view/qt/bericht_druck.h"

#include <QMainWindow>
#include <QPointer>
#include <QString>

#include <functional>
#include <memory>
#include <string>

class QAction;
class QCheckBox;
class QFrame;
class QLabel;
class QLayout;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace trelvik {

class Dialoge;
class Hintergrundlauf;
class PruefAnzeige;

class Hauptfenster : public QMainWindow {
    Q_OBJECT
public:
    // `programmOrdner` holds Attribute.txt and the help; it is the default project folder.
    Hauptfenster(Dialoge& dialoge, const QString& programmOrdner, QWidget* eltern = nullptr);
    ~Hauptfenster() override;

    // Shows the window in the stored state: minimised, maximised or normal.
    void zeigen();

    // The commands, as the menus and the toolbar start them.
    void shapeLaden();
    // What the open dialog does with its answer: `pfad` becomes the chosen file ("" or a
    // missing file: nothing is chosen).
    void ladeShape(const QString& pfad);
    void druckerWaehlen();
    void pruefeShape();
    void bereinigeShape();
    void druckeAuswertung();
    void speichereAuswertung();
    void zeigeHilfe();
    void zeigeUeber();
    // The save dialog of the clean command: the target's ".shp" name, "" when cancelled, when
    // it names the source, or when an existing target is not to be replaced.
    QString zielShapeWaehlen();

    // Routes a toolbar click by its key; an unknown key does nothing.
    void werkzeugKlick(const QString& schluessel);

    // The toolbar entry at a 1-based position (separators included).
    QAction* werkzeugPosition(int position) const;

    const QString& shapePfad() const { return shapePfad_; }
    const QString& projektPfad() const { return projektPfad_; }
    const QString& druckerName() const { return druckerName_; }
    const Attributliste& attributliste() const { return attributliste_; }
    // True while a check or a clean run works in the background.
    bool befehlLaeuft() const;
    // The map of the last check, opened by "&Karte" or a double-click on a report line; null
    // until then.
    Karte* karte() const { return karte_; }
    // Opens the map of the last check, centred on (x, y) when given.
    void zeigeKarte();
    void zeigeKarteBei(double x, double y);
    // What the last clean run did.
    const BereinigungsErgebnis& letzteBereinigung() const { return letzteBereinigung_; }

protected:
    void closeEvent(QCloseEvent* ereignis) override;
    bool eventFilter(QObject* objekt, QEvent* ereignis) override;
    // A .shp dropped onto the window is taken as if chosen in the open dialog.
    void dragEnterEvent(QDragEnterEvent* ereignis) override;
    void dropEvent(QDropEvent* ereignis) override;

private:
    struct Befehl;
    static const Befehl befehle[];

    // The menus and the toolbar from the command table.
    void baueBefehle();
    // The window's surface, area by area: threshold fields, cleaning options, the status row
    // and the result boxes.
    void baueFlaeche();
    QLayout* baueSchwellen(QWidget* flaeche);
    QWidget* baueOptionen(QWidget* flaeche);
    QLayout* baueZustand(QWidget* flaeche);
    QLayout* baueErgebnisse(QWidget* flaeche);
    void beenden();
    void setzeGeprueft(bool verfuegbar);
    void setzePruefbar(bool verfuegbar);
    void leereErgebnisse();
    BerichtTexte berichtTexte() const;
    int fensterZustand() const;
    // Size and place from the settings (empty: first start), fitted into the screen.
    void stelleLageHer(const QRect& gespeichert);
    // Top-left of the frame and the inner size of the normal window.
    QRect lage() const;
    static QString standardDrucker();
    void melde(const std::string& meldung);
    // A long command: `arbeit` runs in the background while fields, options and commands are
    // disabled and "Abbrechen" is shown. `was` names it in the closing question ("Die Prüfung").
    // Returns the text of what it threw, "" when it ran through.
    QString imHintergrund(const QString& was, const std::function<void(PruefAnzeige&)>& arbeit);
    // After a run: closes the window when that was asked for meanwhile; true then.
    bool schliesseNachLauf();

    Dialoge& dialoge_;
    QString programmOrdner_;
    QString shapePfad_;
    QString projektPfad_;
    QString druckerName_;
    QString zielOrdner_;    // last folder of a cleaned target; "" until one is chosen
    QString berichtOrdner_; // last folder of a saved report
    int gespeicherterZustand_ = 0;
    Attributliste attributliste_;
    BerichtTexte bericht_; // the texts of the last check, as the result boxes show them
    std::unique_ptr<Hintergrundlauf> lauf_;
    QString laufName_;
    bool schliessenNachLauf_ = false;
    BereinigungsErgebnis letzteBereinigung_;
    GeometriePruefung pruefung_; // the findings of the last check, for the map
    QPointer<Karte> karte_;

    QAction* menuShapeLaden_ = nullptr;
    QAction* menuDrucker_ = nullptr;
    QAction* menuEnde_ = nullptr;
    QAction* menuPruefen_ = nullptr;
    QAction* menuBereinigen_ = nullptr;
    QAction* menuDrucken_ = nullptr;
    QAction* menuSpeichern_ = nullptr;
    QAction* menuHilfe_ = nullptr;
    QAction* menuUeber_ = nullptr;
    QAction* menuKarte_ = nullptr;
    QToolBar* werkzeuge_ = nullptr;

    QLineEdit* text1_ = nullptr;
    QLineEdit* text2_ = nullptr;
    QPlainTextEdit* text3_ = nullptr;
    QPlainTextEdit* text4_ = nullptr;
    QPlainTextEdit* text5_ = nullptr;
    QPlainTextEdit* text6_ = nullptr;
    QLabel* label3_ = nullptr;
    QLabel* label10_ = nullptr;
    QLabel* label13_ = nullptr;
    QProgressBar* fortschritt_ = nullptr;
    QPushButton* abbrechen_ = nullptr;
    QFrame* frame1_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* check2_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QCheckBox* check4_ = nullptr;
};

// A box's text with CR LF line ends, as the reports expect; and back for the box.
std::string alsBerichtText(const QString& box);
QString alsBoxText(const std::string& bericht);

} // namespace trelvik
