// The Trelvik program: the main window.
//
//   trelvik [FILE.shp [--check] [--map] [--screenshot OUT.png]]
//
// A file given on the command line is chosen as if picked in the open dialog (so a desktop's
// "open with" works); --check then checks it at once, and --screenshot saves a picture of the
// window after that and ends the program (for the documentation); with --map the picture is of
// the map window opened after the check.
#include "app/dateien.h"
#include "app/qt/dialoge.h"
#include "app/qt/hauptfenster.h"

#include <QApplication>
#include <QFileInfo>
#include <QPixmap>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TRELVIK"));
    QApplication::setOrganizationName(QStringLiteral("TRELVIK"));
    // Ties the window to trelvik.desktop, so the desktop shows its icon and name.
    QGuiApplication::setDesktopFileName(QStringLiteral("trelvik"));

    QString datei;
    QString bildDatei;
    bool pruefen = false;
    bool karte = false;
    const QStringList argumente = QApplication::arguments().mid(1);
    for (qsizetype i = 0; i < argumente.size(); ++i) {
        const QString& a = argumente[i];
        if (a == QLatin1String("--check")) {
            pruefen = true;
        } else if (a == QLatin1String("--map")) {
            karte = true;
        } else if (a == QLatin1String("--screenshot") && i + 1 < argumente.size()) {
            bildDatei = argumente[++i];
        } else if (a.startsWith(QLatin1String("--")) || !datei.isEmpty()) {
            std::fprintf(stderr,
                         "usage: trelvik [FILE.shp [--check] [--map] [--screenshot OUT.png]]\n");
            return 2;
        } else {
            datei = QFileInfo(a).absoluteFilePath();
        }
    }

    trelvik::QtDialoge dialoge;
    trelvik::Hauptfenster fenster(dialoge, QString::fromStdString(trelvik::programmOrdner()));
    fenster.zeigen();
    int status = 0;
    if (!datei.isEmpty() || !bildDatei.isEmpty()) {
        QTimer::singleShot(0, &fenster, [&] {
            if (!datei.isEmpty())
                fenster.ladeShape(datei);
            if (pruefen && !fenster.shapePfad().isEmpty())
                fenster.pruefeShape();
            if (karte)
                fenster.zeigeKarte();
            if (bildDatei.isEmpty())
                return;
            // Let the window finish painting before it is taken.
            QTimer::singleShot(500, &fenster, [&] {
                QWidget* ziel = karte && fenster.karte() ? static_cast<QWidget*>(fenster.karte())
                                                         : &fenster;
                if (!ziel->grab().save(bildDatei)) {
                    std::fprintf(stderr, "trelvik: cannot write %s\n", qPrintable(bildDatei));
                    status = 2;
                }
                QApplication::quit();
            });
        });
    }
    const int ende = QApplication::exec();
    return status != 0 ? status : ende;
}
