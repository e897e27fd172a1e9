#include "shape/dbf/dbf_kopf.h"

#include "shape/little_endian.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace trelvik {

namespace {

constexpr std::size_t beschreibungsLaenge = 32;

// 0x0D by the format; some writers put a line feed there, and the field's readers take it.
bool istBeschreibungsEnde(unsigned char b) {
    return b == 0x0D || b == 0x0A;
}

bool bekannteVersion(unsigned char b) {
    // dBase III and IV (with or without memo) and FoxPro share the 32-byte field descriptors;
    // dBase 7 (level 4) does not.
    return (b & 0x07) == 3 || b == 0x02 || b == 0x30 || b == 0x31 || b == 0x32 || b == 0xF5;
}

std::string hex2(unsigned b) {
    char puffer[8];
    std::snprintf(puffer, sizeof puffer, "0x%02X", b & 0xFFu);
    return puffer;
}

} // namespace

FeldBeschreibungen leseFeldBeschreibungen(std::istream& datei, std::uint64_t grenze) {
    FeldBeschreibungen ergebnis;
    const auto anfang = datei.tellg();
    if (anfang < 0)
        return ergebnis;
    auto ort = static_cast<std::uint64_t>(anfang);
    unsigned char d[beschreibungsLaenge];
    while (ort + beschreibungsLaenge <= grenze) {
        if (!datei.read(reinterpret_cast<char*>(d), 1))
            break;
        if (istBeschreibungsEnde(d[0])) {
            ergebnis.abgeschlossen = true;
            break;
        }
        if (!datei.read(reinterpret_cast<char*>(d) + 1, beschreibungsLaenge - 1))
            break;
        ort += beschreibungsLaenge;
        FeldBeschreibung f;
        const char* name = reinterpret_cast<const char*>(d);
        f.nameBytes.assign(name, strnlen(name, 11));
        f.typ = static_cast<char>(d[11]);
        f.laenge = d[16];
        f.dezimalen = d[17];
        ergebnis.felder.push_back(std::move(f));
    }
    if (!ergebnis.abgeschlossen && ort < grenze) {
        // Room for the terminator but not for a descriptor: look at that byte too.
        char b = 0;
        if (datei.read(&b, 1))
            ergebnis.abgeschlossen = istBeschreibungsEnde(static_cast<unsigned char>(b));
    }
    return ergebnis;
}

DbfKopf pruefeKopf(const std::string& pfad, const std::string& name) {
    std::error_code fehler;
    const auto status = std::filesystem::status(pfad, fehler);
    if (fehler || !std::filesystem::exists(status))
        throw std::runtime_error("cannot open " + name + ": no such file");
    if (!std::filesystem::is_regular_file(status))
        throw std::runtime_error(name + " is not a file");
    const std::uintmax_t groesse = std::filesystem::file_size(pfad, fehler);
    std::ifstream datei(pfad, std::ios::binary);
    if (fehler || !datei)
        throw std::runtime_error("cannot open " + name + ": " + std::strerror(errno));
    const auto keineTabelle = [&](const std::string& grund) {
        return std::runtime_error(name + " is not a dBase table: " + grund);
    };

    if (groesse < 32)
        throw keineTabelle("the file is shorter than a table header");
    unsigned char k[32];
    if (!datei.read(reinterpret_cast<char*>(k), sizeof k))
        throw std::runtime_error("cannot read " + name);
    if (!bekannteVersion(k[0]))
        throw keineTabelle("unknown version byte " + hex2(k[0]));
    const std::uint32_t kopfLaenge = u16leAus(k + 8);
    const std::uint32_t satzLaenge = u16leAus(k + 10);
    if (kopfLaenge < 33)
        throw keineTabelle("the header length " + std::to_string(kopfLaenge) + " is too short");
    if (kopfLaenge > groesse)
        throw keineTabelle("the header claims " + std::to_string(kopfLaenge) +
                           " bytes but the file has " + std::to_string(groesse));
    if (satzLaenge == 0)
        throw keineTabelle("the record length is 0");

    // A header filled exactly by descriptors is accepted without the terminator; anything else
    // left over is not a table.
    FeldBeschreibungen beschreibungen = leseFeldBeschreibungen(datei, kopfLaenge);
    std::uint32_t breiten = 1; // the deletion flag
    for (std::size_t j = 0; j < beschreibungen.felder.size(); ++j) {
        const FeldBeschreibung& f = beschreibungen.felder[j];
        const auto typ = static_cast<unsigned char>(f.typ);
        if (typ <= 0x20 || typ >= 0x7F)
            throw keineTabelle("field " + std::to_string(j + 1) + " has the invalid type byte " +
                               hex2(typ));
        breiten += static_cast<std::uint32_t>(f.laenge);
    }
    const std::uint64_t belegt = 32 + beschreibungsLaenge * beschreibungen.felder.size();
    if (!beschreibungen.abgeschlossen && belegt < kopfLaenge)
        throw keineTabelle("the field descriptors do not end where the header says");
    if (breiten > satzLaenge)
        throw keineTabelle("the fields need " + std::to_string(breiten) +
                           " bytes but a record has " + std::to_string(satzLaenge));

    // A truncated file keeps the rows it has; no read goes past its end.
    const std::uintmax_t vorhanden = (groesse - kopfLaenge) / satzLaenge;
    DbfKopf kopf;
    kopf.felder = std::move(beschreibungen.felder);
    kopf.satzLaenge = static_cast<int>(satzLaenge);
    kopf.zeilenImKopf = u32leAus(k + 4);
    std::uintmax_t zeilen = kopf.zeilenImKopf;
    if (zeilen > vorhanden)
        zeilen = vorhanden;
    if (zeilen > INT_MAX)
        zeilen = INT_MAX;
    kopf.zeilen = static_cast<int>(zeilen);
    return kopf;
}

} // namespace trelvik
