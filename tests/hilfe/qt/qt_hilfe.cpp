#include "hilfe/qt/qt_hilfe.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QSettings>
#include <QStringList>
#include <QTemporaryDir>

namespace trelvik::test {

namespace {

QTemporaryDir& wurzel() {
    static QTemporaryDir ordner(QDir::tempPath() + QStringLiteral("/trelvik-qt-XXXXXX"));
    return ordner;
}

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
    static char name[] = "trelvik-test";
    static char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const QString einstellungen = wurzel().filePath(QStringLiteral("einstellungen"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, einstellungen);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, einstellungen);
    app = new QApplication(argc, argv);
}

QString ablage() {
    return wurzel().path();
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
