#pragma once
// Records through worker threads, handed back in record order. The check and the clean run
// treat every record on its own; what depends on the order (counts, lists, the written files)
// is done as each record is handed back, so the result is that of a run on one thread.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace trelvik {

// Worker threads for `jobs`: 0 means one per core.
inline unsigned arbeiterZahl(unsigned jobs) {
    if (jobs > 0)
        return jobs;
    return std::max(1u, std::thread::hardware_concurrency());
}

// The weight of a batch unless a run asks for another.
inline constexpr std::size_t stapelVorgabe = 20000;

// How often the calling thread looks up from waiting (for a cancel, for the display).
inline constexpr std::chrono::milliseconds fliessbandTakt{100};

// Runs the records through `arbeiter` threads while the calling thread reads and merges.
// Records travel in batches of about `stapelGewicht` (small records together, so that handing
// them over costs little against their work); at most 2 * arbeiter + 2 batches are in flight,
// or more while their weight stays below `vorlauf` times that of the heaviest record so far
// (one slow record then does not hold up the others), so memory is bounded by them, not by the
// file. A run whose records take much memory in their work lowers `vorlauf` to 1.
// - lesen(Satz&) -> std::size_t: fills the next record on the calling thread and returns its
//   weight (its points, say; at least 1), 0 when there is none.
// - arbeiten(Satz&, const std::atomic<bool>& stopp): on a worker; once `stopp` is set the
//   record may be left unfinished, and it is then never handed back.
// - uebernehmen(Satz&): on the calling thread, in record order; false stops the run.
// - warten(const Satz&): on the calling thread at least every fliessbandTakt while the next
//   record is not done, given the record its worker is at; false stops the run.
// What a worker throws is thrown here when its record is next in order.
template <class Satz, class Lesen, class Arbeiten, class Uebernehmen, class Warten>
void imFliessband(unsigned arbeiter, Lesen&& lesen, Arbeiten&& arbeiten, Uebernehmen&& uebernehmen,
                  Warten&& warten, std::size_t stapelGewicht = stapelVorgabe,
                  std::size_t vorlauf = 2) {
    struct Stapel {
        std::vector<std::unique_ptr<Satz>> saetze;
        std::size_t gewicht = 0;
        std::atomic<std::size_t> inArbeit = 0; // the record its worker is at
        bool fertig = false;
        std::size_t fehlerBei = 0; // with `fehler`: the record that threw
        std::exception_ptr fehler;
    };
    std::mutex mutex;
    std::condition_variable neueArbeit, fertigGeworden;
    std::deque<Stapel*> offen; // read, not yet taken by a worker
    bool ende = false;
    std::atomic<bool> stopp = false;

    const auto arbeite = [&] {
        for (;;) {
            Stapel* s = nullptr;
            {
                std::unique_lock sperre(mutex);
                neueArbeit.wait(sperre, [&] { return ende || !offen.empty(); });
                if (ende)
                    return;
                s = offen.front();
                offen.pop_front();
            }
            for (std::size_t k = 0; k < s->saetze.size() && !stopp; ++k) {
                s->inArbeit.store(k, std::memory_order_relaxed);
                try {
                    arbeiten(*s->saetze[k], static_cast<const std::atomic<bool>&>(stopp));
                } catch (...) {
                    s->fehlerBei = k;
                    s->fehler = std::current_exception();
                    break;
                }
            }
            {
                std::lock_guard sperre(mutex);
                s->fertig = true;
            }
            fertigGeworden.notify_all();
        }
    };
    // Batches outlive the workers: this is destroyed after `abschluss` has joined them.
    std::deque<std::unique_ptr<Stapel>> imFlug;
    // Stops and joins the workers however this function is left.
    struct Ende {
        std::mutex& mutex;
        std::condition_variable& neueArbeit;
        bool& ende;
        std::atomic<bool>& stopp;
        std::vector<std::thread> threads;
        ~Ende() {
            stopp = true;
            {
                std::lock_guard sperre(mutex);
                ende = true;
            }
            neueArbeit.notify_all();
            for (auto& t : threads)
                t.join();
        }
    } abschluss{mutex, neueArbeit, ende, stopp, {}};
    const unsigned threads = std::max(1u, arbeiter);
    const std::size_t fenster = 2 * static_cast<std::size_t>(threads) + 2;
    for (unsigned k = 0; k < threads; ++k)
        abschluss.threads.emplace_back(arbeite);

    bool gelesen = false;
    std::size_t gewichtImFlug = 0;
    std::size_t schwerster = 0;
    for (;;) {
        while (!gelesen && (imFlug.size() < fenster || gewichtImFlug < vorlauf * schwerster)) {
            auto s = std::make_unique<Stapel>();
            while (s->gewicht < stapelGewicht && !gelesen) {
                auto satz = std::make_unique<Satz>();
                const std::size_t g = lesen(*satz);
                if (g == 0) {
                    gelesen = true;
                    break;
                }
                s->gewicht += g;
                schwerster = std::max(schwerster, g);
                s->saetze.push_back(std::move(satz));
            }
            if (s->saetze.empty())
                break;
            gewichtImFlug += s->gewicht;
            {
                std::lock_guard sperre(mutex);
                offen.push_back(s.get());
            }
            imFlug.push_back(std::move(s));
            neueArbeit.notify_one();
        }
        if (imFlug.empty())
            return;
        Stapel& aeltester = *imFlug.front();
        {
            std::unique_lock sperre(mutex);
            auto naechster = std::chrono::steady_clock::now() + fliessbandTakt;
            while (!aeltester.fertig) {
                fertigGeworden.wait_until(sperre, naechster);
                if (aeltester.fertig || std::chrono::steady_clock::now() < naechster)
                    continue;
                sperre.unlock();
                const std::size_t k = aeltester.inArbeit.load(std::memory_order_relaxed);
                const bool weiter = warten(static_cast<const Satz&>(*aeltester.saetze[k]));
                sperre.lock();
                if (!weiter)
                    return;
                naechster = std::chrono::steady_clock::now() + fliessbandTakt;
            }
        }
        for (std::size_t k = 0; k < aeltester.saetze.size(); ++k) {
            if (aeltester.fehler && k == aeltester.fehlerBei)
                std::rethrow_exception(aeltester.fehler);
            if (!uebernehmen(*aeltester.saetze[k]))
                return;
        }
        gewichtImFlug -= aeltester.gewicht;
        imFlug.pop_front();
    }
}

} // namespace trelvik
