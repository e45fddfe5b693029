#!/usr/bin/env bash
# Installs every Debian 12 package the viewer, its tools and its tests need.
# Safe to re-run: packages already present are left alone and apt is not touched.
set -euo pipefail

PACKAGES=(
  # build
  cmake g++ make pkg-config
  # GUI: Qt 6 Widgets, Charts, Network, OpenGL, the translation tools; platform plugins; a font
  qt6-base-dev qt6-charts-dev qt6-tools-dev qt6-l10n-tools libqt6opengl6-dev libgl-dev qt6-qpa-plugins fonts-dejavu-core
  # video
  libmpv-dev
  # tests: GoogleTest, ffmpeg (playable test recordings), Xvfb (GUI tests), gpsbabel and gdal-bin (readers of the exported tracks),
  # xdg-utils (which player the installed desktop entry makes the default)
  googletest libgtest-dev ffmpeg xvfb xauth gpsbabel gdal-bin xdg-utils
  # software OpenGL, so the video widget draws under Xvfb
  libgl1-mesa-dri
  # benchmarks and the readers' tests: exiftool, the peer bench/index_bench measures
  # against and the reference the camera readers are checked by; mpv, the peer of
  # bench/playback_bench
  libimage-exiftool-perl mpv
  # packaging: icons rendered from SVG; the .deb's dependencies, its checks and
  # the validators of the desktop entry and AppStream metadata
  librsvg2-bin dpkg-dev lintian file desktop-file-utils appstream
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install-deps: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
  SUDO=sudo
fi
echo "install-deps: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
