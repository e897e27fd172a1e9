#!/usr/bin/env bash
# Takes docs/karte.png: the map window after checking a sample with known faults, under Xvfb and
# with settings of its own (defaults).
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/release/bin/trelvik}
[ -x "$bin" ] || scripts/einrichten.sh release >&2
einstellungen=$(mktemp -d)
trap 'rm -rf "$einstellungen"' EXIT
XDG_CONFIG_HOME=$einstellungen xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$bin" tests/daten/faulty/limits_crossings/limits_crossings.shp \
    --check --map --screenshot docs/karte.png
echo "docs/karte.png"
