# Sourced by the Wine benchmarks: a private Wine prefix made as for the tests (the Japanese faces
# mapped to Debian's, so that the windows draw their texts) and an Xvfb for the run, both gone at
# its end, in the scratch folder $work.
work=$(mktemp -d)
"$(dirname "${BASH_SOURCE[0]}")/../tests/win32/makeprefix.sh" "$work/prefix" >/dev/null 2>&1
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
display=:$((200 + RANDOM % 300))
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
export DISPLAY=$display

# Milliseconds from starting program to a visible window titled title; the program is left
# running with its process id in $started.
start_ms() {
    local program=$1 title=$2 start end
    start=$(date +%s%N)
    wine "$program" >/dev/null 2>&1 &
    started=$!
    window_of "$title" >/dev/null
    end=$(date +%s%N)
    echo $(((end - start) / 1000000)) >"$work/start-ms"
}

# Ends the program start_ms left running, and waits until its window titled title is gone.
end_started() {
    local title=$1 tries
    kill "$started" 2>/dev/null || true
    wait "$started" 2>/dev/null || true
    for ((tries = 0; tries < 100; ++tries)); do
        [[ -n $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null) ]] || break
        sleep 0.1
    done
}

# The first visible window titled title, once there is one. A search fails outright when a window
# goes while it walks the tree, as Wine's windows do when a program ends: it is tried again.
window_of() {
    local found
    until found=$(xdotool search --sync --onlyvisible --name "^$1\$" 2>/dev/null | head -1) &&
        [[ -n $found ]]; do
        sleep 0.01
    done
    echo "$found"
}

median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# CPU ticks each of the given processes has used so far, threads gone included: "PID TICKS" lines.
cpu_ticks() {
    local pid
    for pid in "$@"; do
        awk -v pid="$pid" '{ print pid, $14 + $15 }' /proc/"$pid"/stat 2>/dev/null || true
    done
}

# Milliseconds of CPU between two readings of cpu_ticks, over the processes in both.
cpu_ms_between() {
    awk -v hz="$(getconf CLK_TCK)" 'NR == FNR { before[$1] = $2; next }
        $1 in before { total += $2 - before[$1] } END { printf "%d\n", total * 1000 / hz }' "$1" "$2"
}

# The processes of this run's prefix: Wine's server and services, and the programs.
prefix_processes() {
    grep -lsz "^WINEPREFIX=$WINEPREFIX\$" /proc/[0-9]*/environ | cut -d/ -f3
}
