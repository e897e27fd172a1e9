// Memory for the large arrays of one part, used by the geometry library and by the program: a
// coastline of a million points needs several of tens of megabytes, each for one call. The
// first touch of each 4 KiB page costs a fault of its own, which on such arrays takes longer
// than the work done on the page afterwards. So an array from 1 MiB on gets a mapping of its
// own, in 2 MiB pages where the system offers them (transparent huge pages on request): one
// fault for 512 small ones. Smaller arrays come from the heap as before.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

#include <sys/mman.h>

namespace trelvik::geometrie {

class EigeneAbbildung {
public:
    static constexpr std::size_t ab = std::size_t{1} << 20;

    static void* nimm(std::size_t bytes) {
        const std::size_t laenge = gerundet(bytes);
        void* p =
            ::mmap(nullptr, laenge, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED)
            throw std::bad_alloc();
        // Only a hint: without huge pages the mapping works as any other.
        ::madvise(p, laenge, MADV_HUGEPAGE);
        return p;
    }
    static void gib(void* p, std::size_t bytes) noexcept { ::munmap(p, gerundet(bytes)); }

private:
    static constexpr std::size_t seite = std::size_t{2} << 20;
    static std::size_t gerundet(std::size_t bytes) { return (bytes + seite - 1) / seite * seite; }
};

template <class T> struct GrosseSeiten {
    using value_type = T;

    GrosseSeiten() = default;
    template <class U> GrosseSeiten(const GrosseSeiten<U>&) noexcept {}

    T* allocate(std::size_t n) {
        if (n > static_cast<std::size_t>(-1) / sizeof(T) / 2)
            throw std::bad_array_new_length();
        const std::size_t bytes = n * sizeof(T);
        if (bytes < EigeneAbbildung::ab)
            return static_cast<T*>(::operator new(bytes));
        return static_cast<T*>(EigeneAbbildung::nimm(bytes));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        const std::size_t bytes = n * sizeof(T);
        if (bytes < EigeneAbbildung::ab)
            ::operator delete(p);
        else
            EigeneAbbildung::gib(p, bytes);
    }
    template <class U> bool operator==(const GrosseSeiten<U>&) const noexcept { return true; }
};

template <class T> using GrosserVektor = std::vector<T, GrosseSeiten<T>>;

} // namespace trelvik::geometrie
