#!/usr/bin/env bash
# Installs what is needed, builds hanlabel and starts it on the build's application folder
# (build/app: the executable beside a copy of the sample settings files and glyph database).
# Until another printer is chosen in the program ("프린터 연결..."), "LPT1" goes to the virtual
# printer (preview:), so a print opens a window with the label. HANLABEL_LPT1 or HANLABEL_COM1
# override the choice for this run (see the README).
# Run it as the operator: the set-up step asks sudo for what it installs; the program needs a
# desktop session (or xvfb-run).
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "$(id -u)" -eq 0 ]; then
    echo "hanlabel: warning: started as root. Run it as the operator: files root creates in the" >&2
    echo "  application folder cannot be rewritten by the operator later, and every print rewrites them." >&2
fi
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target hanlabel -j "$(nproc)"

# The first start of the build's folder prints to the preview; a choice made later is kept.
[ -e build/app/printer.ini ] || printf 'LPT1=preview:\n' 2>/dev/null >build/app/printer.ini || true
echo "hanlabel: application folder $PWD/build/app (or ~/.local/share/hanlabel when it cannot be written)"
echo "hanlabel: printer connection in build/app/printer.ini${HANLABEL_LPT1:+; LPT1 -> $HANLABEL_LPT1}${HANLABEL_COM1:+; COM1 -> $HANLABEL_COM1}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "hanlabel: no display found; run it in a desktop session, or look at it on a virtual one:" >&2
    echo "  xvfb-run -n 99 -f /tmp/hanlabel.xauth -s '-screen 0 1024x768x24' bash scripts/run.sh &" >&2
    echo "  XAUTHORITY=/tmp/hanlabel.xauth DISPLAY=:99 import -window root shot.png" >&2
    exit 1
fi
exec build/app/hanlabel
