#!/usr/bin/env bash
# Installs the Windows installer silently into a private Wine prefix under a private Xvfb: once,
# uninstalled unstarted; then twice over, the program started from its shortcut after the user's
# folder has gone, which makes it again (an install meanwhile is refused), and uninstalled, leaving
# the user's files. Nothing outside a temporary folder is touched, also when a step fails.
# Usage: windowsinstall.sh INSTALLER.exe VERSION
set -euo pipefail
installer=$1 version=$2
[ -f "$installer" ] || { echo "SKIP: no installer at $installer; make windows-package makes it"; exit 77; }

scratch=$(mktemp -d) server=
finish() {
    local status=$?
    [ -d "$scratch/prefix" ] && { wineserver -k; timeout 30 wineserver -w; } 2>/dev/null
    [ -n "$server" ] && kill "$server"
    rm -rf "$scratch"
    exit "$status"
}
trap finish EXIT
trap 'exit 1' INT TERM
# Its own home too (Wine writes menu entries and caches there), and no offer to fetch Mono or Gecko.
mkdir "$scratch/home"
export HOME=$scratch/home WINEPREFIX=$scratch/prefix WINEARCH=win64 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log=$scratch/wine.log
fail() { echo "FAIL: $*"; echo "--- Wine's output:"; grep -v '^ALSA' "$log" | tail -n 20; exit 1; }
# wait_until SECONDS WHAT COMMAND...: polls COMMAND until it succeeds, or fails after SECONDS.
wait_until() {
    local deadline=$((SECONDS + $1)) what=$2
    shift 2
    until "$@"; do ((SECONDS < deadline)) || fail "$what"; sleep 0.2; done
}

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" >/dev/null 2>&1 &
server=$!
wait_until 10 "Xvfb did not start" test -s "$scratch/display"
export DISPLAY=":$(head -n 1 "$scratch/display")"
timeout 300 wineboot -i >>"$log" 2>&1 || fail "wineboot did not make the prefix"

profile=$(timeout 60 wine cmd /c echo %USERPROFILE% 2>>"$log" | tr -d '\r')
folder="$profile\\AppData\\Local\\Programs\\Zelvano"
install_dir=$(timeout 60 winepath -u "$folder")
user_folder=$(timeout 60 winepath -u "$profile\\AppData\\Roaming\\Zelvano")
shortcut="${user_folder%/Zelvano}/Microsoft/Windows/Start Menu/Programs/Zelvano.lnk"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Zelvano'
registry_entry() { timeout 60 wine reg query "$key" 2>>"$log" | tr -d '\r' | sed -E 's/^ +//; s/ {2,}/ /g'; }
program_running() { timeout 60 winedbg --command "info proc" 2>>"$log" | grep -qF "'zelvano.exe'"; }

install() { # install EXIT-CODE
    local status=0
    timeout 120 wine "$installer" /S >>"$log" 2>&1 || status=$?
    [ "$status" -eq "$1" ] || fail "the installer ended with $status, not $1"
    [ -f "$install_dir/zelvano.exe" ] && [ -f "$install_dir/zelvano-launch.exe" ] \
        && [ -f "$install_dir/uninstall.exe" ] && [ -f "$shortcut" ] \
        && [ -d "$user_folder" ] || fail "not all installed"
    local entry value
    entry=$(registry_entry) || fail "no $key"
    for value in "DisplayName REG_SZ Zelvano" "DisplayVersion REG_SZ $version" \
        "Publisher REG_SZ Zelvano Team" "DisplayIcon REG_SZ $folder\\zelvano.exe,0" \
        "UninstallString REG_SZ \"$folder\\uninstall.exe\"" \
        "QuietUninstallString REG_SZ \"$folder\\uninstall.exe\" /S" \
        "NoModify REG_DWORD 0x1" "NoRepair REG_DWORD 0x1"; do
        grep -qxF -- "$value" <<<"$entry" || fail "no \"$value\" in $key:"$'\n'"$entry"
    done
    value=$(sed -n 's/^EstimatedSize REG_DWORD //p' <<<"$entry")
    ((${value:-0} * 1024 >= $(stat -c %s "$install_dir/zelvano.exe"))) || fail "EstimatedSize is under the program's"
}

# The uninstaller runs from a copy of itself that may still be at work when wine returns: the
# registry entry, which it removes last, tells when it is done. On a loaded machine Wine has ended
# the first stage, which only starts that copy, with 1 and nothing in its output; it is asked once
# more then, and what it leaves behind is what counts.
uninstall() {
    local status=0
    timeout 120 wine "$install_dir/uninstall.exe" /S >>"$log" 2>&1 || status=$?
    if [ "$status" -ne 0 ] && [ -f "$install_dir/uninstall.exe" ]; then
        echo "the uninstaller ended with $status; asked again" >>"$log"
        timeout 120 wine "$install_dir/uninstall.exe" /S >>"$log" 2>&1 || fail "the uninstaller ended with $?"
    fi
    wait_until 60 "the uninstaller left $key" eval '! registry_entry >/dev/null'
    [ ! -e "$install_dir" ] && [ ! -e "$shortcut" ] || fail "the uninstaller left $install_dir or the shortcut"
}

install 0
uninstall
[ ! -e "$user_folder" ] || fail "the uninstaller left the empty $user_folder"
install 0
install 0
rmdir "$user_folder"
# Wine's start returns once the program is launched: its process list tells when it has ended.
timeout 60 wine start /unix "$shortcut" >>"$log" 2>&1 || fail "the shortcut did not start"
window=$(timeout 60 xdotool search --sync --onlyvisible --name '^Zelvano$' | head -n 1) || true
[ -n "$window" ] || fail "no window from the shortcut"
wait_until 30 "no config.ini in the shortcut's working folder" test -f "$user_folder/config.ini"
echo "report" >"$user_folder/report.txt"
install 2
xdotool windowfocus --sync "$window" key Escape
wait_until 30 "the program did not end on Escape" eval '! program_running'
uninstall
[ -f "$user_folder/config.ini" ] && [ -f "$user_folder/report.txt" ] || fail "the user's files went"
echo "PASS: installed, removed unstarted, installed over itself, ran from its shortcut, removed"
