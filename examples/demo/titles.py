#!/usr/bin/env python3
"""Writes the manifests of the demo titles (demo.json, demo2.json, demo3.json, demo4.json, clip01.json).

The four main titles form a ring that "Anterior" and "Siguiente" walk through; clip01 is the numbered video
title that the video card opens. Every click action and every move action of the player appears somewhere,
and each card's texts explain the sprites it shows. The sprite sizes are read from the sheets in images/,
which examples/make-demo.sh draws first.

Sprites are shared by all the cards of a title, so each sprite says on which cards it belongs; the
activation and deactivation lists of every card are worked out from that, and a list that would need more
than the ten numbers the player applies stops the script.
"""

import json
import os
import struct
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
IMAGES = os.path.join(HERE, "images")
MAX_LIST = 10  # numbers of a sprite number list that the player applies

# Click action codes, in the order of the editor's list.
(NONE, OPEN_CARD, NEXT_CARD, PREVIOUS_CARD, CARDS_LIST, LINE_UP, LINE_DOWN, PAGE_UP, PAGE_DOWN, SCROLL_KNOB,
 SCROLL_BAR, PLAY_SOUND, VOLUME_KNOB, VOLUME_BAR, MUTE_ON, MUTE_OFF, PLAY_VIDEO_TITLE, VIDEO_PLAY, VIDEO_STOP,
 VIDEO_START, VIDEO_FORWARD, VIDEO_REWIND, VIDEO_BAR, VIDEO_KNOB, SHOW, HIDE, ABLE, DISABLE, SLIDE_SHOW,
 SHOW_MENU, SHOW_BITMAP, END_PROGRAM, LINK_URL, SEND_MAIL) = range(34)
# Move action codes.
(MOVE_NONE, MOVE_FRAME, MOVE_ANIMATE, MOVE_SHOW, MOVE_HIDE, MOVE_SOUND) = range(6)

# The player decides these sprites' visibility itself on every card: the text widgets by their text, the
# video widgets by the card's video. Card lists leave them alone.
AUTOMATIC = {LINE_UP, LINE_DOWN, PAGE_UP, PAGE_DOWN, SCROLL_KNOB, SCROLL_BAR, VIDEO_PLAY, VIDEO_STOP,
             VIDEO_BAR, VIDEO_KNOB}

HOVER = (MOVE_FRAME, "1")  # buttons light up: frame 1 of their sheet while the pointer is on them


def colour(rgb):
    """A '#rrggbb' colour as the Windows colour reference that texts store (red in the low byte)."""
    r, g, b = int(rgb[1:3], 16), int(rgb[3:5], 16), int(rgb[5:7], 16)
    return r | (g << 8) | (b << 16)


def sheet_size(image):
    with open(os.path.join(IMAGES, image + ".pcx"), "rb") as f:
        header = f.read(12)
    xmin, ymin, xmax, ymax = struct.unpack("<4H", header[4:12])
    return xmax - xmin + 1, ymax - ymin + 1


class Sprite:
    def __init__(self, number, image, x, y, tip="", click=(NONE,), move=(MOVE_NONE,), plane=20, frames=1,
                 cards=None, hidden=False, listed=True, animated=False, always=False, interval=0):
        self.number, self.image, self.x, self.y, self.tip = number, image, x, y, tip
        self.click, self.move, self.plane, self.frames = click, move, plane, frames
        # cards: the card indices the sprite belongs to, or None for every card of the title.
        # hidden: shown only by an action (menu items, the notice at the end of a video).
        # listed: False for sprites that need no list, such as a bubble that only hovering shows.
        self.cards, self.hidden, self.listed = cards, hidden, listed
        self.animated, self.always, self.interval = animated, always, interval
        self.width, self.height = sheet_size(image)
        if self.height % frames:
            sys.exit(f"{image}: {self.height} rows do not split into {frames} frames")

    def on(self, card):
        return self.cards is None or card in self.cards

    def automatic(self):
        return self.click[0] in AUTOMATIC

    def rect(self):
        return (self.x, self.y, self.x + self.width, self.y + self.height // self.frames)

    def manifest(self):
        def args(event):
            return list(event[1:]) + [""] * (5 - len(event))

        return {
            "class": "CPhasedSprite", "width": self.width, "height": self.height, "reserved_word": 0,
            "x": self.x, "y": self.y, "plane": self.plane, "text": self.tip, "number": self.number,
            "transparent": 1, "sensible_rect": 0,
            "visible": 0 if self.hidden or (not self.automatic() and not self.on(0)) else 1,
            "disabled": 0, "click_action": self.click[0], "click_args": args(self.click),
            "move_action": self.move[0], "move_args": args(self.move), "frames": self.frames, "columns": 1,
            "current_frame": 0, "current_column": 0, "animated": int(self.animated or self.always),
            "always_animated": int(self.always), "interval": self.interval, "file": f"images/{self.image}.pcx",
        }


def text(identifier, body, rect, height=16, bold=False, ink="#ffffff", italic=False):
    return {"leading_word": 0, "identifier": identifier, "text": body.replace("\n", "\r\n"),
            "font_face": "Arial", "underline": 0, "italic": int(italic), "bold": int(bold), "height": height,
            "colour": colour(ink), "visible": 1, "rect": list(rect)}


def heading(words, ink):
    return text("titulo", words, (24, 14, 470, 60), height=28, bold=True, ink=ink)


def picture(name, x, y, reduction):
    return {"leading_word": 0, "file": name, "x": x, "y": y, "reduction": reduction}


NO_VIDEO = {"file": "", "x": 0, "y": 0, "loop": 0, "automatic_init": 0, "close_when_finishes": 0,
            "activate_on_close": ""}


def strip(previous, following, previous_card="*"):
    """The bottom strip of every main title: walk the ring, list the cards, sound, exit."""
    return [
        Sprite(1, "anterior", 12, 432, "Ficha anterior", (PREVIOUS_CARD, previous, previous_card), HOVER,
               frames=3),
        Sprite(2, "indice", 124, 432, "Lista de fichas", (CARDS_LIST,), HOVER, frames=3),
        Sprite(3, "volbarra", 278, 442, "Barra de volumen", (VOLUME_BAR,)),
        Sprite(4, "volmando", 388, 436, "Volumen", (VOLUME_KNOB,), HOVER, plane=10, frames=3),
        Sprite(5, "altavoz", 232, 432, "Quitar el sonido", (MUTE_OFF,), HOVER, frames=3),
        Sprite(6, "silencio", 232, 432, "Devolver el sonido", (MUTE_ON,), HOVER, frames=3, hidden=True,
               listed=False),
        Sprite(7, "siguiente", 414, 432, "Ficha siguiente", (NEXT_CARD, following), HOVER, frames=3),
        Sprite(8, "salir", 540, 432, "Salir de Lumeo", (END_PROGRAM,), HOVER, frames=3),
    ]


def number_lists(sprites, card):
    """The activation and deactivation lists of a card: show its own sprites, hide everybody else's."""
    shown, hidden = [], []
    for s in sprites:
        if s.cards is None or s.automatic() or not s.listed:
            continue
        (shown if s.on(card) and not s.hidden else hidden).append(s.number)
    return shown, hidden


def overlaps(a, b):
    return a[0] < b[2] and b[0] < a[2] and a[1] < b[3] and b[1] < a[3]


def check_layout(stem, index, sprites, card):
    """Warns of sprites or texts that cover one another on a card, unless they are meant to."""
    meant = card.get("overlaps", set())
    identifiers = {t["identifier"] for t in card["texts"]}
    has_video = bool(card.get("video", {}).get("file"))

    def shown_here(s):
        if s.click[0] in (VIDEO_PLAY, VIDEO_STOP, VIDEO_BAR, VIDEO_KNOB):
            return has_video
        if s.automatic():
            return s.click[1] in identifiers
        return s.on(index) and not s.hidden

    shown = [s for s in sprites if shown_here(s)]
    for i, a in enumerate(shown):
        for b in shown[i + 1:]:
            if overlaps(a.rect(), b.rect()) and frozenset((a.number, b.number)) not in meant:
                print(f"{stem} card {index}: sprites {a.number} and {b.number} overlap", file=sys.stderr)
        for t in card["texts"]:
            if overlaps(a.rect(), t["rect"]):
                print(f"{stem} card {index}: sprite {a.number} lies under text {t['identifier']}",
                      file=sys.stderr)


def write_title(stem, identifier, description, sprites, cards, music="", loop_music=0, stop_previous=0,
                background=None):
    numbers = [s.number for s in sprites]
    if len(numbers) != len(set(numbers)):
        sys.exit(f"{stem}: two sprites share a number")
    manifest_cards = []
    for index, card in enumerate(cards):
        shown, hidden = number_lists(sprites, index)
        for name, numbers in (("activation", shown), ("deactivation", hidden)):
            if len(numbers) > MAX_LIST:
                sys.exit(f"{stem} card {index}: the {name} list needs {len(numbers)} numbers")
        check_layout(stem, index, sprites, card)
        video = dict(NO_VIDEO, **card.get("video", {}))
        manifest_cards.append({
            "version": 3, "video": dict({"leading_word": 0}, **video),
            "activation_list": ",".join(map(str, shown)), "deactivation_list": ",".join(map(str, hidden)),
            "texts": card["texts"], "pictures": card.get("pictures", []),
        })
    # The player keeps the stored order of the list, front to back, so it is written sorted by plane.
    ordered = sorted(sprites, key=lambda s: s.plane)
    manifest = {
        "leading_word": 0, "identifier": identifier, "description": description, "background_music": music,
        "loop_music": loop_music, "stop_previous_music": stop_previous,
        "background": {"width": 640, "height": 480, "bits": 24,
                       "file": f"images/fondo-{background or stem}.jpg"},
        "sprites": [s.manifest() for s in ordered], "work_directory": "", "caption_field": "titulo",
        "cards": manifest_cards,
    }
    with open(os.path.join(HERE, stem + ".json"), "w", encoding="utf-8") as f:
        json.dump(manifest, f, ensure_ascii=False, indent=2)
        f.write("\n")


# ---------------------------------------------------------------------------------------------- demo.fca

GOLD, MINT, PINK, AMBER = "#f2c230", "#9fe870", "#f6a8d8", "#ffb040"
SOFT = "#dce6f2"

LONG_TEXT = """Este texto no cabe en su recuadro, así que Lumeo muestra a su derecha los controles para desplazarlo: las flechas simples suben y bajan una línea («Text - Line up» y «Text - Line down»), las dobles avanzan una página («Text - Page up» y «Text - Page down») y el mando se arrastra a lo largo de su barra («Text - Scroll control» sobre «Text - Scroll bar»). En las fichas cuyo texto cabe entero, esos controles se esconden solos.

Cómo está hecho un título. Un título es un solo archivo .fca con una pila de fichas. Todas comparten la imagen de fondo y la lista de sprites; cada ficha añade sus textos, sus imágenes y, como mucho, un vídeo.

Los sprites. Un sprite es un mapa de bits con un color transparente, el del píxel de la esquina superior izquierda. Puede tener varias fases apiladas, que sirven para animarlo o para dar a un botón su aspecto de reposo, el de cursor encima y el de desactivado. Los sprites se ordenan por planos: el de número menor se dibuja delante.

Las acciones. Cada sprite tiene una acción de clic y otra de movimiento, cada una con hasta cuatro argumentos de texto: el nombre de otro título, el identificador de un texto, un archivo de sonido, una lista de números de sprite...

Las fichas. Al entrar en una ficha, Lumeo muestra los sprites de su lista de activación y esconde los de su lista de desactivación. Así cada ficha enseña sólo sus propios botones.

Los sonidos y el vídeo. Los sonidos son archivos WAV que suenan de uno en uno; el vídeo de una ficha es un clip AVI que se reproduce en su propia ventana, a su tamaño.

Las herramientas. Fabrio es el editor con el que se construyen los títulos; fcatool los vuelca como JSON, los comprueba, dibuja sus fichas y los reconstruye. Este mismo título se construye con fcatool a partir de un manifiesto en cada compilación.

Fin del texto: use la flecha doble hacia arriba para volver al principio."""

demo_sprites = strip("demo4", "demo2") + [
    Sprite(10, "logo", 492, 86, "Emblema de Lumeo", plane=30, frames=6, cards=[0], always=True, interval=1),
    Sprite(11, "ir-sprites", 40, 268, "Abrir demo2.fca", (OPEN_CARD, "demo2", "1"), HOVER, frames=3, cards=[0]),
    Sprite(12, "ir-menus", 40, 314, "Abrir demo3.fca", (OPEN_CARD, "demo3", "1"), HOVER, frames=3, cards=[0]),
    Sprite(13, "ir-video", 40, 360, "Abrir demo4.fca", (OPEN_CARD, "demo4", "1"), HOVER, frames=3, cards=[0]),
    Sprite(14, "campana", 56, 92, "Campana", (PLAY_SOUND, "sonidos\\campana.wav"), HOVER, frames=3, cards=[1]),
    Sprite(15, "tambor", 50, 212, "Tambor", move=(MOVE_SOUND, "sonidos\\tambor.wav"), cards=[1]),
    Sprite(20, "linea-arriba", 562, 88, "Una línea arriba", (LINE_UP, "largo"), HOVER, frames=3),
    Sprite(21, "pagina-arriba", 562, 120, "Una página arriba", (PAGE_UP, "largo"), HOVER, frames=3),
    Sprite(22, "barra-texto", 572, 154, "Barra del texto", (SCROLL_BAR, "largo"), plane=30),
    Sprite(23, "mando-texto", 566, 154, "Mando del texto", (SCROLL_KNOB, "largo"), HOVER, plane=10, frames=3),
    Sprite(24, "pagina-abajo", 562, 346, "Una página abajo", (PAGE_DOWN, "largo"), HOVER, frames=3),
    Sprite(25, "linea-abajo", 562, 378, "Una línea abajo", (LINE_DOWN, "largo"), HOVER, frames=3),
]
STRIP_OVERLAPS = {frozenset((3, 4)), frozenset((5, 6))}
write_title("demo", "Demo", "Título de muestra de Lumeo: bienvenida, sonidos y texto", demo_sprites, [
    {"texts": [
        heading("Bienvenidos a Lumeo", GOLD),
        text("cuerpo", "Esto es un título de Lumeo: una pila de fichas de 640 × 480 sobre un mismo fondo. "
             "Cada botón es un sprite que hace algo al pulsarlo o al pasar el cursor por encima, y el texto "
             "de cada ficha explica los suyos. Suena la música de fondo del título, en bucle.\n\n"
             "Abajo, «Anterior» y «Siguiente» recorren las fichas y pasan de un título al siguiente; "
             "«Índice» las lista; el altavoz y la barra controlan el sonido; «Salir» termina.",
             (36, 84, 470, 262), height=17),
        text("sol", "Un sprite siempre animado.", (470, 186, 612, 226), height=14, ink=SOFT),
        text("saltos", "Estos botones abren directamente la primera ficha de otro título (acción «File - Open "
             "a card»). Antes, Lumeo muestra sus créditos: ciérrelos con Intro o Escape.",
             (296, 276, 612, 404), height=16, ink=SOFT),
    ], "overlaps": STRIP_OVERLAPS},
    {"texts": [
        heading("Sonidos", GOLD),
        text("campana", "Pulse la campana: suena un sonido (acción «Sound - Play a sound»). Lumeo reproduce "
             "un solo sonido a la vez, así que el efecto sustituye a la música de fondo.",
             (172, 96, 612, 196), height=16),
        text("tambor", "Pase el cursor por el tambor, sin pulsar: suena al entrar (acción de movimiento «Sound "
             "- Play a sound») y calla al salir.", (172, 222, 612, 300), height=16),
        text("volumen", "En la barra de abajo, el altavoz quita el sonido y lo devuelve («Sound - Mute Off» y "
             "«Sound - Mute on») y el mando de volumen se arrastra por su barra («Sound - Volume control» "
             "sobre «Sound - Volume bar»).", (36, 322, 612, 404), height=16, ink=SOFT),
    ], "overlaps": STRIP_OVERLAPS},
    {"texts": [
        heading("Texto desplazable", GOLD),
        text("largo", LONG_TEXT, (36, 86, 546, 392), height=17),
    ], "overlaps": STRIP_OVERLAPS | {frozenset((22, 23))}},
], music="sonidos\\musica.wav", loop_music=1)

# ---------------------------------------------------------------------------------------------- demo2.fca

demo2_sprites = strip("demo", "demo3") + [
    Sprite(20, "estrella", 60, 100, "Estrella", (PLAY_SOUND, "sonidos\\burbuja.wav"), HOVER, frames=3,
           cards=[0]),
    Sprite(21, "mostrar", 226, 96, "Mostrar la estrella", (SHOW, "20"), HOVER, frames=3, cards=[0]),
    Sprite(22, "ocultar", 226, 140, "Ocultar la estrella", (HIDE, "20"), HOVER, frames=3, cards=[0]),
    Sprite(23, "desactivar", 226, 184, "Desactivar la estrella", (DISABLE, "20"), HOVER, frames=3, cards=[0]),
    Sprite(24, "activar", 226, 228, "Activar la estrella", (ABLE, "20"), HOVER, frames=3, cards=[0]),
    Sprite(25, "pregunta", 56, 100, "Signo", move=(MOVE_SHOW, "26"), frames=3, cards=[1]),
    Sprite(26, "bocadillo", 124, 82, "Bocadillo", plane=10, cards=[1], hidden=True, listed=False),
    Sprite(27, "mirar", 56, 242, "Mirar dentro", move=(MOVE_HIDE, "28"), frames=3, cards=[1]),
    Sprite(28, "tapa", 432, 236, "Tapa", plane=10, cards=[1]),
    Sprite(29, "tesoro", 432, 236, "Cofre", plane=30, cards=[1]),
    Sprite(30, "bombilla", 40, 92, "Bombilla", move=(MOVE_FRAME, "1"), frames=2, cards=[2]),
    Sprite(31, "molino", 160, 82, "Molino", move=(MOVE_ANIMATE, ""), frames=4, cards=[2]),
    Sprite(32, "pez", 328, 100, "Pez", frames=4, cards=[2]),
    Sprite(33, "animar-pez", 292, 180, "Animar el pez", move=(MOVE_ANIMATE, "32"), cards=[2]),
    Sprite(34, "faro", 530, 80, "Faro", frames=4, cards=[2], always=True, interval=1),
]
write_title("demo2", "Sprites", "Sprites: mostrar, ocultar, activar, animar", demo2_sprites, [
    {"texts": [
        heading("Mostrar, ocultar, desactivar", MINT),
        text("estrella", "Pulse la estrella: suena.", (40, 220, 200, 260), height=15, ink=SOFT),
        text("mostrar", "la hace visible («Sprite - Show»).", (368, 102, 612, 136), height=15),
        text("ocultar", "la hace invisible («Sprite - Hide»).", (368, 146, 612, 180), height=15),
        text("desactivar", "la pone gris y sorda («Sprite - Disable»).", (368, 190, 612, 224), height=15),
        text("activar", "le devuelve la vida («Sprite - Able»).", (368, 234, 612, 268), height=15),
        text("listas", "Las cuatro acciones reciben una lista de números de sprite separados por comas; aquí, "
             "el 20 de la estrella. Cada ficha tiene además dos listas así, la de activación y la de "
             "desactivación, con las que muestra sus propios sprites y esconde los de las demás.",
             (36, 290, 612, 404), height=16),
    ], "overlaps": STRIP_OVERLAPS},
    {"texts": [
        heading("Al pasar el cursor", MINT),
        text("signo", "Pase el cursor por el signo: aparece un bocadillo, que se va cuando el cursor sale "
             "(acción de movimiento «Sprite - Show»).", (390, 88, 612, 210), height=15),
        text("cofre", "Pase el cursor por «Mirar dentro»: la tapa del cofre se esconde mientras el cursor "
             "sigue encima (acción de movimiento «Sprite - Hide») y vuelve al salir. La tapa está en un "
             "plano menor que el cofre, por eso se dibuja delante.", (36, 290, 410, 404), height=15),
    ], "overlaps": STRIP_OVERLAPS | {frozenset((28, 29))}},
    {"texts": [
        heading("Animación", MINT),
        text("bombilla", "Pase el cursor: se enciende («Sprite - Change plane», fase 1).", (26, 228, 146, 320),
             height=14, ink=SOFT),
        text("molino", "Gira mientras el cursor está encima («Sprite - Animate»).", (156, 228, 284, 320),
             height=14, ink=SOFT),
        text("pez", "Este botón anima a otro sprite, el pez: «Sprite - Animate» con su número, 32.",
             (294, 228, 510, 320), height=14, ink=SOFT),
        text("faro", "Siempre animado.", (520, 228, 612, 320), height=14, ink=SOFT),
        text("fases", "Un sprite animado es una hoja con sus fases apiladas, que Lumeo pasa cuatro veces por "
             "segundo o más despacio. Los botones usan la fase 1 para iluminarse bajo el cursor y la 2 "
             "para verse desactivados.", (36, 326, 612, 404), height=15),
    ], "overlaps": STRIP_OVERLAPS},
])

# ---------------------------------------------------------------------------------------------- demo3.fca

demo3_sprites = strip("demo2", "demo4") + [
    Sprite(500, "menu-sonidos", 56, 96, "Menú de sonidos", (SHOW_MENU,), HOVER, frames=3, cards=[0]),
    Sprite(501, "item-fanfarria", 56, 134, "Fanfarria", (PLAY_SOUND, "sonidos\\fanfarria.wav"), HOVER,
           frames=3, cards=[0], hidden=True),
    Sprite(502, "item-campana", 56, 166, "Campana", (PLAY_SOUND, "sonidos\\campana.wav"), HOVER, frames=3,
           cards=[0], hidden=True),
    Sprite(503, "item-tambor", 56, 198, "Tambor", (PLAY_SOUND, "sonidos\\tambor.wav"), HOVER, frames=3,
           cards=[0], hidden=True),
    Sprite(40, "ver-diapositivas", 52, 250, "Diapositivas",
           (SLIDE_SHOW, "diapositivas\\fondo.jpg", "diapo", "diapositivas", "sonidos\\diapositivas.wav"), HOVER,
           frames=3, cards=[1]),
    Sprite(41, "ver-postal", 348, 250, "Postal", (SHOW_BITMAP, "imagenes\\postal.jpg", "sonidos\\postal.wav"),
           HOVER, frames=3, cards=[1]),
    Sprite(600, "menu-internet", 56, 96, "Menú de Internet", (SHOW_MENU,), HOVER, frames=3, cards=[2]),
    Sprite(601, "item-web", 56, 134, "Página web", (LINK_URL, "https://example.org/lumeo"), HOVER, frames=3,
           cards=[2], hidden=True),
    Sprite(602, "item-correo", 56, 166, "Correo", (SEND_MAIL, "lumeo@example.org"), HOVER, frames=3,
           cards=[2], hidden=True),
    Sprite(42, "volver-principio", 56, 300, "Volver a demo.fca", (OPEN_CARD, "demo", "1"), HOVER, frames=3,
           cards=[2]),
]
write_title("demo3", "Menus", "Menús, imágenes e Internet", demo3_sprites, [
    {"texts": [
        heading("Menús", PINK),
        text("menu", "Pulse «Sonidos»: se abre un menú (acción «Other - Show menu»). Sus opciones son los "
             "sprites que siguen al menú en número, aquí el 501, el 502 y el 503; cada una reproduce su "
             "sonido.", (252, 92, 612, 220), height=16),
        text("cerrar", "El menú número 500 es especial: al abrirse suena el archivo de su primera opción, la "
             "fanfarria. Para cerrar el menú, pulse en un lugar vacío de la ficha.", (252, 236, 612, 404),
             height=16, ink=SOFT),
    ], "overlaps": STRIP_OVERLAPS},
    {"texts": [
        heading("Imágenes", PINK),
        text("diapositivas", "«Other - Slide Show»: las fotos JPEG de la carpeta «diapositivas» cuyo nombre "
             "empieza por «diapo», una cada seis segundos, sobre un fondo y con música. Un clic termina.",
             (36, 296, 318, 404), height=15),
        text("postal", "«Other - Show bitmap»: la postal a pantalla completa, con su sonido; un clic o una "
             "tecla la cierra. Las miniaturas son imágenes de la ficha, reducidas.", (332, 296, 612, 404),
             height=15),
    ], "pictures": [picture("diapositivas\\diapo1.jpg", 56, 92, 60), picture("imagenes\\postal.jpg", 352, 92, 68)],
        "overlaps": STRIP_OVERLAPS},
    {"texts": [
        heading("Internet", PINK),
        text("web", "Otro menú, el 600, esta vez sin sonido. «Página web» abre https://example.org/lumeo en "
             "el navegador («Internet - Link to URL») y «Correo electrónico» prepara un mensaje para "
             "lumeo@example.org («Internet - Send E-Mail»).", (252, 92, 612, 236), height=16),
        text("volver", "Vuelve a la primera ficha de demo.fca («File - Open a card»), pasando por los "
             "créditos. «Índice» lista las fichas de este título por sus encabezados («Cards - Cards "
             "list»).", (296, 290, 612, 404), height=15, ink=SOFT),
    ], "overlaps": STRIP_OVERLAPS},
])

# ---------------------------------------------------------------------------------------------- demo4.fca

demo4_sprites = strip("demo3", "demo") + [
    Sprite(10, "pantalla", 40, 90, "Pantalla", plane=40),
    Sprite(11, "barra-video", 58, 266, "Barra del vídeo", (VIDEO_BAR,), plane=30),
    Sprite(12, "mando-video", 58, 261, "Posición del vídeo", (VIDEO_KNOB,), HOVER, plane=10, frames=3),
    Sprite(13, "inicio", 40, 296, "Inicio", (VIDEO_START,), HOVER, frames=3),
    Sprite(14, "retroceso", 88, 296, "Retroceso", (VIDEO_REWIND,), HOVER, frames=3),
    Sprite(15, "reproducir", 136, 296, "Reproducir", (VIDEO_PLAY,), HOVER, frames=3),
    Sprite(16, "pausa", 184, 296, "Pausa", (VIDEO_STOP,), HOVER, frames=3),
    Sprite(17, "avance", 232, 296, "Avance", (VIDEO_FORWARD,), HOVER, frames=3),
    Sprite(18, "fin-video", 60, 338, "Fin del vídeo", cards=[0], hidden=True),
    Sprite(19, "titulo-video", 40, 370, "Abrir clip01.fca", (PLAY_VIDEO_TITLE, "clip"), HOVER, frames=3),
]
write_title("demo4", "Video", "Un vídeo en una ficha y un título de vídeo", demo4_sprites, [
    {"texts": [
        heading("Vídeo", AMBER),
        text("controles", "Esta ficha tiene un clip AVI con sonido. El botón verde lo reproduce («Video - "
             "Play»), el de pausa lo detiene («Video - Stop») y el mando de la barra sigue el vídeo y se "
             "arrastra para saltar («Video - Control» sobre «Video - Bar»).", (300, 84, 612, 196), height=15),
        text("inertes", "Inicio, retroceso y avance («Video - Start», «Video - Rewind», «Video - Fast "
             "forward») existen en el formato, pero Lumeo no les da efecto.", (300, 202, 612, 268), height=15,
             ink=SOFT),
        text("titulo", "Al acabar, aparece un aviso (la lista «activar al cerrar» del vídeo). El botón dorado "
             "abre clip01.fca, el título de vídeo de esta ficha («Video - Play a video»). Al abrir este título "
             "calla la música de fondo: así lo pide su opción «detener la música anterior».", (300, 276, 612, 404), height=15),
    ], "video": {"file": "videos\\lumeo.avi", "x": 60, "y": 110, "activate_on_close": "18"},
        "overlaps": STRIP_OVERLAPS | {frozenset((11, 12))}},
], stop_previous=1)

# ---------------------------------------------------------------------------------------------- clip01.fca

clip_sprites = [
    Sprite(1, "volver", 12, 431, "Volver a demo4.fca", (PREVIOUS_CARD, "demo4"), HOVER, frames=3),
    Sprite(8, "salir", 540, 432, "Salir de Lumeo", (END_PROGRAM,), HOVER, frames=3),
    Sprite(10, "pantalla", 220, 90, "Pantalla", plane=40),
    Sprite(11, "reproducir", 298, 268, "Otra vez", (VIDEO_PLAY,), HOVER, frames=3),
    Sprite(12, "fin-video", 240, 310, "Fin del vídeo", cards=[0], hidden=True),
]
write_title("clip01", "Clip01", "Título de vídeo de la primera ficha de demo4.fca", clip_sprites, [
    {"texts": [
        heading("clip01.fca, un título de vídeo", AMBER),
        text("origen", "Lumeo abrió este título desde la primera ficha de demo4: «Video - Play a video» "
             "añade al nombre «clip» el número de la ficha, 01.", (30, 88, 206, 404), height=15),
        text("cierre", "El vídeo arranca solo y su ventana se cierra al terminar («Automatic Init» y «Close "
             "when finishes»). «Volver» regresa a demo4 con «Cards - Previous card», que en la primera "
             "ficha abre otro título.", (434, 88, 612, 404), height=15),
        text("otra", "El botón verde vuelve a abrir el vídeo y lo reproduce («Video - Play»).",
             (220, 350, 420, 404), height=15, ink=SOFT),
    ], "video": {"file": "videos\\lumeo.avi", "x": 240, "y": 110, "automatic_init": 1, "close_when_finishes": 1,
                 "activate_on_close": "12"}},
], stop_previous=1, background="clip")
