// The Trelvik program: the main window.
#include "app/dateien.h"
#include "app/qt/dialoge.h"
#include "app/qt/hauptfenster.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("TRELVIK"));
    QApplication::setOrganizationName(QStringLiteral("TRELVIK"));
    trelvik::QtDialoge dialoge;
    trelvik::Hauptfenster fenster(dialoge, QString::fromStdString(trelvik::programmOrdner()));
    fenster.zeigen();
    return QApplication::exec();
}
