#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, runs every test; then
# builds the Debian package and tests it as extracted.
set -euo pipefail
cd "$(dirname "$0")"
scripts/einrichten.sh asan
# The printout test prints through a real CUPS queue.
scripts/druckwarteschlange.sh
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --preset asan -j "$(nproc)"

# Release build without tests: its own folder, so the package holds no sanitizer.
paket=$(./run.sh package)
tests/packaging/paket_test.sh "$paket"
