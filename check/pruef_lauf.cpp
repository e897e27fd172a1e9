#include "check/pruef_lauf.h"

#include "check/ring_naehe.h"

#include "app/fliessband.h"
#include "app/zahlen.h"
#include "geometry/bindung/bindung.h"
#include "shape/shape_format.h"
#include "shape/vun_interface.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <exception>
#include <iterator>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace trelvik {

namespace {

// One part: its points (a view into the record's array, or a copy of its own when that array
// has more than X and Y per point), and the segment circles, their blocks and the enlarged box,
// built once per record.
struct Teil {
    std::span<const Punkt> punkte;
    geometrie::GrosserVektor<Punkt> eigene;
    geometrie::GrosserVektor<Segmentkreis> kreise;
    KreisBloecke bloecke;
    double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
};

// Something built once, by whichever thread asks first, while the others wait for it. Asking
// again once it is built costs one load (std::call_once would enter the system each first time).
class Einmal {
public:
    template <class F> void sorge(F&& bauen) {
        for (;;) {
            int z = zustand_.load(std::memory_order_acquire);
            if (z == fertig)
                return;
            if (z == leer &&
                zustand_.compare_exchange_strong(z, imBau, std::memory_order_acquire)) {
                try {
                    bauen();
                } catch (...) {
                    zustand_.store(leer, std::memory_order_release); // another may try
                    zustand_.notify_all();
                    throw;
                }
                zustand_.store(fertig, std::memory_order_release);
                zustand_.notify_all();
                return;
            }
            if (z == imBau)
                zustand_.wait(imBau, std::memory_order_acquire);
        }
    }

private:
    static constexpr int leer = 0, imBau = 1, fertig = 2;
    std::atomic<int> zustand_ = leer;
};

// The blocks of a part are built once it meets another, its circles once a test needs them.
struct TeilEinmal {
    Einmal bloecke, kreise;
};

void baueKreise(Teil& t, double rand) {
    t.kreise.clear();
    if (t.punkte.empty())
        return;
    t.kreise.reserve(t.punkte.size() - 1);
    for (std::size_t k = 1; k < t.punkte.size(); ++k)
        t.kreise.push_back(segmentKreis(t.punkte[k - 1], t.punkte[k], rand));
}

void baueBox(Teil& t, double rand) {
    if (t.punkte.empty())
        return;
    t.xmin = t.xmax = t.punkte[0].x;
    t.ymin = t.ymax = t.punkte[0].y;
    for (const Punkt& p : t.punkte) {
        t.xmin = std::min(t.xmin, p.x);
        t.xmax = std::max(t.xmax, p.x);
        t.ymin = std::min(t.ymin, p.y);
        t.ymax = std::max(t.ymax, p.y);
    }
    t.xmin -= rand;
    t.xmax += rand;
    t.ymin -= rand;
    t.ymax += rand;
}

bool boxenUeberlappen(const Teil& i, const Teil& j) {
    return j.xmin < i.xmax && j.xmax > i.xmin && j.ymin < i.ymax && j.ymax > i.ymin;
}

std::string ganz(double wert) {
    return formatCheck(wert, "0");
}

bool endlich(std::span<const Punkt> teil) {
    return std::all_of(teil.begin(), teil.end(),
                       [](const Punkt& p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

std::string typText(std::int32_t typ) {
    return std::string(shapeTypName(typ)) + " (" + std::to_string(typ) + ")";
}

// What the file set's lengths and header say about it as a whole: notes for the end of the
// report. A well-formed set yields none.
void aufbauHinweise(const VunInterface& vun, GeometriePruefung& e) {
    const VunInterface::DateiAufbau& a = vun.aufbau();
    const std::int64_t eintraege = a.shxBytes - 100;
    if (eintraege % 8 != 0)
        e.hinweise.push_back("Der Index (.shx) endet mitten in einem Eintrag (" +
                             std::to_string(eintraege % 8) +
                             " Bytes zu viel): dort fehlt ein Satz, er wurde nicht geprüft.");
    const auto laenge = [](std::int64_t bytes) {
        return bytes < 0 ? std::string("keine gültige Länge") : std::to_string(bytes) + " Bytes";
    };
    if (a.shxKopfBytes != a.shxBytes)
        e.hinweise.push_back("Der Index (.shx) ist " + std::to_string(a.shxBytes) +
                             " Bytes lang, sein Kopf nennt " + laenge(a.shxKopfBytes) +
                             ": Sätze können fehlen.");
    if (a.shpKopfBytes != a.shpBytes)
        e.hinweise.push_back("Die Hauptdatei (.shp) ist " + std::to_string(a.shpBytes) +
                             " Bytes lang, ihr Kopf nennt " + laenge(a.shpKopfBytes) + ".");
    if (a.tabellenZeilen != vun.DBanzahl)
        e.hinweise.push_back("Die Tabelle (.dbf) hat " + std::to_string(a.tabellenZeilen) +
                             " Zeilen, der Index nennt " + std::to_string(vun.DBanzahl) +
                             " Sätze.");
    const double box[] = {vun.xminimal, vun.yminimal, vun.xmaximal, vun.ymaximal};
    const bool zahlen =
        std::all_of(std::begin(box), std::end(box), [](double w) { return std::isfinite(w); });
    // An empty set keeps the inverted box it was created with.
    if (!zahlen ||
        (vun.DBanzahl > 0 && (vun.xminimal > vun.xmaximal || vun.yminimal > vun.ymaximal)))
        e.hinweise.push_back("Die Ausdehnung im Kopf der Hauptdatei ist ungültig (keine Zahl "
                             "oder Minimum größer als Maximum).");
}

// Which ring pairs reach the box test: TRELVIK_BRUTE=1 all of them, TRELVIK_BRUTE=0 only those
// of the grid even for few rings; otherwise the number of rings decides.
bool ringeImRaster(std::size_t ringe) {
    switch (geo::verlangterWeg()) {
    case geo::Weg::AllePaare:
        return false;
    case geo::Weg::Index:
        return true;
    case geo::Weg::NachGroesse:
        break;
    }
    return ringe > 16;
}

// The rings B whose enlarged box overlaps that of a ring A, from a grid over the boxes. The
// boxes are the pair loop's own and every candidate passes the same comparisons, so a pair is a
// candidate exactly when that loop would test it: the grid only skips pairs whose boxes lie
// apart. The cell of a coordinate is monotonic in it, so two overlapping boxes share a cell.
class RingRaster {
public:
    // False when the boxes do not suit a grid (not finite, or together covering far more
    // cells than there are rings); the pair loop then tests every pair's boxes.
    bool baue(const std::vector<Teil>& teile) {
        bool erster = true;
        for (const Teil& t : teile) {
            if (t.punkte.empty())
                continue;
            for (const double w : {t.xmin, t.xmax, t.ymin, t.ymax})
                if (!std::isfinite(w))
                    return false;
            if (erster) {
                x0_ = t.xmin, x1_ = t.xmax, y0_ = t.ymin, y1_ = t.ymax;
                erster = false;
            }
            x0_ = std::min(x0_, t.xmin);
            x1_ = std::max(x1_, t.xmax);
            y0_ = std::min(y0_, t.ymin);
            y1_ = std::max(y1_, t.ymax);
        }
        const double breite = x1_ - x0_;
        const double hoehe = y1_ - y0_;
        if (erster || !std::isfinite(breite) || !std::isfinite(hoehe))
            return false;
        const double seite = std::ceil(std::sqrt(static_cast<double>(teile.size())));
        zelle_ = std::max(breite, hoehe) / seite;
        if (!(zelle_ > 0))
            zelle_ = 1;
        nx_ = std::min(static_cast<std::size_t>(breite / zelle_), static_cast<std::size_t>(seite)) +
              1;
        ny_ =
            std::min(static_cast<std::size_t>(hoehe / zelle_), static_cast<std::size_t>(seite)) + 1;
        std::size_t eintraege = 0;
        for (const Teil& t : teile)
            if (!t.punkte.empty())
                eintraege += (zx(t.xmax) - zx(t.xmin) + 1) * (zy(t.ymax) - zy(t.ymin) + 1);
        if (eintraege > 8 * teile.size() + 64)
            return false;
        start_.assign(nx_ * ny_ + 1, 0);
        const auto fuerZellen = [&](const Teil& t, auto&& f) {
            for (std::size_t y = zy(t.ymin); y <= zy(t.ymax); ++y)
                for (std::size_t x = zx(t.xmin); x <= zx(t.xmax); ++x)
                    f(y * nx_ + x);
        };
        for (const Teil& t : teile)
            if (!t.punkte.empty())
                fuerZellen(t, [&](std::size_t z) { ++start_[z + 1]; });
        for (std::size_t z = 1; z < start_.size(); ++z)
            start_[z] += start_[z - 1];
        inhalt_.resize(eintraege);
        std::vector<std::size_t> stelle(start_.begin(), start_.end() - 1);
        for (std::size_t j = 0; j < teile.size(); ++j)
            if (!teile[j].punkte.empty())
                fuerZellen(teile[j], [&](std::size_t z) { inhalt_[stelle[z]++] = j; });
        return true;
    }

    // What one thread's lookups keep between calls.
    struct Suche {
        std::vector<std::size_t> marke, liste;
    };

    // The rings j > i (0-based) that the pair loop would test with ring i, ascending.
    const std::vector<std::size_t>& kandidaten(const std::vector<Teil>& teile, std::size_t i,
                                               Suche& s) const {
        if (s.marke.size() != teile.size())
            s.marke.assign(teile.size(), teile.size());
        s.liste.clear();
        const Teil& a = teile[i];
        for (std::size_t y = zy(a.ymin); y <= zy(a.ymax); ++y)
            for (std::size_t x = zx(a.xmin); x <= zx(a.xmax); ++x)
                for (std::size_t k = start_[y * nx_ + x]; k < start_[y * nx_ + x + 1]; ++k) {
                    const std::size_t j = inhalt_[k];
                    if (j <= i || s.marke[j] == i)
                        continue;
                    s.marke[j] = i;
                    if (boxenUeberlappen(a, teile[j]))
                        s.liste.push_back(j);
                }
        std::sort(s.liste.begin(), s.liste.end());
        return s.liste;
    }

private:
    static std::size_t klemme(double v, std::size_t n) {
        if (!(v > 0))
            return 0;
        if (v >= static_cast<double>(n - 1))
            return n - 1;
        return static_cast<std::size_t>(v);
    }
    std::size_t zx(double x) const { return klemme((x - x0_) / zelle_, nx_); }
    std::size_t zy(double y) const { return klemme((y - y0_) / zelle_, ny_); }

    double x0_ = 0, x1_ = 0, y0_ = 0, y1_ = 0, zelle_ = 1;
    std::size_t nx_ = 1, ny_ = 1;
    std::vector<std::size_t> start_, inhalt_;
};

std::string ringStatus(std::int32_t ring, std::int32_t ringe) {
    return "Teste MultiPolygon: Ring " + ganz(ring) + "/" + ganz(ringe) + "...";
}

// Counts of one record, added to the run's in record order.
struct SatzZahlen {
    std::int32_t teileGeprueft = 0;
    std::int32_t mehrteilig = 0;
    std::int32_t flaechenFehler = 0;
    std::int32_t laengenFehler = 0;
    std::int64_t punkteGeprueft = 0;
};

// One record in flight: as read, and what its check found.
struct SatzArbeit {
    std::int32_t zeiger = 0;
    std::int32_t satzTyp = 0;
    Punktfeld punkte;
    std::vector<std::int32_t> lpp;
    SatzBefund befund;
    SatzZahlen zahlen;
    bool geprueft = false; // false when the run was stopped inside the record
    // Where the check of the record is, for the display meanwhile: the part in the part loop,
    // then the ring A of the pair loop.
    std::atomic<std::int32_t> teil = 0;
    std::atomic<std::int32_t> ring = 0;
};

// Where the check of a record is that the run has been waiting for: its ring in the pair loop,
// else its part; after a second also for how long, so that a single large part, which the
// library checks in one call, still shows the run alive.
std::string stand(const SatzArbeit& s, std::int32_t& wartetAuf,
                  std::chrono::steady_clock::time_point& wartetSeit) {
    const auto jetzt = std::chrono::steady_clock::now();
    if (wartetAuf != s.zeiger) {
        wartetAuf = s.zeiger;
        wartetSeit = jetzt;
    }
    const auto teile = static_cast<std::int32_t>(s.lpp.empty() ? 0 : s.lpp.size() - 1);
    const std::int32_t ring = s.ring.load(std::memory_order_relaxed);
    std::string text = ring > 0 ? ringStatus(ring, teile - 1)
                                : "Teste Satz " + ganz(s.zeiger + 1.0) + ": Teil " +
                                      ganz(s.teil.load(std::memory_order_relaxed)) + "/" +
                                      ganz(teile) + "...";
    const auto sekunden = std::chrono::duration_cast<std::chrono::seconds>(jetzt - wartetSeit);
    if (sekunden.count() >= 1)
        text += " " + ganz(static_cast<double>(sekunden.count())) + " s";
    return text;
}

// The check of one record; thread-safe, as it only reads the run's settings.
class SatzPruefer {
public:
    // `helfer`: threads a record of many points may take for its parts.
    SatzPruefer(const GeometriePruefung& e, const std::atomic<bool>& stopp, unsigned helfer)
        : e_(e), stopp_(stopp), helfer_(helfer) {}

    // False when the run was stopped inside the record; its findings then do not count.
    bool pruefe(SatzArbeit& s) {
        SatzBefund& b = s.befund;
        z_ = &s.zahlen;
        b.satz = s.zeiger;
        b.satzTyp = s.satzTyp;
        const std::vector<std::int32_t>& lpp = s.lpp;
        b.teile = lpp.empty() ? 0 : static_cast<std::int32_t>(lpp.size() - 1);
        b.typFalsch = s.satzTyp != e_.shapeTyp;
        b.kleinsteFlaeche = 2 * e_.minFlaeche;
        b.kleinsterAbstand = 2 * e_.minAbstand;
        if (b.teile > 1)
            ++z_->mehrteilig;
        if (!lpp.empty())
            z_->punkteGeprueft += lpp.back();
        if (b.teile == 0)
            b.zuWenigPunkte = true;
        if (b.teile > 0 && lpp[0] != 0)
            b.formatFehler.push_back("Teil 1 beginnt bei Punkt " + std::to_string(lpp[0]) +
                                     " statt bei 0: " + std::to_string(lpp[0]) +
                                     " Punkte gehören zu keinem Teil und wurden nicht geprüft.");

        teile_.resize(static_cast<std::size_t>(b.teile));
        return pruefeTeile(s) && pruefeRinge(b, s.ring) && !halt();
    }

private:
    // Parts from..to (1-based) into b and z.
    bool pruefeTeile(SatzArbeit& s, SatzBefund& b, SatzZahlen& z, std::int32_t von,
                     std::int32_t bis) {
        const std::vector<std::int32_t>& lpp = s.lpp;
        for (std::int32_t i = von; i <= bis; ++i) {
            if (halt())
                return false;
            s.teil.store(i, std::memory_order_relaxed);
            Teil& teil = teile_[static_cast<std::size_t>(i - 1)];
            nimmTeil(s.punkte, lpp[static_cast<std::size_t>(i - 1)],
                     lpp[static_cast<std::size_t>(i)] - 1, teil);
            pruefeTeil(b, z, i, teil.punkte);
        }
        return true;
    }

    // The parts of a record of many points on several threads: each stretch of parts gets
    // findings of its own, joined in part order afterwards, so they are those of one thread
    // (the smallest values are the first smallest either way). A coastline of many islands
    // then does not keep one thread busy while the others wait for it.
    bool pruefeTeile(SatzArbeit& s) {
        SatzBefund& b = s.befund;
        const std::int32_t teile = b.teile;
        const std::int64_t punkte = s.lpp.empty() ? 0 : s.lpp.back();
        if (helfer_ < 2 || teile < 8 || punkte < 200000)
            return pruefeTeile(s, b, *z_, 1, teile);
        struct Strecke {
            std::int32_t von = 0, bis = 0;
            SatzBefund b;
            SatzZahlen z;
        };
        // Stretches of about equal points, four per thread, taken in turn.
        std::vector<Strecke> strecken;
        const std::int64_t ziel = punkte / (4 * static_cast<std::int64_t>(helfer_)) + 1;
        for (std::int32_t i = 1; i <= teile;) {
            Strecke st;
            st.von = i;
            const std::int64_t anfang = s.lpp[static_cast<std::size_t>(i - 1)];
            while (i < teile && s.lpp[static_cast<std::size_t>(i)] - anfang < ziel)
                ++i;
            st.bis = i++;
            st.b.kleinsteFlaeche = b.kleinsteFlaeche;
            st.b.kleinsterAbstand = b.kleinsterAbstand;
            strecken.push_back(std::move(st));
        }
        std::atomic<bool> vollstaendig = true;
        verteile(strecken.size(), [&](std::size_t k, unsigned) {
            Strecke& st = strecken[k];
            if (!pruefeTeile(s, st.b, st.z, st.von, st.bis))
                vollstaendig = false;
        });
        if (!vollstaendig)
            return false;
        for (Strecke& st : strecken) {
            b.zuWenigPunkte = b.zuWenigPunkte || st.b.zuWenigPunkte;
            b.punktanzahlZuKlein = b.punktanzahlZuKlein || st.b.punktanzahlZuKlein;
            b.schneidet = b.schneidet || st.b.schneidet;
            b.flaecheZuKlein = b.flaecheZuKlein || st.b.flaecheZuKlein;
            b.abstandZuKlein = b.abstandZuKlein || st.b.abstandZuKlein;
            if (st.b.kleinsteFlaeche < b.kleinsteFlaeche)
                b.kleinsteFlaeche = st.b.kleinsteFlaeche;
            if (st.b.kleinsterAbstand < b.kleinsterAbstand)
                b.kleinsterAbstand = st.b.kleinsterAbstand;
            b.flaechen.insert(b.flaechen.end(), st.b.flaechen.begin(), st.b.flaechen.end());
            b.schnitte.insert(b.schnitte.end(), st.b.schnitte.begin(), st.b.schnitte.end());
            b.formatFehler.insert(b.formatFehler.end(),
                                  std::make_move_iterator(st.b.formatFehler.begin()),
                                  std::make_move_iterator(st.b.formatFehler.end()));
            z_->teileGeprueft += st.z.teileGeprueft;
            z_->flaechenFehler += st.z.flaechenFehler;
            z_->laengenFehler += st.z.laengenFehler;
        }
        return true;
    }

    bool halt() const { return stopp_.load(std::memory_order_relaxed); }

    // f(k, thread) for k = 0..anzahl-1, taken in turn by `helfer_` threads, this one among them
    // (thread 0 to helfer_ - 1); what an f throws is thrown here once all are done.
    template <class F> void verteile(std::size_t anzahl, F&& f) const {
        std::atomic<std::size_t> naechste = 0;
        std::mutex sperre;
        std::exception_ptr fehler;
        const auto arbeite = [&](unsigned thread) {
            for (std::size_t k; (k = naechste++) < anzahl;) {
                try {
                    f(k, thread);
                } catch (...) {
                    const std::lock_guard halten(sperre);
                    fehler = std::current_exception();
                }
            }
        };
        {
            std::vector<std::jthread> threads;
            for (unsigned k = 1; k < helfer_; ++k)
                threads.emplace_back(arbeite, k);
            arbeite(0);
        }
        if (fehler)
            std::rethrow_exception(fehler);
    }

    static void nimmTeil(const Punktfeld& punkte, std::int32_t s, std::int32_t e, Teil& teil) {
        teil.punkte = {};
        teil.eigene.clear();
        if (e < s || s < 0 || static_cast<std::size_t>(e) >= punkte.zeilen() ||
            punkte.spalten() < 2)
            return;
        const auto n = static_cast<std::size_t>(e - s + 1);
        if (punkte.spalten() == 2) {
            // Two columns lie like an array of Punkt.
            static_assert(sizeof(Punkt) == 2 * sizeof(double));
            teil.punkte = {reinterpret_cast<const Punkt*>(punkte.daten()) + s, n};
            return;
        }
        teil.eigene.reserve(n);
        for (std::int32_t k = s; k <= e; ++k)
            teil.eigene.push_back(
                {punkte(static_cast<std::size_t>(k), 0), punkte(static_cast<std::size_t>(k), 1)});
        teil.punkte = teil.eigene;
    }

    void pruefeTeil(SatzBefund& b, SatzZahlen& z, std::int32_t i, std::span<const Punkt>& teil) {
        ++z.teileGeprueft;
        if (teil.size() < 2) {
            b.zuWenigPunkte = true;
            return;
        }
        if (!endlich(teil)) {
            // The library would compute with them and report places such as "NaN/NaN".
            b.formatFehler.push_back("Teil " + std::to_string(i) +
                                     " hat Koordinaten, die keine endlichen Zahlen sind (NaN "
                                     "oder unendlich); er wurde nicht geprüft.");
            teil = {};
            return;
        }
        const auto letzter = static_cast<std::int32_t>(teil.size() - 1);
        if (e_.polygon && letzter < 2)
            b.punktanzahlZuKlein = true;
        if (e_.polygon && teil.size() >= 4 &&
            (teil.front().x != teil.back().x || teil.front().y != teil.back().y))
            b.formatFehler.push_back("Ring " + std::to_string(i) +
                                     " ist nicht geschlossen: sein letzter Punkt ist nicht "
                                     "sein erster.");

        std::int32_t kreuzungen = 0, null1 = 0, null2 = 0;
        Punkt kreuzung{0, 0};
        geo::PolygonTest(teil.data(), letzter, &kreuzungen, &null1, &null2, e_.minAbstand,
                         shapetyp::grundTyp(e_.shapeTyp), &kreuzung);
        if (kreuzungen > 0) {
            b.schneidet = true;
            Fundstelle f;
            f.art = Fundstelle::Art::Schnittpunkt;
            f.teil = i;
            f.ort = kreuzung;
            b.schnitte.push_back(f);
        }

        if (halt())
            return;
        // A line has no area to test: it never comes out too small.
        const double a = e_.polygon ? geo::areaBerechnen(teil.data(), letzter, nullptr, nullptr)
                                    : 2 * e_.minFlaeche;
        Punkt stelle{0, 0};
        if (halt())
            return;
        const double l = geo::LaengeBerechnen(teil.data(), e_.polygon ? letzter - 1 : letzter,
                                              &stelle, e_.minAbstand);

        const double betrag = std::fabs(a);
        const bool flaecheKlein = betrag < e_.minFlaeche;
        const bool abstandKlein = l < e_.minAbstand;
        if (flaecheKlein || abstandKlein) {
            Fundstelle f;
            f.teil = i;
            f.flaeche = betrag;
            f.abstand = std::fabs(l);
            f.ort = stelle;
            if (flaecheKlein && abstandKlein) {
                f.art = Fundstelle::Art::FlaecheUndLaenge;
            } else if (flaecheKlein) {
                f.art = Fundstelle::Art::Flaeche;
                f.ort = teil[0];
            } else {
                f.art = Fundstelle::Art::Laenge;
            }
            if (flaecheKlein)
                ++z.flaechenFehler;
            if (abstandKlein)
                ++z.laengenFehler;
            b.flaechen.push_back(f);
        }
        if (betrag < b.kleinsteFlaeche)
            b.kleinsteFlaeche = betrag;
        if (flaecheKlein)
            b.flaecheZuKlein = true;
        if (l < b.kleinsterAbstand)
            b.kleinsterAbstand = l;
        if (abstandKlein)
            b.abstandZuKlein = true;
    }

    // What one thread of the ring pairs works with: the lookups of the grid, and the rings
    // cut down for a test.
    struct RingArbeit {
        RingRaster::Suche suche;
        geometrie::GrosserVektor<Punkt> ausA, ausB;
        geometrie::GrosserVektor<Segmentkreis> kreiseA, kreiseB;
    };

    // Ring pair i, j (1-based): 1 when it had a result (the j loop ends), -1 when the run was
    // stopped, 0 otherwise.
    int pruefePaar(SatzBefund& b, std::size_t i, std::size_t j, RingArbeit& w) {
        if (halt())
            return -1;
        Teil& a = teile_[i - 1];
        Teil& c = teile_[j - 1];
        if (mitBloecken_) {
            bereiteBloecke(i - 1);
            bereiteBloecke(j - 1);
        }
        if (mitBloecken_ && !vielleichtNah(a.bloecke, c.bloecke))
            return 0; // no circle pair overlaps: the test would find neither contact nor crossing
        // A long ring beside a small one (a coastline and an islet): only the stretches that
        // can come near the other go to the test, with the same result whenever it finds one.
        const bool schnittA =
            mitBloecken_ && schneideAus(a.punkte, a.bloecke, c.bloecke, true, w.ausA, w.kreiseA);
        const bool schnittB =
            mitBloecken_ && schneideAus(c.punkte, c.bloecke, a.bloecke, false, w.ausB, w.kreiseB);
        if (!schnittA)
            bereiteKreise(i - 1);
        if (!schnittB)
            bereiteKreise(j - 1);
        const std::span<const Punkt> punkteA = schnittA ? std::span<const Punkt>(w.ausA) : a.punkte;
        const geometrie::GrosserVektor<Segmentkreis>& kreiseA = schnittA ? w.kreiseA : a.kreise;
        const std::span<const Punkt> punkteB = schnittB ? std::span<const Punkt>(w.ausB) : c.punkte;
        const geometrie::GrosserVektor<Segmentkreis>& kreiseB = schnittB ? w.kreiseB : c.kreise;
        Punkt pa{0, 0}, pb{0, 0};
        const std::int32_t flags = geo::MultiPolygonTest(
            punkteA.data(), static_cast<std::int32_t>(punkteA.size()), kreiseA.data(),
            punkteB.data(), static_cast<std::int32_t>(punkteB.size()), kreiseB.data(),
            e_.minAbstand, &pa, &pb);
        if (flags <= 0)
            return 0;
        Fundstelle f;
        f.art = Fundstelle::Art::RingPunkt;
        f.teil = static_cast<std::int32_t>(i);
        f.teilB = static_cast<std::int32_t>(j);
        f.ort = pa;
        f.ortB = pb;
        f.ringFlags = flags;
        b.ringe.push_back(f);
        if ((flags & 1) != 0)
            b.ringeNah = true;
        if ((flags & 2) != 0)
            b.ringeSchneiden = true;
        return 1;
    }

    // The blocks of part k's segment circles (0-based), when it first meets another.
    void bereiteBloecke(std::size_t k) {
        einmal_[k].bloecke.sorge(
            [&] { teile_[k].bloecke.baue(teile_[k].punkte, 2 * e_.minAbstand); });
    }
    // The circles of part k's segments, when a test first takes the whole part.
    void bereiteKreise(std::size_t k) {
        einmal_[k].kreise.sorge([&] { baueKreise(teile_[k], 2 * e_.minAbstand); });
    }

    // Rings A from..to (1-based) against the rings after them, into b.
    bool pruefeRingeVon(SatzBefund& b, std::size_t von, std::size_t bis, const RingRaster* raster,
                        RingArbeit& w, std::atomic<std::int32_t>& anzeigeRing) {
        const std::size_t n = teile_.size();
        for (std::size_t i = von; i <= bis; ++i) {
            if (halt())
                return false;
            // The display shows the furthest ring A any thread has reached.
            for (auto bisher = anzeigeRing.load(std::memory_order_relaxed);
                 bisher < static_cast<std::int32_t>(i) &&
                 !anzeigeRing.compare_exchange_weak(bisher, static_cast<std::int32_t>(i),
                                                    std::memory_order_relaxed);) {
            }
            if (teile_[i - 1].punkte.size() < 2)
                continue;
            int ergebnis = 0;
            if (raster != nullptr) {
                for (const std::size_t j : raster->kandidaten(teile_, i - 1, w.suche))
                    if ((ergebnis = pruefePaar(b, i, j + 1, w)) != 0)
                        break;
            } else {
                for (std::size_t j = i + 1; j <= n; ++j) {
                    const Teil& c = teile_[j - 1];
                    if (c.punkte.empty() || !boxenUeberlappen(teile_[i - 1], c))
                        continue;
                    if ((ergebnis = pruefePaar(b, i, j, w)) != 0)
                        break;
                }
            }
            if (ergebnis < 0)
                return false;
        }
        return true;
    }

    // The pairs of every ring A with the rings after it. Each ring A ends its own loop at its
    // first result, whatever the others find, so on a record of many points the rings A are
    // shared out in stretches among the threads, and their findings joined in ring order.
    bool pruefeRinge(SatzBefund& b, std::atomic<std::int32_t>& anzeigeRing) {
        const std::size_t n = teile_.size();
        if (n < 2)
            return true; // no pair
        for (Teil& t : teile_)
            baueBox(t, 2 * e_.minAbstand);
        einmal_ = std::make_unique<TeilEinmal[]>(n);
        RingRaster raster;
        const bool mitRaster = n > 2 && ringeImRaster(n) && raster.baue(teile_);
        mitBloecken_ = ringeImRaster(n);
        const RingRaster* r = mitRaster ? &raster : nullptr;
        std::size_t punkte = 0;
        for (const Teil& t : teile_)
            punkte += t.punkte.size();
        if (helfer_ < 2 || n < 64 || punkte < 200000) {
            RingArbeit w;
            return pruefeRingeVon(b, 1, n - 1, r, w, anzeigeRing);
        }
        constexpr std::size_t streckenLaenge = 32;
        struct Strecke {
            SatzBefund b;
            bool fertig = false;
        };
        std::vector<Strecke> strecken((n - 2) / streckenLaenge + 1);
        std::vector<RingArbeit> arbeit(helfer_);
        verteile(strecken.size(), [&](std::size_t k, unsigned thread) {
            const std::size_t von = 1 + k * streckenLaenge;
            strecken[k].fertig =
                pruefeRingeVon(strecken[k].b, von, std::min(n - 1, von + streckenLaenge - 1), r,
                               arbeit[thread], anzeigeRing);
        });
        for (Strecke& st : strecken) {
            if (!st.fertig)
                return false;
            b.ringeNah = b.ringeNah || st.b.ringeNah;
            b.ringeSchneiden = b.ringeSchneiden || st.b.ringeSchneiden;
            b.ringe.insert(b.ringe.end(), st.b.ringe.begin(), st.b.ringe.end());
        }
        return true;
    }

    const GeometriePruefung& e_;
    const std::atomic<bool>& stopp_;
    unsigned helfer_;
    SatzZahlen* z_ = nullptr;
    std::vector<Teil> teile_;
    std::unique_ptr<TeilEinmal[]> einmal_;
    bool mitBloecken_ = false;
};

} // namespace

double minAbstandAusFeld(const std::string& zentimeter) {
    return textZuZahl(std::string_view(zentimeter)) / 100;
}

double minFlaecheAusFeld(const std::string& quadratmeter) {
    return textZuZahl(std::string_view(quadratmeter));
}

bool GeometriePruefung::ohneBefund() const {
    return geoeffnet && vollstaendig && saetze.empty() && hinweise.empty();
}

GeometriePruefung pruefeGeometrie(const std::string& shapePfad, double minAbstand,
                                  double minFlaeche, PruefAnzeige* anzeige, unsigned jobs) {
    GeometriePruefung e;
    e.minAbstand = minAbstand;
    e.minFlaeche = minFlaeche;
    VunInterface vun;
    const std::string basis =
        shapePfad.size() >= 3 ? shapePfad.substr(0, shapePfad.size() - 3) : shapePfad;
    if (!vun.Shape_Open(basis)) {
        e.grund = vun.letzterFehler();
        return e;
    }
    e.geoeffnet = true;
    e.shapeTyp = vun.AktShapetyp;
    e.saetzeImIndex = vun.DBanzahl;
    if (anzeige)
        anzeige->shapeTypAnzeigen("Shape Typ: " + std::string(shapeTypName(e.shapeTyp)));
    aufbauHinweise(vun, e);
    const int art = shapetyp::grundTyp(e.shapeTyp);
    e.polygon = art == 5;
    const bool testbar = shapetyp::istLinieOderPolygon(e.shapeTyp);
    // True once the display asked to stop; asked again at every call until then.
    bool gestoppt = false;
    const auto halt = [&] {
        if (!gestoppt && anzeige && anzeige->abbrechen())
            gestoppt = true;
        return gestoppt;
    };
    std::vector<std::string> wname;
    std::int32_t vunRing = 0;
    std::int32_t gelesen = 0;        // records fetched
    std::int32_t zeiger = 0;         // records checked and counted, in order
    std::int32_t ungeprueft = 0;     // records of a file type the check does not test
    std::int32_t flaechenLinien = 0; // of those, records that are polygons or lines
    // The bar moves every 256 records, and at least every quarter second on files of few
    // large records.
    using Uhr = std::chrono::steady_clock;
    auto gemeldet = Uhr::now();
    const auto weiterGezaehlt = [&] {
        ++zeiger;
        if (anzeige && (zeiger % 256 == 0 || zeiger == e.saetzeImIndex ||
                        Uhr::now() - gemeldet >= std::chrono::milliseconds(250))) {
            anzeige->fortschritt(zeiger, e.saetzeImIndex);
            gemeldet = Uhr::now();
        }
    };
    // Since when the oldest record in flight keeps the run waiting.
    std::int32_t wartetAuf = -1;
    Uhr::time_point wartetSeit{};
    if (testbar) {
        const unsigned helfer = arbeiterZahl(jobs);
        // Records are checked on worker threads; everything the display and the findings see
        // happens here, in record order, as in a run on one thread.
        imFliessband<SatzArbeit>(
            helfer,
            [&](SatzArbeit& s) {
                if (halt() || !vun.Shape_GetCheck(gelesen, s.punkte, wname, vunRing, s.lpp))
                    return std::size_t{0};
                s.zeiger = gelesen++;
                s.satzTyp = vun.AktRecordTyp;
                return s.punkte.zeilen() + 1;
            },
            [&](SatzArbeit& s, const std::atomic<bool>& stopp) {
                s.geprueft = SatzPruefer(e, stopp, helfer).pruefe(s);
            },
            [&](SatzArbeit& s) {
                if (halt() || !s.geprueft)
                    return false;
                const SatzZahlen& z = s.zahlen;
                e.teileGeprueft += z.teileGeprueft;
                e.mehrteilig += z.mehrteilig;
                e.flaechenFehler += z.flaechenFehler;
                e.laengenFehler += z.laengenFehler;
                e.punkteGeprueft += z.punkteGeprueft;
                SatzBefund& b = s.befund;
                if (anzeige) {
                    // The ring progress the record went through.
                    anzeige->statusAnzeigen("");
                    for (std::int32_t i = 1; i < b.teile; ++i)
                        anzeige->statusAnzeigen(ringStatus(i, b.teile - 1));
                    anzeige->statusAnzeigen("");
                }
                if (b.hatBefund()) {
                    if (anzeige)
                        anzeige->satzGeprueft(e, b, s.punkte, s.lpp);
                    e.saetze.push_back(std::move(b));
                }
                weiterGezaehlt();
                return true;
            },
            [&](const SatzArbeit& s) {
                if (halt())
                    return false;
                if (anzeige)
                    anzeige->statusAnzeigen(stand(s, wartetAuf, wartetSeit));
                return true;
            });
    } else {
        Punktfeld punkte;
        std::vector<std::int32_t> lpp;
        while (!halt() && vun.Shape_GetCheck(zeiger, punkte, wname, vunRing, lpp)) {
            ++ungeprueft;
            if (shapetyp::istLinieOderPolygon(vun.AktRecordTyp))
                ++flaechenLinien;
            weiterGezaehlt();
        }
    }
    e.saetzeGelesen = zeiger;
    // A cancel that comes after the last record has cancelled nothing.
    if (halt() && zeiger < e.saetzeImIndex) {
        e.abgebrochen = true;
        e.vollstaendig = false;
        e.abbruchSatz = zeiger;
        e.grund = "cancelled at record " + std::to_string(zeiger + 1);
    } else if (zeiger < e.saetzeImIndex) {
        // The loop ends at the first record that cannot be fetched; before the end of the
        // index that means the file is damaged there, which the caller must learn.
        e.vollstaendig = false;
        e.abbruchSatz = zeiger;
        e.lesefehler = vun.letzterFehler();
        e.grund = "record " + std::to_string(zeiger + 1) + " cannot be read: " + e.lesefehler;
    }
    if (!testbar && ungeprueft > 0)
        e.hinweise.push_back(
            "Sätze vom Dateityp " + typText(e.shapeTyp) +
            " werden nicht geprüft: " + std::to_string(ungeprueft) + " Sätze blieben ungeprüft" +
            (flaechenLinien > 0
                 ? ", davon " + std::to_string(flaechenLinien) + " Polygone oder Polylinien."
                 : "."));
    vun.Shape_Close();
    return e;
}

} // namespace trelvik
