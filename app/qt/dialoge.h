#pragma once
// Everything of the window that waits for the user or leaves the program: file dialogs, message
// boxes, modal forms, the help viewer. The window reaches them only through this interface, so
// tests answer them without blocking.
#include <QString>
#include <QStringList>

class QDialog;
class QUrl;
class QWidget;

namespace trelvik {

class Dialoge {
public:
    virtual ~Dialoge() = default;
    // The chosen existing file, "" when cancelled.
    virtual QString oeffnen(QWidget* eltern, const QString& titel, const QString& ordner,
                            const QString& filter) = 0;
    // The name as chosen, "" when cancelled. The dialog asks nothing about an existing file:
    // the caller completes the name first and then asks.
    virtual QString speichern(QWidget* eltern, const QString& titel, const QString& ordner,
                              const QString& filter) = 0;
    // A modal message with an OK button. Line breaks are CR LF, as in the program's texts.
    virtual void meldung(QWidget* eltern, const QString& text) = 0;
    // A modal question with Yes and No; true for Yes.
    virtual bool frage(QWidget* eltern, const QString& text) = 0;
    // Shows a form modal and returns when it is closed.
    virtual void zeigeModal(QDialog& form) = 0;
    // Opens a document in the desktop's viewer; false when none could be started.
    virtual bool oeffneUrl(const QUrl& url) = 0;
    // Starts a program without waiting for it.
    virtual bool starteProgramm(const QString& programm, const QStringList& argumente) = 0;
};

// The real dialogs, in German: the first one made loads Qt's own German texts for the file
// dialogs and standard buttons.
class QtDialoge : public Dialoge {
public:
    QtDialoge();
    QString oeffnen(QWidget* eltern, const QString& titel, const QString& ordner,
                    const QString& filter) override;
    QString speichern(QWidget* eltern, const QString& titel, const QString& ordner,
                      const QString& filter) override;
    void meldung(QWidget* eltern, const QString& text) override;
    bool frage(QWidget* eltern, const QString& text) override;
    void zeigeModal(QDialog& form) override;
    bool oeffneUrl(const QUrl& url) override;
    bool starteProgramm(const QString& programm, const QStringList& argumente) override;
};

} // namespace trelvik
