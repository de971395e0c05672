#!/usr/bin/env bash
# Installs the build into a DESTDIR with prefix /usr, as a package would, and checks what an
# installation holds: the programs (stripped), manual pages, documentation and examples,
# the desktop entry and icons, the bus files naming the installed program. Then plays the
# installed demo with the installed player.
#   install_test.sh BUILD_DIR GUI(ON|OFF)
set -euo pipefail
build=$1
gui=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr --strip >"$root.log" 2>&1 || { cat "$root.log"; fail "cmake --install"; }
rm -f "$root.log"
usr=$root/usr
doc=$usr/share/doc/quorvia-pallant

expect=(
  bin/pallant-play bin/pallant-vbs
  share/man/man1/pallant-play.1 share/man/man1/pallant-vbs.1
  share/doc/quorvia-pallant/getting-started.md share/doc/quorvia-pallant/getting-started.html
  share/doc/quorvia-pallant/console-reference.md share/doc/quorvia-pallant/console-reference.html
  share/doc/quorvia-pallant/scripting.md share/doc/quorvia-pallant/ci.md
  share/doc/quorvia-pallant/manual.html
  share/doc/quorvia-pallant/examples/demo.vbs
)
desktop=(
  bin/pallant share/man/man1/pallant.1
  share/applications/quorvia-pallant.desktop
  share/icons/hicolor/scalable/apps/quorvia-pallant.svg
  share/icons/hicolor/16x16/apps/quorvia-pallant.png
  share/icons/hicolor/48x48/apps/quorvia-pallant.png
  share/icons/hicolor/256x256/apps/quorvia-pallant.png
  share/dbus-1/services/QuorviaPallant.ZEBConsole.service
  share/dbus-1/services/QuorviaPallant.ZEBConsApp.service
  share/dbus-1/interfaces/QuorviaPallant.IZEBConsole.xml
  share/dbus-1/interfaces/QuorviaPallant.ClassFactory.xml
)
if [ "$gui" = ON ]; then expect+=("${desktop[@]}"); fi
for f in "${expect[@]}"; do
  [ -s "$usr/$f" ] || fail "not installed: /usr/$f"
done
if [ "$gui" != ON ]; then
  for f in "${desktop[@]}"; do
    [ ! -e "$usr/$f" ] || fail "a headless build installed /usr/$f"
  done
fi
# Nothing else of the build tree: no tests, benchmarks, fuzzers or libraries.
extra=$(cd "$usr/bin" && ls | grep -vxE 'pallant|pallant-play|pallant-vbs' || true)
[ -z "$extra" ] || fail "unexpected programs in /usr/bin: $extra"
[ ! -e "$usr/lib" ] && [ ! -e "$usr/include" ] || fail "libraries or headers installed"

# Stripped: no symbol table left.
for p in "$usr"/bin/*; do
  if readelf -S "$p" | grep -q '\.symtab'; then fail "$p is not stripped"; fi
done

# Installed paths are the installation's, not the build's.
grep -rq "$build" "$usr/share/man" && fail "a manual page names the build folder"
grep -q "/usr/share/doc/quorvia-pallant/examples/demo.vbs" "$usr/share/man/man1/pallant-play.1" \
  || fail "pallant-play.1 does not name the installed demo"
for page in "$usr"/share/man/man1/*.1; do
  warnings=$(groff -man -ww -z "$page" 2>&1) || true
  [ -z "$warnings" ] || fail "$page: $warnings"
done
# The manual pages describe every option the programs' --help lists.
programs=(pallant-play pallant-vbs)
if [ "$gui" = ON ]; then programs+=(pallant); fi
for prog in "${programs[@]}"; do
  page=$(sed 's/\\-/-/g' "$usr/share/man/man1/$prog.1")
  for opt in $("$usr/bin/$prog" --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$opt" <<<"$page" || fail "$prog.1 does not describe $opt"
  done
done
if [ "$gui" = ON ]; then
  for name in ZEBConsole ZEBConsApp; do
    service=$usr/share/dbus-1/services/QuorviaPallant.$name.service
    grep -qx "Exec=/usr/bin/pallant -Embedding" "$service" || fail "$service: $(cat "$service")"
    grep -qx "Name=QuorviaPallant.$name" "$service" || fail "$service names another bus name"
  done
  xmllint --noout "$usr"/share/dbus-1/interfaces/*.xml || fail "interface descriptions are not XML"
  grep -qx "Exec=pallant" "$usr/share/applications/quorvia-pallant.desktop" || fail "desktop entry"
  # The PNGs are the sizes their folders say.
  for size in 16 48 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/quorvia-pallant.png
    dims=$(/usr/bin/python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(24); print("%dx%d" % struct.unpack(">II", d[16:24]))' "$png")
    [ "$dims" = "${size}x${size}" ] || fail "$png is $dims"
  done
  # The desktop program's Help finds the manual from its own folder.
  [ -s "$usr/bin/../share/doc/quorvia-pallant/manual.html" ] || fail "manual.html not beside bin/../share/doc"
fi

# The installed programs work from the installed tree.
version=$("$usr/bin/pallant-play" --version)
[[ "$version" =~ ^pallant-play\ [0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "pallant-play --version: $version"
"$usr/bin/pallant-vbs" --version | grep -qx "pallant-vbs ${version#pallant-play }" || fail "pallant-vbs --version"
if [ "$gui" = ON ]; then
  # The desktop program says the same version, as its About box shows it (two parts).
  short=$(cut -d. -f1,2 <<<"${version#pallant-play }")
  "$usr/bin/pallant" --version | grep -qx "Quorvia Pallant, Version $short" \
    || fail "pallant --version: $("$usr/bin/pallant" --version) (the project is ${version#pallant-play })"
fi
cd "$root"
out=$("$usr/bin/pallant-play" --time-limit 60 "$doc/examples/demo.vbs") || { echo "$out"; fail "the installed demo failed"; }
echo "$out"
grep -q "^1 passed, 0 failed" <<<"$out" || fail "the demo did not pass"
echo "install test passed"
