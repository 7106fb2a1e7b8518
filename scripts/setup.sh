#!/usr/bin/env bash
# Installs what the build needs from Debian's packages. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail
pkgs=(cmake g++ make lld qt6-base-dev qt6-serialport-dev qt6-svg-dev libgl-dev
      clang libclang-rt-14-dev python3 poppler-utils
      glabels-data  # the makers' label sheets, read at run time
      qtkeychain-qt6-dev radicale  # the secret store; the CardDAV server of the sync tests
      gnome-keyring libsecret-1-0 dbus-daemon  # a private secret store for the password test
      dpkg-dev file lintian appstream desktop-file-utils)  # the package and its checks
if [ "${WANT_XVFB:-0}" = 1 ]; then pkgs+=(xvfb xauth imagemagick); fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
