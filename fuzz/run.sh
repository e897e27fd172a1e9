#!/usr/bin/env bash
# Builds every fuzz target with clang (libFuzzer, AddressSanitizer, UndefinedBehaviorSanitizer)
# and runs each for SECONDS, as many at once as there are cores. Seeds: the saved corpus
# tests/corpus/<target> and the shipped samples. New crashes land in build/fuzz/funde/<target>;
# copy them into tests/corpus/<target> once fixed. Usage: fuzz/run.sh SECONDS [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
sekunden=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift

pakete=(clang libclang-rt-14-dev cmake make libshp-dev python3)
fehlend=()
for p in "${pakete[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || fehlend+=("$p"); done
if [ ${#fehlend[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${fehlend[@]}"
fi

bau=build/fuzz
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=address,undefined,fuzzer-no-link -fno-sanitize-recover=all"
cmake -S . -B "$bau" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=Debug -DTRELVIK_FUZZ=ON -DTRELVIK_QT=OFF -DTRELVIK_TESTS=OFF \
    -DTRELVIK_BENCH=OFF -DTRELVIK_WERROR=OFF \
    -DCMAKE_C_FLAGS="$flags" -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >/dev/null
ziele=(shape tabelle attribute projektion geometrie bereinigen)
if [ $# -gt 0 ]; then ziele=("$@"); fi
cmake --build "$bau" -j "$(nproc)" --target "${ziele[@]/%/_fuzz}"

# Seeds from the samples, in the form each target reads.
python3 - "$bau/saat" <<'PY'
import glob, os, struct, sys
aus = sys.argv[1]
for art in ("shape", "bereinigen", "tabelle", "projektion", "attribute", "geometrie"):
    os.makedirs(os.path.join(aus, art), exist_ok=True)
for shp in glob.glob("tests/daten/*/*/*.shp") + glob.glob("samples/*/*.shp"):
    basis = shp[:-3]
    name = os.path.basename(basis[:-1])
    lies = lambda e: open(basis + e, "rb").read() if os.path.exists(basis + e) else b""
    s, x, d = lies("shp"), lies("shx"), lies("dbf")
    if len(s) > 200000:
        continue
    geteilt = struct.pack("<2H", min(len(x), 65535), min(len(d), 65535)) + x[:65535] + d[:65535] + s
    for art in ("shape", "bereinigen"):
        open(os.path.join(aus, art, name), "wb").write(geteilt)
    open(os.path.join(aus, "tabelle", name), "wb").write(d)
    if lies("prj"):
        open(os.path.join(aus, "projektion", name), "wb").write(lies("prj"))
    # Rings of the main file as point arrays for the geometry routines.
    if len(s) > 200:
        punkte = s[100 + 8 + 44 + 4: 100 + 8 + 44 + 4 + 16 * 64]
        for wahl in range(14):
            roh = struct.pack("<BBddH", wahl, 7, 0.25, 25.0, len(punkte) // 16) + punkte + punkte
            open(os.path.join(aus, "geometrie", "%s_%02d" % (name, wahl)), "wb").write(roh)
PY
build/release/bin/trelvik-cli --version >/dev/null 2>&1 || true

mkdir -p "$bau/korpus" "$bau/funde"
laufe() {
    local z=$1
    mkdir -p "$bau/korpus/$z" "$bau/funde/$z"
    "$bau/bin/${z}_fuzz" "$bau/korpus/$z" "tests/corpus/$z" "$bau/saat/$z" \
        -max_total_time="$sekunden" -timeout=1 -rss_limit_mb=2048 -max_len=70000 \
        -print_final_stats=1 -artifact_prefix="$bau/funde/$z/" \
        >"$bau/$z.log" 2>&1 || echo "$z: FOUND SOMETHING, see $bau/$z.log and $bau/funde/$z" >&2
    local stat
    stat=$(grep -E "^#[0-9]+.*(DONE|cov)" "$bau/$z.log" | tail -1 || true)
    echo "$z: $stat"
}
export -f laufe
export bau sekunden
printf '%s\n' "${ziele[@]}" | xargs -P "$(nproc)" -I{} bash -c 'laufe {}'
