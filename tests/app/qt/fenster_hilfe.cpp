#include "fenster_hilfe.h"

#include <QDir>
#include <QSettings>

namespace trelvik::test {

namespace {

QString vorne(QStringList& liste) { return liste.isEmpty() ? QString() : liste.takeFirst(); }

} // namespace

QString neuerOrdner() {
    static int nummer = 0;
    const QString pfad = ablage() + QStringLiteral("/programm%1").arg(++nummer);
    QDir().mkpath(pfad);
    return pfad + QLatin1Char('/');
}

void einstellungenLeeren() {
    QSettings s(QStringLiteral("TRELVIK"), QStringLiteral("TRELVIK"));
    s.clear();
    s.sync();
}

QString TestDialoge::dateiDialog(int& aufrufe, QStringList& antworten, const QString& t,
                                 const QString& ordner, const QString& filter) {
    ++aufrufe;
    titel << t;
    letzterOrdner = ordner;
    letzterFilter = filter;
    return vorne(antworten);
}

QString TestDialoge::oeffnen(QWidget*, const QString& t, const QString& ordner,
                             const QString& filter) {
    return dateiDialog(oeffnenAufrufe, oeffnenAntworten, t, ordner, filter);
}

QString TestDialoge::speichern(QWidget*, const QString& t, const QString& ordner,
                               const QString& filter) {
    return dateiDialog(speichernAufrufe, speichernAntworten, t, ordner, filter);
}

QString probe(const char* name) {
    return QString::fromStdString(echterPfad(name));
}

} // namespace trelvik::test
