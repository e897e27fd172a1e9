#include "app/qt/ueber_show.h"

#include "app/qt/bilder.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVersionNumber>

namespace trelvik {

QString versionsZeile() {
    const QVersionNumber v = QVersionNumber::fromString(QStringLiteral(TRELVIK_VERSION));
    return QStringLiteral("Vers. %1.%2.%3").arg(v.majorVersion()).arg(v.minorVersion()).arg(
        v.microVersion());
}

UeberShow::UeberShow(QWidget* eltern) : QDialog(eltern) {
    setObjectName(QStringLiteral("UeberShow"));
    setWindowTitle(QStringLiteral("Über Trelvik"));
    setModal(true);
    auto* logo = new QLabel(this);
    logo->setObjectName(QStringLiteral("Logo"));
    logo->setPixmap(logoBild(72));
    auto* produkt = new QLabel(QStringLiteral("Trelvik"), this);
    produkt->setObjectName(QStringLiteral("Produkt"));
    QFont gross = produkt->font();
    gross.setPointSizeF(gross.pointSizeF() * 1.8);
    gross.setBold(true);
    produkt->setFont(gross);
    auto* version = new QLabel(versionsZeile(), this);
    version->setObjectName(QStringLiteral("Version"));
    auto* zweck = new QLabel(QStringLiteral("Prüfen und Bereinigen von Shape-Dateien"), this);
    auto* knoepfe = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    knoepfe->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OK"));
    connect(knoepfe, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* gitter = new QGridLayout(this);
    gitter->addWidget(logo, 0, 0, 3, 1, Qt::AlignTop);
    gitter->addWidget(produkt, 0, 1);
    gitter->addWidget(version, 1, 1);
    gitter->addWidget(zweck, 2, 1);
    gitter->addWidget(knoepfe, 3, 0, 1, 2);
    adjustSize();
    if (const QScreen* bildschirm = QGuiApplication::primaryScreen()) {
        const QRect flaeche = bildschirm->geometry();
        move((flaeche.width() - width()) / 2, (flaeche.height() - height()) / 2);
    }
}

} // namespace trelvik
