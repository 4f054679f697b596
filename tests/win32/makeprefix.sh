#!/usr/bin/env bash
# Makes a private Wine prefix for the tests of the Windows program: 64-bit, without the runtimes
# Wine would offer to download, and with the Japanese faces Windows has mapped to the Japanese
# face Debian has, so that no glyph is drawn as a box; screens are read from the X server's
# Xinerama heads.  Usage: makeprefix.sh PREFIX
set -euo pipefail
command -v wine >/dev/null || { echo "SKIP: no Wine here; make windows installs it"; exit 77; }

export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX"
unset DISPLAY WAYLAND_DISPLAY
wineboot --init
for face in 'ＭＳ Ｐゴシック' 'MS PGothic' 'ＭＳ ゴシック' 'MS Gothic' 'MS UI Gothic'; do
    wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /t REG_SZ \
        /d 'Noto Sans CJK JP' /f >/dev/null
done
# Screens from the X server's Xinerama heads rather than from RandR's outputs: a private Xvfb
# has one output however it is split into monitors, and the scenario of two screens splits it.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v UseXRandR /t REG_SZ /d N /f >/dev/null
wineserver --wait
