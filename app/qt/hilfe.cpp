#include "app/qt/hilfe.h"

#include "app/dateien.h"
#include "app/qt/dialoge.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace trelvik {

namespace {

// Installed, the help is in the data folder; in a build tree beside the program.
QDir hilfeOrdner(const QString& programmOrdner) {
    const std::string ordner = QDir(programmOrdner).path().toStdString() + "/";
    return QDir(QDir::cleanPath(QString::fromStdString(datenOrdner(ordner))));
}

} // namespace

QString hilfeDatei(const QString& programmOrdner) {
    return hilfeOrdner(programmOrdner).filePath(QStringLiteral("hilfe/trelvik.html"));
}

QString zeigeHilfe(Dialoge& dialoge, const QString& programmOrdner) {
    // First the compiled help, when a viewer for it is installed.
    const QString chm = hilfeOrdner(programmOrdner).filePath(QStringLiteral("TRELVIK.CHM"));
    if (QFileInfo::exists(chm)) {
        for (const char* name : {"xchm", "kchmviewer"}) {
            const QString betrachter = QStandardPaths::findExecutable(QLatin1String(name));
            if (!betrachter.isEmpty() && dialoge.starteProgramm(betrachter, {chm}))
                return chm;
        }
    }
    const QString html = hilfeDatei(programmOrdner);
    if (QFileInfo::exists(html) && dialoge.oeffneUrl(QUrl::fromLocalFile(html)))
        return html;
    return {};
}

} // namespace trelvik
