// Records through the worker threads: a slow heavy record does not hold up the ones behind it
// (order and completeness are covered by the jobs tests of the check and the clean).
#include "app/fliessband.h"

#include <gtest/gtest.h>

#include <condition_variable>

namespace trelvik {
namespace {

TEST(Fliessband, LangsamerSchwererSatzHaeltDieAnderenNichtAuf) {
    // Record 0 (heavy) works until 30 light ones behind it are done: with only the fixed window
    // of batches in flight it would wait in vain.
    std::mutex m;
    std::condition_variable cv;
    int fertige = 0, gelesen = 0;
    bool erreicht = false;
    imFliessband<int>(
        2, [&](int& s) { return gelesen == 60          ? 0u
                                : (s = gelesen++) == 0 ? 10000u
                                                       : 100u; },
        [&](int& s, const std::atomic<bool>&) {
            std::unique_lock sperre(m);
            if (s == 0)
                erreicht =
                    cv.wait_for(sperre, std::chrono::seconds(20), [&] { return fertige >= 30; });
            else
                ++fertige, cv.notify_all();
        },
        [](int&) { return true; }, [](const int&) { return true; }, 100);
    EXPECT_TRUE(erreicht);
}

TEST(Fliessband, VorlaufBegrenztWasNebenDemSchwerenGelesenWird) {
    // While heavy record 0 is in work, `vorlauf` 2 reads the light ones behind it far beyond the
    // window of 2 * 2 + 2 batches; 1 reads no more than the window.
    for (const std::size_t vorlauf : {std::size_t{1}, std::size_t{2}}) {
        std::mutex m;
        std::condition_variable cv;
        int gelesen = 0, beimSchweren = 0;
        imFliessband<int>(
            2,
            [&](int& s) {
                std::lock_guard sperre(m);
                if (gelesen == 60)
                    return 0u;
                s = gelesen++;
                cv.notify_all();
                return s == 0 ? 10000u : 100u;
            },
            [&](int& s, const std::atomic<bool>&) {
                if (s != 0)
                    return;
                std::unique_lock sperre(m);
                if (vorlauf == 1)
                    cv.wait_for(sperre, std::chrono::milliseconds(200), [] { return false; });
                else
                    cv.wait_for(sperre, std::chrono::seconds(20), [&] { return gelesen > 6; });
                beimSchweren = gelesen;
            },
            [](int&) { return true; }, [](const int&) { return true; }, 100, vorlauf);
        if (vorlauf == 1)
            EXPECT_LE(beimSchweren, 6);
        else
            EXPECT_GT(beimSchweren, 6);
    }
}

} // namespace
} // namespace trelvik
