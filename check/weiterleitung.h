#pragma once
// A display that hands everything on to another one (or to none), so that a display which only
// adds to one call overrides just that call.
#include "check/pruef_lauf.h"

namespace trelvik {

class WeiterleitendeAnzeige : public PruefAnzeige {
public:
    explicit WeiterleitendeAnzeige(PruefAnzeige* weiter) : weiter_(weiter) {}
    void shapeTypAnzeigen(const std::string& text) override {
        if (weiter_)
            weiter_->shapeTypAnzeigen(text);
    }
    void statusAnzeigen(const std::string& text) override {
        if (weiter_)
            weiter_->statusAnzeigen(text);
    }
    void fortschritt(std::int32_t erledigt, std::int32_t alle) override {
        if (weiter_)
            weiter_->fortschritt(erledigt, alle);
    }
    bool abbrechen() const override { return weiter_ && weiter_->abbrechen(); }
    void satzGeprueft(const GeometriePruefung& pruefung, const SatzBefund& befund,
                      const Punktfeld& punkte, const std::vector<std::int32_t>& teilStart) override {
        if (weiter_)
            weiter_->satzGeprueft(pruefung, befund, punkte, teilStart);
    }

private:
    PruefAnzeige* weiter_;
};

} // namespace trelvik
