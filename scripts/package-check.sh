#!/usr/bin/env bash
# Builds the Debian package and checks it as a Debian user would meet it: its control data
# and contents, both programs started from a scratch root it was unpacked into, the
# AppStream data, and lintian. The packaging tools it needs (dpkg-dev, lintian, appstream)
# are installed first when they are missing; lintian is large, so the everyday set-up
# leaves it out.
# Usage: scripts/package-check.sh [BUILD_DIR]     (default: build)
set -u
build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)

need=""
command -v dpkg-shlibdeps >/dev/null || need="$need dpkg-dev"
command -v lintian >/dev/null || need="$need lintian"
command -v appstreamcli >/dev/null || need="$need appstream"
if [[ -n $need ]]; then
    sudo=""
    [[ $(id -u) -ne 0 ]] && sudo=sudo
    echo "Installing:$need"
    $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $need >/dev/null ||
        { echo "FAIL could not install$need"; exit 1; }
fi

source "$here/scripts/check-helpers.sh"

[[ -f $build/CMakeCache.txt ]] || cmake -S "$here" -B "$build" >/dev/null || exit 1
cmake --build "$build" -j2 >/dev/null || { echo "FAIL build"; exit 1; }
rm -f "$build"/quarnel_*.deb
(cd "$build" && cpack -G DEB >cpack.log 2>&1) || { cat "$build/cpack.log"; echo "FAIL cpack -G DEB"; exit 1; }
deb=$(ls "$build"/quarnel_*.deb 2>/dev/null | head -n 1)
[[ -n $deb ]] || { echo "FAIL no package written"; exit 1; }
echo "package: $deb ($(stat -c %s "$deb") bytes)"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"

dpkg-deb --info "$deb" >"$work/info"
dpkg-deb --contents "$deb" >"$work/contents"
field() { sed -n "s/^ $1: //p" "$work/info"; }
check "package name" same "$(field Package)" quarnel
check "version" same "$(field Version)" "$(sed -n 's/^project(quarnel VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")"
check "dependencies from the libraries" grep -q '^ Depends: .*libqt6widgets6' "$work/info"
check "C++ runtime among the dependencies" grep -q '^ Depends: .*libstdc++6' "$work/info"
for f in usr/lib/quarnel/qr2 usr/lib/quarnel/qredit usr/lib/quarnel/ex1.qex usr/lib/quarnel/ex4.qex \
         usr/bin/qr2 usr/bin/qredit usr/share/applications/qr2.desktop usr/share/applications/qredit.desktop \
         usr/share/mime/packages/quarnel.xml usr/share/icons/hicolor/scalable/apps/quarnel.svg \
         usr/share/icons/hicolor/scalable/mimetypes/application-x-quarnel-chapter.svg \
         usr/share/metainfo/org.orvandel.quarnel.metainfo.xml \
         usr/share/metainfo/org.orvandel.quarnel.editor.metainfo.xml \
         usr/share/man/man1/qr2.1.gz usr/share/man/man1/qredit.1.gz usr/share/doc/quarnel/copyright; do
    check "contains /$f" grep -q " \./$f\( ->.*\)\?$" "$work/contents"
done
check "nothing outside /usr" same "$(awk '{print $6}' "$work/contents" | grep -v '^\./$' | grep -v '^\./usr/' | head -n 1)" ""

root=$work/root
dpkg -x "$deb" "$root"
check "qr2 --version from the unpacked package" same "$(run "$root/usr/bin/qr2" --version)" \
    "$(run "$build/bin/qr2" --version)"
check "qredit --version from the unpacked package" same "$(run "$root/usr/bin/qredit" --version)" \
    "$(run "$build/bin/qredit" --version)"
check "programs are stripped" bash -c "! file -L '$root/usr/lib/quarnel/qr2' | grep -q 'not stripped'"
for p in qr2 qredit; do
    check "man $p" bash -c "man -l '$root/usr/share/man/man1/$p.1.gz' 2>&1 | grep -q '^NAME'"
done
check "appstreamcli validate" appstreamcli validate --no-net "$root"/usr/share/metainfo/*.xml
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate" desktop-file-validate "$root"/usr/share/applications/*.desktop
fi

lintian --tag-display-limit 0 -I "$deb" >"$work/lintian" 2>&1
sed 's/^/     /' "$work/lintian"
echo "lintian: $(grep -c '^E:' "$work/lintian") errors, $(grep -c '^W:' "$work/lintian") warnings, $(grep -c '^[IP]:' "$work/lintian") notes"
check "lintian reports no errors" bash -c "! grep -q '^E:' '$work/lintian'"

summary
