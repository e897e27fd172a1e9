#!/usr/bin/env bash
# Installs what the build needs on a Debian 12 machine (as root), then configures and builds
# one preset. Usage: scripts/einrichten.sh PRESET
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-release}

pakete=(cmake g++ make pkg-config libgtest-dev libbenchmark-dev libshp-dev binutils locales
        qt6-base-dev qt6-translations-l10n libgl-dev fonts-dejavu-core fonts-liberation
        poppler-utils xvfb xauth cups printer-driver-cups-pdf dpkg-dev file lintian)
fehlend=()
for p in "${pakete[@]}"; do
    dpkg -s "$p" >/dev/null 2>&1 || fehlend+=("$p")
done
if [ ${#fehlend[@]} -gt 0 ]; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing packages: ${fehlend[*]} (run as root to install them)" >&2
        exit 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${fehlend[@]}"
fi

cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j "$(nproc)"
