#pragma once
// Large input files for the benchmarks, written with shapelib into a private temporary folder.
#include <shapefil.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

inline std::string privaterOrdner() {
    std::string muster =
        (std::filesystem::temp_directory_path() / "trelvik-bench-XXXXXX").string();
    if (::mkdtemp(muster.data()) == nullptr)
        throw std::runtime_error("no temporary folder");
    // Gone with the benchmark program, whichever folders it made.
    static std::vector<std::string> alle;
    if (alle.empty())
        std::atexit([] {
            for (const auto& o : alle) {
                std::error_code fehler;
                std::filesystem::remove_all(o, fehler);
            }
        });
    alle.push_back(muster);
    return muster + "/";
}

// Writes a polygon file set `basis`.shp/.shx/.dbf from rings grouped into records.
struct Satz {
    std::vector<std::vector<double>> x, y; // one vector per ring
};

inline void schreibePolygone(const std::string& basis, const std::vector<Satz>& saetze) {
    SHPHandle shp = SHPCreate(basis.c_str(), SHPT_POLYGON);
    DBFHandle dbf = DBFCreate(basis.c_str());
    if (shp == nullptr || dbf == nullptr)
        throw std::runtime_error("cannot create " + basis);
    DBFAddField(dbf, "ID", FTInteger, 10, 0);
    int nummer = 0;
    for (const Satz& s : saetze) {
        std::vector<int> starts;
        std::vector<double> xs, ys;
        for (std::size_t r = 0; r < s.x.size(); ++r) {
            starts.push_back(static_cast<int>(xs.size()));
            xs.insert(xs.end(), s.x[r].begin(), s.x[r].end());
            ys.insert(ys.end(), s.y[r].begin(), s.y[r].end());
        }
        SHPObject* o = SHPCreateObject(SHPT_POLYGON, -1, static_cast<int>(starts.size()),
                                       starts.data(), nullptr, static_cast<int>(xs.size()),
                                       xs.data(), ys.data(), nullptr, nullptr);
        SHPWriteObject(shp, -1, o);
        SHPDestroyObject(o);
        DBFWriteIntegerAttribute(dbf, nummer, 0, nummer + 1);
        ++nummer;
    }
    SHPClose(shp);
    DBFClose(dbf);
}

// The records of a real file repeated side by side until the file holds at least `punkte`
// vertices. Returns the vertex count written.
inline std::size_t kachele(const std::string& quelle, const std::string& ziel, std::size_t punkte) {
    SHPHandle shp = SHPOpen(quelle.c_str(), "rb");
    if (shp == nullptr)
        throw std::runtime_error("cannot open " + quelle);
    int anzahl = 0, typ = 0;
    double min[4], max[4];
    SHPGetInfo(shp, &anzahl, &typ, min, max);
    std::vector<Satz> vorlage;
    for (int i = 0; i < anzahl; ++i) {
        SHPObject* o = SHPReadObject(shp, i);
        if (o == nullptr)
            continue;
        Satz s;
        for (int p = 0; p < o->nParts; ++p) {
            const int a = o->panPartStart[p];
            const int e = p + 1 < o->nParts ? o->panPartStart[p + 1] : o->nVertices;
            s.x.emplace_back(o->padfX + a, o->padfX + e);
            s.y.emplace_back(o->padfY + a, o->padfY + e);
        }
        vorlage.push_back(std::move(s));
        SHPDestroyObject(o);
    }
    SHPClose(shp);
    const double breite = max[0] - min[0] + 1;
    std::vector<Satz> saetze;
    std::size_t geschrieben = 0;
    for (int kachel = 0; geschrieben < punkte; ++kachel) {
        for (const Satz& s : vorlage) {
            Satz t = s;
            for (auto& ring : t.x)
                for (double& x : ring)
                    x += kachel * breite;
            for (const auto& ring : t.x)
                geschrieben += ring.size();
            saetze.push_back(std::move(t));
        }
    }
    schreibePolygone(ziel, saetze);
    return geschrieben;
}

// One closed star-shaped ring of `n` vertices (clockwise, as outer rings are stored), with
// radii drawn from a fixed seed so every run measures the same ring.
inline Satz sternRing(std::size_t n, double radius, unsigned saat = 4711) {
    std::mt19937 zufall(saat);
    std::uniform_real_distribution<double> r(0.6 * radius, radius);
    Satz s;
    s.x.emplace_back();
    s.y.emplace_back();
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double w = -2 * M_PI * static_cast<double>(i) / static_cast<double>(n - 1);
        const double l = r(zufall);
        s.x[0].push_back(500000 + l * std::cos(w));
        s.y[0].push_back(5600000 + l * std::sin(w));
    }
    s.x[0].push_back(s.x[0][0]);
    s.y[0].push_back(s.y[0][0]);
    return s;
}

// One private folder per benchmark program.
inline const std::string& ordner() {
    static const std::string o = privaterOrdner();
    return o;
}

// Real country outlines (metres) tiled side by side to about a million vertices.
inline const std::string& gekachelt() {
    static const std::string pfad = [] {
        const std::string basis = ordner() + "gekachelt";
        kachele(std::string(TRELVIK_TESTDATEN) +
                    "/real/naturalearth_lowres_m/naturalearth_lowres_m.shp",
                basis, 1000000);
        return basis + ".shp";
    }();
    return pfad;
}

} // namespace bench
