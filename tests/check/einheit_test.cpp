#include "check/einheit.h"
#include "pruef_hilfe.h"

using namespace trelvik;

namespace {

struct Fall {
    const char* prj;
    Koordinateneinheit::Art art;
    const char* name;
};

const Fall faelle[] = {
    {R"(GEOGCS["GCS_WGS_1984",DATUM["D_WGS_1984",SPHEROID["WGS_1984",6378137.0,298.257223563]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]])",
     Koordinateneinheit::Art::Grad, "Degree"},
    // A projected system in US feet: its geographic part's degree unit must not be taken.
    {R"(PROJCS["NAD_1983_StatePlane_Texas",GEOGCS["GCS_North_American_1983",DATUM["D_North_American_1983",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Lambert_Conformal_Conic"],PARAMETER["False_Easting",1968500.0],UNIT["Foot_US",0.3048006096012192]])",
     Koordinateneinheit::Art::AndereLaenge, "Foot_US"},
    {R"(PROJCS["ETRS_1989_UTM_Zone_32N",GEOGCS["GCS_ETRS_1989",DATUM["D_ETRS_1989",SPHEROID["GRS_1980",6378137.0,298.257222101]],PRIMEM["Greenwich",0.0],UNIT["Degree",0.0174532925199433]],PROJECTION["Transverse_Mercator"],UNIT["Meter",1.0]])",
     Koordinateneinheit::Art::Meter, "Meter"},
    // WKT 2 keeps the unit in the axes.
    {R"(PROJCRS["x",BASEGEOGCRS["y",ANGLEUNIT["degree",0.01745]],CS[Cartesian,2],AXIS["E",east,LENGTHUNIT["US survey foot",0.30480061]],AXIS["N",north,LENGTHUNIT["US survey foot",0.30480061]]])",
     Koordinateneinheit::Art::AndereLaenge, "US survey foot"},
};

} // namespace

using Einheit = TempOrdnerTest;

TEST_F(Einheit, GradUndFussWarnenMeterNicht) {
    for (const Fall& f : faelle) {
        const Koordinateneinheit e = einheitAusProjektion(f.prj);
        EXPECT_EQ(e.art, f.art) << f.prj;
        EXPECT_EQ(e.name, f.name) << f.prj;

        schreibe("a.prj", std::string(f.prj) + "\r\n");
        const std::string warnung = einheitWarnung(ordner + "a.shp");
        if (f.art == Koordinateneinheit::Art::Meter)
            EXPECT_EQ(warnung, "");
        else
            EXPECT_NE(warnung.find(f.name), std::string::npos) << warnung;
    }
    // Without a projection file, or with one that names no system, nothing is known.
    EXPECT_EQ(einheitWarnung(ordner + "ohne.shp"), "");
    EXPECT_EQ(koordinateneinheit(ordner + "ohne.shp").art, Koordinateneinheit::Art::Unbekannt);
    schreibe("b.prj", "LOCAL_CS[\"x\"");
    EXPECT_EQ(einheitWarnung(ordner + "b.shp"), "");
}
