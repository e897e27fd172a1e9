#include "app/qt/hintergrund.h"

#include <QApplication>
#include <QEventLoop>
#include <QLabel>
#include <QProgressBar>
#include <QThread>

#include <algorithm>
#include <exception>
#include <memory>
#include <mutex>

namespace trelvik {

namespace {

// Status and progress reach the window through queued calls; a burst of messages is collapsed
// into the latest one, so a file of many rings does not flood the event queue.
class FensterAnzeige : public PruefAnzeige {
public:
    FensterAnzeige(QLabel* status, QProgressBar* fortschritt, const std::atomic<bool>& abbruch)
        : status_(status), fortschritt_(fortschritt), abbruch_(abbruch) {}
    ~FensterAnzeige() override {
        // Whatever is still queued belongs to the finished run and refers to this object.
        QCoreApplication::sendPostedEvents(status_);
        QCoreApplication::sendPostedEvents(fortschritt_);
    }
    FensterAnzeige(const FensterAnzeige&) = delete;
    FensterAnzeige& operator=(const FensterAnzeige&) = delete;

    void statusAnzeigen(const std::string& text) override {
        std::lock_guard sperre(mutex_);
        statusText_ = text;
        if (statusAusstehend_)
            return;
        statusAusstehend_ = true;
        QMetaObject::invokeMethod(
            status_,
            [this] {
                QString neu;
                {
                    std::lock_guard innen(mutex_);
                    neu = QString::fromStdString(statusText_);
                    statusAusstehend_ = false;
                }
                status_->setText(neu);
                status_->repaint();
            },
            Qt::QueuedConnection);
    }

    void fortschritt(std::int32_t erledigt, std::int32_t alle) override {
        std::lock_guard sperre(mutex_);
        erledigt_ = erledigt;
        alle_ = alle;
        if (fortschrittAusstehend_)
            return;
        fortschrittAusstehend_ = true;
        QMetaObject::invokeMethod(
            fortschritt_,
            [this] {
                std::int32_t fertig = 0;
                std::int32_t gesamt = 0;
                {
                    std::lock_guard innen(mutex_);
                    fertig = erledigt_;
                    gesamt = alle_;
                    fortschrittAusstehend_ = false;
                }
                const int hoechstens = std::max(gesamt, 1);
                fortschritt_->setRange(0, hoechstens);
                fortschritt_->setValue(std::clamp(fertig, 0, hoechstens));
                fortschritt_->setFormat(QStringLiteral("%1 von %2 Sätzen").arg(fertig).arg(gesamt));
            },
            Qt::QueuedConnection);
    }

    bool abbrechen() const override { return abbruch_; }

private:
    QLabel* status_;
    QProgressBar* fortschritt_;
    const std::atomic<bool>& abbruch_;
    std::mutex mutex_;
    std::string statusText_;
    bool statusAusstehend_ = false;
    std::int32_t erledigt_ = 0;
    std::int32_t alle_ = 0;
    bool fortschrittAusstehend_ = false;
};

} // namespace

Sanduhr::Sanduhr() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

Sanduhr::~Sanduhr() {
    QApplication::restoreOverrideCursor();
}

Hintergrundlauf::Hintergrundlauf(QLabel* status, QProgressBar* fortschritt)
    : status_(status), fortschritt_(fortschritt) {}

void Hintergrundlauf::imHintergrund(const std::function<void()>& arbeit) {
    // The window waits in its own loop, which paints, answers the worker's messages and takes
    // input: the window has disabled what must not be used meanwhile, so nothing is held back
    // to be replayed when the run ends.
    laeuft_ = true;
    std::exception_ptr fehler;
    QEventLoop warten;
    std::unique_ptr<QThread> arbeiter(QThread::create([&] {
        try {
            arbeit();
        } catch (...) {
            fehler = std::current_exception();
        }
    }));
    QObject::connect(arbeiter.get(), &QThread::finished, &warten, &QEventLoop::quit,
                     Qt::QueuedConnection);
    arbeiter->start();
    warten.exec();
    arbeiter->wait();
    laeuft_ = false;
    if (fehler)
        std::rethrow_exception(fehler);
}

QString Hintergrundlauf::ausfuehren(const std::function<void(PruefAnzeige&)>& arbeit) {
    QString fehlschlag;
    abbruch_ = false;
    {
        Sanduhr sanduhr;
        fortschritt_->setRange(0, 0);
        fortschritt_->setFormat(QString());
        fortschritt_->show();
        FensterAnzeige anzeige(status_, fortschritt_, abbruch_);
        try {
            imHintergrund([&] { arbeit(anzeige); });
        } catch (const std::exception& f) {
            fehlschlag = QString::fromStdString(f.what());
        } catch (...) {
            fehlschlag = QStringLiteral("?");
        }
    }
    fortschritt_->hide();
    return fehlschlag;
}

} // namespace trelvik
