// The clean run on a polygon file tiled from real country outlines to about a million
// vertices: without options (measuring and writing only) and with all four options.
#include "bench_daten.h"
#include "check/attributliste.h"
#include "clean/bereinigen_lauf.h"

#include <benchmark/benchmark.h>

namespace {

using bench::gekachelt;
using bench::ordner;

void bereinige(benchmark::State& state, bool alleOptionen) {
    trelvik::Attributliste liste(1);
    liste[0].name = "ID";
    liste[0].typ = "N";
    liste[0].laenge = 10;
    liste[0].position = 1;
    trelvik::BereinigungsOptionen o;
    o.vereinfachen = o.punkteEntfernen = o.kleineFlaechenEntfernen = o.ringeAnpassen =
        alleOptionen;
    const std::string quelle = gekachelt();
    for (auto _ : state) {
        const auto e = trelvik::bereinigen(quelle, ordner() + "neu.shp", liste, o);
        if (!e.erfolgreich)
            state.SkipWithError(e.grund.c_str());
        state.counters["Saetze"] = e.geschrieben;
        state.counters["Teile"] = static_cast<double>(e.teileGelesen);
    }
}

void OhneOptionen(benchmark::State& state) { bereinige(state, false); }
void AlleOptionen(benchmark::State& state) { bereinige(state, true); }

} // namespace

BENCHMARK(OhneOptionen)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(AlleOptionen)->Unit(benchmark::kMillisecond)->Iterations(3);

BENCHMARK_MAIN();
