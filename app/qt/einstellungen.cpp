#include "app/qt/einstellungen.h"

#include "app/zahlen.h"

#include <QLocale>
#include <QSettings>

#include <cmath>

namespace trelvik {

namespace {

constexpr const char* gruppe = "Trelvik";

QString lies(QSettings& s, const char* schluessel, const QString& vorgabe) {
    const QVariant wert = s.value(QLatin1String(schluessel));
    return wert.isValid() ? wert.toString() : vorgabe;
}

QLocale systemZahlen() {
    QLocale ort;
    // A grouped "1,234" would read back through textZuZahl as 1.234.
    ort.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    return ort;
}

QString ganzzahlText(const QString& feld) {
    return QString::fromStdString(formatCheck(feldZahl(feld), "0"));
}

} // namespace

Einstellungen leseEinstellungen(const QString& programmOrdner) {
    QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
    s.beginGroup(QLatin1String(gruppe));
    Einstellungen e;
    const double zustand = textZuZahl(lies(s, "WState", QStringLiteral("0")).toStdString());
    // Rounded like the other whole numbers of the settings: halves to the even neighbour.
    const double gerundet = std::nearbyint(zustand);
    e.fensterZustand = (gerundet == 1 || gerundet == 2) ? static_cast<int>(gerundet) : 0;
    e.projektPfad = lies(s, "ProjectPath", programmOrdner);
    e.t1 = systemZahlText(textZuZahl(lies(s, "T1", QStringLiteral("25")).toStdString()));
    e.t2 = systemZahlText(textZuZahl(lies(s, "T2", QStringLiteral("25")).toStdString()));
    return e;
}

void speichereEinstellungen(int fensterZustand, const QString& projektPfad, const QString& t1Feld,
                            const QString& t2Feld) {
    QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
    s.beginGroup(QLatin1String(gruppe));
    s.setValue(QStringLiteral("WState"), QString::fromStdString(formatCheck(fensterZustand, "0")));
    s.setValue(QStringLiteral("ProjectPath"), projektPfad);
    s.setValue(QStringLiteral("T1"), ganzzahlText(t1Feld));
    s.setValue(QStringLiteral("T2"), ganzzahlText(t2Feld));
    s.endGroup();
    s.sync();
}

double feldZahl(const QString& text) {
    bool gelesen = false;
    const double wert = systemZahlen().toDouble(text.trimmed(), &gelesen);
    if (gelesen && std::isfinite(wert))
        return wert;
    return textZuZahl(text.toStdString());
}

QString systemZahlText(double wert) {
    return systemZahlen().toString(wert, 'f', QLocale::FloatingPointShortest);
}

Sitzung leseSitzung() {
    QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
    s.beginGroup(QLatin1String(gruppe));
    Sitzung sitzung;
    const QStringList lage = lies(s, "Geometry", QString()).split(QLatin1Char(' '));
    if (lage.size() == 4) {
        bool gelesen[4] = {};
        const QRect r(lage[0].toInt(&gelesen[0]), lage[1].toInt(&gelesen[1]),
                      lage[2].toInt(&gelesen[2]), lage[3].toInt(&gelesen[3]));
        if (gelesen[0] && gelesen[1] && gelesen[2] && gelesen[3])
            sitzung.lage = r;
    }
    sitzung.drucker = lies(s, "Printer", QString());
    sitzung.zielOrdner = lies(s, "TargetPath", QString());
    sitzung.berichtOrdner = lies(s, "ReportPath", QString());
    return sitzung;
}

void speichereSitzung(const Sitzung& sitzung) {
    QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
    s.beginGroup(QLatin1String(gruppe));
    const QRect& r = sitzung.lage;
    s.setValue(QStringLiteral("Geometry"),
               QStringLiteral("%1 %2 %3 %4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()));
    s.setValue(QStringLiteral("Printer"), sitzung.drucker);
    s.setValue(QStringLiteral("TargetPath"), sitzung.zielOrdner);
    s.setValue(QStringLiteral("ReportPath"), sitzung.berichtOrdner);
    s.endGroup();
    s.sync();
}

} // namespace trelvik
