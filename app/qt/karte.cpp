#include "app/qt/karte.h"

#include "check/bericht_texte.h"
#include "shape/vun_interface.h"
#include "view/qt/qt_flaeche.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QSplitter>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace trelvik {

namespace {

// A surface over the widget being painted.
class WidgetFlaeche : public QtFlaeche {
public:
    explicit WidgetFlaeche(QWidget* w) { beginnen(w, w->width(), w->height()); }
    ~WidgetFlaeche() override { beenden(); }
};

const std::pair<const char*, const char*> legende[] = {
    {"schneidet", "schneidet sich"},       {"flaeche", "Fläche zu klein"},
    {"abstand", "Punktabstand zu klein"},  {"ringe_nah", "Ringe zu nah"},
    {"ringe_schneiden", "Ringe schneiden"}, {"zu_wenig_punkte", "zu wenig Punkte"},
    {"punktanzahl", "Punktanzahl zu klein"}, {"typ", "falscher Typ"}};

std::uint32_t argb(const QColor& c, int alpha = 255) {
    return argbFarbe(alpha, c.red(), c.green(), c.blue());
}

} // namespace

QColor Kartenflaeche::artFarbe(const std::string& art) {
    static const QColor farben[] = {QColor(220, 0, 0),   QColor(230, 120, 0), QColor(160, 0, 200),
                                    QColor(0, 90, 230),  QColor(0, 170, 170), QColor(120, 70, 20),
                                    QColor(230, 0, 140), QColor(90, 90, 90)};
    for (std::size_t i = 0; i < std::size(legende); ++i)
        if (art == legende[i].first)
            return farben[i];
    return Qt::black;
}

Kartenflaeche::Kartenflaeche(QWidget* eltern) : QWidget(eltern) {
    setObjectName(QStringLiteral("Kartenflaeche"));
    setMinimumSize(200, 200);
    setAutoFillBackground(false);
}

void Kartenflaeche::setzeInhalt(std::vector<Satz> saetze, std::vector<Befund> befunde) {
    saetze_ = std::move(saetze);
    befunde_ = std::move(befunde);
    bool erster = true;
    const auto nimm = [&](double x0, double y0, double x1, double y1) {
        if (erster) {
            xmin_ = x0, ymin_ = y0, xmax_ = x1, ymax_ = y1;
            erster = false;
            return;
        }
        xmin_ = std::min(xmin_, x0), ymin_ = std::min(ymin_, y0);
        xmax_ = std::max(xmax_, x1), ymax_ = std::max(ymax_, y1);
    };
    for (const Satz& s : saetze_)
        if (!s.teile.empty())
            nimm(s.xmin, s.ymin, s.xmax, s.ymax);
    for (const Befund& b : befunde_)
        if (b.hatOrt)
            nimm(b.ort.x, b.ort.y, b.ort.x, b.ort.y);
    ganzeDatei();
}

void Kartenflaeche::ganzeDatei() {
    ganz_ = true;
    const double breite = std::max(xmax_ - xmin_, 1.0);
    const double hoehe = std::max(ymax_ - ymin_, 1.0);
    mitteX_ = (xmin_ + xmax_) / 2;
    mitteY_ = (ymin_ + ymax_) / 2;
    massstab_ = std::max(breite / std::max(width() - 20, 1), hoehe / std::max(height() - 20, 1));
    update();
}

void Kartenflaeche::zentriere(double x, double y) {
    ganz_ = false;
    mitteX_ = x;
    mitteY_ = y;
    update();
}

QPointF Kartenflaeche::pixelVon(double x, double y) const {
    return {width() / 2.0 + (x - mitteX_) / massstab_, height() / 2.0 - (y - mitteY_) / massstab_};
}

void Kartenflaeche::resizeEvent(QResizeEvent* ereignis) {
    QWidget::resizeEvent(ereignis);
    if (ganz_)
        ganzeDatei();
}

void Kartenflaeche::paintEvent(QPaintEvent*) {
    {
        QPainter hintergrund(this);
        hintergrund.fillRect(rect(), Qt::white);
    }
    WidgetFlaeche f(this);
    f.ScaleLeft = mitteX_ - width() / 2.0 * massstab_;
    f.ScaleWidth = width() * massstab_;
    f.ScaleTop = mitteY_ + height() / 2.0 * massstab_;
    f.ScaleHeight = -height() * massstab_;
    const double links = f.ScaleLeft, rechts = f.ScaleLeft + f.ScaleWidth;
    const double unten = f.ScaleTop + f.ScaleHeight, oben = f.ScaleTop;
    gezeichnet_ = 0;
    std::vector<Figur> figuren;
    for (const Satz& s : saetze_) {
        if (s.teile.empty() || s.xmax < links || s.xmin > rechts || s.ymax < unten ||
            s.ymin > oben)
            continue;
        figuren.clear();
        for (const auto& teil : s.teile) {
            Figur fig;
            fig.reserve(teil.size());
            for (const Punkt& p : teil)
                fig.push_back({static_cast<float>(f.pixelX(p.x)), static_cast<float>(f.pixelY(p.y))});
            figuren.push_back(std::move(fig));
        }
        // One path per record with the even-odd rule: holes stay open.
        if (s.polygon)
            f.malePfad(figuren, true, argb(QColor(170, 200, 140), 160), argb(QColor(60, 90, 40)), 1);
        else
            f.malePfad(figuren, false, std::nullopt, argb(QColor(40, 70, 160)), 2);
        ++gezeichnet_;
    }
    for (const Befund& b : befunde_) {
        if (!b.hatOrt || !VunPunktInScreenDouble(f, b.ort.x, b.ort.y))
            continue;
        const QColor farbe = artFarbe(b.art);
        f.maleKreis(f.pixelX(b.ort.x), f.pixelY(b.ort.y), 11, argb(Qt::black), 1, argb(farbe));
    }
    f.beenden();

    // The legend: the kinds this file has.
    QPainter p(this);
    std::vector<std::pair<QColor, QString>> zeilen;
    for (const auto& [art, text] : legende)
        if (std::any_of(befunde_.begin(), befunde_.end(), [&](const Befund& b) { return b.art == art; }))
            zeilen.emplace_back(artFarbe(art), QString::fromUtf8(text));
    if (zeilen.empty())
        return;
    const int zeile = p.fontMetrics().height() + 4;
    int breite = 0;
    for (const auto& z : zeilen)
        breite = std::max(breite, p.fontMetrics().horizontalAdvance(z.second));
    const QRect kasten(width() - breite - 40, 6, breite + 34, zeile * static_cast<int>(zeilen.size()) + 8);
    p.fillRect(kasten, QColor(255, 255, 255, 230));
    p.setPen(Qt::gray);
    p.drawRect(kasten);
    for (std::size_t i = 0; i < zeilen.size(); ++i) {
        const int y = kasten.top() + 4 + static_cast<int>(i) * zeile;
        p.setPen(Qt::black);
        p.setBrush(zeilen[i].first);
        p.drawEllipse(QPoint(kasten.left() + 12, y + zeile / 2), 5, 5);
        p.drawText(QRect(kasten.left() + 24, y, breite + 8, zeile), Qt::AlignVCenter, zeilen[i].second);
    }
}

void Kartenflaeche::wheelEvent(QWheelEvent* ereignis) {
    const double stufen = ereignis->angleDelta().y() / 120.0;
    if (stufen == 0)
        return;
    // The world point under the pointer stays where it is.
    const QPointF pos = ereignis->position();
    const double wx = mitteX_ + (pos.x() - width() / 2.0) * massstab_;
    const double wy = mitteY_ - (pos.y() - height() / 2.0) * massstab_;
    massstab_ *= std::pow(0.8, stufen);
    mitteX_ = wx - (pos.x() - width() / 2.0) * massstab_;
    mitteY_ = wy + (pos.y() - height() / 2.0) * massstab_;
    ganz_ = false;
    update();
}

void Kartenflaeche::mousePressEvent(QMouseEvent* ereignis) { griff_ = ereignis->pos(); }

void Kartenflaeche::mouseMoveEvent(QMouseEvent* ereignis) {
    if (!(ereignis->buttons() & Qt::LeftButton))
        return;
    const QPoint d = ereignis->pos() - griff_;
    griff_ = ereignis->pos();
    mitteX_ -= d.x() * massstab_;
    mitteY_ += d.y() * massstab_;
    ganz_ = false;
    update();
}

Karte::Karte(const std::string& shapePfad, const GeometriePruefung& pruefung, QWidget* eltern)
    : QWidget(eltern, Qt::Window) {
    setObjectName(QStringLiteral("Karte"));
    setWindowTitle(QStringLiteral("Karte - ") + QString::fromStdString(shapePfad));
    resize(900, 600);

    std::vector<Kartenflaeche::Satz> saetze;
    VunInterface vun;
    if (vun.Shape_Open(shapePfad.size() >= 3 ? shapePfad.substr(0, shapePfad.size() - 3)
                                             : shapePfad)) {
        const bool polygon = vun.AktShapetyp % 10 == 5;
        Punktfeld punkte;
        std::vector<std::string> wname;
        std::vector<std::int32_t> lpp;
        std::int32_t ringe = 0;
        auto befund = pruefung.saetze.begin();
        for (std::int32_t zeiger = 0; vun.Shape_GetCheck(zeiger, punkte, wname, ringe, lpp);
             ++zeiger) {
            Kartenflaeche::Satz s;
            s.polygon = polygon;
            bool erster = true;
            for (std::size_t i = 1; i < lpp.size(); ++i) {
                std::vector<Punkt> teil;
                for (std::int32_t k = lpp[i - 1]; k < lpp[i] && punkte.spalten() >= 2; ++k) {
                    const Punkt p{punkte(static_cast<std::size_t>(k), 0),
                                  punkte(static_cast<std::size_t>(k), 1)};
                    if (erster)
                        s.xmin = s.xmax = p.x, s.ymin = s.ymax = p.y, erster = false;
                    s.xmin = std::min(s.xmin, p.x), s.xmax = std::max(s.xmax, p.x);
                    s.ymin = std::min(s.ymin, p.y), s.ymax = std::max(s.ymax, p.y);
                    teil.push_back(p);
                }
                if (!teil.empty())
                    s.teile.push_back(std::move(teil));
            }
            saetze.push_back(std::move(s));
            while (befund != pruefung.saetze.end() && befund->satz < zeiger)
                ++befund;
            if (befund != pruefung.saetze.end() && befund->satz == zeiger) {
                for (Befund& b : befundeDesSatzes(pruefung, *befund, punkte, lpp))
                    befunde_.push_back(std::move(b));
            }
        }
        vun.Shape_Close();
    }

    flaeche_ = new Kartenflaeche(this);
    liste_ = new QListWidget(this);
    liste_->setObjectName(QStringLiteral("Befundliste"));
    for (const Befund& b : befunde_) {
        auto* eintrag = new QListWidgetItem(
            QStringLiteral("%1/%2: ").arg(b.satz).arg(b.teil) + QString::fromStdString(b.text),
            liste_);
        eintrag->setForeground(Kartenflaeche::artFarbe(b.art));
        if (!b.hatOrt)
            eintrag->setToolTip(QStringLiteral("ohne Ort"));
    }
    connect(liste_, &QListWidget::currentRowChanged, this, [this](int zeile) {
        if (zeile < 0 || static_cast<std::size_t>(zeile) >= befunde_.size())
            return;
        const Befund& b = befunde_[static_cast<std::size_t>(zeile)];
        if (b.hatOrt)
            flaeche_->zentriere(b.ort.x, b.ort.y);
    });
    auto* ganz = new QPushButton(QStringLiteral("&Ganze Datei"), this);
    ganz->setObjectName(QStringLiteral("GanzeDatei"));
    connect(ganz, &QPushButton::clicked, flaeche_, &Kartenflaeche::ganzeDatei);

    auto* rechts = new QWidget(this);
    auto* spalte = new QVBoxLayout(rechts);
    spalte->setContentsMargins(0, 0, 0, 0);
    spalte->addWidget(liste_);
    spalte->addWidget(ganz);
    auto* teiler = new QSplitter(this);
    teiler->addWidget(flaeche_);
    teiler->addWidget(rechts);
    teiler->setStretchFactor(0, 3);
    teiler->setStretchFactor(1, 1);
    auto* rahmen = new QHBoxLayout(this);
    rahmen->addWidget(teiler);
    flaeche_->setzeInhalt(std::move(saetze), befunde_);
}

bool ortAusBerichtZeile(const QString& zeile, double& x, double& y) {
    static const QRegularExpression ort(QStringLiteral("Xo/Yo:\\s*(-?\\d+)/\\s*(-?\\d+)"));
    const QRegularExpressionMatch m = ort.match(zeile);
    if (!m.hasMatch())
        return false;
    x = m.captured(1).toDouble();
    y = m.captured(2).toDouble();
    return true;
}

} // namespace trelvik
