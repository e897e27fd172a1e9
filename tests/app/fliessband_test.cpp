// Records through the worker threads: how far the reading runs ahead of a slow heavy record
// (order and completeness are covered by the jobs tests of the check and the clean).
#include "app/fliessband.h"

#include <gtest/gtest.h>

#include <condition_variable>

namespace trelvik {
namespace {

TEST(Fliessband, VorlaufNebenDemSchwerenSatz) {
    // Record 0 (heavy) works until 30 light ones behind it are done. With `vorlauf` 2 they are
    // read and done beside it, where only the fixed window of 2 * 2 + 2 batches would leave it
    // waiting in vain; with 1 no more than that window is read.
    for (const std::size_t vorlauf : {std::size_t{1}, std::size_t{2}}) {
        std::mutex m;
        std::condition_variable cv;
        int gelesen = 0, fertige = 0, beimSchweren = 0;
        bool erreicht = false;
        imFliessband<int>(
            2,
            [&](int& s) {
                std::lock_guard sperre(m);
                if (gelesen == 60)
                    return 0u;
                s = gelesen++;
                return s == 0 ? 10000u : 100u;
            },
            [&](int& s, const std::atomic<bool>&) {
                std::unique_lock sperre(m);
                if (s != 0) {
                    ++fertige;
                    cv.notify_all();
                    return;
                }
                erreicht =
                    cv.wait_for(sperre, std::chrono::milliseconds(vorlauf == 1 ? 200 : 20000),
                                [&] { return fertige >= 30; });
                beimSchweren = gelesen;
            },
            [](int&) { return true; }, [](const int&) { return true; }, 100, vorlauf);
        EXPECT_EQ(erreicht, vorlauf == 2) << vorlauf;
        if (vorlauf == 1)
            EXPECT_LE(beimSchweren, 6);
    }
}

} // namespace
} // namespace trelvik
