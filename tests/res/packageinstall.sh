#!/usr/bin/env bash
# Installs the Debian package into this machine as a user would, starts the installed program
# under a private Xvfb, once from an empty folder and once the way the desktop menu starts it,
# checks where each keeps its config.ini, and removes the package again: the machine is left as
# it was, also when a step fails.  Usage: packageinstall.sh PACKAGE.deb
set -euo pipefail

# It changes the machine, so it runs only where the machine is meant for it: in CI, or when asked
# for with make test-package.
if [ "${CI:-}" != true ] && [ "${ZELVANO_TEST_PACKAGE_INSTALL:-}" != 1 ]; then
    echo "SKIP: installs into this machine; make test-package runs it"
    exit 77
fi

package=$(realpath "$1")
[ -f "$package" ] || { echo "FAIL: no package at $1; make package builds it"; exit 1; }

sudo=()
if [ "$(id -u)" -ne 0 ]; then
    if sudo -n true 2>/dev/null; then
        sudo=(sudo -n)
    else
        echo "SKIP: installing a package needs root or passwordless sudo"
        exit 77
    fi
fi
if dpkg-query -W -f='${Status}' zelvano 2>/dev/null | grep -q 'ok installed'; then
    echo "SKIP: a zelvano package is already installed here, and this test leaves it alone"
    exit 77
fi

# Another checkout's run of this test would install and remove the same package under our feet.
lock=/tmp/zelvano-package-test.lock
exec 9>>"$lock"
chmod a+rw "$lock" 2>/dev/null || true
flock -w 240 9 || { echo "FAIL: another package test held $lock for four minutes"; exit 1; }

# apt and dpkg may still be busy with another installation: wait for their lock, not fail.
apt=("${sudo[@]}" env DEBIAN_FRONTEND=noninteractive
    apt-get -o DPkg::Lock::Timeout=180 -y -qq --no-install-recommends)

scratch=$(mktemp -d)
server=
remove_package() {
    local status=$?
    [ -n "$server" ] && kill "$server" 2>/dev/null
    if dpkg-query -W -f='${Status}' zelvano 2>/dev/null | grep -q 'ok installed'; then
        "${apt[@]}" purge zelvano >"$scratch/purge.log" 2>&1 \
            || { echo "FAIL: the package could not be removed:"; cat "$scratch/purge.log"; status=1; }
    fi
    rm -rf "$scratch"
    exit "$status"
}
trap remove_package EXIT
trap 'exit 1' INT TERM

# Nothing but the package itself may come onto the machine: its dependencies are there already
# when tools/install-deps has run.
planned=$("${apt[@]}" --simulate install "$package" | sed -n 's/^Inst \([^ ]*\).*/\1/p')
if [ "$planned" != zelvano ]; then
    echo "FAIL: installing the package would also bring:" $(grep -vx zelvano <<<"$planned")
    exit 1
fi
"${apt[@]}" install "$package" >"$scratch/install.log" 2>&1 \
    || { echo "FAIL: the package did not install:"; cat "$scratch/install.log"; exit 1; }

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$scratch/display" \
    >/dev/null 2>&1 &
server=$!
for _ in $(seq 200); do [ -s "$scratch/display" ] && break; sleep 0.05; done
[ -s "$scratch/display" ] || { echo "FAIL: Xvfb did not start"; exit 1; }
display=":$(head -n 1 "$scratch/display")"

# run_window FOLDER COMMAND: starts the program in FOLDER, waits for its window and closes it
# with Escape; fails unless it ends normally.
run_window() {
    local folder=$1 command=$2 program window
    (cd "$folder" && exec env -u WAYLAND_DISPLAY -u XDG_CONFIG_HOME DISPLAY="$display" \
        QT_QPA_PLATFORM=xcb HOME="$scratch/home" "$command" 2>"$scratch/stderr") &
    program=$!
    if ! window=$(DISPLAY="$display" timeout 30 xdotool search --sync --onlyvisible \
            --name '^Zelvano$' | head -n 1) || [ -z "$window" ]; then
        echo "FAIL: no window from $command:"; cat "$scratch/stderr"; kill "$program"; return 1
    fi
    DISPLAY="$display" xdotool windowfocus --sync "$window" key Escape
    wait "$program" || { echo "FAIL: $command ended with $?"; return 1; }
}

mkdir -p "$scratch/home" "$scratch/empty"
run_window "$scratch/empty" /usr/bin/zelvano
[ -f "$scratch/empty/config.ini" ] && [ ! -s "$scratch/empty/config.ini" ] \
    || { echo "FAIL: no empty config.ini in the folder it was started in"; exit 1; }

# The menu starts the entry's command in the home folder; the files go to the user's own folder.
menu_command=$(sed -n 's/^Exec=//p' /usr/share/applications/org.zelvano.Zelvano.desktop)
run_window "$scratch/home" "$menu_command"
[ -f "$scratch/home/.config/zelvano/config.ini" ] && [ ! -e "$scratch/home/config.ini" ] \
    || { echo "FAIL: started from the menu, config.ini is not in ~/.config/zelvano/ alone"; exit 1; }
echo "PASS: installed, ran from a folder and from the menu, removed"
