// Numbers reach the cleaned table with every digit the source stored: one real clean over a
// source table with a column for each width and decimal count up to the dBase limits.
#include "check/attributliste.h"
#include "clean/bereinigen_lauf.h"
#include "clean/clean_hilfe.h"

#include <cstdint>

namespace trelvik {
namespace {

struct Zahlspalte {
    std::string name;
    int laenge;                        // in the source
    int dezimalen;
    std::vector<std::string> werte;    // per row, as stored (right-aligned here)
    int zielLaenge;                    // in the required list
    int zielDezimalen;
    std::vector<std::string> erwartet; // per row, as the cleaned table must hold them
};

std::string rechts(const std::string& s, int breite) {
    EXPECT_LE(s.size(), static_cast<std::size_t>(breite)) << s;
    return std::string(static_cast<std::size_t>(breite) - s.size(), ' ') + s;
}

void haenge(std::string& b, std::uint32_t wert, int bytes) {
    for (int k = 0; k < bytes; ++k)
        b += static_cast<char>(wert >> (8 * k));
}

// A dBase III table of numeric columns, laid out byte by byte; rows beyond a column's values
// stay blank.
std::string tabelle(const std::vector<Zahlspalte>& spalten, std::size_t zeilen) {
    std::uint32_t satz = 1;
    for (const auto& s : spalten)
        satz += static_cast<std::uint32_t>(s.laenge);
    std::string b(1, '\x03');
    b += "\x7C\x0C\x18";
    haenge(b, static_cast<std::uint32_t>(zeilen), 4);
    haenge(b, static_cast<std::uint32_t>(33 + 32 * spalten.size()), 2);
    haenge(b, satz, 2);
    b.append(20, '\0');
    for (const auto& s : spalten) {
        std::string d(32, '\0');
        d.replace(0, s.name.size(), s.name);
        d[11] = 'N';
        d[16] = static_cast<char>(s.laenge);
        d[17] = static_cast<char>(s.dezimalen);
        b += d;
    }
    b += '\x0D';
    for (std::size_t r = 0; r < zeilen; ++r) {
        b += ' ';
        for (const auto& s : spalten)
            b += rechts(r < s.werte.size() ? s.werte[r] : "", s.laenge);
    }
    return b + '\x1A';
}

// "99.99" for N(5,2): the widest value of the column, optionally negative.
std::string neunen(int laenge, int dezimalen, bool negativ) {
    const int ganz = laenge - (dezimalen > 0 ? dezimalen + 1 : 0) - (negativ ? 1 : 0);
    std::string s = (negativ ? "-" : "") + std::string(static_cast<std::size_t>(ganz), '9');
    if (dezimalen > 0)
        s += "." + std::string(static_cast<std::size_t>(dezimalen), '9');
    return s;
}

using DbfZiffern = test::CleanOrdner;

TEST_F(DbfZiffern, JedeBreiteUndJedeDezimalstelleKommtUnveraendertAn) {
    std::vector<Zahlspalte> spalten;
    // The example of a wide column with six decimals, and rounding from the stored digits where
    // the target has fewer decimals (as doubles 2.345 and 9.995 lie just below the half).
    spalten.push_back({"WERT", 18, 6, {"0.000123", "1234.567891"}, 18, 6,
                       {rechts("0.000123", 18), rechts("1234.567891", 18)}});
    spalten.push_back({"RUND", 8, 3, {"2.345", "-2.345", "0.005", "9.995", "-0.004"}, 8, 2,
                       {"    2.35", "   -2.35", "    0.01", "   10.00", "    0.00"}});
    std::vector<int> breiten;
    for (int w = 1; w <= 20; ++w)
        breiten.push_back(w);
    breiten.push_back(254);
    for (const int w : breiten) {
        for (int d = 0; d <= 15 && (d == 0 || d + 2 <= w); ++d) {
            const std::string kennung = std::to_string(w) + "_" + std::to_string(d);
            const std::string kleinste =
                d > 0 ? "0." + std::string(static_cast<std::size_t>(d - 1), '0') + "1" : "1";
            const bool negativPasst = w - (d > 0 ? d + 1 : 0) >= 2;
            std::vector<std::string> werte = {neunen(w, d, false),
                                              negativPasst ? neunen(w, d, true) : kleinste,
                                              kleinste, negativPasst ? "-" + kleinste : kleinste};
            std::vector<std::string> erwartet;
            for (const auto& v : werte)
                erwartet.push_back(rechts(v, w));
            spalten.push_back({"A" + kennung, w, d, werte, w, d, erwartet});
            // One digit more than the target column holds: no value, never a cut number.
            std::string zuBreit = neunen(w, d, false);
            for (char& c : zuBreit)
                c = c == '9' ? '0' : c;
            zuBreit.insert(zuBreit.begin(), '1');
            spalten.push_back({"B" + kennung, w + 1, d, {zuBreit, neunen(w, d, false)}, w, d,
                               {std::string(static_cast<std::size_t>(w), '*'),
                                rechts(neunen(w, d, false), w)}});
        }
    }
    const std::string quelle = kopiere("faulty", "clean_polygons");
    const std::string dbf = quelle.substr(0, quelle.size() - 3) + "dbf";
    const std::size_t zeilen = 8; // one per record of the set
    std::ofstream(dbf, std::ios::binary | std::ios::trunc) << tabelle(spalten, zeilen);
    Attributliste liste;
    for (const auto& s : spalten) {
        AttributEintrag e;
        e.name = s.name;
        e.typ = "N";
        e.laenge = s.zielLaenge;
        e.dezimalen = s.zielDezimalen;
        liste.push_back(e);
    }
    vergleicheAttribute(leseTabellenFelder(dbf), liste);
    const std::string ziel = ordner + "ziel.shp";
    const BereinigungsErgebnis e = bereinigen(quelle, ziel, liste, {}, [](const std::string&) {});
    ASSERT_TRUE(e.erfolgreich) << e.grund;

    const std::string b = lies(ordner + "ziel.dbf");
    const std::size_t kopf = 33 + 32 * spalten.size();
    std::size_t satz = 1;
    for (const auto& s : spalten)
        satz += static_cast<std::size_t>(s.zielLaenge);
    ASSERT_EQ(b.size(), kopf + zeilen * satz + 1);
    int sterne = 0;
    std::size_t stelle = 1;
    for (const auto& s : spalten) {
        for (std::size_t r = 0; r < s.erwartet.size(); ++r) {
            const std::string feld =
                b.substr(kopf + r * satz + stelle, static_cast<std::size_t>(s.zielLaenge));
            EXPECT_EQ(feld, s.erwartet[r]) << s.name << ", row " << r;
            sterne += feld.find_first_not_of('*') == std::string::npos;
        }
        stelle += static_cast<std::size_t>(s.zielLaenge);
    }
    EXPECT_EQ(e.ueberlaeufe, sterne);
}

} // namespace
} // namespace trelvik
