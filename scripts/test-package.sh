#!/usr/bin/env bash
# Checks the .deb that `make package` built: what it declares, what it installs,
# and that flyback-calc runs from the installed path, in a scratch root.
#   scripts/test-package.sh BUILD_DIR
set -euo pipefail
build=${1:?usage: $0 BUILD_DIR}
mapfile -t debs < <(ls -t "$build"/flyback-designer_*.deb)
deb=${debs[0]:?no package in $build; run make package}
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() {
    echo "package test: $*" >&2
    exit 1
}

depends=$(dpkg-deb -f "$deb" Depends)
grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks Qt 6 Widgets: $depends"
grep -q 'fonts-wqy-microhei' <<<"$depends" || fail "Depends lacks the Chinese font: $depends"
grep -q 'qt6-translations-l10n' <<<"$depends" || fail "Depends lacks Qt's translations: $depends"

dpkg -x "$deb" "$root"
for file in usr/bin/flyback-calc usr/bin/flyback-designer \
    usr/share/applications/flyback-designer.desktop \
    usr/share/icons/hicolor/16x16/apps/flyback-designer.png \
    usr/share/icons/hicolor/32x32/apps/flyback-designer.png \
    usr/share/icons/hicolor/scalable/apps/flyback-designer.svg; do
    [ -e "$root/$file" ] || fail "missing /$file"
done
desktop-file-validate "$root/usr/share/applications/flyback-designer.desktop" ||
    fail "the desktop entry does not validate"

expected='{"results":[{"box":0,"caption":"磁芯型号","text":"EE12"},{"box":4,"caption":"晶体管耐压Vceo","text":" 588"},{"box":6,"caption":"初级电感量","text":" 1.75mH"},{"box":5,"caption":"晶体管电流Isc","text":" 2.77"},{"box":2,"caption":"变压器初级匝数","text":" 135.41"},{"box":1,"caption":"变压器气隙mm","text":" 1.88"},{"box":3,"caption":"变压器次级匝数","text":" 6.2"}],"error":null}'
actual=$("$root/usr/bin/flyback-calc" --json 60 368 200 20 75 5)
[ "$actual" = "$expected" ] || fail "unexpected output: $actual"
echo "package test: $(basename "$deb") passed"
