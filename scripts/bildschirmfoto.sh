#!/usr/bin/env bash
# Takes docs/screenshot.png: the window under Xvfb after it has loaded and checked the shipped
# sample, with settings of its own (defaults) so the picture does not depend on this machine.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/einrichten.sh release >&2
einstellungen=$(mktemp -d)
trap 'rm -rf "$einstellungen"' EXIT
XDG_CONFIG_HOME=$einstellungen xvfb-run -a -s "-screen 0 1280x1024x24" \
    build/release/bin/trelvik samples/naturalearth_lowres_m/naturalearth_lowres_m.shp \
    --check --screenshot docs/screenshot.png
echo "docs/screenshot.png"
