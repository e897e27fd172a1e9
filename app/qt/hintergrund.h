#pragma once
// A long command of the window: its work runs in a worker thread while the window keeps
// painting; the hourglass, the status label and the progress bar show it.
#include "check/pruef_lauf.h"

#include <QString>

#include <atomic>
#include <functional>

class QLabel;
class QProgressBar;

namespace trelvik {

// The hourglass for the life of a command; the pointer before it comes back at its end.
class Sanduhr {
public:
    Sanduhr();
    ~Sanduhr();
    Sanduhr(const Sanduhr&) = delete;
    Sanduhr& operator=(const Sanduhr&) = delete;
};

class Hintergrundlauf {
public:
    // `status` and `fortschritt` belong to the window and outlive this object.
    Hintergrundlauf(QLabel* status, QProgressBar* fortschritt);

    // Runs `arbeit` and returns when it has ended: the text of what it threw, "" when it ran
    // through. `arbeit` touches no widget; what it reports goes through the given display.
    QString ausfuehren(const std::function<void(PruefAnzeige&)>& arbeit);

    // True while `ausfuehren` waits for its work.
    bool laeuft() const { return laeuft_; }

    // Asks the running work to stop: the display's `abbrechen()` answers true from now on
    // until the next run starts.
    void abbrechen() { abbruch_ = true; }
    // Whether the last run was asked to stop.
    bool abgebrochen() const { return abbruch_; }

private:
    void imHintergrund(const std::function<void()>& arbeit);

    QLabel* status_;
    QProgressBar* fortschritt_;
    bool laeuft_ = false;
    std::atomic<bool> abbruch_ = false;
};

} // namespace trelvik
