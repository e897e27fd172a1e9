#!/usr/bin/env bash
# Sets up and builds, then runs trelvik-cli. Without arguments it runs the main job on the
# shipped sample; with arguments they go to trelvik-cli as they are. `./run.sh gui [FILE.shp]`
# opens the window instead; `./run.sh package` builds the Debian package and prints its path.
set -euo pipefail
cd "$(dirname "$0")"
if [ "${1:-}" = "package" ]; then
    scripts/einrichten.sh paket >&2
    # One package in the folder: the one just built.
    rm -f build/paket/trelvik_*.deb
    (cd build/paket && cpack -G DEB) >&2
    ls build/paket/trelvik_*.deb
    exit 0
fi
scripts/einrichten.sh release >&2
cli=build/release/bin/trelvik-cli
if [ "${1:-}" = "gui" ]; then
    shift
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "no display to open the window on (DISPLAY and WAYLAND_DISPLAY are empty)" >&2
        exit 2
    fi
    exec build/release/bin/trelvik "$@"
fi
if [ $# -eq 0 ]; then
    # The sample has findings: exit status 1 is the check's verdict, not a failure of the job.
    status=0
    "$cli" check samples/naturalearth_lowres_m/naturalearth_lowres_m.shp || status=$?
    [ "$status" -le 1 ] || exit "$status"
    exit 0
fi
exec "$cli" "$@"
