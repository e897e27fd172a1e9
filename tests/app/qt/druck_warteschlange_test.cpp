// Printing through a real CUPS queue: test.sh sets up the cups-pdf queue TrelvikPDF
// (scripts/druckwarteschlange.sh); without it this test fails.
//
// cups-pdf re-renders the job through PostScript and Ghostscript, which leaves the text as
// Type 3 glyphs that pdftotext cannot map back. The queue's PDF is therefore compared page by
// page, as pixels, with the same report printed straight to a PDF file.
#include "fenster_hilfe.h"

#include "app/qt/hauptfenster.h"
#include "app/qt/vun_drucker.h"
#include "view/qt/bericht_druck.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <pwd.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <vector>

namespace trelvik {
namespace {

const QString warteschlange = QStringLiteral("TrelvikPDF");

// Where cups-pdf puts a job's file: the "Out" folder of its configuration (with ${HOME} of the
// job's user), the per-user ~/PDF and the anonymous spool folder.
QStringList ausgabeOrdner() {
    QString heim = QDir::homePath();
    if (const passwd* pw = getpwuid(getuid()))
        heim = QString::fromLocal8Bit(pw->pw_dir);
    QStringList ordner;
    QFile conf(QStringLiteral("/etc/cups/cups-pdf.conf"));
    if (conf.open(QIODevice::ReadOnly)) {
        static const QRegularExpression out(QStringLiteral("^\\s*Out\\s+(\\S+)"));
        for (const QByteArray& zeile : conf.readAll().split('\n')) {
            const auto m = out.match(QString::fromLocal8Bit(zeile));
            if (m.hasMatch()) {
                QString o = m.captured(1);
                o.replace(QStringLiteral("${HOME}"), heim);
                o.replace(QStringLiteral("${USER}"), QString::fromLocal8Bit(qgetenv("USER")));
                ordner << o;
            }
        }
    }
    ordner << heim + QStringLiteral("/PDF") << QStringLiteral("/var/spool/cups-pdf/ANONYMOUS");
    ordner.removeDuplicates();
    return ordner;
}

std::set<QString> pdfDateien(const QStringList& ordner) {
    std::set<QString> alle;
    for (const QString& o : ordner)
        for (QDirIterator it(o, {QStringLiteral("*.pdf")}, QDir::Files,
                             QDirIterator::Subdirectories);
             it.hasNext();)
            alle.insert(it.next());
    return alle;
}

// Dark pixels in each pixel row of each page, rendered in grey at 100 dpi.
std::vector<std::vector<double>> zeilenprofile(const QString& pdf) {
    QTemporaryDir ordner;
    const QString praefix = ordner.path() + QStringLiteral("/s");
    QProcess p;
    p.setStandardErrorFile(QProcess::nullDevice());
    p.start(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("100"), QStringLiteral("-gray"),
             QStringLiteral("-png"), pdf, praefix});
    p.waitForFinished(60000);
    std::vector<std::vector<double>> seiten;
    const QStringList bilder =
        QDir(ordner.path()).entryList({QStringLiteral("s*.png")}, QDir::Files, QDir::Name);
    for (const QString& name : bilder) {
        const QImage bild(ordner.path() + QLatin1Char('/') + name);
        std::vector<double> profil(static_cast<std::size_t>(bild.height()), 0.0);
        for (int y = 0; y < bild.height(); ++y)
            for (int x = 0; x < bild.width(); ++x)
                profil[static_cast<std::size_t>(y)] += qGray(bild.pixel(x, y)) < 128;
        seiten.push_back(profil);
    }
    return seiten;
}

// Pearson correlation of two profiles of the same length.
double korrelation(const std::vector<double>& a, const std::vector<double>& b) {
    const double n = static_cast<double>(a.size());
    double sa = 0, sb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        sa += a[i];
        sb += b[i];
    }
    const double ma = sa / n, mb = sb / n;
    double ab = 0, aa = 0, bb = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        ab += (a[i] - ma) * (b[i] - mb);
        aa += (a[i] - ma) * (a[i] - ma);
        bb += (b[i] - mb) * (b[i] - mb);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0.0;
}

// The report the window prints, rebuilt from its boxes.
BerichtTexte texteDesFensters(const Hauptfenster& fenster) {
    auto box = [&](const char* name) {
        return alsBerichtText(
            fenster.findChild<QPlainTextEdit*>(QLatin1String(name))->toPlainText());
    };
    BerichtTexte t;
    t.shapePfad = test::probe("naturalearth_lowres_m").toStdString();
    t.label3 = fenster.findChild<QLabel*>(QStringLiteral("Label3"))->text().toStdString();
    t.vorhanden = box("Text4");
    t.gefordert = box("Text6");
    t.projektion = box("Text5");
    t.geometrie = box("Text3");
    return t;
}

TEST(DruckWarteschlange, BerichtKommtAlsPdfAusDerWarteschlange) {
    test::anwendung();
    test::einstellungenLeeren();
    ASSERT_TRUE(QPrinterInfo::availablePrinterNames().contains(warteschlange))
        << "no CUPS queue " << warteschlange.toStdString()
        << " (scripts/druckwarteschlange.sh sets it up)";

    test::TestDialoge dialoge;
    Hauptfenster fenster(dialoge, test::neuerOrdner());
    dialoge.oeffnenAntworten << test::probe("naturalearth_lowres_m");
    fenster.shapeLaden();
    fenster.pruefeShape();

    // Choose the queue in the printer form.
    dialoge.modal = [](QDialog& form) {
        auto* liste = form.findChild<QListWidget*>(QStringLiteral("List1"));
        const auto treffer = liste->findItems(warteschlange, Qt::MatchExactly);
        ASSERT_EQ(treffer.size(), 1);
        liste->setCurrentItem(treffer.front());
        form.findChild<QPushButton*>(QStringLiteral("Command1"))->click();
    };
    fenster.druckerWaehlen();
    ASSERT_EQ(fenster.druckerName(), warteschlange);

    const QStringList ordner = ausgabeOrdner();
    const std::set<QString> vorher = pdfDateien(ordner);
    fenster.druckeAuswertung();
    ASSERT_EQ(dialoge.fragen.size(), 1);
    EXPECT_EQ(dialoge.fragen[0], QStringLiteral("Ausgabe auf TrelvikPDF starten ?"));
    EXPECT_TRUE(dialoge.meldungen.isEmpty())
        << dialoge.meldungen.join(QLatin1Char('|')).toStdString();

    // The same report straight to a PDF file, as the reference.
    QTemporaryDir ablage;
    const QString direkt = ablage.path() + QStringLiteral("/direkt.pdf");
    {
        QPrinter drucker(QPrinter::HighResolution);
        drucker.setOutputFormat(QPrinter::PdfFormat);
        drucker.setOutputFileName(direkt);
        ASSERT_TRUE(druckeBericht(drucker, texteDesFensters(fenster)));
    }
    const std::vector<std::vector<double>> erwartet = zeilenprofile(direkt);
    ASSERT_GE(erwartet.size(), 1u);

    // The queue works asynchronously; wait for a new file with all pages in it.
    QString neu;
    for (int versuch = 0; versuch < 600 && neu.isEmpty(); ++versuch) {
        for (const QString& d : pdfDateien(ordner))
            if (!vorher.count(d) && test::pdfSeiten(d) == static_cast<int>(erwartet.size()))
                neu = d;
        if (neu.isEmpty())
            QThread::msleep(100);
    }
    ASSERT_FALSE(neu.isEmpty()) << "no PDF of " << erwartet.size() << " pages from the queue in "
                                << ordner.join(QLatin1Char(' ')).toStdString();
    // The job carries the file's name.
    EXPECT_TRUE(QFileInfo(neu).fileName().contains(QStringLiteral("naturalearth_lowres_m")))
        << QFileInfo(neu).fileName().toStdString();
    // Every page carries the same lines at the same heights as the reference: the rows of
    // dark pixels correlate closely (Ghostscript draws the glyphs a little bolder), while a
    // page shifted by half a line does not.
    const std::vector<std::vector<double>> gedruckt = zeilenprofile(neu);
    ASSERT_EQ(gedruckt.size(), erwartet.size());
    for (std::size_t i = 0; i < erwartet.size(); ++i) {
        ASSERT_EQ(gedruckt[i].size(), erwartet[i].size()) << "page " << i + 1;
        std::vector<double> verschoben(erwartet[i].size(), 0.0);
        std::copy(erwartet[i].begin(), erwartet[i].end() - 6, verschoben.begin() + 6);
        EXPECT_GT(korrelation(gedruckt[i], erwartet[i]), 0.75) << "page " << i + 1;
        EXPECT_LT(korrelation(gedruckt[i], verschoben), 0.3) << "page " << i + 1;
    }
    QFile::remove(neu);
}

} // namespace
} // namespace trelvik
