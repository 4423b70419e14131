#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the result as a user would meet it:
# the programs answer --version through the links on the path, the sample chapters and the
# editor sit beside the study program, the desktop entries are valid, and the tree still
# works after it has been moved.
# Usage: install_check.sh CMAKE BUILD_DIR APPDIR_PROBE
set -u
cmake=$1 build=$2 probe=$3
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/check-helpers.sh"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A program that starts for real must not touch the user's own settings.
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config XDG_DATA_HOME=$work/home/.local/share
mkdir -p "$HOME"

prefix=$work/prefix
if ! "$cmake" --install "$build" --prefix "$prefix" >"$work/install.log" 2>&1; then
    cat "$work/install.log"
    echo "FAIL cmake --install"
    echo "0 passed, 1 failed"
    exit 1
fi

lib=$prefix/lib/quarnel
check "qr2 and qredit in lib/quarnel" test -x "$lib/qr2" -a -x "$lib/qredit"
for n in 1 2 3 4; do
    check "ex$n.qex beside qr2" test -s "$lib/ex$n.qex"
done
for p in qr2 qredit; do
    check "bin/$p is a relative link" same "$(readlink "$prefix/bin/$p")" "../lib/quarnel/$p"
    check "bin/$p leads to lib/quarnel/$p" same "$(readlink -f "$prefix/bin/$p")" "$(cd "$lib" && pwd -P)/$p"
done
check "qr2 --version" same "$(run "$prefix/bin/qr2" --version | head -n 1)" "qr2 version 1.15 [build 281]"
check "qredit --version" same "$(run "$prefix/bin/qredit" --version | head -n 1)" "qredit version 1.1 [build 281]"
for p in qr2 qredit; do
    check "$p --version names the licence" same "$(run "$prefix/bin/$p" --version | sed -n 2p)" \
        "License GPLv3+: GNU GPL version 3 or later <https://gnu.org/licenses/gpl.html>"
done
check "qr2 --help" same "$(run "$prefix/bin/qr2" --help | head -n 1)" "Usage: qr2 [show_console]"
check "qredit --help" same "$(run "$prefix/bin/qredit" --help | head -n 1)" "Usage: qredit [FILE.qex]"

apps=$prefix/share/applications
check "desktop entries installed" test -f "$apps/qr2.desktop" -a -f "$apps/qredit.desktop"
if command -v desktop-file-validate >/dev/null; then
    check "desktop-file-validate qr2.desktop" desktop-file-validate "$apps/qr2.desktop"
    check "desktop-file-validate qredit.desktop" desktop-file-validate "$apps/qredit.desktop"
fi
check "chapters open with the editor" grep -qx 'MimeType=application/x-quarnel-chapter;' "$apps/qredit.desktop"
check "MIME types installed" test -f "$prefix/share/mime/packages/quarnel.xml"
if command -v update-mime-database >/dev/null; then
    check "MIME database knows .qex" test -f "$prefix/share/mime/application/x-quarnel-chapter.xml"
    check "MIME database knows .qrs" test -f "$prefix/share/mime/application/x-quarnel-progress.xml"
fi
icons=$prefix/share/icons/hicolor/scalable
for icon in apps/quarnel apps/quarnel-editor mimetypes/application-x-quarnel-chapter \
            mimetypes/application-x-quarnel-progress; do
    check "icon $icon.svg" grep -q '<svg' "$icons/$icon.svg"
done

for p in qr2 qredit; do
    check "man page $p.1.gz" gzip -t "$prefix/share/man/man1/$p.1.gz"
done
meta=$prefix/share/metainfo
check "AppStream data of both programs" \
    test -f "$meta/org.orvandel.quarnel.metainfo.xml" -a -f "$meta/org.orvandel.quarnel.editor.metainfo.xml"
if command -v appstreamcli >/dev/null; then
    check "appstreamcli validate" appstreamcli validate --no-net "$meta"/*.xml
fi

# A program started through a link finds the folder it really lives in.
mkdir -p "$work/probe/real" "$work/probe/bin"
cp "$probe" "$work/probe/real/appdir"
ln -s ../real/appdir "$work/probe/bin/appdir"
check "a program started through a link sees its own folder" \
    same "$("$work/probe/bin/appdir" 2>/dev/null)" "$(cd "$work/probe/real" && pwd -P)"

# The installed tree moved as a whole still works.
mv "$prefix" "$work/moved"
check "moved tree: qr2 --version" same "$(run "$work/moved/bin/qr2" --version | head -n 1)" \
    "qr2 version 1.15 [build 281]"
check "moved tree: chapters beside qr2" test -s "$(dirname "$(readlink -f "$work/moved/bin/qr2")")/ex1.qex"

summary
