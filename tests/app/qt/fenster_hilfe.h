#pragma once
// Shared set-up of the window tests: program folders, settings, and dialogs that answer from the
// test instead of waiting for a user.
#include "app/qt/dialoge.h"
#include "hilfe/ordner.h"
#include "hilfe/qt/qt_hilfe.h"

#include <QDialog>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>
#include <string>
#include <vector>

namespace trelvik::test {

// A fresh, empty program folder (Attribute.txt is written there) under the test's temp root.
QString neuerOrdner();

// Removes every stored setting.
void einstellungenLeeren();

// Dialogs answered from queues; every call is recorded.
class TestDialoge : public Dialoge {
public:
    QStringList oeffnenAntworten;   // taken from the front; "" when empty
    QStringList speichernAntworten; // likewise
    bool frageAntwort = true;
    std::function<void(QDialog&)> modal; // acts on the shown form; nothing when empty
    bool urlOeffnet = true;

    QStringList meldungen;
    QStringList fragen;
    QStringList titel;
    std::vector<QUrl> urls;
    int oeffnenAufrufe = 0;
    int speichernAufrufe = 0;

    QString oeffnen(QWidget*, const QString& t, const QString& ordner, const QString& filter) override;
    QString speichern(QWidget*, const QString& t, const QString& ordner, const QString& filter) override;
    void meldung(QWidget*, const QString& text) override { meldungen << text; }
    bool frage(QWidget*, const QString& text) override {
        fragen << text;
        return frageAntwort;
    }
    void zeigeModal(QDialog& form) override {
        if (modal)
            modal(form);
    }
    bool oeffneUrl(const QUrl& url) override {
        urls.push_back(url);
        return urlOeffnet;
    }
    bool starteProgramm(const QString&, const QStringList&) override { return false; }

    QString letzterOrdner;
    QString letzterFilter;

private:
    // One file dialog: counted, its title and folder noted, the next answer taken.
    QString dateiDialog(int& aufrufe, QStringList& antworten, const QString& t,
                        const QString& ordner, const QString& filter);
};

// A fixture shapefile (tests/daten/real/<name>/<name>.shp).
QString probe(const char* name);

} // namespace trelvik::test
