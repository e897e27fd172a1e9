#include "app/qt/hilfe.h"

#include "app/qt/dialoge.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace trelvik {

QString hilfeDatei(const QString& programmOrdner) {
    return QDir(programmOrdner).filePath(QStringLiteral("hilfe/trelvik.html"));
}

QString zeigeHilfe(Dialoge& dialoge, const QString& programmOrdner) {
    // First the compiled help, when a viewer for it is installed.
    const QString chm = QDir(programmOrdner).filePath(QStringLiteral("TRELVIK.CHM"));
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
