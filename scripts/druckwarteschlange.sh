#!/usr/bin/env bash
# Makes sure a CUPS scheduler runs and offers the PDF queue TrelvikPDF (cups-pdf), so the window
# tests can print through a real queue. Needs root (or a running scheduler that already has the
# queue). Without systemd the scheduler is started directly; it forks to the background.
set -euo pipefail
warteschlange=${TRELVIK_DRUCKER:-TrelvikPDF}

laeuft() { lpstat -r 2>/dev/null | grep -q "is running"; }

if ! laeuft; then
    if [ "$(id -u)" -ne 0 ]; then
        echo "CUPS does not run and cannot be started without root" >&2
        exit 1
    fi
    if command -v systemctl >/dev/null 2>&1 && [ -d /run/systemd/system ]; then
        systemctl start cups || cupsd
    else
        cupsd
    fi
    for _ in $(seq 1 100); do
        laeuft && break
        sleep 0.1
    done
    laeuft || { echo "the CUPS scheduler did not start" >&2; exit 1; }
fi

if ! lpstat -p "$warteschlange" >/dev/null 2>&1; then
    modell=""
    for m in /usr/share/ppd/cups-pdf/CUPS-PDF_opt.ppd /usr/share/ppd/cups-pdf/CUPS-PDF_noopt.ppd; do
        [ -f "$m" ] && { modell=(-P "$m"); break; }
    done
    if [ -z "${modell:-}" ]; then
        name=$(lpinfo -m 2>/dev/null | grep -i 'cups-pdf' | head -n1 | cut -d' ' -f1)
        [ -n "$name" ] || { echo "no cups-pdf model found" >&2; exit 1; }
        modell=(-m "$name")
    fi
    lpadmin -p "$warteschlange" -E -v cups-pdf:/ "${modell[@]}"
fi
cupsenable "$warteschlange" 2>/dev/null || true
cupsaccept "$warteschlange" 2>/dev/null || true
lpstat -p "$warteschlange" >/dev/null
