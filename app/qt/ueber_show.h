#pragma once
// The about box: logo, product name and version, an OK button.
#include <QDialog>

namespace trelvik {

class UeberShow : public QDialog {
    Q_OBJECT
public:
    explicit UeberShow(QWidget* eltern = nullptr);
};

// "Vers. " + major.minor.revision of this build.
QString versionsZeile();

} // namespace trelvik
