#include "fenster_hilfe.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>


namespace trelvik::test {

namespace {

QTemporaryDir& wurzel() {
    static QTemporaryDir ordner(QDir::tempPath() + QStringLiteral("/trelvik-fenster-XXXXXX"));
    return ordner;
}

QString vorne(QStringList& liste) { return liste.isEmpty() ? QString() : liste.takeFirst(); }

QString ausgabe(const QString& programm, const QStringList& argumente) {
    QProcess p;
    p.start(programm, argumente);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return QStringLiteral("<%1 failed: %2>").arg(programm, QString::fromLocal8Bit(p.readAllStandardError()));
    return QString::fromUtf8(p.readAllStandardOutput());
}

} // namespace

void anwendung() {
    // Never destroyed: the widgets of Qt's own statics must not outlive it at exit.
    static QApplication* app = nullptr;
    if (app)
        return;
    static int argc = 1;
    static char name[] = "test_fenster";
    static char* argv[] = {name, nullptr};
    const QString einstellungen = wurzel().filePath(QStringLiteral("einstellungen"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, einstellungen);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, einstellungen);
    app = new QApplication(argc, argv);
}

QString neuerOrdner() {
    static int nummer = 0;
    const QString pfad = wurzel().filePath(QStringLiteral("programm%1").arg(++nummer));
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
    return QStringLiteral(TRELVIK_TESTDATEN "/real/%1/%1.shp").arg(QLatin1String(name));
}

std::string pdfText(const QString& pdf) {
    return ausgabe(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")})
        .toStdString();
}

int pdfSeiten(const QString& pdf) {
    const QString info = ausgabe(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& zeile : info.split(QLatin1Char('\n')))
        if (zeile.startsWith(QLatin1String("Pages:")))
            return zeile.mid(6).trimmed().toInt();
    return -1;
}

} // namespace trelvik::test
