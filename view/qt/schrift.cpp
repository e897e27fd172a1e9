#include "view/qt/schrift.h"

#include <QFontDatabase>

namespace trelvik {

QFont festeSchrift(qreal punkte) {
    QFont schrift = QFontDatabase::hasFamily(QStringLiteral("Courier New"))
                        ? QFont(QStringLiteral("Courier New"))
                        : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    // Columns of the reports line up only when every glyph has the same advance.
    schrift.setStyleHint(QFont::TypeWriter);
    schrift.setFixedPitch(true);
    schrift.setPointSizeF(punkte);
    return schrift;
}

} // namespace trelvik
