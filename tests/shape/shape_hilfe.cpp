#include "shape/shape_hilfe.h"

#include <algorithm>
#include <bit>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace fs = std::filesystem;

namespace trelvik::test {

void be32(Bytes& b, std::int32_t wert) {
    const auto v = static_cast<std::uint32_t>(wert);
    for (int k = 3; k >= 0; --k)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void le32(Bytes& b, std::int32_t wert) {
    const auto v = static_cast<std::uint32_t>(wert);
    for (int k = 0; k < 4; ++k)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

void f64(Bytes& b, double wert) {
    const auto v = std::bit_cast<std::uint64_t>(wert);
    for (int k = 0; k < 8; ++k)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * k)));
}

namespace {

void box(Bytes& b, const std::vector<XY>& punkte) {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (!punkte.empty()) {
        x0 = x1 = punkte[0].x;
        y0 = y1 = punkte[0].y;
    }
    for (const auto& p : punkte) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    f64(b, x0);
    f64(b, y0);
    f64(b, x1);
    f64(b, y1);
}

void block(Bytes& b, const std::vector<double>& werte, std::size_t n) {
    double lo = 0, hi = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double w = i < werte.size() ? werte[i] : 0;
        lo = i == 0 ? w : std::min(lo, w);
        hi = i == 0 ? w : std::max(hi, w);
    }
    f64(b, lo);
    f64(b, hi);
    for (std::size_t i = 0; i < n; ++i)
        f64(b, i < werte.size() ? werte[i] : 0);
}

bool istZ(std::int32_t typ) {
    return typ == 11 || typ == 13 || typ == 15 || typ == 18;
}
bool istM(std::int32_t typ) {
    return typ == 21 || typ == 23 || typ == 25 || typ == 28;
}

} // namespace

Bytes punktInhalt(std::int32_t typ, double x, double y, double z, double m, bool mitM) {
    Bytes b;
    le32(b, typ);
    f64(b, x);
    f64(b, y);
    if (typ == 11)
        f64(b, z);
    if ((istZ(typ) || istM(typ)) && mitM)
        f64(b, m);
    return b;
}

Bytes teileInhalt(std::int32_t typ, const std::vector<std::int32_t>& teile,
                  const std::vector<XY>& punkte, const std::vector<double>& z,
                  const std::vector<double>& m, bool mitM) {
    Bytes b;
    le32(b, typ);
    box(b, punkte);
    le32(b, static_cast<std::int32_t>(teile.size()));
    le32(b, static_cast<std::int32_t>(punkte.size()));
    for (const auto t : teile)
        le32(b, t);
    for (const auto& p : punkte) {
        f64(b, p.x);
        f64(b, p.y);
    }
    if (istZ(typ))
        block(b, z, punkte.size());
    if ((istZ(typ) || istM(typ)) && mitM)
        block(b, m, punkte.size());
    return b;
}

Bytes multiInhalt(std::int32_t typ, const std::vector<XY>& punkte, const std::vector<double>& z,
                  const std::vector<double>& m, bool mitM) {
    Bytes b;
    le32(b, typ);
    box(b, punkte);
    le32(b, static_cast<std::int32_t>(punkte.size()));
    for (const auto& p : punkte) {
        f64(b, p.x);
        f64(b, p.y);
    }
    if (istZ(typ))
        block(b, z, punkte.size());
    if ((istZ(typ) || istM(typ)) && mitM)
        block(b, m, punkte.size());
    return b;
}

Bytes dbfBytes(const std::vector<Spalte>& spalten,
               const std::vector<std::vector<std::string>>& zeilen) {
    Bytes b;
    int satzLaenge = 1;
    for (const auto& s : spalten)
        satzLaenge += s.laenge;
    const int kopfLaenge = 32 + 32 * static_cast<int>(spalten.size()) + 1;
    b.push_back(0x03);
    b.push_back(124); // 2024-01-01
    b.push_back(1);
    b.push_back(1);
    le32(b, static_cast<std::int32_t>(zeilen.size()));
    b.push_back(static_cast<std::uint8_t>(kopfLaenge & 0xFF));
    b.push_back(static_cast<std::uint8_t>(kopfLaenge >> 8));
    b.push_back(static_cast<std::uint8_t>(satzLaenge & 0xFF));
    b.push_back(static_cast<std::uint8_t>(satzLaenge >> 8));
    b.resize(32, 0);
    for (const auto& s : spalten) {
        Bytes feld(32, 0);
        for (std::size_t k = 0; k < s.name.size() && k < 10; ++k)
            feld[k] = static_cast<std::uint8_t>(s.name[k]);
        feld[11] = static_cast<std::uint8_t>(s.typ);
        feld[16] = static_cast<std::uint8_t>(s.laenge);
        feld[17] = static_cast<std::uint8_t>(s.dezimalen);
        b.insert(b.end(), feld.begin(), feld.end());
    }
    b.push_back(0x0D);
    for (const auto& zeile : zeilen) {
        b.push_back(' ');
        for (std::size_t j = 0; j < spalten.size(); ++j) {
            std::string text = j < zeile.size() ? zeile[j] : "";
            const auto laenge = static_cast<std::size_t>(spalten[j].laenge);
            text = text.substr(0, laenge);
            const std::string fuell(laenge - text.size(), ' ');
            // Texts left-aligned, numbers right-aligned, as dBase writes them.
            text = spalten[j].typ == 'C' ? text + fuell : fuell + text;
            b.insert(b.end(), text.begin(), text.end());
        }
    }
    b.push_back(0x1A);
    return b;
}

Bytes kopfBytes(std::int32_t laengeWoerter, std::int32_t typ, const std::array<double, 8>& werte) {
    Bytes b;
    be32(b, 9994);
    for (int k = 0; k < 5; ++k)
        be32(b, 0);
    be32(b, laengeWoerter);
    le32(b, 1000);
    le32(b, typ);
    for (const double w : werte)
        f64(b, w);
    return b;
}

std::string schreibeDateisatz(const std::string& basis, std::int32_t typ,
                              const std::vector<Bytes>& inhalte, const std::vector<Spalte>& spalten,
                              std::vector<std::vector<std::string>> zeilen) {
    Bytes shp;
    Bytes shx;
    Bytes saetze;
    Bytes eintraege;
    std::int32_t nummer = 0;
    for (const auto& inhalt : inhalte) {
        ++nummer;
        if (inhalt.empty()) {
            be32(eintraege, 0);
            be32(eintraege, 0);
            continue;
        }
        const auto offset = static_cast<std::int32_t>(100 + saetze.size());
        const auto woerter = static_cast<std::int32_t>(inhalt.size() / 2);
        be32(eintraege, offset / 2);
        be32(eintraege, woerter);
        be32(saetze, nummer);
        be32(saetze, woerter);
        saetze.insert(saetze.end(), inhalt.begin(), inhalt.end());
    }
    shp = kopfBytes(static_cast<std::int32_t>((100 + saetze.size()) / 2), typ);
    shp.insert(shp.end(), saetze.begin(), saetze.end());
    shx = kopfBytes(static_cast<std::int32_t>((100 + eintraege.size()) / 2), typ);
    shx.insert(shx.end(), eintraege.begin(), eintraege.end());
    if (zeilen.empty())
        for (std::size_t i = 0; i < inhalte.size(); ++i)
            zeilen.push_back({"row" + std::to_string(i)});
    schreibeDatei(basis + "shp", shp);
    schreibeDatei(basis + "shx", shx);
    schreibeDatei(basis + "dbf", dbfBytes(spalten, zeilen));
    return basis + "shp";
}

Bytes leseDatei(const std::string& pfad) {
    std::ifstream ein(pfad, std::ios::binary);
    if (!ein)
        throw std::runtime_error("cannot read " + pfad);
    return Bytes(std::istreambuf_iterator<char>(ein), std::istreambuf_iterator<char>());
}

void schreibeDatei(const std::string& pfad, const Bytes& bytes) {
    std::ofstream aus(pfad, std::ios::binary | std::ios::trunc);
    aus.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!aus)
        throw std::runtime_error("cannot write " + pfad);
}

void ueberschreibe(const std::string& pfad, std::size_t stelle, const Bytes& bytes) {
    Bytes inhalt = leseDatei(pfad);
    if (stelle + bytes.size() > inhalt.size())
        inhalt.resize(stelle + bytes.size());
    std::copy(bytes.begin(), bytes.end(), inhalt.begin() + static_cast<std::ptrdiff_t>(stelle));
    schreibeDatei(pfad, inhalt);
}

void kuerzeAuf(const std::string& pfad, std::size_t laenge) {
    fs::resize_file(pfad, laenge);
}

} // namespace trelvik::test
