# Sourced by the dev scripts: starts a private Xvfb on a free display and exports DISPLAY.
# Everything started is ended on exit; add more process ids to xvfb_pids to end them too.
xvfb_pids=()
xvfb_cleanup() {
    local pid
    for pid in "${xvfb_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
}
trap xvfb_cleanup EXIT

# xvfb_start [WIDTHxHEIGHT]: a screen of that size, 1024x768 unless given.
xvfb_start() {
    local display=99
    while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
        display=$((display + 1))
    done
    Xvfb ":$display" -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset >/dev/null 2>&1 &
    xvfb_pids=("$!" "${xvfb_pids[@]}")
    export DISPLAY=":$display"
    local _
    for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.05; done
    echo "Xvfb did not start" >&2
    return 1
}
