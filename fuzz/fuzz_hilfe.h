#pragma once
// Shared by the fuzz targets: a private folder per process for the files an input becomes, and
// the split of one input into several files.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

namespace fuzz {

inline const std::string& ordner() {
    static const std::string o = [] {
        const char* basis = std::getenv("TMPDIR");
        std::string muster = std::string(basis != nullptr && *basis ? basis : "/tmp") +
                             "/trelvik-fuzz-XXXXXX";
        if (::mkdtemp(muster.data()) == nullptr)
            std::abort();
        // Working copies of tables land here too.
        ::setenv("tmp", muster.c_str(), 1);
        static std::string weg;
        weg = muster;
        std::atexit([] {
            std::error_code fehler;
            std::filesystem::remove_all(weg, fehler);
        });
        return muster + "/";
    }();
    return o;
}

inline void schreibe(const std::string& pfad, std::span<const std::uint8_t> bytes) {
    std::ofstream(pfad, std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// Splits the input into `n` pieces: the first 2·(n−1) bytes give the lengths of the first n−1
// pieces (little-endian 16-bit, cut to what is left), the rest is the last piece.
inline std::vector<std::span<const std::uint8_t>> teile(const std::uint8_t* daten,
                                                        std::size_t laenge, std::size_t n) {
    std::vector<std::span<const std::uint8_t>> stuecke;
    const std::size_t kopf = 2 * (n - 1);
    if (laenge < kopf) {
        stuecke.assign(n, {});
        return stuecke;
    }
    std::size_t stelle = kopf;
    for (std::size_t k = 0; k + 1 < n; ++k) {
        std::size_t l = static_cast<std::size_t>(daten[2 * k] | daten[2 * k + 1] << 8);
        l = std::min(l, laenge - stelle);
        stuecke.emplace_back(daten + stelle, l);
        stelle += l;
    }
    stuecke.emplace_back(daten + stelle, laenge - stelle);
    return stuecke;
}

} // namespace fuzz
