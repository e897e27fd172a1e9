#include "app/qt/bilder.h"

#include <QPainter>
#include <QPainterPath>

namespace trelvik {

namespace {

const QColor tinte(0x2b, 0x3a, 0x4a);
const QColor gruen(0x2e, 0x8b, 0x3e);
const QColor papier(0xfb, 0xfb, 0xf7);

// Drawn on a 24-unit grid and scaled, so every size is sharp.
void zeichne(QPainter& p, const QString& s) {
    p.setRenderHint(QPainter::Antialiasing);
    QPen stift(tinte, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(stift);
    if (s == QLatin1String("open")) {
        QPainterPath mappe;
        mappe.moveTo(2.5, 6);
        mappe.lineTo(9, 6);
        mappe.lineTo(11, 8.5);
        mappe.lineTo(20.5, 8.5);
        mappe.lineTo(20.5, 19.5);
        mappe.lineTo(2.5, 19.5);
        mappe.closeSubpath();
        p.setBrush(QColor(0xf2, 0xc9, 0x4c));
        p.drawPath(mappe);
        p.setBrush(QColor(0xf7, 0xdc, 0x7e));
        p.drawPolygon(QPolygonF({{5, 11.5}, {22.5, 11.5}, {20.5, 19.5}, {2.5, 19.5}}));
    } else if (s == QLatin1String("print")) {
        p.setBrush(papier);
        p.drawRect(QRectF(7, 3, 10, 6));
        p.setBrush(QColor(0x8d, 0x9a, 0xa8));
        p.drawRoundedRect(QRectF(3, 9, 18, 8), 1.5, 1.5);
        p.setBrush(papier);
        p.drawRect(QRectF(7, 14, 10, 7));
        p.drawLine(QPointF(9, 17), QPointF(15, 17));
        p.drawLine(QPointF(9, 19), QPointF(13, 19));
    } else if (s == QLatin1String("save")) {
        p.setBrush(QColor(0x3f, 0x6e, 0xb5));
        p.drawRoundedRect(QRectF(3, 3, 18, 18), 2, 2);
        p.setBrush(papier);
        p.drawRect(QRectF(7, 3, 10, 7));
        p.setBrush(QColor(0xdd, 0xe4, 0xee));
        p.drawRect(QRectF(6, 13, 12, 8));
    } else if (s == QLatin1String("test")) {
        p.setBrush(papier);
        p.drawEllipse(QPointF(10, 10), 6.5, 6.5);
        p.setPen(QPen(gruen, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF({{7, 10}, {9.5, 12.5}, {13.5, 7.5}}));
        p.setPen(QPen(tinte, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(21, 21));
    } else if (s == QLatin1String("clean")) {
        p.setBrush(QColor(0xc8, 0x8a, 0x3d));
        p.drawPolygon(QPolygonF({{5, 21}, {8, 13}, {16, 13}, {19, 21}}));
        p.setPen(QPen(tinte, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 13), QPointF(12, 3));
        p.setPen(QPen(tinte, 1.2, Qt::SolidLine, Qt::RoundCap));
        for (double x : {9.0, 12.0, 15.0})
            p.drawLine(QPointF(x, 15), QPointF(x + (x - 12) / 3, 20.5));
    } else if (s == QLatin1String("help")) {
        p.setBrush(QColor(0x3f, 0x6e, 0xb5));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12, 12), 9.5, 9.5);
        QFont f = p.font();
        f.setBold(true);
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(QRectF(2.5, 2.5, 19, 19), Qt::AlignCenter, QStringLiteral("?"));
    }
}

} // namespace

QIcon werkzeugSymbol(const QString& schluessel) {
    QIcon symbol;
    for (int groesse : {16, 24, 32, 48}) {
        QPixmap bild(groesse, groesse);
        bild.fill(Qt::transparent);
        QPainter p(&bild);
        p.scale(groesse / 24.0, groesse / 24.0);
        zeichne(p, schluessel);
        p.end();
        symbol.addPixmap(bild);
    }
    return symbol;
}

QPixmap logoBild(int groesse) {
    QPixmap bild(groesse, groesse);
    bild.fill(Qt::transparent);
    QPainter p(&bild);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(groesse / 64.0, groesse / 64.0);
    const QPolygonF flurstueck({{8, 20}, {26, 6}, {44, 12}, {58, 8}, {54, 34}, {60, 52},
                                {36, 58}, {18, 50}, {6, 40}});
    p.setPen(QPen(QColor(0x1f, 0x5f, 0x2b), 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0xcf, 0xe8, 0xc4));
    p.drawPolygon(flurstueck);
    p.setBrush(QColor(0x1f, 0x5f, 0x2b));
    p.setPen(Qt::NoPen);
    for (const QPointF& ecke : flurstueck)
        p.drawEllipse(ecke, 3, 3);
    p.setPen(QPen(gruen, 6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{20, 32}, {30, 42}, {46, 22}}));
    p.end();
    return bild;
}

} // namespace trelvik
