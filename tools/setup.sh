#!/usr/bin/env bash
# Installs the Debian packages that are missing, only those.
#   setup.sh run [display]  building and running the programs; "display"
#                           adds a virtual screen served over VNC on loopback
#   setup.sh                everything the tests, sanitizers, fuzzers and
#                           benchmarks need as well
set -euo pipefail
run_pkgs=(cmake ninja-build g++ pkg-config
          qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins libcups2-dev
          fonts-ipafont adwaita-icon-theme qt6-translations-l10n)
display_pkgs=(xvfb x11vnc metacity x11-utils)
# The printing tests print through the real print system to a PDF printer;
# the window placement tests run on a virtual screen under a window manager;
# the run command's case on its own virtual screen served over VNC; the
# virtual serial pair of the README through socat.
test_pkgs=(clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
           cups cups-client printer-driver-cups-pdf poppler-utils
           xvfb metacity x11-utils x11vnc socat)
case "${1:-test}" in
  run) pkgs=("${run_pkgs[@]}"); [ "${2:-}" = display ] && pkgs+=("${display_pkgs[@]}") ;;
  test) pkgs=("${run_pkgs[@]}" "${test_pkgs[@]}") ;;
  *) echo "usage: setup.sh [run [display]]" >&2; exit 2 ;;
esac
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -q
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -q "${missing[@]}"
fi
