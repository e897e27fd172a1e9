#include "app/qt/vun_drucker.h"

#include "app/zahlen.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace trelvik {

VunDrucker::VunDrucker(const QStringList& drucker, int position, QWidget* eltern)
    : QDialog(eltern), list1_(new QListWidget(this)) {
    setObjectName(QStringLiteral("VunDrucker"));
    setWindowTitle(QStringLiteral("Drucker"));
    setModal(true);
    list1_->setObjectName(QStringLiteral("List1"));
    list1_->addItems(drucker);
    list1_->setCurrentRow(position);
    auswahl = QString::fromStdString(formatCheck(position, "0"));

    auto* command1 = new QPushButton(QStringLiteral("Zur&ück"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setDefault(true);
    auto* command2 = new QPushButton(QStringLiteral("Abbr&uch"), this);
    command2->setObjectName(QStringLiteral("Command2"));
    connect(command1, &QPushButton::clicked, this, [this] {
        auswahl = QString::fromStdString(formatCheck(list1_->currentRow(), "0"));
        accept();
    });
    connect(command2, &QPushButton::clicked, this, &QDialog::reject);
    connect(list1_, &QListWidget::itemDoubleClicked, command1, &QPushButton::click);

    auto* knoepfe = new QHBoxLayout;
    knoepfe->addStretch();
    knoepfe->addWidget(command1);
    knoepfe->addWidget(command2);
    auto* spalte = new QVBoxLayout(this);
    spalte->addWidget(list1_);
    spalte->addLayout(knoepfe);
    resize(360, 240);
    if (const QScreen* bildschirm = QGuiApplication::primaryScreen()) {
        const QRect flaeche = bildschirm->geometry();
        move((flaeche.width() - width()) / 2, (flaeche.height() - height()) / 2);
    }
}

} // namespace trelvik
