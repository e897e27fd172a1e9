#!/usr/bin/env python3
"""Writes the hand-made malformed inputs of tests/corpus: file sets under saetze/<name>/
(for the command-line runs) and the same sets in the split form of the shape and clean fuzz
targets (two 16-bit lengths of index and table, then index, table, main file), plus inputs
for the table, Attribute.txt and .prj targets. Run from the repository root."""
import os
import struct

ziel = os.path.join("tests", "corpus")


def kopf(woerter, typ, box=(0, 0, 10, 10)):
    b = struct.pack(">7i", 9994, 0, 0, 0, 0, 0, woerter)
    b += struct.pack("<2i", 1000, typ)
    b += struct.pack("<8d", box[0], box[1], box[2], box[3], 0, 0, 0, 0)
    return b


def polygon(teile, punkte, typ=5):
    xs = [p[0] for p in punkte] or [0]
    ys = [p[1] for p in punkte] or [0]
    b = struct.pack("<i4d", typ, min(xs), min(ys), max(xs), max(ys))
    b += struct.pack("<2i", len(teile), len(punkte))
    b += b"".join(struct.pack("<i", t) for t in teile)
    b += b"".join(struct.pack("<2d", *p) for p in punkte)
    return b


def dbf(zeilen, breite=10):
    kopflaenge = 32 + 32 + 1
    b = struct.pack("<4BIHH20x", 3, 126, 1, 1, len(zeilen), kopflaenge, breite + 1)
    b += b"NAME".ljust(11, b"\0") + b"C" + b"\0" * 4 + bytes([breite, 0]) + b"\0" * 14
    b += b"\r"
    for z in zeilen:
        b += b" " + z.encode("cp1252").ljust(breite)[:breite]
    return b + b"\x1a"


def satz(inhalte, typ=5):
    """Main file and index for these record contents."""
    shp = b""
    shx = b""
    stelle = 100
    for i, inhalt in enumerate(inhalte):
        shx += struct.pack(">2i", stelle // 2, len(inhalt) // 2)
        shp += struct.pack(">2i", i + 1, len(inhalt) // 2) + inhalt
        stelle += 8 + len(inhalt)
    return (kopf((100 + len(shp)) // 2, typ) + shp, kopf((100 + len(shx)) // 2, typ) + shx)


quadrat = [(0, 0), (0, 10), (10, 10), (10, 0), (0, 0)]
gut = polygon([0], quadrat)
zwei = polygon([0, 5], quadrat + [(2, 2), (2, 4), (4, 4), (4, 2), (2, 2)])
sets = {}

shp, shx = satz([gut, zwei])
db = dbf(["eins", "zwei"])
sets["gut"] = (shp, shx, db)
sets["hauptdatei_gekuerzt"] = (shp[:150], shx, db)
sets["index_gekuerzt"] = (shp, shx[:104], db)
# Index entries pointing beyond the end of the main file.
shx_weit = shx[:100] + struct.pack(">2i", 50, 64) + struct.pack(">2i", 0x3FFFFFF0, 64)
sets["versatz_hinter_ende"] = (shp, shx_weit, db)
# Content lengths that lie: far too long, and shorter than the points.
kaputt = bytearray(shp)
struct.pack_into(">i", kaputt, 104, 0x3FFFFFFF)
sets["inhaltslaenge_zu_gross"] = (bytes(kaputt), shx, db)
kaputt = bytearray(shp)
struct.pack_into(">i", kaputt, 104, 10)
sets["inhaltslaenge_zu_klein"] = (bytes(kaputt), shx, db)
# Counts of 2^31-1 and negative counts.
for name, teile, punkte in [("punkte_2hoch31", 1, 0x7FFFFFFF), ("teile_2hoch31", 0x7FFFFFFF, 5),
                            ("punkte_negativ", 1, -5), ("teile_negativ", -1, 5)]:
    kaputt = bytearray(shp)
    struct.pack_into("<2i", kaputt, 100 + 8 + 36, teile, punkte)
    sets[name] = (bytes(kaputt), shx, db)
# Descending and out-of-range part starts.
for name, starts in [("teilstarts_absteigend", (5, 0)), ("teilstart_hinter_ende", (0, 99)),
                     ("teilstart_negativ", (-3, 5))]:
    inhalt = polygon(list(starts), quadrat + quadrat)
    s2, x2 = satz([gut, inhalt])
    sets[name] = (s2, x2, db)
# Zero-byte files of each kind.
sets["hauptdatei_leer"] = (b"", shx, db)
sets["index_leer"] = (shp, b"", db)
sets["tabelle_leer"] = (shp, shx, b"")
# A table whose header claims more fields than it has bytes.
lug = bytearray(db)
struct.pack_into("<H", lug, 8, 32 * 200 + 33)
sets["tabelle_felder_gelogen"] = (shp, shx, bytes(lug[:80]))
# A table whose header claims a million rows.
lug = bytearray(db)
struct.pack_into("<I", lug, 4, 1000000)
sets["tabelle_zeilen_gelogen"] = (shp, shx, bytes(lug))
# An index whose header says more records than the file holds.
kaputt = bytearray(shx)
struct.pack_into(">i", kaputt, 24, 0x3FFFFFFF)
sets["indexlaenge_gelogen"] = (shp, bytes(kaputt), db)
# Unknown and odd record types.
s2, x2 = satz([gut, struct.pack("<i", 31) + b"\0" * 40, struct.pack("<i", 77)])
sets["fremde_typen"] = (s2, x2, dbf(["a", "b", "c"]))

for name, (s, x, d) in sets.items():
    ordner = os.path.join(ziel, "saetze", name)
    os.makedirs(ordner, exist_ok=True)
    for endung, inhalt in (("shp", s), ("shx", x), ("dbf", d)):
        with open(os.path.join(ordner, name + "." + endung), "wb") as f:
            f.write(inhalt)
    geteilt = struct.pack("<2H", min(len(x), 65535), min(len(d), 65535)) + x[:65535] + d[:65535] + s
    for art in ("shape", "bereinigen"):
        os.makedirs(os.path.join(ziel, art), exist_ok=True)
        with open(os.path.join(ziel, art, name), "wb") as f:
            f.write(geteilt)
    os.makedirs(os.path.join(ziel, "tabelle"), exist_ok=True)
    with open(os.path.join(ziel, "tabelle", name), "wb") as f:
        f.write(d)

os.makedirs(os.path.join(ziel, "attribute"), exist_ok=True)
for name, inhalt in {
    "binaer": bytes(range(256)) * 4,
    "leer": b"",
    "zu_lang": b'"NAME"\tC\t300\r\n"KURZ"\tN\t99999999999999999999\r\n"X"\tD\t-8\r\n',
    "anfuehrung_offen": b'"NAME\tC\t10\r\n"\tC\r\n\t\t\t\r\n',
}.items():
    with open(os.path.join(ziel, "attribute", name), "wb") as f:
        f.write(inhalt)
os.makedirs(os.path.join(ziel, "projektion"), exist_ok=True)
for name, inhalt in {
    "klammern_zu": b"]]]]]][[[,,,,]]]",
    "tief": b"[" * 5000 + b"]" * 10,
    "binaer": bytes(range(256)),
    "leer": b"",
}.items():
    with open(os.path.join(ziel, "projektion", name), "wb") as f:
        f.write(inhalt)
os.makedirs(os.path.join(ziel, "geometrie"), exist_ok=True)
for wahl in range(14):
    for schalter in (0, 1, 4, 255):
        punkte = b"".join(struct.pack("<2d", *p) for p in quadrat + [(5, 5), (5, 5.1)])
        roh = struct.pack("<BBddH", wahl, schalter, 0.25, 25.0, 7) + punkte + punkte
        with open(os.path.join(ziel, "geometrie", "w%02d_s%03d" % (wahl, schalter)), "wb") as f:
            f.write(roh)
    nan = struct.pack("<BBddH", wahl, 3, float("nan"), float("inf"), 3) + b"\xff" * 96
    with open(os.path.join(ziel, "geometrie", "w%02d_nan" % wahl), "wb") as f:
        f.write(nan)
