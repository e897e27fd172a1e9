// The whole check of large files: a polygon file tiled from real country outlines to about a
// million vertices, and a file with one ring of 100,000 vertices.
#include "bench_daten.h"
#include "check/bericht_texte.h"
#include "check/pruef_lauf.h"

#include <benchmark/benchmark.h>

namespace {

using bench::gekachelt;
using bench::ordner;

const std::string& grosserRing(std::size_t n) {
    static std::string pfad;
    if (pfad.empty()) {
        const std::string basis = ordner() + "ring";
        bench::schreibePolygone(basis, {bench::sternRing(n, 50000)});
        pfad = basis + ".shp";
    }
    return pfad;
}

void pruefe(benchmark::State& state, const std::string& pfad) {
    std::size_t punkte = 0;
    for (auto _ : state) {
        const auto p = trelvik::pruefeGeometrie(pfad, 0.25, 25);
        benchmark::DoNotOptimize(trelvik::geometrieBericht(p));
        state.counters["Teile"] = p.teileGeprueft;
        punkte = static_cast<std::size_t>(std::filesystem::file_size(pfad) / 16);
    }
    state.counters["Punkte~"] = static_cast<double>(punkte);
}

void GekachelteLaender(benchmark::State& state) { pruefe(state, gekachelt()); }
void EinRing100000(benchmark::State& state) { pruefe(state, grosserRing(100000)); }

} // namespace

BENCHMARK(GekachelteLaender)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(EinRing100000)->Unit(benchmark::kSecond)->Iterations(1);

BENCHMARK_MAIN();
