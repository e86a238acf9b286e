#!/usr/bin/env bash
# Regenerates the images of the demo title in examples/demo/ from nothing but ffmpeg's test sources and
# our own writers: the background as a JFIF stream and every sprite sheet as a three-plane PCX, both
# written by fcatool convert, exactly as a title embeds them. The manifest beside them is written by hand.
# Usage: examples/make-demo.sh [path/to/fcatool]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
fcatool="${1:-$here/../build/tools/fcatool}"
out="$here/demo"
font=/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"

png() { ffmpeg -loglevel error -y -f lavfi -i "$1" -frames:v 1 -pix_fmt rgb24 "$2"; }

# The background: a dark blue gradient with a lighter band where the texts stand.
png "gradients=s=640x480:c0=0x0c1c34:c1=0x2f6aa0:x0=0:y0=0:x1=0:y1=480,drawbox=x=40:y=90:w=560:h=300:color=0xffffff@0.12:t=fill" \
    "$work/background.png"
"$fcatool" convert "$work/background.png" "$out/background.jpg"

# A button sheet: three frames stacked (resting, pointer over, disabled) on a magenta key colour, which
# the top-left pixel makes transparent.
button() {  # name label resting-colour hover-colour
    local frames=()
    for colour in "$3" "$4" 0x6a6a6a; do
        png "color=c=0xff00ff:s=120x40,drawbox=x=3:y=3:w=114:h=34:color=$colour:t=fill,drawtext=fontfile=$font:text='$2':fontcolor=white:fontsize=18:x=(w-tw)/2:y=(h-th)/2" \
            "$work/$1-${#frames[@]}.png"
        frames+=("$work/$1-${#frames[@]}.png")
    done
    ffmpeg -loglevel error -y -i "${frames[0]}" -i "${frames[1]}" -i "${frames[2]}" \
        -filter_complex vstack=inputs=3 -pix_fmt rgb24 "$work/$1.png"
}
button next "Siguiente" 0x2a7a3a 0x3fae55
button previous "Anterior" 0x2a7a3a 0x3fae55
button end "Salir" 0x8a2a2a 0xc04040
"$fcatool" convert "$work/next.png" "$out/sprite-0.pcx"
"$fcatool" convert "$work/previous.png" "$out/sprite-1.pcx"
"$fcatool" convert "$work/end.png" "$out/sprite-2.pcx"

# An animated emblem: four frames of a square turning colour, on the key colour.
frames=()
for colour in 0xf2c230 0xf28c30 0xe0503a 0xf28c30; do
    png "color=c=0xff00ff:s=48x48,drawbox=x=6:y=6:w=36:h=36:color=$colour:t=fill" "$work/emblem-${#frames[@]}.png"
    frames+=("$work/emblem-${#frames[@]}.png")
done
ffmpeg -loglevel error -y -i "${frames[0]}" -i "${frames[1]}" -i "${frames[2]}" -i "${frames[3]}" \
    -filter_complex vstack=inputs=4 -pix_fmt rgb24 "$work/emblem.png"
"$fcatool" convert "$work/emblem.png" "$out/sprite-3.pcx"
echo "images written to $out"
