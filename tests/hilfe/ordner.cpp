#include "hilfe/ordner.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace fs = std::filesystem;

namespace trelvik::test {

TestOrdner::TestOrdner() {
    std::string muster = (fs::temp_directory_path() / "trelvik-test-XXXXXX").string();
    if (::mkdtemp(muster.data()) == nullptr)
        throw std::runtime_error("cannot create a test folder");
    pfad_ = muster + "/";
}

TestOrdner::~TestOrdner() {
    std::error_code fehler;
    // A test may have taken the write permission away; removal needs it back.
    fs::permissions(pfad_, fs::perms::owner_all, fs::perm_options::add, fehler);
    for (auto e = fs::recursive_directory_iterator(pfad_, fehler);
         !fehler && e != fs::recursive_directory_iterator(); e.increment(fehler))
        if (e->is_directory(fehler))
            fs::permissions(e->path(), fs::perms::owner_all, fs::perm_options::add, fehler);
    fs::remove_all(pfad_, fehler);
}

std::vector<std::string> TestOrdner::eintraege() const {
    std::vector<std::string> namen;
    for (const auto& e : fs::recursive_directory_iterator(pfad_))
        namen.push_back(fs::relative(e.path(), pfad_).string());
    std::sort(namen.begin(), namen.end());
    return namen;
}

std::string TestOrdner::kopiereEcht(const std::string& satz) const {
    for (const auto& e : fs::directory_iterator(testdaten("real/" + satz)))
        fs::copy_file(e.path(), pfad_ + e.path().filename().string());
    return pfad_ + satz + ".shp";
}

std::string TestOrdner::kopiereSatz(const std::string& art, const std::string& satz) const {
    fs::copy(testdaten(art + "/" + satz), pfad_ + satz);
    return pfad_ + satz + "/" + satz + ".shp";
}

TmpUmleitung::TmpUmleitung(const std::string& ordner) {
    if (const char* alt = std::getenv("tmp")) {
        hatte_ = true;
        alt_ = alt;
    }
    ::setenv("tmp", ordner.c_str(), 1);
}

TmpUmleitung::~TmpUmleitung() {
    if (hatte_)
        ::setenv("tmp", alt_.c_str(), 1);
    else
        ::unsetenv("tmp");
}

std::string testdaten(const std::string& relativ) {
    return std::string(TRELVIK_TESTDATEN) + "/" + relativ;
}

std::vector<std::string> echteSaetze() {
    std::vector<std::string> saetze;
    for (const auto& e : fs::directory_iterator(testdaten("real")))
        if (e.is_directory())
            saetze.push_back(e.path().filename().string());
    std::sort(saetze.begin(), saetze.end());
    return saetze;
}

std::string echterPfad(const std::string& satz) {
    return testdaten("real/" + satz + "/" + satz + ".shp");
}

std::string lies(const std::string& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(datei), {});
}

std::string schreibe(const std::string& pfad, const std::string& inhalt) {
    std::ofstream(pfad, std::ios::binary | std::ios::trunc) << inhalt;
    return pfad;
}

std::map<std::string, std::string> inhalte(const std::string& ordner) {
    std::map<std::string, std::string> m;
    for (const auto& e : fs::directory_iterator(ordner))
        m[e.path().filename().string()] = lies(e.path().string());
    return m;
}

} // namespace trelvik::test
