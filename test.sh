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
# What the sanitizer build cannot run: the check of a part with too little memory for its index.
cmake --preset release >/dev/null
cmake --build build/release --target test_geometry -j "$(nproc)"
ausgabe=$(build/release/bin/test_geometry --gtest_filter='DifferenzOhneSpeicher.*')
echo "$ausgabe" | tail -n 3
echo "$ausgabe" | grep -q '^\[  PASSED  \] 1 test\.' || { echo "memory-limit test did not run" >&2; exit 1; }

# Release build without tests: its own folder, so the package holds no sanitizer.
paket=$(./run.sh package)
tests/packaging/paket_test.sh "$paket"
