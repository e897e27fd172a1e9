// The geometry routines that are quadratic on the all-pairs path, on rings of 1,000 to 200,000
// vertices: a real coastline made denser, and a random star polygon. The second argument 1
// forces the all-pairs reference (TRELVIK_BRUTE=1), so the ratio of the two is measured in one
// run; it is registered only for sizes where it finishes in reasonable time.
#include "geometry/bindung/bindung.h"

#include <benchmark/benchmark.h>
#include <shapefil.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace geo = trelvik::geo;

namespace {

using Ring = std::vector<Punkt>;

// The ring with the most vertices in the file.
Ring groessterRing(const std::string& pfad) {
    Ring bester;
    SHPHandle shp = SHPOpen(pfad.c_str(), "rb");
    if (shp == nullptr) {
        std::fprintf(stderr, "cannot open %s\n", pfad.c_str());
        std::exit(1);
    }
    int anzahl = 0;
    SHPGetInfo(shp, &anzahl, nullptr, nullptr, nullptr);
    for (int i = 0; i < anzahl; ++i) {
        SHPObject* objekt = SHPReadObject(shp, i);
        if (objekt == nullptr)
            continue;
        for (int teil = 0; teil < objekt->nParts; ++teil) {
            const int von = objekt->panPartStart[teil];
            const int bis =
                teil + 1 < objekt->nParts ? objekt->panPartStart[teil + 1] : objekt->nVertices;
            if (bis - von > static_cast<int>(bester.size())) {
                bester.clear();
                for (int k = von; k < bis; ++k)
                    bester.push_back({objekt->padfX[k], objekt->padfY[k]});
            }
        }
        SHPDestroyObject(objekt);
    }
    SHPClose(shp);
    return bester;
}

// Inserts midpoints, pass after pass along the ring, until it has the given number of points.
// A ring that is already larger is thinned by taking evenly spaced vertices.
Ring verdichtet(const Ring& ring, std::size_t ziel) {
    Ring r = ring;
    if (r.size() > ziel) {
        Ring duenn;
        for (std::size_t i = 0; i + 1 < ziel; ++i)
            duenn.push_back(r[i * (r.size() - 1) / (ziel - 1)]);
        duenn.push_back(r.front());
        return duenn;
    }
    while (r.size() < ziel) {
        Ring neu;
        neu.reserve(ziel);
        std::size_t fehlend = ziel - r.size();
        for (std::size_t i = 0; i + 1 < r.size(); ++i) {
            neu.push_back(r[i]);
            if (fehlend > 0) {
                neu.push_back({(r[i].x + r[i + 1].x) / 2, (r[i].y + r[i + 1].y) / 2});
                --fehlend;
            }
        }
        neu.push_back(r.back());
        r = std::move(neu);
    }
    return r;
}

Ring sternRing(std::size_t n, unsigned saat) {
    std::mt19937 zufall(saat); // fixed seed: the same polygon every run
    std::uniform_real_distribution<double> radius(500, 1000);
    Ring r;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const double w =
            2 * 3.14159265358979323846 * static_cast<double>(i) / static_cast<double>(n - 1);
        const double l = radius(zufall);
        r.push_back({l * std::cos(w), l * std::sin(w)});
    }
    r.push_back(r.front());
    return r;
}

// A copy scaled about the first point's box centre and shifted a little: it crosses the ring.
Ring kopie(const Ring& ring, double faktor, double schub) {
    double xMin = ring[0].x, xMax = ring[0].x, yMin = ring[0].y, yMax = ring[0].y;
    for (const auto& p : ring) {
        xMin = std::min(xMin, p.x);
        xMax = std::max(xMax, p.x);
        yMin = std::min(yMin, p.y);
        yMax = std::max(yMax, p.y);
    }
    const double cx = (xMin + xMax) / 2;
    const double cy = (yMin + yMax) / 2;
    const double d = schub * std::max(xMax - xMin, yMax - yMin);
    Ring r;
    for (const auto& p : ring)
        r.push_back({cx + (p.x - cx) * faktor + d, cy + (p.y - cy) * faktor + d});
    return r;
}

// Circles as the check run builds them: centre = midpoint, radius = half the segment length.
std::vector<Segmentkreis> kreise(const Ring& ring) {
    std::vector<Segmentkreis> k;
    for (std::size_t i = 0; i + 1 < ring.size(); ++i) {
        const Punkt a = ring[i];
        const Punkt b = ring[i + 1];
        k.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2,
                     std::sqrt((b.x - a.x) * (b.x - a.x) + (b.y - a.y) * (b.y - a.y)) / 2});
    }
    return k;
}

const Ring& kueste(std::size_t n) {
    static const Ring roh = groessterRing(std::string(TRELVIK_TESTDATEN) +
                                          "/real/naturalearth_lowres_m/naturalearth_lowres_m.shp");
    static std::map<std::size_t, Ring> fertig;
    auto it = fertig.find(n);
    if (it == fertig.end())
        it = fertig.emplace(n, verdichtet(roh, n)).first;
    return it->second;
}

const Ring& stern(std::size_t n) {
    static std::map<std::size_t, Ring> fertig;
    auto it = fertig.find(n);
    if (it == fertig.end())
        it = fertig.emplace(n, sternRing(n, 4711)).first;
    return it->second;
}

using Quelle = const Ring& (*)(std::size_t);

// The path for this benchmark: all-pairs reference or whatever the library chooses.
void waehlePfad(const benchmark::State& state) {
    if (state.range(1) != 0)
        ::setenv("TRELVIK_BRUTE", "1", 1);
    else
        ::unsetenv("TRELVIK_BRUTE");
}

// Tolerances in the data's units: metres for the coastline, the star has radius 500..1000.
constexpr double toleranz = 1.0;

void polygonTest(benchmark::State& state, Quelle quelle) {
    waehlePfad(state);
    const Ring& r = quelle(static_cast<std::size_t>(state.range(0)));
    int32_t kreuzungen = 0;
    for (auto _ : state) {
        int32_t n1 = 0;
        int32_t n2 = 0;
        Punkt punkt{};
        geo::PolygonTest(r.data(), static_cast<int32_t>(r.size()) - 1, &kreuzungen, &n1, &n2,
                         toleranz, 5, &punkt);
        benchmark::DoNotOptimize(punkt);
    }
    state.counters["crossings"] = kreuzungen;
}

void laengeBerechnen(benchmark::State& state, Quelle quelle) {
    waehlePfad(state);
    const Ring& r = quelle(static_cast<std::size_t>(state.range(0)));
    double kleinste = 0;
    for (auto _ : state) {
        Punkt stelle{};
        // The closing point is left out, as the check run does for a polygon.
        kleinste =
            geo::LaengeBerechnen(r.data(), static_cast<int32_t>(r.size()) - 2, &stelle, toleranz);
        benchmark::DoNotOptimize(stelle);
    }
    state.counters["min_distance"] = kleinste;
}

void multiPolygonTest(benchmark::State& state, Quelle quelle) {
    waehlePfad(state);
    const Ring& a = quelle(static_cast<std::size_t>(state.range(0)));
    // Variant 0: a copy that crosses the ring; variant 1: a copy shrunk to 40 % about the
    // centre, which for the star lies wholly inside, so every pair is visited.
    const Ring b = state.range(2) == 0 ? kopie(a, 0.98, 0.003) : kopie(a, 0.4, 0);
    const auto ka = kreise(a);
    const auto kb = kreise(b);
    int32_t flags = 0;
    for (auto _ : state) {
        Punkt pa{};
        Punkt pb{};
        flags =
            geo::MultiPolygonTest(a.data(), static_cast<int32_t>(a.size()), ka.data(), b.data(),
                                  static_cast<int32_t>(b.size()), kb.data(), toleranz, &pa, &pb);
        benchmark::DoNotOptimize(pa);
    }
    state.counters["flags"] = flags;
}

// The whole per-ring work of the check run: crossings, area, shortest distance.
void ringPruefen(benchmark::State& state, Quelle quelle) {
    waehlePfad(state);
    const Ring& r = quelle(static_cast<std::size_t>(state.range(0)));
    const auto letzter = static_cast<int32_t>(r.size()) - 1;
    for (auto _ : state) {
        int32_t kreuzungen = 0, n1 = 0, n2 = 0;
        Punkt punkt{}, stelle{};
        geo::PolygonTest(r.data(), letzter, &kreuzungen, &n1, &n2, toleranz, 5, &punkt);
        double umfang = 0, kuerzeste = 0;
        benchmark::DoNotOptimize(geo::areaBerechnen(r.data(), letzter, &umfang, &kuerzeste));
        benchmark::DoNotOptimize(geo::LaengeBerechnen(r.data(), letzter - 1, &stelle, toleranz));
        benchmark::DoNotOptimize(punkt);
    }
}

// The pushing routines work in place: each iteration gets a fresh copy.
void laengeVerschieben(benchmark::State& state, Quelle quelle) {
    waehlePfad(state);
    const Ring& r = quelle(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        Ring k = r;
        state.ResumeTiming();
        geo::LaengeVerschieben(k.data(), static_cast<int32_t>(k.size()) - 2, toleranz);
        benchmark::DoNotOptimize(k.data());
    }
}

} // namespace

// Indexed (second argument 0) at every size, all-pairs (1) up to 10,000 vertices.
#define TRELVIK_GROESSEN ->ArgsProduct({{1000, 10000, 200000}, {0}})->Args({1000, 1})->Args({10000, 1})
BENCHMARK_CAPTURE(ringPruefen, kueste, kueste) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ringPruefen, stern, stern) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(laengeVerschieben, kueste, kueste) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(polygonTest, kueste, kueste) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(polygonTest, stern, stern) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(laengeBerechnen, kueste, kueste) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(laengeBerechnen, stern, stern) TRELVIK_GROESSEN->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(multiPolygonTest, kueste, kueste)
    ->ArgsProduct({{1000, 10000, 200000}, {0}, {0, 1}})
    ->ArgsProduct({{1000, 10000}, {1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(multiPolygonTest, stern, stern)
    ->ArgsProduct({{1000, 10000, 200000}, {0}, {0, 1}})
    ->ArgsProduct({{1000, 10000}, {1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
