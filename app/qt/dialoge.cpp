#include "app/qt/dialoge.h"

#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QProcess>
#include <QTranslator>
#include <QUrl>

namespace trelvik {

namespace {

// Message boxes lay out "\n"; a CR before it would show as a stray glyph on some styles.
QString alsAnzeige(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// Whatever pointer a long command shows, a dialog is answered with the normal one.
class NormalerZeiger {
public:
    NormalerZeiger() : aktiv_(QApplication::overrideCursor() != nullptr) {
        if (aktiv_)
            QApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    ~NormalerZeiger() {
        if (aktiv_)
            QApplication::restoreOverrideCursor();
    }
    NormalerZeiger(const NormalerZeiger&) = delete;
    NormalerZeiger& operator=(const NormalerZeiger&) = delete;

private:
    bool aktiv_;
};

const QString titel = QStringLiteral("Trelvik");

} // namespace

QtDialoge::QtDialoge() {
    // German whatever the desktop's language: the program's own texts are German too.
    static QTranslator* qtTexte = [] {
        auto* t = new QTranslator(QCoreApplication::instance());
        if (t->load(QStringLiteral("qtbase_de"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
            QCoreApplication::installTranslator(t);
        return t;
    }();
    (void)qtTexte;
}

QString QtDialoge::oeffnen(QWidget* eltern, const QString& titelText, const QString& ordner,
                           const QString& filter) {
    NormalerZeiger zeiger;
    return QFileDialog::getOpenFileName(eltern, titelText, ordner, filter);
}

QString QtDialoge::speichern(QWidget* eltern, const QString& titelText, const QString& ordner,
                             const QString& filter) {
    NormalerZeiger zeiger;
    return QFileDialog::getSaveFileName(eltern, titelText, ordner, filter, nullptr,
                                        QFileDialog::DontConfirmOverwrite);
}

void QtDialoge::meldung(QWidget* eltern, const QString& text) {
    NormalerZeiger zeiger;
    QMessageBox::information(eltern, titel, alsAnzeige(text), QMessageBox::Ok);
}

bool QtDialoge::frage(QWidget* eltern, const QString& text) {
    NormalerZeiger zeiger;
    return QMessageBox::question(eltern, titel, alsAnzeige(text),
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

void QtDialoge::zeigeModal(QDialog& form) {
    NormalerZeiger zeiger;
    form.exec();
}

bool QtDialoge::oeffneUrl(const QUrl& url) {
    return QDesktopServices::openUrl(url);
}

bool QtDialoge::starteProgramm(const QString& programm, const QStringList& argumente) {
    return QProcess::startDetached(programm, argumente);
}

} // namespace trelvik
