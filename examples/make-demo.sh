#!/usr/bin/env bash
# Regenerates every source of the demo titles in examples/demo/ from nothing: the art is drawn with
# ImageMagick, the sounds and the clip are synthesised with ffmpeg, and examples/demo/titles.py then writes
# the manifests that `fcatool build` turns into the titles at every build. Backgrounds, sprites, slides and
# pictures pass through `fcatool convert`, so every JPEG and PCX is written by our own writers, exactly as a
# title embeds them. The results are committed, so that a build needs none of these tools.
# Usage: examples/make-demo.sh [path/to/fcatool]
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
fcatool="${1:-$here/../build/tools/fcatool}"
demo="$here/demo"
images="$demo/images"
media="$demo/media"
bold=/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf
regular=/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf
key='#ff00ff'  # the top-left pixel of every sprite sheet: the colour the player leaves out
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

for tool in convert ffmpeg python3; do
    command -v "$tool" >/dev/null || { echo "make-demo: $tool is missing (scripts/install-deps installs it)" >&2; exit 1; }
done
[ -x "$fcatool" ] || { echo "make-demo: build fcatool first ($fcatool)" >&2; exit 1; }

rm -rf "$images" "$media"
mkdir -p "$images" "$media/sonidos" "$media/diapositivas" "$media/imagenes" "$media/videos"

pcx() { "$fcatool" convert "$1" "$images/$2.pcx" >/dev/null; }
jpg() { "$fcatool" convert "$1" "$2" >/dev/null; }

# ------------------------------------------------------------------------------------------------ sheets

# Stacks frames into one sheet, top to bottom, as a phased sprite reads them.
sheet() {  # out.png frame.png...
    local out=$1
    shift
    convert "$@" -append +repage -depth 8 "$out"
}

# Turns a drawing with a sharp alpha edge into the three looks of a button-like sprite: resting, the
# pointer over it (brighter) and disabled (grey), each on the key colour.
looks() {  # name drawing.png
    convert "$2" -background "$key" -flatten "$work/$1-0.png"
    convert "$2" -modulate 125,115 -background "$key" -flatten "$work/$1-1.png"
    convert "$2" -modulate 95,0 -fill white -colorize 20% -background "$key" -flatten "$work/$1-2.png"
    sheet "$work/$1.png" "$work/$1-0.png" "$work/$1-1.png" "$work/$1-2.png"
    pcx "$work/$1.png" "$1"
}

# Colours of the button families: fill, edge, fill under the pointer, edge under the pointer, label.
scheme() {
    case $1 in
        nav) echo '#2a6fb0 #0d3050 #3f93e0 #ffd24a white' ;;
        act) echo '#2f8a45 #10401c #45b25f #ffd24a white' ;;
        warn) echo '#a83232 #4a1010 #d04848 #ffd24a white' ;;
        menu) echo '#6a3fa0 #2c1248 #8a5cc8 #ffd24a white' ;;
        item) echo '#ece6f6 #6a3fa0 #fff6d0 #e0a020 #2c1248' ;;
        gold) echo '#b8801a #4a3000 #e0a830 #fff0a0 white' ;;
    esac
}

# One frame of a rounded button: the shape without smoothing (its edge meets the key colour), the label
# and the icon smoothed over the button's own fill.
button_frame() {  # out w h fill edge label-colour label label-dx icon-draw
    local w=$2 h=$3
    convert -size "${w}x${h}" xc:"$key" +antialias \
        -fill "$4" -stroke "$5" -strokewidth 2 -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) 9,9" \
        -stroke none -fill '#ffffff38' -draw "roundrectangle 4,4 $((w - 5)),$((h / 2)) 6,6" \
        -antialias -fill "$6" -draw "${9:-point -1,-1}" \
        -font "$bold" -pointsize 15 -gravity center -annotate "$(printf '%+d+1' "${8:-0}")" "$7" -depth 8 "$1"
}

button() {  # name w h scheme label [label-dx icon-draw]
    local name=$1 w=$2 h=$3 fill edge hfill hedge ink
    read -r fill edge hfill hedge ink <<<"$(scheme "$4")"
    button_frame "$work/$name-0.png" "$w" "$h" "$fill" "$edge" "$ink" "$5" "${6:-0}" "${7:-}"
    button_frame "$work/$name-1.png" "$w" "$h" "$hfill" "$hedge" "$ink" "$5" "${6:-0}" "${7:-}"
    button_frame "$work/$name-2.png" "$w" "$h" '#6a6a6a' '#404040' '#a8a8a8' "$5" "${6:-0}" "${7:-}"
    sheet "$work/$name.png" "$work/$name-0.png" "$work/$name-1.png" "$work/$name-2.png"
    pcx "$work/$name.png" "$name"
}

# ------------------------------------------------------------------------------------------------ backgrounds

# Every title shares one layout: a header band for the card's title, a panel for its texts and a strip
# at the bottom for the navigation, the index, the sound controls and the exit.
background() {  # name top-colour bottom-colour accent file-label
    convert -size 640x480 gradient:"$2-$3" \
        -fill '#ffffff0c' -draw 'circle 560,-40 700,60' -draw 'circle 610,30 660,60' \
        -fill '#00000050' -draw 'rectangle 0,0 639,65' \
        -fill "$4" -draw 'rectangle 0,66 639,67' \
        -fill '#ffffff18' -stroke '#ffffff40' -draw 'roundrectangle 16,78 623,410 14,14' \
        -stroke none -fill '#00000070' -draw 'rectangle 0,420 639,479' \
        -fill "$4" -draw 'rectangle 0,420 639,421' \
        -font "$bold" -pointsize 13 -fill '#ffffff70' -gravity northeast -annotate +18+26 "LUMEO  ·  $5" \
        -depth 8 "$work/fondo-$1.png"
    jpg "$work/fondo-$1.png" "$images/fondo-$1.jpg"
}
background demo '#0c2340' '#2f6aa0' '#f2c230' 'demo.fca'
background demo2 '#0b3330' '#2b8a6e' '#9fe870' 'demo2.fca'
background demo3 '#24123c' '#6a4a9a' '#f09ad0' 'demo3.fca'
background demo4 '#2a0f0c' '#8a3a1e' '#ffb040' 'demo4.fca'
background clip '#050505' '#2a2a34' '#ffb040' 'clip01.fca'

# ------------------------------------------------------------------------------------------------ the strip

button anterior 104 36 nav 'Anterior' 8 'polygon 12,18 24,10 24,26'
button indice 90 36 nav 'Índice' 0
button siguiente 110 36 nav 'Siguiente' -8 "polygon 98,18 86,10 86,26"
button salir 84 36 warn 'Salir' 0

# The speaker shown while sound is on (a click mutes it) and the one shown while muted.
speaker() {  # name extra-draw
    convert -size 36x36 xc:none +antialias -fill '#2a6fb0' -stroke '#0d3050' -strokewidth 2 \
        -draw 'roundrectangle 1,1 34,34 8,8' -stroke none -fill white \
        -draw 'polygon 7,14 12,14 19,8 19,28 12,22 7,22' -fill none -stroke white -strokewidth 2 \
        -draw "$2" "$work/$1-draw.png"
    looks "$1" "$work/$1-draw.png"
}
speaker altavoz 'arc 14,11 26,25 -50,50 arc 12,7 32,29 -50,50'
speaker silencio 'stroke #ff6060 line 22,12 31,24 line 31,12 22,24'

# The volume bar: a groove with a wedge that grows to the right; the knob slides along it.
convert -size 124x16 xc:"$key" +antialias -fill '#101c2c' -stroke '#5a7aa0' -draw 'roundrectangle 0,2 123,13 5,5' \
    -stroke none -fill '#f2c230' -draw 'polygon 6,10 117,4 117,10' -depth 8 "$work/volbarra.png"
pcx "$work/volbarra.png" volbarra
knob() {  # name w h
    convert -size "${2}x${3}" xc:none +antialias -fill '#e8e8f0' -stroke '#303848' -strokewidth 2 \
        -draw "roundrectangle 1,1 $(($2 - 2)),$(($3 - 2)) 4,4" -stroke '#8890a0' -strokewidth 1 \
        -draw "line 4,$(($3 / 2 - 3)) $(($2 - 5)),$(($3 / 2 - 3))" -draw "line 4,$(($3 / 2)) $(($2 - 5)),$(($3 / 2))" \
        -draw "line 4,$(($3 / 2 + 3)) $(($2 - 5)),$(($3 / 2 + 3))" "$work/$1-draw.png"
    looks "$1" "$work/$1-draw.png"
}
knob volmando 14 28

# ------------------------------------------------------------------------------------------------ demo.fca

# The emblem of the demo: a sun whose eight rays turn a little on each of its six frames.
frames=()
for i in 0 1 2 3 4 5; do
    rays=""
    for r in 0 1 2 3 4 5 6 7; do
        rays+="$(awk -v a="$(( r * 45 ))" -v s="$(( i ))" 'BEGIN {
            pi = atan2(0, -1); t = (a + s * 7.5) * pi / 180; u = 0.22
            printf "polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f ", 48 + 46 * cos(t), 48 + 46 * sin(t),
                48 + 30 * cos(t - u), 48 + 30 * sin(t - u), 48 + 30 * cos(t + u), 48 + 30 * sin(t + u) }') "
    done
    convert -size 96x96 xc:"$key" +antialias -fill '#f2a020' -draw "$rays" \
        -fill '#f2c230' -stroke '#b06a10' -strokewidth 2 -draw 'circle 48,48 48,22' -stroke none \
        -fill '#fff2b0' -draw 'circle 41,40 41,34' -antialias -font "$bold" -pointsize 30 -fill '#7a3a00' \
        -gravity center -annotate +1+2 'L' -depth 8 "$work/logo-$i.png"
    frames+=("$work/logo-$i.png")
done
sheet "$work/logo.png" "${frames[@]}"
pcx "$work/logo.png" logo

button ir-sprites 236 38 gold 'Sprites y animación'
button ir-menus 236 38 gold 'Menús, imágenes e Internet'
button ir-video 236 38 gold 'Vídeo'

convert -size 96x96 xc:none +antialias -fill '#e0a820' -stroke '#7a5200' -strokewidth 2 \
    -draw 'path "M 48,10 C 30,10 24,26 24,44 L 22,66 L 14,76 L 82,76 L 74,66 L 72,44 C 72,26 66,10 48,10 Z"' \
    -fill '#fff0a0' -stroke none -draw 'path "M 36,24 C 32,32 31,44 31,58 L 36,58 C 36,44 37,34 40,26 Z"' \
    -fill '#7a5200' -draw 'circle 48,84 48,77' -draw 'rectangle 44,4 52,11' "$work/campana-draw.png"
looks campana "$work/campana-draw.png"

convert -size 110x96 xc:"$key" +antialias -fill '#c03030' -stroke '#501010' -strokewidth 2 \
    -draw 'rectangle 14,30 96,80' -fill '#f0e0c0' -draw 'ellipse 55,30 41,12 0,360' -fill '#e0e0e0' \
    -draw 'ellipse 55,80 41,10 0,180' -stroke '#f0d060' -strokewidth 3 \
    -draw 'polyline 16,40 34,72 55,40 76,72 94,40' -stroke '#6a4020' -strokewidth 5 \
    -draw 'line 30,4 52,26' -draw 'line 84,6 62,26' -stroke none -fill '#f0e0c0' \
    -draw 'circle 30,4 30,0' -draw 'circle 84,6 84,2' -depth 8 "$work/tambor.png"
pcx "$work/tambor.png" tambor

# The scroll widgets of a text: arrows (one line), double arrows (one page), a track and its knob.
arrow() {  # name points...
    convert -size 36x28 xc:none +antialias -fill '#2a6fb0' -stroke '#0d3050' -strokewidth 2 \
        -draw 'roundrectangle 1,1 34,26 7,7' -stroke none -fill white -draw "$2" "$work/$1-draw.png"
    looks "$1" "$work/$1-draw.png"
}
arrow linea-arriba 'polygon 18,7 27,19 9,19'
arrow linea-abajo 'polygon 18,21 27,9 9,9'
arrow pagina-arriba 'polygon 18,4 26,13 10,13 polygon 18,12 26,21 10,21 rectangle 10,22 26,23'
arrow pagina-abajo 'polygon 18,24 26,15 10,15 polygon 18,16 26,7 10,7 rectangle 10,4 26,5'
convert -size 16x186 xc:"$key" +antialias -fill '#101c2c' -stroke '#5a7aa0' -draw 'roundrectangle 2,0 13,185 5,5' \
    -depth 8 "$work/barra-texto.png"
pcx "$work/barra-texto.png" barra-texto
knob mando-texto 28 22

# ------------------------------------------------------------------------------------------------ demo2.fca

star() {  # points of a five-pointed star around (cx, cy)
    awk -v cx="$1" -v cy="$2" -v ro="$3" -v ri="$4" 'BEGIN {
        pi = atan2(0, -1); printf "polygon"
        for (k = 0; k < 10; k++) { r = k % 2 ? ri : ro; t = -pi / 2 + k * pi / 5
            printf " %.1f,%.1f", cx + r * cos(t), cy + r * sin(t) } }'
}
convert -size 110x110 xc:none +antialias -fill '#f2c230' -stroke '#8a5a00' -strokewidth 3 -draw "$(star 55 58 52 22)" \
    -stroke none -fill '#fff2a0' -draw "$(star 48 50 18 8)" "$work/estrella-draw.png"
looks estrella "$work/estrella-draw.png"
button mostrar 130 34 act 'Mostrar'
button ocultar 130 34 act 'Ocultar'
button activar 130 34 nav 'Activar'
button desactivar 130 34 warn 'Desactivar'

convert -size 60x60 xc:none +antialias -fill '#2a6fb0' -stroke '#0d3050' -strokewidth 3 -draw 'circle 30,30 30,3' \
    -antialias -stroke none -font "$bold" -pointsize 40 -fill white -gravity center -annotate +0+1 '?' \
    "$work/pregunta-draw.png"
looks pregunta "$work/pregunta-draw.png"
convert -size 250x96 xc:"$key" +antialias -fill '#fffbe8' -stroke '#6a5a30' -strokewidth 2 \
    -draw 'roundrectangle 18,2 247,93 12,12' -draw 'polygon 20,36 2,48 20,58' -stroke none -fill '#fffbe8' \
    -draw 'rectangle 19,38 24,56' -antialias \
    \( -size 206x80 -background '#fffbe8' -fill '#3a3020' -font "$regular" -pointsize 15 \
    caption:'¡Hola! Aparezco mientras el cursor está sobre el signo y me escondo cuando se va.' \) \
    -gravity west -geometry +32+1 -composite -depth 8 "$work/bocadillo.png"
pcx "$work/bocadillo.png" bocadillo

button mirar 150 36 gold 'Mirar dentro'
convert -size 170x120 xc:"$key" +antialias -fill '#6a3a14' -stroke '#2a1404' -strokewidth 2 \
    -draw 'rectangle 4,40 165,116' -fill '#8a5020' -draw 'rectangle 4,20 165,42' -fill '#3a1c08' \
    -draw 'rectangle 10,46 159,110' -fill '#f2c230' -stroke '#8a5a00' \
    -draw 'circle 40,70 40,56' -draw 'circle 70,62 70,48' -draw 'circle 100,72 100,58' -draw 'circle 130,64 130,50' \
    -draw 'circle 56,92 56,78' -draw 'circle 88,96 88,82' -draw 'circle 120,94 120,80' \
    -fill '#40d0f0' -stroke '#105070' -draw 'polygon 150,84 158,96 150,108 142,96' \
    -fill '#f04060' -stroke '#701020' -draw 'polygon 22,86 30,98 22,110 14,98' -depth 8 "$work/tesoro.png"
pcx "$work/tesoro.png" tesoro
convert -size 170x120 xc:"$key" +antialias -fill '#9a6028' -stroke '#3a1c08' -strokewidth 2 \
    -draw 'rectangle 2,2 167,117' -stroke '#5a3010' -draw 'line 2,32 167,32' -draw 'line 2,62 167,62' \
    -draw 'line 2,92 167,92' -fill '#c0c0c8' -stroke '#404048' -draw 'rectangle 72,48 98,76' \
    -fill '#404048' -draw 'circle 85,58 85,54' -draw 'rectangle 84,60 86,70' -depth 8 "$work/tapa.png"
pcx "$work/tapa.png" tapa

# A bulb, off and lit: the pointer over it shows the second frame.
bulb() {  # out glass-colour [glow]
    local glow=()
    [ -n "${3:-}" ] && glow=(-fill '#fff4a0' -draw "$3")
    convert -size 90x120 xc:"$key" +antialias "${glow[@]}" -fill "$2" -stroke '#505050' \
        -strokewidth 2 -draw 'circle 45,44 45,14' -draw 'polygon 31,66 59,66 56,86 34,86' -fill '#a0a0a8' \
        -draw 'rectangle 33,86 57,104' -stroke '#707078' -draw 'line 33,92 57,92' -draw 'line 33,98 57,98' \
        -fill '#505058' -draw 'polygon 38,104 52,104 48,112 42,112' -fill none -stroke '#808080' \
        -draw 'polyline 38,66 40,46 45,54 50,46 52,66' -depth 8 "$1"
}
bulb "$work/bombilla-0.png" '#d8d8d0'
bulb "$work/bombilla-1.png" '#ffe060' 'polygon 45,0 52,8 38,8 polygon 86,44 78,38 78,50 polygon 4,44 12,38 12,50 polygon 76,12 74,24 66,16 polygon 14,12 16,24 24,16'
sheet "$work/bombilla.png" "$work/bombilla-0.png" "$work/bombilla-1.png"
pcx "$work/bombilla.png" bombilla

# A windmill whose sails turn by a quarter of their symmetry on each of four frames.
frames=()
for i in 0 1 2 3; do
    sails=""
    for r in 0 1 2 3; do
        sails+="$(awk -v a="$(( r * 90 ))" -v s="$i" 'BEGIN {
            pi = atan2(0, -1); t = (a + s * 22.5) * pi / 180; n = t + pi / 2
            x = 60 + 48 * cos(t); y = 62 + 48 * sin(t); bx = 60 + 10 * cos(t); by = 62 + 10 * sin(t)
            printf "polygon %.1f,%.1f %.1f,%.1f %.1f,%.1f %.1f,%.1f ", bx, by, x, y,
                x + 12 * cos(n), y + 12 * sin(n), bx + 8 * cos(n), by + 8 * sin(n) }') "
    done
    convert -size 120x140 xc:"$key" +antialias -fill '#c0a070' -stroke '#5a4020' -strokewidth 2 \
        -draw 'polygon 44,136 76,136 68,62 52,62' -fill '#5a3a20' -draw 'rectangle 55,116 65,136' \
        -fill '#f4f0e0' -stroke '#6a6050' -draw "$sails" -fill '#6a4a2a' -draw 'circle 60,62 60,56' \
        -depth 8 "$work/molino-$i.png"
    frames+=("$work/molino-$i.png")
done
sheet "$work/molino.png" "${frames[@]}"
pcx "$work/molino.png" molino

# A fish that beats its tail over four frames.
frames=()
for tail in 0 14 0 -14; do
    convert -size 130x70 xc:"$key" +antialias -fill '#f08a20' -stroke '#8a3a00' -strokewidth 2 \
        -draw "polygon 96,35 $((126 - ${tail#-} / 2)),$((14 + tail)) $((126 - ${tail#-} / 2)),$((56 + tail))" -draw 'ellipse 58,35 44,24 0,360' \
        -fill '#ffc060' -stroke none -draw 'ellipse 56,44 30,10 0,360' -fill '#f06a10' \
        -draw "polygon 50,12 70,2 78,14" -fill white -draw 'circle 30,28 30,21' -fill '#202020' \
        -draw 'circle 28,28 28,24' -stroke '#8a3a00' -fill none -draw 'arc 60,14 84,56 -60,60' \
        -depth 8 "$work/pez-${#frames[@]}.png"
    frames+=("$work/pez-${#frames[@]}.png")
done
sheet "$work/pez.png" "${frames[@]}"
pcx "$work/pez.png" pez
convert -size 200x36 xc:"$key" +antialias -fill '#1a5a70' -stroke '#a0e0f0' -strokewidth 2 \
    -draw 'roundrectangle 1,1 198,34 9,9' -antialias -stroke none -font "$bold" -pointsize 15 -fill white \
    -gravity center -annotate +0+1 'Pase aquí: nada el pez' -depth 8 "$work/animar-pez.png"
pcx "$work/animar-pez.png" animar-pez

# A lighthouse whose beam sweeps left, shines, sweeps right and dims: always animated.
frames=()
for beam in 'polygon 40,24 0,6 0,40' '' 'polygon 40,24 80,6 80,40' 'dim'; do
    lamp='#fff060' light=()
    [ "$beam" = dim ] && lamp='#a08030' && beam=''
    [ -n "$beam" ] && light=(-fill '#fff4b0' -draw "$beam")
    convert -size 80x140 xc:"$key" +antialias "${light[@]}" \
        -fill "$lamp" -stroke '#404040' -strokewidth 2 -draw 'rectangle 30,16 50,32' -fill '#303030' \
        -draw 'polygon 26,16 54,16 40,4' -fill '#f0f0f0' -draw 'polygon 30,32 50,32 56,132 24,132' \
        -fill '#d03030' -stroke none -draw 'polygon 29,52 51,52 52,72 28,72' -draw 'polygon 27,92 53,92 55,112 25,112' \
        -fill '#405060' -draw 'rectangle 16,130 64,138' -depth 8 "$work/faro-${#frames[@]}.png"
    frames+=("$work/faro-${#frames[@]}.png")
done
sheet "$work/faro.png" "${frames[@]}"
pcx "$work/faro.png" faro

# ------------------------------------------------------------------------------------------------ demo3.fca

button menu-sonidos 170 36 menu 'Sonidos' -10 'polygon 142,14 156,14 149,23'
button item-fanfarria 170 30 item 'Fanfarria'
button item-campana 170 30 item 'Campana'
button item-tambor 170 30 item 'Tambor'
button menu-internet 170 36 menu 'Internet' -10 'polygon 142,14 156,14 149,23'
button item-web 170 30 item 'Página web'
button item-correo 170 30 item 'Correo electrónico'
button ver-diapositivas 200 38 act 'Ver las diapositivas'
button ver-postal 200 38 act 'Ver la postal'
button volver-principio 220 38 gold 'Volver al principio'

# Four slides smaller than the show's window, so that its background frames them, and that background.
slide() {  # n title drawing...
    local n=$1 title=$2
    shift 2
    convert -size 480x360 "$@" -fill '#00000080' -draw 'rectangle 0,320 479,359' -font "$bold" -pointsize 20 \
        -fill white -gravity southwest -annotate +16+10 "$title" -depth 8 "$work/diapo$n.png"
    jpg "$work/diapo$n.png" "$media/diapositivas/diapo$n.jpg"
}
slide 1 'Diapositiva 1: amanecer' gradient:'#f8a050-#4a70c0' -fill '#ffe080' -draw 'circle 240,250 240,200' \
    -fill '#3a6a30' -draw 'polygon 0,360 0,250 120,200 260,270 380,210 480,240 480,360' \
    -fill '#2a5024' -draw 'polygon 0,360 0,300 160,260 330,320 480,290 480,360'
slide 2 'Diapositiva 2: el mar' gradient:'#9ad0f0-#2060a0' -fill '#1a4a80' -draw 'rectangle 0,200 479,359' \
    -fill none -stroke '#80b0e0' -strokewidth 3 \
    -draw 'path "M 0,230 Q 30,220 60,230 T 120,230 T 180,230 T 240,230 T 300,230 T 360,230 T 420,230 T 480,230"' \
    -draw 'path "M 0,270 Q 30,260 60,270 T 120,270 T 180,270 T 240,270 T 300,270 T 360,270 T 420,270 T 480,270"' \
    -stroke none -fill '#f4f0e0' -draw 'polygon 250,80 250,190 330,190' -draw 'polygon 240,100 240,190 180,190' \
    -fill '#8a4a20' -draw 'polygon 170,196 350,196 320,220 200,220' -fill '#fff0a0' -draw 'circle 90,70 90,40'
slide 3 'Diapositiva 3: la ciudad de noche' gradient:'#081028-#28306a' \
    -fill '#f0f0ff' -draw 'circle 40,30 41,31 circle 120,60 121,61 circle 200,24 201,25 circle 310,50 311,51 circle 450,80 451,81 circle 80,110 81,111 circle 250,90 251,91' \
    -fill '#f8f0c0' -draw 'circle 400,60 400,40' -fill '#101420' \
    -draw 'rectangle 20,180 90,359 rectangle 100,130 170,359 rectangle 180,210 240,359 rectangle 250,150 330,359 rectangle 340,200 400,359 rectangle 410,120 470,359' \
    -fill '#f0d060' \
    -draw 'rectangle 34,200 44,212 rectangle 64,230 74,242 rectangle 114,150 124,162 rectangle 144,190 154,202 rectangle 194,230 204,242 rectangle 264,170 274,182 rectangle 304,210 314,222 rectangle 354,220 364,232 rectangle 424,140 434,152 rectangle 444,200 454,212 rectangle 274,250 284,262'
slide 4 'Diapositiva 4: el bosque' gradient:'#c0e8ff-#e8f4e0' -fill '#4a8a3a' -draw 'rectangle 0,260 479,359' \
    -fill '#6a4020' -draw 'rectangle 76,230 92,290 rectangle 196,210 214,290 rectangle 336,240 352,300 rectangle 420,220 436,290' \
    -fill '#2a6a2a' -draw 'polygon 84,120 40,250 128,250 polygon 205,90 150,240 260,240 polygon 344,140 300,260 388,260 polygon 428,110 386,240 470,240'
convert -size 640x480 gradient:'#101018-#303040' -fill '#000000' -draw 'rectangle 0,0 639,40 rectangle 0,440 639,479' \
    -fill '#d0d0d8' -draw "$(for x in $(seq 12 40 632); do printf 'roundrectangle %d,12 %d,28 3,3 roundrectangle %d,452 %d,468 3,3 ' "$x" $((x + 20)) "$x" $((x + 20)); done)" \
    -fill '#ffffff40' -stroke '#ffffff60' -draw 'rectangle 76,56 563,423' -depth 8 "$work/fondo-diapositivas.png"
jpg "$work/fondo-diapositivas.png" "$media/diapositivas/fondo.jpg"

# The postcard of "Show bitmap": a lake among mountains, with its greeting.
convert -size 600x440 gradient:'#6ab0f0-#f0e0c0' -fill '#ffffff' -draw 'ellipse 120,80 60,18 0,360 ellipse 170,70 50,22 0,360' \
    -fill '#5a6a8a' -draw 'polygon 0,300 120,120 220,240 330,100 470,260 600,150 600,300' \
    -fill '#f4f4ff' -draw 'polygon 120,120 96,156 108,150 120,160 134,148 144,156 polygon 330,100 304,140 318,134 330,146 344,132 356,140' \
    -fill '#3a7a40' -draw 'rectangle 0,290 599,320' -fill '#3a80c0' -draw 'rectangle 0,320 599,439' \
    -fill '#5a90c8' -draw 'polygon 0,320 120,400 220,340 330,420 470,330 600,380 600,320' \
    -fill '#00000070' -draw 'rectangle 0,376 599,439' -font "$bold" -pointsize 30 -fill white -gravity south \
    -annotate +0+22 'Saludos desde Lumeo' -depth 8 "$work/postal.png"
jpg "$work/postal.png" "$media/imagenes/postal.jpg"

# ------------------------------------------------------------------------------------------------ demo4.fca and clip01.fca

# The television whose dark screen the clip's window covers while it plays.
convert -size 200x170 xc:"$key" +antialias -fill '#2a2a30' -stroke '#0a0a0c' -strokewidth 2 \
    -draw 'roundrectangle 1,1 198,158 14,14' -fill '#10182a' -stroke '#60606a' -draw 'rectangle 19,19 180,140' \
    -stroke none -fill '#50505a' -draw 'rectangle 70,158 130,168' -fill '#ffb040' -draw 'circle 184,150 184,147' \
    -fill '#405070' -draw 'polygon 88,60 88,92 116,76' -antialias -font "$bold" -pointsize 13 -fill '#8090b0' \
    -gravity center -annotate +0+32 'Pulse el botón verde' \
    -depth 8 "$work/pantalla.png"
pcx "$work/pantalla.png" pantalla
button reproducir 44 36 act '' 0 'polygon 16,9 16,27 31,18'
button pausa 44 36 nav '' 0 'rectangle 14,10 19,26 rectangle 25,10 30,26'
button inicio 44 36 nav '' 0 'rectangle 11,10 14,26 polygon 32,10 32,26 17,18'
button retroceso 44 36 nav '' 0 'polygon 22,10 22,26 9,18 polygon 35,10 35,26 22,18'
button avance 44 36 nav '' 0 'polygon 9,10 9,26 22,18 polygon 22,10 22,26 35,18'
convert -size 164x14 xc:"$key" +antialias -fill '#1a0c08' -stroke '#a07050' -draw 'roundrectangle 0,2 163,11 5,5' \
    -depth 8 "$work/barra-video.png"
pcx "$work/barra-video.png" barra-video
knob mando-video 12 24
button titulo-video 200 38 gold 'Verlo en su propio título'
convert -size 160x30 xc:"$key" +antialias -fill '#ffb040' -stroke '#6a3a00' -strokewidth 2 \
    -draw 'roundrectangle 1,1 158,28 8,8' -antialias -stroke none -font "$bold" -pointsize 15 -fill '#3a1a00' \
    -gravity center -annotate +0+1 'El vídeo ha terminado' -depth 8 "$work/fin-video.png"
pcx "$work/fin-video.png" fin-video
button volver 150 38 gold 'Volver a demo4' 8 'polygon 12,19 24,11 24,27'

# ------------------------------------------------------------------------------------------------ sounds

# Sounds are 8-bit mono PCM at 11025 Hz, the plainest wave files a player of titles meets. A melody is a
# sum of plucked notes: each note a sine with a weaker octave, between its start and end, fading out.
note_terms() {  # seconds-per-step decay "midi-note:step:steps ..."
    awk -v step="$1" -v decay="$2" -v notes="$3" 'BEGIN {
        n = split(notes, list, " ")
        for (i = 1; i <= n; i++) {
            split(list[i], p, ":"); f = 440 * 2 ^ ((p[1] - 69) / 12); t0 = p[2] * step; t1 = t0 + p[3] * step
            printf "%sbetween(t,%.3f,%.3f)*(sin(2*PI*%.2f*t)+0.3*sin(4*PI*%.2f*t))*exp(-%s*(t-%.3f))",
                (i > 1 ? "+" : ""), t0, t1, f, f, decay, t0 }
    }'
}
wave() {  # out seconds expression
    ffmpeg -loglevel error -y -f lavfi -i "aevalsrc='$3':s=11025:d=$2" -ac 1 -ar 11025 -c:a pcm_u8 \
        -bitexact -fflags +bitexact -map_metadata -1 "$1"
}
# The background music: eight seconds over C, A minor, F and G, a phrase that loops without a seam.
melody="60:0:2 64:2:2 67:4:2 72:6:2 57:8:2 60:10:2 64:12:2 69:14:2 53:16:2 57:18:2 60:20:2 65:22:2 55:24:2 59:26:2 62:28:2 67:30:2"
bass="36:0:8 33:8:8 29:16:8 31:24:8"
wave "$media/sonidos/musica.wav" 8 "0.28*($(note_terms 0.25 3 "$melody"))+0.25*($(note_terms 0.25 0.6 "$bass"))"
wave "$media/sonidos/diapositivas.wav" 8 \
    "0.3*($(note_terms 0.5 1.5 "67:0:2 64:2:2 60:4:2 64:6:2 65:8:2 69:10:2 72:12:2 67:14:2"))"
wave "$media/sonidos/campana.wav" 1.6 \
    "0.35*(sin(2*PI*880*t)+0.6*sin(2*PI*2213*t)+0.4*sin(2*PI*1320*t))*exp(-3*t)"
wave "$media/sonidos/tambor.wav" 0.6 "0.8*sin(2*PI*(60+90*exp(-12*t))*t)*exp(-6*t)+0.2*sin(9000*t*t)*exp(-30*t)"
wave "$media/sonidos/fanfarria.wav" 1.3 "0.4*($(note_terms 0.15 2 "67:0:2 72:2:2 76:4:2 79:6:3"))"
wave "$media/sonidos/burbuja.wav" 0.25 "0.6*sin(2*PI*(400+1600*t)*t)*exp(-10*t)"
wave "$media/sonidos/postal.wav" 2.5 "0.35*($(note_terms 0.3 1.5 "72:0:8 76:1:7 79:2:6 84:3:5"))"

# ------------------------------------------------------------------------------------------------ the clip

# Five seconds of a ball bouncing over a lawn under a progress bar, 160 x 120, 10 frames a second, in
# Microsoft Video 1 with an 8-bit mono tone track: a tiny clip of the kind the titles carried.
ball_x='(20+120*(0.5-0.5*cos(2*PI*T/5)))'
ball_y='(96-66*abs(sin(PI*T*0.8)))'
in_ball="lt(hypot(X-$ball_x,Y-$ball_y),11)"
channel() {  # ball bar-done bar-left lawn sky-base sky-slope
    echo "if($in_ball,$1,if(gte(Y,114),if(lt(X,W*T/5),$2,$3),if(gte(Y,106),$4,$5+Y*$6)))"
}
ffmpeg -loglevel error -y \
    -f lavfi -i "color=c=black:s=160x120:r=10:d=5,format=gbrp,geq=r='$(channel 255 240 40 40 20 0.6)':g='$(channel 150 176 40 130 40 0.9)':b='$(channel 40 48 48 50 90 1.2)',drawtext=fontfile=$bold:text=Lumeo:fontcolor=white:fontsize=20:x=(w-tw)/2:y=8" \
    -f lavfi -i "aevalsrc='0.35*($(note_terms 0.625 4 "60:0:1 64:1:1 67:2:1 72:3:1 67:4:1 64:5:1 60:6:1 55:7:1"))':s=11025:d=5" \
    -c:v msvideo1 -c:a pcm_u8 -ac 1 -ar 11025 -shortest -bitexact -fflags +bitexact -map_metadata -1 \
    "$media/videos/lumeo.avi"

# ------------------------------------------------------------------------------------------------ manifests

python3 "$demo/titles.py"
echo "demo sources written to $demo"
