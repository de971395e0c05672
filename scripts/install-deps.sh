#!/usr/bin/env bash
# Installs every Debian package needed to build, run and test the project.
# Idempotent: packages already present are left alone, and nothing is
# downloaded when all of them are installed.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ pkg-config libvterm-dev libinih-dev libgtest-dev libgmock-dev
  qt6-base-dev qt6-base-dev-tools libqscintilla2-qt6-dev libgl-dev
  # run and test
  qt6-qpa-plugins fonts-dejavu-core xvfb xauth imagemagick xdotool xclip
  dbus libglib2.0-bin python3 python3-dbus dialog bc bash coreutils ncurses-bin expect
  python3-junitparser asciinema
  # sanitizer and fuzzing runtimes
  clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
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
