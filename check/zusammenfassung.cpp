#include "check/zusammenfassung.h"

#include "check/befund_datei.h"
#include "shape/shape_format.h"

#include <algorithm>
#include <iterator>

namespace trelvik {

namespace {

std::string csvText(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos)
        return text;
    std::string s = "\"";
    for (const char c : text) {
        if (c == '"')
            s += '"';
        s += c;
    }
    return s + "\"";
}

} // namespace

void BefundZaehler::satzGeprueft(const GeometriePruefung& pruefung, const SatzBefund& befund,
                                 const Punktfeld& punkte,
                                 const std::vector<std::int32_t>& teilStart) {
    WeiterleitendeAnzeige::satzGeprueft(pruefung, befund, punkte, teilStart);
    for (const Befund& f : befundeDesSatzes(pruefung, befund, punkte, teilStart, false)) {
        const auto art = std::find_if(befundArten.begin(), befundArten.end(),
                                      [&](const char* a) { return f.art == a; });
        if (art != befundArten.end())
            ++anzahl_[static_cast<std::size_t>(std::distance(befundArten.begin(), art))];
    }
}

DateiZusammenfassung fasseZusammen(const std::string& datei, const GeometriePruefung& p,
                                   const BefundZaehler& zaehler, const Attributliste& liste,
                                   int status) {
    DateiZusammenfassung z;
    z.datei = datei;
    z.status = status;
    z.geprueft = p.geoeffnet;
    if (!z.geprueft)
        return z;
    z.shapeTyp = std::string(shapeTypName(p.shapeTyp));
    z.saetze = p.saetzeImIndex;
    z.teile = p.teileGeprueft;
    z.punkte = p.punkteGeprueft;
    z.befunde = zaehler.anzahl();
    for (const AttributEintrag& e : liste) {
        if (e.status == 2)
            ++z.attributeOk;
        else if (e.status == 1)
            ++z.attributeFormatFalsch;
        else
            ++z.attributeFehlen;
    }
    return z;
}

std::string zusammenfassungCsv(const std::vector<DateiZusammenfassung>& dateien) {
    std::string text = "datei,shapetyp,saetze,teile,punkte";
    for (const char* art : befundArten)
        text += std::string(",") + art;
    text += ",attribute_ok,attribute_format_falsch,attribute_fehlen,status\r\n";
    for (const DateiZusammenfassung& z : dateien) {
        text += csvText(z.datei) + ",";
        if (z.geprueft) {
            text += csvText(z.shapeTyp) + "," + std::to_string(z.saetze) + "," +
                    std::to_string(z.teile) + "," + std::to_string(z.punkte);
            for (const std::int64_t n : z.befunde)
                text += "," + std::to_string(n);
            text += "," + std::to_string(z.attributeOk) + "," +
                    std::to_string(z.attributeFormatFalsch) + "," +
                    std::to_string(z.attributeFehlen);
        } else {
            // Nothing was read: no count at all rather than zeros that look like a clean file.
            text += std::string(4 + befundArten.size() + 3, ',').substr(1);
        }
        text += "," + std::to_string(z.status) + "\r\n";
    }
    return text;
}

} // namespace trelvik
