#!/usr/bin/env bash
# Makes a private Wine prefix for the tests of the Windows program: 64-bit, without the runtimes
# Wine would offer to download, and with the Japanese faces Windows has mapped to the Japanese
# face Debian has, so that no glyph is drawn as a box.  Usage: makeprefix.sh PREFIX
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
wineserver --wait
