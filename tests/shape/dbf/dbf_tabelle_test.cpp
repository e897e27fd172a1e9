#include "shape/dbf/arbeitskopie.h"
#include "shape/dbf/dbf_tabelle.h"

#include "hilfe/ordner.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using trelvik::Arbeitskopie;
using trelvik::DbfFeld;
using trelvik::DbfTabelle;

namespace {

namespace fs = std::filesystem;

using Wert = DbfTabelle::Wert;

Wert text(std::string t) {
    Wert w;
    w.art = Wert::Art::Text;
    w.text = std::move(t);
    return w;
}
Wert zahl(double z) {
    Wert w;
    w.art = Wert::Art::Zahl;
    w.zahl = z;
    return w;
}
const Wert leer{};

std::string lese(const std::string& pfad) {
    std::ifstream d(pfad, std::ios::binary);
    return {std::istreambuf_iterator<char>(d), std::istreambuf_iterator<char>()};
}

void schreibe(const std::string& pfad, const std::string& bytes) {
    std::ofstream d(pfad, std::ios::binary | std::ios::trunc);
    d.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void haenge16(std::string& b, std::uint32_t v) {
    b += static_cast<char>(v & 0xFF);
    b += static_cast<char>((v >> 8) & 0xFF);
}
void haenge32(std::string& b, std::uint32_t v) {
    haenge16(b, v & 0xFFFF);
    haenge16(b, v >> 16);
}

struct Spalte {
    std::string name;
    char typ;
    int laenge;
    int dezimalen;
};

// A dBase III table laid out byte by byte, independent of the writer under test. Each row gives
// the raw field bytes, each exactly as wide as its column.
std::string dbfVonHand(const std::vector<Spalte>& spalten,
                       const std::vector<std::vector<std::string>>& zeilen,
                       std::optional<std::uint32_t> zeilenImKopf = std::nullopt) {
    int satz = 1;
    for (const Spalte& s : spalten)
        satz += s.laenge;
    const auto kopf = static_cast<std::uint32_t>(32 + 32 * spalten.size() + 1);
    std::string b;
    b += '\x03';         // dBase III without memo
    b += "\x7C\x0C\x18"; // last update 2024-12-24
    haenge32(b, zeilenImKopf.value_or(static_cast<std::uint32_t>(zeilen.size())));
    haenge16(b, kopf);
    haenge16(b, static_cast<std::uint32_t>(satz));
    b.append(17, '\0');
    b += '\x57'; // language driver: Windows ANSI
    b.append(2, '\0');
    for (const Spalte& s : spalten) {
        std::string name = s.name;
        name.resize(11, '\0');
        b += name;
        b += s.typ;
        b.append(4, '\0');
        b += static_cast<char>(s.laenge);
        b += static_cast<char>(s.dezimalen);
        b.append(14, '\0');
    }
    b += '\x0D';
    for (const auto& zeile : zeilen) {
        EXPECT_EQ(zeile.size(), spalten.size());
        b += ' ';
        for (std::size_t j = 0; j < zeile.size(); ++j) {
            EXPECT_EQ(zeile[j].size(), static_cast<std::size_t>(spalten[j].laenge)) << zeile[j];
            b += zeile[j];
        }
    }
    b += '\x1A';
    return b;
}

// Pads a field's bytes: texts to the left, numbers to the right.
std::string links(std::string s, int breite) {
    s.resize(static_cast<std::size_t>(breite), ' ');
    return s;
}
std::string rechts(const std::string& s, int breite) {
    return std::string(static_cast<std::size_t>(breite) - s.size(), ' ') + s;
}

// Every test gets its own folder, and the temporary folder of the program points into it.
class DbfUmgebung : public ::testing::Test {
protected:
    std::string pfad(const std::string& name) const { return ordner_ + name; }
    std::size_t eintraegeImTemp() const {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(ordner_ + "temp"), fs::directory_iterator()));
    }

    trelvik::test::TestOrdner ordner;
    const std::string ordner_ = ordner.pfad();
    const bool tempAngelegt_ = fs::create_directory(ordner_ + "temp");
    trelvik::test::TmpUmleitung umleitung_{ordner_ + "temp"};
};

// The text of every field of the current row.
std::vector<std::string> zeile(const DbfTabelle& t) {
    std::vector<std::string> texte;
    for (int j = 0; j < t.feldAnzahl(); ++j)
        texte.push_back(t.feldWertText(j));
    return texte;
}

using Texte = std::vector<std::string>;

// --- Text form of the stored values ----------------------------------------------------------

class DbfTextform : public DbfUmgebung {};

TEST_F(DbfTextform, JederFeldtypVonHandGeschrieben) {
    const std::vector<Spalte> spalten = {
        {"NAME", 'C', 12, 0}, {"ANZAHL", 'N', 6, 0}, {"WERT", 'N', 8, 3},  {"DATUM", 'D', 8, 0},
        {"OK", 'L', 1, 0},    {"REAL", 'F', 10, 2},  {"GROSS", 'N', 20, 0}};
    const std::vector<std::vector<std::string>> zeilen = {
        {links("  Haus", 12), rechts("42", 6), rechts("2.500", 8), "20031224", "T",
         rechts("-1.25", 10), "12345678901234567890"},
        {links("", 12), rechts("", 6), "********", "00000000", "?", rechts("", 10), rechts("", 20)},
        {links("Stra\257e", 12), rechts("-0", 6), rechts("2,5", 8), "20030230", "j", links("7", 10),
         rechts("+0042", 20)},
        {links("x", 12), rechts("12.7", 6), rechts("abc", 8), "2004022 ", "n", rechts("1e3", 10),
         rechts("-000", 20)},
        {links("y", 12), "000042", rechts("0.0005", 8), "20040229", " ", rechts("1.0005", 10),
         rechts("-17", 20)},
    };
    schreibe(pfad("hand.dbf"), dbfVonHand(spalten, zeilen));

    DbfTabelle t;
    t.oeffne(pfad("hand.dbf"), "");
    ASSERT_EQ(t.feldAnzahl(), 7);
    ASSERT_EQ(t.zeilenAnzahl(), 5);
    EXPECT_EQ(t.feld(1).name, "ANZAHL");
    EXPECT_EQ(t.feld(2).typ, 'N');
    EXPECT_EQ(t.feld(2).laenge, 8);
    EXPECT_EQ(t.feld(2).dezimalen, 3);
    EXPECT_EQ(t.feld(3).typ, 'D');

    EXPECT_EQ(zeile(t),
              (Texte{"Haus", "42", "2.500", "24.12.2003", "-1", "-1.250", "12345678901234567890"}));
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"", "", "", "", "", "", ""}));
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"Straße", "0", "2.500", "", "-1", "7.000", "42"}));
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"x", "13", "", "", "0", "1000.000", "0"}));
    t.bewege(1);
    // As doubles 0.0005 lies a little above the half, 1.0005 a little below it.
    EXPECT_EQ(zeile(t), (Texte{"y", "42", "0.001", "29.02.2004", "", "1.000", "-17"}));

    EXPECT_EQ(t.feldWertText(-1), "");
    EXPECT_EQ(t.feldWertText(7), "");
    EXPECT_THROW(t.feld(7), std::out_of_range);
}

TEST_F(DbfTextform, NulBeendetEinenText) {
    schreibe(pfad("nul.dbf"), dbfVonHand({{"T", 'C', 8, 0}}, {{std::string("ab\0cdefg", 8)}}));
    DbfTabelle t;
    t.oeffne(pfad("nul.dbf"), "");
    EXPECT_EQ(t.feldWertText(0), "ab");
}

// --- Code pages ----------------------------------------------------------------------------

class DbfCodepage : public DbfUmgebung {};

TEST_F(DbfCodepage, CpgDateiBestimmtDieDekodierung) {
    using trelvik::codepageVon;
    EXPECT_EQ(codepageVon(pfad("fehlt.cpg")), "");
    schreibe(pfad("a.cpg"), "  UTF-8 \r\nzweite Zeile");
    EXPECT_EQ(codepageVon(pfad("a.cpg")), "UTF-8");
    schreibe(pfad("b.cpg"), "1252");
    EXPECT_EQ(codepageVon(pfad("b.cpg")), "1252");

    schreibe(pfad("t.dbf"),
             dbfVonHand({{"NAME", 'C', 6, 0}}, {{links("õ", 6)}, {links("Caf\351", 6)}}));
    DbfTabelle t;
    t.oeffne(pfad("t.dbf"), codepageVon(pfad("a.cpg")));
    EXPECT_EQ(t.feldWertText(0), "õ");
    t.bewege(1);
    EXPECT_EQ(t.feldWertText(0), "Caf\uFFFD"); // 0xE9 alone is no UTF-8
    t.oeffne(pfad("t.dbf"), codepageVon(pfad("b.cpg")));
    t.bewege(1);
    EXPECT_EQ(t.feldWertText(0), "Café");
    t.oeffne(pfad("t.dbf"), codepageVon(pfad("fehlt.cpg")));
    EXPECT_EQ(t.feldWertText(0), "Ãµ"); // the two bytes of õ read as 1252
    t.bewege(1);
    EXPECT_EQ(t.feldWertText(0), "Café");
}

// --- Positioning -------------------------------------------------------------------------------

class DbfPosition : public DbfUmgebung {};

TEST_F(DbfPosition, RelativeSchritteInnerhalbDerTabelle) {
    schreibe(pfad("p.dbf"), dbfVonHand({{"NR", 'N', 3, 0}}, {{"  0"}, {" 10"}, {" 20"}, {" 30"}}));
    DbfTabelle t;
    t.oeffne(pfad("p.dbf"), "");
    EXPECT_EQ(t.position(), 0);
    t.bewege(3);
    EXPECT_EQ(t.feldWertText(0), "30");
    t.bewege(-2);
    EXPECT_EQ(t.position(), 1);
    EXPECT_EQ(t.feldWertText(0), "10");
    EXPECT_THROW(t.bewege(3), std::runtime_error);
    EXPECT_THROW(t.bewege(-2), std::runtime_error);
    EXPECT_EQ(t.position(), 1); // a refused move leaves the cursor
    t.bewege(0);
    EXPECT_EQ(t.position(), 1);
    t.geheZuLetzter();
    EXPECT_EQ(t.position(), 3);
    EXPECT_EQ(t.feldWertText(0), "30");
    t.bewege(-3);
    EXPECT_EQ(t.feldWertText(0), "0");
}

TEST_F(DbfPosition, LeereTabelleHatNurDiePositionNull) {
    schreibe(pfad("leer.dbf"), dbfVonHand({{"NR", 'N', 3, 0}}, {}));
    DbfTabelle t;
    t.oeffne(pfad("leer.dbf"), "");
    EXPECT_EQ(t.zeilenAnzahl(), 0);
    t.bewege(0);
    t.geheZuLetzter();
    EXPECT_EQ(t.position(), 0);
    EXPECT_EQ(t.feldWertText(0), "");
    EXPECT_THROW(t.bewege(1), std::runtime_error);
    EXPECT_THROW(t.bewege(-1), std::runtime_error);

    DbfTabelle zu;
    EXPECT_FALSE(zu.offen());
    EXPECT_EQ(zu.feldAnzahl(), 0);
    EXPECT_EQ(zu.feldWertText(0), "");
    EXPECT_THROW(zu.bewege(0), std::runtime_error);
}

// --- Working copy ----------------------------------------------------------------------------

class DbfArbeitskopie : public DbfUmgebung {};

TEST_F(DbfArbeitskopie, PrivaterOrdnerUndExklusiveNamen) {
    const std::string quelle = pfad("quelle.dbf");
    const std::string inhalt = dbfVonHand({{"N", 'C', 4, 0}}, {{"abcd"}, {"efgh"}});
    schreibe(quelle, inhalt);
    ::chmod(quelle.c_str(), 0444); // the user's table may be read-only
    const auto zeitVorher = fs::last_write_time(quelle);

    std::string ordner1;
    {
        Arbeitskopie a;
        Arbeitskopie b;
        const std::string pa = a.kopiereVon(quelle);
        const std::string pb = b.kopiereVon(quelle);
        EXPECT_NE(pa, pb);
        EXPECT_EQ(fs::path(pa).filename(), "t~0.dbf");
        EXPECT_EQ(fs::path(pa).parent_path().parent_path(), fs::path(ordner_ + "temp"));
        ordner1 = fs::path(pa).parent_path().string();
        struct stat info {};
        ASSERT_EQ(::stat(ordner1.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u);
        EXPECT_EQ(lese(pa), inhalt);

        // Reading and appending work on the copy only.
        DbfTabelle t;
        t.oeffne(pa, "");
        t.haengeAn({text("neu")});
        t.schliesse();
        EXPECT_NE(lese(pa), inhalt);

        // A second copy in the same object replaces the first.
        const std::string nochmal = a.kopiereVon(quelle);
        EXPECT_EQ(fs::path(nochmal).parent_path().string(), ordner1);
        EXPECT_EQ(lese(nochmal), inhalt);
        EXPECT_EQ(eintraegeImTemp(), 2u);
    }
    EXPECT_FALSE(fs::exists(ordner1));
    EXPECT_EQ(eintraegeImTemp(), 0u);
    EXPECT_EQ(lese(quelle), inhalt);
    EXPECT_EQ(fs::last_write_time(quelle), zeitVorher);
}

TEST_F(DbfArbeitskopie, WirdAuchNachEinemFehlerEntfernt) {
    schreibe(pfad("q.dbf"), dbfVonHand({{"N", 'C', 1, 0}}, {{"a"}}));
    std::string kopie;
    try {
        Arbeitskopie a;
        kopie = a.kopiereVon(pfad("q.dbf"));
        ASSERT_TRUE(fs::exists(kopie));
        throw std::runtime_error("fehler im Lauf");
    } catch (const std::runtime_error&) {
    }
    EXPECT_FALSE(fs::exists(kopie));
    EXPECT_EQ(eintraegeImTemp(), 0u);

    // A missing source leaves no copy behind; entferne may be called again.
    Arbeitskopie b;
    EXPECT_THROW(b.kopiereVon(pfad("fehlt.dbf")), std::runtime_error);
    EXPECT_THROW(b.kopiereVon(ordner_), std::runtime_error); // a folder is no table
    EXPECT_EQ(b.pfad(), "");
    const std::string reserviert = b.reserviere();
    EXPECT_TRUE(fs::exists(reserviert));
    EXPECT_EQ(fs::file_size(reserviert), 0u);
    b.entferne();
    b.entferne();
    EXPECT_EQ(eintraegeImTemp(), 0u);
    EXPECT_THROW(b.reserviere(), std::runtime_error);
}

// A child process that holds a working copy of `quelle`, says so and then writes to the pipe
// `ausgabe` (when given) until it is stopped.
pid_t kindMitKopie(const std::string& quelle, const int* ausgabe = nullptr) {
    int bereit[2];
    EXPECT_EQ(::pipe(bereit), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(bereit[0]);
        if (ausgabe != nullptr)
            ::close(ausgabe[0]); // the parent alone reads
        Arbeitskopie kopie;
        kopie.kopiereVon(quelle);
        if (::write(bereit[1], "1", 1) != 1)
            ::_exit(3);
        while (true) {
            if (ausgabe != nullptr && ::write(ausgabe[1], "x", 1) < 0)
                ::_exit(4); // EPIPE: SIGPIPE was not delivered
            ::usleep(1000);
        }
    }
    ::close(bereit[1]);
    char c = 0;
    EXPECT_EQ(::read(bereit[0], &c, 1), 1) << "the child made no copy";
    ::close(bereit[0]);
    return pid;
}

TEST_F(DbfArbeitskopie, SignaleEntfernenDieKopieUndVerwaisteWerdenGefegt) {
    schreibe(pfad("q.dbf"), dbfVonHand({{"N", 'C', 1, 0}}, {{"a"}}));
    const auto ordnerVon = [&](pid_t pid) {
        std::vector<std::string> namen;
        for (const auto& e : fs::directory_iterator(ordner_ + "temp"))
            if (e.path().filename().string().starts_with("trelvik-" + std::to_string(pid) + "-"))
                namen.push_back(e.path().string());
        return namen;
    };
    const auto ende = [](pid_t pid) {
        int status = 0;
        EXPECT_EQ(::waitpid(pid, &status, 0), pid);
        return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status);
    };
    for (const int signal : {SIGTERM, SIGINT, SIGPIPE}) {
        SCOPED_TRACE(signal);
        int rohr[2];
        ASSERT_EQ(::pipe(rohr), 0);
        const pid_t kind = kindMitKopie(pfad("q.dbf"), rohr);
        ::close(rohr[1]);
        EXPECT_EQ(ordnerVon(kind).size(), 1u);
        if (signal == SIGPIPE)
            ::close(rohr[0]); // the reader goes away, as "head -1" does
        else
            ::kill(kind, signal);
        EXPECT_EQ(ende(kind), signal);
        if (signal != SIGPIPE)
            ::close(rohr[0]);
        EXPECT_EQ(eintraegeImTemp(), 0u);
    }

    // A killed run leaves its copy; the next run removes it, but not that of a living process.
    const pid_t getoetet = kindMitKopie(pfad("q.dbf"));
    ::kill(getoetet, SIGKILL);
    EXPECT_EQ(ende(getoetet), SIGKILL);
    EXPECT_EQ(ordnerVon(getoetet).size(), 1u);
    const pid_t lebend = kindMitKopie(pfad("q.dbf"));
    EXPECT_TRUE(ordnerVon(getoetet).empty());
    {
        Arbeitskopie neu;
        EXPECT_EQ(ordnerVon(lebend).size(), 1u);
        EXPECT_EQ(ordnerVon(::getpid()).size(), 1u);
    }
    ::kill(lebend, SIGTERM);
    EXPECT_EQ(ende(lebend), SIGTERM);
    EXPECT_EQ(eintraegeImTemp(), 0u);
}

TEST_F(DbfArbeitskopie, FehlenderTempOrdnerIstEinFehler) {
    ::setenv("tmp", pfad("gibt-es-nicht").c_str(), 1);
    EXPECT_THROW(Arbeitskopie{}, std::runtime_error);
}

// --- Broken tables -----------------------------------------------------------------------------

class DbfKaputteDatei : public DbfUmgebung {
protected:
    // Opening either fails with a reason or gives a table whose every value can be read.
    static void oeffneUndLiesAlles(const std::string& p, const std::string& fall) {
        DbfTabelle t;
        try {
            t.oeffne(p, "");
        } catch (const std::runtime_error& e) {
            EXPECT_FALSE(std::string(e.what()).empty()) << fall;
            return;
        }
        for (int i = 0; i < t.zeilenAnzahl(); ++i) {
            if (i > 0)
                t.bewege(1);
            for (int j = -1; j <= t.feldAnzahl(); ++j)
                (void)t.feldWertText(j);
        }
    }
};

TEST_F(DbfKaputteDatei, KeineTabelleWirdAbgelehnt) {
    DbfTabelle t;
    EXPECT_THROW(t.oeffne(pfad("fehlt.dbf"), ""), std::runtime_error);
    EXPECT_THROW(t.oeffne(ordner_, ""), std::runtime_error);
    schreibe(pfad("null.dbf"), "");
    EXPECT_THROW(t.oeffne(pfad("null.dbf"), ""), std::runtime_error);
    schreibe(pfad("text.dbf"), "Dies ist keine Tabelle, nur ein Text von mehr als 32 Bytes.");
    EXPECT_THROW(t.oeffne(pfad("text.dbf"), ""), std::runtime_error);

    const std::string gut = dbfVonHand({{"A", 'C', 4, 0}, {"B", 'N', 5, 1}}, {{"abcd", "  1.5"}});
    // 1000 fields claimed in a file of 100 bytes.
    std::string viele = gut.substr(0, 100);
    viele[8] = static_cast<char>((32 * 1001 + 1) & 0xFF);
    viele[9] = static_cast<char>((32 * 1001 + 1) >> 8);
    schreibe(pfad("viele.dbf"), viele);
    EXPECT_THROW(t.oeffne(pfad("viele.dbf"), ""), std::runtime_error);

    std::string nullSatz = gut;
    nullSatz[10] = nullSatz[11] = '\0';
    schreibe(pfad("satz0.dbf"), nullSatz);
    EXPECT_THROW(t.oeffne(pfad("satz0.dbf"), ""), std::runtime_error);

    std::string zuBreit = gut;
    zuBreit[32 + 32 + 16] = static_cast<char>(200); // field B wider than a record
    schreibe(pfad("breit.dbf"), zuBreit);
    EXPECT_THROW(t.oeffne(pfad("breit.dbf"), ""), std::runtime_error);

    std::string ohneEnde = gut;
    ohneEnde[32 + 64] = 'X'; // the terminator replaced within a header that has room for it
    schreibe(pfad("ende.dbf"), ohneEnde);
    EXPECT_THROW(t.oeffne(pfad("ende.dbf"), ""), std::runtime_error);
    EXPECT_FALSE(t.offen());
}

TEST_F(DbfKaputteDatei, AbgeschnitteneZeilenZaehlenNicht) {
    const std::string gut = dbfVonHand({{"A", 'C', 4, 0}, {"B", 'N', 5, 1}},
                                       {{"abcd", "  1.5"}, {"efgh", "  2.5"}, {"ijkl", "  3.5"}});
    // The header still says 3 rows; one and a half are left.
    const std::size_t kopf = 32 + 64 + 1;
    schreibe(pfad("kurz.dbf"), gut.substr(0, kopf + 10 + 5));
    DbfTabelle t;
    t.oeffne(pfad("kurz.dbf"), "");
    EXPECT_EQ(t.zeilenAnzahl(), 1);
    EXPECT_EQ(t.feldWertText(1), "1.500");
    EXPECT_THROW(t.bewege(1), std::runtime_error);
    t.geheZuLetzter();
    EXPECT_EQ(t.position(), 0);

    // Appending continues after the rows that are there.
    t.haengeAn({text("neu"), zahl(4)});
    t.schliesse();
    t.oeffne(pfad("kurz.dbf"), "");
    ASSERT_EQ(t.zeilenAnzahl(), 2);
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"neu", "4.000"}));
}

TEST_F(DbfKaputteDatei, JedeKuerzungUndZufaelligeBytesOhneAbsturz) {
    const std::string gut = dbfVonHand(
        {{"NAME", 'C', 6, 0}, {"N", 'N', 5, 2}, {"D", 'D', 8, 0}, {"L", 'L', 1, 0}},
        {{"Stra\257e", " 1.25", "20031224", "T"}, {"\263ber  ", "*****", "        ", "F"}});
    for (std::size_t n = 0; n < gut.size(); ++n) {
        schreibe(pfad("k.dbf"), gut.substr(0, n));
        oeffneUndLiesAlles(pfad("k.dbf"), "cut at " + std::to_string(n));
    }
    std::mt19937 zufall(4711); // fixed seed: a failure reproduces
    for (int fall = 0; fall < 400; ++fall) {
        std::string b = gut;
        const int stellen = 1 + static_cast<int>(zufall() % 4);
        for (int k = 0; k < stellen; ++k) {
            // Mostly the header, where a wrong byte does the most harm.
            const std::size_t ort = zufall() % 2 ? zufall() % 165 : zufall() % b.size();
            b[ort] = static_cast<char>(zufall() & 0xFF);
        }
        schreibe(pfad("z.dbf"), b);
        oeffneUndLiesAlles(pfad("z.dbf"), "case " + std::to_string(fall));
    }
}

// --- Creating and appending ------------------------------------------------------------------

class DbfAnlegen : public DbfUmgebung {};

TEST_F(DbfAnlegen, ZeilenKommenUnveraendertZurueck) {
    const std::vector<DbfFeld> felder = {{"ID", 'N', 6, 0},      {"Gemeindename", 'C', 10, 0},
                                         {"FLAECHE", 'N', 8, 3}, {"SEIT", 'D', 8, 0},
                                         {"AKTIV", 'L', 1, 0},   {"ANTEIL", 'F', 6, 2}};
    const std::string p = pfad("neu.dbf");
    DbfTabelle t;
    t.legeAn(p, felder);
    EXPECT_EQ(t.zeilenAnzahl(), 0);
    EXPECT_EQ(t.feld(1).name, "Gemeindena");
    EXPECT_EQ(t.feld(5).typ, 'N');
    EXPECT_EQ(t.feld(3).laenge, 8);

    // The empty table is complete on disk before the first row.
    {
        DbfTabelle leer;
        leer.oeffne(p, "");
        EXPECT_EQ(leer.feldAnzahl(), 6);
        EXPECT_EQ(leer.zeilenAnzahl(), 0);
        EXPECT_EQ(leer.feld(2).dezimalen, 3);
    }

    t.haengeAn({zahl(1), text("Müller"), zahl(12.5), text("20031224"), text("T"), zahl(0.25)});
    EXPECT_EQ(t.position(), 0);
    t.haengeAn({zahl(2), text("Donaudampfschiff"), text("12,5"), text("24.12.2003"), zahl(0),
                text("-0,004")});
    t.haengeAn(
        {zahl(1234567), text("Ω 你"), zahl(-0.0001), text("31.02.2003"), leer, zahl(999.999)});
    t.haengeAn({leer, leer, text("  "), zahl(20040229), text("nein")});
    EXPECT_EQ(t.position(), 3);
    EXPECT_EQ(t.zeilenAnzahl(), 4);
    // The appended row reads back at once, before the table is closed.
    EXPECT_EQ(t.feldWertText(3), "29.02.2004");
    t.schliesse();
    t.schliesse();
    EXPECT_FALSE(t.offen());

    const std::string bytes = lese(p);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 0x57); // Windows ANSI
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 4);     // row count in the header

    t.oeffne(p, "");
    ASSERT_EQ(t.zeilenAnzahl(), 4);
    EXPECT_EQ(zeile(t), (Texte{"1", "Müller", "12.500", "24.12.2003", "-1", "0.250"}));
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"2", "Donaudampf", "12.500", "24.12.2003", "0", "0.000"}));
    t.bewege(1);
    // Too wide for its column: stored as '*' (no value), never as a cut number.
    EXPECT_EQ(zeile(t), (Texte{"", "? ?", "0.000", "", "", ""}));
    t.bewege(1);
    EXPECT_EQ(zeile(t), (Texte{"", "", "", "29.02.2004", "0", ""}));

    // The columns of row 2 as bytes: the numbers right-aligned, the overflow filled.
    const std::size_t kopf = 32 + 6 * 32 + 1;
    const std::size_t satz = 1 + 6 + 10 + 8 + 8 + 1 + 6;
    const std::string zeile2 = bytes.substr(kopf + 2 * satz, satz);
    EXPECT_EQ(zeile2.substr(1, 6), "******");
    EXPECT_EQ(zeile2.substr(17, 8), "   0.000");
    EXPECT_EQ(zeile2.substr(34, 6), "******"); // 999.999 needs 1000.00
    EXPECT_EQ(bytes.substr(kopf + satz + 1 + 6, 10), "Donaudampf");
    EXPECT_EQ(bytes.substr(kopf + 1 + 6, 10), "M\374ller    "); // Windows-1252
}

TEST_F(DbfAnlegen, UnbrauchbareFelderWerdenAbgelehnt) {
    DbfTabelle t;
    EXPECT_THROW(t.legeAn(pfad("a.dbf"), {}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("b.dbf"), {{"A", 'C', 5, 0}, {"a", 'N', 5, 0}}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("c.dbf"), {{"MEMO", 'M', 10, 0}}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("d.dbf"), {{"T", 'C', 0, 0}}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("e.dbf"), {{"", 'C', 4, 0}}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("f.dbf"), {{"Z", 'N', 4, 4}}), std::runtime_error);
    EXPECT_THROW(t.legeAn(pfad("gibt/es/nicht.dbf"), {{"A", 'C', 4, 0}}), std::runtime_error);
    EXPECT_FALSE(t.offen());
    EXPECT_THROW(t.haengeAn({text("x")}), std::runtime_error);
}

TEST_F(DbfAnlegen, GenauDerGenanntePfadOhneNachbardateien) {
    // The table under another extension is opened as such, not its ".dbf" namesake.
    schreibe(pfad("x.dbf"), dbfVonHand({{"ANDERE", 'C', 3, 0}}, {{"abc"}}));
    schreibe(pfad("x.cpg"), "UTF-8");
    DbfTabelle t;
    t.legeAn(pfad("x.dbfx"), {{"EIGENE", 'N', 4, 0}});
    t.haengeAn({zahl(7)});
    t.schliesse();
    EXPECT_EQ(lese(pfad("x.cpg")), "UTF-8"); // creating a table leaves a .cpg beside it alone
    t.oeffne(pfad("x.dbfx"), "");
    EXPECT_EQ(t.feld(0).name, "EIGENE");
    EXPECT_EQ(t.feldWertText(0), "7");
    t.oeffne(pfad("x.dbf"), "");
    EXPECT_EQ(t.feld(0).name, "ANDERE");
}

// --- Real tables -------------------------------------------------------------------------------

class DbfEchteTabelle : public DbfUmgebung {};

TEST_F(DbfEchteTabelle, LuxemburgUndNaturalEarth) {
    const std::string daten = TRELVIK_TESTDATEN "/real/";
    {
        Arbeitskopie kopie;
        DbfTabelle t;
        t.oeffne(kopie.kopiereVon(daten + "lux/lux.dbf"), "");
        ASSERT_EQ(t.feldAnzahl(), 6);
        EXPECT_EQ(t.zeilenAnzahl(), 12);
        EXPECT_EQ(t.feld(5).name, "POP");
        EXPECT_EQ(zeile(t), (Texte{"1.000", "Diekirch", "1.000", "Clervaux", "312.000", "18081"}));
    }
    {
        Arbeitskopie kopie;
        DbfTabelle t;
        const std::string basis = daten + "naturalearth_lowres/naturalearth_lowres.";
        t.oeffne(kopie.kopiereVon(basis + "dbf"), trelvik::codepageVon(basis + "cpg"));
        ASSERT_EQ(t.zeilenAnzahl(), 177);
        t.bewege(60);
        EXPECT_EQ(zeile(t), (Texte{"25716544.000", "Africa", "Côte d'Ivoire", "CIV", "58539"}));
    }
    {
        // A table without any field: one row per shape record all the same.
        Arbeitskopie kopie;
        DbfTabelle t;
        t.oeffne(kopie.kopiereVon(daten + "storms_xyzm/storms_xyzm.dbf"), "");
        EXPECT_EQ(t.feldAnzahl(), 0);
        EXPECT_EQ(t.zeilenAnzahl(), 71);
        t.geheZuLetzter();
        EXPECT_EQ(t.position(), 70);
    }
    EXPECT_EQ(eintraegeImTemp(), 0u);
}

} // namespace
