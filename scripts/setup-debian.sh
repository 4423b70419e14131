#!/bin/sh
# Installs what building and testing the programs needs on Debian, if it is missing: the
# fonts too, so that cards in every script a learner may study (Indic, Thai, Khmer, Chinese,
# emoji ...) show letters, not empty boxes.
set -e
PKGS="cmake g++ make qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev fonts-dejavu-core fonts-wqy-microhei fonts-noto-core fonts-noto-color-emoji desktop-file-utils shared-mime-info appstream poppler-utils qt6-declarative-dev qt6-charts-dev qt6-svg-dev qt6-speech-dev qt6-speech-speechd-plugin speech-dispatcher speech-dispatcher-espeak-ng libzip-dev libzstd-dev"
missing=""
for p in $PKGS; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
done
[ -z "$missing" ] && exit 0
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
