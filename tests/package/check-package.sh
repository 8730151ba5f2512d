#!/usr/bin/env bash
# The Debian package as an operator's machine gets it: built with cpack, extracted with
# dpkg-deb -x into a temporary root, its desktop entry and metainfo validated, and the extracted
# program started offscreen as an unprivileged user with a fresh HOME (root can write anywhere,
# so only an operator gets the per-user folder).
# Usage: check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/hanlabel-package.XXXXXX)
trap 'rm -rf "$work"' EXIT
# The unprivileged user must reach the extracted program.
chmod 755 "$work"
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >cpack.log 2>&1 || {
    cat cpack.log
    fail "cpack did not make the package"
}
arch=$(dpkg --print-architecture)
deb=$(ls out/hanlabel_*_"$arch".deb)
echo "package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in qt6-qpa-plugins qt6-translations-l10n fonts-nanum fonts-urw-base35 libqt6widgets6 libcups2; do
    grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
[ "$(dpkg-deb -f "$deb" Recommends)" = "ibus-hangul | fcitx5-hangul" ] || fail "Recommends"

dpkg-deb -x "$deb" root
lib=root/usr/lib/hanlabel
for f in hanlabel hanlabel-batch OH.ini position.ini DPOS.ini OH1.ini position1.ini DPOS1.ini 견고딕24X24.mdb; do
    [ -f "$lib/$f" ] || fail "$lib/$f is missing"
done
[ -x root/usr/bin/hanlabel ] || fail "/usr/bin/hanlabel is missing"
[ -x root/usr/bin/hanlabel-batch ] || fail "/usr/bin/hanlabel-batch is missing"
help=$(env -i LANG=C.UTF-8 PATH=/usr/bin:/bin "$work/root/usr/bin/hanlabel-batch" --help) ||
    fail "hanlabel-batch --help ended with $?"
grep -q '^사용법:' <<<"$help" || fail "hanlabel-batch --help shows no usage: $help"
desktop=$(ls root/usr/share/applications/*.desktop)
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
grep -q '^Name\[ko\]=' "$desktop" || fail "no Korean name in $desktop"
grep -q '^Categories=Office;$' "$desktop" || fail "Categories in $desktop"
appstreamcli validate --no-net root/usr/share/metainfo/*.metainfo.xml || fail "appstreamcli validate"
[ -f root/usr/share/icons/hicolor/scalable/apps/hanlabel.svg ] || fail "the icon is missing"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: starting the program as another user needs root"
    exit 77
fi
before=$(ls -lR root)
home=$work/home
mkdir -p "$home" "$work/run"
chown nobody:nogroup "$home" "$work/run"
chmod 700 "$work/run"
# Runs the extracted program as nobody until its first window or message is shown.
run_as_operator() {
    setpriv --reuid=nobody --regid=nogroup --init-groups \
        env -i HOME="$1" LANG=C.UTF-8 PATH=/usr/bin:/bin XDG_RUNTIME_DIR="$work/run" \
        QT_QPA_PLATFORM=offscreen HANLABEL_TEST_UNATTENDED=1 \
        timeout 60 "$work/root/usr/bin/hanlabel"
}

output=$(run_as_operator "$home") || fail "the program ended with $?: $output"
echo "$output"
grep -q 'window: mainfrm "도서 바코드" shown' <<<"$output" || fail "the book window did not show"
folder=$home/.local/share/hanlabel
for f in OH.ini position.ini DPOS.ini OH1.ini position1.ini DPOS1.ini; do
    cmp -s "$folder/$f" "$lib/$f" || fail "$folder/$f is not a copy of the default"
    [ "$(stat -c %U "$folder/$f")" = nobody ] || fail "$folder/$f does not belong to the operator"
done
[ ! -e "$folder/견고딕24X24.mdb" ] || fail "the glyph database was copied"
[ "$before" = "$(ls -lR root)" ] || fail "the program wrote beside the executable"

# A second start keeps what the operator changed.
printf 'COM1\r\n1\r\n' >"$folder/OH.ini"
output=$(run_as_operator "$home") || fail "the second start ended with $?: $output"
[ "$(cat "$folder/OH.ini")" = "$(printf 'COM1\r\n1\r\n')" ] || fail "the operator's OH.ini was replaced"

# A home the operator cannot write: the first copy fails, which ends the start with a message.
status=0
output=$(run_as_operator /nonexistent/home) || status=$?
echo "$output"
[ "$status" -eq 1 ] || fail "a failed first copy ended with $status, not 1"
grep -q 'message: 개인 설정 폴더를 만들 수 없습니다' <<<"$output" || fail "no message about the folder"
echo "package test passed"
