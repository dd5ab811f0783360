#!/usr/bin/env bash
# Installs the Debian packages that building Kolvo and running its tests
# need, when one is missing: the compiler and CMake, HarfBuzz with its
# subsetter, FriBidi, fontconfig and zlib (the embedded fonts), ICU (their
# line breaking), GoogleTest,
# and the font packages the font tests draw with. Does nothing when all are there.
# Needs root (or sudo) and apt-get only when something is missing; the
# programs that read Kolvo's output, which the tests use where present,
# are listed in the README and installed by .ci/run.
set -euo pipefail

packages=(cmake g++ make pkg-config libharfbuzz-dev libfribidi-dev libfontconfig-dev zlib1g-dev
          libicu-dev libgtest-dev fonts-dejavu-core fonts-wqy-zenhei fonts-noto-core fonts-texgyre)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing ${missing[*]}" >&2
if ! command -v apt-get >/dev/null; then
  echo "install-build-deps: no apt-get; install ${missing[*]} by hand" >&2
  exit 1
fi
sudo=()
[ "$(id -u)" = 0 ] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
