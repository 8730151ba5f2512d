#!/usr/bin/env bash
# The Debian package as an operator's machine gets it: built with cpack, checked with lintian
# (an error or a warning fails), extracted with dpkg-deb -x into a temporary root, its desktop
# entry and metainfo validated, and the extracted program started offscreen as an unprivileged
# user with a fresh HOME (root can write anywhere, so only an operator gets the per-user folder).
# As root it then installs the package for real, runs both commands without a display, finds the
# manual pages in English and Korean, and purges the package again.
# Usage: check-package.sh BUILD_FOLDER
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d /tmp/hanlabel-package.XXXXXX)
installed=""
cleanup() {
    if [ -n "$installed" ]; then
        apt-get purge -y -qq -o DPkg::Lock::Timeout=300 hanlabel >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT
# The unprivileged user must reach the extracted program.
chmod 755 "$work"
cd "$work"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >cpack.log 2>&1 || {
    cat cpack.log
    fail "cpack did not make the package"
}
arch=$(dpkg --print-architecture)
deb=$work/out/hanlabel_${version}_$arch.deb
[ -f "$deb" ] || fail "no $deb: $(ls out)"
echo "package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, installed $(dpkg-deb -f "$deb" Installed-Size) KiB"

# lintian: errors and warnings fail; the other tags are shown.
if command -v lintian >/dev/null; then
    status=0
    lintian -EvIL +pedantic --tag-display-limit 0 "$deb" >lintian.log 2>&1 || status=$?
    # 1 is tags found at the failing level; more is lintian itself failing.
    [ "$status" -le 1 ] || { cat lintian.log; fail "lintian ended with $status"; }
    grep -E '^[A-Z]: ' lintian.log || true
    if grep -qE '^[EW]: ' lintian.log; then
        cat lintian.log
        fail "lintian reports an error or a warning"
    fi
else
    fail "lintian is not installed (bash scripts/setup.sh installs it)"
fi

depends=$(dpkg-deb -f "$deb" Depends)
for dep in qt6-qpa-plugins qt6-translations-l10n fonts-nanum fonts-urw-base35 libqt6widgets6 libcups2; do
    grep -q "\b$dep\b" <<<"$depends" || fail "Depends lacks $dep: $depends"
done
[ -z "$(dpkg-deb -f "$deb" Recommends)" ] || fail "Recommends: $(dpkg-deb -f "$deb" Recommends)"
[ "$(dpkg-deb -f "$deb" Suggests)" = "ibus-hangul | fcitx5-hangul" ] || fail "Suggests"

dpkg-deb -x "$deb" root
share=root/usr/share/hanlabel
for f in OH.ini position.ini DPOS.ini OH1.ini position1.ini DPOS1.ini 견고딕24X24.mdb; do
    [ -f "$share/$f" ] || fail "$share/$f is missing"
done
for f in usr/bin/hanlabel usr/bin/hanlabel-batch; do
    [ -f "root/$f" ] && [ -x "root/$f" ] && [ ! -L "root/$f" ] || fail "/$f is not an executable"
done
doc=root/usr/share/doc/hanlabel
grep -q '^License: GPL-3+$' "$doc/copyright" || fail "no GPL-3+ in the copyright file"
grep -q '/usr/share/common-licenses/GPL-3' "$doc/copyright" || fail "the copyright file does not point to GPL-3"
[ "$(zcat "$doc/changelog.gz" | head -1)" = "hanlabel ($version) unstable; urgency=medium" ] ||
    fail "the changelog does not start with $version"
[ -f "$doc/examples/printer.ini" ] || fail "no example printer.ini"
[ -f root/usr/share/bash-completion/completions/hanlabel-batch ] || fail "no bash completion"
for page in man1/hanlabel.1.gz man1/hanlabel-batch.1.gz ko/man1/hanlabel.1.gz ko/man1/hanlabel-batch.1.gz; do
    gzip -t "root/usr/share/man/$page" || fail "manual page $page"
done
help=$(env -i LANG=C.UTF-8 PATH=/usr/bin:/bin "$work/root/usr/bin/hanlabel-batch" --help) ||
    fail "hanlabel-batch --help ended with $?"
grep -q '^사용법:' <<<"$help" || fail "hanlabel-batch --help shows no usage: $help"
id=io.github.hanlabel.hanlabel
desktop=root/usr/share/applications/$id.desktop
desktop-file-validate "$desktop" || fail "desktop-file-validate $desktop"
grep -q '^Name\[ko\]=' "$desktop" || fail "no Korean name in $desktop"
grep -q '^Categories=Office;$' "$desktop" || fail "Categories in $desktop"
grep -q "^Icon=$id$" "$desktop" || fail "Icon in $desktop"
metainfo=root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" || fail "project_license"
[ -f "root/usr/share/icons/hicolor/scalable/apps/$id.svg" ] || fail "the icon is missing"

if [ "$(id -u)" -ne 0 ]; then
    echo "SKIP: starting the program as another user and installing the package need root"
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
    cmp -s "$folder/$f" "$share/$f" || fail "$folder/$f is not a copy of the default"
    [ "$(stat -c %U "$folder/$f")" = nobody ] || fail "$folder/$f does not belong to the operator"
done
[ ! -e "$folder/견고딕24X24.mdb" ] || fail "the glyph database was copied"
[ "$before" = "$(ls -lR root)" ] || fail "the program wrote into the package's files"

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

# Installed for real (the dependencies are already there on a machine that builds it), then purged.
installed=yes
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends -o DPkg::Lock::Timeout=300 \
    "$deb" >install.log 2>&1 || {
    cat install.log
    fail "apt-get install did not install the package"
}
plain() { env -i LANG=C.UTF-8 PATH=/usr/bin:/bin HOME="$work/root-home" "$@"; }
[ "$(plain hanlabel --version | head -1)" = "hanlabel $version" ] || fail "hanlabel --version"
[ "$(plain hanlabel-batch --version | head -1)" = "hanlabel-batch $version" ] || fail "hanlabel-batch --version"
[ "$(plain man -w hanlabel-batch)" = /usr/share/man/man1/hanlabel-batch.1.gz ] || fail "man -w hanlabel-batch"
[ "$(plain man -L ko -w hanlabel-batch)" = /usr/share/man/ko/man1/hanlabel-batch.1.gz ] ||
    fail "man -L ko -w hanlabel-batch"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq -o DPkg::Lock::Timeout=300 hanlabel >purge.log 2>&1 || {
    cat purge.log
    fail "apt-get purge did not remove the package"
}
installed=""
[ ! -e /usr/bin/hanlabel ] && [ ! -e /usr/share/hanlabel ] && [ ! -e /usr/share/doc/hanlabel ] ||
    fail "the purge left files behind"
echo "package test passed"
