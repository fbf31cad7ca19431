#!/bin/sh
# Checks the Debian package as Debian and the software centres check it, then as a user meets
# it: builds it (cmake --build BUILD --target package), looks at its files, dependencies and
# control data, runs lintian, appstreamcli and desktop-file-validate, installs it with apt-get
# on this machine, runs the installed ov2cat and ov2 (under Xvfb, until its window shows),
# purges it and checks that nothing of it is left. Any fault ends the check with status 1.
#
# Run as root (or a user with sudo) on Debian 12. It installs the tools it needs.
# Environment: OV2_BUILD_DIR (default build), OV2_CHECK_DISPLAY (the Xvfb display, default :91),
# OV2_CHECK_SHOT (a PNG file for a screenshot of the installed program's window).
set -eu
cd "$(dirname "$0")/.."
source_dir="$(pwd)"
build="${OV2_BUILD_DIR:-build}"
display="${OV2_CHECK_DISPLAY:-:91}"
started=$(date +%s)

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
fail() {
    echo "check-package: FAILED: $*" >&2
    exit 1
}
step() { echo "== $*"; }

work="$(mktemp -d)"
xvfb_pid="" ov2_pid=""
cleanup() {
    [ -n "$ov2_pid" ] && kill "$ov2_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

step "tools"
tools="lintian appstream desktop-file-utils librsvg2-bin xvfb xdotool x11-utils imagemagick bash-completion dpkg-dev file man-db shared-mime-info"
missing=""
for p in $tools; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -q
    # shellcheck disable=SC2086
    $sudo apt-get install -y -q --no-install-recommends $missing
fi

step "build the package"
sh scripts/build.sh
rm -f "$build"/ov2_*.deb
cmake --build "$build" --target package
set -- "$build"/ov2_*_amd64.deb
[ $# -eq 1 ] && [ -f "$1" ] || fail "no single ov2_*_amd64.deb in $build"
deb="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
version="$(dpkg-deb -f "$deb" Version)"
upstream="${version%-*}"
echo "$deb"

step "the icon's PNGs are those of its SVGs"
sh packaging/icon/render-icons.sh "$work/icons"
for png in packaging/icon/png/*.png; do
    differ="$(compare -metric AE "$png" "$work/icons/$(basename "$png")" null: 2>&1 || true)"
    [ "$differ" = "0" ] || fail "$png differs from its SVG ($differ pixels): run packaging/icon/render-icons.sh"
done

step "the package's files"
dpkg-deb -x "$deb" "$work/root"
dpkg-deb -e "$deb" "$work/control"
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/contents"
lib=/usr/lib/x86_64-linux-gnu/ov2
id=org.ov2catalog.ov2
expected="/usr/bin/ov2 /usr/bin/ov2cat $lib/libConvertor.so $lib/libov2_messages.so
/usr/share/applications/ov2.desktop /usr/share/mime/packages/ov2-catalogue.xml
/usr/share/metainfo/$id.metainfo.xml /usr/share/ov2/help/index.html
/usr/share/man/man1/ov2.1.gz /usr/share/man/man1/ov2cat.1.gz
/usr/share/bash-completion/completions/ov2cat /usr/share/zsh/vendor-completions/_ov2cat
/usr/share/doc/ov2/copyright /usr/share/doc/ov2/changelog.Debian.gz
/usr/share/lintian/overrides/ov2
/usr/share/icons/hicolor/scalable/apps/$id.svg
/usr/share/icons/hicolor/scalable/mimetypes/application-x-ov2-catalogue.svg"
for size in 16 32 48 64 128 256; do
    expected="$expected /usr/share/icons/hicolor/${size}x$size/apps/$id.png"
    expected="$expected /usr/share/icons/hicolor/${size}x$size/mimetypes/application-x-ov2-catalogue.png"
done
for file in $expected; do
    grep -qx "$file" "$work/contents" || fail "the package lacks $file"
done
for size in 16 32 48 64 128 256; do
    got="$(identify -format '%wx%h' "$work/root/usr/share/icons/hicolor/${size}x$size/apps/$id.png")"
    [ "$got" = "${size}x$size" ] || fail "the ${size}x$size icon is $got"
done
for script in preinst postinst prerm postrm; do
    [ ! -e "$work/control/$script" ] || fail "the package has a $script script (triggers do that work)"
done
[ "$(grep -c '^/usr/share/mime/.*[^/]$' "$work/contents")" -eq 1 ] || fail "the package carries MIME database files"

step "binaries: stripped, private libraries found, every library's package a dependency"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"
for elf in "$work/root/usr/bin/ov2" "$work/root/usr/bin/ov2cat" "$work/root$lib"/*.so; do
    file -b "$elf" | grep -q ', stripped' || fail "$elf is not stripped"
    # ldd follows the run path from where the file lies, so the private folder must be found
    # inside the package itself.
    ldd "$elf" >"$work/ldd"
    ! grep -q 'not found' "$work/ldd" || fail "$elf: $(grep 'not found' "$work/ldd" | head -n 1)"
    for needed in $(objdump -p "$elf" | awk '$1 == "NEEDED" { print $2 }'); do
        # "libfoo.so.1 => /usr/lib/…/libfoo.so.1 (…)", or the loader alone: "/lib64/ld-linux….so.2 (…)".
        path="$(awk -v lib="$needed" '$1 == lib { print $3; exit }
            substr($1, length($1) - length(lib)) == "/" lib { print $1; exit }' "$work/ldd")"
        [ -n "$path" ] || fail "$(basename "$elf") needs $needed, which ldd did not resolve"
        case "$path" in "$work/root"/*) continue ;; esac
        package="$(dpkg -S "$(readlink -f "$path")" 2>/dev/null | head -n 1 | cut -d: -f1)"
        [ -n "$package" ] || package="$(dpkg -S "$path" | head -n 1 | cut -d: -f1)"
        echo ", $depends," | grep -q ", $package[ ,]" ||
            fail "$(basename "$elf") needs $needed of $package, which Depends lacks"
    done
done
# The window system's plug-in is loaded at run time, not linked: its package must be there too.
plugin_package="$(dpkg -S /usr/lib/x86_64-linux-gnu/qt6/plugins/platforms/libqxcb.so | cut -d: -f1)"
echo ", $depends," | grep -q ", $plugin_package[ ,]" || fail "Depends lacks $plugin_package (the X11 plug-in)"

step "manual pages"
for page in ov2 ov2cat; do
    warnings="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$work/root/usr/share/man/man1/$page.1.gz" 2>&1 >"$work/$page.txt")"
    [ -z "$warnings" ] || fail "$page.1: $warnings"
done
# Every command of ov2cat's help is described in its page.
commands="$("$work/root/usr/bin/ov2cat" --help | sed -n 's/^\(usage:\)\{0,1\} *ov2cat \([a-z][a-z0-9-]*\).*/\2/p')"
[ -n "$commands" ] || fail "ov2cat --help names no command"
for command in $commands; do
    grep -q "^ *ov2cat  *$command\b" "$work/ov2cat.txt" || fail "ov2cat(1) does not describe '$command'"
done
for variable in OV2_DRIVES OV2_FREEDB_HOST; do
    grep -q "$variable" "$work/ov2.txt" && grep -q "$variable" "$work/ov2cat.txt" ||
        fail "a manual page does not name $variable"
done

step "lintian"
lintian --fail-on error,warning --display-info "$deb" || fail "lintian"

step "appstreamcli validate --pedantic"
# --no-net: this machine reaches no web site; the check is of the file's content.
appstreamcli validate --pedantic --no-net "$work/root/usr/share/metainfo/$id.metainfo.xml" >"$work/appstream" 2>&1 ||
    { cat "$work/appstream"; fail "appstreamcli validate"; }
cat "$work/appstream"
! grep -q '^[EWIP]:' "$work/appstream" || fail "appstreamcli reports issues"

step "desktop-file-validate"
report="$(desktop-file-validate "$work/root/usr/share/applications/ov2.desktop" 2>&1)" || true
[ -z "$report" ] || fail "desktop-file-validate: $report"

step "install"
if dpkg-query -W -f='${Status}' ov2 2>/dev/null | grep -q "ok installed"; then
    $sudo apt-get purge -y -q ov2
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "$deb"

step "the installed ov2cat"
export XDG_CONFIG_HOME="$work/config" XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
[ "$(/usr/bin/ov2cat --version)" = "ov2cat $upstream" ] || fail "ov2cat --version: $(/usr/bin/ov2cat --version)"
[ "$(/usr/bin/ov2 --version)" = "Ov2 $upstream" ] || fail "ov2 --version: $(/usr/bin/ov2 --version)"
mkdir -p "$work/disc/Music/Live" "$work/disc/Photos"
for name in Music/Live/one.flac Music/two.flac Photos/beach.jpg readme.txt; do
    head -c 1000 /dev/zero >"$work/disc/$name"
done
/usr/bin/ov2cat scan "$work/disc" "$work/check.ovd" --name Check | tee "$work/scan"
grep -q '^disc 1 files 4 ' "$work/scan" || fail "ov2cat scan recorded: $(cat "$work/scan")"
[ "$(/usr/bin/ov2cat stat "$work/check.ovd")" = "discs 1 files 4 categories 0" ] || fail "ov2cat stat"
man -w ov2cat >/dev/null || fail "man finds no ov2cat page"

step "bash completion"
completion="$(bash -c '
    . /usr/share/bash-completion/bash_completion
    _completion_loader ov2cat
    complete_line() {
        COMP_LINE="$*" COMP_POINT=${#COMP_LINE} COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) COMPREPLY=()
        _ov2cat ov2cat "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
        echo "${COMPREPLY[*]}"
    }
    complete_line ov2cat sc
    complete_line ov2cat scan x y --l')"
[ "$completion" = "$(printf 'scan\n--letter')" ] || fail "bash completion offered: $completion"

step "the file type and the desktop entry, by the triggers"
[ -f /usr/share/mime/application/x-ov2-catalogue.xml ] || fail "the MIME database lacks the .ovd type"
grep -q 'application/x-ov2-catalogue=.*ov2.desktop' /usr/share/applications/mimeinfo.cache ||
    fail "the desktop database does not know ov2.desktop opens .ovd files"

step "the installed ov2 under Xvfb"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.2; done
DISPLAY="$display" /usr/bin/ov2 "$work/check.ovd" >"$work/ov2.log" 2>&1 &
ov2_pid=$!
window=""
for _ in $(seq 100); do
    window="$(DISPLAY="$display" xdotool search --onlyvisible --name '^Ov2 - check.ovd' 2>/dev/null | head -n 1)" || true
    [ -n "$window" ] && break
    kill -0 "$ov2_pid" 2>/dev/null || { cat "$work/ov2.log"; fail "ov2 ended before its window showed"; }
    sleep 0.2
done
[ -n "$window" ] || { cat "$work/ov2.log"; fail "no ov2 window within 20 seconds"; }
echo "window $window: $(DISPLAY="$display" xdotool getwindowname "$window")"
DISPLAY="$display" xprop -id "$window" _NET_WM_ICON | head -c 60 | grep -q 'CARDINAL' ||
    fail "the window has no icon"
if [ -n "${OV2_CHECK_SHOT:-}" ]; then
    sleep 1
    import -display "$display" -window root "$OV2_CHECK_SHOT"
fi
kill "$ov2_pid" && wait "$ov2_pid" 2>/dev/null || true
ov2_pid=""
kill "$xvfb_pid" && wait "$xvfb_pid" 2>/dev/null || true
xvfb_pid=""

step "purge"
DEBIAN_FRONTEND=noninteractive $sudo apt-get purge -y -q ov2
left=""
while read -r path; do
    case "$path" in */) continue ;; esac
    [ -e "$path" ] && left="$left $path"
done <"$work/contents"
[ -z "$left" ] || fail "left after the purge:$left"
[ ! -e "$lib" ] || fail "left after the purge: $lib"
[ ! -e /usr/share/mime/application/x-ov2-catalogue.xml ] || fail "the MIME database still has the .ovd type"
! grep -q 'ov2.desktop' /usr/share/applications/mimeinfo.cache || fail "the desktop database still names ov2.desktop"

echo "check-package: passed in $(($(date +%s) - started)) s"
