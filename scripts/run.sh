#!/usr/bin/env bash
# Installs what is needed, builds hanlabel and starts it on the build's application folder
# (build/app: the executable beside a copy of the sample settings files and glyph database).
# "LPT1" is mapped to the virtual printer (preview:), so a print opens a window with the label.
# Set HANLABEL_LPT1 or HANLABEL_COM1 to print on a real printer instead (see the README).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target hanlabel -j "$(nproc)"

export HANLABEL_LPT1="${HANLABEL_LPT1:-preview:}"
echo "hanlabel: application folder $PWD/build/app"
echo "hanlabel: LPT1 -> $HANLABEL_LPT1${HANLABEL_COM1:+, COM1 -> $HANLABEL_COM1}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "hanlabel: no display found; run it in a desktop session (or under xvfb-run)." >&2
    exit 1
fi
exec build/app/hanlabel
