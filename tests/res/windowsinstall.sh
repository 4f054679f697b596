#!/usr/bin/env bash
# Installs the Windows installer silently into a private Wine prefix and checks the program, its
# Start menu shortcut and its entry in the installed-apps list; uninstalls that copy, never
# started; installs twice over, starts the program from its shortcut under a private Xvfb and
# checks it keeps config.ini in the shortcut's working folder, and that an install meanwhile is
# refused; then uninstalls and checks that all it installed went and the user's files stayed.
# Nothing outside a temporary folder is touched, also when a step fails.
# Usage: windowsinstall.sh INSTALLER.exe VERSION
set -euo pipefail

installer=$1 version=$2
if [ ! -f "$installer" ]; then
    echo "SKIP: no Windows installer at $installer; make windows-package builds it"
    exit 77
fi
command -v wine >/dev/null || { echo "SKIP: no Wine; tools/install-deps windows installs it"; exit 77; }
installer=$(realpath "$installer")
built_program=$(dirname "$installer")/zelvano.exe

scratch=$(mktemp -d)
server=
finish() {
    local status=$?
    if [ -d "$scratch/prefix" ]; then
        wineserver -k 2>/dev/null || true
        timeout 30 wineserver -w 2>/dev/null || true
    fi
    [ -n "$server" ] && kill "$server" 2>/dev/null
    rm -rf "$scratch"
    exit "$status"
}
trap finish EXIT
trap 'exit 1' INT TERM

# A prefix of its own, a home of its own (Wine writes menu entries and caches under it), and no
# dialog asking to fetch Mono or Gecko.
mkdir -p "$scratch/home"
unset WAYLAND_DISPLAY XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME
export HOME=$scratch/home WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log=$scratch/wine.log
fail() { echo "FAIL: $*"; echo "--- Wine's output:"; tail -n 20 "$log"; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" \
    >/dev/null 2>&1 &
server=$!
for _ in $(seq 200); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -n 1 "$scratch/display")"

timeout 300 wineboot -i >>"$log" 2>&1 || fail "wineboot did not make the prefix"

# windows_folder VARIABLE: the folder in the prefix, as Windows names it.
windows_folder() { timeout 60 wine cmd /c echo "%$1%" 2>>"$log" | tr -d '\r'; }
appdata=$(windows_folder APPDATA)
local_appdata=$(windows_folder LOCALAPPDATA)
[ -n "$appdata" ] && [ -n "$local_appdata" ] || fail "no %APPDATA% or %LOCALAPPDATA% in the prefix"
unix_folder() { timeout 60 winepath -u "$1" 2>>"$log"; }
program_windows="$local_appdata\\Programs\\Zelvano\\zelvano.exe"
uninstaller_windows="$local_appdata\\Programs\\Zelvano\\uninstall.exe"
install_dir=$(unix_folder "$local_appdata\\Programs\\Zelvano")
shortcut="$(unix_folder "$appdata")/Microsoft/Windows/Start Menu/Programs/Zelvano.lnk"
user_folder=$(unix_folder "$appdata\\Zelvano")
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelvano'

# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds, or fails after SECONDS.
wait_until() {
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do
        ((SECONDS < deadline)) || fail "$what"
        sleep 0.2
    done
}

install() {
    local status=0
    timeout 120 wine "$installer" /S >>"$log" 2>&1 || status=$?
    [ "$status" -eq "$1" ] || fail "the installer ended with $status, not $1"
}

registry_entry() { timeout 60 wine reg query "$key" 2>>"$log" | tr -d '\r' | sed -E 's/^ +//; s/ {2,}/ /g'; }

check_installed() {
    [ -f "$install_dir/zelvano.exe" ] && [ -f "$install_dir/uninstall.exe" ] \
        || fail "zelvano.exe or uninstall.exe is not in $install_dir"
    if [ -f "$built_program" ]; then
        cmp -s "$built_program" "$install_dir/zelvano.exe" || fail "the installed zelvano.exe is not the built one"
    fi
    [ -f "$shortcut" ] || fail "no shortcut at $shortcut"
    [ -d "$user_folder" ] || fail "no folder for the user's files at $user_folder"
    local entry value
    entry=$(registry_entry) || fail "no $key"
    for value in \
        "DisplayName REG_SZ Zelvano" \
        "DisplayVersion REG_SZ $version" \
        "Publisher REG_SZ Zelvano Team" \
        "DisplayIcon REG_SZ $program_windows,0" \
        "UninstallString REG_SZ \"$uninstaller_windows\"" \
        "QuietUninstallString REG_SZ \"$uninstaller_windows\" /S" \
        "NoModify REG_DWORD 0x1" \
        "NoRepair REG_DWORD 0x1"; do
        grep -qxF -- "$value" <<<"$entry" || fail "$key has no \"$value\":"$'\n'"$entry"
    done
    local size
    size=$(sed -n 's/^EstimatedSize REG_DWORD //p' <<<"$entry")
    [ -n "$size" ] && (( size * 1024 >= $(stat -c %s "$install_dir/zelvano.exe") )) \
        || fail "EstimatedSize ($size KB) is less than the program"
}

# The uninstaller runs from a copy of itself, so it may still be at work when wine returns: the
# registry entry, which it removes last, tells when it is done.
uninstall() {
    timeout 120 wine "$install_dir/uninstall.exe" /S >>"$log" 2>&1 || fail "the uninstaller ended with $?"
    wait_until 60 "the uninstaller left $key" eval '! timeout 60 wine reg query "$key" >/dev/null 2>&1'
    [ ! -e "$install_dir" ] || fail "the uninstaller left $install_dir:"$'\n'"$(ls -A "$install_dir")"
    [ ! -e "$shortcut" ] || fail "the uninstaller left the shortcut"
}

# Installed and removed again without ever starting the program: nothing is left at all.
install 0
check_installed
uninstall
[ ! -e "$user_folder" ] || fail "the uninstaller left the empty $user_folder"

# An install over another.
install 0
install 0
check_installed

# Started from the shortcut, as the Start menu starts it. Wine's start returns once the program is
# launched; Wine's process list tells when it has ended.
program_running() { timeout 60 winedbg --command "info proc" 2>>"$log" | grep -qF "'zelvano.exe'"; }
timeout 60 wine start /unix "$shortcut" >>"$log" 2>&1 || fail "the shortcut did not start"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zelvano$' | head -n 1) || true
[ -n "$window" ] || fail "no window from the shortcut"
wait_until 30 "no config.ini in the shortcut's working folder $user_folder" test -f "$user_folder/config.ini"
[ ! -s "$user_folder/config.ini" ] || fail "config.ini is not empty"
echo "report" >"$user_folder/report.txt"

# While it runs, an install is refused and leaves the program as it was.
install 2
check_installed

xdotool windowfocus --sync "$window" key Escape
wait_until 30 "the program did not end on Escape" eval '! program_running'

uninstall
[ -f "$user_folder/config.ini" ] && [ -f "$user_folder/report.txt" ] \
    || fail "the uninstaller took the user's files from $user_folder"
echo "PASS: installed, removed unstarted, installed over itself, ran from its shortcut, removed"
