// Records through the worker threads: handed back once each, in record order, whatever the
// order the workers finish in; and a slow heavy record does not hold up the ones behind it.
#include "app/fliessband.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <random>

namespace trelvik {
namespace {

struct Satz {
    std::size_t nummer = 0;
    std::size_t gewicht = 1;
    unsigned verzug = 0; // microseconds of work
    bool bearbeitet = false;
};

TEST(Fliessband, JederSatzEinmalUndInDerReihe) {
    for (unsigned saat = 1; saat <= 20; ++saat) {
        std::mt19937 z(saat);
        const std::size_t anzahl = z() % 300;
        std::size_t gelesen = 0;
        std::vector<std::size_t> zurueck;
        imFliessband<Satz>(
            1 + saat % 4,
            [&](Satz& s) -> std::size_t {
                if (gelesen == anzahl)
                    return 0;
                s.nummer = gelesen++;
                // Mostly light records, now and then one far heavier than a batch.
                s.gewicht = z() % 20 == 0 ? 50000 + z() % 100000 : 1 + z() % 3000;
                s.verzug = z() % 400;
                return s.gewicht;
            },
            [](Satz& s, const std::atomic<bool>&) {
                std::this_thread::sleep_for(std::chrono::microseconds(s.verzug));
                s.bearbeitet = true;
            },
            [&](Satz& s) {
                EXPECT_TRUE(s.bearbeitet);
                zurueck.push_back(s.nummer);
                return true;
            },
            [](const Satz&) { return true; });
        ASSERT_EQ(zurueck.size(), anzahl) << "seed " << saat;
        for (std::size_t k = 0; k < zurueck.size(); ++k)
            ASSERT_EQ(zurueck[k], k) << "seed " << saat;
    }
}

TEST(Fliessband, LangsamerSchwererSatzHaeltDieAnderenNichtAuf) {
    // Record 0 (heavy) works until 30 of the light ones behind it are done; with only the
    // batches of the fixed window in flight that would never happen.
    std::mutex m;
    std::condition_variable cv;
    int fertige = 0;
    bool erreicht = false;
    std::size_t gelesen = 0;
    imFliessband<Satz>(
        2,
        [&](Satz& s) -> std::size_t {
            if (gelesen == 60)
                return 0;
            s.nummer = gelesen++;
            s.gewicht = s.nummer == 0 ? 10000 : 100;
            return s.gewicht;
        },
        [&](Satz& s, const std::atomic<bool>&) {
            std::unique_lock sperre(m);
            if (s.nummer == 0) {
                erreicht =
                    cv.wait_for(sperre, std::chrono::seconds(20), [&] { return fertige >= 30; });
            } else {
                ++fertige;
                cv.notify_all();
            }
        },
        [](Satz&) { return true; }, [](const Satz&) { return true; }, 100);
    EXPECT_TRUE(erreicht);
}

} // namespace
} // namespace trelvik
