#!/usr/bin/env bash
# Checks the .deb that `make package` built: Debian's lintian finds no error
# or warning, and what it declares, what it installs, and that flyback-calc
# runs from the installed path, in a scratch root.
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

# Overrides, if ever needed, go in the package with a one-line reason each.
if ! findings=$(lintian --fail-on error,warning "$deb" 2>&1); then
    echo "$findings" >&2
    fail "lintian reports errors or warnings"
fi

[ "$(dpkg-deb -f "$deb" Section)" = electronics ] || fail "Section is not electronics"
version=$(dpkg-deb -f "$deb" Version)

dpkg -x "$deb" "$root"
for file in usr/bin/flyback-calc usr/bin/flyback-designer \
    usr/share/doc/flyback-designer/copyright usr/share/doc/flyback-designer/changelog.gz \
    usr/share/doc/flyback-designer/NOTICE \
    usr/share/man/man1/flyback-calc.1.gz usr/share/man/man1/flyback-designer.1.gz \
    usr/share/applications/flyback-designer.desktop \
    usr/share/icons/hicolor/16x16/apps/flyback-designer.png \
    usr/share/icons/hicolor/32x32/apps/flyback-designer.png \
    usr/share/icons/hicolor/scalable/apps/flyback-designer.svg; do
    [ -e "$root/$file" ] || fail "missing /$file"
done
desktop-file-validate "$root/usr/share/applications/flyback-designer.desktop" ||
    fail "the desktop entry does not validate"

[ "$("$root/usr/bin/flyback-calc" --version)" = "flyback-calc $version" ] ||
    fail "flyback-calc --version does not say $version"
zcat "$root/usr/share/doc/flyback-designer/changelog.gz" | head -n 1 | grep -qF "($version)" ||
    fail "the changelog does not start at $version"

expected='{"results":[{"box":0,"caption":"磁芯型号","text":"EE12"},{"box":4,"caption":"晶体管耐压Vceo","text":" 588"},{"box":6,"caption":"初级电感量","text":" 1.75mH"},{"box":5,"caption":"晶体管电流Isc","text":" 2.77"},{"box":2,"caption":"变压器初级匝数","text":" 135.41"},{"box":1,"caption":"变压器气隙mm","text":" 1.88"},{"box":3,"caption":"变压器次级匝数","text":" 6.2"}],"error":null}'
actual=$("$root/usr/bin/flyback-calc" --json 60 368 200 20 75 5)
[ "$actual" = "$expected" ] || fail "unexpected output: $actual"
echo "package test: $(basename "$deb") passed"
