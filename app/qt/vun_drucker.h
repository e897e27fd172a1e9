#pragma once
// The printer form: the system's print queues in its order; "Zur&ück" takes the selected one,
// "Abbr&uch" keeps the choice as it was.
#include <QDialog>
#include <QString>
#include <QStringList>

class QListWidget;
class QPushButton;

namespace trelvik {

class VunDrucker : public QDialog {
    Q_OBJECT
public:
    VunDrucker(const QStringList& drucker, int position, QWidget* eltern = nullptr);

    // The pending choice as a number text; the window reads it after the form has closed.
    QString auswahl;

private:
    QListWidget* list1_;
};

} // namespace trelvik
