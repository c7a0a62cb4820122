#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates every picture in this folder. The outputs are committed, so the
# build never runs this; run it by hand after changing a drawing below.
# Needs Debian's imagemagick (IM 6), librsvg2-bin and python3.
set -eu

cd "$(dirname "$0")"
IM=/usr/bin/convert
RSVG=rsvg-convert
# One thread keeps the seeded noise identical from run to run; no dates in the PNGs.
IMOPTS="-limit thread 1"
PNGOUT="-strip -depth 8 -define png:exclude-chunk=date,time,tIME"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

# paper OUT WIDTH HEIGHT SEED DARKEST LIGHTEST
# Mottled paper: broad blotches, fine grain and short fibres in three directions,
# mixed into one grey field that is then mapped onto a two-colour range.
paper() {
    $IM $IMOPTS -seed "$4" -size "$2x$3" -virtual-pixel tile \
        \( xc: +noise Random -colorspace Gray -blur 0x14 -auto-level \) \
        \( xc: +noise Random -colorspace Gray -blur 0x0.7 -auto-level \) \
        \( xc: +noise Random -colorspace Gray -motion-blur 0x10+25 -auto-level \) \
        \( xc: +noise Random -colorspace Gray -motion-blur 0x8+120 -auto-level \) \
        \( xc: +noise Random -colorspace Gray -motion-blur 0x9+70 -auto-level \) \
        -poly "0.40,1 0.25,1 0.15,1 0.12,1 0.08,1" \
        -auto-level -colorspace sRGB +level-colors "$5,$6" \
        -type TrueColor $PNGOUT "$1"
}

paper paper_light.png 254 257 4101 '#EDB08E' '#FFE8D6'
paper paper_dark.png 254 257 4102 '#B45E3A' '#DC9268'
paper paper_template.png 256 256 4103 '#B25C38' '#DA9066'

# Maker's logo: a red O and a blue V on a yellow square, drawn as shapes so
# that it looks the same whatever fonts are installed.
cat >logo.svg <<'EOF'
<?xml version="1.0" encoding="UTF-8"?>
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64" viewBox="0 0 64 64">
  <rect x="0" y="0" width="64" height="64" fill="#FFE000"/>
  <rect x="1" y="1" width="62" height="62" fill="none" stroke="#C89600" stroke-width="2"/>
  <ellipse cx="17.5" cy="32" rx="10" ry="20" fill="none" stroke="#E00000" stroke-width="7.5"/>
  <path d="M32 9 H40 L46 40 L52 9 H60 L50.5 55 H41.5 Z" fill="#0030D0"/>
</svg>
EOF
for size in 32 64 128 256; do
    $RSVG -w $size -h $size logo.svg -o "$WORK/logo$size.png"
    $IM $IMOPTS "$WORK/logo$size.png" $PNGOUT "logo$size.png"
done

# Hand pointers, 32x32, hotspot at the tip of the index finger (12,1).
# Every part is drawn twice: first all outlines, then all fills on top, so
# only the outer contour of the joined parts stays visible.
hand_svg() { # OUTLINE_COLOUR OUTLINE_WIDTH FINGER_LINE_COLOUR SHADOW_OPACITY
    cat <<EOF
<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" width="32" height="32" viewBox="0 0 32 32">
  <defs>
    <g id="hand">
      <rect x="10" y="1" width="5" height="18" rx="2.5"/>
      <rect x="15" y="10" width="5" height="11" rx="2.5"/>
      <rect x="20" y="11" width="4" height="10" rx="2"/>
      <rect x="24" y="13" width="4" height="9" rx="2"/>
      <path d="M10 16 H28 V23 C28 27 26 30 24 30 H14 C12 30 10 27.5 8 25 Z"/>
      <rect x="5" y="14" width="5" height="11" rx="2.5" transform="rotate(-38 8 24)"/>
    </g>
  </defs>
  <use xlink:href="#hand" transform="translate(1.2 1.2)" fill="#000000" fill-opacity="$4" stroke="#000000" stroke-opacity="$4" stroke-width="$2"/>
  <use xlink:href="#hand" fill="$1" stroke="$1" stroke-width="$2" stroke-linejoin="round"/>
  <use xlink:href="#hand" fill="#FFFFFF"/>
  <path d="M15.5 13 V16.5 M20.5 14 V17.5 M24.5 16 V19" stroke="$3" stroke-width="1" fill="none" stroke-linecap="round"/>
</svg>
EOF
}
hand_svg '#000000' 2 '#000000' 0 >"$WORK/hand.svg"
hand_svg '#383838' 2 '#8C8C8C' 0.45 >"$WORK/hand_white.svg"
for name in hand hand_white; do
    $RSVG -w 32 -h 32 "$WORK/$name.svg" -o "$WORK/$name.png"
    $IM $IMOPTS "$WORK/$name.png" $PNGOUT "$name.png"
done

# Help page: nine callouts down the left edge, each centred on the control of
# the left column that it explains, plus the four arrow keys at the top right.
python3 - >help.svg <<'EOF'
from xml.sax.saxutils import escape

# Qt 6.4's SVG renderer takes a font-family list as one name, so name one
# family; boxes leave room for a wider fallback font (text width x 1.16).
FONT = "Liberation Sans"
SIZE = 15
LINE = 19
BOX_LEFT = 40
# (centre y of the arrow, widest line in px at 15px Liberation Sans, lines)
CALLOUTS = [
    (43, 278, ["Numero estratto, cliccando o premendo ▲",
               "sulla tastiera viene ripetuto."]),
    (186, 411, ["Combinazioni del tabellone, premendo i pulsanti (oppure",
                "'f2, f3, f4, f5 e f6' sulla tastiera) si possono forzare come ad",
                "esempio nell'estrazione manuale o escludendo le cartelle.",
                "Cliccando sulla scritta che diventa rossa si possono escludere."]),
    (280, 318, ["Sostituire con il nome di chi possiede il tabellone."]),
    (339, 344, ["Manuale = estrazione con bussolotto",
                "Scandito = ripete singolarmente i numeri (tasto ►)",
                "Smorfia = pronuncia la smorfia Napoletana (tasto ◄)"]),
    (409, 387, ["Premendo sui pulsanti si escludono le cartelle sul tabellone,",
                "se non si acquistano tutte."]),
    (460, 225, ["Inizia una nuova partita. (tasto f12)"]),
    (500, 357, ["Ricarica l'ultima partita se il programma è stato chiuso."]),
    (556, 177, ["Estrae il numero. (tasto ▼)"]),
    (620, 120, ["Vai al sito Orvanet"]),
]

out = []
w = out.append
w('<?xml version="1.0" encoding="UTF-8"?>')
w('<svg xmlns="http://www.w3.org/2000/svg" version="1.2" baseProfile="tiny" '
  'width="700" height="650" viewBox="0 0 700 650">')
w('  <rect x="0" y="0" width="700" height="650" fill="#FFFF80"/>')

for centre, text_width, lines in CALLOUTS:
    height = len(lines) * LINE + 12
    width = int(text_width * 1.16) + 24
    top = centre - height // 2
    w(f'  <rect x="{BOX_LEFT + 3}" y="{top + 3}" width="{width}" height="{height}" rx="7" '
      'fill="#000000" fill-opacity="0.18"/>')
    w(f'  <rect x="{BOX_LEFT}" y="{top}" width="{width}" height="{height}" rx="7" '
      'fill="#FFFFE6" stroke="#8A6A00" stroke-width="1.5"/>')
    # Arrow out of the page's left edge, towards the control.
    w(f'  <path d="M{BOX_LEFT} {centre} H12" stroke="#B00000" stroke-width="3" fill="none"/>')
    w(f'  <path d="M1 {centre} L15 {centre - 7} L15 {centre + 7} Z" fill="#B00000"/>')
    for n, line in enumerate(lines):
        baseline = top + 6 + (n + 1) * LINE - 5
        w(f'  <text x="{BOX_LEFT + 12}" y="{baseline}" font-family="{FONT}" '
          f'font-size="{SIZE}" fill="#000000">{escape(line)}</text>')

# Arrow keys: up on top, left, down and right below.
KEY, GAP, KX, KY = 34, 5, 582, 10
def key(x, y, direction):
    w(f'  <rect x="{x + 2}" y="{y + 2}" width="{KEY}" height="{KEY}" rx="5" fill="#5A5A5A"/>')
    w(f'  <rect x="{x}" y="{y}" width="{KEY}" height="{KEY}" rx="5" '
      'fill="#F2F2F2" stroke="#404040" stroke-width="1.5"/>')
    w(f'  <rect x="{x + 4}" y="{y + 3}" width="{KEY - 8}" height="{KEY - 10}" rx="3" fill="#FFFFFF"/>')
    cx, cy, r = x + KEY / 2, y + KEY / 2 - 1, 8
    points = {
        "up": [(cx, cy - r), (cx + r, cy + r * 0.7), (cx - r, cy + r * 0.7)],
        "down": [(cx, cy + r), (cx + r, cy - r * 0.7), (cx - r, cy - r * 0.7)],
        "left": [(cx - r, cy), (cx + r * 0.7, cy - r), (cx + r * 0.7, cy + r)],
        "right": [(cx + r, cy), (cx - r * 0.7, cy - r), (cx - r * 0.7, cy + r)],
    }[direction]
    w('  <path d="M{} Z" fill="#202020"/>'.format(
        " L".join(f"{px:g} {py:g}" for px, py in points)))

key(KX + KEY + GAP, KY, "up")
key(KX, KY + KEY + GAP, "left")
key(KX + KEY + GAP, KY + KEY + GAP, "down")
key(KX + 2 * (KEY + GAP), KY + KEY + GAP, "right")

w('</svg>')
print("\n".join(out))
EOF

# Preview of the help page, for checking how it reads.
$RSVG -w 700 -h 650 help.svg -o "$WORK/help.png"
$IM $IMOPTS "$WORK/help.png" $PNGOUT help.png
