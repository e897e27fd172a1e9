#pragma once
// The toolbar pictures and the logo, drawn rather than shipped as image files.
#include <QIcon>
#include <QPixmap>

namespace trelvik {

// The picture of a toolbar key ("open", "print", "save", "test", "clean", "help").
QIcon werkzeugSymbol(const QString& schluessel);

// A parcel outline with a check mark, `groesse` pixels square.
QPixmap logoBild(int groesse);

} // namespace trelvik
