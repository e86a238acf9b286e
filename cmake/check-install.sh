#!/usr/bin/env bash
# Installs the build into a scratch prefix and checks what a desktop needs from it: the programs that were
# built, the desktop entries (valid, when desktop-file-validate is there), the file type of titles, the
# icons at their sizes and the demo titles; with the database tools present, also that the rebuilt
# databases know "*.fca" and offer Lumeo and Fabrio for it.
# Usage: cmake/check-install.sh BUILD_DIR CMAKE "PROGRAM;PROGRAM..."
set -euo pipefail
build=$1 cmake=$2
IFS=';' read -r -a programs <<<"${3:-}"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
need() { [ -s "$prefix/$1" ] || fail "$1 is not installed"; }

"$cmake" --install "$build" --prefix "$prefix" >"$prefix.log" 2>&1 || { cat "$prefix.log"; rm -f "$prefix.log"; exit 1; }
rm -f "$prefix.log"

for program in "${programs[@]}"; do
    [ -n "$program" ] || continue
    [ -x "$prefix/bin/$program" ] || fail "bin/$program is not installed as a program"
done

apps=share/applications
need "$apps/lumeo.desktop"
need "$apps/fabrio.desktop"
need "$apps/mimeapps.list"
for entry in lumeo fabrio; do
    grep -qx 'MimeType=application/x-fca-title;' "$prefix/$apps/$entry.desktop" ||
        fail "$entry.desktop does not claim application/x-fca-title"
done
grep -qx 'application/x-fca-title=lumeo.desktop;' "$prefix/$apps/mimeapps.list" ||
    fail "mimeapps.list does not make Lumeo the default for titles"
if command -v desktop-file-validate >/dev/null; then
    desktop-file-validate "$prefix/$apps/lumeo.desktop" "$prefix/$apps/fabrio.desktop" ||
        fail "desktop-file-validate rejects the desktop entries"
fi

mime=share/mime
need "$mime/packages/lumeo-fca.xml"
grep -q 'type="application/x-fca-title"' "$prefix/$mime/packages/lumeo-fca.xml" || fail "the file type is not defined"
if command -v update-mime-database >/dev/null; then
    grep -qx 'application/x-fca-title' "$prefix/$mime/types" 2>/dev/null ||
        fail "the rebuilt mime database does not know application/x-fca-title"
    for glob in '*.fca' '*.FCA'; do
        grep -qF "application/x-fca-title:$glob" "$prefix/$mime/globs2" 2>/dev/null ||
            fail "the rebuilt mime database does not map $glob"
    done
fi
if command -v update-desktop-database >/dev/null; then
    grep -q '^application/x-fca-title=.*lumeo.desktop' "$prefix/$apps/mimeinfo.cache" 2>/dev/null &&
        grep -q '^application/x-fca-title=.*fabrio.desktop' "$prefix/$apps/mimeinfo.cache" ||
        fail "the rebuilt desktop database does not offer Lumeo and Fabrio for titles"
fi

# A PNG says its width and height in its header, at bytes 16 to 23, big-endian.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1 * 16777216 + $2 * 65536 + $3 * 256 + $4,
                                                              $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }'; }
theme=share/icons/hicolor
for icon in apps/lumeo apps/fabrio mimetypes/application-x-fca-title; do
    need "$theme/scalable/$icon.svg"
    for size in 48x48 128x128 256x256; do
        file="$prefix/$theme/$size/$icon.png"
        if [ -s "$file" ]; then
            [ "$(png_size "$file")" = "$size" ] || fail "$theme/$size/$icon.png is $(png_size "$file")"
        else
            fail "$theme/$size/$icon.png is not installed"
        fi
    done
done

# Fabrio's help pages, where the installed program looks for them.
for program in "${programs[@]}"; do
    if [ "$program" = fabrio ]; then
        for page in index.html building.html actions.html commands.html testing.html; do
            need "share/fabrio/help/$page"
        done
    fi
done

if [ -f "$build/examples/demo.fca" ]; then
    for file in demo.fca demo2.fca demo3.fca demo4.fca clip01.fca sonidos/musica.wav videos/lumeo.avi \
        diapositivas/fondo.jpg imagenes/postal.jpg; do
        need "share/lumeo/demo/$file"
    done
fi

echo "installed into a scratch prefix:"
(cd "$prefix" && find . -type f | sort | sed 's|^\./|  |')
[ "$failures" -eq 0 ] || { echo "$failures problems"; exit 1; }
echo "install: everything in place"
