#!/usr/bin/env bash
# Regenerates the sample barcode picture of the label windows (Code 128, 477 x 40 pixels).
# Needs the zint and imagemagick packages; the result is kept in the repository.
set -euo pipefail
cd "$(dirname "$0")"
tmp=$(mktemp --suffix=.png)
trap 'rm -f "$tmp"' EXIT
zint -b 20 -d "200401-0123" --notext --height=13.3 --scale=1.5 --whitesp=0 -o "$tmp"
convert "$tmp" -gravity center -background white -extent 477x40 -type Grayscale barcode.png
