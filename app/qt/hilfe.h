#pragma once
// Help: a compiled help file with its viewer when both are there, else the HTML help shipped
// beside the program in the desktop's viewer. Every failure is ignored.
#include <QString>
#include <QUrl>

namespace trelvik {

class Dialoge;

// The HTML help: hilfe/trelvik.html in the data folder of the program in `programmOrdner`.
QString hilfeDatei(const QString& programmOrdner);

// What was started: "" when nothing could be.
QString zeigeHilfe(Dialoge& dialoge, const QString& programmOrdner);

} // namespace trelvik
