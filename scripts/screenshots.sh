#!/usr/bin/env bash
# Saves a screenshot of each label window, the printer connection dialog and the list print dialog (offscreen grabs
# made by their tests) into docs/.
# Usage: scripts/screenshots.sh [build folder, default build-screenshots]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-screenshots}
cmake -S . -B "$build" -G Ninja >/dev/null
cmake --build "$build" --target tst_labelwindow tst_printerdialog tst_listdialog
mkdir -p docs
export QT_QPA_PLATFORM=offscreen HANLABEL_SCREENSHOT_DIR="$PWD/docs"
"$build/tests/tst_labelwindow" screenshot
"$build/tests/tst_printerdialog" screenshot
"$build/tests/tst_listdialog" screenshot
ls -l docs/book-label-window.png docs/member-card-window.png docs/printer-dialog.png docs/member-list-dialog.png
