// Our reader against shapelib's on every real file set: the same records, types, part starts,
// bit-identical coordinates and the same attribute texts.
#include "app/zahlen.h"
#include "shape/dbf/zeichensatz.h"
#include "shape/shape_hilfe.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <bit>
#include <gtest/gtest.h>
#include <memory>
#include <shapefil.h>

using namespace trelvik;
using namespace trelvik::test;

namespace {

std::uint64_t bits(double w) {
    return std::bit_cast<std::uint64_t>(w);
}

// The check's rounding of Z and M; both sides are compared after it where our reader rounds.
double runde9(double w) {
    return textZuZahl(formatZahl(w, "0.000000000"));
}

bool istPunkt(int typ) {
    return typ == SHPT_POINT || typ == SHPT_POINTZ || typ == SHPT_POINTM;
}
bool istLinie(int typ) {
    return typ == SHPT_ARC || typ == SHPT_ARCZ || typ == SHPT_ARCM;
}
bool mitZM(int typ) {
    return typ != SHPT_POINT && typ != SHPT_ARC && typ != SHPT_POLYGON;
}

std::string ohneBlanks(std::string s) {
    s.erase(0, s.find_first_not_of(' '));
    s.erase(s.find_last_not_of(' ') + 1);
    return s;
}

struct ShpZu {
    void operator()(SHPInfo* h) const { SHPClose(h); }
};
struct DbfZu {
    void operator()(DBFInfo* h) const { DBFClose(h); }
};
struct ObjektWeg {
    void operator()(SHPObject* o) const { SHPDestroyObject(o); }
};

class Vergleich : public ::testing::TestWithParam<std::string> {
protected:
    std::string shp = echterPfad(GetParam());
    std::string basis = shp.substr(0, shp.size() - 3);
    TestOrdner tmp;
    TmpUmleitung umleitung{tmp.pfad()};
    VunInterface vun;
    Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    std::int32_t vunRing = 0;
};

} // namespace

TEST(EchteDaten, AlleSaetzeSindDa) {
    EXPECT_GE(echteSaetze().size(), 8u);
}

TEST_P(Vergleich, GeometrieGleichShapelib) {
    const std::unique_ptr<SHPInfo, ShpZu> h(SHPOpen(shp.c_str(), "rb"));
    ASSERT_NE(h, nullptr);
    int anzahl = 0, dateityp = 0;
    double minimum[4], maximum[4];
    SHPGetInfo(h.get(), &anzahl, &dateityp, minimum, maximum);
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    ASSERT_EQ(vun.DBanzahl, anzahl);
    EXPECT_EQ(vun.AktShapetyp, dateityp);
    EXPECT_EQ(bits(vun.xminimal), bits(minimum[0]));
    EXPECT_EQ(bits(vun.yminimal), bits(minimum[1]));
    EXPECT_EQ(bits(vun.xmaximal), bits(maximum[0]));
    EXPECT_EQ(bits(vun.ymaximal), bits(maximum[1]));

    long long punkteVerglichen = 0;
    for (int i = 0; i < anzahl; ++i) {
        const std::unique_ptr<SHPObject, ObjektWeg> o(SHPReadObject(h.get(), i));
        ASSERT_NE(o, nullptr) << i;
        const int typ = o->nSHPType;
        const auto n = static_cast<std::size_t>(o->nVertices);

        ASSERT_TRUE(vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp))
            << i << ": " << vun.letzterFehler();
        ASSERT_EQ(vun.AktRecordTyp, typ) << i;
        ASSERT_EQ(punkte.zeilen(), n) << i;
        ASSERT_EQ(punkte.spalten(), mitZM(typ) ? 4u : 2u) << i;
        if (istPunkt(typ)) {
            EXPECT_EQ(vunRing, 1);
            EXPECT_EQ(lpp, (std::vector<std::int32_t>{0, 1}));
        } else {
            ASSERT_EQ(vunRing, o->nParts) << i;
            for (int k = 0; k < o->nParts; ++k)
                EXPECT_EQ(lpp[static_cast<std::size_t>(k)], o->panPartStart[k]) << i;
            EXPECT_EQ(lpp.back(), o->nVertices) << i;
        }
        // The check rounds Z and M of lines and polygons, never of points.
        auto zm = [&](double w) { return istPunkt(typ) ? w : runde9(w); };
        for (std::size_t p = 0; p < n; ++p) {
            ASSERT_EQ(bits(punkte(p, 0)), bits(o->padfX[p])) << i << "/" << p;
            ASSERT_EQ(bits(punkte(p, 1)), bits(o->padfY[p])) << i << "/" << p;
            if (mitZM(typ)) {
                // shapelib has Z only for Z types (zeros otherwise), and M only when the record
                // holds a block after the points (and Z block): zeros otherwise, as ours.
                ASSERT_EQ(bits(punkte(p, 2)), bits(zm(o->padfZ[p]))) << i << "/" << p;
                ASSERT_EQ(bits(punkte(p, 3)), bits(zm(o->padfM[p]))) << i << "/" << p;
            }
        }
        punkteVerglichen += static_cast<long long>(n);

        // Shape_Get: polygons and points as above (PolyGonZ/M rounded, PointZ/M not); lines
        // unrounded and with their parts possibly rearranged, so each delivered part must be a
        // part of the file, each file part used once.
        ASSERT_TRUE(vun.Shape_Get(i, punkte, wname)) << i << ": " << vun.letzterFehler();
        ASSERT_EQ(punkte.zeilen(), n) << i;
        const auto& geliefert = vun.gelieferteTeile();
        if (!istLinie(typ)) {
            for (std::size_t p = 0; p < n; ++p) {
                ASSERT_EQ(bits(punkte(p, 0)), bits(o->padfX[p])) << i << "/" << p;
                ASSERT_EQ(bits(punkte(p, 1)), bits(o->padfY[p])) << i << "/" << p;
                if (mitZM(typ))
                    ASSERT_EQ(bits(punkte(p, 3)), bits(zm(o->padfM[p]))) << i << "/" << p;
            }
            continue;
        }
        ASSERT_EQ(geliefert.size(), static_cast<std::size_t>(o->nParts) + 1) << i;
        std::vector<bool> benutzt(static_cast<std::size_t>(o->nParts), false);
        for (std::size_t k = 0; k + 1 < geliefert.size(); ++k) {
            const auto von = static_cast<std::size_t>(geliefert[k]);
            const auto laenge = static_cast<std::size_t>(geliefert[k + 1]) - von;
            bool gefunden = false;
            for (int t = 0; t < o->nParts && !gefunden; ++t) {
                const auto start = static_cast<std::size_t>(o->panPartStart[t]);
                const auto ende =
                    t + 1 < o->nParts ? static_cast<std::size_t>(o->panPartStart[t + 1]) : n;
                if (benutzt[static_cast<std::size_t>(t)] || ende - start != laenge)
                    continue;
                bool gleich = true;
                for (std::size_t q = 0; q < laenge && gleich; ++q)
                    gleich =
                        bits(punkte(von + q, 0)) == bits(o->padfX[start + q]) &&
                        bits(punkte(von + q, 1)) == bits(o->padfY[start + q]) &&
                        (!mitZM(typ) || (bits(punkte(von + q, 2)) == bits(o->padfZ[start + q]) &&
                                         bits(punkte(von + q, 3)) == bits(o->padfM[start + q])));
                if (gleich) {
                    benutzt[static_cast<std::size_t>(t)] = true;
                    gefunden = true;
                }
            }
            EXPECT_TRUE(gefunden) << "record " << i << ", delivered part " << k;
        }
    }
    EXPECT_GT(punkteVerglichen, 0);
}

TEST_P(Vergleich, AttributeGleichShapelib) {
    const std::unique_ptr<DBFInfo, DbfZu> d(DBFOpen((basis + "dbf").c_str(), "rb"));
    ASSERT_NE(d, nullptr);
    const Zeichensatz zeichen(codepageVon(basis + "cpg"));
    ASSERT_TRUE(vun.Shape_Open(shp)) << vun.letzterFehler();
    const int felder = DBFGetFieldCount(d.get());
    ASSERT_EQ(vun.dbeintrag, felder);
    ASSERT_EQ(DBFGetRecordCount(d.get()), vun.DBanzahl);
    long long verglichen = 0;
    for (int i = 0; i < vun.DBanzahl; ++i) {
        ASSERT_TRUE(vun.Shape_Get(i, punkte, wname)) << i << ": " << vun.letzterFehler();
        ASSERT_EQ(wname.size(), static_cast<std::size_t>(felder));
        EXPECT_EQ(vun.AktDatenbank.position(), i);
        for (int j = 0; j < felder; ++j) {
            char name[XBASE_FLDNAME_LEN_READ + 1];
            int breite = 0, dezimalen = 0;
            DBFGetFieldInfo(d.get(), j, name, &breite, &dezimalen);
            const char art = DBFGetNativeFieldType(d.get(), j);
            const bool leer = DBFIsAttributeNULL(d.get(), i, j) != 0;
            std::string erwartet;
            if (art == 'C')
                erwartet = leer ? ""
                                : ohneBlanks(zeichen.dekodiere(
                                      DBFReadStringAttribute(d.get(), i, j), true));
            else if (art == 'N' && dezimalen == 0)
                erwartet = leer ? "" : formatZahl(DBFReadDoubleAttribute(d.get(), i, j), "0");
            else
                continue;
            EXPECT_EQ(wname[static_cast<std::size_t>(j)], erwartet)
                << "record " << i << ", field " << name;
            ++verglichen;
        }
    }
    // storms_xyzm has a table without fields: there only the counts are compared.
    if (felder > 0)
        EXPECT_GT(verglichen, 0);
}

INSTANTIATE_TEST_SUITE_P(Echt, Vergleich, ::testing::ValuesIn(echteSaetze()),
                         [](const auto& info) { return info.param; });
