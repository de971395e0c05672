#!/usr/bin/env bash
# Installs the Debian packages the project needs, by purpose:
#   --runtime   running the headless programs (pallant-play, pallant-vbs) and the programs
#               the examples drive
#   --desktop   running the desktop program: Qt, QScintilla, the session bus, a font
#   --build     building everything (compilers, CMake, the -dev packages, doc and icon tools,
#               the Debian packaging tools)
#   --test      running the test suite: the programs the tests drive, a virtual X server,
#               D-Bus tools, Python with D-Bus
#   --fuzz      fuzz builds with libFuzzer: clang and its runtime
# Several may be given; without any, all of them. A CI image that only plays scripts needs
# --runtime alone.
# Idempotent: packages already present are left alone, and nothing is downloaded when all of
# them are installed.
set -euo pipefail

runtime=(libutf8proc2 libinih1 libpcre2-16-0 bash coreutils ncurses-bin bc dialog)
desktop=(libqt6widgets6 libqt6dbus6 libqscintilla2-qt6-15 qt6-qpa-plugins fonts-dejavu-core dbus)
build=(
  cmake ninja-build g++ pkg-config libvterm-dev libutf8proc-dev libinih-dev libgtest-dev libgmock-dev libpcre2-dev
  qt6-base-dev qt6-base-dev-tools libqscintilla2-qt6-dev libgl-dev
  python3 python3-markdown librsvg2-bin dpkg-dev file
)
test=(
  qt6-qpa-plugins fonts-dejavu-core xvfb xauth imagemagick xdotool xclip openbox x11-utils
  dbus libglib2.0-bin python3 python3-dbus python3-yaml libxml2-utils groff-base
  dialog bc bash coreutils ncurses-bin expect python3-junitparser asciinema
)
fuzz=(clang libclang-rt-14-dev)

usage() {
  echo "usage: $0 [--runtime] [--desktop] [--build] [--test] [--fuzz]" >&2
  exit 2
}

packages=()
for arg in "$@"; do
  case "$arg" in
    --runtime) packages+=("${runtime[@]}") ;;
    --desktop) packages+=("${desktop[@]}") ;;
    --build)   packages+=("${build[@]}") ;;
    --test)    packages+=("${test[@]}") ;;
    --fuzz)    packages+=("${fuzz[@]}") ;;
    -h|--help) sed -n '2,14p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) usage ;;
  esac
done
if [ $# -eq 0 ]; then
  packages=("${runtime[@]}" "${desktop[@]}" "${build[@]}" "${test[@]}" "${fuzz[@]}")
fi

missing=()
for p in $(printf '%s\n' "${packages[@]}" | sort -u); do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: all packages present"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
