#!/usr/bin/env bash
# Checks what the terminal installs, from a configured and built build folder:
#   prefix   cmake --install to a prefix and staged with DESTDIR: every file lands under the
#            prefix, the desktop entry, metadata, icons and manual pages are sound and agree
#            with each other. Needs no root.
#   package  (the default: prefix checks, then these) the Debian package: lintian without
#            errors, contents, dependencies; as root it is installed with apt-get, the
#            programs are run from /usr/bin, and a purge must remove every file it installed.
#            Without root that part is skipped (exit status 77).
# Usage: package_check.sh [BUILD_DIR] [prefix|package]
set -euo pipefail

src=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$src/build}" && pwd)
mode=${2:-package}
case $mode in
prefix | package) ;;
*) echo "usage: $0 [BUILD_DIR] [prefix|package]" >&2; exit 2 ;;
esac
work=$(mktemp -d)
# The installs below overwrite the build folder's install manifest, which lists what the user's
# own last install put where (the README's uninstall reads it); it is put back on exit.
manifest=$build/install_manifest.txt
if [ -f "$manifest" ]; then cp -p "$manifest" "$work.manifest"; fi
restore() {
    if [ -f "$work.manifest" ]; then mv -f "$work.manifest" "$manifest"; else rm -f "$manifest"; fi
    rm -rf "$work"
}
trap restore EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
have() { command -v "$1" >/dev/null 2>&1; }
# In prefix mode (a ctest) the validators are optional; the package stage needs them.
need() {
    have "$1" && return 0
    [ "$mode" = prefix ] && { echo "note: $1 missing, its check skipped"; return 1; }
    echo "FAIL: $1 is not installed (bash scripts/setup.sh packaging)"; exit 1
}

app_id=ru.k330s.terminal
icon_sizes="16 22 24 32 48 64 128 256"

# The files every install holds, relative to its prefix.
expected_files() {
    echo bin/k330-terminal
    echo bin/k330ctl
    echo lib/udev/rules.d/70-k330s.rules
    echo share/applications/$app_id.desktop
    echo share/metainfo/$app_id.metainfo.xml
    echo share/man/man1/k330-terminal.1.gz
    echo share/man/man1/k330ctl.1.gz
    for s in $icon_sizes; do echo "share/icons/hicolor/${s}x$s/apps/k330-terminal.png"; done
}

# Checks an installed tree: ROOT is where PREFIX's files are found (DESTDIR + prefix, or the
# prefix itself).
check_tree() { # root label
    local root=$1 label=$2 f
    while read -r f; do
        [ -f "$root/$f" ] || fail "$label: $f is not installed"
    done < <(expected_files)
    for f in k330-terminal k330ctl; do
        [ -x "$root/bin/$f" ] || fail "$label: bin/$f is not executable"
    done

    local desktop=$root/share/applications/$app_id.desktop
    local metainfo=$root/share/metainfo/$app_id.metainfo.xml
    if [ -f "$desktop" ]; then
        if need desktop-file-validate; then
            desktop-file-validate "$desktop" || fail "$label: desktop-file-validate rejects $desktop"
        fi
        # The menu entry must start an installed program and name an installed icon, and carry
        # both languages.
        local exec icon
        exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
        icon=$(sed -n 's/^Icon=//p' "$desktop")
        [ -x "$root/bin/$exec" ] || fail "$label: Exec=$exec is not an installed program"
        [ -f "$root/share/icons/hicolor/48x48/apps/$icon.png" ] ||
            fail "$label: Icon=$icon is not in the hicolor theme"
        for key in 'Name' 'Name\[ru\]' 'Comment' 'Comment\[ru\]'; do
            grep -q "^$key=" "$desktop" || fail "$label: the desktop entry has no ${key//\\/}"
        done
        grep -q '^Categories=.*Utility;.*Electronics;' "$desktop" ||
            fail "$label: the desktop entry is not in Utility and Electronics"
    fi
    if [ -f "$metainfo" ]; then
        if need appstreamcli; then
            appstreamcli validate --no-net "$metainfo" >"$work/as.log" 2>&1 ||
                { cat "$work/as.log"; fail "$label: appstreamcli rejects $metainfo"; }
        fi
        grep -q "<launchable type=\"desktop-id\">$app_id.desktop</launchable>" "$metainfo" ||
            fail "$label: the metadata does not launch $app_id.desktop"
        local version
        version=$("$root/bin/k330ctl" --version | awk '{print $NF}')
        grep -q "<release version=\"$version\"" "$metainfo" ||
            fail "$label: the metadata has no release $version"
    fi
    for s in $icon_sizes; do
        f=$root/share/icons/hicolor/${s}x$s/apps/k330-terminal.png
        [ -f "$f" ] || continue
        if need file; then
            file "$f" | grep -q "PNG image data, $s x $s," ||
                fail "$label: $f is not a $s x $s PNG: $(file -b "$f")"
        fi
    done
    for f in "$root"/share/man/man1/{k330-terminal,k330ctl}.1.gz; do
        [ -f "$f" ] || continue
        gzip -t "$f" || fail "$label: $f is not gzip data"
        if have man; then
            # man reports roff mistakes on standard error.
            LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$f" 2>"$work/man.err" >/dev/null ||
                fail "$label: man cannot format $f"
            if [ -s "$work/man.err" ]; then
                cat "$work/man.err"; fail "$label: man warns about $f"
            fi
        fi
    done
}

# As a ctest (prefix mode) the build is complete already.
if [ "$mode" != prefix ]; then
    echo "=== Building what is installed"
    cmake --build "$build" --target k330-terminal k330ctl k330_man_pages k330_deb_changelog
fi

echo "=== cmake --install to a prefix"
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >"$work/install.log"
# Every installed file, as the manifest lists it, lies under the prefix; and what is under the
# prefix is what the manifest lists (nothing went elsewhere unlisted).
outside=$(grep -v "^$prefix/" "$manifest" || true)
if [ -n "$outside" ]; then fail "installed outside the prefix: $outside"; fi
diff <(sort "$manifest") <(find "$prefix" -type f | sort) >"$work/diff" ||
    { cat "$work/diff"; fail "the files under the prefix differ from the install manifest"; }
check_tree "$prefix" "prefix install"

echo "=== cmake --install staged with DESTDIR"
stage=$work/stage
DESTDIR=$stage cmake --install "$build" --prefix /opt/k330-check >"$work/install.log"
outside=$(grep -v "^/opt/k330-check/" "$manifest" || true)
[ -z "$outside" ] || fail "staged install outside the prefix: $outside"
stray=$(find "$stage" -type f ! -path "$stage/opt/k330-check/*")
[ -z "$stray" ] || fail "staged install outside DESTDIR/prefix: $stray"
[ ! -e /opt/k330-check ] || fail "the staged install wrote to /opt/k330-check itself"
check_tree "$stage/opt/k330-check" "staged install"

if [ "$mode" = prefix ]; then
    [ $failures -eq 0 ] || { echo "FAIL: $failures check(s) failed"; exit 1; }
    echo "PASS: install to a prefix"
    exit 0
fi

echo "=== Debian package"
for tool in cpack dpkg-deb dpkg-shlibdeps lintian; do need "$tool"; done
rm -f "$build"/k330-terminal_*.deb
(cd "$build" && cpack -G DEB) >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$build"/k330-terminal_*_*.deb)
echo "built $deb"
dpkg-deb -c "$deb" >"$work/contents"
awk '$6 !~ /^\.\/usr\// && $6 != "./usr/" { print }' "$work/contents" >"$work/odd"
if [ -s "$work/odd" ]; then cat "$work/odd"; fail "the package holds files outside /usr"; fi
awk '$2 != "root/root" { print }' "$work/contents" >"$work/odd"
if [ -s "$work/odd" ]; then cat "$work/odd"; fail "the package holds files not owned by root"; fi
for f in copyright changelog.Debian.gz; do
    grep -q "\./usr/share/doc/k330-terminal/$f\$" "$work/contents" ||
        fail "the package has no /usr/share/doc/k330-terminal/$f"
done
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6core6 libusb-1.0-0 libc6; do
    [[ $depends == *"$lib "* ]] || fail "Depends lacks $lib: $depends"
done
# lintian exits non-zero on errors (and refuses root only with a note).
lintian --fail-on error "$deb" || fail "lintian reports errors"
dpkg-deb -x "$deb" "$work/deb-tree"
for f in k330-terminal k330ctl; do
    file "$work/deb-tree/usr/bin/$f" | grep -q ', stripped' || fail "/usr/bin/$f is not stripped"
done
check_tree "$work/deb-tree/usr" "package contents"

if [ "$(id -u)" -ne 0 ]; then
    [ $failures -eq 0 ] || { echo "FAIL: $failures check(s) failed"; exit 1; }
    echo "SKIP: installing the package needs root; package built and checked, not installed"
    exit 77
fi

echo "=== apt-get install"
if dpkg-query -W -f='${Status}' k330-terminal 2>/dev/null | grep -q "install ok installed"; then
    echo "note: k330-terminal was installed already; it is replaced and purged at the end"
fi
export DEBIAN_FRONTEND=noninteractive
apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; echo "FAIL: apt-get install $deb"; exit 1; }
dpkg -L k330-terminal | sort >"$work/listed"
version=$(dpkg-deb -f "$deb" Version)
version=${version%-*}
for p in k330ctl k330-terminal; do
    out=$(/usr/bin/$p --version 2>&1) || fail "/usr/bin/$p --version failed: $out"
    [[ $out == *"$version"* ]] || fail "/usr/bin/$p --version says '$out', not $version"
done
check_tree /usr "installed package"
man -w k330ctl >/dev/null 2>&1 || ! have man || fail "man does not find k330ctl(1)"

# The installed terminal starts on the simulated controller, logs the connection, and keeps
# running until it is told to stop.
home=$work/home
mkdir -p "$home" "$work/run"
chmod 700 "$work/run"
HOME=$home XDG_CONFIG_HOME=$home/.config XDG_RUNTIME_DIR=$work/run QT_QPA_PLATFORM=offscreen \
    /usr/bin/k330-terminal --simulate --log "$work/terminal.log" >"$work/terminal.out" 2>&1 &
pid=$!
for _ in $(seq 100); do
    grep -q 'K-330S' "$work/terminal.log" 2>/dev/null && break
    kill -0 $pid 2>/dev/null || break
    sleep 0.2
done
if kill -0 $pid 2>/dev/null; then
    grep -q 'K-330S' "$work/terminal.log" ||
        fail "the installed terminal did not log the simulated controller"
    kill -TERM $pid
    wait $pid || true
    echo "ok: /usr/bin/k330-terminal --simulate ran: $(head -1 "$work/terminal.log")"
else
    wait $pid || true
    cat "$work/terminal.out"
    fail "the installed terminal stopped on its own"
fi

echo "=== apt-get purge"
apt-get purge -y -q k330-terminal >"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log"; fail "apt-get purge k330-terminal"; }
! dpkg-query -W -f='${Status}' k330-terminal 2>/dev/null | grep -q "installed" ||
    fail "dpkg still lists k330-terminal as installed"
# Every file the package listed is gone; a listed folder may stay only while something else
# still uses it.
left=0
while read -r path; do
    [ "$path" = "/." ] && continue
    if [ -d "$path" ] && [ ! -L "$path" ]; then
        if [ -z "$(ls -A "$path")" ]; then
            fail "empty folder left behind: $path"; left=1
        fi
    elif [ -e "$path" ] || [ -L "$path" ]; then
        fail "left behind: $path"; left=1
    fi
done <"$work/listed"
if [ $left -eq 0 ]; then echo "ok: the purge removed all $(wc -l <"$work/listed") listed paths"; fi

[ $failures -eq 0 ] || { echo "FAIL: $failures check(s) failed"; exit 1; }
echo "PASS: install, package, apt install, start and purge"
