# Sourced by the Wine benchmarks: a private Wine prefix and Xvfb for the run, both gone at its end,
# in the scratch folder $work.
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=:$((200 + RANDOM % 300))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display
wineboot --init >/dev/null 2>&1
