// Every routine of the geometry library on arbitrary point arrays: the first bytes choose the
// routine and its numbers, the rest are the points (and rings, circles, views) as raw doubles,
// so NaN, infinities and huge values come too. Counts always lie within the arrays.
#include "trelvik_geometrie.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <algorithm>
#include <vector>

namespace {

struct Leser {
    const std::uint8_t* d;
    std::size_t n;
    std::size_t pos = 0;
    template <class T> T nimm() {
        T wert{};
        if (pos + sizeof(T) <= n)
            std::memcpy(&wert, d + pos, sizeof(T));
        pos += sizeof(T);
        return wert;
    }
    std::vector<Punkt> punkte(std::size_t hoechstens) {
        const std::size_t rest = pos < n ? (n - pos) / sizeof(Punkt) : 0;
        std::vector<Punkt> p(std::min(rest, hoechstens));
        for (auto& q : p)
            q = nimm<Punkt>();
        return p;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge) {
    Leser l{daten, laenge};
    const auto wahl = l.nimm<std::uint8_t>();
    const auto schalter = l.nimm<std::uint8_t>();
    const double toleranz = l.nimm<double>();
    const double zweite = l.nimm<double>();
    const auto anzahlA = static_cast<std::size_t>(l.nimm<std::uint16_t>() % 2048);
    std::vector<Punkt> a = l.punkte(anzahlA);
    std::vector<Punkt> b = l.punkte(4096);
    if (a.empty())
        a.push_back({0, 0});
    if (b.empty())
        b.push_back({1, 1});
    const auto n = static_cast<std::int32_t>(a.size());
    const auto nb = static_cast<std::int32_t>(b.size());
    // A count within the array, chosen by the input.
    const std::int32_t teil = static_cast<std::int32_t>(schalter) % n + 1;
    const std::int32_t letzter = teil - 1;
    const std::int32_t geschlossen = schalter & 1;

    switch (wahl % 14) {
    case 0: {
        std::int32_t k = 0, z1 = 0, z2 = 0;
        Punkt ort{};
        PolygonTest(a.data(), letzter, &k, &z1, &z2, 0, static_cast<std::int32_t>(schalter >> 4),
                    &ort);
        break;
    }
    case 1: {
        std::vector<Segmentkreis> ka(a.size()), kb(b.size());
        for (std::size_t i = 0; i < ka.size(); ++i)
            ka[i] = {a[i].x, a[i].y, std::fabs(toleranz)};
        for (std::size_t i = 0; i < kb.size(); ++i)
            kb[i] = {b[i].x, b[i].y, std::fabs(zweite)};
        Punkt pa{}, pb{};
        MultiPolygonTest(a.data(), teil, ka.data(), b.data(), nb, kb.data(), toleranz, &pa, &pb);
        break;
    }
    case 2: {
        double u = 0, k = 0;
        areaBerechnen(a.data(), letzter, &u, &k);
        break;
    }
    case 3: {
        Punkt ort{};
        LaengeBerechnen(a.data(), letzter, &ort, toleranz);
        break;
    }
    case 4: {
        std::vector<Punkt> ergebnis(a.size());
        double k = 0;
        poly_simplify(toleranz, a.data(), teil, ergebnis.data(), &k);
        break;
    }
    case 5: {
        std::int32_t v = 0;
        entferneZungen(a.data(), teil, toleranz, &v);
        break;
    }
    case 6:
        entferneKleineFlaechen(a.data(), teil, toleranz, zweite);
        break;
    case 7:
        loeschePunkte(a.data(), teil, toleranz, geschlossen);
        break;
    case 8:
        loeschePunkteSmall(a.data(), teil, geschlossen);
        break;
    case 9:
        LaengeVerschieben(a.data(), letzter, toleranz);
        break;
    case 10:
        MultiPolygonVerschieben(b.data(), nb, a.data(), teil, toleranz, 0);
        break;
    case 11: {
        std::vector<PunktF> bild(a.size());
        const Ansicht ansicht{toleranz, zweite, l.nimm<double>(), l.nimm<double>(),
                              l.nimm<double>(), l.nimm<double>()};
        const Zielrechteck ziel{0, 0, l.nimm<std::int32_t>(), l.nimm<std::int32_t>()};
        double mx = 0, my = 0;
        WandelPunktInFloatVunTool(a.data(), bild.data(), &letzter, &ansicht, &ziel, &mx, &my,
                                  schalter & 1);
        break;
    }
    case 12: {
        unsigned char ziel[8];
        erzeugeDoubleAusWert(ziel, toleranz);
        break;
    }
    default: {
        unsigned char ziel[4];
        erzeugeSingleAusWert(ziel, static_cast<float>(zweite));
        break;
    }
    }
    return 0;
}
