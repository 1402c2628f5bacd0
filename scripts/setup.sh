#!/usr/bin/env bash
# Prepares this machine for building and testing: Debian packages, the
# deb-src entry, and the third-party sources that binary packages do not
# carry (Dear ImGui, the single-file cpp-httplib). Idempotent: a second run
# only checks and returns within a second or two.
set -euo pipefail

top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
third_party="$top/third_party/src"

packages=(
  build-essential cmake ninja-build dpkg-dev curl
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 libgl1-mesa-dri xvfb xauth xdotool imagemagick
  msitools wixl osslsigncode openssl googletest libgtest-dev
  python3-fonttools python3-pil fonts-dejavu-core libstb-dev
  clang libclang-rt-14-dev
  time locales
)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

missing_packages() {
  local p
  for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      echo "$p"
    fi
  done
}

ensure_deb_src() {
  local list=/etc/apt/sources.list.d/kovo-deb-src.sources
  if grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ 2>/dev/null; then
    return 1
  fi
  # The archive's own deb entry, copied with Types: deb-src and the release suite.
  local uri signed
  uri=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  signed=$(awk '/^Signed-By:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources)
  as_root tee "$list" >/dev/null <<SRC
Types: deb-src
URIs: ${uri:-http://deb.debian.org/debian}
Suites: bookworm
Components: main
Signed-By: ${signed:-/usr/share/keyrings/debian-archive-keyring.gpg}
SRC
  return 0
}

need_update=0
mapfile -t missing < <(missing_packages)
if ensure_deb_src; then need_update=1; fi
if [ "${#missing[@]}" -gt 0 ] || [ ! -d "$third_party/imgui" ] || [ ! -f "$third_party/cpp-httplib/httplib.h" ]; then
  need_update=1
fi

if [ "$need_update" -eq 1 ]; then
  echo "setup: apt-get update" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}" >&2
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

fetch_source() {
  local package=$1 folder=$2
  if [ -d "$third_party/$folder" ]; then return; fi
  mkdir -p "$third_party/download"
  (cd "$third_party/download" && apt-get source -qq "$package" >/dev/null 2>&1)
  local unpacked
  unpacked=$(find "$third_party/download" -maxdepth 1 -mindepth 1 -type d -name "${package}-*" | head -n 1)
  [ -n "$unpacked" ] || { echo "setup: apt-get source $package produced nothing" >&2; exit 1; }
  mv "$unpacked" "$third_party/$folder"
  rm -rf "$third_party/download"
}

fetch_source imgui imgui
fetch_source cpp-httplib cpp-httplib

[ -f "$third_party/imgui/imgui.cpp" ] || { echo "setup: imgui sources incomplete" >&2; exit 1; }
[ -f "$third_party/cpp-httplib/httplib.h" ] || { echo "setup: httplib.h missing" >&2; exit 1; }
echo "setup: ready" >&2
