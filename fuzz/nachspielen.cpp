// Replays inputs through a fuzz target without the fuzzer: every file named, and every file in
// the folders named (recursively). Used by the test run on the saved corpus.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* daten, std::size_t laenge);

namespace {

void spiele(const std::filesystem::path& pfad, std::size_t& anzahl) {
    std::ifstream datei(pfad, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(datei), {}};
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++anzahl;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t anzahl = 0;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path p(argv[i]);
        if (std::filesystem::is_directory(p)) {
            for (const auto& e : std::filesystem::recursive_directory_iterator(p))
                if (e.is_regular_file())
                    spiele(e.path(), anzahl);
        } else if (std::filesystem::is_regular_file(p)) {
            spiele(p, anzahl);
        } else {
            std::fprintf(stderr, "no such input: %s\n", argv[i]);
            return 2;
        }
    }
    std::printf("%zu inputs replayed\n", anzahl);
    return anzahl > 0 ? 0 : 2;
}
