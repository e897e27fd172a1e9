#include "view/qt/bericht_druck.h"

#include "app/zahlen.h"
#include "view/bericht.h"
#include "view/qt/schrift.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPrinter>

#include <cmath>
#include <stdexcept>

namespace trelvik {

namespace {

constexpr int volleSeite = 88;  // zeile at which a page is full
constexpr int letzteLeer = 91;  // blank lines up to here before the footer
constexpr int fussMitte = 60;   // column the footer is centred on
constexpr int seitenHoehe = 93; // physical lines of a full page, footer included
constexpr int tabBreite = 8;

const std::string leer = " ";

struct DruckFehler : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool nurLeer(const std::string& text) {
    return text.find_first_not_of(" \t") == std::string::npos;
}

std::string ohneTabs(const std::string& text) {
    std::string aus;
    std::size_t spalte = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\t') {
            do {
                aus += ' ';
                ++spalte;
            } while (spalte % tabBreite != 0);
            continue;
        }
        aus += c;
        // Continuation bytes of UTF-8 take no column of their own.
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++spalte;
    }
    return aus;
}

// Lines at fixed positions, so a page always has room for its 93 lines. A page is begun only
// when something visible goes on it: a page of blank lines at the end is no sheet.
class QtZeilendrucker : public Zeilendrucker {
public:
    explicit QtZeilendrucker(QPrinter& drucker) : drucker_(drucker) {}

    void zeile(const std::string& text) override {
        ++zeileAufSeite_;
        if (nurLeer(text))
            return;
        seiteBeginnen();
        const double y = (zeileAufSeite_ - 1) * abstand_ + oberlaenge_;
        maler_.drawText(QPointF(0, y), QString::fromStdString(ohneTabs(text)));
    }

    void neueSeite() override {
        seiteOffen_ = false;
        zeileAufSeite_ = 0;
    }

    void beenden() {
        if (maler_.isActive() && !maler_.end())
            throw DruckFehler("end");
    }

private:
    void seiteBeginnen() {
        if (seiteOffen_)
            return;
        if (!maler_.isActive()) {
            if (!maler_.begin(&drucker_))
                throw DruckFehler("begin");
            maler_.setFont(festeSchrift(8));
            const QFontMetricsF masse(maler_.font(), &drucker_);
            const double hoehe = drucker_.pageLayout().paintRectPixels(drucker_.resolution()).height();
            abstand_ = std::min(masse.lineSpacing(), hoehe / seitenHoehe);
            oberlaenge_ = masse.ascent();
            maler_.setPen(Qt::black);
        } else if (!drucker_.newPage()) {
            throw DruckFehler("newPage");
        }
        seiteOffen_ = true;
    }

    QPrinter& drucker_;
    QPainter maler_;
    bool seiteOffen_ = false;
    int zeileAufSeite_ = 0;
    double abstand_ = 0;
    double oberlaenge_ = 0;
};

} // namespace

std::string seitenFuss(int seite) {
    const std::string s = "Seite: " + formatCheck(seite, "0");
    const auto n = fussMitte - static_cast<int>(std::nearbyint(static_cast<double>(s.size()) / 2));
    return std::string(static_cast<std::size_t>(std::max(n, 0)), ' ') + s;
}

void Seitenfuehrung::zeilenVorschub(bool weiter) {
    if (!weiter)
        for (; zeile < volleSeite; ++zeile)
            drucker_.zeile(leer);
    ++zeile;
    if (zeile < volleSeite)
        return;
    for (int i = zeile; i <= letzteLeer; ++i)
        drucker_.zeile(leer);
    drucker_.zeile(seitenFuss(seite));
    if (weiter) {
        drucker_.neueSeite();
        drucker_.zeile(leer);
        drucker_.zeile(leer);
    }
    zeile = 2;
    ++seite;
}

void druckeBerichtZeilen(Zeilendrucker& drucker, const BerichtTexte& t) {
    Seitenfuehrung seiten(drucker);
    const auto drucke = [&](const std::string& text, bool weiter = true) {
        drucker.zeile(text);
        seiten.zeilenVorschub(weiter);
    };
    drucker.zeile(leer);
    drucker.zeile(leer);
    seiten.zeilenVorschub(true);
    drucke("\t" + t.shapePfad);
    drucke("\t" + t.label3);
    drucke(leer);

    struct Abschnitt {
        std::string text;
        const char* ueberschrift;
        const char* strich;
    };
    const Abschnitt abschnitte[] = {
        {berichtAbschnitt(t.vorhanden, true), "Vorhandene Datenbank", "===================="},
        {berichtAbschnitt(t.gefordert, true), "Geforderte Datenbank", "===================="},
        {berichtAbschnitt(t.projektion, true), "Projektion", "=========="},
        {berichtAbschnitt(t.geometrie, false), nullptr, nullptr}};
    for (int k = 0; k < 4; ++k) {
        const Abschnitt& a = abschnitte[k];
        if (k == 3) {
            drucke(leer);
        } else {
            if (k > 0)
                drucke("");
            drucke(std::string("\t") + a.ueberschrift);
            drucke(std::string("\t") + a.strich);
        }
        std::size_t pos = 0;
        for (;;) {
            const std::size_t ende = a.text.find("\r\n", pos);
            if (ende == std::string::npos) {
                // The last line of the report closes its page without starting another.
                if (pos < a.text.size())
                    drucke("\t" + a.text.substr(pos), k < 3);
                break;
            }
            drucke("\t" + a.text.substr(pos, ende - pos));
            pos = ende + 2;
        }
    }
}

bool druckeBericht(QPrinter& drucker, const BerichtTexte& texte) {
    drucker.setFullPage(false);
    drucker.setPageMargins(QMarginsF(15, 8, 10, 8), QPageLayout::Millimeter);
    QtZeilendrucker zeilen(drucker);
    try {
        druckeBerichtZeilen(zeilen, texte);
        zeilen.neueSeite();
        zeilen.beenden();
    } catch (const DruckFehler&) {
        return false;
    }
    return true;
}

} // namespace trelvik
