#pragma once
// `punkte`: the coordinates of one record as VunInterface hands them over, indexed (point,
// column) with columns 0 = X, 1 = Y, 2 = Z, 3 = M. Besides the two-dimensional form it knows the
// one-element one-dimensional state ("0 To 0") that a fetch starts with and that records without
// contents keep.
#include <algorithm>
#include <cassert>
#include <cstddef>
#include <limits>
#include <memory>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

#include "grosse_seiten.h"

namespace trelvik {

// Large arrays in pages of their own (see GrosseSeiten). Leaves new doubles unset where a vector
// would set them to 0 (resize), for arrays that are written in full right after.
template <class T> struct OhneNullAllocator : geometrie::GrosseSeiten<T> {
    template <class U> struct rebind { using other = OhneNullAllocator<U>; };
    OhneNullAllocator() = default;
    template <class U> OhneNullAllocator(const OhneNullAllocator<U>&) noexcept {}
    template <class U, class... Args> void construct(U* p, Args&&... args) {
        if constexpr (sizeof...(Args) == 0)
            ::new (static_cast<void*>(p)) U;
        else
            ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};

class Punktfeld {
public:
    Punktfeld() = default; // one-dimensional, one element 0

    void aufEinElement() {
        werte_.assign(1, 0.0);
        zeilen_ = 1;
        spalten_ = 1;
        eindimensional_ = true;
    }
    // Two-dimensional, every element 0. The storage is kept, so a loop of fetches allocates
    // only for its largest record.
    void groesseAendern(std::size_t zeilen, std::size_t spalten) {
        groesseAendernOhneWerte(zeilen, spalten);
        std::fill(werte_.begin(), werte_.end(), 0.0);
    }
    // Two-dimensional with the elements not set: the caller writes every one of them.
    void groesseAendernOhneWerte(std::size_t zeilen, std::size_t spalten) {
        if (spalten != 0 && zeilen > std::numeric_limits<std::size_t>::max() / spalten)
            throw std::length_error("point array too large");
        werte_.clear(); // nothing to copy when the storage grows
        werte_.resize(zeilen * spalten);
        zeilen_ = zeilen;
        spalten_ = spalten;
        eindimensional_ = false;
    }

    bool eindimensional() const { return eindimensional_; }
    std::size_t zeilen() const { return zeilen_; }
    std::size_t spalten() const { return spalten_; }

    double& operator()(std::size_t i, std::size_t j) {
        assert(i < zeilen_ && j < spalten_);
        return werte_[i * spalten_ + j];
    }
    double operator()(std::size_t i, std::size_t j) const {
        assert(i < zeilen_ && j < spalten_);
        return werte_[i * spalten_ + j];
    }
    // Bounds-checked access; throws std::out_of_range.
    double at(std::size_t i, std::size_t j) const {
        if (i >= zeilen_ || j >= spalten_)
            throw std::out_of_range("point array index out of range");
        return werte_[i * spalten_ + j];
    }

    // Rows one after the other, `spalten()` values each: with two columns the X, Y pairs lie
    // like an array of Punkt.
    const double* daten() const { return werte_.data(); }
    double* daten() { return werte_.data(); }

private:
    std::vector<double, OhneNullAllocator<double>> werte_ =
        std::vector<double, OhneNullAllocator<double>>(1, 0.0);
    std::size_t zeilen_ = 1;
    std::size_t spalten_ = 1;
    bool eindimensional_ = true;
};

} // namespace trelvik
