#!/usr/bin/env bash
# Installs, as root with apt-get, whatever of Oplexa's build and test needs is missing.
# Recommends stay out: JUCE's package recommends a VST header package the project must not use.
set -euo pipefail

packages=(
    g++ cmake make pkg-config ccache dpkg-dev file
    juce-modules-source libcbor-dev libxxhash-dev libcli11-dev nlohmann-json3-dev
    libgtest-dev libbenchmark-dev
    clang-14 libclang-rt-14-dev
    xvfb xauth openbox xdotool imagemagick x11-utils fonts-dejavu-core
    dpf-plugins-vst lsp-plugins-vst zam-plugins dragonfly-reverb-vst ardour qtractor muse
)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' \
        || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
    echo "Run as root (or install these packages yourself)." >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
