#include "check/attributliste.h"
#include "pruef_hilfe.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <optional>
#include <sys/stat.h>

using namespace trelvik;

namespace {

using Attributliste_ = TempOrdnerTest;

// A dBase header followed by the given 32-byte descriptors and the end mark.
std::string dbfKopf(const std::vector<std::string>& deskriptoren) {
    std::string bytes(32, '\0');
    bytes[0] = 3;
    for (const auto& d : deskriptoren)
        bytes += d;
    bytes += '\x0D';
    bytes += std::string(40, ' '); // some rows, so the descriptor loop has room
    return bytes;
}

std::string deskriptor(const std::string& name, char typ, int laenge, int dezimalen) {
    std::string d(32, '\0');
    d.replace(0, name.size(), name);
    d[11] = typ;
    d[16] = static_cast<char>(laenge);
    d[17] = static_cast<char>(dezimalen);
    return d;
}

} // namespace

TEST_F(Attributliste_, StandardDateiWirdGeschriebenUndGelesen) {
    const std::string pfad = ordner + "Attribute.txt";
    const Attributliste liste = leseAttributliste(pfad);
    ASSERT_EQ(liste.size(), 14u);
    EXPECT_EQ(liste[0].name, "QUELLE");
    EXPECT_EQ(liste[3].name, "AKTDAT");
    EXPECT_EQ(liste[3].typ, "D");
    EXPECT_EQ(liste[3].laenge, 8);
    EXPECT_EQ(liste[13].name, "BEMERKUNG");
    EXPECT_EQ(liste[13].laenge, 254);
    const std::string inhalt = lies(pfad);
    EXPECT_EQ(inhalt.substr(0, 56), "# Datenname - Datentyp - Laenge - ggfs. Dezimalstellen\r\n");
    EXPECT_NE(inhalt.find("# M=Memofeld (werden nicht unterstützt)\r\n# N=Numerisch\r\n"
                          "\"QUELLE\"\tC\t50\r\n"),
              std::string::npos);
    EXPECT_EQ(inhalt.substr(inhalt.size() - 19), "\"BEMERKUNG\"\tC\t254\r\n");
}

TEST_F(Attributliste_, UngueltigeZeilenWerdenUebersprungen) {
    const auto pfad = schreibe("a.txt", "NAME\tC\t10\r\n"           // not quoted
                                        "\"MEMO\"\tM\t10\r\n"       // memo refused
                                        "\"NULL\"\tC\t0\r\n"        // length 0
                                        "\"ZAHL\"\tN\tabc\r\n"      // length not a number
                                        "\"KOMM\"\tC\t10 # aus\r\n" // comment hides it
                                        "\"\"\tC\t10\r\n"           // empty name
                                        "\"LANG\"\tC\t300\r\n"    // no room in a descriptor
                                        "\"GUT\"\tc\t12\r\n");
    const Attributliste liste = leseAttributliste(pfad);
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].name, "GUT");
    EXPECT_EQ(liste[0].typ, "C");
    EXPECT_EQ(liste[0].laenge, 12);
}

TEST_F(Attributliste_, FehlendeLaengeJeNachTyp) {
    const auto pfad = schreibe("a.txt", "\"A\" C\n\"B\" N\n\"C\" D\n\"D\" F\n\"E\" L\n");
    const Attributliste liste = leseAttributliste(pfad);
    ASSERT_EQ(liste.size(), 5u);
    EXPECT_EQ(liste[0].laenge, 0);
    EXPECT_EQ(liste[1].laenge, 0);
    EXPECT_EQ(liste[2].laenge, 8);
    EXPECT_EQ(liste[3].laenge, 8);
    EXPECT_EQ(liste[4].laenge, 1);
}

TEST_F(Attributliste_, NormalisierungNachTyp) {
    const auto pfad = schreibe("a.txt", "\"DAT\"\tD\t10\r\n"
                                        "\"DAT6\"\tD\t6\r\n"
                                        "\"FL\"\tF\t19\t11\r\n"
                                        "\"LOG\"\tL\t5\t2\r\n"
                                        "\"TXT\"\tC\t30\t3\r\n"
                                        "\"NUM\"\tN\t14\t2\r\n"
                                        "\"RUND\"\tN\t7,5\t1.4\r\n");
    const Attributliste liste = leseAttributliste(pfad);
    ASSERT_EQ(liste.size(), 7u);
    EXPECT_EQ(liste[0].laenge, 8);
    EXPECT_EQ(liste[1].laenge, 6);
    EXPECT_EQ(liste[2].laenge, 8);
    EXPECT_EQ(liste[2].dezimalen, 0);
    EXPECT_EQ(liste[3].laenge, 1);
    EXPECT_EQ(liste[3].dezimalen, 0);
    EXPECT_EQ(liste[4].dezimalen, 0);
    EXPECT_EQ(liste[5].laenge, 14);
    EXPECT_EQ(liste[5].dezimalen, 2);
    EXPECT_EQ(liste[6].laenge, 8);
    EXPECT_EQ(liste[6].dezimalen, 1);
}

TEST_F(Attributliste_, NamenGrossGekuerztMitUnterstrich) {
    const auto pfad = schreibe("a.txt", "\"art-grlg\"\tC\t20\r\n\"sehrlangername\"\tC\t5\r\n\" mit blank\"\tC\t5\r\n");
    const Attributliste liste = leseAttributliste(pfad);
    ASSERT_EQ(liste.size(), 2u);
    EXPECT_EQ(liste[0].name, "ART_GRLG");
    EXPECT_EQ(liste[1].name, "SEHRLANGER");
    // A blank inside the quotes shifts the columns: the type column is then no type.
}

TEST_F(Attributliste_, BinaereDateiGibtKeineEintraege) {
    std::string muell;
    for (int i = 0; i < 4096; ++i)
        muell.push_back(static_cast<char>((i * 7919) % 256));
    const auto pfad = schreibe("a.txt", muell);
    EXPECT_NO_THROW(leseAttributliste(pfad));
}

TEST_F(Attributliste_, OrdnerNichtSchreibbarOhneDateiNimmtKonfigurationsordner) {
    const std::string programm = ordner + "programm/";
    std::filesystem::create_directory(programm);
    ::chmod(programm.c_str(), 0555);
    const char* alt = std::getenv("XDG_CONFIG_HOME");
    const std::string gesichert = alt ? alt : "";
    ::setenv("XDG_CONFIG_HOME", (ordner + "konfig").c_str(), 1);
    const std::string pfad = attributDateiPfad(programm);
    EXPECT_EQ(pfad, ordner + "konfig/trelvik/Attribute.txt");
    EXPECT_EQ(leseAttributliste(pfad).size(), 14u);
    // Once the file is beside the program, that one is used.
    ::chmod(programm.c_str(), 0755);
    EXPECT_EQ(attributDateiPfad(programm), programm + "Attribute.txt");
    if (alt)
        ::setenv("XDG_CONFIG_HOME", gesichert.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}

namespace {

// Sets an environment variable (nullptr: unsets it) for one scope.
class Umgebung {
public:
    Umgebung(const char* name, const char* wert) : name_(name) {
        if (const char* alt = std::getenv(name))
            alt_ = alt;
        setze(wert);
    }
    ~Umgebung() { setze(alt_ ? alt_->c_str() : nullptr); }
    void setze(const char* wert) {
        if (wert)
            ::setenv(name_, wert, 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> alt_;
};

std::string inhalt(const std::string& pfad) {
    std::ifstream datei(pfad, std::ios::binary);
    return {std::istreambuf_iterator<char>(datei), {}};
}

} // namespace

// An installed program (bin/ beside share/trelvik/) never writes into its tree: each user gets a
// copy of the installed list, kept once it is theirs.
TEST_F(Attributliste_, InstalliertGehoertDieListeDemBenutzer) {
    const std::string bin = ordner + "praefix/bin/";
    std::filesystem::create_directories(bin);
    std::filesystem::create_directories(ordner + "praefix/share/trelvik");
    const std::string vorlageText = "# vom Verwalter\r\n\"EIGEN\"\tC\t10\r\n";
    const std::string vorlage = schreibe("praefix/share/trelvik/Attribute.txt", vorlageText);
    Umgebung xdg("XDG_CONFIG_HOME", (ordner + "konfig").c_str());
    Umgebung heim("HOME", (ordner + "heim").c_str());

    const std::string eigene = ordner + "konfig/trelvik/Attribute.txt";
    EXPECT_EQ(attributDateiPfad(bin), eigene);
    EXPECT_EQ(inhalt(eigene), vorlageText);
    const Attributliste liste = leseAttributliste(eigene);
    ASSERT_EQ(liste.size(), 1u);
    EXPECT_EQ(liste[0].name, "EIGEN");
    // The user's own list is not replaced by the default again.
    schreibe("konfig/trelvik/Attribute.txt", "\"ANDERS\"\tN\t5\r\n");
    EXPECT_EQ(attributDateiPfad(bin), eigene);
    EXPECT_EQ(leseAttributliste(eigene).at(0).name, "ANDERS");

    // Without XDG_CONFIG_HOME the folder is under the home folder; a relative one counts as unset.
    xdg.setze("relativ");
    const std::string unterHeim = ordner + "heim/.config/trelvik/Attribute.txt";
    EXPECT_EQ(attributDateiPfad(bin), unterHeim);
    EXPECT_EQ(inhalt(unterHeim), vorlageText);

    // With neither, the installed list is read as it is.
    xdg.setze(nullptr);
    heim.setze(nullptr);
    const std::string gelesen = attributDateiPfad(bin);
    EXPECT_EQ(inhalt(gelesen), vorlageText);
    EXPECT_EQ(std::filesystem::weakly_canonical(gelesen), std::filesystem::weakly_canonical(vorlage));

    // Nothing new in the installed tree.
    std::vector<std::string> baum;
    for (const auto& e : std::filesystem::recursive_directory_iterator(ordner + "praefix"))
        baum.push_back(e.path().lexically_relative(ordner + "praefix").string());
    std::sort(baum.begin(), baum.end());
    EXPECT_EQ(baum, (std::vector<std::string>{"bin", "share", "share/trelvik",
                                              "share/trelvik/Attribute.txt"}));
}

TEST_F(Attributliste_, FelderAusDemDateikopf) {
    const auto pfad = schreibe("t.dbf", dbfKopf({deskriptor("ZUSTAND", 'C', 50, 0),
                                                 deskriptor("FLAECHE", 'N', 14, 2),
                                                 deskriptor("ALT", 'Z', 10, 0)}));
    const auto felder = leseTabellenFelder(pfad);
    ASSERT_EQ(felder.size(), 3u);
    EXPECT_EQ(felder[0].name, "ZUSTAND");
    EXPECT_EQ(felder[1].laenge, 14);
    EXPECT_EQ(felder[1].dezimalen, 2);
    EXPECT_EQ(felder[2].typ, 'C');

    // A line feed ends the descriptors as 0x0D does; names follow the code page of the ".cpg".
    std::string kopf = dbfKopf({deskriptor("GR\xC3\x96SSE", 'N', 8, 0)});
    kopf[64] = '\x0A';
    const auto lf = schreibe("lf.dbf", kopf);
    ASSERT_EQ(leseTabellenFelder(lf).size(), 1u);
    EXPECT_EQ(leseTabellenFelder(lf)[0].name, "GRÃ–SSE"); // Windows-1252 without a .cpg
    schreibe("lf.cpg", "UTF-8");
    EXPECT_EQ(leseTabellenFelder(lf)[0].name, "GRÖSSE");
}

TEST_F(Attributliste_, KurzeOderFehlendeTabelleHatKeineFelder) {
    EXPECT_TRUE(leseTabellenFelder(schreibe("k.dbf", std::string(63, 'x'))).empty());
    EXPECT_TRUE(leseTabellenFelder(ordner + "fehlt.dbf").empty());
    // Descriptors without an end mark stop at the end of the file.
    std::string ohneEnde = std::string(32, '\0') + deskriptor("A", 'C', 1, 0) +
                           deskriptor("B", 'C', 1, 0);
    EXPECT_EQ(leseTabellenFelder(schreibe("o.dbf", ohneEnde)).size(), 1u);
}

TEST(AttributVergleich, BoxTexteUndStatus) {
    Attributliste liste = {{"ZUSTAND", "C", 50, 0, 0, 0},
                           {"FL", "F", 8, 0, 0, 0},
                           {"FEHLT", "C", 10, 0, 0, 0}};
    const std::vector<TabellenFeld> felder = {
        {"ZUSTAND", 'C', 50, 0}, {"FL", 'F', 19, 11}, {"ALT", 'C', 10, 0}, {"X", '?', 4, 2}};
    const AttributBoxen boxen = vergleicheAttribute(felder, liste);
    EXPECT_EQ(liste[0].status, 2);
    EXPECT_EQ(liste[0].position, 1);
    EXPECT_EQ(liste[1].status, 1);
    EXPECT_EQ(liste[1].position, 2);
    EXPECT_EQ(liste[2].status, 0);
    EXPECT_EQ(boxen.vorhanden, "ZUSTAND         Zeichen     Länge:  50\r\n"
                               "FL              Fliesskomma Länge:  19 Dezimal:11\r\n"
                               "ALT             Zeichen     Länge:  10\r\n"
                               "X               unbekannt   Länge:   4 Dezimal: 2\r\n");
    EXPECT_EQ(boxen.gefordert, "ZUSTAND         = OK\r\n"
                               "FL              = vorhanden. Format fehlerhaft.\r\n"
                               "FEHLT           = nicht vorhanden\r\n");
}

TEST(AttributVergleich, EinFeldErfuelltMehrereGleichnamigeEintraege) {
    Attributliste liste = {{"ID", "N", 10, 0, 0, 0}, {"ID", "N", 8, 0, 0, 0}};
    vergleicheAttribute({{"id", 'N', 8, 0}, {"ID", 'N', 10, 0}}, liste);
    // The first field matches both; a matched entry is not matched again by the second.
    EXPECT_EQ(liste[0].status, 1);
    EXPECT_EQ(liste[0].position, 1);
    EXPECT_EQ(liste[1].status, 2);
    EXPECT_EQ(liste[1].position, 1);
}

TEST(AttributVergleich, ZahlenWerdenNieAbgeschnitten) {
    Attributliste liste;
    const auto boxen = vergleicheAttribute({{"N", 'N', 255, 123}}, liste);
    EXPECT_EQ(boxen.vorhanden, "N               Numerisch   Länge: 255 Dezimal:123\r\n");
}
