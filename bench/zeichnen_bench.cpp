// Painting the tiled million-vertex polygon file into a 1600 x 1200 image, filled and as
// outlines only, with the whole file in view.
#include "bench_daten.h"
#include "shape/vun_interface.h"
#include "view/qt/qt_flaeche.h"
#include "view/zeichnen_shapes.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

void male(benchmark::State& state, bool umriss) {
    const std::string quelle = bench::gekachelt();
    trelvik::VunInterface v;
    if (!v.Shape_Open(quelle)) {
        state.SkipWithError(v.letzterFehler().c_str());
        return;
    }
    for (auto _ : state) {
        trelvik::BildFlaeche f(1600, 1200);
        f.ForeColor = trelvik::farbe(0, 0, 0);
        f.FillColor = trelvik::farbe(143, 188, 143);
        const Punkt s =
            trelvik::blickAufAusdehnung(f, v.xminimal, v.yminimal, v.xmaximal, v.ymaximal);
        if (!trelvik::Shape_DrawAll(v, f, 0, umriss ? 1 : 0, s.x, s.y, 0, 160))
            state.SkipWithError("nothing drawn");
        benchmark::DoNotOptimize(f.bild().constBits());
    }
    state.counters["Saetze"] = v.DBanzahl;
}

void Gefuellt(benchmark::State& state) {
    male(state, false);
}
void NurUmriss(benchmark::State& state) {
    male(state, true);
}

} // namespace

BENCHMARK(Gefuellt)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(NurUmriss)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
