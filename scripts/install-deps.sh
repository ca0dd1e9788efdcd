#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Feedloom need,
# skipping those already present. Uses sudo when not run as root.
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  clang libclang-rt-14-dev
  qt6-base-dev qt6-qpa-plugins qt6-translations-l10n libgl-dev
  fonts-ipafont-gothic
  libgtest-dev libgmock-dev libbenchmark-dev vim time
  xdg-utils
  xvfb xauth openbox wmctrl xdotool xclip x11-utils
  python3 python3-feedparser raptor2-utils libxml2-utils
  at-spi2-core dbus-daemon python3-dbus
  # the installed program and its Debian package (make install, make deb) and their checks;
  # a real input method for the end-to-end run
  dpkg-dev file lintian desktop-file-utils appstream
  ibus ibus-anthy python3-gi dbus-x11
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=()
[ "$(id -u)" -ne 0 ] && sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
