#!/usr/bin/env bash
# Makes the Debian packages with cpack and checks them from the outside: the files each
# holds, the computed dependencies (the player's without Qt), and the player and the demo
# run from the unpacked package.
#   deb_test.sh BUILD_DIR GUI(ON|OFF)
set -euo pipefail
build=$1
gui=$2
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

(cd "$build" && cpack -G DEB -B "$out" >"$out/cpack.log" 2>&1) || { cat "$out/cpack.log"; fail "cpack"; }
shopt -s nullglob
player=("$out"/quorvia-pallant_*.deb)
desktop=("$out"/quorvia-pallant-desktop_*.deb)
[ ${#player[@]} -eq 1 ] || fail "no single quorvia-pallant_*.deb: $(ls "$out")"

# contains DEB PATH...: every path is in the package.
contains() {
  local deb=$1 list
  shift
  list=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for p in "$@"; do
    grep -qx "./$p" <<<"$list" || fail "$(basename "$deb") lacks /$p"
  done
}
lacks() {
  local deb=$1 list
  shift
  list=$(dpkg-deb -c "$deb" | awk '{print $6}')
  for p in "$@"; do
    if grep -q "^\./$p" <<<"$list"; then fail "$(basename "$deb") holds /$p"; fi
  done
}

contains "${player[0]}" usr/bin/pallant-play usr/bin/pallant-vbs \
  usr/share/man/man1/pallant-play.1 usr/share/man/man1/pallant-vbs.1 \
  usr/share/doc/quorvia-pallant/getting-started.md usr/share/doc/quorvia-pallant/console-reference.html \
  usr/share/doc/quorvia-pallant/manual.html usr/share/doc/quorvia-pallant/examples/demo.vbs
lacks "${player[0]}" usr/bin/pallant$ usr/share/dbus-1 usr/share/applications usr/lib usr/include
depends=$(dpkg-deb -f "${player[0]}" Depends)
echo "quorvia-pallant Depends: $depends"
grep -q 'libutf8proc2' <<<"$depends" || fail "the player's dependencies were not computed: $depends"
grep -qi 'qt' <<<"$depends" && fail "the player depends on Qt: $depends"
[ "$(dpkg-deb -f "${player[0]}" Package)" = quorvia-pallant ] || fail "package name"

if [ "$gui" = ON ]; then
  [ ${#desktop[@]} -eq 1 ] || fail "no quorvia-pallant-desktop_*.deb: $(ls "$out")"
  contains "${desktop[0]}" usr/bin/pallant usr/share/man/man1/pallant.1 \
    usr/share/applications/quorvia-pallant.desktop \
    usr/share/icons/hicolor/scalable/apps/quorvia-pallant.svg \
    usr/share/icons/hicolor/48x48/apps/quorvia-pallant.png \
    usr/share/dbus-1/services/QuorviaPallant.ZEBConsApp.service \
    usr/share/dbus-1/interfaces/QuorviaPallant.IZEBConsole.xml
  lacks "${desktop[0]}" usr/bin/pallant-play usr/share/doc/quorvia-pallant/examples
  depends=$(dpkg-deb -f "${desktop[0]}" Depends)
  echo "quorvia-pallant-desktop Depends: $depends"
  version=$(dpkg-deb -f "${player[0]}" Version)
  grep -q "quorvia-pallant (= $version)" <<<"$depends" || fail "the desktop package does not depend on the player's version"
  grep -q 'libqt6widgets6' <<<"$depends" || fail "the desktop package's Qt dependency was not computed"
else
  [ ${#desktop[@]} -eq 0 ] || fail "a headless build made a desktop package"
fi

# The unpacked player runs and plays the demo.
dpkg -x "${player[0]}" "$out/root"
"$out/root/usr/bin/pallant-play" --version
if [ "$gui" = ON ]; then
  dpkg -x "${desktop[0]}" "$out/root"
  grep -qx "Exec=/usr/bin/pallant -Embedding" "$out/root/usr/share/dbus-1/services/QuorviaPallant.ZEBConsole.service" \
    || fail "the packaged bus file does not start /usr/bin/pallant"
fi
cd "$out"
result=$("$out/root/usr/bin/pallant-play" --time-limit 60 "$out/root/usr/share/doc/quorvia-pallant/examples/demo.vbs") \
  || { echo "$result"; fail "the packaged demo failed"; }
grep -q "^1 passed, 0 failed" <<<"$result" || fail "the packaged demo did not pass"
echo "deb test passed: $(cd "$out" && ls ./*.deb | tr '\n' ' ')"
