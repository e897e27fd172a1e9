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

} // namespace
} // namespace trelvik
