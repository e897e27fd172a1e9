// Reading speed of the shape access: every record of a polygon file of about a million vertices
// with Shape_GetCheck, against a plain sequential read of the same bytes (.shp and .shx).
#include "shape/vun_interface.h"

#include <array>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <shapefil.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

// naturalearth_lowres_m tiled side by side until it holds a million vertices, written with
// shapelib into a private folder that is removed at the end.
struct Testdatei {
    std::string ordner;
    std::string shp;
    std::string shx;
    std::string ohneFelder;
    long long punkte = 0;
    int saetze = 0;

    Testdatei() {
        std::string muster = (fs::temp_directory_path() / "trelvik-bench-XXXXXX").string();
        if (::mkdtemp(muster.data()) == nullptr)
            throw std::runtime_error("cannot create a temporary folder");
        ordner = muster + "/";
        const std::string quelle =
            std::string(TRELVIK_TESTDATEN) + "/real/naturalearth_lowres_m/naturalearth_lowres_m";
        SHPHandle ein = SHPOpen(quelle.c_str(), "rb");
        if (ein == nullptr)
            throw std::runtime_error("cannot open " + quelle);
        int anzahl = 0, typ = 0;
        double minimum[4], maximum[4];
        SHPGetInfo(ein, &anzahl, &typ, minimum, maximum);
        std::vector<SHPObject*> objekte;
        for (int i = 0; i < anzahl; ++i)
            objekte.push_back(SHPReadObject(ein, i));
        SHPClose(ein);

        const std::string basis = ordner + "gross";
        SHPHandle aus = SHPCreate(basis.c_str(), SHPT_POLYGON);
        DBFHandle tabelle = DBFCreate(basis.c_str());
        if (aus == nullptr || tabelle == nullptr)
            throw std::runtime_error("cannot create " + basis);
        DBFAddField(tabelle, "NAME", FTString, 24, 0);
        const double breite = maximum[0] - minimum[0];
        for (int kachel = 0; punkte < 1000000; ++kachel) {
            for (SHPObject* o : objekte) {
                std::vector<double> x(o->padfX, o->padfX + o->nVertices);
                for (double& w : x)
                    w += kachel * breite;
                SHPObject* kopie =
                    SHPCreateObject(SHPT_POLYGON, -1, o->nParts, o->panPartStart, nullptr,
                                    o->nVertices, x.data(), o->padfY, nullptr, nullptr);
                SHPWriteObject(aus, -1, kopie);
                SHPDestroyObject(kopie);
                const std::string name = "Kachel " + std::to_string(kachel);
                DBFWriteStringAttribute(tabelle, saetze, 0, name.c_str());
                ++saetze;
                punkte += o->nVertices;
            }
        }
        for (SHPObject* o : objekte)
            SHPDestroyObject(o);
        SHPClose(aus);
        DBFClose(tabelle);
        shp = basis + ".shp";
        shx = basis + ".shx";

        // The same geometry with a table of as many rows but no fields: the fetch without the
        // cost of attribute texts.
        ohneFelder = ordner + "ohne.shp";
        fs::copy_file(shp, ohneFelder);
        fs::copy_file(shx, ordner + "ohne.shx");
        std::vector<unsigned char> dbf = {0x03, 124, 1, 1};
        for (int k = 0; k < 4; ++k)
            dbf.push_back(static_cast<unsigned char>(static_cast<unsigned>(saetze) >> (8 * k)));
        dbf.insert(dbf.end(), {33, 0, 1, 0});
        dbf.resize(32, 0);
        dbf.push_back(0x0D);
        dbf.insert(dbf.end(), static_cast<std::size_t>(saetze), ' ');
        dbf.push_back(0x1A);
        std::FILE* aus2 = std::fopen((ordner + "ohne.dbf").c_str(), "wb");
        if (aus2 == nullptr || std::fwrite(dbf.data(), 1, dbf.size(), aus2) != dbf.size())
            throw std::runtime_error("cannot write ohne.dbf");
        std::fclose(aus2);
    }
    ~Testdatei() {
        std::error_code fehler;
        fs::remove_all(ordner, fehler);
    }
};

const Testdatei& testdatei() {
    static const Testdatei datei;
    return datei;
}

// Every byte of both files, front to back, in large pieces: the floor any reader stands on.
std::size_t liesSchlicht(const Testdatei& d) {
    static std::vector<char> puffer(std::size_t{1} << 20);
    std::size_t summe = 0;
    for (const std::string* pfad : {&d.shp, &d.shx}) {
        const int fd = ::open(pfad->c_str(), O_RDONLY);
        if (fd < 0)
            throw std::runtime_error("cannot open " + *pfad);
        for (;;) {
            const ssize_t n = ::read(fd, puffer.data(), puffer.size());
            if (n <= 0)
                break;
            summe += static_cast<std::size_t>(n) + static_cast<unsigned char>(puffer[0]);
        }
        ::close(fd);
    }
    return summe;
}

bool liesAlle(trelvik::VunInterface& vun, trelvik::Punktfeld& punkte,
              std::vector<std::string>& wname, std::vector<std::int32_t>& lpp) {
    std::int32_t vunRing = 0;
    for (std::int32_t i = 0; i < vun.DBanzahl; ++i) {
        if (!vun.Shape_GetCheck(i, punkte, wname, vunRing, lpp))
            return false;
        benchmark::DoNotOptimize(punkte.daten());
    }
    return true;
}

void setzeZaehler(benchmark::State& state) {
    const auto& d = testdatei();
    state.counters["vertices/s"] = benchmark::Counter(
        static_cast<double>(d.punkte), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["vertices"] = static_cast<double>(d.punkte);
    state.counters["records"] = d.saetze;
}

void getCheck(benchmark::State& state, const std::string& shp) {
    trelvik::VunInterface vun;
    if (!vun.Shape_Open(shp)) {
        state.SkipWithError(vun.letzterFehler().c_str());
        return;
    }
    trelvik::Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    for (auto _ : state)
        if (!liesAlle(vun, punkte, wname, lpp)) {
            state.SkipWithError(vun.letzterFehler().c_str());
            break;
        }
    setzeZaehler(state);
}

void BM_ShapeGetCheck(benchmark::State& state) {
    getCheck(state, testdatei().shp);
}
BENCHMARK(BM_ShapeGetCheck)->Unit(benchmark::kMillisecond);

void BM_ShapeGetCheckOhneFelder(benchmark::State& state) {
    getCheck(state, testdatei().ohneFelder);
}
BENCHMARK(BM_ShapeGetCheckOhneFelder)->Unit(benchmark::kMillisecond);

void BM_SchlichtesLesen(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(liesSchlicht(testdatei()));
    setzeZaehler(state);
}
BENCHMARK(BM_SchlichtesLesen)->Unit(benchmark::kMillisecond);

// For comparison: shapelib's reader of the same records.
void BM_ShapelibLesen(benchmark::State& state) {
    SHPHandle h = SHPOpen(testdatei().shp.c_str(), "rb");
    for (auto _ : state)
        for (int i = 0; i < testdatei().saetze; ++i) {
            SHPObject* o = SHPReadObject(h, i);
            benchmark::DoNotOptimize(o->padfX);
            SHPDestroyObject(o);
        }
    SHPClose(h);
    setzeZaehler(state);
}
BENCHMARK(BM_ShapelibLesen)->Unit(benchmark::kMillisecond);

// Both in one run, alternating, so that the ratio (our time / plain read time) compares like
// with like; the reported time is ours. Argument 0: with the one-field table, 1: without fields.
void BM_Verhaeltnis(benchmark::State& state) {
    using Uhr = std::chrono::steady_clock;
    trelvik::VunInterface vun;
    if (!vun.Shape_Open(state.range(0) == 0 ? testdatei().shp : testdatei().ohneFelder)) {
        state.SkipWithError(vun.letzterFehler().c_str());
        return;
    }
    trelvik::Punktfeld punkte;
    std::vector<std::string> wname;
    std::vector<std::int32_t> lpp;
    double unsere = 0, schlicht = 0;
    for (auto _ : state) {
        const auto t0 = Uhr::now();
        benchmark::DoNotOptimize(liesSchlicht(testdatei()));
        const auto t1 = Uhr::now();
        if (!liesAlle(vun, punkte, wname, lpp)) {
            state.SkipWithError(vun.letzterFehler().c_str());
            break;
        }
        const auto t2 = Uhr::now();
        const double ihre = std::chrono::duration<double>(t1 - t0).count();
        const double meine = std::chrono::duration<double>(t2 - t1).count();
        schlicht += ihre;
        unsere += meine;
        state.SetIterationTime(meine);
    }
    setzeZaehler(state);
    state.counters["plain_ms"] = 1000 * schlicht / static_cast<double>(state.iterations());
    state.counters["ratio"] = schlicht > 0 ? unsere / schlicht : 0;
}
BENCHMARK(BM_Verhaeltnis)->Arg(0)->Arg(1)->UseManualTime()->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
