#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the menu icon, icon.svg, to the PNG sizes of the hicolor theme: icon16.png ...
# icon256.png. The PNGs are committed, so the build never runs this; run it by hand
# after changing icon.svg. Needs rsvg-convert (Debian's librsvg2-bin:
# `scripts/install-deps assets`).
set -eu

cd "$(dirname "$0")"
command -v rsvg-convert >/dev/null || {
    echo "make-icon.sh: rsvg-convert is missing (scripts/install-deps assets)" >&2
    exit 2
}
for size in 16 22 24 32 48 64 128 256; do
    rsvg-convert -w $size -h $size icon.svg -o icon$size.png
done
