#!/usr/bin/env bash
# The Debian package as a user meets it: extracted into a scratch folder (not installed), its
# programs run from there with a fresh home, its manual page and dependencies compared with the
# programs, and lintian run on it. Usage: tests/packaging/paket_test.sh PACKAGE.deb
set -euo pipefail

scheitern() {
    echo "package test FAILED: $*" >&2
    exit 1
}

[ $# -eq 1 ] && [ -f "$1" ] || scheitern "usage: $0 PACKAGE.deb (got: $*)"
paket=$(realpath "$1")
for werkzeug in dpkg-deb lintian readelf; do
    command -v "$werkzeug" >/dev/null || scheitern "$werkzeug is missing (scripts/einrichten.sh installs it)"
done

platz=$(mktemp -d)
trap 'rm -rf "$platz"' EXIT
wurzel=$platz/wurzel
dpkg-deb -x "$paket" "$wurzel"
version=$(dpkg-deb -f "$paket" Version)

# Every entry of the tree with its mode and contents, to see that running changes nothing.
bestand() {
    (cd "$wurzel" && find . -printf '%y %m %p\n' | sort && find . -type f -exec md5sum {} + | sort)
}
bestand >"$platz/vorher"

# A user's environment with nothing of this build in it: no library path, no XDG_CONFIG_HOME.
als_benutzer() {
    env -i HOME="$platz/heim" PATH=/usr/bin:/bin LANG=C.UTF-8 "$@"
}
mkdir "$platz/heim"
cli=$wurzel/usr/bin/trelvik-cli

ausgabe=$(als_benutzer "$cli" --version) || scheitern "trelvik-cli --version failed"
[ "$ausgabe" = "trelvik-cli $version" ] ||
    scheitern "trelvik-cli --version says \"$ausgabe\", the package is $version"

# The check runs the geometry library, which the program finds only through its RUNPATH.
probe=$(find "$wurzel/usr/share/doc/trelvik/examples" -name '*.shp' | sort | sed -n 1p)
[ -n "$probe" ] || scheitern "the package ships no sample shapefile"
status=0
als_benutzer "$cli" check "$probe" >"$platz/bericht.txt" 2>"$platz/fehler.txt" || status=$?
if [ "$status" -gt 1 ]; then
    cat "$platz/fehler.txt" >&2
    scheitern "trelvik-cli check $probe ended with status $status"
fi

# render loads its drawing module from the library folder, through the same RUNPATH.
als_benutzer "$cli" render "$probe" "$platz/bild.png" >/dev/null 2>"$platz/fehler.txt" || {
    cat "$platz/fehler.txt" >&2
    scheitern "trelvik-cli render $probe failed"
}
[ -s "$platz/bild.png" ] || scheitern "trelvik-cli render wrote no picture"

benutzer_liste=$platz/heim/.config/trelvik/Attribute.txt
vorgabe=$wurzel/usr/share/trelvik/Attribute.txt
[ -f "$vorgabe" ] || scheitern "the package has no default Attribute.txt"
[ -f "$benutzer_liste" ] || scheitern "no Attribute.txt in the user's folder after the check"
cmp -s "$vorgabe" "$benutzer_liste" || scheitern "the user's Attribute.txt is not the default"
# Every required field of that list has its verdict in the report: the list was read.
namen=$(grep -v '#' "$benutzer_liste" | sed -n 's/^"\([^"]*\)".*/\1/p')
[ -n "$namen" ] || scheitern "the default Attribute.txt has no entries"
for name in $namen; do
    grep -aqE "^$name += " "$platz/bericht.txt" || scheitern "the report has no verdict for $name"
done

# XDG_CONFIG_HOME, when set, is the configuration folder.
als_benutzer XDG_CONFIG_HOME="$platz/xdg" "$cli" check "$probe" >/dev/null 2>&1 || [ $? -le 1 ] ||
    scheitern "trelvik-cli check with XDG_CONFIG_HOME failed"
[ -f "$platz/xdg/trelvik/Attribute.txt" ] || scheitern "XDG_CONFIG_HOME/trelvik/Attribute.txt is missing"

bestand >"$platz/nachher"
diff "$platz/vorher" "$platz/nachher" >&2 || scheitern "running the programs changed the extracted tree"

# The manual page names every command and option that --help names.
seite=$wurzel/usr/share/man/man1/trelvik-cli.1.gz
[ -f "$seite" ] || scheitern "no manual page trelvik-cli.1.gz"
hilfe=$(als_benutzer "$cli" --help)
text=$(gzip -dc "$seite" | sed 's/\\-/-/g; s/\\f[BIRP]//g')
befehle=$(sed -n 's/^  \([a-z][a-z-]*\) .*/\1/p' <<<"$hilfe")
[ -n "$befehle" ] || scheitern "trelvik-cli --help lists no commands"
for befehl in $befehle; do
    grep -q "^\.B trelvik-cli $befehl\b" <<<"$text" || scheitern "the manual page lacks the command $befehl"
done
for option in $(grep -o -- '--[a-z][a-z-]*' <<<"$hilfe" | sort -u); do
    grep -qF -- "$option" <<<"$text" || scheitern "the manual page lacks the option $option"
done
[ -f "$wurzel/usr/share/man/man1/trelvik.1.gz" ] || scheitern "no manual page trelvik.1.gz"

# The desktop entry starts a program of the package and shows an icon of the package.
eintrag=$wurzel/usr/share/applications/trelvik.desktop
[ -f "$eintrag" ] || scheitern "no desktop entry"
programm=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$eintrag")
[ -x "$wurzel/usr/bin/$programm" ] || scheitern "the desktop entry starts $programm, not in the package"
symbol=$(sed -n 's/^Icon=//p' "$eintrag")
[ -f "$wurzel/usr/share/icons/hicolor/scalable/apps/$symbol.svg" ] ||
    scheitern "the desktop entry's icon $symbol is not in the package"

# Each library the programs need from the system is provided by a package the package depends on.
abhaengig=$(dpkg-deb -f "$paket" Depends | tr ',|' '\n\n' | sed 's/^ *//; s/[ (].*//')
while IFS= read -r -d '' datei; do
    readelf -h "$datei" >/dev/null 2>&1 || continue
    for soname in $(readelf -d "$datei" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        [ -n "$(find "$wurzel" -name "$soname")" ] && continue
        pfad=$(/sbin/ldconfig -p | awk -v n="$soname" '$1 == n && /x86-64/ && !f {print $NF; f = 1}')
        [ -n "$pfad" ] || scheitern "$soname, needed by ${datei#"$wurzel"}, is not on this system"
        besitzer=$(dpkg -S "$(realpath "$pfad")" 2>/dev/null || dpkg -S "$pfad")
        besitzer=${besitzer%%:*}
        grep -qx "$besitzer" <<<"$abhaengig" ||
            scheitern "$soname ($besitzer) is needed by ${datei#"$wurzel"} but not a dependency"
    done
done < <(find "$wurzel" -type f -print0)

# lintian: no error; what else it says is shown.
echo "lintian $paket:"
lintian --fail-on error --display-info "$paket" || scheitern "lintian reports errors"
echo "package test passed: $paket"
