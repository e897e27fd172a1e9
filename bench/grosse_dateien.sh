#!/bin/sh
# The whole check and clean of large real files, against GEOS validity on the same files, in one
# run; writes the table into bench/README.md between its markers.
#
# Needs the release build (cmake --preset release && cmake --build build/release --target
# trelvik-cli) and the Debian packages gmt-dcw, gdal-bin and netcdf-bin. The files are built
# here: the DCW country outlines (one record per country, every ring of it), projected to metres
# (Equal Earth); the largest DCW ring near 171,943 vertices alone; the Natural Earth sample tiled
# side by side to about 1 and 5 million vertices; a 200,000-vertex star ring.
#
# Usage: bench/grosse_dateien.sh [WORK_FOLDER]   (TIMEOUT=seconds per command, default 300)
set -eu
quelle=$(cd "$(dirname "$0")/.." && pwd)
cli="$quelle/build/release/bin/trelvik-cli"
arbeit=${1:-${TMPDIR:-/tmp}/trelvik-grosse}
grenze=${TIMEOUT:-300}
dcw=/usr/share/gmt-dcw/dcw-gmt.nc
for p in "$cli" "$dcw" "$(command -v ogr2ogr)" "$(command -v ncdump)"; do
    [ -e "$p" ] || { echo "missing: $p (see the head of $0)" >&2; exit 2; }
done
mkdir -p "$arbeit"
cd "$arbeit"

# --- the files ------------------------------------------------------------------------------
if [ ! -f dcw.fertig ]; then
    vars=$(ncdump -h "$dcw" | sed -n 's/^[[:space:]]*ushort \([A-Z][A-Z]\)_lon(.*/\1/p')
    liste=$(for v in $vars; do printf '%s_lon,%s_lat,' "$v" "$v"; done)
    [ -f dcw.json ] || ncdump -v "${liste%,}" "$dcw" > dcw.cdl
    [ -f dcw.json ] || python3 - "$dcw" <<'EOF'
import json, re, subprocess, sys
kopf = subprocess.run(["ncdump", "-h", sys.argv[1]], capture_output=True, text=True).stdout
attr = {}
for var, name, wert in re.findall(r"\t\t([A-Z]{2}_l(?:on|at)):(min|scale) = ([-0-9.e]+)", kopf):
    attr[(var, name)] = float(wert)
daten = open("dcw.cdl").read().split("\ndata:\n", 1)[1]
werte = {}
for var, zahlen in re.findall(r"\n ([A-Z]{2}_l(?:on|at)) =([^;]*);", daten):
    # ncdump shows the fill value, which is 65535 for these arrays, as "_".
    werte[var] = [65535 if z.strip() == "_" else int(z) for z in zahlen.split(",")]
# DCW packs each coordinate as 0..65534 over the country's range; 65535 in lon starts a ring,
# lat 1 there marks it as a hole of the ring before.
merkmale, bester = [], None
for n, code in enumerate(sorted({v[:2] for v in werte})):
    lon, lat = werte[code + "_lon"], werte[code + "_lat"]
    x0, xs = attr[(code + "_lon", "min")], attr[(code + "_lon", "scale")]
    y0, ys = attr[(code + "_lat", "min")], attr[(code + "_lat", "scale")]
    polygone = []
    for dx, dy in zip(lon, lat):
        if dx == 65535:
            if dy == 1 and polygone:
                polygone[-1].append([])
            else:
                polygone.append([[]])
            continue
        polygone[-1][-1].append([dx / xs + x0, dy / ys + y0])
    teile = []
    for p in polygone:
        ringe = [r + [r[0]] if r[0] != r[-1] else r for r in p if len(r) >= 3]
        if ringe:
            teile.append(ringe)
            for r in ringe:
                if bester is None or abs(len(r) - 171943) < abs(len(bester) - 171943):
                    bester = r
    if teile:
        merkmale.append({"type": "Feature", "properties": {"ID": n + 1},
                         "geometry": {"type": "MultiPolygon", "coordinates": teile}})
json.dump({"type": "FeatureCollection", "features": merkmale}, open("dcw.json", "w"))
json.dump({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {"ID": 1},
          "geometry": {"type": "Polygon", "coordinates": [bester]}}]}, open("ring.json", "w"))
EOF
    for f in dcw ring; do
        ogr2ogr -q --config OGR_GEOJSON_MAX_OBJ_SIZE 0 -f "ESRI Shapefile" -overwrite -s_srs EPSG:4326 -t_srs EPSG:8857 -nlt MULTIPOLYGON \
            "$f.shp" "$f.json"
    done
    rm -f dcw.cdl dcw.json ring.json
    touch dcw.fertig
fi
if [ ! -f ne.fertig ]; then
    ogr2ogr -q -f GeoJSON ne.json "$quelle/tests/daten/real/naturalearth_lowres_m/naturalearth_lowres_m.shp"
    python3 - <<'EOF'
import json, math, random
ne = json.load(open("ne.json"))
def ecken(g):
    return [p for teil in (g["coordinates"] if g["type"] == "MultiPolygon" else [g["coordinates"]])
            for r in teil for p in r]
alle = [p for f in ne["features"] for p in ecken(f["geometry"])]
breite = max(p[0] for p in alle) - min(p[0] for p in alle) + 1
def verschoben(g, dx):
    def r(k):
        return [[p[0] + dx, p[1]] for p in k]
    if g["type"] == "Polygon":
        return {"type": "Polygon", "coordinates": [r(k) for k in g["coordinates"]]}
    return {"type": "MultiPolygon", "coordinates": [[r(k) for k in t] for t in g["coordinates"]]}
for name, ziel in (("ne1m", 1000000), ("ne5m", 5000000)):
    merkmale, n, kachel = [], 0, 0
    while n < ziel:
        for f in ne["features"]:
            merkmale.append({"type": "Feature", "properties": {"ID": len(merkmale) + 1},
                             "geometry": verschoben(f["geometry"], kachel * breite)})
            n += len(ecken(f["geometry"]))
        kachel += 1
    json.dump({"type": "FeatureCollection", "features": merkmale}, open(name + ".json", "w"))
# A star ring: radii drawn from a fixed seed, clockwise, dense everywhere.
random.seed(4711)
n = 200000
ring = [[500000 + r * math.cos(w), 5600000 + r * math.sin(w)]
        for k in range(n - 1)
        for w in [-2 * math.pi * k / (n - 1)] for r in [random.uniform(30000, 50000)]]
ring.append(ring[0])
json.dump({"type": "FeatureCollection", "features": [{"type": "Feature", "properties": {"ID": 1},
          "geometry": {"type": "Polygon", "coordinates": [ring]}}]}, open("stern.json", "w"))
EOF
    for f in ne1m ne5m stern; do
        ogr2ogr -q -overwrite -f "ESRI Shapefile" -nlt POLYGON "$f.shp" "$f.json"
        rm -f "$f.json"
    done
    rm -f ne.json
    touch ne.fertig
fi

# --- the runs -------------------------------------------------------------------------------
# Seconds (wall) and peak KiB of one command, or "> limit" when it did not finish in time.
miss() {
    if /usr/bin/time -f "%e %M" -o zeit.txt timeout "$grenze" "$@" > aus.txt 2> /dev/null ||
        [ $? -le 2 ]; then
        # The last line: time writes a note about a non-zero exit status above it.
        tail -n 1 zeit.txt
    else
        echo ">$grenze"
    fi
}

# Ours (indexed) and GEOS in turn, `runden` pairs (one when a pair takes more than ten
# seconds): the median wall seconds and peak KiB of
# ours, the median seconds of GEOS, and the median of the pairs' ratios (pairing keeps the ratio
# meaningful while the machine's speed drifts). The first report of ours is kept.
runden=${RUNDEN:-5}
paarweise() {
    datei=$1
    : > paare.txt
    k=0
    while [ "$k" -lt "$runden" ]; do
        a=$(miss "$cli" check "$datei.shp")
        [ "$k" -eq 0 ] && cp aus.txt bericht_index.txt
        b=$(miss ogrinfo -ro -q -dialect SQLite -sql \
            "SELECT count(*) FROM $datei WHERE NOT ST_IsValid(geometry)" "$datei.shp")
        case "$a$b" in *">"*) echo "$a|$b"; return ;; esac
        echo "${a%% *} ${a#* } ${b%% *}" >> paare.txt
        k=$((k + 1))
        # A pair of more than ten seconds varies little against its length: once is enough.
        awk -v a="${a%% *}" -v b="${b%% *}" 'BEGIN { exit !(a + b > 10) }' && break
    done
    awk '
        function median(feld, n,   i, j, t) {
            for (i = 2; i <= n; i++)
                for (j = i; j > 1 && feld[j - 1] > feld[j]; j--) { t = feld[j]; feld[j] = feld[j - 1]; feld[j - 1] = t }
            return n % 2 ? feld[(n + 1) / 2] : (feld[n / 2] + feld[n / 2 + 1]) / 2
        }
        { n++; a[n] = $1; m[n] = $2; b[n] = $3; v[n] = $3 > 0 ? $1 / $3 : 0 }
        END { printf "%.2f %.0f|%.2f|%.2f\n", median(a, n), median(m, n), median(b, n), median(v, n) }
    ' paare.txt
}

tabelle=tabelle.md
{
    echo "| File | vertices | largest record | read the bytes | ours, indexed | peak MiB | ours, all pairs (brute) | GEOS validity | ours / GEOS | reports equal (brute, 1 vs $(nproc) jobs) |"
    echo "|---|---|---|---|---|---|---|---|---|---|"
} > "$tabelle"
for f in dcw ring ne1m ne5m stern; do
    info=$(ogrinfo -ro -q -dialect SQLite -sql \
        "SELECT sum(ST_NPoints(geometry)), max(ST_NPoints(geometry)) FROM $f" "$f.shp" |
        sed -n 's/.*(Integer[^=]*= \([0-9]*\)/\1/p' | tr '\n' ' ')
    set -- $info
    punkte=${1:-?} groesster=${2:-?}
    lesen=$(miss cat "$f.shp"); lesen=${lesen%% *}
    paar=$(paarweise "$f")
    indiziert=${paar%%|*}; rest=${paar#*|}; geos=${rest%%|*}; quote=${rest#*|}
    [ "$quote" = "$rest" ] && quote=""
    eins=$(miss "$cli" check "$f.shp" --jobs 1); cp aus.txt bericht_eins.txt
    roh=$(miss env TRELVIK_BRUTE=1 "$cli" check "$f.shp"); cp aus.txt bericht_roh.txt
    gleich() { cmp -s "$1" "$2" && echo yes || echo NO; }
    case "$roh" in ">"*) vgl_roh="(brute did not finish)" ;; *) vgl_roh=$(gleich bericht_index.txt bericht_roh.txt) ;; esac
    case "$indiziert$eins" in *">"*) vgl_jobs="(did not finish)" ;; *) vgl_jobs=$(gleich bericht_index.txt bericht_eins.txt) ;; esac
    verhaeltnis=$(case "$indiziert$geos" in *">"*) echo "–" ;; *) echo "$quote" ;; esac)
    spitze=$(case "$indiziert" in ">"*) echo "–" ;; *) echo "${indiziert#* }" | awk '{ printf "%.0f", $1 / 1024 }' ;; esac)
    echo "| $f | $punkte | $groesster | ${lesen} s | ${indiziert%% *} s | $spitze | ${roh%% *} s | ${geos%% *} s | $verhaeltnis | $vgl_roh, $vgl_jobs |" >> "$tabelle"
done
rm -rf bereinigt && mkdir bereinigt
sauber=$(miss "$cli" clean dcw.shp bereinigt/dcw.shp --simplify --remove-points --remove-small-areas --adapt-rings)
echo >> "$tabelle"
case "$sauber" in
    ">"*) echo "Clean of dcw with all four options: ${sauber} s (did not finish)." ;;
    *) echo "Clean of dcw with all four options: ${sauber%% *} s, peak $(echo "${sauber#* }" | awk '{ printf "%.0f", $1 / 1024 }') MiB." ;;
esac >> "$tabelle"
echo "Machine: $(nproc) cores, $(uname -m), load average $(cut -d' ' -f1 /proc/loadavg) at the end; limit $grenze s. Ours (indexed) and GEOS: medians of $runden runs in turn, the ratio the median of the pairs' ratios; every other column one run." >> "$tabelle"

readme="$quelle/bench/README.md"
python3 - "$readme" "$tabelle" <<'EOF'
import sys
readme, tabelle = sys.argv[1], open(sys.argv[2]).read()
text = open(readme).read()
anfang, ende = "<!-- grosse_dateien.sh: start -->", "<!-- grosse_dateien.sh: end -->"
block = anfang + "\n" + tabelle + ende
if anfang in text:
    text = text[:text.index(anfang)] + block + text[text.index(ende) + len(ende):]
else:
    text += "\n## Large files (bench/grosse_dateien.sh)\n\n" + block + "\n"
open(readme, "w").write(text)
EOF
cat "$tabelle"
