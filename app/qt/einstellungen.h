#pragma once
// The four settings of the window in the per-user store: application "TRELVIK", group "Trelvik",
// every value a string.
#include <QRect>
#include <QString>

namespace trelvik {

struct Einstellungen {
    int fensterZustand = 0; // 0 normal, 1 minimised, 2 maximised; any other number is normal
    QString projektPfad;    // folder of the last chosen shapefile
    QString t1 =
        QStringLiteral("25"); // the threshold fields as the system writes the stored number
    QString t2 = QStringLiteral("25");
};

// Missing values take their defaults: "0", the program folder, "25", "25".
Einstellungen leseEinstellungen(const QString& programmOrdner);

// `t1Feld` and `t2Feld` are the fields' texts; they are stored as whole numbers.
void speichereEinstellungen(int fensterZustand, const QString& projektPfad, const QString& t1Feld,
                            const QString& t2Feld);

// The number of a field by the system's own conversion (the regional decimal separator); text that
// it cannot read is taken by the program's own rule, so "2.5" is 2.5 everywhere.
double feldZahl(const QString& text);

// The system's own text for a number: regional decimal separator, no digit grouping.
QString systemZahlText(double wert);

// What the window keeps beyond those four, in the same group: its place, the chosen printer and
// the folders its save dialogs last used.
struct Sitzung {
    QRect lage; // top-left of the frame and the inner size; empty when none is stored
    QString drucker;
    QString zielOrdner;
    QString berichtOrdner;
};

Sitzung leseSitzung();
void speichereSitzung(const Sitzung& s);

} // namespace trelvik
