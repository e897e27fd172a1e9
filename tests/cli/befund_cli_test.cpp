// trelvik-cli check with the findings file, the summary table and the unit warning.
#include "hilfe/cli.h"
#include "hilfe/ordner.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <regex>
#include <set>
#include <shapefil.h>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

namespace fs = std::filesystem;
namespace test = trelvik::test;

namespace {

struct Lauf {
    int status = -1;
    std::string aus; // stdout
    std::string err; // stderr
};

std::string lies(const fs::path& pfad) { return test::lies(pfad.string()); }

class CliBefunde : public ::testing::Test {
protected:
    void SetUp() override { test::schreibe((ordner / "Attribute.txt").string(), ""); }

    // A copy of a set with known faults in the test's folder; returns its .shp path.
    fs::path kopie(const std::string& set) {
        const fs::path quelle = fs::path(TRELVIK_TESTDATEN) / "faulty" / set;
        for (const auto& d : fs::directory_iterator(quelle))
            fs::copy_file(d.path(), ordner / d.path().filename(),
                          fs::copy_options::overwrite_existing);
        return ordner / (set + ".shp");
    }
    Lauf check(const std::string& argumente) {
        const fs::path err = ordner / "stderr.txt";
        const test::Lauf l = test::starte("{ cd '" + ordner.string() + "' && '" + test::cliPfad() +
                                              "' check --attributes Attribute.txt " + argumente +
                                              " 2>'" + err.string() + "'; }",
                                          false);
        return {l.status, l.ausgabe, lies(err)};
    }
    test::TestOrdner platz;
    fs::path ordner = platz.pfad();
};

struct Zeile {
    bool hatOrt = false;
    double x = 0, y = 0;
    int satz = 0, teil = 0;
    std::string art, wert, text;
    bool operator<(const Zeile& o) const {
        return std::tie(satz, teil, art, x, y, wert, text) <
               std::tie(o.satz, o.teil, o.art, o.x, o.y, o.wert, o.text);
    }
};

// The CSV as a GIS reads it: a header, then fields split at commas outside quotes.
std::vector<Zeile> leseCsv(const std::string& inhalt, std::string& kopf) {
    std::vector<Zeile> zeilen;
    std::istringstream ein(inhalt);
    std::string z;
    bool erste = true;
    while (std::getline(ein, z)) {
        EXPECT_TRUE(!z.empty() && z.back() == '\r');
        z.pop_back();
        if (erste) {
            kopf = z;
            erste = false;
            continue;
        }
        std::vector<std::string> felder(1);
        bool inText = false;
        for (std::size_t i = 0; i < z.size(); ++i) {
            if (z[i] == '"') {
                if (inText && i + 1 < z.size() && z[i + 1] == '"')
                    felder.back() += z[++i];
                else
                    inText = !inText;
            } else if (z[i] == ',' && !inText) {
                felder.emplace_back();
            } else {
                felder.back() += z[i];
            }
        }
        EXPECT_EQ(felder.size(), 7u) << z;
        if (felder.size() != 7)
            continue;
        Zeile r;
        r.hatOrt = !felder[0].empty();
        if (r.hatOrt) {
            r.x = std::stod(felder[0]);
            r.y = std::stod(felder[1]);
        }
        r.satz = std::stoi(felder[2]);
        r.teil = std::stoi(felder[3]);
        r.art = felder[4];
        r.wert = felder[5];
        r.text = felder[6];
        zeilen.push_back(r);
    }
    return zeilen;
}

// Windows-1252 texts of the table back to UTF-8 (the report's texts need only Latin-1).
std::string ausLatin1(const char* roh) {
    std::string s;
    for (const char* c = roh; *c; ++c) {
        const auto b = static_cast<unsigned char>(*c);
        if (b < 0x80) {
            s += *c;
        } else {
            s += static_cast<char>(0xC0 | (b >> 6));
            s += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return s;
}

std::vector<Zeile> leseShape(const fs::path& shp) {
    std::vector<Zeile> zeilen;
    SHPHandle h = SHPOpen(shp.c_str(), "rb");
    DBFHandle d = DBFOpen(fs::path(shp).replace_extension(".dbf").c_str(), "rb");
    EXPECT_NE(h, nullptr);
    EXPECT_NE(d, nullptr);
    if (!h || !d)
        return zeilen;
    int anzahl = 0, typ = 0;
    SHPGetInfo(h, &anzahl, &typ, nullptr, nullptr);
    EXPECT_EQ(typ, SHPT_POINT);
    EXPECT_EQ(DBFGetRecordCount(d), anzahl);
    const int fSatz = DBFGetFieldIndex(d, "SATZ"), fTeil = DBFGetFieldIndex(d, "TEIL"),
              fArt = DBFGetFieldIndex(d, "ART"), fWert = DBFGetFieldIndex(d, "WERT"),
              fText = DBFGetFieldIndex(d, "TEXT");
    EXPECT_TRUE(fSatz >= 0 && fTeil >= 0 && fArt >= 0 && fWert >= 0 && fText >= 0);
    for (int i = 0; i < anzahl; ++i) {
        SHPObject* o = SHPReadObject(h, i);
        Zeile r;
        r.hatOrt = o && o->nSHPType == SHPT_POINT && o->nVertices == 1;
        if (r.hatOrt) {
            r.x = o->padfX[0];
            r.y = o->padfY[0];
        }
        SHPDestroyObject(o);
        r.satz = DBFReadIntegerAttribute(d, i, fSatz);
        r.teil = DBFReadIntegerAttribute(d, i, fTeil);
        r.art = DBFReadStringAttribute(d, i, fArt);
        if (!DBFIsAttributeNULL(d, i, fWert))
            r.wert = DBFReadStringAttribute(d, i, fWert);
        r.text = ausLatin1(DBFReadStringAttribute(d, i, fText));
        zeilen.push_back(r);
    }
    SHPClose(h);
    DBFClose(d);
    return zeilen;
}

// What the README of the sets with known faults says a checker reports: record, kind and,
// where the kind has one place, that place.
struct Erwartet {
    const char* set;
    int satz;
    const char* art;
    double x = NAN, y = NAN;
    int anzahl = 1; // at least this many findings of the kind
    double x2 = NAN, y2 = NAN; // another place the README allows
};

const Erwartet erwartet[] = {
    {"figure_eight", 2, "schneidet", 537260, 5625680},
    {"vertex_on_segment", 5, "schneidet", 486100, 5716220},
    {"vertex_on_segment", 5, "abstand", 486100, 5716220},
    {"duplicate_points", 2, "abstand", 466560, 5814360},
    {"duplicate_points", 2, "schneidet", 466560, 5814360},
    {"close_points", 5, "abstand", 536230, 5740930},
    {"sliver", 1, "flaeche", 470100, 5690100},
    {"shared_edge", 2, "ringe_nah"},
    {"shared_edge", 2, "ringe_schneiden"},
    {"hole_touching", 1, "ringe_nah"},
    {"hole_touching", 1, "ringe_schneiden"},
    // The first point of the part, which the README names second.
    {"ring_two_points", 2, "punktanzahl", 452100, 5789200, 1, 452020, 5789280},
    {"ring_two_points", 2, "flaeche"},
    {"part_one_point", 1, "zu_wenig_punkte", 535760, 5755450},
    {"part_one_point", 4, "zu_wenig_punkte", 538650, 5755450},
    {"zero_parts", 2, "zu_wenig_punkte"},
    {"null_record", 5, "zu_wenig_punkte"},
    {"null_record", 5, "typ"},
    {"polyline_in_polygon_file", 2, "typ", 524600, 5781900},
    {"spike", 1, "abstand", 532600, 5689450},
    {"polyline_self_crossing", 1, "schneidet", 535360, 5670460},
    {"polyline_first_last", 3, "schneidet", 552700, 5883100},
    {"polyline_first_last", 3, "abstand", 552700, 5883100},
    {"polyline_first_last", 4, "schneidet", 553740, 5883100},
    {"rings_near", 3, "ringe_nah"},
    {"rings_crossing", 6, "ringe_schneiden"},
    {"limits_area", 1, "flaeche", 551300, 5796100},
    {"limits_area", 2, "flaeche", 552300, 5796100},
    {"limits_area", 3, "flaeche", 553300, 5796100},
    {"limits_area", 4, "flaeche", 554300, 5796100},
    {"limits_area", 6, "flaeche", 551300, 5797100},
    {"limits_area", 7, "flaeche", 552300, 5797100},
    {"limits_area", 8, "flaeche", 553300, 5797100},
    {"limits_area", 9, "flaeche", 554300, 5797100},
    {"limits_area", 11, "flaeche", 551300, 5798100},
    {"limits_area", 12, "flaeche", 552300, 5798100},
    {"limits_area", 13, "flaeche", 553300, 5798100},
    {"limits_area", 14, "flaeche", 554300, 5798100},
    {"limits_crossings", 6, "schneidet", NAN, NAN, 11},
};

// Every "x/y" of a list entry in the report, with the record it belongs to.
std::vector<std::tuple<int, long, long>> berichtsOrte(const std::string& bericht) {
    std::vector<std::tuple<int, long, long>> orte;
    std::istringstream ein(bericht);
    std::string z;
    int satz = 0;
    const std::regex label(R"(^\S+ (\d+)\s)");
    const std::regex ort(R"((-?\d+)/ *(-?\d+))");
    while (std::getline(ein, z)) {
        std::smatch m;
        if (std::regex_search(z, m, label))
            satz = std::stoi(m[1]);
        if (z.find("Xo/Yo:") == std::string::npos)
            continue;
        for (auto i = std::sregex_iterator(z.begin(), z.end(), ort); i != std::sregex_iterator();
             ++i)
            orte.emplace_back(satz, std::stol((*i)[1]), std::stol((*i)[2]));
    }
    return orte;
}

} // namespace

TEST_F(CliBefunde, AlleBefundeAlsCsvUndShapeMitDenOrtenDesBerichts) {
    int saetze = 0;
    for (const auto& eintrag : fs::directory_iterator(fs::path(TRELVIK_TESTDATEN) / "faulty")) {
        if (!eintrag.is_directory())
            continue;
        const std::string set = eintrag.path().filename().string();
        SCOPED_TRACE(set);
        ++saetze;
        const fs::path shp = kopie(set);
        const Lauf csvLauf = check(shp.filename().string() + " --findings befunde.csv");
        const Lauf shpLauf = check(shp.filename().string() + " --findings befunde.shp");
        EXPECT_EQ(csvLauf.status, set.rfind("clean_", 0) == 0 ? 0 : 1) << csvLauf.err;
        EXPECT_EQ(shpLauf.aus, csvLauf.aus);
        EXPECT_EQ(shpLauf.status, csvLauf.status) << shpLauf.err;

        std::string kopf;
        const std::vector<Zeile> zeilen = leseCsv(lies(ordner / "befunde.csv"), kopf);
        EXPECT_EQ(kopf.substr(0, 4), "x,y,");
        // The shapefile holds the same findings, with the source's projection beside it.
        std::vector<Zeile> ausShape = leseShape(ordner / "befunde.shp");
        ASSERT_EQ(ausShape.size(), zeilen.size());
        for (std::size_t i = 0; i < zeilen.size(); ++i) {
            EXPECT_EQ(ausShape[i].hatOrt, zeilen[i].hatOrt);
            EXPECT_NEAR(ausShape[i].x, zeilen[i].x, 1e-6);
            EXPECT_NEAR(ausShape[i].y, zeilen[i].y, 1e-6);
            EXPECT_EQ(ausShape[i].satz, zeilen[i].satz);
            EXPECT_EQ(ausShape[i].teil, zeilen[i].teil);
            EXPECT_EQ(ausShape[i].art, zeilen[i].art);
            EXPECT_EQ(ausShape[i].text, zeilen[i].text);
            if (!zeilen[i].wert.empty())
                EXPECT_NEAR(std::stod(ausShape[i].wert), std::stod(zeilen[i].wert), 1e-6);
        }
        EXPECT_EQ(lies(ordner / "befunde.prj"), lies(fs::path(shp).replace_extension(".prj")));
        EXPECT_TRUE(fs::exists(ordner / "befunde.shx"));
        EXPECT_TRUE(fs::exists(ordner / "befunde.cpg"));

        // The README's findings, and no record it does not name.
        std::set<int> faulty;
        for (const Erwartet& e : erwartet) {
            if (e.set != set)
                continue;
            faulty.insert(e.satz);
            int gefunden = 0;
            bool amOrt = std::isnan(e.x);
            for (const Zeile& r : zeilen) {
                if (r.satz != e.satz || r.art != e.art)
                    continue;
                ++gefunden;
                amOrt = amOrt || (r.hatOrt && (std::hypot(r.x - e.x, r.y - e.y) < 1 ||
                                               std::hypot(r.x - e.x2, r.y - e.y2) < 1));
            }
            EXPECT_GE(gefunden, e.anzahl) << e.satz << " " << e.art;
            EXPECT_TRUE(amOrt) << e.satz << " " << e.art;
        }
        for (const Zeile& r : zeilen) {
            EXPECT_TRUE(faulty.count(r.satz)) << r.satz << " " << r.art;
            EXPECT_FALSE(r.text.empty());
        }
        // Every place the report shows, at the coordinates it shows.
        for (const auto& [satz, x, y] : berichtsOrte(csvLauf.aus)) {
            const bool da = std::any_of(zeilen.begin(), zeilen.end(), [&](const Zeile& r) {
                return r.satz == satz && r.hatOrt && std::lround(r.x) == x && std::lround(r.y) == y;
            });
            EXPECT_TRUE(da) << satz << ": " << x << "/" << y;
        }
        if (set == "limits_area")
            EXPECT_EQ(std::count_if(zeilen.begin(), zeilen.end(),
                                    [](const Zeile& r) { return r.art == "flaeche"; }),
                      12);
    }
    EXPECT_EQ(saetze, 21);
}

TEST_F(CliBefunde, ZielDasNichtGeschriebenWerdenKannBleibtUnberuehrt) {
    const fs::path shp = kopie("figure_eight");
    // A folder that does not exist, and an extension that is neither.
    for (const std::string ziel : {"fehlt/befunde.shp", "fehlt/befunde.csv", "befunde.txt"}) {
        const Lauf l = check(shp.filename().string() + " --findings " + ziel);
        EXPECT_EQ(l.status, 2) << ziel;
        EXPECT_NE(l.err.find("trelvik-cli: "), std::string::npos);
    }
    // A target the rename cannot replace (a folder of that name): exit 2, and neither the
    // companions of the set nor temporary files are left behind.
    for (const std::string ziel : {"fest.shp", "fest.csv"}) {
        fs::create_directory(ordner / ziel);
        const Lauf l = check(shp.filename().string() + " --findings " + ziel);
        EXPECT_EQ(l.status, 2) << ziel;
        EXPECT_NE(l.err.find(ziel), std::string::npos) << l.err;
        for (const auto& d : fs::directory_iterator(ordner)) {
            const std::string name = d.path().filename().string();
            EXPECT_TRUE(name.rfind("fest.", 0) != 0 || name == ziel) << name;
            EXPECT_NE(name[0], '.') << name;
        }
        fs::remove(ordner / ziel);
    }
    // The checked file itself is refused.
    EXPECT_EQ(check(shp.filename().string() + " --findings FIGURE_EIGHT.SHP").status, 2);
}

TEST_F(CliBefunde, EinheitswarnungNurFuerGradUndFuss) {
    const fs::path shp = kopie("figure_eight");
    const fs::path prj = fs::path(shp).replace_extension(".prj");
    const Lauf meter = check(shp.filename().string());
    EXPECT_EQ(meter.status, 1);
    EXPECT_EQ(meter.err.find("warning"), std::string::npos) << meter.err;

    std::ofstream(prj, std::ios::trunc)
        << R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],UNIT["Degree",0.0174532925199433]])";
    const Lauf grad = check(shp.filename().string());
    EXPECT_NE(grad.err.find("warning"), std::string::npos);
    EXPECT_NE(grad.err.find("\"Degree\""), std::string::npos) << grad.err;
    // The report is the same whatever the unit.
    EXPECT_EQ(grad.status, meter.status);

    std::ofstream(prj, std::ios::trunc)
        << R"(PROJCS["x",GEOGCS["y",UNIT["Degree",0.0174532925199433]],UNIT["Foot_US",0.3048006096012192]])";
    const Lauf fuss = check(shp.filename().string());
    EXPECT_NE(fuss.err.find("\"Foot_US\""), std::string::npos) << fuss.err;

    fs::remove(prj);
    const Lauf ohne = check(shp.filename().string());
    EXPECT_EQ(ohne.err.find("warning"), std::string::npos) << ohne.err;
}

TEST_F(CliBefunde, ZusammenfassungEineZeileJeDatei) {
    kopie("figure_eight");
    kopie("limits_area");
    kopie("clean_polylines");
    // Two fields as the sets have them, one with another format, one missing.
    std::ofstream(ordner / "Attribute.txt", std::ios::trunc)
        << "\"QUELLE\"\tC\t50\r\n\"AKTDAT\"\tD\t8\r\n\"FLAECHE\"\tC\t10\r\n\"FEHLT\"\tC\t5\r\n";
    const Lauf l = check("figure_eight.shp limits_area.shp clean_polylines.shp fehlt.shp "
                         "--summary tabelle.csv");
    EXPECT_EQ(l.status, 2);
    std::istringstream ein(lies(ordner / "tabelle.csv"));
    std::vector<std::vector<std::string>> zeilen;
    std::string z;
    while (std::getline(ein, z)) {
        ASSERT_EQ(z.back(), '\r');
        z.pop_back();
        std::vector<std::string> felder(1);
        for (const char c : z)
            if (c == ',')
                felder.emplace_back();
            else
                felder.back().push_back(c);
        zeilen.push_back(felder);
    }
    ASSERT_EQ(zeilen.size(), 5u);
    const auto& kopf = zeilen[0];
    const auto spalte = [&](std::size_t zeile, const std::string& name) {
        const auto i = std::find(kopf.begin(), kopf.end(), name);
        EXPECT_NE(i, kopf.end()) << name;
        return i == kopf.end() ? std::string() : zeilen[zeile].at(i - kopf.begin());
    };
    for (std::size_t i = 1; i < zeilen.size(); ++i)
        EXPECT_EQ(zeilen[i].size(), kopf.size());
    EXPECT_EQ(spalte(1, "datei"), "figure_eight.shp");
    EXPECT_EQ(spalte(1, "shapetyp"), "PolyGon");
    EXPECT_EQ(spalte(1, "saetze"), "3");
    EXPECT_EQ(spalte(1, "schneidet"), "1");
    EXPECT_EQ(spalte(1, "flaeche"), "0");
    EXPECT_EQ(spalte(1, "status"), "1");
    EXPECT_EQ(spalte(1, "attribute_ok"), "2");
    EXPECT_EQ(spalte(1, "attribute_format_falsch"), "1");
    EXPECT_EQ(spalte(1, "attribute_fehlen"), "1");
    // All twelve area faults, not the ten the report lists.
    EXPECT_EQ(spalte(2, "flaeche"), "12");
    EXPECT_EQ(spalte(2, "saetze"), "14");
    EXPECT_EQ(spalte(2, "teile"), "14");
    EXPECT_EQ(spalte(3, "shapetyp"), "PolyLine");
    EXPECT_EQ(spalte(3, "status"), "0");
    EXPECT_GT(std::stol(spalte(3, "punkte")), 7 * 2);
    // A file that was not read has no counts, only its status.
    EXPECT_EQ(spalte(4, "datei"), "fehlt.shp");
    EXPECT_EQ(spalte(4, "saetze"), "");
    EXPECT_EQ(spalte(4, "status"), "2");

    EXPECT_EQ(check("figure_eight.shp --summary fehlt/tabelle.csv").status, 2);
}
