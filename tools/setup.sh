#!/usr/bin/env bash
# Installs what the program and its tests need on Debian 12 (uses sudo unless run as root).
set -euo pipefail
packages=(cmake make g++ clang libclang-rt-14-dev libgtest-dev libbenchmark-dev
          libwxgtk3.2-dev libgtk-3-dev libx11-dev xvfb xauth openbox fonts-wine)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y "${missing[@]}"
fi
