#include "geometrie_hilfe.h"

#include <gtest/gtest.h>

#include <dlfcn.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace geo = trelvik::geo;

namespace {

const std::set<std::string> exporte{"PolygonTest",
                                    "MultiPolygonTest",
                                    "areaBerechnen",
                                    "LaengeBerechnen",
                                    "poly_simplify",
                                    "entferneZungen",
                                    "entferneKleineFlaechen",
                                    "loeschePunkte",
                                    "loeschePunkteSmall",
                                    "LaengeVerschieben",
                                    "MultiPolygonVerschieben",
                                    "WandelPunktInFloatVunTool",
                                    "erzeugeDoubleAusWert",
                                    "erzeugeSingleAusWert"};

const std::string bibliothek = std::string(TRELVIK_BIN) + "/libtrelvik.so.1";

std::string ausgabe(const std::string& befehl) {
    std::unique_ptr<FILE, int (*)(FILE*)> rohr(::popen(befehl.c_str(), "r"), ::pclose);
    std::string text;
    if (!rohr)
        return text;
    char puffer[4096];
    while (const std::size_t n = std::fread(puffer, 1, sizeof puffer, rohr.get()))
        text.append(puffer, n);
    return text;
}

std::string echterPfad(const std::string& pfad) {
    char echt[PATH_MAX];
    return ::realpath(pfad.c_str(), echt) != nullptr ? std::string(echt) : pfad;
}

} // namespace

TEST(Bindung, FehlenderEintragWirftBindungsFehler) {
    try {
        geo::eintrag("gibtEsNicht");
        FAIL() << "no exception";
    } catch (const trelvik::BindungsFehler& f) {
        EXPECT_NE(std::string(f.what()).find("gibtEsNicht"), std::string::npos) << f.what();
    }
    // A failed lookup leaves the library usable.
    EXPECT_NE(geo::eintrag("PolygonTest"), nullptr);
}

TEST(Bindung, LaedtDieBibliothekAusDemProgrammordner) {
    void* adresse = geo::eintrag("areaBerechnen");
    EXPECT_EQ(adresse, geo::eintrag("areaBerechnen"));
    Dl_info info{};
    ASSERT_NE(::dladdr(adresse, &info), 0);
    EXPECT_EQ(echterPfad(info.dli_fname), echterPfad(bibliothek));
}

TEST(Bindung, GebundenerAufrufRechnet) {
    const std::vector<Punkt> p{{0, 0}, {0, 2}, {2, 2}, {2, 0}, {0, 0}};
    double umfang = 0;
    double kuerzeste = 0;
    EXPECT_DOUBLE_EQ(geo::areaBerechnen(p.data(), 4, &umfang, &kuerzeste), -4.0);
    EXPECT_DOUBLE_EQ(umfang, 8.0);
}

TEST(Bindung, BibliothekExportiertGenauDieVierzehnRoutinen) {
    const std::string tabelle = ausgabe("nm -D --defined-only '" + bibliothek + "'");
    ASSERT_FALSE(tabelle.empty());
    std::set<std::string> funktionen;
    std::istringstream zeilen(tabelle);
    std::string zeile;
    while (std::getline(zeilen, zeile)) {
        std::istringstream felder(zeile);
        std::string adresse;
        std::string art;
        std::string name;
        if (!(felder >> adresse >> art >> name))
            continue;
        // Code symbols: text (T/t), weak (W/w) and indirect (i).
        if (art == "T" || art == "t" || art == "W" || art == "w" || art == "i")
            funktionen.insert(name);
    }
    EXPECT_EQ(funktionen, exporte);
}

TEST(Bindung, BibliothekBrauchtNurDieLaufzeitbibliotheken) {
    const std::string dynamik = ausgabe("readelf -d '" + bibliothek + "'");
    ASSERT_FALSE(dynamik.empty());
    // The loader is glibc's too: it serves the thread-local memory of the cleaning passes.
    const std::set<std::string> erlaubt{"libc.so.6",     "libstdc++.so.6", "libm.so.6",
                                        "libgcc_s.so.1", "libasan.so.8",   "libubsan.so.1",
                                        "ld-linux-x86-64.so.2"};
    std::istringstream zeilen(dynamik);
    std::string zeile;
    int gebraucht = 0;
    bool soname = false;
    while (std::getline(zeilen, zeile)) {
        const auto auf = zeile.find('[');
        const auto zu = zeile.find(']');
        if (auf == std::string::npos || zu == std::string::npos)
            continue;
        const std::string name = zeile.substr(auf + 1, zu - auf - 1);
        if (zeile.find("(NEEDED)") != std::string::npos) {
            ++gebraucht;
            EXPECT_EQ(erlaubt.count(name), 1u) << name;
        }
        if (zeile.find("(SONAME)") != std::string::npos)
            soname = name == "libtrelvik.so.1";
    }
    EXPECT_GT(gebraucht, 0);
    EXPECT_TRUE(soname);
}
