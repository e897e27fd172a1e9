#pragma once
// The printed report: the texts of the four result boxes in pages of fixed height with a centred
// page number under each page.
#include <string>

class QPrinter;

namespace trelvik {

// The report as the window shows it; line breaks are CR LF.
struct BerichtTexte {
    std::string shapePfad;
    std::string label3;     // summary line of the shapefile
    std::string vorhanden;  // Text4
    std::string gefordert;  // Text6
    std::string projektion; // Text5
    std::string geometrie;  // Text3
};

// Where the lines of a printout go, one physical line per call.
class Zeilendrucker {
public:
    virtual ~Zeilendrucker() = default;
    virtual void zeile(const std::string& text) = 0;
    virtual void neueSeite() = 0;
};

// Line and page counting of a printout: a page is full at line 88, its footer goes out after
// blank lines up to line 91.
class Seitenfuehrung {
public:
    explicit Seitenfuehrung(Zeilendrucker& drucker) : drucker_(drucker) {}
    // Called after every printed line. With `weiter` false the page is filled and closed with
    // its footer, and no new page follows.
    void zeilenVorschub(bool weiter);
    int zeile = 2;
    int seite = 1;

private:
    Zeilendrucker& drucker_;
};

// "Seite: N" with the blanks that centre it on column 60.
std::string seitenFuss(int seite);

// All lines of the printout, from the two blank lines of the first page to the last footer.
void druckeBerichtZeilen(Zeilendrucker& drucker, const BerichtTexte& texte);

// Prints the report on `drucker` in an 8-point fixed font. False when the printer failed; what
// it received until then stays.
bool druckeBericht(QPrinter& drucker, const BerichtTexte& texte);

} // namespace trelvik
