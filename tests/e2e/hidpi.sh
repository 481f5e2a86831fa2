#!/usr/bin/env bash
# On a screen of two device pixels a pixel (QT_SCALE_FACTOR=2) the canvas shows the lettering
# drawn at the screen's resolution, not doubled pixel for pixel: along its edges neighbouring
# device pixels differ however the screen is cut into pairs.
# usage: hidpi.sh KALVETRA PROBE
set -euo pipefail
program="$1"
probe="$2"
XVFB_SCREEN=1800x1400x24
source "$(dirname "$0")/session.sh"
require xclip

export QT_SCALE_FACTOR=2
start_program "$program"
unset QT_SCALE_FACTOR  # the probe looks at the screen's own pixels
new_image 'カルベ' "$probe"
[ -n "${E2E_SHOTS:-}" ] && "$probe" shot "$E2E_SHOTS/hidpi.png"
read -r across down <<<"$("$probe" pairs "$cx,$cy,$cw,$ch")"
echo "canvas $cx,$cy ${cw}x$ch: $across pixels differ from their partner across, $down down"
[ "$across" -gt 50 ] && [ "$down" -gt 50 ] || fail "the canvas is the picture doubled pixel for pixel"
