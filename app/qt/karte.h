#pragma once
// The map of a checked file: its records drawn with the drawing operations (polygons filled,
// holes open), every finding marked by kind with a legend, and the list of findings beside it.
#include "check/befund_datei.h"
#include "check/pruef_lauf.h"

#include <QPointF>
#include <QWidget>

#include <string>
#include <vector>

class QListWidget;

namespace trelvik {

// The drawing area: wheel zoom, pan with the mouse, draws only the records in view.
class Kartenflaeche : public QWidget {
    Q_OBJECT
public:
    struct Satz {
        bool polygon = false;
        std::vector<std::vector<Punkt>> teile;
        double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
    };

    explicit Kartenflaeche(QWidget* eltern = nullptr);
    void setzeInhalt(std::vector<Satz> saetze, std::vector<Befund> befunde);
    // The whole file in view.
    void ganzeDatei();
    void zentriere(double x, double y);
    // Pixel position of a world point in the current view.
    QPointF pixelVon(double x, double y) const;
    double mitteX() const { return mitteX_; }
    double mitteY() const { return mitteY_; }
    // World units per pixel.
    double massstab() const { return massstab_; }
    // Records drawn by the last repaint.
    int gezeichnet() const { return gezeichnet_; }

    static QColor artFarbe(const std::string& art);

protected:
    void paintEvent(QPaintEvent* ereignis) override;
    void wheelEvent(QWheelEvent* ereignis) override;
    void mousePressEvent(QMouseEvent* ereignis) override;
    void mouseMoveEvent(QMouseEvent* ereignis) override;
    void resizeEvent(QResizeEvent* ereignis) override;

private:
    std::vector<Satz> saetze_;
    std::vector<Befund> befunde_;
    double xmin_ = 0, ymin_ = 0, xmax_ = 1, ymax_ = 1;
    double mitteX_ = 0.5, mitteY_ = 0.5, massstab_ = 1;
    bool ganz_ = true; // the view follows the size until the user zooms or pans
    QPoint griff_;
    int gezeichnet_ = 0;
};

class Karte : public QWidget {
    Q_OBJECT
public:
    // Reads the records of `shapePfad` and the findings of `pruefung` (a check of that file).
    Karte(const std::string& shapePfad, const GeometriePruefung& pruefung,
          QWidget* eltern = nullptr);
    Kartenflaeche* flaeche() const { return flaeche_; }
    QListWidget* liste() const { return liste_; }
    const std::vector<Befund>& befunde() const { return befunde_; }

private:
    Kartenflaeche* flaeche_ = nullptr;
    QListWidget* liste_ = nullptr;
    std::vector<Befund> befunde_;
};

// The first place ("x/y") of a report line, as the report shows it; false when it has none.
bool ortAusBerichtZeile(const QString& zeile, double& x, double& y);

} // namespace trelvik
