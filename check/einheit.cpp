#include "check/einheit.h"

#include "check/projektion.h"
#include "check/text_datei.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <vector>

namespace trelvik {

namespace {

// One keyword with its bracketed arguments; texts and numbers stay as written.
struct Knoten {
    std::string schluessel;
    std::vector<std::string> werte;
    std::vector<std::unique_ptr<Knoten>> kinder;
};

std::string gross(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}

class Leser {
public:
    explicit Leser(const std::string& text) : t_(text) {}

    std::unique_ptr<Knoten> knoten(int tiefe) {
        // Deeper than any real text: stop rather than recurse without bound.
        if (tiefe > 64)
            return nullptr;
        leer();
        auto k = std::make_unique<Knoten>();
        while (i_ < t_.size() && (std::isalnum(static_cast<unsigned char>(t_[i_])) || t_[i_] == '_'))
            k->schluessel += t_[i_++];
        leer();
        if (k->schluessel.empty() || i_ >= t_.size() || (t_[i_] != '[' && t_[i_] != '('))
            return k;
        const char zu = t_[i_] == '[' ? ']' : ')';
        ++i_;
        while (i_ < t_.size()) {
            leer();
            if (i_ >= t_.size())
                break;
            const char c = t_[i_];
            if (c == zu) {
                ++i_;
                break;
            }
            if (c == ',') {
                ++i_;
            } else if (c == '"') {
                std::string s;
                ++i_;
                while (i_ < t_.size()) {
                    if (t_[i_] == '"') {
                        // "" inside a quoted text is one quote.
                        if (i_ + 1 < t_.size() && t_[i_ + 1] == '"') {
                            s += '"';
                            i_ += 2;
                            continue;
                        }
                        ++i_;
                        break;
                    }
                    s += t_[i_++];
                }
                k->werte.push_back(s);
            } else if (std::isalpha(static_cast<unsigned char>(c))) {
                auto kind = knoten(tiefe + 1);
                if (!kind)
                    return nullptr;
                k->kinder.push_back(std::move(kind));
            } else {
                std::string s;
                while (i_ < t_.size() && t_[i_] != ',' && t_[i_] != zu && t_[i_] != ']' &&
                       t_[i_] != ')')
                    s += t_[i_++];
                k->werte.push_back(s);
            }
        }
        return k;
    }

private:
    void leer() {
        while (i_ < t_.size() && std::isspace(static_cast<unsigned char>(t_[i_])))
            ++i_;
    }
    const std::string& t_;
    std::size_t i_ = 0;
};

// The last unit given directly inside `k` (a system's own unit follows its parts).
const Knoten* eigeneEinheit(const Knoten& k, bool winkel) {
    const Knoten* gefunden = nullptr;
    for (const auto& kind : k.kinder) {
        const std::string s = gross(kind->schluessel);
        if (s == "UNIT" || (winkel ? s == "ANGLEUNIT" : s == "LENGTHUNIT"))
            gefunden = kind.get();
    }
    return gefunden;
}

// WKT 2 puts the unit into the coordinate system's axes.
const Knoten* einheitIrgendwo(const Knoten& k, bool winkel) {
    if (const Knoten* e = eigeneEinheit(k, winkel))
        return e;
    for (const auto& kind : k.kinder) {
        const std::string s = gross(kind->schluessel);
        if (s == "CS" || s == "AXIS")
            if (const Knoten* e = einheitIrgendwo(*kind, winkel))
                return e;
    }
    for (const auto& kind : k.kinder)
        if (gross(kind->schluessel) == "AXIS")
            if (const Knoten* e = eigeneEinheit(*kind, winkel))
                return e;
    return nullptr;
}

bool istMeterName(const std::string& name) {
    const std::string g = gross(name);
    return g == "METER" || g == "METRE" || g == "M" || g == "METERS" || g == "METRES";
}

} // namespace

Koordinateneinheit einheitAusProjektion(const std::string& wkt) {
    Koordinateneinheit e;
    Leser leser(wkt);
    const auto wurzel = leser.knoten(0);
    if (!wurzel)
        return e;
    const std::string art = gross(wurzel->schluessel);
    const bool geographisch = art == "GEOGCS" || art == "GEOGCRS" || art == "GEOGRAPHICCRS" ||
                              art == "GEODCRS" || art == "GEODETICCRS";
    const bool projiziert = art == "PROJCS" || art == "PROJCRS" || art == "PROJECTEDCRS";
    if (!geographisch && !projiziert)
        return e;
    const Knoten* einheit = einheitIrgendwo(*wurzel, geographisch);
    if (!einheit) {
        // A geographic system is in angles whatever it fails to say about them.
        if (geographisch)
            e.art = Koordinateneinheit::Art::Grad;
        return e;
    }
    if (!einheit->werte.empty())
        e.name = einheit->werte[0];
    if (einheit->werte.size() > 1) {
        char* ende = nullptr;
        const double f = std::strtod(einheit->werte[1].c_str(), &ende);
        if (ende != einheit->werte[1].c_str() && std::isfinite(f))
            e.faktor = f;
    }
    if (geographisch) {
        e.art = Koordinateneinheit::Art::Grad;
    } else if (istMeterName(e.name) || (e.faktor != 0 && std::fabs(e.faktor - 1) < 1e-9)) {
        e.art = Koordinateneinheit::Art::Meter;
    } else {
        e.art = Koordinateneinheit::Art::AndereLaenge;
    }
    return e;
}

Koordinateneinheit koordinateneinheit(const std::string& shapePfad) {
    const std::string pfad = projektionsDatei(shapePfad);
    if (pfad.empty())
        return {};
    std::ifstream datei(pfad, std::ios::binary);
    std::string zeile;
    if (!datei || !leseZeile(datei, zeile))
        return {};
    return einheitAusProjektion(zeile);
}

bool einheitWarnen(const Koordinateneinheit& einheit) {
    return einheit.art == Koordinateneinheit::Art::Grad ||
           einheit.art == Koordinateneinheit::Art::AndereLaenge;
}

std::string einheitWarnung(const std::string& shapePfad) {
    const Koordinateneinheit e = koordinateneinheit(shapePfad);
    if (!einheitWarnen(e))
        return "";
    const std::string name = e.name.empty() ? std::string("ohne Namen") : "\"" + e.name + "\"";
    if (e.art == Koordinateneinheit::Art::Grad)
        return "Warnung: Die Koordinaten sind geographisch (Einheit " + name +
               "), Mindestabstand und Mindestfläche gelten aber in Metern.";
    return "Warnung: Die Koordinaten sind in der Einheit " + name +
           ", nicht in Metern; Mindestabstand und Mindestfläche gelten in Metern.";
}

} // namespace trelvik
