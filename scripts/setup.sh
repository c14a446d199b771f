#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs (only those missing) and
# builds it into ./build. Run as root on a fresh machine; needs no prompt.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libjpeg-dev libjpeg-turbo-progs libexif-dev
  libpng-dev libgif-dev libtiff-dev libwebp-dev qt6-image-formats-plugins
  libcanberra-dev
  fonts-ipafont-gothic
  xvfb xauth imagemagick x11-utils openbox xdotool wmctrl
  qt6-translations-l10n
  desktop-file-utils appstream shared-mime-info libxml2-utils
  strace
  # A private session bus for the screensaver test.
  dbus-daemon
  clang libclang-rt-14-dev clang-format ruby-mdl
  # Windows plug-ins: the 32-bit helper is built with mingw-w64. Wine itself is
  # optional at run time and not installed here.
  gcc-mingw-w64-i686 g++-mingw-w64-i686
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Warnings are errors only where NUBIVU_WERROR=ON asks for it (CI): a newer
# compiler's new warning must not stop a user's build.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DNUBIVU_WERROR="${NUBIVU_WERROR:-OFF}" >/dev/null
cmake --build build
