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

// How often the calling thread looks up from waiting (for a cancel, for the display).
inline constexpr std::chrono::milliseconds fliessbandTakt{100};

// Runs the records through `arbeiter` threads while the calling thread reads and merges.
// At most 2 * arbeiter + 2 records are in flight, so memory is bounded by them, not by the
// file.
// - lesen(Satz&): fills the next record on the calling thread; false when there is none.
// - arbeiten(Satz&, const std::atomic<bool>& stopp): on a worker; once `stopp` is set the
//   record may be left unfinished, and it is then never handed back.
// - uebernehmen(Satz&): on the calling thread, in record order; false stops the run.
// - warten(const Satz&): on the calling thread at least every fliessbandTakt while the oldest
//   record (given) is not done; false stops the run.
// What a worker throws is thrown here when its record is next in order.
template <class Satz, class Lesen, class Arbeiten, class Uebernehmen, class Warten>
void imFliessband(unsigned arbeiter, Lesen&& lesen, Arbeiten&& arbeiten,
                  Uebernehmen&& uebernehmen, Warten&& warten) {
    struct Eintrag {
        Satz satz;
        bool fertig = false;
        std::exception_ptr fehler;
    };
    std::mutex mutex;
    std::condition_variable neueArbeit, fertigGeworden;
    std::deque<Eintrag*> offen; // read, not yet taken by a worker
    bool ende = false;
    std::atomic<bool> stopp = false;

    const auto arbeite = [&] {
        for (;;) {
            Eintrag* e = nullptr;
            {
                std::unique_lock sperre(mutex);
                neueArbeit.wait(sperre, [&] { return ende || !offen.empty(); });
                if (ende)
                    return;
                e = offen.front();
                offen.pop_front();
            }
            try {
                arbeiten(e->satz, static_cast<const std::atomic<bool>&>(stopp));
            } catch (...) {
                e->fehler = std::current_exception();
            }
            {
                std::lock_guard sperre(mutex);
                e->fertig = true;
            }
            fertigGeworden.notify_all();
        }
    };
    // Entries outlive the workers: this is destroyed after `abschluss` has joined them.
    std::deque<std::unique_ptr<Eintrag>> imFlug;
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
    const std::size_t fenster = 2 * static_cast<std::size_t>(std::max(1u, arbeiter)) + 2;
    for (unsigned k = 0; k < std::max(1u, arbeiter); ++k)
        abschluss.threads.emplace_back(arbeite);

    bool gelesen = false;
    for (;;) {
        while (!gelesen && imFlug.size() < fenster) {
            auto e = std::make_unique<Eintrag>();
            if (!lesen(e->satz)) {
                gelesen = true;
                break;
            }
            {
                std::lock_guard sperre(mutex);
                offen.push_back(e.get());
            }
            imFlug.push_back(std::move(e));
            neueArbeit.notify_one();
        }
        if (imFlug.empty())
            return;
        Eintrag& aeltester = *imFlug.front();
        {
            std::unique_lock sperre(mutex);
            auto naechster = std::chrono::steady_clock::now() + fliessbandTakt;
            while (!aeltester.fertig) {
                fertigGeworden.wait_until(sperre, naechster);
                if (aeltester.fertig || std::chrono::steady_clock::now() < naechster)
                    continue;
                sperre.unlock();
                const bool weiter = warten(static_cast<const Satz&>(aeltester.satz));
                sperre.lock();
                if (!weiter)
                    return;
                naechster = std::chrono::steady_clock::now() + fliessbandTakt;
            }
        }
        if (aeltester.fehler)
            std::rethrow_exception(aeltester.fehler);
        if (!uebernehmen(aeltester.satz))
            return;
        imFlug.pop_front();
    }
}

} // namespace trelvik
